// The wave device in a page, over Web Audio (page.js: KelvarinAudio). The page has one
// thread: the audio node's callback pulls what the sound card plays while the program
// sleeps, and buffers it hands back reach their callback from a timer of their own right
// after, as the notification thread does on the desktop. In fixed-step runs the device plays
// by fixed time at each presented frame and passes what it played on to Web Audio as it comes.
#include "platform/wave.h"

#include <emscripten.h>

#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/wave_queue.h"

struct wave_device {
    wave_done_fn done = nullptr;
    void* user = nullptr;
    wave_queue queue;
    bool paused = false;
    bool delivering = false;           // inside the pass over the handed-back buffers
    bool fixed = false;                // plays by fixed time
    double fixed_seen = 0.0;           // clock time whose frames have been played
    std::vector<uint8_t> chunk;        // what the last pull or frame step played
};

namespace {

EM_JS(int, page_audio_open, (wave_device* device, int pull), { return KelvarinAudio.open(device, pull) ? 1 : 0; });
EM_JS(void, page_audio_close, (wave_device* device), { KelvarinAudio.close(device); });
EM_JS(void, page_audio_clear, (wave_device* device), { KelvarinAudio.clear(device); });
EM_JS(void, page_audio_played, (wave_device* device, const void* samples, int frames, int looping),
      { KelvarinAudio.played(device, samples, frames, looping); });
EM_JS(void, page_audio_deliver_soon, (wave_device* device), { KelvarinAudio.deliverSoon(device); });

// Every handed-back buffer to its callback. A callback may reset the device: what that hands
// back joins the pass under way.
void deliver(wave_device* d)
{
    if (d->delivering) return;
    d->delivering = true;
    while (!d->queue.finished.empty()) {
        wave_buffer* b = d->queue.finished.front();
        d->queue.finished.pop_front();
        if (d->done) d->done(d, b, d->user);
    }
    d->delivering = false;
}

// Plays frames into the chunk and passes them on; true when a buffer was handed back.
bool play(wave_device* d, uint32_t frames)
{
    uint32_t bytes = frames * WAVE_FRAME_BYTES;
    d->chunk.resize(bytes);
    bool looping = d->queue.head && (d->queue.head->flags & WAVE_LOOP);
    bool finished = false;
    if (d->paused)
        std::memset(d->chunk.data(), 0, bytes);
    else
        finished = wave_queue_play(d->queue, d->chunk.data(), bytes);
    page_audio_played(d, d->chunk.data(), static_cast<int>(frames), looping);
    return finished;
}

void play_fixed_step(void* user)
{
    wave_device* d = static_cast<wave_device*>(user);
    double now = clock_seconds();
    uint64_t frames = wave_frames_at(now) - wave_frames_at(d->fixed_seen);
    d->fixed_seen = now;
    if (d->paused || frames == 0) return;
    // Handed-back buffers are refilled and queued again first, as on the desktop.
    deliver(d);
    if (play(d, static_cast<uint32_t>(frames))) page_audio_deliver_soon(d);
}

}  // namespace

// Called by the page's audio node: frames of what the sound card plays, passed on through
// page_audio_played.
extern "C" EMSCRIPTEN_KEEPALIVE void wave_page_pull(wave_device* d, int frames)
{
    if (frames > 0 && play(d, static_cast<uint32_t>(frames))) page_audio_deliver_soon(d);
}

extern "C" EMSCRIPTEN_KEEPALIVE void wave_page_deliver(wave_device* d) { deliver(d); }

wave_device* wave_open(wave_done_fn done, void* user, int* error)
{
    int ignored;
    if (!error) error = &ignored;
    wave_device* d = new wave_device;
    d->done = done;
    d->user = user;
    d->fixed = clock_fixed_step();
    // Fixed time plays without a sound card; real time needs the page's audio to pull.
    if (!page_audio_open(d, d->fixed ? 0 : 1)) {
        delete d;
        *error = WAVE_NO_DEVICE;
        return nullptr;
    }
    if (d->fixed) {
        d->fixed_seen = clock_seconds();
        clock_add_frame_step(play_fixed_step, d);
    }
    *error = WAVE_OK;
    return d;
}

wave_queue* wave_device_queue(wave_device* d) { return d ? &d->queue : nullptr; }

int wave_unprepare(wave_device* d, wave_buffer* b)
{
    if (!d) return WAVE_BAD_DEVICE;
    return wave_queue_unprepare(b);
}

int wave_write(wave_device* d, wave_buffer* b)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (int error = wave_queue_check(b)) return error;
    return wave_queue_append(d->queue, b);
}

int wave_pause(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    d->paused = true;
    return WAVE_OK;
}

int wave_restart(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    d->paused = false;
    return WAVE_OK;
}

int wave_reset(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    wave_queue_hand_back_all(d->queue);
    page_audio_clear(d);
    deliver(d);
    return WAVE_OK;
}

int wave_close(wave_device* d)
{
    if (!d) return WAVE_BAD_DEVICE;
    if (d->delivering) return WAVE_STILL_PLAYING;
    if (d->fixed) clock_remove_frame_step(play_fixed_step, d);
    wave_reset(d);
    page_audio_close(d);
    delete d;
    return WAVE_OK;
}
