// Render speed of the engine in multiples of real time, one api68_process
// call per output frame as the intro host makes them, for a Paula track and
// a YM track of our test replays and for the intro image; and the
// time of one host refill (11,025 frames) of the intro image.
#include <chrono>
#include <cstdio>
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
  return 0;
}
