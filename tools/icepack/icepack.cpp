#include "tools/icepack/icepack.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxLiteralRun = 33037;
constexpr int kMaxMatch = 1033;
constexpr int kMaxShortDistance = 576;     // 2-byte matches
constexpr int kMaxLongOffset = 4382;       // longer matches: distance - length
constexpr int kDefaultGroups = 4000;

// Bits and literal bytes in the order the depacker consumes them; bits are
// packed eight to a byte, most significant first, each byte taking its slot
// at the moment its first bit is read.
struct stream_writer {
  std::vector<uint8_t> slots;
  std::size_t bit_slot = 0;
  int bits_used = 8;

  void bit(unsigned b) {
    if (bits_used == 8) {
      bit_slot = slots.size();
      slots.push_back(0);
      bits_used = 0;
    }
    if (b) slots[bit_slot] |= uint8_t(0x80 >> bits_used);
    ++bits_used;
  }
  void bits(unsigned v, int n) {
    while (n--) bit((v >> n) & 1);
  }
  void byte(uint8_t b) { slots.push_back(b); }
};

void put_literal_count(stream_writer& w, std::size_t n) {
  w.bit(1);
  if (n == 1) {
    w.bit(0);
    return;
  }
  w.bit(1);
  struct cls { int bits; unsigned escape; std::size_t base; };
  static constexpr cls classes[] = {{2, 3, 1}, {2, 3, 4}, {3, 7, 7}, {8, 255, 14}, {15, 32767, 269}};
  for (std::size_t i = 0; i < 5; ++i) {
    std::size_t lo = classes[i].base + 1;
    std::size_t hi = lo + classes[i].escape - 1;
    if (i == 4) hi = lo + classes[i].escape;
    if (n <= hi) {
      w.bits(unsigned(n - lo), classes[i].bits);
      return;
    }
    w.bits(classes[i].escape, classes[i].bits);
  }
}

void put_match(stream_writer& w, int len, int dist) {
  if (len == 2) w.bit(0);
  else if (len == 3) w.bits(0b10, 2);
  else if (len <= 5) { w.bits(0b110, 3); w.bits(unsigned(len - 4), 1); }
  else if (len <= 9) { w.bits(0b1110, 4); w.bits(unsigned(len - 6), 2); }
  else { w.bits(0b1111, 4); w.bits(unsigned(len - 10), 10); }

  int off = dist == 1 ? -1 : dist - len;
  if (len == 2) {
    if (off <= 62) { w.bit(0); w.bits(unsigned(off + 1), 6); }
    else { w.bit(1); w.bits(unsigned(off - 63), 9); }
  } else if (off <= 30) {
    w.bits(0b10, 2);
    w.bits(unsigned(off + 1), 5);
  } else if (off <= 286) {
    w.bit(0);
    w.bits(unsigned(off - 31), 8);
  } else {
    w.bits(0b11, 2);
    w.bits(unsigned(off - 287), 12);
  }
}

// Longest usable reference for r[i...]; len 0 when none.
void find_match(const std::vector<uint8_t>& r, std::size_t i, int max_match, int& best_len, int& best_dist) {
  best_len = 0;
  best_dist = 0;
  std::size_t left = r.size() - i;
  int cap = int(std::min<std::size_t>(left, std::size_t(std::min(max_match, kMaxMatch))));
  if (cap < 2) return;
  int max_dist = std::min<int>(int(i), kMaxLongOffset + cap);
  for (int d = 1; d <= max_dist; ++d) {
    int len = 0;
    while (len < cap && r[i + len] == r[i + len - d]) ++len;
    if (len < 2) continue;
    // Other than the run form (distance 1), a longer copy may not overlap.
    if (d > 1 && len > d) len = d >= 3 ? d : 2;
    if (len > 2 && d > 1 && d > len + kMaxLongOffset) len = 2;
    if (len == 2 && d > kMaxShortDistance) continue;
    if (len > best_len) {
      best_len = len;
      best_dist = d;
      if (len == cap) return;
    }
  }
}

void to_planes(uint8_t* g) {
  uint16_t want[4], in[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) want[i] = uint16_t(g[2 * i] << 8 | g[2 * i + 1]);
  for (int t = 0; t < 64; ++t) {
    int w = 3 - t / 16, b = 15 - t % 16;
    unsigned bit = (want[t & 3] >> (15 - (t >> 2))) & 1;
    in[w] = uint16_t(in[w] | bit << b);
  }
  for (int i = 0; i < 4; ++i) {
    g[2 * i] = uint8_t(in[i] >> 8);
    g[2 * i + 1] = uint8_t(in[i]);
  }
}

void put_be32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
}

}  // namespace

std::vector<uint8_t> ice_pack(const uint8_t* data, std::size_t size, const ice_pack_options& opt) {
  if (!data || size == 0) return {};
  std::vector<uint8_t> src(data, data + size);
  int groups = std::max(0, opt.plane_groups);
  for (int g = 0; g < groups && std::size_t(8 * (g + 1)) <= size; ++g) to_planes(&src[size - 8 * (g + 1)]);

  // The depacker fills its output from the end: work on the reversed data.
  std::vector<uint8_t> r(src.rbegin(), src.rend());
  stream_writer w;
  std::size_t i = 0;
  while (i < r.size()) {
    std::size_t lit = 0;
    int len = 0, dist = 0;
    for (;;) {
      find_match(r, i + lit, opt.max_match, len, dist);
      if (len || i + lit == r.size()) break;
      if (++lit > kMaxLiteralRun) return {};
    }
    if (lit) {
      put_literal_count(w, lit);
      for (std::size_t k = 0; k < lit; ++k) w.byte(r[i + k]);
      i += lit;
      if (i == r.size()) break;
    } else {
      w.bit(0);
    }
    put_match(w, len, dist);
    i += std::size_t(len);
  }
  if (groups) {
    w.bit(1);
    if (groups == kDefaultGroups) w.bit(0);
    else { w.bit(1); w.bits(unsigned(groups - 1), 16); }
  } else {
    w.bit(0);
  }

  std::vector<uint8_t> out{'I', 'C', 'E', '!'};
  put_be32(out, uint32_t(12 + w.slots.size() + 1));
  put_be32(out, uint32_t(size));
  out.insert(out.end(), w.slots.rbegin(), w.slots.rend());
  out.push_back(0x80);   // register marker: the first bit comes from the next byte
  return out;
}
