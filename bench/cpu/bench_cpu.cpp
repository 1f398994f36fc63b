// Instructions per second of the interpreter on a replay-like routine
// (mix.s) run through the frame driver: bench_cpu [FRAMES]
// The rate is given per second of this process's CPU time (the machine is
// shared) and per second of wall time.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sc68/cpu/emu68.h"

extern const unsigned char bench_mix_code[];
extern const unsigned long bench_mix_code_size;

constexpr uint32_t CODE_ADDR = 0x1000;
constexpr uint32_t VOICE1 = 0x10000;
constexpr uint32_t VOICE2 = 0x14000;
constexpr uint32_t VOICE_LEN = 0x4000;
constexpr uint32_t FRAME_CYCLES = 160256;

int main(int argc, char** argv) {
  long frames = argc > 1 ? strtol(argv[1], nullptr, 10) : 20000;
  if (frames < 1) frames = 1;
  std::vector<uint8_t> mem(EMU68_MEMSIZE + EMU68_MEMSPARE);
  static emu68_t emu;
  if (EMU68_init(&emu, mem.data(), EMU68_MEMSIZE) != 0) {
    fprintf(stderr, "bench_cpu: %s\n", EMU68_error_get(&emu, 0));
    return 1;
  }
  EMU68_memput(&emu, CODE_ADDR, bench_mix_code, uint32_t(bench_mix_code_size));
  std::vector<uint8_t> voice(VOICE_LEN);
  for (uint32_t i = 0; i < VOICE_LEN; ++i) voice[i] = uint8_t(i * 37 + (i >> 3));
  EMU68_memput(&emu, VOICE1, voice.data(), VOICE_LEN);
  EMU68_memput(&emu, VOICE2, voice.data(), VOICE_LEN);

  // Count one call's instructions by stepping it to its return.
  const uint32_t sp = emu.reg.a[7];
  emu.reg.pc = CODE_ADDR;
  emu.reg.a[7] = sp - 4;
  long per_frame = 0;
  while (emu.reg.a[7] < sp) {
    EMU68_step(&emu);
    ++per_frame;
  }
  emu.reg.pc = CODE_ADDR;
  emu.reg.a[7] = sp;

  auto t0 = std::chrono::steady_clock::now();
  const std::clock_t c0 = std::clock();
  for (long i = 0; i < frames; ++i)
    if (EMU68_run(&emu, FRAME_CYCLES) != 0) {
      fprintf(stderr, "bench_cpu: %s\n", EMU68_error_get(&emu, 0));
      return 1;
    }
  const double cpu = double(std::clock() - c0) / CLOCKS_PER_SEC;
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const double n = double(per_frame) * double(frames);
  printf("%ld frames of %ld instructions: %.3f s CPU, %.1f MIPS (wall %.3f s, %.1f MIPS)\n", frames, per_frame,
         cpu, n / cpu / 1e6, wall, n / wall / 1e6);
  return 0;
}
