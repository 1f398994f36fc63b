#include "sc68/ice68.h"

#include <cstring>

#include "sc68/base68.h"

namespace {

uint32_t be32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Backward reader over the packed bytes, shared by the bit register and the
// literal copies, with the stream's own marker-bit register.
struct ice_reader {
  const uint8_t* start;
  const uint8_t* ptr;   // one past the next byte to load
  unsigned reg;
  bool fault;
};

bool prev_byte(ice_reader& r, unsigned& byte) {
  if (r.ptr == r.start) {
    r.fault = true;
    return false;
  }
  byte = *--r.ptr;
  return true;
}

unsigned get_bit(ice_reader& r) {
  unsigned carry = (r.reg >> 7) & 1;
  r.reg = (r.reg << 1) & 0xFF;
  if (r.reg == 0) {
    unsigned byte = 0;
    if (!prev_byte(r, byte)) return 0;
    r.reg = ((byte << 1) | carry) & 0xFF;
    carry = byte >> 7;
  }
  return carry;
}

unsigned get_bits(ice_reader& r, int n) {
  unsigned v = 0;
  while (n--) v = v << 1 | get_bit(r);
  return v;
}

// Number of 1 bits read before the first 0, at most max bits read.
int count_ones(ice_reader& r, int max) {
  int k = 0;
  while (k < max && get_bit(r)) ++k;
  return k;
}

struct literal_class { int bits; unsigned escape; unsigned base; };
constexpr literal_class kLiteralClasses[] = {
    {2, 3, 1}, {2, 3, 4}, {3, 7, 7}, {8, 255, 14}, {15, 32767, 269}};

struct length_class { int bits; int base; };
constexpr length_class kLengthClasses[] = {{0, 0}, {0, 1}, {1, 2}, {2, 4}, {10, 8}};

struct offset_class { int bits; int add; };
constexpr offset_class kOffsetClasses[] = {{8, 31}, {5, -1}, {12, 287}};

constexpr int kDefaultPlaneGroups = 4000;

void bitplane_group(uint8_t* g) {
  uint16_t in[4], out[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) in[i] = uint16_t(g[2 * i] << 8 | g[2 * i + 1]);
  int dealt = 0;
  for (int w = 3; w >= 0; --w)
    for (int b = 15; b >= 0; --b, ++dealt)
      out[dealt & 3] = uint16_t(out[dealt & 3] << 1 | ((in[w] >> b) & 1));
  for (int i = 0; i < 4; ++i) {
    g[2 * i] = uint8_t(out[i] >> 8);
    g[2 * i + 1] = uint8_t(out[i]);
  }
}

}  // namespace

int32_t ice_unpacked_size(const void* header, std::size_t len) {
  if (!header || len < ICE_HEADER_SIZE) return 0;
  const auto* h = static_cast<const uint8_t*>(header);
  if (std::memcmp(h, "ICE!", 4)) return 0;
  return static_cast<int32_t>(be32(h + 8));
}

int ice_depack(const uint8_t* src, std::size_t srclen, uint8_t* dst, std::size_t dstlen) {
  if (!src || srclen == 0 || (!dst && dstlen)) return -1;
  ice_reader r{src, src + srclen - 1, src[srclen - 1], false};
  uint8_t* out = dst + dstlen;

  while (out > dst && !r.fault) {
    if (get_bit(r)) {
      std::size_t n = 1;
      if (get_bit(r)) {
        unsigned v = 0;
        for (const auto& c : kLiteralClasses) {
          v = get_bits(r, c.bits);
          n = v + c.base + 1;
          if (v != c.escape) break;
        }
      }
      if (n > static_cast<std::size_t>(out - dst)) return -1;
      while (n--) {
        unsigned byte = 0;
        if (!prev_byte(r, byte)) return -1;
        *--out = uint8_t(byte);
      }
      if (out == dst) break;
    }
    const auto& lc = kLengthClasses[count_ones(r, 4)];
    int len = lc.base + static_cast<int>(get_bits(r, lc.bits)) + 2;
    int offset;
    if (len == 2) {
      offset = get_bit(r) ? static_cast<int>(get_bits(r, 9)) + 63 : static_cast<int>(get_bits(r, 6)) - 1;
    } else {
      const auto& oc = kOffsetClasses[count_ones(r, 2)];
      offset = static_cast<int>(get_bits(r, oc.bits)) + oc.add;
    }
    if (offset == -1) offset = -1 - (len - 2);
    if (r.fault) return -1;
    std::ptrdiff_t written = (dst + dstlen) - out;
    std::ptrdiff_t distance = offset + len;   // from a copied byte's source to itself
    if (len > out - dst || distance < 1 || distance > written) return -1;
    for (int i = 0; i < len; ++i, --out) out[-1] = out[distance - 1];
  }
  if (r.fault) return -1;

  if (get_bit(r)) {
    int groups = get_bit(r) ? static_cast<int>(get_bits(r, 16)) + 1 : kDefaultPlaneGroups;
    if (r.fault) return -1;
    uint8_t* g = dst + dstlen;
    while (groups-- > 0 && g - dst >= 8) {
      g -= 8;
      bitplane_group(g);
    }
  }
  return r.fault ? -1 : 0;
}

void* ice_load(istream68* is, int* ulen) {
  const char* name = istream68_name(is);
  if (!name) name = "<nil>";
  if (ulen) *ulen = 0;
  uint8_t header[ICE_HEADER_SIZE];
  if (istream68_read(is, header, ICE_HEADER_SIZE) != ICE_HEADER_SIZE) {
    SC68error_add("ice_load(%s) : no header", name);
    return nullptr;
  }
  uint32_t packed = be32(header + 4);
  int32_t unpacked = ice_unpacked_size(header, sizeof header);
  if (unpacked <= 0 || packed < ICE_HEADER_SIZE) {
    SC68error_add("ice_load(%s) : not ICE!", name);
    return nullptr;
  }
  // The packed size is checked against the stream before anything is
  // allocated for it, so a forged size cannot ask for gigabytes.
  int here = istream68_tell(is);
  int total = istream68_length(is);
  if (here >= 0 && total >= 0 && packed - ICE_HEADER_SIZE > static_cast<uint32_t>(total - here)) {
    SC68error_add("ice_load(%s) : read failed", name);
    return nullptr;
  }
  if (packed > ICE_MAX_UNPACKED + ICE_HEADER_SIZE) {
    SC68error_add("ice_load(%s) : alloc input buffer failed", name);
    return nullptr;
  }
  auto* in = static_cast<uint8_t*>(SC68alloc(packed));
  if (!in) {
    SC68error_add("ice_load(%s) : alloc input buffer failed", name);
    return nullptr;
  }
  std::memcpy(in, header, ICE_HEADER_SIZE);
  int body = static_cast<int>(packed - ICE_HEADER_SIZE);
  if (istream68_read(is, in + ICE_HEADER_SIZE, body) != body) {
    SC68free(in);
    SC68error_add("ice_load(%s) : read failed", name);
    return nullptr;
  }
  uint8_t* out = nullptr;
  if (static_cast<uint32_t>(unpacked) <= ICE_MAX_UNPACKED)
    out = static_cast<uint8_t*>(SC68alloc(static_cast<std::size_t>(unpacked)));
  if (!out) {
    SC68free(in);
    SC68error_add("ice_load(%s) : alloc output buffer failed", name);
    return nullptr;
  }
  int err = ice_depack(in + ICE_HEADER_SIZE, static_cast<std::size_t>(body), out,
                       static_cast<std::size_t>(unpacked));
  SC68free(in);
  if (err) {
    SC68free(out);
    SC68error_add("ice_load(%s) : corrupted data", name);
    return nullptr;
  }
  if (ulen) *ulen = unpacked;
  return out;
}
