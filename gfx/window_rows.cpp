#include "gfx/window_rows.h"

#include <cstring>

static inline uint32_t red(uint32_t p) { return (p >> 16) & 0xFF; }
static inline uint32_t green(uint32_t p) { return (p >> 8) & 0xFF; }
static inline uint32_t blue(uint32_t p) { return p & 0xFF; }

static inline void put16(uint8_t* d, uint32_t v)
{
    d[0] = static_cast<uint8_t>(v);
    d[1] = static_cast<uint8_t>(v >> 8);
}

void row_copy_32(const uint32_t* src, void* dst, int n)
{
    if (n > 0) std::memcpy(dst, src, static_cast<size_t>(n) * 4);
}

void row_swap_32(const uint32_t* src, void* dst, int n)
{
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i) {
        uint32_t p = src[i];
        uint32_t v = green(p) << 8 | red(p) | blue(p) << 16;
        std::memcpy(d + i * 4, &v, 4);
    }
}

void row_bgr_24(const uint32_t* src, void* dst, int n)
{
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i, d += 3) {
        d[0] = static_cast<uint8_t>(blue(src[i]));
        d[1] = static_cast<uint8_t>(green(src[i]));
        d[2] = static_cast<uint8_t>(red(src[i]));
    }
}

void row_rgb_24(const uint32_t* src, void* dst, int n)
{
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i, d += 3) {
        d[0] = static_cast<uint8_t>(red(src[i]));
        d[1] = static_cast<uint8_t>(green(src[i]));
        d[2] = static_cast<uint8_t>(blue(src[i]));
    }
}

void row_565(const uint32_t* src, void* dst, int n)
{
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i)
        put16(d + i * 2, (red(src[i]) >> 3) << 11 | (green(src[i]) >> 2) << 5 | blue(src[i]) >> 3);
}

void row_565_swapped(const uint32_t* src, void* dst, int n)
{
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i)
        put16(d + i * 2, (blue(src[i]) >> 3) << 11 | (green(src[i]) >> 2) << 5 | red(src[i]) >> 3);
}

void row_555(const uint32_t* src, void* dst, int n)
{
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i)
        put16(d + i * 2, (red(src[i]) >> 3) << 10 | (green(src[i]) >> 3) << 5 | blue(src[i]) >> 3);
}

void row_555_swapped(const uint32_t* src, void* dst, int n)
{
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i)
        put16(d + i * 2, (blue(src[i]) >> 3) << 10 | (green(src[i]) >> 3) << 5 | red(src[i]) >> 3);
}

row_converter find_row_converter(int bpp, uint32_t r, uint32_t g, uint32_t b)
{
    struct Entry {
        int bpp;
        uint32_t r, g, b;
        row_converter convert;
    };
    static const Entry table[] = {
        {32, 0xFF0000, 0x00FF00, 0x0000FF, row_copy_32},
        {32, 0x0000FF, 0x00FF00, 0xFF0000, row_swap_32},
        {24, 0xFF0000, 0x00FF00, 0x0000FF, row_bgr_24},
        {24, 0x0000FF, 0x00FF00, 0xFF0000, row_rgb_24},
        {16, 0xF800, 0x07E0, 0x001F, row_565},
        {16, 0x001F, 0x07E0, 0xF800, row_565_swapped},
        {16, 0x7C00, 0x03E0, 0x001F, row_555},
        {16, 0x001F, 0x03E0, 0x7C00, row_555_swapped},
    };
    for (const Entry& e : table)
        if (e.bpp == bpp && e.r == r && e.g == g && e.b == b) return e.convert;
    return nullptr;
}

void convert_rows(row_converter convert, const uint32_t* src, int width, int height, void* dst, int pitch)
{
    uint8_t* row = static_cast<uint8_t*>(dst);
    for (int y = 0; y < height; ++y, src += width, row += pitch) convert(src, row, width);
}
