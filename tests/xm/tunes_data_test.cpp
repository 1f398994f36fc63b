#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/xm/xm_builder.h"

namespace {

std::vector<uint8_t> read_tune(int k) {
    std::string path = std::string(KELVARIN_SOURCE_DIR) + "/issue/tunes/tune" + std::to_string(k) + ".xm";
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The magazine's own modules load completely (a short read would refuse
// them) and play with sound for their first seconds.
TEST(XmIssueTunes, LoadAndPlay) {
    for (int k = 1; k <= 4; ++k) {
        std::vector<uint8_t> bytes = read_tune(k);
        ASSERT_FALSE(bytes.empty()) << "tune " << k;
        xm_song* s = load_xm_bytes(bytes);
        ASSERT_NE(s, nullptr) << "tune " << k;
        EXPECT_EQ(s->channel_count, 4);
        EXPECT_EQ(s->flags & 1, 0) << "Amiga periods";
        EXPECT_EQ(s->default_tempo, 6);
        EXPECT_EQ(s->default_bpm, 125);
        ASSERT_TRUE(xm_render_start(s));
        int peak = 0;
        for (int b = 0; b < 250; ++b) {
            const int16_t* out = xm_render_block();
            for (int i = 0; i < XM_BLOCK_FRAMES * 2; ++i) peak = std::max(peak, std::abs(static_cast<int>(out[i])));
        }
        EXPECT_GT(peak, 2000) << "tune " << k;
        EXPECT_LT(peak, 32767) << "tune " << k << " clips";
        xm_free_song(s);
    }
}

}  // namespace
