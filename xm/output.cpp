// Output: the looping ring on the wave device, the step that keeps it mixed
// ahead of the play cursor, and the position queries.
//
// The ring is handed over to the device by counts alone: a block is published
// (wave_loop_written) once it is whole, and a slot is mixed again only after
// the device position has passed what it held a lap earlier. The device plays
// nothing unpublished, so a mixer that falls behind is heard as silence, never
// as a block being written or a stale lap.
#include <cstdlib>
#include <cstring>

#include "platform/thread.h"
#include "platform/wave.h"
#include "xm/xm.h"

namespace {

constexpr int kPollMs = 5;
constexpr size_t kRingBytes = static_cast<size_t>(XM_RING_FRAMES) * 4;
constexpr size_t kMixBytes = static_cast<size_t>(XM_RING_FRAMES) * 2 * sizeof(float);

wave_buffer ring_header;

void no_completion(wave_device*, wave_buffer*, void*) {}

// Play start, shared by the device and the device-less paths.
bool begin(xm_song* song) {
    if (!song) return false;
    xm_stop_song(song);
    if (!xm_callbacks.open) return false;
    xm_clear_voices();
    xm_start_state(song);
    xm_mixer.current_song = song;
    xm_mixer.position_table = new xm_block_position[XM_BLOCK_COUNT]();
    return true;
}

bool allocate_buffers() {
    xm_mixer.ring = static_cast<int16_t*>(calloc(kRingBytes, 1));
    xm_mixer.mix_allocation = calloc(kMixBytes + 256, 1);
    if (!xm_mixer.ring || !xm_mixer.mix_allocation) return false;
    uintptr_t raw = reinterpret_cast<uintptr_t>(xm_mixer.mix_allocation);
    xm_mixer.mix_buffer = reinterpret_cast<float*>((raw + 15) & ~static_cast<uintptr_t>(15));
    return true;
}

// The block under the play cursor or, while the device waits for the mixer,
// the last block it played: mixed either way, and never mixed again while it
// is the heard one, since mixing reaches only blocks the cursor has left.
void point_heard_index(uint64_t played) {
    uint64_t frame = played < xm_mixer.mixed_frames ? played : xm_mixer.mixed_frames - 1;
    xm_mixer.heard_index.store(static_cast<int>(frame / XM_BLOCK_FRAMES % XM_BLOCK_COUNT));
}

// One poll of the device: moves the heard index on, then mixes every block
// whose slot has been played, publishing each as soon as it is whole.
void output_step(void*) {
    uint32_t now = wave_position(xm_mixer.device);
    xm_mixer.played_bytes = xm_widen_position(xm_mixer.played_bytes, &xm_mixer.last_device_bytes, now);
    uint64_t played = xm_mixer.played_bytes / 4;
    point_heard_index(played);
    while (xm_mixer.mixed_frames + XM_BLOCK_FRAMES <= played + XM_RING_FRAMES) {
        xm_mixer.busy.store(1);
        xm_render_block();
        xm_mixer.mixed_frames += XM_BLOCK_FRAMES;
        wave_loop_written(xm_mixer.device, xm_mixer.mixed_frames * 4);
        xm_mixer.busy.store(0);
        // After a run dry the cursor's own block has just been mixed.
        point_heard_index(played);
    }
}

// One field of the heard block's record. The step moves the heard index away
// from a block before it mixes into it again (and the mixer stores records
// with release), so a field read while the index stayed put is the heard
// block's, never one from the lap ahead.
template <class Read>
auto heard_field(const xm_song* song, Read read) -> decltype(read(*xm_mixer.position_table)) {
    if (!song || !xm_mixer.position_table) return 0;
    for (;;) {
        int index = xm_mixer.heard_index.load();
        auto value = read(xm_mixer.position_table[index]);
        if (xm_mixer.heard_index.load() == index) return value;
    }
}

}  // namespace

uint64_t xm_widen_position(uint64_t played, uint32_t* last, uint32_t now) {
    played += static_cast<uint32_t>(now - *last);
    *last = now;
    return played;
}

bool xm_render_start(xm_song* song) {
    if (!begin(song)) return false;
    if (!allocate_buffers()) {
        xm_stop_song(song);
        return false;
    }
    return true;
}

bool xm_play_song(xm_song* song) {
    if (!begin(song)) return false;
    int error = 0;
    xm_mixer.device = wave_open(no_completion, nullptr, &error);
    if (!xm_mixer.device) return false;
    if (!allocate_buffers()) {
        xm_stop_song(song);
        return false;
    }
    ring_header = {};
    ring_header.data = xm_mixer.ring;
    ring_header.bytes = static_cast<uint32_t>(kRingBytes);
    ring_header.flags = WAVE_LOOP;
    xm_mixer.header = &ring_header;
    if (wave_prepare(xm_mixer.device, xm_mixer.header) != WAVE_OK) {
        xm_mixer.header = nullptr;
        xm_stop_song(song);
        return false;
    }
    do {
        xm_render_block();
    } while (xm_mixer.fill_index != 0);
    xm_mixer.mixed_frames = XM_RING_FRAMES;
    xm_mixer.played_bytes = 0;
    xm_mixer.last_device_bytes = 0;
    if (wave_write(xm_mixer.device, xm_mixer.header) != WAVE_OK) {
        xm_stop_song(song);
        return false;
    }
    // Mixing is time-critical: the ring covers two seconds of stalls, not more.
    // In fixed-step runs the step comes after the device's own frame step (the
    // device was opened first), so each frame's mixing sees that frame's position.
    xm_mixer.output = worker_start(output_step, nullptr, kPollMs, WORKER_TIME_CRITICAL);
    if (!xm_mixer.output) {
        xm_stop_song(song);
        return false;
    }
    return true;
}

bool xm_stop_song(xm_song* song) {
    if (!song) return false;
    worker_stop(xm_mixer.output);
    xm_mixer.output = nullptr;
    free(xm_mixer.mix_allocation);
    xm_mixer.mix_allocation = nullptr;
    xm_mixer.mix_buffer = nullptr;
    if (xm_mixer.device) {
        wave_reset(xm_mixer.device);
        if (xm_mixer.header) wave_unprepare(xm_mixer.device, xm_mixer.header);
        wave_close(xm_mixer.device);
        xm_mixer.device = nullptr;
    }
    xm_mixer.header = nullptr;
    free(xm_mixer.ring);
    xm_mixer.ring = nullptr;
    xm_mixer.current_song = nullptr;
    delete[] xm_mixer.position_table;
    xm_mixer.position_table = nullptr;
    xm_mixer.fill_index = 0;
    xm_mixer.mixed_frames = 0;
    xm_mixer.heard_index.store(0);
    return true;
}

int xm_get_order(const xm_song* song) {
    return heard_field(song, [](const xm_block_position& r) { return int{r.order.load(std::memory_order_acquire)}; });
}

int xm_get_row(const xm_song* song) {
    return heard_field(song, [](const xm_block_position& r) { return int{r.row.load(std::memory_order_acquire)}; });
}

uint32_t xm_get_time(const xm_song* song) {
    return heard_field(song, [](const xm_block_position& r) { return r.milliseconds.load(std::memory_order_acquire); });
}
