// The magazine panel picture, described as drawing steps on a palettised canvas.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/pcf.h"

namespace panelgen {

constexpr int width = 800, height = 600, palette_bytes = 768;

// Button rectangles (x, y, width, height; the picture covers x...x + width, y...y + height)
// and their labels, in the order of the program's button table.
struct Button { int x, y, w, h; const char* label; };
inline constexpr Button buttons[10] = {
    {35, 40, 88, 18, "QUIT"},     {35, 65, 88, 18, "CHARTS"},  {35, 90, 88, 18, "ARTICLES"},
    {672, 65, 88, 18, "RULES"},   {672, 90, 88, 18, "HELP"},   {672, 40, 88, 18, "MUTE"},
    {12, 132, 57, 18, "MUSIC 1"}, {75, 132, 57, 18, "MUSIC 2"}, {665, 132, 57, 18, "MUSIC 3"},
    {729, 132, 57, 18, "MUSIC 4"},
};

// Areas the program draws into; they stay pure black (index 0).
struct Rect { int x0, y0, x1, y1; };  // inclusive
inline constexpr Rect menu_box = {145, 38, 650, 148};
inline constexpr Rect text_area = {20, 192, 767, 580};
inline constexpr Rect scroll_track = {776, 195, 790, 576};

// Colour ramps of the palette: index 0 is black, each ramp runs from dark to bright.
enum Ramp { steel, gold, cyan, navy, ramp_count };
struct RampInfo { int base, size; };
inline constexpr RampInfo ramps[ramp_count] = {{1, 72}, {73, 64}, {137, 40}, {177, 32}};

struct Stop { double t; int r, g, b; };

inline void ramp_colour(Ramp ramp, double t, int& r, int& g, int& b)
{
    static const std::vector<Stop> stops[ramp_count] = {
        {{0, 5, 6, 14}, {0.45, 70, 78, 104}, {0.8, 160, 170, 200}, {1, 240, 244, 255}},
        {{0, 28, 10, 0}, {0.35, 130, 60, 8}, {0.7, 236, 178, 52}, {1, 255, 252, 214}},
        {{0, 0, 18, 30}, {0.5, 20, 120, 170}, {1, 170, 246, 255}},
        {{0, 0, 0, 10}, {1, 26, 36, 104}},
    };
    const auto& s = stops[ramp];
    size_t i = 1;
    while (i + 1 < s.size() && t > s[i].t) ++i;
    double f = (t - s[i - 1].t) / (s[i].t - s[i - 1].t);
    f = std::clamp(f, 0.0, 1.0);
    r = static_cast<int>(std::lround(s[i - 1].r + (s[i].r - s[i - 1].r) * f));
    g = static_cast<int>(std::lround(s[i - 1].g + (s[i].g - s[i - 1].g) * f));
    b = static_cast<int>(std::lround(s[i - 1].b + (s[i].b - s[i - 1].b) * f));
}

struct Canvas {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(width * height, 0);
    void put(int x, int y, Ramp ramp, double level)
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        const RampInfo& r = ramps[ramp];
        int step = static_cast<int>(std::lround(std::clamp(level, 0.0, 1.0) * (r.size - 1)));
        pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(r.base + step);
    }
    void black(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[static_cast<size_t>(y) * width + x] = 0;
    }
};

// Repeatable grain for brushed metal: a hash of the row with a little of the column, so
// the streaks run horizontally.
inline double grain(int x, int y)
{
    uint32_t h = static_cast<uint32_t>(y) * 2654435761u ^ static_cast<uint32_t>(x / 7) * 40503u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 255) / 255.0;
}

// A bevelled plate lit from the top left: raised plates have light top/left edges, sunken
// wells the reverse. The face gets a vertical sheen.
inline void plate(Canvas& c, Rect r, int depth, bool raised, double face_top, double face_bottom)
{
    for (int y = r.y0; y <= r.y1; ++y)
        for (int x = r.x0; x <= r.x1; ++x) {
            int dl = x - r.x0, dr = r.x1 - x, dt = y - r.y0, db = r.y1 - y;
            int d = std::min(std::min(dl, dr), std::min(dt, db));
            double level;
            if (d < depth) {
                bool lit = (dt == d || dl == d) && !(db == d || dr == d) ? true : (db == d || dr == d) ? false : true;
                if (dt == d && dr == d) lit = dt < dr;
                if (db == d && dl == d) lit = false;
                if (!raised) lit = !lit;
                double k = static_cast<double>(d) / depth;
                level = lit ? 0.95 - 0.2 * k : 0.12 + 0.1 * k;
            } else {
                double t = r.y1 == r.y0 ? 0 : static_cast<double>(y - r.y0) / (r.y1 - r.y0);
                level = face_top + (face_bottom - face_top) * t + (grain(x, y) - 0.5) * 0.05;
            }
            c.put(x, y, steel, level);
        }
}

inline void fill_black(Canvas& c, Rect r)
{
    for (int y = r.y0; y <= r.y1; ++y)
        for (int x = r.x0; x <= r.x1; ++x) c.black(x, y);
}

inline int text_width(const pcf::Font& f, const std::string& s, int sx)
{
    int w = 0;
    for (char ch : s)
        if (const pcf::Glyph* g = f.find(static_cast<uint8_t>(ch))) w += g->width * sx;
    return w;
}

// Draws s with its baseline at y: ink from a per-row ramp level, an outline-free drop shadow
// one step down and right in black, glyphs scaled by sx, sy.
template <class Ink>
void text(Canvas& c, const pcf::Font& f, const std::string& s, int x, int y, int sx, int sy, int shadow, Ink ink)
{
    for (int pass = 0; pass < 2; ++pass) {
        int pen = x;
        for (char ch : s) {
            const pcf::Glyph* g = f.find(static_cast<uint8_t>(ch));
            if (!g) continue;
            int top = y - g->ascent * sy;
            for (int gy = 0; gy < (g->ascent + g->descent) * sy; ++gy)
                for (int gx = 0; gx < (g->right - g->left) * sx; ++gx) {
                    if (!g->at(gx / sx, gy / sy)) continue;
                    int px = pen + g->left * sx + gx, py = top + gy;
                    if (pass == 0) {
                        for (int k = 1; k <= shadow; ++k) c.black(px + k, py + k);
                    } else {
                        ink(px, py, gy, (g->ascent + g->descent) * sy);
                    }
                }
            pen += g->width * sx;
        }
    }
}

inline void rivet(Canvas& c, int cx, int cy)
{
    for (int y = -3; y <= 3; ++y)
        for (int x = -3; x <= 3; ++x) {
            int d2 = x * x + y * y;
            if (d2 > 10) continue;
            double light = 0.5 - 0.09 * (x + y) + (d2 > 6 ? -0.15 : 0.1);
            c.put(cx + x, cy + y, steel, light);
        }
}

// The whole panel. title and small are the fonts for the magazine's name and the labels.
inline Canvas draw_panel(const pcf::Font& title, const pcf::Font& small)
{
    Canvas c;
    // Base plate: dark brushed steel, a little lighter toward the top.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) c.put(x, y, steel, 0.34 - 0.12 * y / height + (grain(x, y) - 0.5) * 0.06);
    plate(c, {0, 0, width - 1, height - 1}, 3, true, 0.34, 0.22);

    // Title strip across the top with the name in gold chrome, centred.
    plate(c, {150, 3, 649, 32}, 2, false, 0.2, 0.14);
    const std::string name = "KELVARIN";
    int tw = text_width(title, name, 3);
    text(c, title, name, (width - tw) / 2, 30, 3, 2, 2, [&](int x, int y, int row, int rows) {
        double t = static_cast<double>(row) / rows;
        double level = t < 0.45 ? 1.0 - t * 1.2 : t < 0.55 ? 0.3 : 0.45 + (t - 0.55) * 1.1;
        c.put(x, y, gold, level);
    });
    auto engraved = [&](const std::string& s, int x, int y, Ramp ramp, double level) {
        text(c, small, s, x, y, 1, 1, 1, [&](int px, int py, int row, int rows) {
            c.put(px, py, ramp, level - 0.3 * row / rows);
        });
    };
    engraved("VERIDIAN SCENE", 14, 24, cyan, 0.95);
    engraved("ISSUE 30 / DEC 2026", 786 - text_width(small, "ISSUE 30 / DEC 2026", 1), 24, cyan, 0.95);

    // Menu box: a sunken well around the black area the menus and bars use.
    plate(c, {menu_box.x0 - 4, menu_box.y0 - 4, menu_box.x1 + 4, menu_box.y1 + 4}, 4, false, 0.2, 0.2);
    fill_black(c, menu_box);

    // Buttons: raised plates exactly on their rectangles, labels in light cyan.
    for (const Button& b : buttons) {
        Rect r = {b.x, b.y, b.x + b.w, b.y + b.h};
        for (int x = r.x0 - 1; x <= r.x1 + 1; ++x) c.black(x, r.y0 - 1), c.black(x, r.y1 + 1);
        for (int y = r.y0 - 1; y <= r.y1 + 1; ++y) c.black(r.x0 - 1, y), c.black(r.x1 + 1, y);
        plate(c, r, 2, true, 0.62, 0.36);
        int lw = text_width(small, b.label, 1);
        engraved(b.label, b.x + (b.w + 1 - lw) / 2, b.y + 14, cyan, 1.0);
    }
    // Vents under each button column: short sunken slots.
    for (int side = 0; side < 2; ++side)
        for (int k = 0; k < 8; ++k) {
            int x = (side == 0 ? 37 : 674) + k * 11;
            plate(c, {x, 114, x + 6, 126}, 1, false, 0.1, 0.16);
        }
    rivet(c, 8, 8);
    rivet(c, 791, 8);
    rivet(c, 8, 591);
    rivet(c, 791, 591);

    // Name plate between the menus and the text.
    plate(c, {150, 158, 649, 178}, 2, true, 0.5, 0.3);
    const std::string motto = "THE CHART DISKMAG OF THE VERIDIAN SCENE";
    engraved(motto, (width - text_width(small, motto, 1)) / 2, 173, gold, 0.95);

    // Text area in a metal frame, the scroll-bar housing beside it.
    plate(c, {12, 184, 797, 588}, 4, true, 0.45, 0.3);
    plate(c, {16, 188, 771, 584}, 4, false, 0.2, 0.2);
    fill_black(c, text_area);
    plate(c, {773, 190, 793, 582}, 3, false, 0.18, 0.18);
    for (int y = scroll_track.y0; y <= scroll_track.y1; ++y)
        for (int x = scroll_track.x0; x <= scroll_track.x1; ++x) {
            double across = std::abs(x - (scroll_track.x0 + scroll_track.x1) / 2.0) / 7.5;
            c.put(x, y, navy, 0.85 - 0.6 * across);
        }
    return c;
}

// Palette bytes for the ramps (unused entries stay black).
inline void palette(uint8_t* p)
{
    for (int r = 0; r < ramp_count; ++r)
        for (int i = 0; i < ramps[r].size; ++i) {
            int red, green, blue;
            ramp_colour(static_cast<Ramp>(r), static_cast<double>(i) / (ramps[r].size - 1), red, green, blue);
            uint8_t* e = p + 3 * (ramps[r].base + i);
            e[0] = static_cast<uint8_t>(red);
            e[1] = static_cast<uint8_t>(green);
            e[2] = static_cast<uint8_t>(blue);
        }
}

}  // namespace panelgen
