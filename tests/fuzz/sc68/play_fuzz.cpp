// Loads each input as a music file (SC68, SNDH, ICE or gzip) and plays 50
// replay frames of its track: the 68000, the chips and the engine together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sc68/api68.h"
#include "sc68/rsc68.h"

namespace {

constexpr int kReplayFrames = 50;
// Six times a real 50 Hz frame, so that a stuck tune costs little per input.
constexpr uint32_t kStepBudget = 1u << 18;

void* fuzz_alloc(unsigned n) { return std::malloc(n); }
void fuzz_free(void* p) { std::free(p); }

// Replays only: no configuration file is read or written for each input.
istream68* open_replays_only(rsc68_t type, const char* name, int mode) {
  return type == SC68rsc_replay ? default_open(type, name, mode) : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  SC68rsc_set_handler(open_replays_only);
  api68_init_t init{};
  init.alloc = fuzz_alloc;
  init.free = fuzz_free;
  api68_t* api = api68_init(&init);
  if (!api) std::abort();
  api->emu.step_limit = kStepBudget;
  if (api68_load_mem(api, data, int(size)) == 0 && api68_process(api, nullptr, 0) == API68_CHANGE) {
    std::vector<uint32_t> frames(api->samples_per_frame);
    for (int i = 0; i < kReplayFrames; ++i)
      if (api68_process(api, frames.data(), int(frames.size())) < 0) break;
  }
  api68_shutdown(api);
  SC68error_flush();
  return 0;
}
