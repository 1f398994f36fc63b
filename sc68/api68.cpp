#include "sc68/api68.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "sc68/chips/mfp68901.h"
#include "sc68/chips/paula.h"
#include "sc68/chips/ste_sound.h"
#include "sc68/chips/ym2149.h"
#include "sc68/rsc68.h"

namespace {

constexpr int kVersion = 221;
constexpr uint32_t kInitSr = 0x2300;
constexpr uint32_t kStartSr = 0x2000;
constexpr uint32_t kInitStackGap = 16;
constexpr uint32_t kPlayEntry = 8;
constexpr uint32_t kSysVarAddr = 0x41A;   // word set to 0x0010 for the replays
constexpr uint32_t kSysVarValue = 0x0010;
constexpr uint32_t kCycleAlign = 32;
constexpr int kBlendOne = 65536;
constexpr uint32_t kMixSlack = 64;        // the YM may give a few samples more

api68_t* g_api = nullptr;   // the one engine

int16_t clamp16(int32_t v) { return int16_t(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

void amiga_blend(uint32_t* frames, uint32_t n, int blend) {
  int64_t b = blend < 0 ? 0 : blend > kBlendOne ? kBlendOne : blend;
  for (uint32_t i = 0; i < n; ++i) {
    int64_t l = int16_t(frames[i] & 0xFFFF);
    int64_t r = int16_t(frames[i] >> 16);
    int64_t nl = (l * (kBlendOne - b) + r * b) >> 16;
    int64_t nr = (r * (kBlendOne - b) + l * b) >> 16;
    frames[i] = uint32_t(uint16_t(nl)) | uint32_t(uint16_t(nr)) << 16;
  }
}

int attach_disk(api68_t* api, disk68* disk) {
  if (!api || !disk) {
    SC68file_free(disk);
    return -1;
  }
  if (api->disk) {
    SC68file_free(disk);
    return SC68error_add("disk is already loaded");
  }
  api->disk = disk;
  api->mus = nullptr;
  api->track = 0;
  int track = api->force_track > disk->nb_six ? 0 : api->force_track;
  if (api68_play(api, track) < 0) return -1;
  return 0;
}

bool mix_reserve(api68_t* api, uint32_t frames) {
  if (frames <= api->mix_size) return true;
  auto* p = static_cast<uint32_t*>(SC68alloc(frames * sizeof(uint32_t)));
  if (!p) return false;
  SC68free(api->mix);
  api->mix = p;
  api->mix_size = frames;
  return true;
}

// Loads the external replay at the play address; data address after it.
int load_replay(api68_t* api, const char* name, uint32_t* data_addr) {
  istream68* is = SC68rsc_open(SC68rsc_replay, name, ISTREAM68_READ);
  if (!is) return -1;
  int len = istream68_length(is);
  int err = -1;
  if (len < 0 || uint32_t(len) > api->emu.reg.memsz) {
    SC68error_add("68Kread_stream() : %s", "replay larger than 68000 memory");
  } else {
    auto* tmp = static_cast<uint8_t*>(SC68alloc(uint32_t(len) + 1));
    if (tmp && istream68_read(is, tmp, len) == len) {
      if (EMU68_memput(&api->emu, api->playaddr, tmp, uint32_t(len)) < 0) {
        const char* why = EMU68_error_get(&api->emu, 0);
        SC68error_add("68Kread_stream() : %s", why ? why : "memory error");
      } else {
        *data_addr = (api->playaddr + uint32_t(len) + 1) & ~1u;
        err = 0;
      }
    } else {
      SC68error_add("68Kread_stream() : %s", "read error");
    }
    SC68free(tmp);
  }
  istream68_destroy(is);
  return err;
}

}  // namespace

const char* api68_error() { return SC68error_get(); }

int api68_sampling_rate(api68_t* api, int rate) {
  if (rate == 0) return api ? api->sampling_rate : ste_sampling_rate(&ste_chip, 0);
  if (rate < API68_MIN_RATE) rate = API68_MIN_RATE;
  if (rate > API68_MAX_RATE) rate = API68_MAX_RATE;
  ym_sampling_rate(&ym_chip, rate);
  paula_sampling_rate(&paula_chip, rate);
  ste_sampling_rate(&ste_chip, rate);
  if (api) api->sampling_rate = rate;
  return rate;
}

int init_68k(uint32_t memsize, api68_t* api) {
  api->mem = static_cast<uint8_t*>(SC68alloc(memsize + EMU68_MEMSPARE));
  if (!api->mem) return SC68error_add("68000 memory allocation failed");
  const char* err = nullptr;
  if (EMU68_init(&api->emu, api->mem, memsize) < 0) {
    const char* why = EMU68_error_get(&api->emu, 0);
    SC68error_add("%s", why ? why : "EMU68_init failed");
    err = "68000 emulator init failed";
  } else {
    EMU68_get_registers(&api->emu, &api->reg);
    api->reg.sr = kStartSr;
    api->reg.a[7] = memsize - 4;
    if (ym_init(&ym_chip)) err = "Yamaha 2149 emulator init failed";
    else if (ste_init(&ste_chip)) err = "Microwire emulator init failed";
    else if (mfp_init(&mfp_chip)) err = "MFP emulator init failed";
    else if (paula_init(&paula_chip)) err = "Paula emulator init failed";
  }
  if (err) {
    EMU68_kill(&api->emu);
    SC68free(api->mem);
    api->mem = nullptr;
    return SC68error_add("%s", err);
  }
  return 0;
}

api68_t* api68_init(api68_init_t* init) {
  if (init) SC68debug_set_handler(init->debug, init->debug_cookie);
  if (g_api) {
    SC68debug("api68_init(): already initialized\n");
    return nullptr;
  }
  if (!init) {
    SC68error_add("api68_init() : missing init struct");
    return nullptr;
  }
  if (!init->alloc || !init->free) {
    SC68error_add("api68_init() : missing dynamic memory handler(s)");
    return nullptr;
  }
  SC68alloc_set(init->alloc, init->free);
  if (init->user_path) SC68rsc_set_user(init->user_path);
  if (init->shared_path) SC68rsc_set_share(init->shared_path);
  SC68rsc_default_paths();

  auto* api = static_cast<api68_t*>(SC68alloc(sizeof(api68_t)));
  if (!api) {
    SC68error_add("api68_init() : engine allocation failed");
    SC68rsc_shutdown();
    return nullptr;
  }
  std::memset(api, 0, sizeof *api);
  g_api = api;
  SC68config_load(&api->config);
  api->version = api->config.value[CONFIG68_VERSION];
  api->amiga_blend = api->config.value[CONFIG68_AMIGA_BLEND];
  api->force_track = api->config.value[CONFIG68_FORCE_TRACK];
  api->default_time_ms = uint32_t(api->config.value[CONFIG68_DEFAULT_TIME]) * 1000u;
  int rate = init->sampling_rate ? init->sampling_rate : api->config.value[CONFIG68_SAMPLING_RATE];
  if (init_68k(API68_MEMSIZE, api)) {
    api68_shutdown(api);
    return nullptr;
  }
  init->sampling_rate = api68_sampling_rate(api, rate);
  return api;
}

void api68_shutdown(api68_t* api) {
  SC68debug("api68_shutdown(): enter\n");
  if (!api || api != g_api) return;
  config68 c = api->config;
  c.value[CONFIG68_VERSION] = kVersion;
  c.value[CONFIG68_AMIGA_BLEND] = api->amiga_blend;
  c.value[CONFIG68_FORCE_TRACK] = api->force_track;
  c.value[CONFIG68_DEFAULT_TIME] = int((api->default_time_ms + 999u) / 1000u);
  if (api->sampling_rate) c.value[CONFIG68_SAMPLING_RATE] = api->sampling_rate;
  SC68config_save(&c);
  SC68rsc_shutdown();
  if (api->mem) EMU68_kill(&api->emu);
  SC68free(api->mem);
  SC68free(api->mix);
  SC68file_free(api->disk);
  SC68free(api);
  g_api = nullptr;
  SC68alloc_set(nullptr, nullptr);
}

int api68_load_mem(api68_t* api, const void* data, int size) {
  if (!api) return -1;
  return attach_disk(api, SC68file_load_mem(data, size));
}

int api68_load_file(api68_t* api, const char* path) {
  if (!api) return -1;
  return attach_disk(api, SC68file_load_file(path));
}

int api68_play(api68_t* api, int track) {
  if (!api || !api->disk) return -1;
  if (track == -1) return api->track;
  if (track == 0) track = api->disk->default_six + 1;
  if (track < 1 || track > api->disk->nb_six)
    return SC68error_add("track [%d] out of range [%d]", track, api->disk->nb_six);
  api->track_to = track;
  return 0;
}

int api68_rewind(api68_t* api) {
  if (!api) return -1;
  api->track_to = 1;
  api->frames_played = 0;
  return 0;
}

int api68_stop(api68_t* api) {
  if (!api || !api->disk) return -1;
  api->track_to = -1;
  return 0;
}

int apply_change_track(api68_t* api) {
  if (!api || !api->track_to) return 0;
  int track = api->track_to;
  api->track_to = 0;
  SC68debug("apply_change_track(%d) : enter\n", track);
  if (track == -1) {
    api->mus = nullptr;
    api->track = 0;
    return API68_STOPPED;
  }
  if (!api->disk || track < 1 || track > api->disk->nb_six)
    return SC68error_add("track [%d] out of range [%d]", track, api->disk ? api->disk->nb_six : 0);

  // A failed start leaves nothing playing.
  api->mus = nullptr;
  api->track = 0;
  music68* m = &api->disk->mus[track - 1];
  emu68_t* emu = &api->emu;
  SC68debug(" -> Starting track #%02d - [%s]:\n", track, m->name ? m->name : "");
  EMU68_ioplug_unmap_all(emu);
  EMU68_ioplug_unplug_all(emu);
  if (m->hwflags & SC68_AMIGA) {
    SC68debug(" -> Add Paula hardware\n");
    EMU68_ioplug(emu, &paula_io);
    EMU68_set_interrupt_io(emu, nullptr);
  }
  if (m->hwflags & SC68_YM) {
    SC68debug(" -> Add YM hardware\n");
    EMU68_ioplug(emu, &shifter_io);
    EMU68_ioplug(emu, &ym_io);
    EMU68_ioplug(emu, &mfp_io);
    EMU68_set_interrupt_io(emu, &mfp_io);
  }
  if (m->hwflags & SC68_STE) {
    SC68debug(" -> Add STE hardware\n");
    EMU68_ioplug(emu, &ste_io);
  }
  EMU68_reset(emu);

  std::memset(api->mem, 0, emu->reg.memsz + EMU68_MEMSPARE);
  const uint8_t sysvar[2] = {uint8_t(kSysVarValue >> 8), uint8_t(kSysVarValue)};
  const uint8_t vector[4] = {uint8_t(TRAP14_ADDR >> 24), uint8_t(TRAP14_ADDR >> 16), uint8_t(TRAP14_ADDR >> 8),
                             uint8_t(TRAP14_ADDR)};
  EMU68_memput(emu, kSysVarAddr, sysvar, 2);
  EMU68_memput(emu, TRAP14_VECTOR, vector, 4);
  EMU68_memput(emu, TRAP14_ADDR, trap14_code, uint32_t(trap14_code_size));

  api->playaddr = m->a0 ? m->a0 : SC68_DEFAULT_LOAD;
  SC68debug(" -> play address %06x\n", api->playaddr);
  uint32_t data_addr = api->playaddr;
  if (m->replay && load_replay(api, m->replay, &data_addr)) return -1;
  SC68debug(" -> music data [%06x-%06x)\n", data_addr, data_addr + m->datasz);
  if (EMU68_memput(emu, data_addr, reinterpret_cast<const uint8_t*>(m->data), m->datasz) < 0) {
    SC68debug(" -> Failed music data [%06x-%06x]\n", data_addr, data_addr + m->datasz);
    const char* why = EMU68_error_get(emu, 0);
    return SC68error_add("%s", why ? why : "music data does not fit in 68000 memory");
  }

  api->frames_played = 0;
  api->samples_played = 0;
  api->frame_pos = 0;
  api->frame_left = 0;
  // The host's device always runs at this rate; the chips follow it.
  api68_sampling_rate(api, API68_RATE);

  // An absurd replay rate must not overflow the count; it is refused below.
  const double default_frames = double(api->default_time_ms) * double(m->frq) / 1000.0;
  api->total_frames = m->frames ? m->frames : uint32_t(std::min(default_frames, double(UINT32_MAX)));
  uint32_t frq = m->frq ? m->frq : SC68_DEFAULT_FREQ;
  uint32_t cycles = frq == SC68_DEFAULT_FREQ ? API68_CYCLES_50HZ : API68_CPU_CLOCK / frq;
  cycles = (cycles + kCycleAlign - 1) / kCycleAlign * kCycleAlign;
  api->cycles_per_frame = cycles;
  api->samples_per_frame = uint32_t(double(api->sampling_rate) * double(cycles) / double(API68_CPU_CLOCK));
  SC68debug(" -> frames :  %u\n", api->total_frames);
  SC68debug(" -> cycle/frame :  %u\n", api->cycles_per_frame);
  SC68debug(" -> buffer length : %u\n", api->samples_per_frame);
  // A replay rate so high that a frame makes no output would never advance.
  if (!api->samples_per_frame) return SC68error_add("replay frequency %u Hz too high", frq);
  if (!mix_reserve(api, api->samples_per_frame * 2 + kMixSlack))
    return SC68error_add("mix buffer allocation failed");

  SC68debug(" -> Running music init code...\n");
  reg68_t& r = api->reg;
  EMU68_get_registers(emu, &r);
  r.d[0] = uint32_t(m->d0);
  r.d[1] = (m->hwflags & SC68_STE) ? 0 : 1;
  r.d[2] = m->datasz;
  r.a[0] = data_addr;
  r.a[7] = emu->reg.memsz - kInitStackGap;
  r.pc = api->playaddr;
  r.sr = kInitSr;
  EMU68_set_registers(emu, &r);
  emu->reg.cycle = 0;
  if (EMU68_run(emu, 0) < 0) {
    const char* why = EMU68_error_get(emu, 0);
    return SC68error_add("music init code failed (%s)", why ? why : "no return");
  }
  EMU68_get_registers(emu, &r);
  r.pc = api->playaddr + kPlayEntry;
  r.sr = kInitSr;
  EMU68_set_registers(emu, &r);
  emu->reg.cycle = 0;
  SC68debug(" -> OK\n");

  api->mus = m;
  api->track = track;
  return API68_CHANGE;
}

namespace {

// Runs one replay frame and leaves its output frames in api->mix; 0 when
// the play routine did not return.
uint32_t render_frame(api68_t* api) {
  emu68_t* emu = &api->emu;
  if (EMU68_run(emu, api->cycles_per_frame) < 0) return 0;
  const music68* m = api->mus;
  uint32_t n = api->samples_per_frame;
  if (m->hwflags & SC68_AMIGA) {
    paula_render(&paula_chip, api->mix, api->mem, int(n));
    amiga_blend(api->mix, n, api->amiga_blend);
    return n;
  }
  if (m->hwflags & SC68_YM) {
    int got = ym_render(&ym_chip, api->cycles_per_frame);
    if (got > 0) {
      n = uint32_t(got) < api->mix_size ? uint32_t(got) : api->mix_size;
      const int32_t* ym = ym_output(&ym_chip);
      for (uint32_t i = 0; i < n; ++i) api->mix[i] = uint32_t(ym[i]);
    } else {
      std::memset(api->mix, 0, n * sizeof(uint32_t));
    }
  } else {
    std::memset(api->mix, 0, n * sizeof(uint32_t));
  }
  if (m->hwflags & SC68_STE) {
    ste_render(&ste_chip, api->mix, api->mem, int(n));
  } else {
    for (uint32_t i = 0; i < n; ++i) {
      uint16_t s = uint16_t(clamp16(int32_t(api->mix[i])));
      api->mix[i] = uint32_t(s) | uint32_t(s) << 16;
    }
  }
  return n;
}

}  // namespace

int api68_process(api68_t* api, void* buf, int n) {
  int status = API68_IDLE;
  if (!api || n < 0) return -1;
  if (!api->mus) {
    status = apply_change_track(api);
    if (!api->mus) return -1;
  }
  if (n == 0) return status;
  if (!buf) return -1;
  auto* out = static_cast<uint32_t*>(buf);
  while (n > 0) {
    int change = apply_change_track(api);
    if (change) return change;
    if (!api->frame_left) {
      status &= ~API68_IDLE;
      api->frame_left = render_frame(api);
      if (!api->frame_left) {
        // A frame that spent the emulator's whole step budget (a stuck play
        // routine, or interrupts that never leave time to return) would cost
        // as much again on every frame: the track is dropped instead.
        const char* why = EMU68_error_get(&api->emu, 0);
        SC68error_add("track #%d : play routine failed (%s)", api->track, why ? why : "no return");
        api->mus = nullptr;
        api->track = 0;
        return -1;
      }
      api->frame_pos = 0;
      ++api->frames_played;
      api->samples_played += api->frame_left;
      if (api->frames_played == api->total_frames) {
        status |= API68_END;
        api->track_to = api->track + 1 > api->disk->nb_six ? -1 : api->track + 1;
      }
    }
    uint32_t k = uint32_t(n) < api->frame_left ? uint32_t(n) : api->frame_left;
    std::memcpy(out, api->mix + api->frame_pos, k * sizeof(uint32_t));
    out += k;
    n -= int(k);
    api->frame_pos += k;
    api->frame_left -= k;
  }
  return status;
}
