#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/wave.h"
#include "sc68/api68.h"
#include "sc68/chips/paula.h"
#include "sc68/host.h"
#include "tests/platform/disk_recording.h"
#include "tests/sc68/engine/sc68_builder.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

bytes read_file(const std::string& rel) {
  std::ifstream in(std::string(KELVARIN_SOURCE_DIR) + "/" + rel, std::ios::binary);
  return bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bytes paula_tune(uint32_t frames) {
  return sc68_builder()
      .empty("MU")
      .num("TY", SC68_AMIGA)
      .num("D0", 15)
      .num("FR", frames)
      .data(read_file("tests/sc68/engine/data/paula_tone.bin"))
      .file();
}

void* test_alloc(unsigned n) { return std::malloc(n); }
void test_free(void* p) { std::free(p); }

struct Host : ::testing::Test {
  void SetUp() override {
    fs::create_directories("host_home");
    setenv("SC68_HOME", "host_home", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  void TearDown() override { intro_music_stop(); }
};

template <class F>
bool wait_for(F done) {
  for (int i = 0; i < 300 && !done(); ++i) std::this_thread::sleep_for(10ms);
  return done();
}

}  // namespace

TEST_F(Host, StartThenStopAtOnce) {
  bytes tune = paula_tune(0);
  ASSERT_EQ(intro_music_start(tune.data(), unsigned(tune.size()), 0), 1);
  ASSERT_NE(intro_music_host().device, nullptr);
  intro_music_stop();
  EXPECT_EQ(intro_music_host().refills.load(), 0u);
  EXPECT_EQ(intro_music_host().engine, nullptr);
  // The engine slot is free again.
  api68_init_t init{};
  init.alloc = test_alloc;
  init.free = test_free;
  api68_t* api = api68_init(&init);
  EXPECT_NE(api, nullptr);
  api68_shutdown(api);
}

TEST_F(Host, SilentUntilResumeThenRefillsAlternate) {
  bytes tune = paula_tune(0);
  ASSERT_EQ(intro_music_start(tune.data(), unsigned(tune.size()), 0), 1);
  wave_device* dev = intro_music_host().device;
  ASSERT_NE(dev, nullptr);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(wave_position(dev), 0u);
  EXPECT_EQ(intro_music_host().refills.load(), 0u);
  intro_music_resume();
  intro_music_resume();   // a second resume changes nothing
  EXPECT_TRUE(wait_for([] { return intro_music_host().refills.load() >= 2; }));
  EXPECT_GT(wave_position(dev), 0u);
  intro_music_stop();
  unsigned after = intro_music_host().refills.load();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(intro_music_host().refills.load(), after);
}

TEST_F(Host, BadImageOrEngineGivesZero) {
  EXPECT_EQ(intro_music_start("not a tune at all, just some text long enough", 46, 0), 0);
  intro_music_stop();
  EXPECT_EQ(intro_music_start("/nonexistent/intro.sc68", 0, 1), 0);
  intro_music_stop();
}

TEST_F(Host, NoAudioDeviceRunsSilentWithTwoErrors) {
  setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  bytes tune = paula_tune(0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(intro_music_start(tune.data(), unsigned(tune.size()), 0), 1);
  intro_music_resume();
  intro_music_stop();
  std::string err = testing::internal::GetCapturedStderr();
  std::string text = wave_error_text(WAVE_BAD_DEVICE);
  size_t first = err.find(text);
  ASSERT_NE(first, std::string::npos) << err;
  EXPECT_NE(err.find(text, first + 1), std::string::npos) << err;
}

// 68000 code: init and stop return at once; play first counts d0 down from `loops`.
bytes looping_replay(uint32_t loops) {
  bytes code = rts_replay();
  code.resize(8);
  const bytes play = {0x20, 0x3C, uint8_t(loops >> 24), uint8_t(loops >> 16), uint8_t(loops >> 8), uint8_t(loops),
                      0x53, 0x80,    // subq.l #1,d0
                      0x66, 0xFC,    // bne.s back to the subq
                      0x4E, 0x75};   // rts
  code.insert(code.end(), play.begin(), play.end());
  return code;
}

TEST_F(Host, StopCutsTheRunningRefillShort) {
  // Each replay frame costs a million instructions and the disk driver hands every buffer back
  // long before the other one is refilled: from the second refill on, one always runs.
  bytes tune = sc68_builder().empty("MU").num("TY", SC68_AMIGA).data(looping_replay(500000)).file();
  DiskRecording recording("host_stop");
  ASSERT_EQ(intro_music_start(tune.data(), unsigned(tune.size()), 0), 1);
  intro_music_resume();
  ASSERT_TRUE(wait_for([] { return intro_music_host().refills.load() >= 2; }));
  EXPECT_EQ(intro_music_host().refill_frames.load(), INTRO_BUFFER_FRAMES);
  intro_music_stop();
  EXPECT_LT(intro_music_host().refill_frames.load(), INTRO_BUFFER_FRAMES);
}

TEST(HostRender, TrackEndContinuesWithTrackOneNextFrame) {
  setenv("SC68_HOME", "host_home", 1);
  api68_init_t init{};
  init.alloc = test_alloc;
  init.free = test_free;
  api68_t* api = api68_init(&init);
  ASSERT_NE(api, nullptr);
  bytes tune = paula_tune(3);
  ASSERT_EQ(api68_load_mem(api, tune.data(), int(tune.size())), 0);
  // Three replay frames of 883: the end is reported on the first frame of
  // the third, which keeps its sample; the next frame restarts the track.
  constexpr int pass = 2 * 883 + 1;
  std::vector<uint32_t> out(3 * pass);
  intro_music_render(api, out.data(), int(out.size()));
  bool sound = false;
  for (int i = 0; i < pass; ++i) {
    ASSERT_EQ(out[size_t(i)], out[size_t(i + pass)]) << i;
    ASSERT_EQ(out[size_t(i)], out[size_t(i + 2 * pass)]) << i;
    sound |= out[size_t(i)] != 0;
  }
  EXPECT_TRUE(sound);
  EXPECT_EQ(api68_play(api, -1), 1);
  api68_shutdown(api);
}

TEST(IntroImage, LoadsWithItsRecordsAndPlaysAllFourVoices) {
  bytes image = read_file("issue/intro/intro.sc68");
  if (image.empty()) GTEST_SKIP() << "no intro image";
  disk68* d = SC68file_load_mem(image.data(), int(image.size()));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->nb_six, 1);
  const music68& m = d->mus[0];
  EXPECT_STREQ(d->name, "Kelvarin 30 intro");
  EXPECT_STREQ(m.name, "Kelvarin 30 intro");
  EXPECT_STREQ(m.author, "Drift");
  EXPECT_STREQ(m.composer, "Drift, replay by Ferrox");
  EXPECT_EQ(m.a0, 0x10000u);
  EXPECT_EQ(m.replay, nullptr);
  EXPECT_LE(m.a0 + m.datasz, API68_MEMSIZE);
  EXPECT_EQ(m.time_ms, uint32_t(-1000));
  EXPECT_EQ(m.frq, 50u);
  EXPECT_EQ(m.hwflags, unsigned(SC68_AMIGA));
  EXPECT_EQ(m.frames, 214748314u);
  SC68file_free(d);

  setenv("SC68_HOME", "host_home", 1);
  api68_init_t init{};
  init.alloc = test_alloc;
  init.free = test_free;
  api68_t* api = api68_init(&init);
  ASSERT_NE(api, nullptr);
  ASSERT_EQ(api68_load_mem(api, image.data(), int(image.size())), 0);
  std::vector<uint32_t> out(44100);
  bool moved[PAULA_VOICES] = {};
  bool left = false, right = false;
  for (int second = 0; second < 8; ++second) {
    uint32_t pos[PAULA_VOICES];
    for (int v = 0; v < PAULA_VOICES; ++v) pos[v] = paula_chip.voice[v].pos;
    intro_music_render(api, out.data(), int(out.size()));
    for (int v = 0; v < PAULA_VOICES; ++v) moved[v] |= paula_chip.voice[v].pos != pos[v] && (paula_chip.dmacon & (1 << v));
    for (uint32_t f : out) {
      left |= (f & 0xFFFF) != 0;
      right |= (f >> 16) != 0;
    }
  }
  EXPECT_TRUE(left);
  EXPECT_TRUE(right);
  for (int v = 0; v < PAULA_VOICES; ++v) EXPECT_TRUE(moved[v]) << "voice " << v;
  api68_shutdown(api);
}
