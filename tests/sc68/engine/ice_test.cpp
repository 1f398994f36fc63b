#include <gtest/gtest.h>

#include <random>

#include "sc68/base68.h"
#include "sc68/ice68.h"
#include "tools/icepack/icepack.h"

namespace {

using bytes = std::vector<uint8_t>;

bytes depack(const bytes& ice) {
  int32_t n = ice_unpacked_size(ice.data(), ice.size());
  if (n <= 0) return {};
  bytes out(size_t(n), 0xEE);
  if (ice_depack(ice.data() + ICE_HEADER_SIZE, ice.size() - ICE_HEADER_SIZE, out.data(), out.size())) return {};
  return out;
}

void round_trip(const bytes& data, const ice_pack_options& opt = {}) {
  bytes ice = ice_pack(data.data(), data.size(), opt);
  ASSERT_FALSE(ice.empty());
  EXPECT_EQ(depack(ice), data);
}

bytes noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  bytes b(n);
  for (auto& c : b) c = uint8_t(rng());
  return b;
}

}  // namespace

TEST(IceRoundTrip, LiteralRunsOfEveryLengthClass) {
  // Runs of 1, 2-4, 5-7, 8-14, 15-269 and 270+ bytes, separated by repeats.
  for (size_t run : {1u, 3u, 6u, 11u, 200u, 5000u}) {
    bytes d = noise(run, unsigned(run));
    bytes rep(16, 0x55);
    bytes all;
    for (int i = 0; i < 3; ++i) {
      all.insert(all.end(), d.begin(), d.end());
      all.insert(all.end(), rep.begin(), rep.end());
      d = noise(run, unsigned(run + i + 1));
    }
    round_trip(all);
  }
}

TEST(IceRoundTrip, MatchesOfEveryLengthAndOffsetClass) {
  for (int len : {2, 3, 5, 9, 40, 1033}) {
    for (int gap : {0, 20, 200, 600, 3000}) {
      bytes head = noise(size_t(len), 7);
      bytes all = head;
      bytes mid = noise(size_t(gap), 9);
      all.insert(all.end(), mid.begin(), mid.end());
      all.insert(all.end(), head.begin(), head.end());
      ice_pack_options opt;
      opt.max_match = len;
      round_trip(all, opt);
    }
  }
  round_trip(bytes(5000, 0));   // runs at distance 1
}

TEST(IceRoundTrip, BitplanePostPass) {
  bytes d = noise(800, 3);
  ice_pack_options opt;
  opt.plane_groups = 50;
  round_trip(d, opt);
  opt.plane_groups = 4000;   // the stream's default count, longer than the data
  round_trip(d, opt);
  // The pass really regroups: the packed stream of the transformed data differs.
  EXPECT_NE(ice_pack(d.data(), d.size(), opt), ice_pack(d.data(), d.size()));
}

TEST(IceDepack, NeverLeavesItsBuffers) {
  bytes data = noise(3000, 11);
  data.insert(data.end(), data.begin(), data.begin() + 1500);
  bytes ice = ice_pack(data.data(), data.size());
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    bytes bad = ice;
    for (int k = 0; k < 4; ++k) bad[ICE_HEADER_SIZE + rng() % (bad.size() - ICE_HEADER_SIZE)] ^= uint8_t(1 << (rng() % 8));
    bytes out(data.size());
    ice_depack(bad.data() + ICE_HEADER_SIZE, bad.size() - ICE_HEADER_SIZE, out.data(), out.size());
  }
  // Too little input for the claimed output.
  bytes out(data.size() * 2);
  EXPECT_EQ(ice_depack(ice.data() + ICE_HEADER_SIZE, ice.size() - ICE_HEADER_SIZE, out.data(), out.size()), -1);
  EXPECT_EQ(ice_depack(ice.data() + ICE_HEADER_SIZE, 1, out.data(), out.size()), -1);
}

TEST(IceLoad, HeaderMessages) {
  bytes data = noise(100, 1);
  bytes ice = ice_pack(data.data(), data.size());
  auto load = [](const bytes& b) {
    SC68error_flush();
    istream68* is = istream68_mem_create(b.data(), int(b.size()), ISTREAM68_READ);
    istream68_open(is);
    int n = 0;
    void* out = ice_load(is, &n);
    istream68_destroy(is);
    std::string e = SC68error_peek() ? SC68error_peek() : "";
    SC68free(out);
    return out ? std::string("ok") : e.substr(e.find(" : ") + 3);
  };
  EXPECT_EQ(load(ice), "ok");
  EXPECT_EQ(load(bytes(ice.begin(), ice.begin() + 8)), "no header");
  bytes bad = ice;
  bad[0] = 'X';
  EXPECT_EQ(load(bad), "not ICE!");
  EXPECT_EQ(load(bytes(ice.begin(), ice.end() - 1)), "read failed");
  bad = ice;
  bad[4] = 0x7F;   // packed size far beyond the stream
  EXPECT_EQ(load(bad), "read failed");
}
