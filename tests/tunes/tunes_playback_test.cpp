// The tunes as the magazine plays them: rendered through the player until they loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "issue/tunes/tunes.h"
#include "tests/tunes/tune_figures.h"

TEST(TunePlayback, NoClippingNoLongSilenceAndEvenLoudness) {
    const unsigned char* data[] = {tune1_xm, tune2_xm, tune3_xm, tune4_xm};
    const unsigned long sizes[] = {tune1_xm_size, tune2_xm_size, tune3_xm_size, tune4_xm_size};
    double loudest = -1000, quietest = 0;
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE("tune " + std::to_string(n + 1));
        tunes_test::TuneFigures f = tunes_test::measure_tune(data[n], sizes[n], 240);
        ASSERT_TRUE(f.loaded);
        std::printf("tune %d: %.1f s, peak %d, RMS %.2f dBFS, longest silence %.2f s\n", n + 1, f.seconds, f.peak,
                    f.rms_db, f.longest_silence);
        EXPECT_GE(f.seconds, 90.0);
        EXPECT_LE(f.seconds, 180.0);
        EXPECT_LT(f.peak, 32767);
        EXPECT_LT(f.longest_silence, 2.0);
        loudest = std::max(loudest, f.rms_db);
        quietest = std::min(quietest, f.rms_db);
    }
    EXPECT_LE(loudest - quietest, 3.0);
}
