// Renders a module through the magazine's own player and measures what a listener
// would notice: clipping, silent stretches and loudness.
#pragma once

#include <cstddef>

namespace tunes_test {

struct TuneFigures {
    bool loaded = false;
    double seconds = 0;          // until the song returns to its restart position
    int peak = 0;                // largest output magnitude, 16-bit scale
    double rms_db = 0;           // RMS of both channels, dB relative to full scale
    double longest_silence = 0;  // seconds; silence = both channels below 1/512 of full scale
};

// Renders at most max_seconds.
TuneFigures measure_tune(const unsigned char* data, size_t size, double max_seconds);

}  // namespace tunes_test
