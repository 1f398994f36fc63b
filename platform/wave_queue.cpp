#include "platform/wave_queue.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void hand_back(wave_queue& q, wave_buffer* b)
{
    b->flags = (b->flags & ~WAVE_INQUEUE) | WAVE_DONE;
    q.finished.push_back(b);
}

}  // namespace

int wave_prepare(wave_device* d, wave_buffer* b)
{
    if (!wave_device_queue(d)) return WAVE_BAD_DEVICE;
    if (!b || (!b->data && b->bytes)) return WAVE_BAD_BUFFER;
    b->flags = (b->flags & WAVE_LOOP) | WAVE_PREPARED;
    b->next = nullptr;
    b->done_bytes = 0;
    return WAVE_OK;
}

int wave_queue_check(const wave_buffer* b)
{
    if (!b || (!b->data && b->bytes)) return WAVE_BAD_BUFFER;
    if (!(b->flags & WAVE_PREPARED)) return WAVE_UNPREPARED;
    // Whole frames only, so that the two channels never swap.
    if (b->bytes % WAVE_FRAME_BYTES) return WAVE_BAD_BUFFER;
    return WAVE_OK;
}

int wave_queue_unprepare(wave_buffer* b)
{
    if (!b) return WAVE_BAD_BUFFER;
    if (b->flags & WAVE_INQUEUE) return WAVE_STILL_PLAYING;
    b->flags &= ~WAVE_PREPARED;
    return WAVE_OK;
}

int wave_queue_append(wave_queue& q, wave_buffer* b)
{
    if (b->flags & WAVE_INQUEUE) return WAVE_STILL_PLAYING;
    b->flags = (b->flags & ~WAVE_DONE) | WAVE_INQUEUE;
    b->next = nullptr;
    b->done_bytes = 0;
    if (b->flags & WAVE_LOOP) {
        q.loop_read = 0;
        q.loop_written.store(b->bytes, std::memory_order_release);
    }
    if (q.tail)
        q.tail->next = b;
    else
        q.head = b;
    q.tail = b;
    return WAVE_OK;
}

bool wave_queue_play(wave_queue& q, uint8_t* stream, uint32_t len)
{
    bool any_finished = false;
    uint32_t at = 0;
    while (at < len && q.head) {
        wave_buffer* b = q.head;
        uint32_t n = std::min(len - at, b->bytes - b->done_bytes);
        bool loop = b->flags & WAVE_LOOP;
        if (loop) {
            // Only what the writer has published; past it the device waits in silence.
            uint64_t written = q.loop_written.load(std::memory_order_acquire);
            uint64_t ready = written > q.loop_read ? written - q.loop_read : 0;
            if (ready < n) n = static_cast<uint32_t>(ready);
            if (n == 0) break;
        }
        std::memcpy(stream + at, static_cast<const uint8_t*>(b->data) + b->done_bytes, n);
        at += n;
        b->done_bytes += n;
        if (loop) {
            q.loop_read += n;
            if (b->done_bytes >= b->bytes) b->done_bytes = 0;
        } else if (b->done_bytes >= b->bytes) {
            q.head = b->next;
            if (!q.head) q.tail = nullptr;
            hand_back(q, b);
            any_finished = true;
        }
    }
    if (at < len) std::memset(stream + at, 0, len - at);
    q.position.fetch_add(at, std::memory_order_release);
    return any_finished;
}

void wave_queue_hand_back_all(wave_queue& q)
{
    for (wave_buffer* b = q.head; b;) {
        wave_buffer* next = b->next;
        hand_back(q, b);
        b = next;
    }
    q.head = q.tail = nullptr;
    q.loop_read = 0;
    q.loop_written.store(0, std::memory_order_relaxed);
    q.position.store(0, std::memory_order_release);
}

int wave_loop_written(wave_device* d, uint64_t bytes)
{
    wave_queue* q = wave_device_queue(d);
    if (!q) return WAVE_BAD_DEVICE;
    q->loop_written.store(bytes, std::memory_order_release);
    return WAVE_OK;
}

uint32_t wave_position(wave_device* d)
{
    wave_queue* q = wave_device_queue(d);
    return q ? q->position.load(std::memory_order_acquire) : 0;
}

uint64_t wave_frames_at(double seconds) { return static_cast<uint64_t>(std::floor(seconds * WAVE_RATE)); }

const char* wave_error_text(int code)
{
    switch (code) {
    case WAVE_OK: return "The operation completed successfully.";
    case WAVE_BAD_DEVICE: return "The audio device handle is invalid.";
    case WAVE_NO_DEVICE: return "No audio output device is available.";
    case WAVE_BAD_BUFFER: return "The audio buffer is invalid.";
    case WAVE_UNPREPARED: return "The audio buffer has not been prepared.";
    case WAVE_STILL_PLAYING: return "The audio buffer is still playing.";
    default: return "Unknown audio device error.";
    }
}
