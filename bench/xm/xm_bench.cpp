// Render speed of the XM player: seconds of audio mixed per second of one
// core, for a busy 4-channel and a busy 32-channel module.
#include <ctime>
#include <cstdio>
#include <cstdlib>

#include "tests/xm/xm_builder.h"

namespace {

double measure(int channels, double audio_seconds) {
    std::vector<uint8_t> bytes = busy_module(channels, 8).bytes();
    xm_song* song = load_xm_bytes(bytes);
    if (!song || !xm_render_start(song)) {
        fprintf(stderr, "xm_bench: the %d-channel module does not load\n", channels);
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
    printf("%2d channels: %.0f s of audio in %.3f s of CPU = %.0fx real time (checksum %ld)\n", channels, rendered,
           elapsed, rendered / elapsed, checksum);
    return rendered / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 600;
    measure(4, seconds);
    measure(32, seconds / 4);
    return 0;
}
