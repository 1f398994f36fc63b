#include "app/text.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "gfx/assets.h"
#include "gfx/frame.h"

namespace {

constexpr int STYLE_2_ROW = 14;  // second glyph set starts at strip row 14
constexpr int COLOUR_BLACK = 31; // cell colour 31 draws every value black

// Strip offset of the glyph's top-left pixel, or -1 when nothing is to be drawn.
inline int glyph_origin(std::string_view s, int32_t style, int32_t colour) {
    if (s.empty() || (style != 1 && style != 2) || colour < 1 || colour > COLOUR_BLACK)
        return -1;
    const int n = static_cast<unsigned char>(s[0]) - 32;
    if (n <= 0 || n >= FONT_STRIP_WIDTH)
        return -1;
    const int row = style == 1 ? 0 : STYLE_2_ROW;
    return row * FONT_STRIP_WIDTH + n * GLYPH_WIDTH + 1;
}

inline uint32_t shade(int32_t value, int32_t colour) {
    if (colour == COLOUR_BLACK)
        return 0;
    return assets.shade_table[(value & 0xFF) * SHADE_COLUMNS + colour];
}

inline void put(int32_t x, int32_t y, uint32_t c) {
    frame_buffer[y * FRAME_WIDTH + x] = c;
}

inline uint32_t channel(double v) {
    return static_cast<uint32_t>(std::nearbyint(v));
}

// Rainbow colours of rule pixel j at the current anim_phase. Every rainbow rule of a frame
// shares the phase, so the sines of each pixel position are worked out once per phase.
struct RainbowCache {
    double phase = -1.0;
    bool valid[FRAME_WIDTH + 1] = {};
    uint32_t centre[FRAME_WIDTH + 1] = {};
    uint32_t edge[FRAME_WIDTH + 1] = {};
};
RainbowCache rainbow;

void rainbow_colours(int64_t j, uint32_t& centre, uint32_t& edge) {
    if (j <= FRAME_WIDTH && rainbow.phase == anim_phase && rainbow.valid[j]) {
        centre = rainbow.centre[j];
        edge = rainbow.edge[j];
        return;
    }
    const double t = anim_phase + static_cast<double>(j);
    const double sr = std::sin(0.01 * t), sg = std::sin(0.012 * t + 0.96), sb = std::sin(0.013 * t + 2.47);
    centre = channel(sr * 124.0 + 125.0) << 16 | channel(sg * 124.0 + 125.0) << 8 | channel(sb * 124.0 + 125.0);
    edge = channel(sr * 64.0 + 65.0) << 16 | channel(sg * 64.0 + 65.0) << 8 | channel(sb * 64.0 + 65.0);
    if (j <= FRAME_WIDTH) {
        if (rainbow.phase != anim_phase) {
            rainbow.phase = anim_phase;
            std::fill(std::begin(rainbow.valid), std::end(rainbow.valid), false);
        }
        rainbow.valid[j] = true;
        rainbow.centre[j] = centre;
        rainbow.edge[j] = edge;
    }
}

}  // namespace

void draw_glyph_clipped(std::string_view s, int32_t x, int32_t y, int32_t x_min, int32_t x_max,
                        int32_t y_min, int32_t y_max, int32_t style, int32_t colour) {
    const int origin = glyph_origin(s, style, colour);
    if (origin < 0)
        return;
    // The clip box never reaches outside the frame, whatever the caller passes.
    if (x_min < 0)
        x_min = 0;
    if (x_max > FRAME_WIDTH - 1)
        x_max = FRAME_WIDTH - 1;
    if (y_min < 0)
        y_min = 0;
    if (y_max > FRAME_HEIGHT - 1)
        y_max = FRAME_HEIGHT - 1;
    for (int r = 0; r < GLYPH_HEIGHT; ++r) {
        const int64_t sy = int64_t{y} + r;
        if (sy < y_min || sy > y_max)
            continue;
        const int32_t* src = &assets.font_pixels[origin + r * FONT_STRIP_WIDTH];
        for (int i = 0; i < GLYPH_WIDTH; ++i) {
            const int64_t sx = int64_t{x} + i;
            const int32_t v = src[i];
            if (v > 1 && sx >= x_min && sx <= x_max)
                put(static_cast<int32_t>(sx), static_cast<int32_t>(sy), shade(v, colour));
        }
    }
}

void draw_glyph_view(std::string_view s, int32_t x, int32_t y, int32_t style, int32_t colour) {
    const int origin = glyph_origin(s, style, colour);
    if (origin < 0)
        return;
    const bool inside = x >= 0 && x <= FRAME_WIDTH - GLYPH_WIDTH;
    for (int r = 0; r < GLYPH_HEIGHT; ++r) {
        const int64_t sy = int64_t{y} + r;
        if (sy < VIEW_TEXT_TOP || sy > VIEW_TEXT_BOTTOM)
            continue;
        const int32_t* src = &assets.font_pixels[origin + r * FONT_STRIP_WIDTH];
        if (inside) {
            uint32_t* dst = &frame_buffer[sy * FRAME_WIDTH + x];
            for (int i = 0; i < GLYPH_WIDTH; ++i)
                dst[i] = shade(src[i], colour);
        } else {
            // Off-frame columns are dropped rather than written into the neighbouring row.
            for (int i = 0; i < GLYPH_WIDTH; ++i) {
                const int64_t sx = int64_t{x} + i;
                if (sx >= 0 && sx < FRAME_WIDTH)
                    put(static_cast<int32_t>(sx), static_cast<int32_t>(sy), shade(src[i], colour));
            }
        }
    }
}

void draw_text_clipped(std::string_view s, int32_t x, int32_t y, int32_t x_min, int32_t x_max,
                       int32_t y_min, int32_t y_max, int32_t style, int32_t colour) {
    for (size_t k = 0; k < s.size(); ++k) {
        const int64_t gx = int64_t{x} + GLYPH_WIDTH * static_cast<int64_t>(k);
        if (gx > x_max || gx > FRAME_WIDTH)
            break;
        if (gx + GLYPH_WIDTH <= x_min)
            continue;
        draw_glyph_clipped(s.substr(k, 1), static_cast<int32_t>(gx), y, x_min, x_max, y_min, y_max, style,
                           colour);
    }
}

void draw_rule(int32_t y, int32_t x, int32_t length, int32_t kind) {
    struct Solid {
        uint32_t centre, edge;
    };
    static constexpr Solid solid[8] = {
        {0, 0},
        {0xFFFFFF, 0x888888}, {0xFF0000, 0x880000}, {0x00FF00, 0x008800}, {0x0000FF, 0x000088},
        {0xFFFF00, 0x888800}, {0x00FFFF, 0x008888}, {0xFF00FF, 0x880088},
    };
    if (kind < 1 || kind > 8 || length < 0)
        return;
    const int64_t count = kind == 8 ? int64_t{length} + 1 : length;
    // Rows and columns off the frame are skipped: a rule placed partly off screen never writes elsewhere.
    int64_t j0 = 0, j1 = count;
    if (int64_t{x} + j0 < 0)
        j0 = -int64_t{x};
    if (int64_t{x} + j1 > FRAME_WIDTH)
        j1 = FRAME_WIDTH - int64_t{x};
    if (j0 >= j1)
        return;
    if (kind != 8) {
        for (int dy = -1; dy <= 1; ++dy) {
            const int64_t row = int64_t{y} + dy;
            if (row < 0 || row >= FRAME_HEIGHT)
                continue;
            const uint32_t c = dy == 0 ? solid[kind].centre : solid[kind].edge;
            const int64_t start = row * FRAME_WIDTH + x;
            for (int64_t j = j0; j < j1; ++j)
                frame_buffer[start + j] = c;
        }
        return;
    }
    for (int64_t j = j0; j < j1; ++j) {
        uint32_t centre, edge;
        rainbow_colours(j, centre, edge);
        for (int dy = -1; dy <= 1; ++dy) {
            const int64_t row = int64_t{y} + dy;
            if (row >= 0 && row < FRAME_HEIGHT)
                frame_buffer[row * FRAME_WIDTH + x + j] = dy == 0 ? centre : edge;
        }
    }
}
