#pragma once
// The engine interface: one engine per process turns an SC68 disk into
// 16-bit stereo frames (left sample, then right, little-endian) by running
// the track's 68000 replay code over the emulated sound chips.
#include <cstdint>

#include "sc68/base68.h"
#include "sc68/config68.h"
#include "sc68/cpu/emu68.h"
#include "sc68/file68.h"

constexpr uint32_t API68_MEMSIZE = 0x80000;   // 512 KB of 68000 RAM
constexpr int API68_RATE = 44100;             // rate every track starts with
constexpr int API68_MIN_RATE = 6000;
constexpr int API68_MAX_RATE = 50000;
constexpr uint32_t API68_CPU_CLOCK = 8000000;
constexpr uint32_t API68_CYCLES_50HZ = 160256;

// Status bits of api68_process.
enum : int {
  API68_IDLE = 2,          // every frame came from the previous replay frame
  API68_CHANGE = 4,        // a track started
  API68_END = 16,          // the track reached its total frames
  API68_STOPPED = 0x24,    // a pending stop was applied
};

struct api68_init_t {
  int sampling_rate;            // in: 0 = configured; out: rate used
  sc68_alloc_t alloc;           // required
  sc68_free_t free;             // required
  const char* user_path;        // optional
  const char* shared_path;      // optional
  debugmsg68_t debug;           // optional trace handler
  void* debug_cookie;
};

struct api68_t {
  int version;
  reg68_t reg;                  // registers as exchanged with the emulator
  disk68* disk;
  music68* mus;                 // current music or null
  int track;                    // 1-based, 0 when none
  int track_to;                 // pending: 0 none, 1..n start, -1 stop
  int force_track;
  uint32_t playaddr;
  config68 config;
  uint32_t default_time_ms;
  int sampling_rate;
  uint32_t frame_pos;           // next output frame in the mix buffer
  uint32_t frame_left;          // frames of the last replay frame not handed out
  uint32_t samples_per_frame;
  uint32_t cycles_per_frame;
  int amiga_blend;
  uint32_t samples_played;
  uint32_t frames_played;
  uint32_t total_frames;
  emu68_t emu;
  uint8_t* mem;                 // 68000 memory (API68_MEMSIZE + spare bytes)
  uint32_t* mix;                // output frames of the last replay frame
  uint32_t mix_size;
};

api68_t* api68_init(api68_init_t* init);
void api68_shutdown(api68_t* api);
int init_68k(uint32_t memsize, api68_t* api);
int api68_sampling_rate(api68_t* api, int rate);
int api68_load_mem(api68_t* api, const void* data, int size);
int api68_load_file(api68_t* api, const char* path);
int api68_play(api68_t* api, int track);
int api68_process(api68_t* api, void* buf, int n);
int api68_rewind(api68_t* api);
int api68_stop(api68_t* api);
int apply_change_track(api68_t* api);
// Newest error message, removed from the list; null when none.
const char* api68_error();
