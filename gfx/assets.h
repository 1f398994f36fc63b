// Magazine artwork and the small drawing primitives everything else shares:
// panel picture, text font strip with its shade table, mouse pointer, the
// panel button table and a translucent box fill.
#pragma once
#include <cstddef>
#include <cstdint>

#include "gfx/frame.h"

constexpr int PALETTE_ENTRIES = 256;
constexpr int PALETTE_BYTES = PALETTE_ENTRIES * 3;

constexpr int PANEL_WIDTH = 800;
constexpr int PANEL_HEIGHT = 600;
constexpr int PANEL_PIXELS = PANEL_WIDTH * PANEL_HEIGHT;
// Palette first, then one index byte per pixel.
constexpr size_t PANEL_ART_BYTES = PALETTE_BYTES + PANEL_PIXELS;

constexpr int FONT_STRIP_WIDTH = 2048;
constexpr int FONT_STRIP_HEIGHT = 28;
constexpr int FONT_STRIP_PIXELS = FONT_STRIP_WIDTH * FONT_STRIP_HEIGHT;
// Index bytes first, then the strip's own palette.
constexpr size_t FONT_ART_BYTES = FONT_STRIP_PIXELS + PALETTE_BYTES;

// Colour numbers 0..30; column 0 stays black. Entry for font value i and colour k at i * 31 + k.
constexpr int SHADE_COLUMNS = 31;

constexpr int POINTER_SIZE = 11;
constexpr int POINTER_PIXELS = POINTER_SIZE * POINTER_SIZE;

constexpr int BUTTON_COUNT = 10;
constexpr int BUTTON_VALUES = 6;
// Pointer codes, then six values per button.
constexpr int CONSTANT_DATA_COUNT = POINTER_PIXELS + BUTTON_COUNT * BUTTON_VALUES;

constexpr uint8_t POINTER_NORMAL = 1;
constexpr uint8_t POINTER_HOVER = 2;

// The ten panel buttons; entries 1..10, entry 0 unused.
struct ButtonTable {
    int32_t x[BUTTON_COUNT + 1];
    int32_t y[BUTTON_COUNT + 1];
    int32_t width[BUTTON_COUNT + 1];
    int32_t height[BUTTON_COUNT + 1];
    int32_t state[BUTTON_COUNT + 1];
    int32_t glow[BUTTON_COUNT + 1];
};

struct GfxAssets {
    uint32_t background_palette[PALETTE_ENTRIES];
    int32_t background_indices[PANEL_PIXELS];
    int32_t font_pixels[FONT_STRIP_PIXELS];
    uint32_t shade_table[PALETTE_ENTRIES * SHADE_COLUMNS];
    uint32_t pointer_normal[POINTER_PIXELS];
    uint32_t pointer_hover[POINTER_PIXELS];
    // 1 = normal pointer, anything else = hover pointer; set afresh every magazine frame.
    uint8_t pointer_mode = POINTER_NORMAL;
    ButtonTable buttons;
    // Sequential reader over the constant-data list (pointer codes, then buttons).
    int constant_data_pos = 0;
};

// The program's one instance.
extern GfxAssets assets;

// The pointer shape and the button table, read in order by prepare_pointer and load_buttons.
extern const int32_t constant_data[CONSTANT_DATA_COUNT];

// Position the constant-data reader at the start of the list.
void rewind_constant_data(GfxAssets& a);
// Next value of the list; 0 once it is used up.
int32_t read_constant_data(GfxAssets& a);

// Panel palette and index bytes from the compiled-in panel picture.
void prepare_background();
// False (nothing changed) when the picture is shorter than palette + 800 x 600 bytes.
bool prepare_background(GfxAssets& a, const uint8_t* art, size_t size);

// Source rectangle x sx..sx+w, y sy..sy+h (inclusive) to (dx, dy) in the background buffer.
void decode_background(int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t dx, int32_t dy);
void decode_background(const GfxAssets& a, uint32_t* target, int32_t sx, int32_t sy, int32_t w, int32_t h,
                       int32_t dx, int32_t dy);

// Font pixels and the shade table from the compiled-in font strip.
void prepare_text_font();
// False (nothing changed) when the strip is shorter than 2048 x 28 bytes + palette.
bool prepare_text_font(GfxAssets& a, const uint8_t* art, size_t size);

// Both pointer images from the next 121 values of the constant-data list.
void prepare_pointer();
void prepare_pointer(GfxAssets& a);

// The button table from the next 60 values of the constant-data list (after prepare_pointer).
void load_buttons();
void load_buttons(GfxAssets& a);

// The pointer image chosen by the pointer mode, top-left at (x, y); the third value is unused.
void draw_pointer(int32_t x, int32_t y, int32_t unused);
void draw_pointer(const GfxAssets& a, uint32_t* target, int32_t x, int32_t y);

// Translucent fill of (w + 1) x (h + 1) pixels at (x, y); weight a of 256.
void blend_box(int32_t x, int32_t y, int32_t w, int32_t h, int32_t a, int32_t r, int32_t g, int32_t b);
