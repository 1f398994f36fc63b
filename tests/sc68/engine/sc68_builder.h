#pragma once
// Builds SC68 and SNDH images chunk by chunk for the tests, and starts engines over them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <zlib.h>

#include "sc68/api68.h"
#include "sc68/file68.h"
#include "tests/read_file.h"

using bytes = std::vector<uint8_t>;

struct sc68_builder {
  bytes body;   // chunks after the base chunk header

  sc68_builder& raw(const char id[2], const void* data, uint32_t size) {
    body.insert(body.end(), {'S', 'C', uint8_t(id[0]), uint8_t(id[1])});
    for (int i = 0; i < 4; ++i) body.push_back(uint8_t(size >> (8 * i)));
    const auto* p = static_cast<const uint8_t*>(data);
    body.insert(body.end(), p, p + size);
    return *this;
  }
  sc68_builder& empty(const char id[2]) { return raw(id, nullptr, 0); }
  sc68_builder& text(const char id[2], const std::string& s) { return raw(id, s.c_str(), uint32_t(s.size() + 1)); }
  sc68_builder& num(const char id[2], uint32_t v) {
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return raw(id, b, 4);
  }
  sc68_builder& data(const bytes& d) { return raw("DA", d.data(), uint32_t(d.size())); }

  bytes file(bool with_end = true) const {
    bytes f(SC68file_idstr, SC68file_idstr + 56);
    bytes b = body;
    if (with_end) b.insert(b.end(), {'S', 'C', 'E', 'F', 0, 0, 0, 0});
    uint32_t size = uint32_t(b.size() + 8);
    f.insert(f.end(), {'S', 'C', '6', '8', uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)});
    f.insert(f.end(), b.begin(), b.end());
    return f;
  }
};

// 68000 code: init at +0, stop at +4, play at +8, each a bare RTS.
inline bytes rts_replay() { return {0x4E, 0x75, 0x4E, 0x71, 0x4E, 0x75, 0x4E, 0x71, 0x4E, 0x75}; }

// init and stop return at once; play is the given code.
inline bytes replay_with_play(const bytes& play) {
  bytes code = rts_replay();
  code.resize(8);
  code.insert(code.end(), play.begin(), play.end());
  return code;
}

// An SNDH file: three branches (to RTS), "SNDH", the given tags, "HDNS".
inline bytes sndh_file(const std::string& tags) {
  std::string s("\x60\x00\x00\x0A\x60\x00\x00\x06\x60\x00\x00\x02", 12);
  s += "SNDH" + tags + "HDNS";
  s += std::string("\x4E\x75\0\0", 4);
  if (s.size() < 64) s.resize(64, '\0');   // shorter files are not recognised
  return bytes(s.begin(), s.end());
}

inline bytes read_file(const std::string& path) { return read_file<bytes>(path); }
inline void write_file(const std::string& path, const bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// A file of the source tree, e.g. a test replay under tests/sc68/engine/data/.
inline bytes source_file(const std::string& rel) { return read_file(std::string(KELVARIN_SOURCE_DIR) + "/" + rel); }

// The bytes in gzip format, packed the given number of times over.
inline bytes gzip(const bytes& in, int times = 1) {
  bytes out = in;
  for (int i = 0; i < times; ++i) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    bytes next(deflateBound(&z, uLong(out.size())));
    z.next_in = out.data();
    z.avail_in = uInt(out.size());
    z.next_out = next.data();
    z.avail_out = uInt(next.size());
    deflate(&z, Z_FINISH);
    next.resize(z.total_out);
    deflateEnd(&z);
    out = next;
  }
  return out;
}

// The CRC-32 of n frames rendered in calls of per_call frames, over their little-endian PCM bytes
// as a WAV file holds them; empty when a call fails.
inline std::string render_crc(api68_t* api, int n, int per_call) {
  std::vector<uint32_t> frames(static_cast<size_t>(per_call));
  bytes pcm(4 * frames.size());
  uLong crc = crc32(0, nullptr, 0);
  for (int done = 0; done < n; done += per_call) {
    if (api68_process(api, frames.data(), per_call) < 0) return "";
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = uint8_t(frames[i / 4] >> (8 * (i % 4)));
    crc = crc32(crc, pcm.data(), uInt(pcm.size()));
  }
  char sum[9];
  std::snprintf(sum, sizeof sum, "%08lx", crc);
  return sum;
}

inline api68_t* start_engine() {
  api68_init_t init{};
  init.alloc = [](unsigned n) { return std::malloc(n); };
  init.free = [](void* p) { std::free(p); };
  return api68_init(&init);
}
