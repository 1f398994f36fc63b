// Draws the magazine screen as the reader shows it, for previews of the data.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace preview {

constexpr int W = 800, H = 600;
constexpr int strip_w = 2048, strip_h = 28, palette_bytes = 768;

struct Screen {
    int width = W, height = H;
    std::vector<uint32_t> px = std::vector<uint32_t>(static_cast<size_t>(W) * H, 0);
    void set(int x, int y, uint32_t c)
    {
        if (x >= 0 && y >= 0 && x < width && y < height) px[static_cast<size_t>(y) * width + x] = c;
    }
    uint32_t get(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

// Shade table [value][colour 0...30] from the strip's palette: ten tint groups in three
// brightness steps; colour 31 is black.
struct Shades {
    uint32_t table[256][32] = {};
    explicit Shades(const uint8_t* palette)
    {
        for (int i = 0; i < 256; ++i)
            for (int k = 1; k <= 30; ++k) {
                int g = (k - 1) / 3, s = (k - 1) % 3;
                int v[3];
                for (int ch = 0; ch < 3; ++ch) {
                    int p = palette[3 * i + ch];
                    v[ch] = s == 0 ? p : s == 1 ? 2 * p / 3 : p / 2;
                }
                auto s7 = [](int x) { return (7 * x + 4) / 10; };
                auto s3 = [](int x) { return (3 * x + 4) / 10; };
                int r = v[0], gr = v[1], b = v[2];
                switch (g) {
                case 1: gr = b = 0; break;
                case 2: r = b = 0; break;
                case 3: r = gr = 0; break;
                case 4: b = 0; break;
                case 5: r = 0; break;
                case 6: gr = 0; break;
                case 7: gr = s7(gr); b = s3(b); break;
                case 8: r = s3(r); gr = s7(gr); break;
                case 9: r = s7(r); b = s7(b); break;
                default: break;
                }
                table[i][k] = static_cast<uint32_t>(r << 16 | gr << 8 | b);
            }
    }
};

struct Font {
    const uint8_t* strip;  // strip_w x strip_h values
    Shades shades;
    explicit Font(const uint8_t* bytes) : strip(bytes), shades(bytes + strip_w * strip_h) {}
    uint8_t value(int code, int style, int r, int i) const
    {
        return strip[static_cast<size_t>((style == 1 ? 0 : 14) + r) * strip_w + (code - 32) * 9 + 1 + i];
    }
};

// One glyph; opaque paints values 0 and 1 too, transparent lets them show the picture.
inline void glyph(Screen& s, const Font& f, int code, int x, int y, int style, int colour, bool opaque,
                  int x_min = 0, int x_max = W, int y_min = 193, int y_max = 579)
{
    if (code <= 32 || (style != 1 && style != 2) || colour < 1 || colour > 31) return;
    for (int r = 0; r < 12; ++r) {
        if (y + r < y_min || y + r > y_max) continue;
        for (int i = 0; i < 9; ++i) {
            int v = f.value(code, style, r, i);
            if (!opaque && (v <= 1 || x + i < x_min || x + i > x_max)) continue;
            s.set(x + i, y + r, colour == 31 ? 0 : f.shades.table[v][colour]);
        }
    }
}

inline void text(Screen& s, const Font& f, const std::string& t, int x, int y, int style, int colour,
                 int x_min, int x_max, int y_min, int y_max)
{
    for (size_t k = 0; k < t.size(); ++k)
        glyph(s, f, static_cast<uint8_t>(t[k]), x + 9 * static_cast<int>(k), y, style, colour, false, x_min, x_max,
              y_min, y_max);
}

inline void rule(Screen& s, int y, int x, int n, int kind, double phase)
{
    static constexpr uint32_t centre[8] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    static constexpr uint32_t edge[8] = {0x888888, 0x880000, 0x008800, 0x000088, 0x888800, 0x008888, 0x880088};
    if (kind >= 1 && kind <= 7) {
        for (int j = 0; j < n; ++j) {
            s.set(x + j, y, centre[kind - 1]);
            s.set(x + j, y - 1, edge[kind - 1]);
            s.set(x + j, y + 1, edge[kind - 1]);
        }
    } else if (kind == 8) {
        for (int j = 0; j <= n; ++j) {
            double t = phase + j;
            double a = std::sin(0.01 * t), b = std::sin(0.012 * t + 0.96), c = std::sin(0.013 * t + 2.47);
            auto mix = [](double r, double g, double bl) {
                return static_cast<uint32_t>(std::nearbyint(r)) << 16 | static_cast<uint32_t>(std::nearbyint(g)) << 8 |
                       static_cast<uint32_t>(std::nearbyint(bl));
            };
            s.set(x + j, y, mix(a * 124 + 125, b * 124 + 125, c * 124 + 125));
            uint32_t e = mix(a * 64 + 65, b * 64 + 65, c * 64 + 65);
            s.set(x + j, y - 1, e);
            s.set(x + j, y + 1, e);
        }
    }
}

inline void blend_box(Screen& s, int x, int y, int w, int h, int a, int r, int g, int b)
{
    for (int yy = y; yy <= y + h; ++yy)
        for (int xx = x; xx <= x + w; ++xx) {
            uint32_t o = s.get(xx, yy);
            int orr = o >> 16 & 255, og = o >> 8 & 255, ob = o & 255;
            s.set(xx, yy, static_cast<uint32_t>(((r * a + orr * (256 - a)) >> 8) << 16 |
                                                ((g * a + og * (256 - a)) >> 8) << 8 | ((b * a + ob * (256 - a)) >> 8)));
        }
}

inline void picture(Screen& s, const uint8_t* panel)
{
    for (int i = 0; i < W * H; ++i) {
        const uint8_t* e = panel + 3 * panel[palette_bytes + i];
        s.px[static_cast<size_t>(i)] = static_cast<uint32_t>(e[0] << 16 | e[1] << 8 | e[2]);
    }
}

}  // namespace preview
