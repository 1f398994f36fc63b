// icongen SIZE OUT.png — the program's desktop icon, SIZE x SIZE pixels, drawn in the intro's
// own look: a few stars, blue gradient bars swinging across the top and the bottom, and the
// dark band with a big "K" from the intro font in its scan-line colours.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "issue/art/art.h"
#include "tools/common/png.h"

namespace {

constexpr int min_size = 16, max_size = 1024;
constexpr char letter = 'K';
constexpr int cell_columns = 10;  // the intro font's cell is 10 columns by the strip's height
// The intro's colours: scroll text on odd and even glyph rows, the band's edge and inside.
constexpr uint32_t text_odd = 0xEEEEFF, text_even = 0x7777AA;
constexpr uint32_t band_edge = 0x222266, band_inside = 0x444488;
constexpr uint32_t star_colours[3] = {0x222222, 0x444444, 0x888888};
// A bar is the intro's 32-row blue gradient (levels 17 x 1 ... 17 x 15 and back), stretched.
constexpr int bar_profile_rows = 32, bar_levels = 15;
constexpr int bars_per_side = 6;

constexpr int star_grid = 64;
struct Star {
    int x, y, layer;  // x, y in star_grid-ths of the icon
};
constexpr Star stars[] = {{5, 14, 2}, {14, 16, 0}, {23, 49, 1}, {49, 13, 2}, {58, 50, 0},
                          {36, 15, 1}, {9, 51, 0}, {44, 49, 2}, {27, 12, 0}, {61, 16, 1}};

struct Canvas {
    int size;
    std::vector<uint32_t> px;
    explicit Canvas(int s) : size(s), px(static_cast<size_t>(s) * s, 0) {}
    void fill(int x0, int y0, int w, int h, uint32_t c)
    {
        for (int y = std::max(0, y0); y < std::min(size, y0 + h); ++y)
            for (int x = std::max(0, x0); x < std::min(size, x0 + w); ++x) px[static_cast<size_t>(y) * size + x] = c;
    }
};

// Rows [top, bottom) and columns [left, right) of a cell that hold set pixels.
struct Ink {
    int top = 0, bottom = 0, left = 0, right = 0;
};

bool intro_font_pixel(int code, int row, int column)
{
    const unsigned char* palette = issue_intro_font;
    const unsigned char* strip = issue_intro_font + issue::palette_bytes;
    int index = strip[row * issue::intro_font_width + (code - 32) * cell_columns + 1 + column];
    return palette[3 * index] | palette[3 * index + 1] | palette[3 * index + 2];
}

Ink ink_of(int code)
{
    Ink ink{issue::intro_font_height, 0, cell_columns, 0};
    for (int r = 0; r < issue::intro_font_height; ++r)
        for (int k = 0; k < cell_columns; ++k)
            if (intro_font_pixel(code, r, k)) {
                ink.top = std::min(ink.top, r);
                ink.bottom = std::max(ink.bottom, r + 1);
                ink.left = std::min(ink.left, k);
                ink.right = std::max(ink.right, k + 1);
            }
    if (ink.bottom == 0) return {0, issue::intro_font_height, 0, cell_columns};
    return ink;
}

void draw_bar(Canvas& c, int y, int height)
{
    for (int i = 0; i < height; ++i) {
        int r = i * bar_profile_rows / height;
        int level = 17 * std::min({r + 1, bar_profile_rows - r, bar_levels});
        c.fill(0, y + i, c.size, 1, static_cast<uint32_t>(level));
    }
}

Canvas draw_icon(int size)
{
    Canvas c(size);
    int dot = std::max(1, size / star_grid);
    for (const Star& s : stars)
        c.fill(s.x * size / star_grid, s.y * size / star_grid, dot, dot, star_colours[s.layer]);

    // Bars first, then the band, as the intro draws them.
    int bar_height = size / 8, bar_centre = size / 16, swing = size / 16;
    for (int j = 0; j < bars_per_side; ++j) {
        int offset = static_cast<int>(std::lround(std::sin(0.9 + 0.5 * j) * swing));
        draw_bar(c, bar_centre + offset - bar_height / 2, bar_height);
        draw_bar(c, size - bar_centre - offset - bar_height / 2, bar_height);
    }

    Ink ink = ink_of(letter);
    int rows = ink.bottom - ink.top, columns = ink.right - ink.left;
    int scale = std::max(1, (size + 11) / 22);  // ten rows of ink come out about half the icon high
    int x0 = (size - columns * scale) / 2 - ink.left * scale;
    int y0 = (size - rows * scale) / 2 - ink.top * scale;
    int band_top = y0 + ink.top * scale - scale / 2, band_height = (rows + 1) * scale;
    int edge = std::max(1, scale / 4);
    c.fill(0, band_top, size, band_height, band_edge);
    c.fill(0, band_top + edge, size, band_height - 2 * edge, band_inside);
    for (int r = ink.top; r < ink.bottom; ++r)
        for (int k = ink.left; k < ink.right; ++k)
            if (intro_font_pixel(letter, r, k))
                c.fill(x0 + k * scale, y0 + r * scale, scale, scale, r % 2 ? text_odd : text_even);
    return c;
}

}  // namespace

int main(int argc, char** argv)
{
    int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size < min_size || size > max_size) {
        std::fprintf(stderr, "usage: icongen SIZE OUT.png   (SIZE from %d to %d)\n", min_size, max_size);
        return 2;
    }
    Canvas c = draw_icon(size);
    if (!png::write_rgb(argv[2], size, size, c.px)) {
        std::fprintf(stderr, "icongen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
