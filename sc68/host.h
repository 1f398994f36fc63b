#pragma once
// Intro music host: streams the embedded SC68 tune to the wave device
// while the intro screen runs, from two buffers that are re-rendered on the
// device's notification thread whenever it hands one back.
#include <atomic>
#include <cstdint>

struct api68_t;
struct wave_device;
struct wave_buffer;

constexpr int INTRO_BUFFER_FRAMES = 11025;   // 250 ms at 44,100 Hz
constexpr uint32_t INTRO_BUFFER_BYTES = INTRO_BUFFER_FRAMES * 4;

using intro_refill_fn = void (*)(wave_device* device, wave_buffer* header, uintptr_t parameter);

// What the device notification calls for a returned header; a null
// routine means the header is not queued again.
struct intro_completion {
  std::atomic<intro_refill_fn> routine;
  std::atomic<uintptr_t> parameter;
};

struct intro_host {
  api68_t* engine;
  wave_device* device;
  wave_buffer* header_a;
  wave_buffer* header_b;
  std::atomic<bool> stopping;      // set first thing in stop: a refill ends within one engine frame
  std::atomic<unsigned> refills;   // refills completed since start
  std::atomic<int> refill_frames;  // frames the last refill rendered; fewer when stop cut it short
};

// Loads the image (or, with from_file non-zero, the file named by data),
// queues two rendered buffers on a paused device. 1 = queued or skipped,
// 0 = the engine could not be created or the tune not loaded.
int intro_music_start(const void* data, unsigned size, int from_file);
// Lets the queued sound play.
void intro_music_resume();
// Stops the device, then shuts the engine down once no refill runs.
void intro_music_stop();

// The host's state, for inspection.
const intro_host& intro_music_host();
// Renders n frames one engine call each, restarting track 1 whenever the
// engine reports the end of its track. A set stop flag, checked between the
// calls, ends the render early. Returns the frames rendered.
int intro_music_render(api68_t* engine, uint32_t* frames, int n, const std::atomic<bool>* stop = nullptr);
