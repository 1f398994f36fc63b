// sc68render: track information, WAV files and the exit status of a failed render.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/sc68/engine/sc68_builder.h"

namespace fs = std::filesystem;

namespace {

uint32_t le32(const bytes& b, size_t at) {
  return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 | uint32_t(b.at(at + 3)) << 24;
}

}  // namespace

TEST(Sc68Render, InfoWavsAndErrors) {
  fs::create_directories("render_home");
  // The tune goes in gzip, as disks are often kept.
  write_file("render_tune.sc68", gzip(sc68_builder()
                                          .text("FN", "Render disk")
                                          .empty("MU").text("MN", "Sweep").text("AN", "Halcyon").num("TY", SC68_AMIGA).num("D0", 15).num("TI", 2)
                                          .data(source_file("tests/sc68/engine/data/paula_tone.bin"))
                                          .empty("MU").text("MN", "Ym").text("CN", "Drift").num("FQ", 200)
                                          .file()));
  write_file("render_bad.sc68", bytes(100, 'x'));
  // play: addq.w #1,$500.w / cmpi.w #3,$500.w / beq.s * / rts: the third call never returns.
  write_file("render_stuck.sc68", sc68_builder().empty("MU").num("TY", SC68_AMIGA)
                                      .data(replay_with_play({0x52, 0x78, 0x05, 0x00, 0x0C, 0x78, 0x00, 0x03, 0x05, 0x00, 0x67, 0xFE, 0x4E, 0x75}))
                                      .file());
  const struct {
    const char* args;
    int status;
    std::string out;
    uint32_t wav_data;   // bytes of samples in render.wav, when one is written
  } cases[] = {
      {"--help", 0, "usage: sc68render IN -o OUT.wav [--track N] [--seconds S]\n       sc68render IN --info\n", 0},
      {"render_tune.sc68 --info", 0,
       "title: Render disk\ntracks: 2\n"
       "track 1 (default)\n  name: Sweep\n  author: Halcyon\n  composer: Halcyon\n  hardware: Paula\n  replay: 50 Hz\n  time: 0:02.000\n"
       "track 2\n  name: Ym\n  author: Halcyon\n  composer: Drift\n  hardware: YM-2149\n  replay: 200 Hz\n  time: unknown\n",
       0},
      // Two seconds at 50 Hz: the end is reported on the first frame of the hundredth replay frame.
      {"render_tune.sc68 -o render.wav", 0, "", 4 * (99 * 883 + 1)},
      {"render_tune.sc68 -o render.wav --track 2 --seconds 0.5", 0, "", 4 * 22050},
      {"render_bad.sc68 -o render.wav", 1, "sc68render: SC68file_load(render_bad.sc68) : Failed (read header)\n", 0},
      {"render_tune.sc68 -o render.wav --track 9", 1, "sc68render: track [9] out of range [2]\n", 0},
      // The two frames made before the failure, under a header that says so.
      {"render_stuck.sc68 -o render.wav --seconds 1", 1,
       "sc68render: track #1 : play routine failed (EMU68_run : routine at 008008 did not return (pc:008012))\n", 4 * 2 * 883},
  };
  for (const auto& c : cases) {
    fs::remove("render.wav");
    int rc = std::system((std::string("SC68_HOME=render_home ") + SC68RENDER + " " + c.args + " > render_out.txt 2>&1").c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, c.status) << c.args;
    std::ifstream text("render_out.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(text), {}), c.out) << c.args;
    if (!c.wav_data) continue;
    bytes wav = read_file("render.wav");
    ASSERT_EQ(wav.size(), 44 + c.wav_data) << c.args;
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 16), std::string("RIFF") + std::string(wav.begin() + 4, wav.begin() + 8) + "WAVEfmt ");
    EXPECT_EQ(le32(wav, 4), 36 + c.wav_data);
    EXPECT_EQ(le32(wav, 24), 44100u);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(le32(wav, 40), c.wav_data);
  }
}
