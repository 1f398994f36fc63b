#include "gfx/intro.h"

#include <cmath>

#include "gfx/frame.h"
#include "issue/art/art.h"

IntroState intro;

namespace {

constexpr int GLYPH_COLUMNS = 10;
constexpr int GLYPH_ADVANCE = 20;
constexpr int LAST_GLYPH = 126 - 32;

constexpr int BAR_ROWS = 32;
constexpr int BARS_PER_SET = 15;
constexpr double BAR_SWING = 80.0;
// Phase offset between neighbouring bars, and the phase clock's slow-down.
constexpr double BAR_SPACING = 0.15;
constexpr double BAR_PHASE_DIVISOR = 3.0;
constexpr double BOTTOM_BARS_CENTRE = 568.0;

constexpr int BAND_TOP = 288;
constexpr int BAND_BOTTOM = 327;
constexpr int BAND_EDGE_ROWS = 3;
constexpr uint32_t BAND_EDGE_COLOUR = 0x222266;
constexpr uint32_t BAND_COLOUR = 0x444488;

constexpr double SCROLL_SPEED = 30.0;
constexpr int SCROLL_Y = 292;
constexpr size_t SCROLL_VISIBLE = 41;
constexpr uint32_t SCROLL_COLOUR_A = 0xEEEEFF;
constexpr uint32_t SCROLL_COLOUR_B = 0x7777AA;

constexpr double STAR_FIELD_WIDTH = 800.0;
constexpr double STAR_FIELD_HEIGHT = 600.0;
constexpr double STAR_MARGIN = 2.0;
// A star is drawn only strictly between 0 and this, so its 2 x 2 block fits.
constexpr double STAR_DRAW_LIMIT = 798.0;
constexpr int STARS_PER_LAYER = 200;

struct StarLayer {
    double speed;
    uint32_t colour;
};
constexpr StarLayer STAR_LAYERS[3] = {{4.0, 0x222222}, {8.0, 0x444444}, {16.0, 0x888888}};

// The classic runtime generator: values 0..32767, same sequence on every run.
int next_random(IntroState& s)
{
    s.random_state = s.random_state * 214013u + 2531011u;
    return int((s.random_state >> 16) & 0x7FFF);
}

double uniform(IntroState& s) { return next_random(s) / 32768.0; }

void set_pixel(uint32_t* target, int64_t x, int64_t y, uint32_t colour)
{
    if (x >= 0 && x < FRAME_WIDTH && y >= 0 && y < FRAME_HEIGHT) target[y * FRAME_WIDTH + x] = colour;
}

void draw_bar(uint32_t* target, int y)
{
    for (int r = 0; r < BAR_ROWS; ++r) {
        const int row = y + r;
        if (row <= 0 || row >= FRAME_HEIGHT) continue;
        int level = r + 1;
        if (BAR_ROWS - r < level) level = BAR_ROWS - r;
        if (level > 15) level = 15;
        const uint32_t colour = uint32_t(17 * level);
        uint32_t* line = target + row * FRAME_WIDTH;
        for (int x = 0; x < FRAME_WIDTH; ++x) line[x] = colour;
    }
}

// Nearest integer, ties to even; held inside the int range so a stalled clock
// cannot push the conversion out of it.
int nearest(double v)
{
    const double r = std::nearbyint(v);
    constexpr double LIMIT = 1e9;
    if (!(r > -LIMIT)) return int(-LIMIT);
    if (r > LIMIT) return int(LIMIT);
    return int(r);
}

} // namespace

bool prepare_intro(IntroState& s, const uint8_t* art, size_t size)
{
    if (art == nullptr || size < INTRO_FONT_ART_BYTES) return false;
    for (int i = 0; i < INTRO_PALETTE_ENTRIES; ++i)
        s.intro_palette[i] = uint32_t(art[3 * i]) << 16 | uint32_t(art[3 * i + 1]) << 8 | uint32_t(art[3 * i + 2]);
    const uint8_t* pixels = art + INTRO_PALETTE_BYTES;
    for (int i = 0; i < INTRO_FONT_PIXELS; ++i) s.intro_font_pixels[i] = pixels[i];
    return true;
}

void prepare_stars(IntroState& s)
{
    for (int n = 1; n <= STAR_COUNT; ++n) {
        s.star_x[n] = uniform(s) * STAR_FIELD_WIDTH - STAR_MARGIN;
        s.star_y[n] = uniform(s) * STAR_FIELD_HEIGHT - STAR_MARGIN;
    }
}

void draw_stars_and_bars(IntroState& s, uint32_t* target, double phase, double step)
{
    for (int n = 1; n <= STAR_COUNT; ++n) {
        const StarLayer& layer = STAR_LAYERS[(n - 1) / STARS_PER_LAYER];
        s.star_x[n] += layer.speed * step;
        if (s.star_x[n] > STAR_FIELD_WIDTH) s.star_x[n] -= STAR_FIELD_WIDTH;
        if (s.star_x[n] > 0.0 && s.star_x[n] < STAR_DRAW_LIMIT) {
            const int64_t px = int64_t(std::floor(s.star_x[n]));
            const int64_t py = int64_t(std::floor(s.star_y[n]));
            set_pixel(target, px, py, layer.colour);
            set_pixel(target, px + 1, py, layer.colour);
            set_pixel(target, px, py + 1, layer.colour);
            set_pixel(target, px + 1, py + 1, layer.colour);
        }
    }
    for (int j = 0; j < BARS_PER_SET; ++j)
        draw_bar(target, nearest(std::sin(phase / BAR_PHASE_DIVISOR + BAR_SPACING * j) * BAR_SWING));
    for (int j = 0; j < BARS_PER_SET; ++j)
        draw_bar(target,
                 nearest(std::sin(-BAR_SPACING * j - phase / BAR_PHASE_DIVISOR) * BAR_SWING + BOTTOM_BARS_CENTRE));
}

void draw_intro_band(uint32_t* target)
{
    for (int y = BAND_TOP; y <= BAND_BOTTOM; ++y) {
        const bool edge = y < BAND_TOP + BAND_EDGE_ROWS || y > BAND_BOTTOM - BAND_EDGE_ROWS;
        const uint32_t colour = edge ? BAND_EDGE_COLOUR : BAND_COLOUR;
        for (int x = 0; x < FRAME_WIDTH; ++x) target[y * FRAME_WIDTH + x] = colour;
    }
}

void draw_big_text(const IntroState& s, uint32_t* target, int32_t x, int32_t y, const std::string& text,
                   uint32_t colour_a, uint32_t colour_b)
{
    int64_t cx = x;
    for (const char ch : text) {
        int n = int(static_cast<unsigned char>(ch)) - 32;
        if (n < 0) n = 0;
        // Codes past 126 have no cell in the strip: advance without reading beyond it.
        if (ch != ' ' && n > 0 && n <= LAST_GLYPH) {
            for (int r = 0; r < INTRO_FONT_HEIGHT; ++r) {
                const uint32_t colour = (r % 2 == 0) ? colour_b : colour_a;
                const int32_t* strip_row = s.intro_font_pixels + r * INTRO_FONT_WIDTH + n * GLYPH_COLUMNS + 1;
                for (int k = 0; k < GLYPH_COLUMNS; ++k) {
                    const int64_t sx = cx + 2 * k;
                    if (sx < 1 || sx >= FRAME_WIDTH) continue;
                    if (s.intro_palette[uint32_t(strip_row[k]) & 0xFF] == 0) continue;
                    const int64_t sy = int64_t(y) + 2 * r;
                    set_pixel(target, sx, sy, colour);
                    set_pixel(target, sx + 1, sy, colour);
                    set_pixel(target, sx, sy + 1, colour);
                    set_pixel(target, sx + 1, sy + 1, colour);
                }
            }
        }
        cx += GLYPH_ADVANCE;
    }
}

void draw_intro_scroll(IntroState& s, uint32_t* target, const std::string& text, double step)
{
    s.intro_scroll_x -= SCROLL_SPEED * step;
    std::string visible;
    if (s.intro_scroll_index >= 1 && size_t(s.intro_scroll_index) <= text.size())
        visible = text.substr(size_t(s.intro_scroll_index) - 1, SCROLL_VISIBLE);
    draw_big_text(s, target, nearest(s.intro_scroll_x), SCROLL_Y, visible, SCROLL_COLOUR_A, SCROLL_COLOUR_B);
    if (s.intro_scroll_x < -double(GLYPH_ADVANCE)) {
        s.intro_scroll_x += GLYPH_ADVANCE;
        s.intro_scroll_index += 1;
        if (s.intro_scroll_index > int64_t(text.size())) s.intro_scroll_index = 1;
    }
}

void prepare_intro() { prepare_intro(intro, issue_intro_font, issue_intro_font_size); }

void prepare_stars() { prepare_stars(intro); }

void draw_stars_and_bars() { draw_stars_and_bars(intro, frame_buffer, intro_phase, intro_step); }

void draw_intro_band() { draw_intro_band(frame_buffer); }

void draw_intro_scroll() { draw_intro_scroll(intro, frame_buffer, intro_scroll_text, intro_step); }

void draw_big_text(int32_t x, int32_t y, const std::string& text, int32_t, uint32_t colour_a, uint32_t colour_b)
{
    draw_big_text(intro, frame_buffer, x, y, text, colour_a, colour_b);
}
