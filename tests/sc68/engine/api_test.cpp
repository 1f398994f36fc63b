#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "sc68/api68.h"
#include "sc68/rsc68.h"
#include "tests/sc68/engine/sc68_builder.h"

namespace fs = std::filesystem;

namespace {

void* test_alloc(unsigned n) { return std::malloc(n); }
void test_free(void* p) { std::free(p); }

bytes replay(const char* name) {
  std::ifstream in(std::string(KELVARIN_SOURCE_DIR) + "/tests/sc68/engine/data/" + name, std::ios::binary);
  return bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string g_trace;
void trace(void*, const char* fmt, va_list list) {
  char line[256];
  std::vsnprintf(line, sizeof line, fmt, list);
  g_trace += line;
}

// One engine per test, with its configuration kept in a scratch directory.
struct Engine : ::testing::Test {
  api68_t* api = nullptr;
  fs::path home;
  api68_init_t init{};

  void SetUp() override {
    home = fs::current_path() / ("home_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(home);
    fs::create_directories(home);
    setenv("SC68_HOME", home.c_str(), 1);
    unsetenv("SC68_DATA");
    SC68error_flush();
    g_trace.clear();
    start();
  }
  void start() {
    init = api68_init_t{};
    init.alloc = test_alloc;
    init.free = test_free;
    init.debug = trace;
    api = api68_init(&init);
    ASSERT_NE(api, nullptr);
  }
  void TearDown() override {
    api68_shutdown(api);
    fs::remove_all(home);
  }
  int load(const bytes& f) { return api68_load_mem(api, f.data(), int(f.size())); }
  // Restarts track 1; the call that starts it writes nothing.
  void restart() {
    uint32_t frame;
    api68_rewind(api);
    ASSERT_EQ(api68_process(api, &frame, 1), API68_CHANGE);
  }
  // The next n frames, one call per frame as the host renders them.
  std::vector<uint32_t> render(int n) {
    std::vector<uint32_t> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) api68_process(api, &out[size_t(i)], 1);
    return out;
  }
};

// The Xbtimer replay with its parameter words (the code's last four) set.
bytes xbtimer_tune(uint16_t timer, uint16_t control, uint16_t data, uint16_t turns) {
  bytes code = replay("xbtimer.bin");
  const uint16_t params[4] = {timer, control, data, turns};
  for (size_t i = 0; i < 4; ++i) {
    code[code.size() - 8 + 2 * i] = uint8_t(params[i] >> 8);
    code[code.size() - 7 + 2 * i] = uint8_t(params[i]);
  }
  return sc68_builder().empty("MU").data(code).file();
}

bool any_sound(const std::vector<uint32_t>& v, int channel) {
  for (uint32_t f : v)
    if (int16_t(channel ? f >> 16 : f & 0xFFFF) != 0) return true;
  return false;
}

}  // namespace

TEST(EngineInit, RecordChecksAndSingleInstance) {
  SC68error_flush();
  EXPECT_EQ(api68_init(nullptr), nullptr);
  EXPECT_STREQ(SC68error_peek(), "api68_init() : missing init struct");
  api68_init_t bad{};
  bad.alloc = test_alloc;
  EXPECT_EQ(api68_init(&bad), nullptr);
  EXPECT_STREQ(SC68error_peek(), "api68_init() : missing dynamic memory handler(s)");

  api68_init_t ok{};
  ok.alloc = test_alloc;
  ok.free = test_free;
  api68_t* a = api68_init(&ok);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(ok.sampling_rate, 44100);
  EXPECT_EQ(api68_init(&ok), nullptr);
  api68_shutdown(a);
  api68_t* b = api68_init(&ok);
  EXPECT_NE(b, nullptr);
  api68_shutdown(b);
}

TEST_F(Engine, RefusesWhatCannotPlay) {
  uint32_t frame;
  EXPECT_EQ(api68_process(nullptr, &frame, 1), -1);
  EXPECT_EQ(api68_process(api, &frame, 1), -1);   // nothing loaded
  EXPECT_EQ(api68_play(api, 1), -1);
  EXPECT_EQ(api68_stop(api), -1);
  ASSERT_EQ(load(sc68_builder().empty("MU").data(rts_replay()).file()), 0);
  EXPECT_EQ(api68_process(api, &frame, -1), -1);
  EXPECT_EQ(api68_process(api, nullptr, 1), -1);
  EXPECT_EQ(api68_play(api, 2), -1);
  EXPECT_STREQ(SC68error_peek(), "track [2] out of range [1]");
  EXPECT_NE(load(sc68_builder().empty("MU").data(rts_replay()).file()), 0);
  EXPECT_STREQ(SC68error_peek(), "disk is already loaded");
  EXPECT_NE(api68_load_mem(api, "junk", 4), 0);
}

TEST_F(Engine, FrameTimingAt50And60Hz) {
  ASSERT_EQ(load(sc68_builder().empty("MU").data(rts_replay()).empty("MU").num("FQ", 60).file()), 0);
  uint32_t frame;
  EXPECT_EQ(api68_process(api, &frame, 0), API68_CHANGE);
  EXPECT_EQ(api->cycles_per_frame, 160256u);
  EXPECT_EQ(api->samples_per_frame, 883u);
  EXPECT_NE(g_trace.find(" -> cycle/frame :  160256\n"), std::string::npos);
  ASSERT_EQ(api68_play(api, 2), 0);
  EXPECT_EQ(api68_process(api, &frame, 1), API68_CHANGE);
  EXPECT_EQ(api->cycles_per_frame, 133344u);
  EXPECT_EQ(api->samples_per_frame, 735u);
}

TEST_F(Engine, StatusThroughTheEndOfTheLastTrack) {
  // Paula makes exactly 883 frames per replay frame (the YM's count varies).
  ASSERT_EQ(load(sc68_builder().empty("MU").num("TY", SC68_AMIGA).data(rts_replay()).file()), 0);
  std::vector<uint32_t> buf(883);
  EXPECT_EQ(api68_process(api, buf.data(), 0), API68_CHANGE);
  EXPECT_EQ(api->total_frames, 9000u);   // 180 s at 50 Hz
  for (int i = 1; i < 9000; ++i) ASSERT_EQ(api68_process(api, buf.data(), 883), 0) << i;
  EXPECT_EQ(api68_process(api, buf.data(), 883), API68_END);
  EXPECT_EQ(api68_process(api, buf.data(), 883), API68_STOPPED);
  EXPECT_EQ(api68_process(api, buf.data(), 883), -1);
  // Half a replay frame: the second half comes without emulation.
  ASSERT_EQ(api68_rewind(api), 0);
  EXPECT_EQ(api68_process(api, buf.data(), 400), API68_CHANGE);
  EXPECT_EQ(api68_process(api, buf.data(), 400), API68_IDLE);
  EXPECT_EQ(api68_process(api, buf.data(), 400), 0);
}

TEST_F(Engine, TrackEndMovesToTheNextTrack) {
  ASSERT_EQ(load(sc68_builder()
                     .empty("MU").num("FR", 2).num("TY", SC68_AMIGA).data(rts_replay())
                     .empty("MU").num("FR", 3)
                     .file()),
            0);
  std::vector<uint32_t> buf(883);
  api68_process(api, buf.data(), 0);
  EXPECT_EQ(api68_process(api, buf.data(), 883), 0);
  EXPECT_EQ(api68_process(api, buf.data(), 883), API68_END);
  EXPECT_EQ(api->track_to, 2);
  EXPECT_EQ(api68_process(api, buf.data(), 883), API68_CHANGE);
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
}

TEST_F(Engine, ForcedTrackBeyondTheDiskTakesTheDefault) {
  api68_shutdown(api);
  std::ofstream(home / "config.txt") << "force_track = 9\n";
  start();
  EXPECT_EQ(api->force_track, 9);
  ASSERT_EQ(load(sc68_builder().num("DF", 1).empty("MU").data(rts_replay()).empty("MU").file()), 0);
  EXPECT_EQ(api->track_to, 2);
}

TEST_F(Engine, MemorySetUpAndInitRegisters) {
  // init: move.l d2,$500 ; move.l a0,$504 ; move.l d1,$508 ; rts
  bytes code = {0x23, 0xC2, 0, 0, 0x05, 0x00, 0x23, 0xC8, 0, 0, 0x05, 0x04, 0x23, 0xC1, 0, 0, 0x05, 0x08,
                0x4E, 0x75};
  ASSERT_EQ(load(sc68_builder().empty("MU").num("AT", 0x10000).data(code).file()), 0);
  uint32_t frame;
  ASSERT_EQ(api68_process(api, &frame, 0), API68_CHANGE);
  auto be32 = [&](uint32_t a) {
    const uint8_t* m = api->mem + a;
    return uint32_t(m[0]) << 24 | uint32_t(m[1]) << 16 | uint32_t(m[2]) << 8 | m[3];
  };
  EXPECT_EQ(be32(0x500), code.size());
  EXPECT_EQ(be32(0x504), 0x10000u);
  EXPECT_EQ(be32(0x508), 1u);   // not an STE track
  EXPECT_EQ(be32(0xB8), 0x600u);
  EXPECT_EQ(api->mem[0x41A] << 8 | api->mem[0x41B], 0x10);
  EXPECT_EQ(api->playaddr, 0x10000u);
  EXPECT_EQ(api->reg.pc, 0x10008u);
}

TEST_F(Engine, DataOutsideMemoryFailsTheStart) {
  ASSERT_EQ(load(sc68_builder().empty("MU").num("AT", 0x7FFF0).data(bytes(64, 0x4E)).file()), 0);
  uint32_t frame;
  EXPECT_EQ(api68_process(api, &frame, 1), -1);
  EXPECT_NE(g_trace.find(" -> Failed music data [07fff0-080030]"), std::string::npos);
}

TEST_F(Engine, ReplayRateTooHighIsRefused) {
  for (uint32_t frq : {100000u, 0xFFFFFFFFu}) {
    api68_shutdown(api);
    start();
    ASSERT_EQ(load(sc68_builder().empty("MU").num("FQ", frq).data(rts_replay()).file()), 0);
    uint32_t frame;
    EXPECT_EQ(api68_process(api, &frame, 1), -1) << frq;
    EXPECT_STREQ(SC68error_peek(), ("replay frequency " + std::to_string(frq) + " Hz too high").c_str());
  }
}

TEST_F(Engine, PlayRoutineThatNeverReturnsDropsTheTrack) {
  api->emu.step_limit = 20000;
  bytes code = {0x4E, 0x75, 0x4E, 0x71, 0x4E, 0x71, 0x4E, 0x71, 0x60, 0xFE};   // play: bra.s *
  ASSERT_EQ(load(sc68_builder().empty("MU").num("TY", SC68_AMIGA).data(code).file()), 0);
  std::vector<uint32_t> buf(2000);
  EXPECT_EQ(api68_process(api, buf.data(), 0), API68_CHANGE);
  EXPECT_EQ(api68_process(api, buf.data(), 2000), -1);
  EXPECT_EQ(api68_play(api, -1), 0);
  EXPECT_EQ(api68_process(api, buf.data(), 2000), -1);
  // The disk stays: the track can be started again.
  EXPECT_EQ(api68_play(api, 1), 0);
  EXPECT_EQ(api68_process(api, buf.data(), 0), API68_CHANGE);
}

TEST_F(Engine, XbtimerHandlerRunsOncePerPeriodOfItsTimer) {
  const struct {
    uint16_t timer, control, data;
    uint32_t per_frame;   // interrupts in the first 160,256-cycle frame
  } cases[] = {
      {0, 7, 246, 1},       // 160,156.25 cycles
      {1, 2, 100, 49},      // 3,255.2 cycles
      {2, 5, 192, 4},       // 40,000 cycles: 200 Hz
      {3, 1, 1, 12307},     // 13.02 cycles: 614.4 kHz
  };
  for (const auto& c : cases) {
    api68_shutdown(api);
    start();
    ASSERT_EQ(load(xbtimer_tune(c.timer, c.control, c.data, 0)), 0);
    std::vector<uint32_t> buf(883);
    ASSERT_EQ(api68_process(api, buf.data(), 0), API68_CHANGE);
    ASSERT_EQ(api68_process(api, buf.data(), 883), 0) << SC68error_peek();
    const uint8_t* count = api->mem + 0x500;
    EXPECT_EQ(uint32_t(count[0]) << 24 | count[1] << 16 | count[2] << 8 | count[3], c.per_frame) << c.timer;
  }
}

TEST_F(Engine, LoopingInterruptHandlerEndsTheFrameAtTheStepBudget) {
  // 614.4 kHz interrupts, each idling 10,000 turns: about 250 million
  // instructions a frame if nothing stopped them.
  ASSERT_EQ(load(xbtimer_tune(3, 1, 1, 10000)), 0);
  std::vector<uint32_t> buf(883);
  ASSERT_EQ(api68_process(api, buf.data(), 0), API68_CHANGE);
  EXPECT_EQ(api68_process(api, buf.data(), 883), -1);
  EXPECT_EQ(api->emu.steps, EMU68_STEP_LIMIT);
  EXPECT_EQ(std::string(SC68error_peek()).rfind("track #1 : play routine failed (EMU68_run : MFP-68901 interrupts never end", 0), 0u)
      << SC68error_peek();
  // The track is dropped: nothing more is emulated.
  EXPECT_EQ(api68_process(api, buf.data(), 883), -1);
  EXPECT_EQ(api->emu.steps, EMU68_STEP_LIMIT);
}

TEST_F(Engine, ReplayWaitingOnTheBeamCounterEnds) {
  // play: moveq #4,d1 / 2: move.s ADDR,d0 / 1: cmp.s ADDR,d0 / beq.s 1b / dbf d1,2b / rts
  const struct {
    const char* form;
    uint16_t move, cmp, addr;
  } cases[] = {
      {"byte 6", 0x1039, 0xB039, 0xF006},
      {"byte 7", 0x1039, 0xB039, 0xF007},
      {"word", 0x3039, 0xB079, 0xF006},
      {"long from 4", 0x2039, 0xB0B9, 0xF004},
  };
  for (const auto& c : cases) {
    api68_shutdown(api);
    start();
    api->emu.step_limit = 100000;   // a wait that never ends fails at once
    auto hi = [](uint16_t w) { return uint8_t(w >> 8); };
    auto lo = [](uint16_t w) { return uint8_t(w); };
    bytes code = {0x4E, 0x75, 0x4E, 0x71, 0x4E, 0x75, 0x4E, 0x71, 0x72, 0x04,
                  hi(c.move), lo(c.move), 0x00, 0xDF, hi(c.addr), lo(c.addr),
                  hi(c.cmp), lo(c.cmp), 0x00, 0xDF, hi(c.addr), lo(c.addr),
                  0x67, 0xF8, 0x51, 0xC9, 0xFF, 0xF0, 0x4E, 0x75};
    ASSERT_EQ(load(sc68_builder().empty("MU").num("TY", SC68_AMIGA).data(code).file()), 0);
    std::vector<uint32_t> buf(3 * 883);
    ASSERT_EQ(api68_process(api, buf.data(), 0), API68_CHANGE);
    EXPECT_EQ(api68_process(api, buf.data(), int(buf.size())), 0) << c.form;
  }
}

TEST_F(Engine, PaulaToneAndAmigaBlend) {
  bytes code = replay("paula_tone.bin");
  ASSERT_FALSE(code.empty());
  // Voice 0 only: the left channel.
  ASSERT_EQ(load(sc68_builder().empty("MU").num("TY", SC68_AMIGA).num("D0", 1).data(code).file()), 0);
  api->amiga_blend = 0;
  std::vector<uint32_t> dry = render(4000);
  EXPECT_TRUE(any_sound(dry, 0));
  EXPECT_FALSE(any_sound(dry, 1));

  restart();
  api->amiga_blend = 32768;
  std::vector<uint32_t> mid = render(4000);
  EXPECT_TRUE(any_sound(mid, 1));
  for (uint32_t f : mid) ASSERT_EQ(f & 0xFFFF, f >> 16);

  restart();
  api->amiga_blend = 20480;
  std::vector<uint32_t> def = render(4000);
  for (size_t i = 0; i < def.size(); ++i) {
    int l = int16_t(dry[i] & 0xFFFF);
    EXPECT_EQ(int16_t(def[i] & 0xFFFF), int16_t((l * (65536 - 20480)) >> 16));
    EXPECT_EQ(int16_t(def[i] >> 16), int16_t((l * 20480) >> 16));
  }
}

TEST_F(Engine, YmToneIsMonoOnBothSides) {
  bytes code = replay("ym_tone.bin");
  ASSERT_FALSE(code.empty());
  ASSERT_EQ(load(sc68_builder().empty("MU").data(code).file()), 0);
  std::vector<uint32_t> out = render(5000);
  EXPECT_TRUE(any_sound(out, 0));
  for (uint32_t f : out) ASSERT_EQ(f & 0xFFFF, f >> 16);
}

TEST_F(Engine, SndhPlaysWithoutADataFolder) {
  // An empty data folder: the replay built into the engine plays the file.
  api68_shutdown(api);
  fs::create_directories(home / "empty");
  setenv("SC68_DATA", (home / "empty").c_str(), 1);
  start();
  // SNDH file: init stores D0 at $500, play counts at $504.
  bytes f = {0x60, 0x00, 0, 0, 0x60, 0x00, 0, 0, 0x60, 0x00, 0, 0};
  std::string tags = "SNDH##03TC100\0\0HDNS";
  f.insert(f.end(), tags.begin(), tags.end());
  while (f.size() < 64) f.push_back(0);
  size_t init = f.size();
  f.insert(f.end(), {0x23, 0xC0, 0, 0, 0x05, 0x00, 0x4E, 0x75});
  size_t stop = f.size();
  f.insert(f.end(), {0x4E, 0x75});
  size_t play = f.size();
  f.insert(f.end(), {0x52, 0xB9, 0, 0, 0x05, 0x04, 0x4E, 0x75});
  const size_t targets[3] = {init, stop, play};
  for (size_t i = 0; i < 3; ++i) {
    size_t disp = targets[i] - (4 * i + 2);
    f[4 * i + 2] = uint8_t(disp >> 8);
    f[4 * i + 3] = uint8_t(disp);
  }
  ASSERT_EQ(load(f), 0);
  ASSERT_EQ(api68_play(api, 2), 0);
  std::vector<uint32_t> buf(2000);
  ASSERT_EQ(api68_process(api, buf.data(), 0), API68_CHANGE) << (SC68error_peek() ? SC68error_peek() : "");
  EXPECT_EQ(api->cycles_per_frame, 80000u);   // Timer-C at 100 Hz
  EXPECT_EQ(api->mem[0x503], 2);              // the sub-tune number
  api68_process(api, buf.data(), int(api->samples_per_frame) * 3);
  EXPECT_EQ(api->mem[0x507], 3);
}

TEST_F(Engine, ShutdownSavesTheConfiguration) {
  api->amiga_blend = 1234;
  api->default_time_ms = 90500;
  api68_shutdown(api);
  std::ifstream in(home / "config.txt");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("amiga_blend   =    1234"), std::string::npos);
  EXPECT_NE(text.find("default_time  =      91"), std::string::npos);
  start();
  EXPECT_EQ(api->amiga_blend, 1234);
  EXPECT_EQ(api->default_time_ms, 91000u);
}

TEST(ReplayBytes, CommittedBinariesMatchTheirSources) {
  if (std::system("command -v m68k-linux-gnu-as > /dev/null 2>&1")) GTEST_SKIP() << "no 68000 assembler";
  const std::string root = KELVARIN_SOURCE_DIR;
  const std::pair<std::string, std::string> replays[] = {
      {"sc68/replay/sndh_ice.s", "sc68/data/Replay/sndh_ice.bin"},
      {"tests/sc68/engine/data/paula_tone.s", "tests/sc68/engine/data/paula_tone.bin"},
      {"tests/sc68/engine/data/ym_tone.s", "tests/sc68/engine/data/ym_tone.bin"},
      {"tests/sc68/engine/data/xbtimer.s", "tests/sc68/engine/data/xbtimer.bin"},
  };
  for (const auto& [src, bin] : replays) {
    std::string out = fs::current_path() / (fs::path(bin).filename().string() + ".new");
    std::string cmd = "sh " + root + "/sc68/replay/build.sh " + root + "/" + src + " " + out;
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::ifstream a(out, std::ios::binary), b(root + "/" + bin, std::ios::binary);
    std::string x((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
    std::string y((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(y.empty()) << bin;
    EXPECT_EQ(x, y) << bin;
    fs::remove(out);
  }
}
