// The intro screen: drifting star field, swinging blue bars, and the
// double-size scroll line with the welcome text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int INTRO_FONT_WIDTH = 960;
constexpr int INTRO_FONT_HEIGHT = 18;
constexpr int INTRO_FONT_PIXELS = INTRO_FONT_WIDTH * INTRO_FONT_HEIGHT;
constexpr int INTRO_PALETTE_ENTRIES = 256;
constexpr int INTRO_PALETTE_BYTES = INTRO_PALETTE_ENTRIES * 3;
// Palette first, then the strip's index bytes.
constexpr size_t INTRO_FONT_ART_BYTES = INTRO_PALETTE_BYTES + INTRO_FONT_PIXELS;

constexpr int STAR_COUNT = 600;

struct IntroState {
    uint32_t intro_palette[INTRO_PALETTE_ENTRIES];
    int32_t intro_font_pixels[INTRO_FONT_PIXELS];
    // Entries 1..600 used.
    double star_x[STAR_COUNT + 1];
    double star_y[STAR_COUNT + 1];
    double intro_scroll_x = 0.0;
    int32_t intro_scroll_index = 1;
    // Unseeded generator: the same field on every run.
    uint32_t random_state = 1;
};

// The program's one instance.
extern IntroState intro;

// Welcome text of the scroll line (331 characters); filled by build_issue_strings.
extern std::string intro_scroll_text;

// Intro palette and font pixels from the compiled-in intro font.
void prepare_intro();
// False (nothing changed) when the font is shorter than palette + 960 x 18 bytes.
bool prepare_intro(IntroState& s, const uint8_t* art, size_t size);

// Places the 600 stars.
void prepare_stars();
void prepare_stars(IntroState& s);

// Moves and draws the stars by intro_step, then the 30 bars at intro_phase.
void draw_stars_and_bars();
void draw_stars_and_bars(IntroState& s, uint32_t* target, double phase, double step);

// The dark blue band behind the scroll line.
void draw_intro_band();
void draw_intro_band(uint32_t* target);

// Advances the scroll line by intro_step and draws it.
void draw_intro_scroll();
void draw_intro_scroll(IntroState& s, uint32_t* target, const std::string& text, double step);

// Double-size text at (x, y), colour_b on even glyph rows and colour_a on odd ones.
void draw_big_text(int32_t x, int32_t y, const std::string& text, int32_t unused, uint32_t colour_a,
                   uint32_t colour_b);
void draw_big_text(const IntroState& s, uint32_t* target, int32_t x, int32_t y, const std::string& text,
                   uint32_t colour_a, uint32_t colour_b);
