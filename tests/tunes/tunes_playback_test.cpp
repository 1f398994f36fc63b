// The tunes as the magazine plays them, rendered through the player until they
// loop: what a listener would notice, clipping, silent stretches and uneven loudness.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "issue/tunes/tunes.h"
#include "tests/xm/xm_builder.h"

TEST(TunePlayback, NoClippingNoLongSilenceAndEvenLoudness) {
    constexpr int kSilence = 64;      // both channels below 1/512 of full scale
    constexpr long kMaxBlocks = 240L * XM_OUTPUT_RATE / XM_BLOCK_FRAMES;
    const unsigned char* data[] = {tune1_xm, tune2_xm, tune3_xm, tune4_xm};
    const unsigned long sizes[] = {tune1_xm_size, tune2_xm_size, tune3_xm_size, tune4_xm_size};
    double loudest = -1000, quietest = 0;
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE("tune " + std::to_string(n + 1));
        song_ptr song = start_song(std::vector<uint8_t>(data[n], data[n] + sizes[n]));
        ASSERT_TRUE(song);
        double sum = 0;
        long frames = 0, quiet = 0, longest_quiet = 0;
        int peak = 0, last_order = song->order;
        for (long b = 0; b < kMaxBlocks; ++b) {
            const int16_t* out = xm_render_block();
            if (song->order < last_order) break;  // back at the restart position
            last_order = song->order;
            for (int i = 0; i < XM_BLOCK_FRAMES; ++i) {
                int l = out[2 * i], r = out[2 * i + 1];
                peak = std::max({peak, std::abs(l), std::abs(r)});
                sum += double(l) * l + double(r) * r;
                quiet = (std::abs(l) < kSilence && std::abs(r) < kSilence) ? quiet + 1 : 0;
                longest_quiet = std::max(longest_quiet, quiet);
            }
            frames += XM_BLOCK_FRAMES;
        }
        double seconds = double(frames) / XM_OUTPUT_RATE, silence = double(longest_quiet) / XM_OUTPUT_RATE;
        double rms_db = 10 * std::log10(sum / (2.0 * frames) / (32768.0 * 32768.0));
        std::printf("tune %d: %.1f s, peak %d, RMS %.2f dBFS, longest silence %.2f s\n", n + 1, seconds, peak, rms_db,
                    silence);
        EXPECT_GE(seconds, 90.0);
        EXPECT_LE(seconds, 180.0);
        EXPECT_LT(peak, 32767);
        EXPECT_LT(silence, 2.0);
        loudest = std::max(loudest, rms_db);
        quietest = std::min(quietest, rms_db);
    }
    EXPECT_LE(loudest - quietest, 3.0);
}
