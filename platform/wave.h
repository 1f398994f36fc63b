// Wave output: a 44,100 Hz, 16-bit signed, stereo PCM device fed with caller buffers.
// Buffers play once, in order, and are handed back through the completion callback, which
// runs on the device's own notification thread and must never wait for the device's owner.
//
// A buffer written with WAVE_LOOP is a ring that plays round and round until reset, while its
// writer refills what has been played. The two meet only through two counts: the writer
// publishes how far it has written (wave_loop_written, after the bytes are in place) and the
// device plays nothing beyond that; the device advances the play position only after it has
// copied the bytes out, so the writer may overwrite whatever lies below the position it has
// read. When the writer falls behind, the device plays silence and the position stands still
// until more is published: it never plays a part being written or a lap that was not refilled.
//
// In fixed-step runs (platform/clock) the device plays by fixed time instead of the sound
// card's: at each presented frame, on the main thread, it takes the frames that frame's time
// holds (first waiting until every handed-back buffer has been through its callback), so the
// play position is the same on every run whatever the sound card does; what it took goes to
// the sound card as it comes. Open, reset and close on the main thread in such runs.
#pragma once
#include <cstdint>

constexpr int WAVE_RATE = 44100;
constexpr int WAVE_CHANNELS = 2;
constexpr int WAVE_FRAME_BYTES = 4;

struct wave_device;

struct wave_buffer {
    void* data;
    uint32_t bytes;
    uint32_t flags;
    void* user;
    // Owned by the device while the buffer is queued.
    wave_buffer* next;
    uint32_t done_bytes;
};

enum : uint32_t {
    WAVE_DONE = 1,
    WAVE_PREPARED = 2,
    WAVE_LOOP = 4,
    WAVE_INQUEUE = 16,
};

enum : int {
    WAVE_OK = 0,
    WAVE_ERROR = 1,
    WAVE_BAD_DEVICE = 2,
    WAVE_NO_DEVICE = 3,
    WAVE_BAD_BUFFER = 4,
    WAVE_UNPREPARED = 5,
    WAVE_STILL_PLAYING = 6,
};

using wave_done_fn = void (*)(wave_device* device, wave_buffer* buffer, void* user);

wave_device* wave_open(wave_done_fn done, void* user, int* error);
int wave_prepare(wave_device* device, wave_buffer* buffer);
int wave_unprepare(wave_device* device, wave_buffer* buffer);
// One looping buffer at a time; writing it counts its whole first lap as written.
int wave_write(wave_device* device, wave_buffer* buffer);
// The looping buffer's writer has finished its bytes up to `bytes`, counted over all laps
// since the buffer was written; call it after the bytes are in place. A part of the ring may
// be rewritten only once the position has passed it, so the count never runs more than one
// buffer length ahead of the position.
int wave_loop_written(wave_device* device, uint64_t bytes);
// Bytes played since open or the last reset (silence not counted); wraps at 2^32.
uint32_t wave_position(wave_device* device);
int wave_pause(wave_device* device);
int wave_restart(wave_device* device);
// Stops playback, hands every queued buffer back (its callbacks have run when this
// returns) and sets the position to 0.
int wave_reset(wave_device* device);
int wave_close(wave_device* device);
const char* wave_error_text(int code);
