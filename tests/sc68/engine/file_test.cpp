#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <string>

#include "sc68/base68.h"
#include "sc68/file68.h"
#include "tests/sc68/engine/sc68_builder.h"
#include "tools/icepack/icepack.h"

namespace {

struct Loaded {
  disk68* d;
  explicit Loaded(const bytes& b) : d(SC68file_load_mem(b.data(), int(b.size()))) {}
  ~Loaded() { SC68file_free(d); }
};

std::string newest_error() {
  const char* e = SC68error_peek();
  return e ? e : "";
}

// Message of the failed load: the loader's line and the reason's detail line.
std::string load_error(const bytes& b) {
  SC68error_flush();
  Loaded l(b);
  EXPECT_EQ(l.d, nullptr);
  return newest_error();
}

bytes gzip(const bytes& in) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  bytes out(compressBound(uLong(in.size())) + 64);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = uInt(in.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

bytes minimal() { return sc68_builder().empty("MU").data(rts_replay()).file(); }

}  // namespace

TEST(Sc68Recognition, EachBranchAndMessage) {
  bytes tiny(55, 0);
  EXPECT_NE(load_error(tiny).find("Failed (read header)"), std::string::npos);
  SC68error_get();
  EXPECT_EQ(newest_error(), "Not SC68 file : Missing ID");

  bytes junk(100, 'x');
  load_error(junk);
  SC68error_get();
  EXPECT_EQ(newest_error(), "Not SC68 file : Missing ID");

  // The identification string differing only in its final zero.
  bytes almost = minimal();
  almost[55] = ' ';
  load_error(almost);
  SC68error_get();
  EXPECT_EQ(newest_error(), "Not SC68 file : Missing ID");

  bytes nobase = minimal();
  nobase[58] = 'X';
  load_error(nobase);
  SC68error_get();
  EXPECT_EQ(newest_error(), "Not SC68 file : Missing BASE Chunk");

  bytes weird = minimal();
  weird[60] = 8;
  weird[61] = weird[62] = weird[63] = 0;
  load_error(weird);
  SC68error_get();
  EXPECT_EQ(newest_error(), "Not SC68 file : Weird BASE Chunk size");

  bytes cut = minimal();
  cut.resize(62);
  load_error(cut);
  SC68error_get();
  EXPECT_EQ(newest_error(), "Not SC68 file : Weird BASE Chunk size");
}

TEST(Sc68Recognition, FailureLineNamesTheMemoryBlock) {
  bytes junk(100, 'x');
  std::string e = load_error(junk);
  EXPECT_EQ(e.rfind("SC68file_load(mem://0x", 0), 0u) << e;
  EXPECT_NE(e.find(") : Failed (read header)"), std::string::npos);
}

TEST(Sc68Validation, DefaultsOfAMinimalFile) {
  Loaded l(minimal());
  ASSERT_NE(l.d, nullptr);
  const disk68& d = *l.d;
  EXPECT_EQ(d.nb_six, 1);
  EXPECT_STREQ(d.name, "???");
  const music68& m = d.mus[0];
  EXPECT_EQ(m.a0, 0x8000u);
  EXPECT_EQ(m.frq, 50u);
  EXPECT_EQ(m.hwflags, unsigned(SC68_YM));
  EXPECT_STREQ(m.author, "???");
  EXPECT_STREQ(m.name, "???");
  EXPECT_STREQ(m.composer, "???");
  EXPECT_EQ(m.frames, 0u);
  EXPECT_EQ(m.datasz, rts_replay().size());
}

TEST(Sc68Validation, TimesFramesAndInheritance) {
  bytes f = sc68_builder()
                .text("FN", "Disk")
                .num("DF", 7)
                .empty("MU")
                .text("AN", "Halcyon")
                .num("TI", 0xFFFFFFFFu)
                .data(rts_replay())
                .empty("MU")
                .text("MN", "Second")
                .num("FR", 120)
                .num("FQ", 60)
                .num("TY", SC68_YM | SC68_STE)
                .empty("MU")
                .text("CN", "Drift")
                .file();
  Loaded l(f);
  ASSERT_NE(l.d, nullptr);
  const disk68& d = *l.d;
  EXPECT_EQ(d.nb_six, 3);
  EXPECT_EQ(d.default_six, 0);   // 7 is out of range
  // An SCTI of -1 is -1000 ms, read as unsigned.
  EXPECT_EQ(d.mus[0].time_ms, 4294966296u);
  EXPECT_EQ(d.mus[0].frames, 214748314u);
  EXPECT_STREQ(d.mus[0].name, "Disk");
  EXPECT_STREQ(d.mus[0].composer, "Halcyon");
  EXPECT_EQ(d.mus[1].time_ms, 2000u);
  EXPECT_EQ(d.mus[1].start_ms, 4294966296u);
  EXPECT_STREQ(d.mus[1].author, "Halcyon");
  EXPECT_STREQ(d.mus[2].name, "Second");
  EXPECT_STREQ(d.mus[2].composer, "Drift");
  // Musics without data share the one before.
  EXPECT_EQ(d.mus[1].data, d.mus[0].data);
  EXPECT_EQ(d.mus[2].datasz, d.mus[0].datasz);
  EXPECT_EQ(d.hwflags, unsigned(SC68_YM | SC68_STE));
}

TEST(Sc68Validation, Failures) {
  EXPECT_NE(load_error(sc68_builder().text("FN", "x").file()).find("Failed (validation test)"),
            std::string::npos);
  SC68error_get();
  EXPECT_EQ(newest_error(), "No music defined");

  load_error(sc68_builder().empty("MU").file());
  SC68error_get();
  EXPECT_EQ(newest_error(), "music #0 as no data");

  EXPECT_NE(load_error(sc68_builder().num("FQ", 50).empty("MU").data(rts_replay()).file()).find("Failed (FQ)"),
            std::string::npos);
}

TEST(Sc68Walk, HundredthMusicEndsTheWalk) {
  sc68_builder b;
  b.empty("MU").data(rts_replay());
  for (int i = 1; i < 99; ++i) b.empty("MU");
  b.empty("MU").num("FQ", 1234);   // never read
  b.text("FN", "after");           // never read either
  Loaded l(b.file(false));
  ASSERT_NE(l.d, nullptr);
  EXPECT_EQ(l.d->nb_six, 99);
  EXPECT_STREQ(l.d->name, "???");
  EXPECT_EQ(l.d->mus[98].frq, 50u);
}

TEST(Sc68Walk, HostileSizesAndTexts) {
  // Missing SCEF with trailing garbage.
  bytes f = sc68_builder().empty("MU").data(rts_replay()).file(false);
  f.push_back('Z');
  f[60] += 1;
  EXPECT_NE(load_error(f).find("prematured end of file"), std::string::npos);

  // A chunk size running past the data.
  bytes g = sc68_builder().empty("MU").data(rts_replay()).file();
  g[64 + 8 + 4] = 0xFF;
  EXPECT_NE(load_error(g).find("prematured end of file"), std::string::npos);

  // A base size bigger than the file.
  bytes h = minimal();
  h[61] = 0x10;
  EXPECT_NE(load_error(h).find("Failed (read data)"), std::string::npos);

  // Numbers shorter than 4 bytes and texts without terminator.
  uint8_t two[2] = {1, 2};
  EXPECT_NE(load_error(sc68_builder().empty("MU").raw("FQ", two, 2).data(rts_replay()).file()).find("Failed (FQ)"),
            std::string::npos);
  EXPECT_NE(load_error(sc68_builder().raw("FN", "abc", 3).empty("MU").data(rts_replay()).file()).find("Failed (FN)"),
            std::string::npos);
}

TEST(Sc68Sndh, TagsTimerRateAndTracks) {
  Loaded l(sndh_file(std::string("COMM") + "Lumen" + '\0' + "TITL" + "Chip" + '\0' + "##04" + "TC200" +
                     "!V50" + "**AB"));
  ASSERT_NE(l.d, nullptr);
  const disk68& d = *l.d;
  EXPECT_EQ(d.nb_six, 4);
  EXPECT_STREQ(d.name, "Chip");
  for (int i = 0; i < 4; ++i) {
    EXPECT_STREQ(d.mus[i].author, "Lumen");
    EXPECT_EQ(d.mus[i].d0, i + 1);
    EXPECT_EQ(d.mus[i].data, d.mus[0].data);
  }
  EXPECT_STREQ(d.mus[0].replay, "sndh_ice");
  EXPECT_EQ(d.mus[1].replay, nullptr);
}

TEST(Sc68Sndh, TagsAsWrittenGiveTracksAndRate) {
  using namespace std::string_literals;
  const struct {
    std::string tags;
    int tracks;
    unsigned frq;
  } cases[] = {
      {"YEAR1991\0##04TC200\0"s, 4, 200},                 // tags after a year are still found
      {"CONVx\0RIPPy\0FLAG~ab\0YEAR1991\0\0\0MuMo##03!V60\0TC200"s, 3, 200},
      {"##02TA100\0"s, 2, 100},
      {"TB75\0!V60\0"s, 1, 75},                             // a timer before the VBL
      {"TD120\0TC50\0"s, 1, 50},                            // Timer-C before the others
      {"!V60\0"s, 1, 60},
      {"##02"s, 2, 50},
      {"##02!#SN\0\x08\0\x0EIntro\0Main\0TC200\0"s, 2, 200},   // sub-tune names skipped
      {"##03HDNSTC200"s, 3, 50},                            // the header ends at HDNS
  };
  for (const auto& c : cases) {
    Loaded l(sndh_file(c.tags));
    ASSERT_NE(l.d, nullptr) << c.tags;
    EXPECT_EQ(l.d->nb_six, c.tracks) << c.tags;
    for (int i = 0; i < l.d->nb_six; ++i) EXPECT_EQ(l.d->mus[i].frq, c.frq) << c.tags;
  }
}

TEST(Sc68Sndh, TimeAndFramesGiveTrackLengths) {
  using namespace std::string_literals;
  // Seconds as words, frames as longs, one per sub-tune; 0 leaves the default time.
  Loaded l(sndh_file("##04TC50\0TIME\0\x1E\0\0\x01\x2C\0\0FRMS\0\0\0\0\0\0\0\x64\0\0\0\0\0\0\x01\x90"s));
  ASSERT_NE(l.d, nullptr);
  ASSERT_EQ(l.d->nb_six, 4);
  const unsigned frames[4] = {1500, 100, 15000, 400};
  const unsigned time_ms[4] = {30000, 2000, 300000, 8000};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(l.d->mus[i].frames, frames[i]) << i;
    EXPECT_EQ(l.d->mus[i].time_ms, time_ms[i]) << i;
  }
  Loaded none(sndh_file("##02"));
  ASSERT_NE(none.d, nullptr);
  EXPECT_EQ(none.d->mus[1].frames, 0u);
  EXPECT_STREQ(none.d->name, "???");
}

TEST(Sc68Sndh, TextAtTheVeryEndStaysInside) {
  bytes f = sndh_file("");
  f.resize(16);
  const char* tail = "COMMabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz";
  f.insert(f.end(), tail, tail + std::strlen(tail));
  Loaded l(f);
  ASSERT_NE(l.d, nullptr);
  EXPECT_STREQ(l.d->mus[0].author, tail + 4);
}

TEST(Sc68Packed, IceAroundAnSc68FileLoadsAsThatFile) {
  bytes f = sc68_builder().text("FN", "Packed").empty("MU").data(bytes(3000, 0x4E)).file();
  bytes ice = ice_pack(f.data(), f.size());
  ASSERT_FALSE(ice.empty());
  Loaded l(ice);
  ASSERT_NE(l.d, nullptr);
  EXPECT_STREQ(l.d->name, "Packed");
  EXPECT_EQ(l.d->mus[0].datasz, 3000u);
}

TEST(Sc68Packed, GzipFromMemoryAndFromFile) {
  bytes f = sc68_builder().text("FN", "Zipped").empty("MU").data(rts_replay()).file();
  bytes z = gzip(f);
  Loaded l(z);
  ASSERT_NE(l.d, nullptr);
  EXPECT_STREQ(l.d->name, "Zipped");

  const char* path = "sc68_gzip_test.sc68.gz";
  std::FILE* out = std::fopen(path, "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(z.data(), 1, z.size(), out);
  std::fclose(out);
  disk68* d = SC68file_load_file(path);
  ASSERT_NE(d, nullptr);
  EXPECT_STREQ(d->name, "Zipped");
  SC68file_free(d);
  std::remove(path);

  // gzip around ICE around SC68.
  bytes ice = ice_pack(f.data(), f.size());
  Loaded nested(gzip(ice));
  ASSERT_NE(nested.d, nullptr);
  EXPECT_STREQ(nested.d->name, "Zipped");

  // Packings nested without end (a gzip file can even unpack to itself) stop after four.
  bytes deep = f;
  for (int i = 0; i < 4; ++i) deep = gzip(deep);
  EXPECT_NE(Loaded(deep).d, nullptr);
  deep = gzip(deep);
  load_error(deep);
  bool refused = false;
  while (const char* e = SC68error_get()) refused |= std::string(e).find("Failed (too many nested packings)") != std::string::npos;
  EXPECT_TRUE(refused);
}

TEST(Sc68Packed, CorruptAndOversizedPackings) {
  bytes payload(4000);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i * 7919 >> 3);
  bytes z = gzip(sc68_builder().empty("MU").data(payload).file());
  z.resize(z.size() / 2);
  load_error(z);
  SC68error_get();
  EXPECT_EQ(newest_error().rfind("gzip_load(mem://", 0), 0u) << newest_error();

  // 17 MB of zeros: refused, not allocated whole.
  Loaded big(gzip(bytes(17u << 20, 0)));
  EXPECT_EQ(big.d, nullptr);
  bool too_large = false;
  while (const char* e = SC68error_get()) too_large |= std::string(e).find("too large") != std::string::npos;
  EXPECT_TRUE(too_large);

  bytes ice = ice_pack(minimal().data(), minimal().size());
  ice[8] = 0x02;   // unpacked size above 16 MB
  load_error(ice);
  SC68error_get();
  EXPECT_EQ(newest_error().find("alloc output buffer failed") != std::string::npos, true) << newest_error();
}
