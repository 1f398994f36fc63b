// Render speed of the XM player: seconds of audio mixed per second of one
// core, one line each for the magazine's four tunes and for busy modules of
// 4, 8 and 32 channels.
//
//   xm_bench [SECONDS [NAME]]
//
// SECONDS of audio per tune and 4-channel module (default 600; the 8- and
// 32-channel modules render a half and a quarter of it); NAME (tune1..tune4,
// busy4, busy8, busy32) measures that one alone.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "issue/tunes/tunes.h"
#include "tests/xm/xm_builder.h"

namespace {

struct subject {
    const char* name;
    const char* label;  // the output line starts with it
    std::vector<uint8_t> bytes;
    double share;  // of SECONDS
};

std::vector<subject> subjects() {
    auto tune = [](const char* name, const unsigned char* data, unsigned long size) {
        return subject{name, name, std::vector<uint8_t>(data, data + size), 1};
    };
    return {
        tune("tune1", tune1_xm, tune1_xm_size),
        tune("tune2", tune2_xm, tune2_xm_size),
        tune("tune3", tune3_xm, tune3_xm_size),
        tune("tune4", tune4_xm, tune4_xm_size),
        {"busy4", " 4 channels", busy_module(4, 8).bytes(), 1},
        {"busy8", " 8 channels", busy_module(8, 8).bytes(), 0.5},
        {"busy32", "32 channels", busy_module(32, 8).bytes(), 0.25},
    };
}

void measure(const subject& s, double audio_seconds) {
    xm_song* song = load_xm_bytes(s.bytes);
    if (!song || !xm_render_start(song)) {
        fprintf(stderr, "xm_bench: %s does not load\n", s.name);
        exit(1);
    }
    int blocks = static_cast<int>(audio_seconds * XM_OUTPUT_RATE / XM_BLOCK_FRAMES);
    long checksum = 0;
    // Thread CPU time, so that other work on the machine does not count.
    timespec t0{}, t1{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
    for (int b = 0; b < blocks; ++b) checksum += xm_render_block()[b % XM_BLOCK_FRAMES];
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
    double elapsed = static_cast<double>(t1.tv_sec - t0.tv_sec) + (t1.tv_nsec - t0.tv_nsec) * 1e-9;
    xm_free_song(song);
    double rendered = static_cast<double>(blocks) * XM_BLOCK_FRAMES / XM_OUTPUT_RATE;
    printf("%s: %.0f s of audio in %.3f s of CPU = %.0fx real time (checksum %ld)\n", s.label, rendered, elapsed,
           rendered / elapsed, checksum);
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 600;
    const char* only = argc > 2 ? argv[2] : nullptr;
    bool found = false;
    for (const subject& s : subjects()) {
        if (only && strcmp(only, s.name) != 0) continue;
        measure(s, seconds * s.share);
        found = true;
    }
    if (!found) {
        fprintf(stderr, "xm_bench: no module named %s (tune1..tune4, busy4, busy8, busy32)\n", only);
        return 2;
    }
    return 0;
}
