#include "platform/wave.h"

#include <SDL.h>

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/wave_queue.h"

namespace {
// A fixed-step run hands what it plays to SDL's queue; when fixed time runs ahead of the
// sound card, what would wait there longer than this is dropped instead of piling up.
constexpr Uint32 FIXED_QUEUE_LIMIT = WAVE_RATE / 2 * WAVE_FRAME_BYTES;
constexpr Uint16 CALLBACK_FRAMES = 1024;
}

struct wave_device {
    SDL_AudioDeviceID id = 0;
    wave_done_fn done = nullptr;
    void* user = nullptr;

    std::mutex lock;                       // guards the queue (but its atomics) and paused
    wave_queue queue;

    std::condition_variable wake;          // notification thread: work to do
    std::condition_variable drained;       // reset and fixed step: callbacks delivered
    bool quit = false;
    int delivering = 0;
    std::thread notifier;
    std::thread::id notifier_id;

    // Fixed-step runs only; touched on the main thread.
    bool fixed = false;
    bool paused = false;                   // guarded by lock
    double fixed_seen = 0.0;               // clock time whose frames have been played
    std::vector<Uint8> fixed_chunk;
};

// SDL's audio thread. Never calls back into the owner from here.
static void audio_pull(void* userdata, Uint8* stream, int len)
{
    wave_device* d = static_cast<wave_device*>(userdata);
    bool any_finished;
    {
        std::lock_guard<std::mutex> guard(d->lock);
        any_finished = wave_queue_play(d->queue, stream, static_cast<uint32_t>(len));
    }
    if (any_finished) d->wake.notify_one();
}

// Fixed-step runs: plays the frames of the fixed time since the last presented frame.
static void play_fixed_step(void* user)
{
    wave_device* d = static_cast<wave_device*>(user);
    double now = clock_seconds();
    uint64_t frames = wave_frames_at(now) - wave_frames_at(d->fixed_seen);
    d->fixed_seen = now;
    std::unique_lock<std::mutex> guard(d->lock);
    if (d->paused || frames == 0) return;
    // Handed-back buffers are refilled and queued again first, as a sound card with time to
    // spare would find them: how fast the refills run cannot change what is played.
    d->drained.wait(guard, [d] { return d->queue.finished.empty() && d->delivering == 0; });
    uint32_t bytes = static_cast<uint32_t>(frames * WAVE_FRAME_BYTES);
    d->fixed_chunk.resize(bytes);
    bool any_finished = wave_queue_play(d->queue, d->fixed_chunk.data(), bytes);
    guard.unlock();
    if (any_finished) d->wake.notify_one();
    if (SDL_GetQueuedAudioSize(d->id) < FIXED_QUEUE_LIMIT) SDL_QueueAudio(d->id, d->fixed_chunk.data(), bytes);
}

static void notify_loop(wave_device* d)
{
    std::unique_lock<std::mutex> guard(d->lock);
    for (;;) {
        d->wake.wait(guard, [d] { return d->quit || !d->queue.finished.empty(); });
        if (d->queue.finished.empty() && d->quit) break;
        while (!d->queue.finished.empty()) {
            wave_buffer* b = d->queue.finished.front();
            d->queue.finished.pop_front();
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
    d->fixed = clock_fixed_step();

    SDL_AudioSpec want{}, have{};
    want.freq = WAVE_RATE;
    want.format = AUDIO_S16LSB;
    want.channels = WAVE_CHANNELS;
    want.samples = CALLBACK_FRAMES;
    // Fixed-step runs push what fixed time plays; real time lets the sound card pull.
    want.callback = d->fixed ? nullptr : audio_pull;
    want.userdata = d;
    d->id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (d->id == 0) {
        delete d;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        *error = WAVE_NO_DEVICE;
        return nullptr;
    }
    try {
        d->notifier = std::thread(notify_loop, d);
    } catch (const std::system_error&) {
        SDL_CloseAudioDevice(d->id);
        delete d;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        *error = WAVE_ERROR;
        return nullptr;
    }
    d->notifier_id = d->notifier.get_id();
    if (d->fixed) {
        d->fixed_seen = clock_seconds();
        clock_add_frame_step(play_fixed_step, d);
    }
    SDL_PauseAudioDevice(d->id, 0);
    *error = WAVE_OK;
    return d;
}

wave_queue* wave_device_queue(wave_device* d) { return d ? &d->queue : nullptr; }

int wave_unprepare(wave_device* d, wave_buffer* b)
{
    if (!d) return WAVE_BAD_DEVICE;
    std::lock_guard<std::mutex> guard(d->lock);
    return wave_queue_unprepare(b);
}

int wave_write(wave_device* d, wave_buffer* b)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (int error = wave_queue_check(b)) return error;
    std::lock_guard<std::mutex> guard(d->lock);
    return wave_queue_append(d->queue, b);
}

int wave_pause(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (d->fixed) {
        std::lock_guard<std::mutex> guard(d->lock);
        d->paused = true;
    }
    SDL_PauseAudioDevice(d->id, 1);
    return WAVE_OK;
}

int wave_restart(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (d->fixed) {
        std::lock_guard<std::mutex> guard(d->lock);
        d->paused = false;
    }
    SDL_PauseAudioDevice(d->id, 0);
    return WAVE_OK;
}

int wave_reset(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    // Holding SDL's device lock keeps the audio thread out while the queue empties.
    SDL_LockAudioDevice(d->id);
    {
        std::lock_guard<std::mutex> guard(d->lock);
        wave_queue_hand_back_all(d->queue);
    }
    SDL_UnlockAudioDevice(d->id);
    if (d->fixed) SDL_ClearQueuedAudio(d->id);
    d->wake.notify_one();
    // A reset from inside a completion callback cannot wait for itself.
    if (std::this_thread::get_id() != d->notifier_id) {
        std::unique_lock<std::mutex> guard(d->lock);
        d->drained.wait(guard, [d] { return d->queue.finished.empty() && d->delivering == 0; });
    }
    return WAVE_OK;
}

int wave_close(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (std::this_thread::get_id() == d->notifier_id) return WAVE_STILL_PLAYING;
    if (d->fixed) clock_remove_frame_step(play_fixed_step, d);
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
