#include "sc68/host.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/platform.h"
#include "platform/wave.h"
#include "sc68/api68.h"

namespace {

// A header and its completion record, allocated and zeroed together.
struct header_block {
  wave_buffer header;
  intro_completion record;
};

intro_host g_host;
uint32_t g_buffer_a[INTRO_BUFFER_FRAMES];
uint32_t g_buffer_b[INTRO_BUFFER_FRAMES];

// Device open results, by platform error.
constexpr int kOpenOk = 0;
constexpr int kOpenBadDevice = 2;
constexpr int kOpenNoDriver = 3;
constexpr int kOpenOther = 0;
constexpr int kNullHeader = 4;
constexpr int kNullDevice = -2;

void* host_alloc(unsigned size) { return std::malloc(size); }
void host_free(void* p) { std::free(p); }

void report(int code) { platform_message_box("Error", wave_error_text(code)); }

intro_completion* record_of(wave_buffer* header) { return static_cast<intro_completion*>(header->user); }

void device_callback(wave_device* device, wave_buffer* header, void*) {
  if (!header || !header->user) return;
  intro_completion* rec = record_of(header);
  intro_refill_fn routine = rec->routine.load();
  if (routine) routine(device, header, rec->parameter.load());
}

int open_device() {
  int error = 0;
  g_host.device = wave_open(device_callback, nullptr, &error);
  if (g_host.device) return kOpenOk;
  switch (error) {
    case WAVE_BAD_DEVICE: return kOpenBadDevice;
    case WAVE_NO_DEVICE: return kOpenNoDriver;
    default: return kOpenOther;
  }
}

int create_header(wave_buffer** out) {
  auto* block = static_cast<header_block*>(std::calloc(1, sizeof(header_block)));
  if (!block) return kNullHeader;
  new (&block->record) intro_completion{};
  block->header.user = &block->record;
  *out = &block->header;
  return 0;
}

void destroy_header(wave_buffer*& header) {
  if (!header) return;
  std::free(reinterpret_cast<header_block*>(header));
  header = nullptr;
}

int prepare(wave_device* device, wave_buffer* header, uint32_t* buffer) {
  if (!header) return kNullHeader;
  header->data = buffer;
  header->bytes = INTRO_BUFFER_BYTES;
  header->done_bytes = 0;
  header->flags = 0;
  int err = wave_prepare(device, header);
  if (err) report(err);
  return 0;
}

int unprepare(wave_device* device, wave_buffer* header) {
  if (header && (header->flags & WAVE_PREPARED)) {
    int err = wave_unprepare(device, header);
    if (err) report(err);
  }
  return 0;
}

int queue(wave_device* device, wave_buffer* header, intro_refill_fn routine, uintptr_t parameter) {
  if (!device) return kNullDevice;
  intro_completion* rec = record_of(header);
  rec->parameter.store(parameter);
  rec->routine.store(routine);
  int err = wave_write(device, header);
  if (err) report(err);
  return 0;
}

void clear_record(wave_buffer* header) {
  if (!header) return;
  intro_completion* rec = record_of(header);
  if (rec->routine.load()) {
    rec->routine.store(nullptr);
    rec->parameter.store(0);
  }
}

void refill(wave_device* device, wave_buffer* header, uintptr_t parameter, uint32_t* buffer,
            intro_refill_fn self) {
  // A refill that races with stop must neither render nor queue again.
  if (g_host.stopping.load()) return;
  unprepare(device, header);
  // Stop waits for this refill, so it ends at the next frame once stop is asked.
  g_host.refill_frames.store(intro_music_render(g_host.engine, buffer, INTRO_BUFFER_FRAMES, &g_host.stopping));
  if (g_host.stopping.load()) return;
  prepare(device, header, buffer);
  queue(device, header, self, parameter);
  g_host.refills.fetch_add(1);
}

void refill_a(wave_device* device, wave_buffer* header, uintptr_t parameter) {
  refill(device, header, parameter, g_buffer_a, refill_a);
}

void refill_b(wave_device* device, wave_buffer* header, uintptr_t parameter) {
  refill(device, header, parameter, g_buffer_b, refill_b);
}

}  // namespace

const intro_host& intro_music_host() { return g_host; }

int intro_music_render(api68_t* engine, uint32_t* frames, int n, const std::atomic<bool>* stop) {
  for (int i = 0; i < n; ++i) {
    if (stop && stop->load(std::memory_order_relaxed)) return i;
    int status = api68_process(engine, &frames[i], 1);
    if (status > 0 && (status & API68_END)) {
      api68_rewind(engine);
      status = api68_process(engine, &frames[i], 1);
    }
    // An engine that cannot play gives silence, not stale sound.
    if (status < 0) frames[i] = 0;
  }
  return n;
}

int intro_music_start(const void* data, unsigned size, int from_file) {
  g_host.stopping.store(false);
  g_host.refills.store(0);
  g_host.refill_frames.store(0);
  api68_init_t init{};
  init.alloc = host_alloc;
  init.free = host_free;
  g_host.engine = api68_init(&init);
  if (!g_host.engine) return 0;
  int err = from_file ? api68_load_file(g_host.engine, static_cast<const char*>(data))
                      : api68_load_mem(g_host.engine, data, static_cast<int>(size));
  if (err) return 0;
  api68_play(g_host.engine, 1);

  open_device();
  if (g_host.device) wave_pause(g_host.device);
  create_header(&g_host.header_a);
  create_header(&g_host.header_b);
  intro_music_render(g_host.engine, g_buffer_a, INTRO_BUFFER_FRAMES);
  intro_music_render(g_host.engine, g_buffer_b, INTRO_BUFFER_FRAMES);
  prepare(g_host.device, g_host.header_a, g_buffer_a);
  prepare(g_host.device, g_host.header_b, g_buffer_b);
  if (g_host.header_a) queue(g_host.device, g_host.header_a, refill_a, 0);
  if (g_host.header_b) queue(g_host.device, g_host.header_b, refill_b, 0);
  return 1;
}

void intro_music_resume() {
  if (g_host.device) wave_restart(g_host.device);
}

void intro_music_stop() {
  g_host.stopping.store(true);
  if (g_host.device) {
    clear_record(g_host.header_a);
    clear_record(g_host.header_b);
    // The reset hands every header back and returns once the notification
    // thread has finished with them, so no refill is left running after it.
    wave_reset(g_host.device);
    wave_close(g_host.device);
    g_host.device = nullptr;
  }
  if (g_host.engine) {
    api68_stop(g_host.engine);
    api68_shutdown(g_host.engine);
    g_host.engine = nullptr;
  }
  destroy_header(g_host.header_a);
  destroy_header(g_host.header_b);
}
