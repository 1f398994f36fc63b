// The engine interface: starting tracks, the status of each call, the sound of the test replays.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/sc68/engine/sc68_builder.h"

namespace fs = std::filesystem;

namespace {

bytes test_replay(const char* name) { return source_file(std::string("tests/sc68/engine/data/") + name); }

// One engine per test, with its configuration kept in a scratch directory and an empty data
// folder: SNDH files play through the replay built into the engine.
struct Engine : ::testing::Test {
  api68_t* api = nullptr;
  fs::path home = fs::current_path() / ("home_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));

  void SetUp() override {
    fs::remove_all(home);
    fs::create_directories(home / "data");
    setenv("SC68_HOME", home.c_str(), 1);
    setenv("SC68_DATA", (home / "data").c_str(), 1);
    restart();
  }
  void TearDown() override {
    api68_shutdown(api);
    fs::remove_all(home);
  }
  void restart() {
    api68_shutdown(api);
    SC68error_flush();
    api = start_engine();
    ASSERT_NE(api, nullptr);
  }
  int load(const bytes& f) { return api68_load_mem(api, f.data(), int(f.size())); }
  // Starts the loaded track: nothing is written by the call that starts it.
  int start() { return api68_process(api, nullptr, 0); }
  uint32_t be32(uint32_t a) const {
    const uint8_t* m = api->mem + a;
    return uint32_t(m[0]) << 24 | uint32_t(m[1]) << 16 | uint32_t(m[2]) << 8 | m[3];
  }
  // Status of each call of n frames; n = 0 starts track 1 again.
  std::string statuses(const std::vector<int>& calls) {
    std::vector<uint32_t> buf(4096);
    std::string s;
    for (int n : calls) {
      if (!s.empty()) s += ' ';
      s += std::to_string(n ? api68_process(api, buf.data(), n) : (api68_play(api, 1), start()));
    }
    return s;
  }
};

// The Xbtimer replay with its parameter words (the code's last four) set.
bytes xbtimer_tune(uint16_t timer, uint16_t control, uint16_t data, uint16_t turns) {
  bytes code = test_replay("xbtimer.bin");
  const uint16_t params[4] = {timer, control, data, turns};
  for (size_t i = 0; i < 4; ++i) {
    code[code.size() - 8 + 2 * i] = uint8_t(params[i] >> 8);
    code[code.size() - 7 + 2 * i] = uint8_t(params[i]);
  }
  return sc68_builder().empty("MU").data(code).file();
}

}  // namespace

TEST_F(Engine, RefusesWhatCannotPlay) {
  EXPECT_EQ(start_engine(), nullptr);   // one engine at a time
  api68_shutdown(api);
  api = nullptr;
  api68_init_t init{};
  EXPECT_EQ(api68_init(nullptr), nullptr);
  EXPECT_STREQ(SC68error_peek(), "api68_init() : missing init struct");
  init.alloc = [](unsigned) -> void* { return nullptr; };
  EXPECT_EQ(api68_init(&init), nullptr);
  EXPECT_STREQ(SC68error_peek(), "api68_init() : missing dynamic memory handler(s)");
  restart();
  uint32_t frame;
  EXPECT_EQ(api68_process(nullptr, &frame, 1), -1);
  EXPECT_EQ(api68_process(api, &frame, 1), -1);   // nothing loaded
  EXPECT_EQ(api68_play(api, 1), -1);
  EXPECT_EQ(api68_stop(api), -1);
  EXPECT_EQ(api68_load_mem(nullptr, "junk", 4), -1);
  EXPECT_NE(api68_load_mem(api, "junk", 4), 0);
  bytes tune = sc68_builder().empty("MU").data(rts_replay()).file();
  ASSERT_EQ(load(tune), 0);
  EXPECT_EQ(api68_process(api, &frame, -1), -1);
  EXPECT_EQ(api68_process(api, nullptr, 1), -1);
  EXPECT_EQ(api68_play(api, 2), -1);
  EXPECT_STREQ(SC68error_peek(), "track [2] out of range [1]");
  EXPECT_NE(load(tune), 0);
  EXPECT_STREQ(SC68error_peek(), "disk is already loaded");
}

TEST_F(Engine, StatusThroughTheTracksToTheEnd) {
  // Paula makes exactly 883 frames per 50 Hz replay frame (the YM's count varies).
  ASSERT_EQ(load(sc68_builder().empty("MU").num("FR", 2).num("TY", SC68_AMIGA).data(rts_replay()).empty("MU").num("FR", 3).file()), 0);
  EXPECT_EQ(start(), API68_CHANGE);
  // Track 1 ends on its second frame, track 2 starts on the next call and ends on its third.
  EXPECT_EQ(statuses({883, 883, 883, 883, 883, 883, 883, 883}), "0 16 4 0 0 16 36 -1");
  // Track 1 again in half frames: the second half comes without emulation, the third call runs
  // the second frame, which ends the track.
  api68_rewind(api);
  EXPECT_EQ(statuses({400, 400, 400, 883}), "4 2 16 4");
  EXPECT_EQ(api68_play(api, -1), 2);
}

TEST_F(Engine, DefaultAndForcedTracks) {
  sc68_builder b;
  b.num("DF", 2);
  for (int i = 0; i < 4; ++i) b.empty("MU").data(rts_replay());
  ASSERT_EQ(load(b.file()), 0);
  EXPECT_EQ(api->track_to, 1);   // force_track defaults to 1
  ASSERT_EQ(api68_play(api, 0), 0);
  EXPECT_EQ(api->track_to, 3);
  // The shutdown saves the configuration and the next start reads it, times in whole seconds.
  api->force_track = 9;
  api->amiga_blend = 1234;
  api->default_time_ms = 90500;
  restart();
  EXPECT_EQ(api->amiga_blend, 1234);
  EXPECT_EQ(api->default_time_ms, 91000u);
  // A forced track beyond the disk takes the disk's default.
  EXPECT_EQ(api->force_track, 9);
  ASSERT_EQ(load(sc68_builder().num("DF", 1).empty("MU").data(rts_replay()).empty("MU").file()), 0);
  EXPECT_EQ(api->track_to, 2);
}

// Starts the track and makes calls of n frames: the start's status, frame size and count (180 s
// without one on the disk), each call's status, the longs from $500 up to the last of four that
// is set (the test replays count and keep their registers there) and the newest message.
TEST_F(Engine, TracksRunAsPinned) {
  auto beam_wait = [](uint16_t move, uint16_t cmp, uint16_t addr) {
    // play: moveq #4,d1 / 2: move.s ADDR,d0 / 1: cmp.s ADDR,d0 / beq.s 1b / dbf d1,2b / rts
    bytes play = {0x72, 0x04, uint8_t(move >> 8), uint8_t(move), 0x00, 0xDF, uint8_t(addr >> 8), uint8_t(addr),
                  uint8_t(cmp >> 8), uint8_t(cmp), 0x00, 0xDF, uint8_t(addr >> 8), uint8_t(addr), 0x67, 0xF8, 0x51, 0xC9, 0xFF, 0xF0, 0x4E, 0x75};
    return sc68_builder().empty("MU").num("TY", SC68_AMIGA).data(replay_with_play(play)).file();
  };
  auto at_rate = [](uint32_t frq) { return sc68_builder().empty("MU").num("FQ", frq).data(rts_replay()).file(); };
  // init: move.l d2,$500 ; move.l a0,$504 ; move.l d1,$508 ; move.l d0,$50C ; rts
  const bytes init_registers = {0x23, 0xC2, 0, 0, 0x05, 0x00, 0x23, 0xC8, 0, 0, 0x05, 0x04, 0x23, 0xC1, 0, 0, 0x05, 0x08,
                                0x23, 0xC0, 0, 0, 0x05, 0x0C, 0x4E, 0x75};
  // An SNDH file whose init stores D0 at $500 and whose play counts at $504.
  bytes sndh = sndh_file(std::string("##03TC100\0\0", 11));
  const bytes routines[3] = {{0x23, 0xC0, 0, 0, 0x05, 0x00, 0x4E, 0x75}, {0x4E, 0x75}, {0x52, 0xB9, 0, 0, 0x05, 0x04, 0x4E, 0x75}};
  for (size_t i = 0; i < 3; ++i) {
    sndh[4 * i + 3] = uint8_t(sndh.size() - 4 * i - 2);
    sndh.insert(sndh.end(), routines[i].begin(), routines[i].end());
  }
  const struct {
    const char* what;
    bytes tune;
    uint32_t step_limit;   // 0: the engine's own
    std::vector<int> calls;
    std::string run;
    int track = 1;
  } cases[] = {
      {"init registers: size, address, not STE, D0", sc68_builder().empty("MU").num("AT", 0x10000).num("D0", 7).data(init_registers).file(), 0, {},
       "4 160256/883 x9000 | @500 26 65536 1 7"},
      // Track 1 runs the file through the replay built into the engine, the others run it directly.
      {"SNDH track 1", sndh, 0, {3 * 441}, "4 80000/441 x18000 | 0 | @500 1 3"},
      {"SNDH track 2", sndh, 0, {3 * 441}, "4 80000/441 x18000 | 0 | @500 2 3", 2},
      {"50 Hz", at_rate(50), 0, {}, "4 160256/883 x9000 | @500 0"},
      {"60 Hz", at_rate(60), 0, {}, "4 133344/735 x10800 | @500 0"},
      {"200 Hz", at_rate(200), 0, {}, "4 40000/220 x36000 | @500 0"},
      {"rate too high", at_rate(100000), 0, {}, "-1 | @500 0 | replay frequency 100000 Hz too high"},
      {"rate overflowing the frame count", at_rate(0xFFFFFFFFu), 0, {}, "-1 | @500 0 | replay frequency 4294967295 Hz too high"},
      {"data past the end of memory", sc68_builder().empty("MU").num("AT", 0x7FFF0).data(bytes(64, 0x4E)).file(), 0, {},
       "-1 | @500 0 | 68K memory overflow :($7FFF0-$80030)"},
      // A play routine that never returns drops the track, not the disk: the track can start again.
      {"play: bra.s *", sc68_builder().empty("MU").num("TY", SC68_AMIGA).data(replay_with_play({0x60, 0xFE})).file(), 20000, {2000, 2000, 0},
       "4 160256/883 x9000 | -1 -1 4 | @500 0 | track #1 : play routine failed (EMU68_run : routine at 008008 did not return (pc:008008))"},
      // Xbtimer handlers count their runs in the first 160,256-cycle frame.
      {"timer A every 160,156.25 cycles", xbtimer_tune(0, 7, 246, 0), 0, {883}, "4 160256/883 x9000 | 0 | @500 1"},
      {"timer B every 3,255.2 cycles", xbtimer_tune(1, 2, 100, 0), 0, {883}, "4 160256/883 x9000 | 0 | @500 49"},
      {"timer C at 200 Hz", xbtimer_tune(2, 5, 192, 0), 0, {883}, "4 160256/883 x9000 | 0 | @500 4"},
      {"timer D at 614.4 kHz", xbtimer_tune(3, 1, 1, 0), 0, {883}, "4 160256/883 x9000 | 0 | @500 12307"},
      // The same handler idling 10,000 turns each time: about 250 million instructions a frame
      // if nothing stopped them. The frame ends at the step budget and the track is dropped.
      {"timer D, endless handler", xbtimer_tune(3, 1, 1, 10000), 0, {883, 883},
       "4 160256/883 x9000 | -1 -1 | @500 3353 | track #1 : play routine failed (EMU68_run : MFP-68901 interrupts never end (vector 000110, pc:008036))"},
      // A replay waiting for the beam counter to move: a wait that never ends fails at once.
      {"beam: byte 6", beam_wait(0x1039, 0xB039, 0xF006), 100000, {883, 883, 883}, "4 160256/883 x9000 | 0 0 0 | @500 0"},
      {"beam: byte 7", beam_wait(0x1039, 0xB039, 0xF007), 100000, {883, 883, 883}, "4 160256/883 x9000 | 0 0 0 | @500 0"},
      {"beam: word", beam_wait(0x3039, 0xB079, 0xF006), 100000, {883, 883, 883}, "4 160256/883 x9000 | 0 0 0 | @500 0"},
      {"beam: long from 4", beam_wait(0x2039, 0xB0B9, 0xF004), 100000, {883, 883, 883}, "4 160256/883 x9000 | 0 0 0 | @500 0"},
  };
  for (const auto& c : cases) {
    restart();
    if (c.step_limit) api->emu.step_limit = c.step_limit;
    ASSERT_EQ(load(c.tune), 0) << c.what;
    ASSERT_EQ(api68_play(api, c.track), 0) << c.what;
    int status = start();
    char frame[32] = "";
    if (status > 0) std::snprintf(frame, sizeof frame, " %u/%u x%u", api->cycles_per_frame, api->samples_per_frame, api->total_frames);
    std::string run = std::to_string(status) + frame;
    if (!c.calls.empty()) (run += " | ") += statuses(c.calls);
    uint32_t end = 0x504;
    for (uint32_t at = end; at < 0x510; at += 4) end = be32(at) ? at + 4 : end;
    run += " | @500";
    for (uint32_t at = 0x500; at < end; at += 4) (run += " ") += std::to_string(be32(at));
    if (SC68error_peek()) (run += " | ") += SC68error_peek();
    EXPECT_EQ(run, c.run) << c.what;
  }
}

// The test replays' first frames, one engine call per frame as the host renders them: the
// CRC-32 of the frames.
TEST_F(Engine, TestReplaysSoundAsPinned) {
  const struct {
    const char* replay;
    unsigned hw;
    int voices, blend;
    const char* crc;
  } cases[] = {
      {"paula_tone.bin", SC68_AMIGA, 1, 0, "75645851"},   // voice 0 only: the left side
      {"paula_tone.bin", SC68_AMIGA, 1, 32768, "3ee8c40b"},   // both sides the same
      {"paula_tone.bin", SC68_AMIGA, 1, 20480, "6ecf6a56"},   // the default blend
      {"paula_tone.bin", SC68_AMIGA, 15, 0, "b41f10a6"},
      {"ym_tone.bin", SC68_YM, 0, 20480, "8c4fe129"},
  };
  for (const auto& c : cases) {
    restart();
    ASSERT_EQ(load(sc68_builder().empty("MU").num("TY", c.hw).num("D0", uint32_t(c.voices)).data(test_replay(c.replay)).file()), 0);
    api->amiga_blend = c.blend;
    EXPECT_EQ(render_crc(api, 5000, 1), c.crc) << c.replay << " " << c.voices << " " << c.blend;
  }
}

TEST(ReplayBytes, CommittedBinariesMatchTheirSources) {
  if (std::system("command -v m68k-linux-gnu-as > /dev/null 2>&1")) GTEST_SKIP() << "no 68000 assembler";
  const std::string root = KELVARIN_SOURCE_DIR;
  for (std::string bin : {"sc68/data/Replay/sndh_ice", "tests/sc68/engine/data/paula_tone", "tests/sc68/engine/data/ym_tone",
                          "tests/sc68/engine/data/xbtimer"}) {
    std::string src = bin.find("sndh_ice") == std::string::npos ? bin + ".s" : "sc68/replay/sndh_ice.s";
    std::string out = fs::current_path() / (fs::path(bin).filename().string() + ".new");
    std::string cmd = "sh " + root + "/sc68/replay/build.sh " + root + "/" + src + " " + out;
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    EXPECT_FALSE(source_file(bin + ".bin").empty()) << bin;
    EXPECT_EQ(read_file(out), source_file(bin + ".bin")) << bin;
    fs::remove(out);
  }
}
