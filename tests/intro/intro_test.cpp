// The intro's SC68 image: the committed bytes come back from their sources (which pins how the
// packer lays out the tune), and the packer refuses what the replay cannot play.
#include <gtest/gtest.h>

#include <cstdlib>

#include "issue/intro/intro.h"
#include "tests/sc68/engine/sc68_builder.h"
#include "tools/composer/score.h"
#include "tools/sc68pack/pack.h"

namespace {

const std::string intro_dir = std::string(KELVARIN_SOURCE_DIR) + "/issue/intro/";

composer::XmModule small_module(const std::string& line, const std::string& head = "bpm 125\n") {
    return composer::compile_score(head +
                                   "inst 1 t wave=pulse rel=24 loop=1 length=0.01\n"
                                   "pattern p rows=4\n" + line + "\norder p\n");
}

}  // namespace

TEST(IntroImage, ComesBackByteForByteFromItsSources) {
    std::string command = std::string(SC68PACK_PATH) + " " + intro_dir + "replay.bin " + intro_dir + "intro.score regenerated_intro.sc68";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const bytes image = read_file(intro_dir + "intro.sc68");
    EXPECT_TRUE(read_file("regenerated_intro.sc68") == image);
    EXPECT_TRUE(bytes(intro_sc68, intro_sc68 + intro_sc68_size) == image) << "the compiled-in copy";
    if (std::system("m68k-linux-gnu-as --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no m68k assembler";
    command = "m68k-linux-gnu-as -m68000 -o replay.o " + intro_dir + "replay.s && m68k-linux-gnu-objcopy -O binary replay.o replay_assembled.bin";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(read_file("replay_assembled.bin") == read_file(intro_dir + "replay.bin"));
}

TEST(IntroPacker, RefusesWhatTheReplayCannotPlay) {
    const struct {
        const char* line;
        const char* head;
        uint32_t at;
        bool packs;
    } cases[] = {
        {"1 @t c4&047 .v20 =", "bpm 125\n", 0x10200, true},
        {"1 @t c4!A01", "bpm 125\n", 0x10200, false},   // volume slide
        {"1 @t c4v20 .!F03", "bpm 125\n", 0x10200, false},
        // B-7 two octaves up is note 119; the period table ends at 127.
        {"1 @t b7&088", "bpm 125\n", 0x10200, true},
        {"1 @t b7&099", "bpm 125\n", 0x10200, false},
        {"1 @t b7 .&099", "bpm 125\n", 0x10200, false},   // on a held row
        {"1 @t c4", "bpm 150\n", 0x10200, false},
        {"1 @t c4", "bpm 125\nchannels 3\n", 0x10200, false},
        {"1 @t c4", "bpm 125\n", 0x10201, false},
    };
    for (const auto& c : cases) {
        bool packed = true;
        try {
            sc68pack::pack_tune(small_module(c.line, c.head), c.at);
        } catch (const sc68pack::PackError&) {
            packed = false;
        }
        EXPECT_EQ(packed, c.packs) << c.head << c.line;
    }
}
