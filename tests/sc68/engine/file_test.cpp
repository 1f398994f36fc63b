// Loading disks from SC68, SNDH, ICE and gzip bytes, and the ICE depacker on its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <regex>
#include <string>

#include "sc68/base68.h"
#include "sc68/ice68.h"
#include "tests/sc68/engine/sc68_builder.h"
#include "tools/icepack/icepack.h"

namespace {

std::string errors() {
  std::string all;
  while (const char* e = SC68error_get()) all = std::string(e) + (all.empty() ? "" : " / ") + all;
  return std::regex_replace(all, std::regex("mem://[0-9a-fx:]+"), "mem");
}

// The loaded disk, or the load's messages, oldest first. A disk shows its header and musics 1 to
// 3 and the last; of these only the data and what differs from the defaults: 50 Hz on the YM
// from $8000, "???" for unknown texts, 0 for the rest.
std::string describe(disk68* d) {
  if (!d) return errors();
  std::string s = std::to_string(d->nb_six) + " tracks";
  auto add = [&s](bool shown, const std::string& field) {
    if (shown) s += field;
  };
  auto text = [](const char* t) { return std::string(t ? t : "(null)"); };
  add(text(d->name) != "???", " of " + text(d->name));
  add(d->default_six, ", default " + std::to_string(d->default_six + 1));
  add(d->hwflags != SC68_YM, ", hw " + std::to_string(d->hwflags));
  for (int i = 0; i < d->nb_six; ++i) {
    if (i >= 3 && i != d->nb_six - 1) continue;
    const music68& m = d->mus[i];
    s += " |";
    add(text(m.name) != "???", " name " + text(m.name) + ",");
    add(text(m.author) != "???", " author " + text(m.author) + ",");
    add(text(m.composer) != "???", " composer " + text(m.composer) + ",");
    add(m.d0, " d0 " + std::to_string(m.d0) + ",");
    char at[16];
    std::snprintf(at, sizeof at, " at %x,", m.a0);
    add(m.a0 != 0x8000, at);
    add(m.frq != 50, " " + std::to_string(m.frq) + " Hz,");
    add(m.hwflags != SC68_YM, " hw " + std::to_string(m.hwflags) + ",");
    add(m.start_ms, " from " + std::to_string(m.start_ms) + ",");
    add(m.time_ms, " " + std::to_string(m.time_ms) + " ms,");
    add(m.frames, " " + std::to_string(m.frames) + " frames,");
    add(m.replay, " replay " + text(m.replay) + ",");
    s += " data " + std::to_string(m.data - d->mus[0].data) + "+" + std::to_string(m.datasz);
  }
  return s;
}

std::string load(const bytes& b) {
  SC68error_flush();
  disk68* d = SC68file_load_mem(b.data(), int(b.size()));
  std::string s = describe(d);
  SC68file_free(d);
  return s;
}

bytes ice(const bytes& in) { return ice_pack(in.data(), in.size()); }

bytes cat(std::initializer_list<bytes> parts) {
  bytes all;
  for (const bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

bytes with(bytes b, size_t at, std::initializer_list<uint8_t> v) {
  std::copy(v.begin(), v.end(), b.begin() + long(at));
  return b;
}

bytes noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  bytes b(n);
  for (auto& c : b) c = uint8_t(rng());
  return b;
}

const bytes minimal = sc68_builder().empty("MU").data(rts_replay()).file();

}  // namespace

TEST(Sc68Load, DisksAndMessages) {
  using namespace std::string_literals;
  const std::string bad = "SC68file_load(mem) : Failed ";
  const std::string no_id = "Not SC68 file : Missing ID / " + bad + "(read header)";
  sc68_builder hundred;
  hundred.empty("MU").data(rts_replay());
  for (int i = 1; i < 99; ++i) hundred.empty("MU");
  hundred.empty("MU").num("FQ", 1234).text("FN", "after");   // past the 99th music: never read
  bytes packed = sc68_builder().text("FN", "Packed").empty("MU").data(bytes(3000, 0x4E)).file();
  // A file without SCEF whose base chunk takes in bytes after its last chunk.
  auto stray = [](const bytes& tail) {
    bytes f = cat({sc68_builder().empty("MU").data(rts_replay()).file(false), tail});
    f[60] = uint8_t(f[60] + tail.size());
    return f;
  };
  uint8_t two[2] = {1, 2};
  const struct {
    const char* what;
    bytes file;
    std::string disk;
  } cases[] = {
      {"55 bytes", bytes(55, 0), no_id},
      {"junk", bytes(100, 'x'), no_id},
      {"identification without its zero", with(minimal, 55, {' '}), no_id},
      {"no base chunk", with(minimal, 58, {'X'}), "Not SC68 file : Missing BASE Chunk / " + bad + "(read header)"},
      {"base chunk of 8 bytes", with(minimal, 60, {8, 0, 0, 0}), "Not SC68 file : Weird BASE Chunk size / " + bad + "(read header)"},
      {"cut in the base size", bytes(minimal.begin(), minimal.begin() + 62), "Not SC68 file : Weird BASE Chunk size / " + bad + "(read header)"},
      {"base size past the end", with(minimal, 61, {0x10}), bad + "(read data)"},
      {"chunk past the end", with(minimal, 76, {0xFF}), bad + "(prematured end of file)"},
      {"no SCEF, a stray byte", stray({'Z'}), bad + "(prematured end of file)"},
      {"SCEF cut short", stray({'S', 'C', 'E', 'F', 0, 0, 0}), bad + "(prematured end of file)"},
      {"SCEF claiming a byte past the end", stray({'S', 'C', 'E', 'F', 1, 0, 0, 0}), bad + "(prematured end of file)"},
      {"no music", sc68_builder().text("FN", "x").file(), "No music defined / " + bad + "(validation test)"},
      {"music without data", sc68_builder().empty("MU").file(), "music #0 as no data / " + bad + "(validation test)"},
      {"number before the first music", sc68_builder().num("FQ", 50).empty("MU").data(rts_replay()).file(), bad + "(FQ)"},
      {"two-byte number", sc68_builder().empty("MU").raw("FQ", two, 2).data(rts_replay()).file(), bad + "(FQ)"},
      {"text without its zero", sc68_builder().raw("FN", "abc", 3).empty("MU").data(rts_replay()).file(), bad + "(FN)"},
      {"minimal", minimal, "1 tracks | data 0+10"},
      {"times, names and data passed on",
       sc68_builder().text("FN", "Disk").num("DF", 7)
           .empty("MU").text("AN", "Halcyon").num("TI", 0xFFFFFFFFu).data(rts_replay())
           .empty("MU").text("MN", "Second").num("FR", 120).num("FQ", 60).num("TY", SC68_YM | SC68_STE).num("AT", 0x10000).num("D0", 3)
           .empty("MU").text("CN", "Drift").file(),
       "3 tracks of Disk, hw 3 | name Disk, author Halcyon, composer Halcyon, 4294966296 ms, 214748314 frames, data 0+10"
       " | name Second, author Halcyon, composer Halcyon, d0 3, at 10000, 60 Hz, hw 3, from 4294966296, 2000 ms, 120 frames, data 0+10"
       " | name Second, author Halcyon, composer Drift, from 1000, data 0+10"},
      {"the 99th music ends the walk", hundred.file(false),
       "99 tracks | data 0+10 | data 0+10 | data 0+10 | data 0+10"},
      {"SNDH tags", sndh_file("COMMLumen\0TITLChip\0##04TC200\0!V50**AB"s),
       "4 tracks of Chip | name Chip, author Lumen, composer Lumen, d0 1, 200 Hz, replay sndh_ice, data 0+64"
       " | name Chip, author Lumen, composer Lumen, d0 2, 200 Hz, data 0+64 | name Chip, author Lumen, composer Lumen, d0 3, 200 Hz, data 0+64"
       " | name Chip, author Lumen, composer Lumen, d0 4, 200 Hz, data 0+64"},
      {"SNDH TIME and FRMS",
       sndh_file("##04TC50\0TIME\0\x1E\0\0\x01\x2C\0\0FRMS\0\0\0\0\0\0\0\x64\0\0\0\0\0\0\x01\x90"s),
       "4 tracks | d0 1, 30000 ms, 1500 frames, replay sndh_ice, data 0+65 | d0 2, from 30000, 2000 ms, 100 frames, data 0+65"
       " | d0 3, from 32000, 300000 ms, 15000 frames, data 0+65 | d0 4, from 332000, 8000 ms, 400 frames, data 0+65"},
      {"SNDH text running to the end", [] { bytes f = sndh_file(""); f.resize(16); for (char c : "COMMabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz"s) f.push_back(uint8_t(c)); return f; }(),
       "1 tracks | author abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz,"
       " composer abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz, d0 1, replay sndh_ice, data 0+72"},
      {"ICE", ice(packed), "1 tracks of Packed | name Packed, data 0+3000"},
      {"gzip", gzip(packed), "1 tracks of Packed | name Packed, data 0+3000"},
      {"gzip around ICE", gzip(ice(packed)), "1 tracks of Packed | name Packed, data 0+3000"},
      {"four packings deep", gzip(minimal, 4), "1 tracks | data 0+10"},
      {"five packings deep", gzip(minimal, 5), bad + "(too many nested packings)" + [&] { std::string s; for (int i = 0; i < 5; ++i) s += " / " + bad + "(depacked data)"; return s; }()},
      {"gzip cut in half", [&] { bytes z = gzip(sc68_builder().empty("MU").data(noise(4000, 1)).file()); z.resize(z.size() / 2); return z; }(), "gzip_load(mem) : corrupted data / " + bad + "(read header)"},
      {"17 MB of zeros in gzip", gzip(bytes(17u << 20, 0)), "gzip_load(mem) : unpacked data too large / " + bad + "(read header)"},
      {"ICE around junk", ice(noise(200, 2)), no_id + " / " + bad + "(depacked data)"},
      {"ICE of one byte, then padding", cat({ice({'x'}), bytes(64, 0)}), no_id + " / " + bad + "(depacked data)"},
      {"ICE packed size below its header", with(ice(minimal), 4, {0, 0, 0, 4}), "ice_load(mem) : not ICE! / " + bad + "(read header)"},
      {"ICE cut short", [] { bytes p = ice(minimal); p.pop_back(); return p; }(), "ice_load(mem) : read failed / " + bad + "(read header)"},
      {"ICE packed size past the end", with(ice(minimal), 4, {0x7F}), "ice_load(mem) : read failed / " + bad + "(read header)"},
      {"ICE claiming more than 16 MB", with(ice(minimal), 8, {0x02}), "ice_load(mem) : alloc output buffer failed / " + bad + "(read header)"},
  };
  for (const auto& c : cases) EXPECT_EQ(load(c.file), c.disk) << c.what;
}

// Sub-tunes and replay rate as written by the trackers: whole tags are stepped over, the header
// ends at HDNS, the rate comes from TC, else TA/TB/TD, else !V.
TEST(Sc68Load, SndhTagsAsWrittenGiveTracksAndRate) {
  using namespace std::string_literals;
  const struct {
    std::string tags;
    int tracks;
    unsigned frq;
  } cases[] = {
      {"YEAR1991\0##04TC200\0"s, 4, 200},
      {"CONVx\0RIPPy\0FLAG~ab\0YEAR1991\0\0\0MuMo##03!V60\0TC200"s, 3, 200},
      {"##02TA100\0"s, 2, 100},
      {"TB75\0!V60\0"s, 1, 75},
      {"TD120\0TC50\0"s, 1, 50},
      {"!V60\0"s, 1, 60},
      {"##02"s, 2, 50},
      {"##02!#SN\0\x08\0\x0EIntro\0Main\0TC200\0"s, 2, 200},
      {"##03HDNSTC200"s, 3, 50},
  };
  for (const auto& c : cases) {
    bytes f = sndh_file(c.tags);
    disk68* d = SC68file_load_mem(f.data(), int(f.size()));
    ASSERT_NE(d, nullptr) << c.tags;
    EXPECT_EQ(d->nb_six, c.tracks) << c.tags;
    for (int i = 0; i < d->nb_six; ++i) EXPECT_EQ(d->mus[i].frq, c.frq) << c.tags << " track " << i + 1;
    SC68file_free(d);
  }
}

// Literal runs of every length class (1, 2-4, 5-7, 8-14, 15-269, 270+ bytes), matches of every
// length and offset class, and the bitplane pass over part or all of the data come back whole.
TEST(IceDepack, RoundTripsEveryRunMatchAndPlaneForm) {
  std::vector<std::pair<bytes, ice_pack_options>> cases = {{bytes(5000, 0), {}}, {noise(800, 3), {50, 1033}}, {noise(800, 3), {4000, 1033}}};
  for (unsigned run : {1u, 3u, 6u, 11u, 200u, 5000u}) {
    bytes all;
    for (unsigned i = 0; i < 3; ++i) all = cat({all, noise(run, run + i), bytes(16, 0x55)});
    cases.push_back({all, {}});
  }
  for (int len : {2, 3, 5, 9, 40, 1033})
    for (unsigned gap : {0u, 20u, 200u, 600u, 3000u}) cases.push_back({cat({noise(size_t(len), 7), noise(gap, 9), noise(size_t(len), 7)}), {0, len}});
  for (const auto& [data, opt] : cases) {
    bytes packed = ice_pack(data.data(), data.size(), opt), out(data.size(), 0xEE);
    ASSERT_EQ(ice_unpacked_size(packed.data(), packed.size()), int32_t(data.size()));
    EXPECT_EQ(ice_depack(packed.data() + ICE_HEADER_SIZE, packed.size() - ICE_HEADER_SIZE, out.data(), out.size()), 0);
    EXPECT_EQ(out, data) << data.size() << " bytes, " << opt.plane_groups << " plane groups";
  }
  // The plane pass really regroups.
  EXPECT_NE(ice_pack(cases[2].first.data(), 800, cases[2].second), ice_pack(cases[2].first.data(), 800));
}

// Too little input for the claimed output, or none at all, is refused; corrupt input at large is
// the load fuzzer's.
TEST(IceDepack, RefusesInputShortOfItsOutput) {
  const bytes packed = ice(cat({noise(3000, 11), noise(1500, 11)}));
  const uint8_t* body = packed.data() + ICE_HEADER_SIZE;
  bytes out(9000);
  EXPECT_EQ(ice_depack(body, packed.size() - ICE_HEADER_SIZE, out.data(), out.size()), -1);
  EXPECT_EQ(ice_depack(body, 1, out.data(), out.size()), -1);
  EXPECT_EQ(ice_depack(packed.data() + packed.size(), 0, out.data(), 4500), -1);   // nothing to read back from
}
