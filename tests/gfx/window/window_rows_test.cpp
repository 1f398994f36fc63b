#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/window_rows.h"

namespace {

// A source row whose channels differ in every bit that each reduction keeps or drops.
std::vector<uint32_t> sample_row(int n)
{
    std::vector<uint32_t> row(n);
    for (int i = 0; i < n; ++i) {
        uint32_t r = (i * 37 + 11) & 0xFF, g = (i * 91 + 200) & 0xFF, b = (i * 53 + 7) & 0xFF;
        row[i] = 0xAB000000u | r << 16 | g << 8 | b;   // top byte must be ignored
    }
    return row;
}

uint32_t R(uint32_t p) { return (p >> 16) & 0xFF; }
uint32_t G(uint32_t p) { return (p >> 8) & 0xFF; }
uint32_t B(uint32_t p) { return p & 0xFF; }

uint32_t expected(row_converter c, uint32_t p)
{
    if (c == row_copy_32) return p;
    if (c == row_swap_32) return G(p) << 8 | R(p) | B(p) << 16;
    if (c == row_565) return (R(p) >> 3) << 11 | (G(p) >> 2) << 5 | B(p) >> 3;
    if (c == row_565_swapped) return (B(p) >> 3) << 11 | (G(p) >> 2) << 5 | R(p) >> 3;
    if (c == row_555) return (R(p) >> 3) << 10 | (G(p) >> 3) << 5 | B(p) >> 3;
    if (c == row_555_swapped) return (B(p) >> 3) << 10 | (G(p) >> 3) << 5 | R(p) >> 3;
    if (c == row_bgr_24) return B(p) | G(p) << 8 | R(p) << 16;   // memory bytes B, G, R
    return R(p) | G(p) << 8 | B(p) << 16;                        // memory bytes R, G, B
}

struct Format {
    int bpp;
    uint32_t r, g, b;
    row_converter convert;
};

const Format formats[] = {
    {32, 0xFF0000, 0x00FF00, 0x0000FF, row_copy_32}, {32, 0x0000FF, 0x00FF00, 0xFF0000, row_swap_32},
    {24, 0xFF0000, 0x00FF00, 0x0000FF, row_bgr_24},  {24, 0x0000FF, 0x00FF00, 0xFF0000, row_rgb_24},
    {16, 0xF800, 0x07E0, 0x001F, row_565},           {16, 0x001F, 0x07E0, 0xF800, row_565_swapped},
    {16, 0x7C00, 0x03E0, 0x001F, row_555},           {16, 0x001F, 0x03E0, 0x7C00, row_555_swapped},
};

uint32_t read_pixel(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}

}  // namespace

TEST(RowConverters, EachFormatIsFoundByItsMasks)
{
    for (const Format& f : formats) EXPECT_EQ(find_row_converter(f.bpp, f.r, f.g, f.b), f.convert);
    EXPECT_EQ(find_row_converter(32, 0xFF0000, 0x00FF00, 0x0000FF00), nullptr);
    EXPECT_EQ(find_row_converter(8, 0xE0, 0x1C, 0x03), nullptr);
    EXPECT_EQ(find_row_converter(16, 0xF800, 0x07E0, 0xF800), nullptr);
}

TEST(RowConverters, WholeFramesAtAWiderPitchLeaveThePaddingAlone)
{
    // 13 pixels: not a multiple of any block size a converter may use internally.
    const int width = 13, height = 3;
    for (const Format& f : formats) {
        SCOPED_TRACE(f.bpp);
        const int bytes = f.bpp / 8;
        const int pitch = width * bytes + 7;
        std::vector<uint32_t> src;
        for (int y = 0; y < height; ++y) {
            auto row = sample_row(width);
            for (auto& p : row) p ^= y * 0x010203;
            src.insert(src.end(), row.begin(), row.end());
        }
        std::vector<uint8_t> dst(pitch * height, 0xEE);
        convert_rows(f.convert, src.data(), width, height, dst.data(), pitch);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint32_t want = expected(f.convert, src[y * width + x]);
                if (f.bpp == 32 && f.convert == row_copy_32) want = src[y * width + x];
                ASSERT_EQ(read_pixel(&dst[y * pitch + x * bytes], bytes), want) << x << "," << y;
            }
            for (int i = width * bytes; i < pitch; ++i) ASSERT_EQ(dst[y * pitch + i], 0xEE);
        }
    }
}

TEST(RowConverters, OddLengthsStopAtTheLastPixel)
{
    for (const Format& f : formats) {
        for (int n : {0, 1, 3, 5, 7, 9, 17}) {
            auto src = sample_row(n);
            std::vector<uint8_t> dst(n * 4 + 8, 0x5A);
            f.convert(src.data(), dst.data(), n);
            const int bytes = f.bpp / 8;
            for (int i = n * bytes; i < int(dst.size()); ++i) ASSERT_EQ(dst[i], 0x5A) << f.bpp << " n=" << n;
        }
    }
}
