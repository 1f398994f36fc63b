#include "tests/tunes/tune_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "xm/xm.h"

namespace tunes_test {

namespace {

constexpr int silence_level = 64;

}  // namespace

TuneFigures measure_tune(const unsigned char* data, size_t size, double max_seconds) {
    TuneFigures f;
    mem_source = {data, static_cast<uint32_t>(size)};
    xm_set_file_callbacks(mem_open, mem_close, mem_read, mem_seek, mem_tell);
    xm_song* song = xm_load_song(nullptr, nullptr);
    if (!song || !xm_render_start(song)) {
        xm_free_song(song);
        return f;
    }
    f.loaded = true;
    const long max_blocks = static_cast<long>(max_seconds * XM_OUTPUT_RATE / XM_BLOCK_FRAMES);
    double sum = 0;
    long frames = 0, quiet = 0, longest_quiet = 0;
    int last_order = song->order;
    for (long b = 0; b < max_blocks; ++b) {
        const int16_t* out = xm_render_block();
        if (song->order < last_order) break;  // back at the restart position
        last_order = song->order;
        for (int i = 0; i < XM_BLOCK_FRAMES; ++i) {
            int l = out[2 * i], r = out[2 * i + 1];
            f.peak = std::max({f.peak, std::abs(l), std::abs(r)});
            sum += double(l) * l + double(r) * r;
            quiet = (std::abs(l) < silence_level && std::abs(r) < silence_level) ? quiet + 1 : 0;
            longest_quiet = std::max(longest_quiet, quiet);
        }
        frames += XM_BLOCK_FRAMES;
    }
    f.seconds = double(frames) / XM_OUTPUT_RATE;
    f.longest_silence = double(longest_quiet) / XM_OUTPUT_RATE;
    f.rms_db = frames ? 10 * std::log10(sum / (2.0 * frames) / (32768.0 * 32768.0)) : -999;
    xm_free_song(song);
    return f;
}

}  // namespace tunes_test
