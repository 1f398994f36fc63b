// Glyph shapes and shading of the two font strips.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/cp437.h"
#include "tools/common/pcf.h"

namespace fontgen {

inline constexpr const char* text_regular_file = "8x13.pcf.gz";
inline constexpr const char* text_bold_file = "8x13B.pcf.gz";
inline constexpr const char* intro_file = "9x18B.pcf.gz";

constexpr int cell_w = 9, cell_h = 12;
constexpr int strip_w = 2048, strip_h = 28;
constexpr int style2_row = 14;
constexpr int intro_w = 960, intro_h = 18, intro_cell_w = 10;
constexpr int palette_bytes = 768;

// Font values: 0 background, 1 drop shadow, 2...11 ink from dark to bright.
constexpr int shadow = 1, ink_min = 2, ink_max = 11;
constexpr int line_value = 10;   // box-drawing strokes: one flat tone so frames look even
constexpr int shade_value = 8;   // the three shade characters

using Cell = std::array<std::array<uint8_t, cell_w>, cell_h>;

// Line weights of a box-drawing character's four arms: 0 none, 1 single, 2 double.
struct Arms { int up, down, left, right; };

// Arms of code page 437 codes 179...218 (block characters are drawn elsewhere).
inline bool box_arms(int code, Arms& a)
{
    static constexpr int8_t table[40][4] = {
        {1, 1, 0, 0}, {1, 1, 1, 0}, {1, 1, 2, 0}, {2, 2, 1, 0}, {0, 2, 1, 0}, {0, 1, 2, 0}, {2, 2, 2, 0},
        {2, 2, 0, 0}, {0, 2, 2, 0}, {2, 0, 2, 0}, {2, 0, 1, 0}, {1, 0, 2, 0}, {0, 1, 1, 0}, {1, 0, 0, 1},
        {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1}, {1, 1, 0, 2}, {2, 2, 0, 1},
        {2, 0, 0, 2}, {0, 2, 0, 2}, {2, 0, 2, 2}, {0, 2, 2, 2}, {2, 2, 0, 2}, {0, 0, 2, 2}, {2, 2, 2, 2},
        {1, 0, 2, 2}, {2, 0, 1, 1}, {0, 1, 2, 2}, {0, 2, 1, 1}, {2, 0, 0, 1}, {1, 0, 0, 2}, {0, 1, 0, 2},
        {0, 2, 0, 1}, {2, 2, 1, 1}, {1, 1, 2, 2}, {1, 0, 1, 0}, {0, 1, 0, 1},
    };
    if (code < 179 || code > 218) return false;
    const int8_t* t = table[code - 179];
    a = {t[0], t[1], t[2], t[3]};
    return true;
}

// Draws a box-drawing character so that its strokes reach the cell edges and meet the
// neighbouring cells' strokes: single lines on column 4 / row 5, double lines on columns
// 3 and 5 / rows 4 and 6. A double stroke is the outline of a 3-pixel bar, which gives
// clean inner corners where double lines meet.
inline Cell draw_box(const Arms& a)
{
    constexpr int cx = 4, cy = 5;
    bool vdouble = a.up == 2 || a.down == 2, hdouble = a.left == 2 || a.right == 2;
    // The bar region on a grid with a one-pixel margin, so strokes run on past the edges.
    bool bar[cell_h + 2][cell_w + 2] = {};
    auto fill = [&](int x0, int x1, int y0, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) bar[y + 1][x + 1] = true;
    };
    if (a.up == 2) fill(cx - 1, cx + 1, -1, hdouble ? cy + 1 : cy);
    if (a.down == 2) fill(cx - 1, cx + 1, hdouble ? cy - 1 : cy, cell_h);
    if (a.left == 2) fill(-1, vdouble ? cx + 1 : cx, cy - 1, cy + 1);
    if (a.right == 2) fill(vdouble ? cx - 1 : cx, cell_w, cy - 1, cy + 1);

    Cell c{};
    for (int y = 0; y < cell_h; ++y)
        for (int x = 0; x < cell_w; ++x) {
            if (!bar[y + 1][x + 1]) continue;
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) edge |= !bar[y + 1 + dy][x + 1 + dx];
            if (edge) c[y][x] = line_value;
        }
    auto vline = [&](int y0, int y1) {
        for (int y = y0; y <= y1; ++y) c[y][cx] = line_value;
    };
    auto hline = [&](int x0, int x1) {
        for (int x = x0; x <= x1; ++x) c[cy][x] = line_value;
    };
    if (a.up == 1) vline(0, hdouble ? cy - 1 : cy);
    if (a.down == 1) vline(hdouble ? cy + 1 : cy, cell_h - 1);
    if (a.left == 1) hline(0, vdouble ? cx - 1 : cx);
    if (a.right == 1) hline(vdouble ? cx + 1 : cx, cell_w - 1);
    return c;
}

// Shade of a solid block row: a gentle top-lit gradient that repeats every text row.
inline uint8_t block_value(int row) { return static_cast<uint8_t>(ink_max - row * 5 / (cell_h - 1)); }

// Block, half-block, shade and small-square characters; false for any other code.
// The shade patterns repeat every 3 columns and 6 rows, so they tile the 9 x 12 cells.
inline bool draw_block(int code, Cell& c)
{
    c = Cell{};
    auto rect = [&](int x0, int x1, int y0, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) c[y][x] = block_value(y);
    };
    switch (code) {
    case 219: rect(0, 8, 0, 11); return true;
    case 220: rect(0, 8, 6, 11); return true;
    case 221: rect(0, 4, 0, 11); return true;
    case 222: rect(5, 8, 0, 11); return true;
    case 223: rect(0, 8, 0, 5); return true;
    case 254: rect(2, 6, 3, 8); return true;
    case 176: case 177: case 178:
        for (int y = 0; y < cell_h; ++y)
            for (int x = 0; x < cell_w; ++x) {
                int m = (x + y) % 3;
                bool on = code == 176 ? m == 0 : code == 177 ? (m == 0 || (m == 1 && y % 2 == 0)) : m != 0;
                if (on) c[y][x] = shade_value;
            }
        return true;
    default: return false;
    }
}

// Ink value of glyph row r for each style: style 1 is lit from above and fades down,
// style 2 is a chrome band, bright in the middle rows and darker at top and bottom.
inline uint8_t ink_value(int style, int r)
{
    if (style == 1) return static_cast<uint8_t>(ink_max - r * 7 / (cell_h - 1));
    static constexpr uint8_t chrome[cell_h] = {6, 7, 9, 11, 11, 10, 8, 6, 5, 6, 8, 9};
    return chrome[r];
}

// Letter cell from a bitmap font: the font's 13-row box is fitted into 12 rows by dropping
// its top row, or its bottom row for glyphs that reach the top (accented capitals).
inline Cell draw_letter(const pcf::Glyph& g, int font_ascent, int style)
{
    Cell ink{};
    int top = font_ascent - g.ascent;
    bool reaches_top = false, reaches_bottom = false;
    int h = g.ascent + g.descent;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < g.right - g.left; ++x)
            if (g.at(x, y)) {
                reaches_top |= top + y == 0;
                reaches_bottom |= top + y >= cell_h;
            }
    int shift = reaches_top && !reaches_bottom ? 0 : -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < g.right - g.left; ++x) {
            int cy = top + y + shift, cx = g.left + x;
            if (g.at(x, y) && cy >= 0 && cy < cell_h && cx >= 0 && cx < cell_w - 1) ink[cy][cx] = 1;
        }
    Cell c{};
    for (int y = 0; y < cell_h; ++y)
        for (int x = 0; x < cell_w; ++x) {
            if (ink[y][x]) c[y][x] = ink_value(style, y);
            else if (y > 0 && x > 0 && ink[y - 1][x - 1]) c[y][x] = shadow;
        }
    return c;
}

// Palette of the text strip: black, the shadow grey, then a grey ramp for the ink values.
// Neutral greys let every tint group of the shade table keep its full range.
inline void text_palette(uint8_t* p)
{
    static constexpr uint8_t grey[12] = {0, 40, 84, 102, 120, 140, 160, 180, 200, 220, 240, 255};
    for (int i = 0; i < 12; ++i) p[3 * i] = p[3 * i + 1] = p[3 * i + 2] = grey[i];
}

inline bool build_text_strip(const pcf::Font& regular, const pcf::Font& bold, std::vector<uint8_t>& out,
                             std::string& error)
{
    out.assign(strip_w * strip_h + palette_bytes, 0);
    for (int code = 33; code <= 255; ++code)
        for (int style = 1; style <= 2; ++style) {
            Cell c;
            Arms arms;
            if (box_arms(code, arms)) {
                c = draw_box(arms);
            } else if (!draw_block(code, c)) {
                uint32_t cp = cp437::to_unicode(static_cast<uint8_t>(code));
                if (code == 255) cp = ' ';
                const pcf::Font& f = style == 1 ? regular : bold;
                const pcf::Glyph* g = f.find(cp);
                if (!g) g = regular.find(cp);
                if (!g) {
                    error = "no glyph for code " + std::to_string(code);
                    return false;
                }
                c = draw_letter(*g, f.ascent, style);
            }
            int x0 = (code - 32) * cell_w + 1, y0 = style == 1 ? 0 : style2_row;
            for (int y = 0; y < cell_h; ++y)
                for (int x = 0; x < cell_w; ++x) out[static_cast<size_t>(y0 + y) * strip_w + x0 + x] = c[y][x];
        }
    text_palette(out.data() + strip_w * strip_h);
    return true;
}

inline bool build_intro_strip(const pcf::Font& font, std::vector<uint8_t>& out, std::string& error)
{
    out.assign(palette_bytes + intro_w * intro_h, 0);
    out[3] = out[4] = out[5] = 255;  // index 1: white
    uint8_t* strip = out.data() + palette_bytes;
    for (int code = 33; code <= 126; ++code) {
        const pcf::Glyph* g = font.find(static_cast<uint32_t>(code));
        if (!g) {
            error = "intro font lacks code " + std::to_string(code);
            return false;
        }
        int top = font.ascent - g->ascent;
        for (int y = 0; y < g->ascent + g->descent; ++y)
            for (int x = 0; x < g->right - g->left; ++x) {
                int cy = top + y, cx = g->left + x;
                if (g->at(x, y) && cy >= 0 && cy < intro_h && cx >= 0 && cx < intro_cell_w)
                    strip[static_cast<size_t>(cy) * intro_w + (code - 32) * intro_cell_w + 1 + cx] = 1;
            }
    }
    return true;
}

}  // namespace fontgen
