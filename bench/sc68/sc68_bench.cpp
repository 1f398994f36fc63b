// Render speed of the engine in multiples of real time, one api68_process
// call per output frame as the intro host makes them, for a Paula track and
// a YM track of our test replays and for the intro image; the time
// of one host refill (11,025 frames) of the intro image; and the 68000
// instructions per second of the intro image's replay code on its own.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sc68/api68.h"

namespace {

using bytes = std::vector<uint8_t>;
using clock_type = std::chrono::steady_clock;

constexpr int kSeconds = 60;
constexpr int kRefillFrames = 11025;
constexpr int kReplayFrames = 100000;  // replay frames (33 minutes at 50 Hz)
constexpr int kReplayRuns = 9;         // timed passes over them; the median counts

void* bench_alloc(unsigned n) { return std::malloc(n); }
void bench_free(void* p) { std::free(p); }

bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void chunk(bytes& out, const char* id, const void* data, uint32_t size) {
  out.insert(out.end(), {'S', 'C', uint8_t(id[0]), uint8_t(id[1])});
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(size >> (8 * i)));
  const auto* p = static_cast<const uint8_t*>(data);
  out.insert(out.end(), p, p + size);
}

bytes sc68_file(const bytes& code, uint32_t hw, uint32_t d0) {
  bytes body;
  chunk(body, "MU", nullptr, 0);
  uint8_t v[4] = {uint8_t(hw), 0, 0, 0};
  chunk(body, "TY", v, 4);
  uint8_t d[4] = {uint8_t(d0), 0, 0, 0};
  chunk(body, "D0", d, 4);
  chunk(body, "DA", code.data(), uint32_t(code.size()));
  chunk(body, "EF", nullptr, 0);
  bytes f(SC68file_idstr, SC68file_idstr + 56);
  uint32_t size = uint32_t(body.size() + 8);
  f.insert(f.end(), {'S', 'C', '6', '8', uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)});
  f.insert(f.end(), body.begin(), body.end());
  return f;
}

api68_t* start(const bytes& file) {
  api68_init_t init{};
  init.alloc = bench_alloc;
  init.free = bench_free;
  api68_t* api = api68_init(&init);
  if (!api || api68_load_mem(api, file.data(), int(file.size() + 1))) {
    std::fprintf(stderr, "cannot load: %s\n", api68_error() ? api68_error() : "?");
    std::exit(1);
  }
  return api;
}

// Renders n frames one call at a time, looping like the host; seconds taken.
double render(api68_t* api, int n) {
  uint32_t frame;
  auto t0 = clock_type::now();
  for (int i = 0; i < n; ++i) {
    if (api68_process(api, &frame, 1) & API68_END) {
      api68_rewind(api);
      api68_process(api, &frame, 1);
    }
  }
  return std::chrono::duration<double>(clock_type::now() - t0).count();
}

void speed(const char* name, const bytes& file) {
  api68_t* api = start(file);
  double s = render(api, kSeconds * API68_RATE);
  std::printf("%-22s %8.1f x real time (%d s of sound in %.3f s)\n", name, kSeconds / s, kSeconds, s);
  api68_shutdown(api);
}

// The instructions of kReplayFrames replay frames after the first: the play
// routine stepped to its return, as the frame driver runs it for a track
// without interrupts. 0 when a frame does not return within the step limit.
uint64_t count_replay(const bytes& file) {
  api68_t* api = start(file);
  uint32_t frame;
  api68_process(api, &frame, 1);  // starts the track: init and the first frame
  emu68_t* emu = &api->emu;
  uint64_t count = 0;
  for (int i = 0; i < kReplayFrames && count != ~uint64_t(0); ++i) {
    const uint32_t pc = emu->reg.pc, sp = emu->reg.a[7];
    emu->reg.a[7] = sp - 4;
    uint32_t n = 0;
    while (emu->reg.a[7] < sp && n < emu->step_limit) {
      EMU68_step(emu);
      ++n;
    }
    count = emu->reg.a[7] < sp ? ~uint64_t(0) : count + n;
    emu->reg.pc = pc;
    emu->reg.a[7] = sp;
  }
  api68_shutdown(api);
  return count == ~uint64_t(0) ? 0 : count;
}

// The same frames from the same start through the frame driver, without
// rendering any sound: instructions per second of this process's CPU time,
// the median of kReplayRuns passes.
void replay_rate(const bytes& file) {
  const uint64_t count = count_replay(file);
  if (!count) {
    std::fprintf(stderr, "intro replay: a frame does not return\n");
    std::exit(1);
  }
  std::vector<double> cpu;
  for (int run = 0; run < kReplayRuns; ++run) {
    api68_t* api = start(file);
    uint32_t frame;
    api68_process(api, &frame, 1);
    const std::clock_t c0 = std::clock();
    for (int i = 0; i < kReplayFrames; ++i)
      if (EMU68_run(&api->emu, api->cycles_per_frame) != 0) {
        std::fprintf(stderr, "intro replay: %s\n", EMU68_error_get(&api->emu, 0));
        std::exit(1);
      }
    cpu.push_back(double(std::clock() - c0) / CLOCKS_PER_SEC);
    api68_shutdown(api);
  }
  std::sort(cpu.begin(), cpu.end());
  const double median = cpu[cpu.size() / 2];
  std::printf("intro replay: %.1f MIPS (%llu instructions in %d frames, %.3f s CPU, median of %d)\n",
              double(count) / median / 1e6, static_cast<unsigned long long>(count), kReplayFrames, median,
              kReplayRuns);
}

}  // namespace

int main() {
  const std::string root = KELVARIN_SOURCE_DIR;
  speed("Paula test replay", sc68_file(read_file(root + "/tests/sc68/engine/data/paula_tone.bin"), SC68_AMIGA, 15));
  speed("YM test replay", sc68_file(read_file(root + "/tests/sc68/engine/data/ym_tone.bin"), SC68_YM, 0));
  bytes intro = read_file(root + "/issue/intro/intro.sc68");
  if (intro.empty()) return 0;
  speed("intro image", intro);
  api68_t* api = start(intro);
  double worst = 0, total = 0;
  constexpr int kRefills = 40;
  for (int i = 0; i < kRefills; ++i) {
    double s = render(api, kRefillFrames);
    total += s;
    if (s > worst) worst = s;
  }
  std::printf("intro refill of %d frames: %.2f ms average, %.2f ms worst (the buffer lasts 250 ms)\n",
              kRefillFrames, 1000 * total / kRefills, 1000 * worst);
  api68_shutdown(api);
  replay_rate(intro);
  return 0;
}
