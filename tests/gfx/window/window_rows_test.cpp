// The frame reaches the display through one row converter per pixel format. What each one
// writes for a test frame is pinned by a checksum (the failure prints the new ones); that it
// writes exactly its pixels, whatever the length and the pitch, is checked byte by byte.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/window_rows.h"
#include "tests/gfx/checksum.h"

namespace {

struct Format {
    const char* name;
    int bpp;
    uint32_t r, g, b;
    row_converter convert;
    uint64_t sum;
};

const Format formats[] = {
    {"copy_32", 32, 0xFF0000, 0x00FF00, 0x0000FF, row_copy_32, 0x87bf5d4ba25fda6eu},
    {"swap_32", 32, 0x0000FF, 0x00FF00, 0xFF0000, row_swap_32, 0x0675d5c2536da0cbu},
    {"bgr_24", 24, 0xFF0000, 0x00FF00, 0x0000FF, row_bgr_24, 0x281c532a3462401bu},
    {"rgb_24", 24, 0x0000FF, 0x00FF00, 0xFF0000, row_rgb_24, 0x1f1b24be409f0ac3u},
    {"565", 16, 0xF800, 0x07E0, 0x001F, row_565, 0xef77e7f5929cddaeu},
    {"565_swapped", 16, 0x001F, 0x07E0, 0xF800, row_565_swapped, 0x96b4b47047dcff6eu},
    {"555", 16, 0x7C00, 0x03E0, 0x001F, row_555, 0xed1250bf36f9a1aeu},
    {"555_swapped", 16, 0x001F, 0x03E0, 0x7C00, row_555_swapped, 0xfb1288e7dea0d41au},
};

// Pixels whose channels differ in every bit that each reduction keeps or drops; the top
// byte must be ignored.
std::vector<uint32_t> sample_pixels(int n, int seed)
{
    std::vector<uint32_t> row(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const uint32_t k = uint32_t(i + 17 * seed);
        row[size_t(i)] = 0xAB000000u | ((k * 37 + 11) & 0xFF) << 16 | ((k * 91 + 200) & 0xFF) << 8 | ((k * 53 + 7) & 0xFF);
    }
    return row;
}

}  // namespace

TEST(RowConverters, EachFormatIsFoundByItsMasks)
{
    for (const Format& f : formats) EXPECT_EQ(find_row_converter(f.bpp, f.r, f.g, f.b), f.convert) << f.name;
    EXPECT_EQ(find_row_converter(32, 0xFF0000, 0x00FF00, 0x0000FF00), nullptr);
    EXPECT_EQ(find_row_converter(8, 0xE0, 0x1C, 0x03), nullptr);
    EXPECT_EQ(find_row_converter(16, 0xF800, 0x07E0, 0xF800), nullptr);
}

TEST(RowConverters, WriteExactlyTheirPixelsWhateverTheLengthAndPitch)
{
    expect_pinned_sums(formats, [](const Format& f) {
        const int bytes = f.bpp / 8;
        Checksum sum;
        // Lengths that are not a multiple of any block a converter may use inside.
        for (int n : {0, 1, 3, 5, 7, 9, 17, 64}) {
            const auto src = sample_pixels(n, n);
            std::vector<uint8_t> out(size_t(n * 4 + 8), 0x5A);
            f.convert(src.data(), out.data(), n);
            for (size_t i = size_t(n * bytes); i < out.size(); ++i) EXPECT_EQ(out[i], 0x5A) << f.name << " n=" << n;
            sum.note(out.data(), size_t(n * bytes));
        }
        // A whole frame of 13 x 3 at a wider pitch leaves the padding alone.
        const int width = 13, height = 3, pitch = width * bytes + 7;
        const auto src = sample_pixels(width * height, 99);
        std::vector<uint8_t> out(size_t(pitch * height), 0xEE);
        convert_rows(f.convert, src.data(), width, height, out.data(), pitch);
        for (int y = 0; y < height; ++y)
            for (int i = width * bytes; i < pitch; ++i) EXPECT_EQ(out[size_t(y * pitch + i)], 0xEE) << f.name;
        sum.note(out.data(), out.size());
        return sum.value;
    });
}
