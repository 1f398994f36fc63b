#include "sc68/file68.h"

#include <algorithm>
#include <cstring>

#include "sc68/base68.h"
#include "sc68/gzip68.h"
#include "sc68/ice68.h"

const char SC68file_idstr[56] = "SC68 Music-file / (c) (QuX)tomir Vallen / TorvEnK-Lab  ";

namespace {

constexpr int kIdSize = 56;
constexpr int kSndhScanFirst = 6;    // "SNDH" searched at offsets 6..52
constexpr int kSndhScanLast = 52;
constexpr int kSndhMinSize = 32;
constexpr int kSndhMaxUnknownTags = 8;
constexpr int kMaxNesting = 4;       // packed data inside packed data
constexpr unsigned kTrailingZeros = 4;   // keeps every text in the file terminated
const char kUnknown[] = "???";
const char kSndhReplay[] = "sndh_ice";

uint32_t le32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// A disk record followed by n file bytes and some zeros, one allocation.
disk68* disk_alloc(std::size_t n) {
  std::size_t total = sizeof(disk68) + n + kTrailingZeros;
  auto* d = static_cast<disk68*>(SC68alloc(total));
  if (d) std::memset(d, 0, total);
  return d;
}

unsigned char* disk_bytes(disk68* d) { return reinterpret_cast<unsigned char*>(d + 1); }

disk68* load_nested(istream68* is, int depth);

// Reads a chunk's number; false when the payload is too short to hold one.
bool chunk_number(const unsigned char* payload, uint32_t size, uint32_t& v) {
  if (size < 4) return false;
  v = le32(payload);
  return true;
}

// Text chunks must carry their terminator inside their own payload, so that
// no string of the disk runs on into the next chunk.
bool chunk_text(const unsigned char* payload, uint32_t size, const char*& s) {
  if (size == 0 || !std::memchr(payload, 0, size)) return false;
  s = *payload ? reinterpret_cast<const char*>(payload) : nullptr;
  return true;
}

// Chunk walk over the n bytes after the base chunk header. On failure the
// reason is left in *why (a static text or the chunk id buffer).
bool walk_chunks(disk68* d, uint32_t n, const char** why, char* idbuf) {
  const unsigned char* p = disk_bytes(d);
  uint32_t left = n;
  music68* m = nullptr;
  while (left > 7 && p[0] == 'S' && p[1] == 'C') {
    uint32_t size = le32(p + 4);
    if (size > left - 8) break;
    const unsigned char* payload = p + 8;
    idbuf[0] = char(p[2]);
    idbuf[1] = char(p[3]);
    idbuf[2] = 0;
    auto is = [&](const char* id) { return p[2] == id[0] && p[3] == id[1]; };
    bool music_level = is("MN") || is("AN") || is("CN") || is("RE") || is("D0") || is("AT") ||
                       is("TI") || is("FR") || is("FQ") || is("TY") || is("DA");
    if (music_level && !m) {
      *why = idbuf;
      return false;
    }
    uint32_t v = 0;
    bool ok = true;
    if (is("EF")) {
      return true;
    } else if (is("MU")) {
      if (d->nb_six == SC68_MAX_TRACK) return true;
      m = &d->mus[d->nb_six++];
    } else if (is("DF")) {
      ok = chunk_number(payload, size, v);
      d->default_six = static_cast<int>(v);
    } else if (is("FN")) {
      ok = chunk_text(payload, size, d->name);
    } else if (is("MN")) {
      ok = chunk_text(payload, size, m->name);
    } else if (is("AN")) {
      ok = chunk_text(payload, size, m->author);
    } else if (is("CN")) {
      ok = chunk_text(payload, size, m->composer);
    } else if (is("RE")) {
      ok = chunk_text(payload, size, m->replay);
    } else if (is("D0")) {
      ok = chunk_number(payload, size, v);
      m->d0 = static_cast<int>(v);
    } else if (is("AT")) {
      ok = chunk_number(payload, size, v);
      m->a0 = v;
    } else if (is("TI")) {
      ok = chunk_number(payload, size, v);
      m->time_ms = v * 1000u;
    } else if (is("FR")) {
      ok = chunk_number(payload, size, v);
      m->frames = v;
    } else if (is("FQ")) {
      ok = chunk_number(payload, size, v);
      m->frq = v;
    } else if (is("TY")) {
      ok = chunk_number(payload, size, v);
      m->hwflags = v;
    } else if (is("DA")) {
      m->data = reinterpret_cast<const char*>(payload);
      m->datasz = size;
    }
    if (!ok) {
      *why = idbuf;
      return false;
    }
    p += 8 + size;
    left -= 8 + size;
  }
  if (left) {
    *why = "prematured end of file";
    return false;
  }
  return true;
}

// Decimal digits at p (bounded by end); *next is left after them.
unsigned read_digits(const unsigned char* p, const unsigned char* end, const unsigned char** next) {
  unsigned v = 0;
  while (p < end && *p >= '0' && *p <= '9') {
    if (v < 100000000u) v = v * 10 + unsigned(*p - '0');
    ++p;
  }
  *next = p;
  return v;
}

const unsigned char* skip_text(const unsigned char* p, const unsigned char* end) {
  const void* z = std::memchr(p, 0, static_cast<std::size_t>(end - p));
  return z ? static_cast<const unsigned char*>(z) + 1 : end;
}

uint32_t be_value(const unsigned char* p, int width) {
  uint32_t v = 0;
  for (int i = 0; i < width; ++i) v = v << 8 | p[i];
  return v;
}

// SNDH tag header, up to "HDNS". Every tag is stepped over whole, the ones
// not used here too, and zeros between tags are padding. The file bytes are
// followed by zeros, so every text found here is terminated.
bool read_sndh(disk68* d, int len) {
  const unsigned char* base = disk_bytes(d);
  const unsigned char* end = base + len;
  const unsigned char* tag = nullptr;
  for (int i = kSndhScanFirst; i <= kSndhScanLast && i + 4 <= len; ++i)
    if (!std::memcmp(base + i, "SNDH", 4)) {
      tag = base + i;
      break;
    }
  if (!tag) return false;

  music68& first = d->mus[0];
  first.data = reinterpret_cast<const char*>(base);
  first.datasz = static_cast<unsigned>(len);
  first.replay = kSndhReplay;
  int musics = 0;
  unsigned timer_c = 0, other_timer = 0, vbl = 0;
  int unknown = 0;
  const unsigned char* p = tag + 4;
  const unsigned char* limit = end - 4;
  const unsigned char* text_end = end + kTrailingZeros;
  // A header without "##" holds one tune.
  auto tunes = [&] { return musics < 1 ? 1 : musics > SC68_MAX_TRACK ? SC68_MAX_TRACK : musics; };
  // TIME and FRMS: one big-endian value per sub-tune after the tag.
  auto table = [&](int width, auto store) {
    const unsigned char* q = p + 4;
    for (int i = 0; i < tunes() && q + width <= end; ++i, q += width) store(d->mus[i], be_value(q, width));
    p = q;
  };
  while (p < limit) {
    auto at = [&](const char* t) { return !std::memcmp(p, t, std::strlen(t)); };
    if (at("HDNS")) {
      break;
    } else if (!*p) {
      ++p;
    } else if (at("COMM")) {
      first.author = *(p + 4) ? reinterpret_cast<const char*>(p + 4) : nullptr;
      p = skip_text(p + 4, text_end);
    } else if (at("TITL")) {
      d->name = *(p + 4) ? reinterpret_cast<const char*>(p + 4) : nullptr;
      p = skip_text(p + 4, text_end);
    } else if (at("RIPP") || at("CONV") || at("YEAR") || at("FLAG")) {
      p = skip_text(p + 4, text_end);
    } else if (at("MuMo") || at("**")) {
      p += 4;
    } else if (at("TIME")) {
      table(2, [](music68& m, uint32_t seconds) { m.time_ms = seconds * 1000u; });
    } else if (at("FRMS")) {
      table(4, [](music68& m, uint32_t frames) { m.frames = frames; });
    } else if (at("!#SN")) {
      // Sub-tune names: word offsets from the tag, the texts after them.
      const unsigned char* names = p;
      const unsigned char* after = p;
      table(2, [&](music68&, uint32_t offset) {
        if (offset < uint32_t(end - names)) after = std::max(after, skip_text(names + offset, text_end));
      });
      p = std::max(p, after);
    } else if (at("##")) {
      musics = static_cast<int>(read_digits(p + 2, end, &p));
    } else if (at("!#")) {
      read_digits(p + 2, end, &p);   // default sub-tune, not used
    } else if (at("TC")) {
      timer_c = read_digits(p + 2, end, &p);
    } else if (at("TA") || at("TB") || at("TD")) {
      unsigned rate = read_digits(p + 2, end, &p);
      if (!other_timer) other_timer = rate;
    } else if (at("!V")) {
      vbl = read_digits(p + 2, end, &p);
    } else {
      if (++unknown == kSndhMaxUnknownTags) break;
      ++p;
    }
  }
  d->nb_six = tunes();
  // The play routine is called at the rate of the timer the file names
  // (Timer-C first), else at the VBL rate; none leaves validation's 50 Hz.
  unsigned frq = timer_c ? timer_c : other_timer ? other_timer : vbl;
  for (int i = 0; i < d->nb_six; ++i) {
    d->mus[i].frq = frq;
    d->mus[i].d0 = i + 1;   // the replay passes the sub-tune number to the file's init
  }
  return true;
}

double to_u32(double v) { return v > 4294967295.0 ? 4294967295.0 : v; }

}  // namespace

int SC68file_valid(disk68* d) {
  if (!d || d->nb_six <= 0) return SC68error_add("No music defined");
  if (d->default_six < 0 || d->default_six >= d->nb_six) d->default_six = 0;
  if (!d->name) d->name = kUnknown;
  unsigned total = 0;
  d->hwflags = 0;
  for (int i = 0; i < d->nb_six; ++i) {
    music68& m = d->mus[i];
    const music68* prev = i ? &d->mus[i - 1] : nullptr;
    if (!m.a0) m.a0 = SC68_DEFAULT_LOAD;
    if (!m.frq) m.frq = SC68_DEFAULT_FREQ;
    if (!m.frames)
      m.frames = static_cast<unsigned>(to_u32(double(m.time_ms) * double(m.frq) / 1000.0));
    else
      m.time_ms = static_cast<unsigned>(to_u32(double(m.frames) * 1000.0 / double(m.frq)));
    m.start_ms = total;
    total += m.time_ms;
    if (!m.hwflags) m.hwflags = SC68_YM;
    d->hwflags |= m.hwflags;
    if (!m.name) m.name = prev ? prev->name : d->name;
    if (!m.author) m.author = prev ? prev->author : kUnknown;
    if (!m.composer) m.composer = prev && prev->composer ? prev->composer : m.author;
    if (!m.data && prev) {
      m.data = prev->data;
      m.datasz = prev->datasz;
    }
    if (!m.data) return SC68error_add("music #%d as no data", i);
  }
  d->time_ms = total;
  return 0;
}

int SC68file_recognise(istream68* is) {
  unsigned char id[kIdSize];
  if (istream68_read(is, id, kIdSize) != kIdSize) return SC68error_add("Not SC68 file : Missing ID");
  if (std::memcmp(id, SC68file_idstr, kIdSize)) {
    if (id[0] == 0x1F && id[1] == 0x8B && id[2] == 0x08) return SC68_IS_GZIP;
    if (ice_unpacked_size(id, kIdSize) > 0) return SC68_IS_ICE;
    for (int i = kSndhScanFirst; i <= kSndhScanLast; ++i)
      if (!std::memcmp(id + i, "SNDH", 4)) return SC68_IS_SNDH;
    return SC68error_add("Not SC68 file : Missing ID");
  }
  unsigned char chunk[4];
  if (istream68_read(is, chunk, 4) != 4 || std::memcmp(chunk, "SC68", 4))
    return SC68error_add("Not SC68 file : Missing BASE Chunk");
  if (istream68_read(is, chunk, 4) != 4 || le32(chunk) <= 8 || le32(chunk) - 8 > SC68_MAX_FILE)
    return SC68error_add("Not SC68 file : Weird BASE Chunk size");
  return static_cast<int>(le32(chunk) - 8);
}

namespace {

disk68* load_packed(void* unpacked, int ulen, int depth) {
  if (!unpacked) return nullptr;
  istream68* inner = istream68_mem_create(unpacked, ulen, ISTREAM68_READ);
  disk68* d = inner ? load_nested(inner, depth + 1) : nullptr;
  istream68_destroy(inner);
  SC68free(unpacked);
  return d;
}

disk68* load_nested(istream68* is, int depth) {
  const char* name = istream68_name(is);
  if (!name) name = "<nil>";
  const char* why = nullptr;
  char idbuf[3] = {};
  disk68* d = nullptr;

  if (!is || (!is->is_open && istream68_open(is))) {
    why = "open failure";
  } else if (depth > kMaxNesting) {
    why = "too many nested packings";
  } else {
    int n = SC68file_recognise(is);
    if (n >= 0) {
      d = disk_alloc(static_cast<std::size_t>(n));
      if (!d) why = "memory allocation";
      else if (istream68_read(is, disk_bytes(d), n) != n) why = "read data";
      else if (!walk_chunks(d, static_cast<uint32_t>(n), &why, idbuf)) {
      } else if (SC68file_valid(d)) why = "validation test";
    } else if (n == SC68_IS_SNDH) {
      int len = istream68_length(is);
      why = "read header";
      if (istream68_seek_to(is, 0) == 0 && len > kSndhMinSize && static_cast<uint32_t>(len) <= SC68_MAX_FILE) {
        d = disk_alloc(static_cast<std::size_t>(len));
        if (d && istream68_read(is, disk_bytes(d), len) == len && read_sndh(d, len) &&
            SC68file_valid(d) == 0)
          why = nullptr;
      }
    } else if (n == SC68_IS_ICE) {
      if (istream68_seek_to(is, 0)) {
        why = "read header";
      } else {
        int ulen = 0;
        void* unpacked = ice_load(is, &ulen);
        if (!unpacked) why = "read header";
        else if (!(d = load_packed(unpacked, ulen, depth))) why = "depacked data";
      }
    } else if (n == SC68_IS_GZIP) {
      why = "read header";
      int ulen = 0;
      void* unpacked = nullptr;
      if (std::strncmp(name, "mem://", 6)) {
        unpacked = gzip_load(name, &ulen);
      } else if (istream68_seek_to(is, 0) == 0) {
        unpacked = gzip_depack(name, is->mem, static_cast<std::size_t>(is->size), &ulen);
      }
      if (unpacked) {
        d = load_packed(unpacked, ulen, depth);
        why = d ? nullptr : "depacked data";
      }
    } else {
      why = "read header";
    }
  }
  if (is && is->is_open) istream68_close(is);
  if (why) {
    SC68free(d);
    SC68error_add("SC68file_load(%s) : Failed (%s)", name, why);
    return nullptr;
  }
  return d;
}

}  // namespace

disk68* SC68file_load(istream68* is) { return load_nested(is, 0); }

disk68* SC68file_load_mem(const void* data, int size) {
  istream68* is = istream68_mem_create(data, size, ISTREAM68_READ);
  if (!is) {
    SC68error_add("SC68file_load(<nil>) : Failed (open failure)");
    return nullptr;
  }
  disk68* d = SC68file_load(is);
  istream68_destroy(is);
  return d;
}

disk68* SC68file_load_file(const char* path) {
  istream68* is = istream68_file_create(path, ISTREAM68_READ);
  if (!is) {
    SC68error_add("SC68file_load(%s) : Failed (open failure)", path ? path : "<nil>");
    return nullptr;
  }
  disk68* d = SC68file_load(is);
  istream68_destroy(is);
  return d;
}

void SC68file_free(disk68* disk) { SC68free(disk); }
