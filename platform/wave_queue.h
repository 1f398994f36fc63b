// The play queue of a wave device, what every platform's device shares: the buffers in the
// order written, the looping buffer's published count, the play position and the buffers
// handed back that wait for their callback. The device brings the locking: the calls marked
// "lock" run under the device's own lock (a device that lives on one thread needs none).
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>

#include "platform/wave.h"

struct wave_queue {
    wave_buffer* head = nullptr;
    wave_buffer* tail = nullptr;
    std::deque<wave_buffer*> finished;     // handed back, waiting for their callback
    uint64_t loop_read = 0;                // bytes of the looping buffer played, over all laps
    // Bytes of the looping buffer its writer has finished, over all laps: stored by the writer
    // after the bytes (release), loaded before any of them is copied (acquire).
    std::atomic<uint64_t> loop_written{0};
    // Bytes played: advanced after the bytes are copied out (release), so a writer that has
    // loaded it (acquire) may overwrite everything below it.
    std::atomic<uint32_t> position{0};
};

// The device's queue, or null for a null device: each platform's device gives it, and the
// calls that need nothing else (wave_prepare, wave_loop_written, wave_position) are made
// once, over it.
wave_queue* wave_device_queue(wave_device* device);

// The checks of wave_write that need no lock.
int wave_queue_check(const wave_buffer* b);
// Lock. wave_unprepare's and wave_write's work.
int wave_queue_unprepare(wave_buffer* b);
int wave_queue_append(wave_queue& q, wave_buffer* b);
// Lock. Copies len bytes of the queue into stream, silence where it holds nothing playable,
// and advances the position by what was copied. True when a buffer was handed back.
bool wave_queue_play(wave_queue& q, uint8_t* stream, uint32_t len);
// Lock. Hands every queued buffer back and starts the position and the loop counts afresh.
void wave_queue_hand_back_all(wave_queue& q);

// Whole frames of fixed time at clock time `seconds`: a fixed-step run plays the difference
// of two such counts at each presented frame.
uint64_t wave_frames_at(double seconds);
