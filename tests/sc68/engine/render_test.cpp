#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

#include "tests/sc68/engine/sc68_builder.h"

namespace fs = std::filesystem;

namespace {

struct run_result {
  int status;
  std::string out;
};

run_result run(const std::string& args) {
  std::string cmd = std::string("SC68_HOME=render_home ") + SC68RENDER + " " + args + " > render_out.txt 2>&1";
  int rc = std::system(cmd.c_str());
  std::ifstream in("render_out.txt");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, text};
}

void write(const std::string& path, const bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

bytes tune() {
  std::ifstream in(std::string(KELVARIN_SOURCE_DIR) + "/tests/sc68/engine/data/paula_tone.bin", std::ios::binary);
  bytes code((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return sc68_builder()
      .text("FN", "Render disk")
      .empty("MU")
      .text("MN", "Sweep")
      .text("AN", "Halcyon")
      .num("TY", SC68_AMIGA)
      .num("D0", 15)
      .num("TI", 2)
      .data(code)
      .empty("MU")
      .text("MN", "Ym")
      .text("CN", "Drift")
      .num("FQ", 200)
      .file();
}

}  // namespace

TEST(Sc68Render, InfoListsEveryTrack) {
  fs::create_directories("render_home");
  write("render_tune.sc68", tune());
  run_result r = run("render_tune.sc68 --info");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("title: Render disk\ntracks: 2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  name: Sweep\n  author: Halcyon\n  composer: Halcyon\n  hardware: Paula\n  replay: 50 Hz\n  time: 0:02.000\n"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  name: Ym\n  author: Halcyon\n  composer: Drift\n  hardware: YM-2149\n  replay: 200 Hz\n  time: unknown\n"),
            std::string::npos) << r.out;
}

TEST(Sc68Render, WavOfTheTrackTimeOrTheGivenLength) {
  fs::create_directories("render_home");
  write("render_tune.sc68", tune());
  run_result r = run("render_tune.sc68 -o render_a.wav");
  ASSERT_EQ(r.status, 0) << r.out;
  // Two seconds at 50 Hz: the end is reported on the first frame of the
  // hundredth replay frame.
  EXPECT_EQ(fs::file_size("render_a.wav"), 44u + 4u * (99u * 883u + 1u));
  std::ifstream in("render_a.wav", std::ios::binary);
  std::string head(44, '\0');
  in.read(head.data(), 44);
  EXPECT_EQ(head.substr(0, 4), "RIFF");
  EXPECT_EQ(head.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(uint8_t(head[24]) | uint8_t(head[25]) << 8 | uint8_t(head[26]) << 16, 44100);

  r = run("render_tune.sc68 -o render_b.wav --track 2 --seconds 0.5");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(fs::file_size("render_b.wav"), 44u + 4u * 22050u);
}

TEST(Sc68Render, UnloadableFileGivesItsErrorAndStatusOne) {
  fs::create_directories("render_home");
  write("render_bad.sc68", bytes(100, 'x'));
  run_result r = run("render_bad.sc68 -o render_c.wav");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "sc68render: SC68file_load(render_bad.sc68) : Failed (read header)\n");
  r = run("render_tune.sc68 -o render_c.wav --track 9");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "sc68render: track [9] out of range [2]\n");
}

TEST(Sc68Render, FailingPlayRoutineGivesItsErrorStatusOneAndAValidWav) {
  fs::create_directories("render_home");
  // play: addq.w #1,$500.w / cmpi.w #3,$500.w / beq.s * / rts: the third call never returns.
  bytes code = {0x4E, 0x75, 0x4E, 0x71, 0x4E, 0x75, 0x4E, 0x71, 0x52, 0x78, 0x05, 0x00,
                0x0C, 0x78, 0x00, 0x03, 0x05, 0x00, 0x67, 0xFE, 0x4E, 0x75};
  write("render_stuck.sc68", sc68_builder().empty("MU").num("TY", SC68_AMIGA).data(code).file());
  run_result r = run("render_stuck.sc68 -o render_d.wav --seconds 1");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "sc68render: track #1 : play routine failed (EMU68_run : routine at 008008 did not return "
                   "(pc:008012))\n");
  // The two frames made before it, under a header that says so.
  const uint32_t data = 4u * 2u * 883u;
  ASSERT_EQ(fs::file_size("render_d.wav"), 44u + data);
  std::ifstream in("render_d.wav", std::ios::binary);
  std::string head(44, '\0');
  in.read(head.data(), 44);
  auto le32 = [&](size_t at) {
    return uint32_t(uint8_t(head[at])) | uint32_t(uint8_t(head[at + 1])) << 8 |
           uint32_t(uint8_t(head[at + 2])) << 16 | uint32_t(uint8_t(head[at + 3])) << 24;
  };
  EXPECT_EQ(le32(4), 36u + data);
  EXPECT_EQ(head.substr(36, 4), "data");
  EXPECT_EQ(le32(40), data);
}
