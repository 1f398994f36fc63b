// The intro music host over the wave device, and its render loop over the engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/wave.h"
#include "sc68/host.h"
#include "tests/platform/disk_recording.h"
#include "tests/sc68/engine/sc68_builder.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

bytes paula_tune(uint32_t frames) {
  return sc68_builder().empty("MU").num("TY", SC68_AMIGA).num("D0", 15).num("FR", frames)
      .data(source_file("tests/sc68/engine/data/paula_tone.bin")).file();
}

struct Host : ::testing::Test {
  bytes tune = paula_tune(0);
  void SetUp() override {
    fs::create_directories("host_home");
    setenv("SC68_HOME", "host_home", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  void TearDown() override { intro_music_stop(); }
  int start() { return intro_music_start(tune.data(), unsigned(tune.size()), 0); }
};

}  // namespace

// Each replay frame costs a million instructions (play counts d0 down from 500,000) and the disk
// driver hands every buffer back long before the other one is refilled: from the second refill
// on, one always runs, and the stop must cut it short.
TEST_F(Host, SilentUntilResumedThenRefillsUntilAStopCutsTheRunningRefillShort) {
  tune = sc68_builder().empty("MU").num("TY", SC68_AMIGA)
             .data(replay_with_play({0x20, 0x3C, 0x00, 0x07, 0xA1, 0x20, 0x53, 0x80, 0x66, 0xFC, 0x4E, 0x75})).file();
  DiskRecording recording("host_stop");
  ASSERT_EQ(start(), 1);
  wave_device* dev = intro_music_host().device;
  ASSERT_NE(dev, nullptr);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(wave_position(dev), 0u);
  EXPECT_EQ(intro_music_host().refills.load(), 0u);
  intro_music_resume();
  intro_music_resume();   // a second resume changes nothing
  // Up to a minute: a sanitizer build on a busy machine may take that long to refill.
  for (int i = 0; i < 6000 && intro_music_host().refills.load() < 2; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_GE(intro_music_host().refills.load(), 2u);
  EXPECT_GT(wave_position(dev), 0u);
  EXPECT_EQ(intro_music_host().refill_frames.load(), INTRO_BUFFER_FRAMES);
  intro_music_stop();
  EXPECT_LT(intro_music_host().refill_frames.load(), INTRO_BUFFER_FRAMES);
  EXPECT_EQ(intro_music_host().engine, nullptr);
  unsigned after = intro_music_host().refills.load();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(intro_music_host().refills.load(), after);
  // The engine slot is free again.
  api68_t* api = start_engine();
  EXPECT_NE(api, nullptr);
  api68_shutdown(api);
}

TEST_F(Host, BadImageGivesZeroAndNoDeviceRunsSilentWithTwoErrors) {
  EXPECT_EQ(intro_music_start("not a tune at all, just some text long enough", 46, 0), 0);
  intro_music_stop();
  EXPECT_EQ(intro_music_start("/nonexistent/intro.sc68", 0, 1), 0);
  intro_music_stop();
  setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(start(), 1);
  intro_music_resume();
  intro_music_stop();
  std::string err = testing::internal::GetCapturedStderr();
  std::string text = wave_error_text(WAVE_BAD_DEVICE);
  size_t first = err.find(text);
  ASSERT_NE(first, std::string::npos) << err;
  EXPECT_NE(err.find(text, first + 1), std::string::npos) << err;
}

TEST_F(Host, RenderedTrackEndContinuesWithTrackOneNextFrame) {
  api68_t* api = start_engine();
  ASSERT_NE(api, nullptr);
  tune = paula_tune(3);
  ASSERT_EQ(api68_load_mem(api, tune.data(), int(tune.size())), 0);
  // Three replay frames of 883: the end is reported on the first frame of
  // the third, which keeps its sample; the next frame restarts the track.
  constexpr int pass = 2 * 883 + 1;
  std::vector<uint32_t> out(3 * pass);
  EXPECT_EQ(intro_music_render(api, out.data(), int(out.size())), int(out.size()));
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + pass, out.begin() + pass)) << "second pass";
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + pass, out.begin() + 2 * pass)) << "third pass";
  EXPECT_NE(std::count(out.begin(), out.end(), 0u), long(out.size())) << "silence";
  EXPECT_EQ(api68_play(api, -1), 1);
  // An engine that cannot play gives silence.
  api68_stop(api);
  std::atomic<bool> stop{false};
  EXPECT_EQ(intro_music_render(api, out.data(), 3, &stop), 3);
  EXPECT_EQ(out[1] | out[2], 0u);
  stop = true;
  EXPECT_EQ(intro_music_render(api, out.data(), 3, &stop), 0);
  api68_shutdown(api);
}
