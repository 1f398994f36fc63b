#include "platform/wave.h"

#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

struct wave_device {
    SDL_AudioDeviceID id = 0;
    wave_done_fn done = nullptr;
    void* user = nullptr;

    std::mutex lock;                       // guards the queue and the finished list
    wave_buffer* head = nullptr;
    wave_buffer* tail = nullptr;
    std::deque<wave_buffer*> finished;     // waiting for their callback
    std::atomic<uint32_t> position{0};

    std::condition_variable wake;          // notification thread: work to do
    std::condition_variable drained;       // reset: callbacks delivered
    bool quit = false;
    int delivering = 0;
    std::thread notifier;
    std::thread::id notifier_id;
};

static void take_finished(wave_device* d, wave_buffer* b)
{
    b->flags = (b->flags & ~WAVE_INQUEUE) | WAVE_DONE;
    d->finished.push_back(b);
}

// SDL's audio thread: copies queued bytes into the stream and passes finished buffers to
// the notification thread. Never calls back into the owner from here.
static void audio_pull(void* userdata, Uint8* stream, int len)
{
    wave_device* d = static_cast<wave_device*>(userdata);
    bool any_finished = false;
    uint32_t played = 0;
    {
        std::lock_guard<std::mutex> guard(d->lock);
        int at = 0;
        while (at < len && d->head) {
            wave_buffer* b = d->head;
            uint32_t left = b->bytes - b->done_bytes;
            uint32_t n = static_cast<uint32_t>(len - at) < left ? static_cast<uint32_t>(len - at) : left;
            std::memcpy(stream + at, static_cast<const Uint8*>(b->data) + b->done_bytes, n);
            at += static_cast<int>(n);
            played += n;
            b->done_bytes += n;
            if (b->done_bytes >= b->bytes) {
                if (b->flags & WAVE_LOOP) {
                    b->done_bytes = 0;
                    if (b->bytes == 0) break;
                } else {
                    d->head = b->next;
                    if (!d->head) d->tail = nullptr;
                    take_finished(d, b);
                    any_finished = true;
                }
            }
        }
        if (at < len) std::memset(stream + at, 0, static_cast<size_t>(len - at));
        // Advanced under the lock: an owner that reads the position may then rewrite
        // what was played, knowing the copy is finished.
        d->position.fetch_add(played, std::memory_order_relaxed);
    }
    if (any_finished) d->wake.notify_one();
}

static void notify_loop(wave_device* d)
{
    std::unique_lock<std::mutex> guard(d->lock);
    for (;;) {
        d->wake.wait(guard, [d] { return d->quit || !d->finished.empty(); });
        if (d->finished.empty() && d->quit) break;
        while (!d->finished.empty()) {
            wave_buffer* b = d->finished.front();
            d->finished.pop_front();
            ++d->delivering;
            guard.unlock();
            if (d->done) d->done(d, b, d->user);
            guard.lock();
            --d->delivering;
        }
        d->drained.notify_all();
    }
    d->drained.notify_all();
}

wave_device* wave_open(wave_done_fn done, void* user, int* error)
{
    int ignored;
    if (!error) error = &ignored;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *error = WAVE_NO_DEVICE;
        return nullptr;
    }
    wave_device* d = new wave_device;
    d->done = done;
    d->user = user;

    SDL_AudioSpec want{}, have{};
    want.freq = WAVE_RATE;
    want.format = AUDIO_S16LSB;
    want.channels = WAVE_CHANNELS;
    want.samples = 1024;
    want.callback = audio_pull;
    want.userdata = d;
    d->id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (d->id == 0) {
        delete d;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        *error = WAVE_NO_DEVICE;
        return nullptr;
    }
    d->notifier = std::thread(notify_loop, d);
    d->notifier_id = d->notifier.get_id();
    SDL_PauseAudioDevice(d->id, 0);
    *error = WAVE_OK;
    return d;
}

int wave_prepare(wave_device* d, wave_buffer* b)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (!b || (!b->data && b->bytes)) return WAVE_BAD_BUFFER;
    b->flags = (b->flags & WAVE_LOOP) | WAVE_PREPARED;
    b->next = nullptr;
    b->done_bytes = 0;
    return WAVE_OK;
}

int wave_unprepare(wave_device* d, wave_buffer* b)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (!b) return WAVE_BAD_BUFFER;
    std::lock_guard<std::mutex> guard(d->lock);
    if (b->flags & WAVE_INQUEUE) return WAVE_STILL_PLAYING;
    b->flags &= ~WAVE_PREPARED;
    return WAVE_OK;
}

int wave_write(wave_device* d, wave_buffer* b)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (!b || (!b->data && b->bytes)) return WAVE_BAD_BUFFER;
    if (!(b->flags & WAVE_PREPARED)) return WAVE_UNPREPARED;
    // Whole frames only, so that the two channels never swap.
    if (b->bytes % WAVE_FRAME_BYTES) return WAVE_BAD_BUFFER;
    std::lock_guard<std::mutex> guard(d->lock);
    if (b->flags & WAVE_INQUEUE) return WAVE_STILL_PLAYING;
    b->flags = (b->flags & ~WAVE_DONE) | WAVE_INQUEUE;
    b->next = nullptr;
    b->done_bytes = 0;
    if (d->tail)
        d->tail->next = b;
    else
        d->head = b;
    d->tail = b;
    return WAVE_OK;
}

uint32_t wave_position(wave_device* d)
{
    if (!d) return 0;
    std::lock_guard<std::mutex> guard(d->lock);
    return d->position.load(std::memory_order_relaxed);
}

int wave_pause(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    SDL_PauseAudioDevice(d->id, 1);
    return WAVE_OK;
}

int wave_restart(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    SDL_PauseAudioDevice(d->id, 0);
    return WAVE_OK;
}

int wave_reset(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    // Holding SDL's device lock keeps the audio thread out while the queue empties.
    SDL_LockAudioDevice(d->id);
    {
        std::unique_lock<std::mutex> guard(d->lock);
        for (wave_buffer* b = d->head; b;) {
            wave_buffer* next = b->next;
            take_finished(d, b);
            b = next;
        }
        d->head = d->tail = nullptr;
        d->position.store(0, std::memory_order_relaxed);
    }
    SDL_UnlockAudioDevice(d->id);
    d->wake.notify_one();
    // A reset from inside a completion callback cannot wait for itself.
    if (std::this_thread::get_id() != d->notifier_id) {
        std::unique_lock<std::mutex> guard(d->lock);
        d->drained.wait(guard, [d] { return d->finished.empty() && d->delivering == 0; });
    }
    return WAVE_OK;
}

int wave_close(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (std::this_thread::get_id() == d->notifier_id) return WAVE_STILL_PLAYING;
    wave_reset(d);
    SDL_CloseAudioDevice(d->id);
    {
        std::lock_guard<std::mutex> guard(d->lock);
        d->quit = true;
    }
    d->wake.notify_one();
    d->notifier.join();
    delete d;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return WAVE_OK;
}

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
