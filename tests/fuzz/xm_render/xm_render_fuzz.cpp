// Loads arbitrary bytes as a module and renders two seconds of it: the
// engine and mixer must stay inside every buffer and always make progress.
// The song plays one tick per output frame, so that the numbers that grow
// tick by tick reach in those 2 s what half an hour at 125 BPM makes of them.
#include <cstddef>
#include <cstdint>

#include "xm/xm.h"

namespace {

// The header's BPM is a 16-bit word; at its top a tick lasts one frame.
constexpr int kFastestBpm = 65535;

void fastest_tick(xm_song* song) {
    xm_song_tick(song);
    xm_set_bpm(song, kFastestBpm);  // Fxx does not slow it down
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    mem_source = {data, static_cast<uint32_t>(size)};
    xm_set_file_callbacks(mem_open, mem_close, mem_read, mem_seek, mem_tell);
    xm_song* song = xm_load_song(nullptr, nullptr);
    if (!song) return 0;
    if (xm_render_start(song)) {
        song->tick_routine = fastest_tick;
        xm_set_bpm(song, kFastestBpm);
        for (int b = 0; b < XM_BLOCK_COUNT; ++b) xm_render_block();
    }
    xm_free_song(song);
    return 0;
}
