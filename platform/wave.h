// Wave output: a 44,100 Hz, 16-bit signed, stereo PCM device fed with caller buffers.
// A buffer written with WAVE_LOOP plays round and round until reset (a ring whose play
// position the caller polls); other buffers play once, in order, and are handed back
// through the completion callback, which runs on the device's own notification thread.
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
int wave_write(wave_device* device, wave_buffer* buffer);
// Bytes played since open or the last reset; wraps at 2^32.
uint32_t wave_position(wave_device* device);
int wave_pause(wave_device* device);
int wave_restart(wave_device* device);
// Stops playback, hands every queued buffer back (its callbacks have run when this
// returns) and sets the position to 0.
int wave_reset(wave_device* device);
int wave_close(wave_device* device);
const char* wave_error_text(int code);
