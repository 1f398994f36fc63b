#include "gfx/assets.h"

#include "issue/art/art.h"

GfxAssets assets;

// clang-format off
const int32_t constant_data[CONSTANT_DATA_COUNT] = {
    // Pointer, 11 rows of 11 codes: 1 outline, 2 body, 3 light edge, 4 shadow edge.
    1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
    1, 2, 3, 3, 3, 3, 3, 1, 0, 0, 0,
    1, 4, 2, 2, 2, 2, 1, 0, 0, 0, 0,
    1, 4, 2, 2, 2, 2, 3, 1, 0, 0, 0,
    1, 4, 2, 2, 2, 2, 2, 3, 1, 0, 0,
    1, 4, 2, 2, 2, 2, 2, 2, 3, 1, 0,
    1, 4, 1, 4, 2, 2, 2, 2, 2, 3, 1,
    1, 1, 0, 1, 4, 2, 2, 2, 2, 1, 0,
    1, 0, 0, 0, 1, 4, 2, 2, 1, 0, 0,
    0, 0, 0, 0, 0, 1, 4, 1, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0,
    // Buttons 1..10: x, y, width, height, state, glow.
    35, 40, 88, 18, 0, 0,     // quit
    35, 65, 88, 18, 0, 0,     // charts
    35, 90, 88, 18, 1, 0,     // articles
    672, 65, 88, 18, 0, 0,    // rules
    672, 90, 88, 18, 0, 0,    // help
    672, 40, 88, 18, 0, 0,    // music on/off
    12, 132, 57, 18, 1, 0,    // tune 1
    75, 132, 57, 18, 0, 0,    // tune 2
    665, 132, 57, 18, 0, 0,   // tune 3
    729, 132, 57, 18, 0, 0,   // tune 4
};
// clang-format on

namespace {

// Pointer colours by code; index 0 (and any unknown code) is transparent.
constexpr int POINTER_CODES = 5;
constexpr uint32_t POINTER_NORMAL_COLOURS[POINTER_CODES] = {0, 0x111133, 0x8888AA, 0xCCCCEE, 0x555577};
constexpr uint32_t POINTER_HOVER_COLOURS[POINTER_CODES] = {0, 0x553333, 0xDDBBBB, 0xFFEEEE, 0x997777};

uint32_t palette_entry(const uint8_t* palette, int i)
{
    return uint32_t(palette[3 * i]) << 16 | uint32_t(palette[3 * i + 1]) << 8 | uint32_t(palette[3 * i + 2]);
}

// Brightness steps: full, divided by 1.5, halved (all rounded down).
int darken(int v, int step)
{
    if (step == 1) return 2 * v / 3;
    if (step == 2) return v / 2;
    return v;
}

// 0.7 v and 0.3 v to the nearest integer, exact halves going down.
int seven_tenths(int v) { return (7 * v + 4) / 10; }
int three_tenths(int v) { return (3 * v + 4) / 10; }

uint32_t shade(int r, int g, int b, int group)
{
    switch (group) {
    case 0: break;
    case 1: g = 0; b = 0; break;
    case 2: r = 0; b = 0; break;
    case 3: r = 0; g = 0; break;
    case 4: b = 0; break;
    case 5: r = 0; break;
    case 6: g = 0; break;
    case 7: g = seven_tenths(g); b = three_tenths(b); break;
    case 8: r = three_tenths(r); g = seven_tenths(g); break;
    default: r = seven_tenths(r); b = seven_tenths(b); break;
    }
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

// The pointer is drawn only with its corner strictly inside these limits.
constexpr int32_t POINTER_X_LIMIT = 792;
constexpr int32_t POINTER_Y_LIMIT = 592;

bool inside_frame(int32_t x, int32_t y) { return x >= 0 && x < FRAME_WIDTH && y >= 0 && y < FRAME_HEIGHT; }

} // namespace

void rewind_constant_data(GfxAssets& a) { a.constant_data_pos = 0; }

int32_t read_constant_data(GfxAssets& a)
{
    if (a.constant_data_pos < 0 || a.constant_data_pos >= CONSTANT_DATA_COUNT) return 0;
    return constant_data[a.constant_data_pos++];
}

bool prepare_background(GfxAssets& a, const uint8_t* art, size_t size)
{
    if (art == nullptr || size < PANEL_ART_BYTES) return false;
    for (int i = 0; i < PALETTE_ENTRIES; ++i) a.background_palette[i] = palette_entry(art, i);
    const uint8_t* pixels = art + PALETTE_BYTES;
    for (int i = 0; i < PANEL_PIXELS; ++i) a.background_indices[i] = pixels[i];
    return true;
}

void decode_background(const GfxAssets& a, uint32_t* target, int32_t sx, int32_t sy, int32_t w, int32_t h,
                       int32_t dx, int32_t dy)
{
    // Widen before adding so extreme arguments cannot overflow; pixels whose source
    // or destination lies off the picture are skipped.
    for (int64_t y = sy; y <= int64_t(sy) + h; ++y) {
        const int64_t ty = dy + y - sy;
        if (y < 0 || y >= PANEL_HEIGHT || ty < 0 || ty >= FRAME_HEIGHT) continue;
        for (int64_t x = sx; x <= int64_t(sx) + w; ++x) {
            const int64_t tx = dx + x - sx;
            if (x < 0 || x >= PANEL_WIDTH || tx < 0 || tx >= FRAME_WIDTH) continue;
            const int32_t index = a.background_indices[y * PANEL_WIDTH + x];
            target[ty * FRAME_WIDTH + tx] = a.background_palette[uint32_t(index) & 0xFF];
        }
    }
}

bool prepare_text_font(GfxAssets& a, const uint8_t* art, size_t size)
{
    if (art == nullptr || size < FONT_ART_BYTES) return false;
    for (int i = 0; i < FONT_STRIP_PIXELS; ++i) a.font_pixels[i] = art[i];
    const uint8_t* palette = art + FONT_STRIP_PIXELS;
    for (int i = 0; i < PALETTE_ENTRIES; ++i) {
        a.shade_table[i * SHADE_COLUMNS] = 0;
        for (int k = 1; k < SHADE_COLUMNS; ++k) {
            const int group = (k - 1) / 3;
            const int step = (k - 1) % 3;
            const int r = darken(palette[3 * i], step);
            const int g = darken(palette[3 * i + 1], step);
            const int b = darken(palette[3 * i + 2], step);
            a.shade_table[i * SHADE_COLUMNS + k] = shade(r, g, b, group);
        }
    }
    return true;
}

void prepare_pointer(GfxAssets& a)
{
    for (int n = 0; n < POINTER_PIXELS; ++n) {
        const int32_t code = read_constant_data(a);
        const bool known = code > 0 && code < POINTER_CODES;
        a.pointer_normal[n] = known ? POINTER_NORMAL_COLOURS[code] : 0;
        a.pointer_hover[n] = known ? POINTER_HOVER_COLOURS[code] : 0;
    }
}

void load_buttons(GfxAssets& a)
{
    for (int b = 1; b <= BUTTON_COUNT; ++b) {
        a.buttons.x[b] = read_constant_data(a);
        a.buttons.y[b] = read_constant_data(a);
        a.buttons.width[b] = read_constant_data(a);
        a.buttons.height[b] = read_constant_data(a);
        a.buttons.state[b] = read_constant_data(a);
        a.buttons.glow[b] = read_constant_data(a);
    }
}

void draw_pointer(const GfxAssets& a, uint32_t* target, int32_t x, int32_t y)
{
    if (!(x > 0 && x < POINTER_X_LIMIT && y > 0 && y < POINTER_Y_LIMIT)) return;
    const uint32_t* image = a.pointer_mode == POINTER_NORMAL ? a.pointer_normal : a.pointer_hover;
    for (int r = 0; r < POINTER_SIZE; ++r) {
        for (int c = 0; c < POINTER_SIZE; ++c) {
            const uint32_t colour = image[r * POINTER_SIZE + c];
            if (colour != 0 && inside_frame(x + c, y + r)) target[(y + r) * FRAME_WIDTH + x + c] = colour;
        }
    }
}

void blend_box(int32_t x, int32_t y, int32_t w, int32_t h, int32_t a, int32_t r, int32_t g, int32_t b)
{
    // Pixels off the frame are skipped rather than written past the buffer.
    const int64_t x0 = x < 0 ? 0 : x;
    const int64_t y0 = y < 0 ? 0 : y;
    const int64_t x1 = int64_t(x) + w < FRAME_WIDTH ? int64_t(x) + w : FRAME_WIDTH - 1;
    const int64_t y1 = int64_t(y) + h < FRAME_HEIGHT ? int64_t(y) + h : FRAME_HEIGHT - 1;
    const uint32_t keep = uint32_t(256 - a);
    const uint32_t nr = uint32_t(r) * uint32_t(a);
    const uint32_t ng = uint32_t(g) * uint32_t(a);
    const uint32_t nb = uint32_t(b) * uint32_t(a);
    for (int64_t py = y0; py <= y1; ++py) {
        uint32_t* row = frame_buffer + py * FRAME_WIDTH;
        for (int64_t px = x0; px <= x1; ++px) {
            const uint32_t old = row[px];
            const uint32_t cr = (nr + ((old >> 16) & 0xFF) * keep) >> 8;
            const uint32_t cg = (ng + ((old >> 8) & 0xFF) * keep) >> 8;
            const uint32_t cb = (nb + (old & 0xFF) * keep) >> 8;
            row[px] = cr << 16 | cg << 8 | cb;
        }
    }
}

void prepare_background() { prepare_background(assets, issue_panel_picture, issue_panel_picture_size); }

void decode_background(int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t dx, int32_t dy)
{
    decode_background(assets, background_buffer, sx, sy, w, h, dx, dy);
}

void prepare_text_font() { prepare_text_font(assets, issue_text_font, issue_text_font_size); }

void prepare_pointer() { prepare_pointer(assets); }

void load_buttons() { load_buttons(assets); }

void draw_pointer(int32_t x, int32_t y, int32_t) { draw_pointer(assets, frame_buffer, x, y); }
