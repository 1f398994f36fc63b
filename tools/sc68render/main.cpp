// sc68render: renders an SC68 (or SNDH, ICE, gzip) file to a 44,100 Hz
// 16-bit stereo WAV file through the engine, one frame per call as the
// intro host does, or lists its tracks with --info.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sc68/api68.h"

namespace {

constexpr uint32_t kDefaultSeconds = 180;
constexpr uint32_t kLongestKnownMs = 86400u * 1000u;   // longer means "unknown"
constexpr int kBarWidth = 40;

void* host_alloc(unsigned n) { return std::malloc(n); }
void host_free(void* p) { std::free(p); }

// Asked for (--help) the usage goes to standard output with status 0; after a mistake, to
// standard error with status 2.
int usage(bool asked = false) {
  std::fprintf(asked ? stdout : stderr,
               "usage: sc68render IN -o OUT.wav [--track N] [--seconds S]\n"
               "       sc68render IN --info\n");
  return asked ? 0 : 2;
}

std::string hardware(unsigned flags) {
  std::string s;
  auto add = [&](unsigned bit, const char* name) {
    if (!(flags & bit)) return;
    if (!s.empty()) s += "+";
    s += name;
  };
  add(SC68_YM, "YM-2149");
  add(SC68_STE, "STE");
  add(SC68_AMIGA, "Paula");
  return s.empty() ? "none" : s;
}

void put_le(std::FILE* f, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) std::fputc(int((v >> (8 * i)) & 0xFF), f);
}

void wav_header(std::FILE* f, uint32_t frames) {
  uint32_t data = frames * 4;
  std::fwrite("RIFF", 1, 4, f);
  put_le(f, 36 + data, 4);
  std::fwrite("WAVEfmt ", 1, 8, f);
  put_le(f, 16, 4);
  put_le(f, 1, 2);        // PCM
  put_le(f, 2, 2);        // stereo
  put_le(f, API68_RATE, 4);
  put_le(f, API68_RATE * 4, 4);
  put_le(f, 4, 2);
  put_le(f, 16, 2);
  std::fwrite("data", 1, 4, f);
  put_le(f, data, 4);
}

const char* last_error() {
  const char* e = api68_error();
  return e ? e : "unknown error";
}

int info(const char* path) {
  disk68* d = SC68file_load_file(path);
  if (!d) {
    std::fprintf(stderr, "sc68render: %s\n", last_error());
    return 1;
  }
  std::printf("title: %s\ntracks: %d\n", d->name, d->nb_six);
  for (int i = 0; i < d->nb_six; ++i) {
    const music68& m = d->mus[i];
    std::printf("track %d%s\n  name: %s\n  author: %s\n  composer: %s\n  hardware: %s\n  replay: %u Hz\n",
                i + 1, i == d->default_six ? " (default)" : "", m.name, m.author, m.composer,
                hardware(m.hwflags).c_str(), m.frq);
    if (m.time_ms && m.time_ms <= kLongestKnownMs)
      std::printf("  time: %u:%02u.%03u\n", m.time_ms / 60000, m.time_ms / 1000 % 60, m.time_ms % 1000);
    else
      std::printf("  time: unknown\n");
  }
  SC68file_free(d);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* in = nullptr;
  const char* out = nullptr;
  int track = 0;
  double seconds = 0;
  bool want_info = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") return usage(true);
    if (a == "--info") want_info = true;
    else if (a == "-o" && i + 1 < argc) out = argv[++i];
    else if (a == "--track" && i + 1 < argc) track = std::atoi(argv[++i]);
    else if (a == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
    else if (!in && a[0] != '-') in = argv[i];
    else return usage();
  }
  if (!in) return usage();
  if (want_info) return info(in);
  if (!out || track < 0 || seconds < 0) return usage();

  api68_init_t init{};
  init.alloc = host_alloc;
  init.free = host_free;
  api68_t* api = api68_init(&init);
  if (!api) {
    std::fprintf(stderr, "sc68render: %s\n", last_error());
    return 1;
  }
  if (api68_load_file(api, in) || (track && api68_play(api, track))) {
    std::fprintf(stderr, "sc68render: %s\n", last_error());
    api68_shutdown(api);
    return 1;
  }
  uint32_t frame;
  if (api68_process(api, &frame, 0) < 0) {
    std::fprintf(stderr, "sc68render: %s\n", last_error());
    api68_shutdown(api);
    return 1;
  }
  const music68* m = api->mus;
  if (seconds == 0) {
    bool known = m->time_ms && m->time_ms <= kLongestKnownMs;
    seconds = known ? m->time_ms / 1000.0 : kDefaultSeconds;
  }
  uint32_t frames = uint32_t(seconds * API68_RATE);

  std::FILE* f = std::fopen(out, "wb");
  if (!f) {
    std::fprintf(stderr, "sc68render: cannot write %s\n", out);
    api68_shutdown(api);
    return 1;
  }
  wav_header(f, frames);
  bool bar = isatty(2);
  int shown = -1;
  std::vector<uint8_t> pcm;
  pcm.reserve(API68_RATE * 4);
  uint32_t done = 0;
  bool failed = false;
  while (done < frames) {
    int status = api68_process(api, &frame, 1);
    if (status < 0) {
      failed = true;
      break;
    }
    for (int s = 0; s < 4; ++s) pcm.push_back(uint8_t(frame >> (8 * s)));
    ++done;
    if (status & API68_END) break;
    if (pcm.size() >= API68_RATE * 4) {
      std::fwrite(pcm.data(), 1, pcm.size(), f);
      pcm.clear();
    }
    int pct = int(uint64_t(done) * 100 / frames);
    if (bar && pct != shown) {
      shown = pct;
      int fill = pct * kBarWidth / 100;
      std::fprintf(stderr, "\r[%.*s%*s] %3d%%", fill, "========================================", kBarWidth - fill, "", pct);
    }
  }
  std::fwrite(pcm.data(), 1, pcm.size(), f);
  // A track that ended or failed early gets a header that matches what was
  // written, so the file stays a valid WAV.
  if (done < frames && std::fseek(f, 0, SEEK_SET) == 0) wav_header(f, done);
  bool ok = std::fclose(f) == 0;
  if (bar) std::fprintf(stderr, "\r%*s\r", kBarWidth + 8, "");
  if (failed) std::fprintf(stderr, "sc68render: %s\n", last_error());
  api68_shutdown(api);
  if (!ok) {
    std::fprintf(stderr, "sc68render: cannot write %s\n", out);
    return 1;
  }
  return failed ? 1 : 0;
}
