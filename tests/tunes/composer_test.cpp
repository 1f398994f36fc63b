#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <tuple>

#include "tests/xm/xm_builder.h"
#include "tools/composer/score.h"
#include "tools/composer/synth.h"
#include "tools/composer/xm_writer.h"

using namespace composer;

namespace {

XmModule small_module() {
    XmModule m;
    m.channels = 2;
    m.restart = 1;
    m.orders = {0, 1, 0};
    XmPattern a;
    a.rows = 4;
    a.cells.assign(8, XmCell{});
    a.cells[0] = {49, 1, 0x30, 0x0C, 0x20};  // every field set: stored unpacked
    a.cells[3] = {97, 0, 0, 0, 0};          // key off only
    a.cells[6] = {0, 0, 0, 0x0D, 0};        // effect without parameter
    XmPattern b;
    b.rows = 2;
    b.cells.assign(4, XmCell{});  // all empty: stored without data
    m.patterns = {a, b};
    XmSample s;
    s.data = {1, 2, -128, 127, 0, -1};
    s.loop = true;
    s.loop_start = 2;
    s.loop_length = 4;
    m.instruments.resize(3);
    m.instruments[0].samples = {s};
    m.instruments[2].samples = {s};
    return m;
}

auto fields(const XmCell& c) { return std::make_tuple(c.note, c.instrument, c.volume, c.effect, c.param); }

const char* score_head =
    "title t\n"
    "inst 1 tone wave=pulse rel=12 loop=1 length=0.01\n"
    "inst 2 hit wave=none noise=1 length=0.01 vol=40\n"
    "drum k hit c4\n"
    "drum K hit c4 v50\n";

XmModule compile(const std::string& body) { return compile_score(std::string(score_head) + body); }

}  // namespace

// The magazine's player reads back the cell and pattern forms the tunes do
// not use (their regeneration pins the rest), and the file holds nothing
// beyond the last sample.
TEST(XmWriter, ThePlayerReadsBackWhatWasWritten) {
    XmModule m = small_module();
    std::vector<uint8_t> bytes = xm_write(m);
    // Header, patterns of 14 and 0 packed bytes, instruments with and without a sample.
    EXPECT_EQ(bytes.size(), 60u + 276 + (9 + 14) + 9 + (263 + 40 + 6) + 33 + (263 + 40 + 6));
    song_ptr s(load_xm_bytes(bytes));
    ASSERT_TRUE(s);
    EXPECT_EQ(std::make_tuple(s->song_length, s->restart_position, s->channel_count, s->flags, s->default_tempo,
                              s->default_bpm, s->pattern_table_size, s->instrument_count),
              std::make_tuple(3, 1, 2, 0, 6, 125, 2, 3));
    EXPECT_EQ(std::vector<uint8_t>(s->order_table, s->order_table + 4), (std::vector<uint8_t>{0, 1, 0, 0}));
    for (size_t p = 0; p < 2; ++p) {
        ASSERT_EQ(s->patterns[p].rows, static_cast<uint32_t>(m.patterns[p].rows));
        for (size_t i = 0; i < m.patterns[p].cells.size(); ++i) {
            XmCell want = m.patterns[p].cells[i];
            if (want.note == 97) want.note = XM_NOTE_OFF;
            const uint8_t* got = s->patterns[p].cells + i * XM_CELL_BYTES;
            EXPECT_EQ(std::make_tuple(got[0], got[1], got[2], got[3], got[4]), fields(want)) << "pattern " << p << " cell " << i;
        }
    }
}

TEST(XmWriter, RejectsModulesTheFormatOrThePlayerCannotHold) {
    const std::function<void(XmModule&)> changes[] = {
        [](XmModule& m) { m.restart = 3; },
        [](XmModule& m) { m.orders.push_back(2); },
        [](XmModule& m) { m.orders.clear(); },
        [](XmModule& m) { m.orders.assign(257, 0); },
        [](XmModule& m) { m.instruments[0].samples[0].loop_length = 5; },
        [](XmModule& m) { m.patterns[0].cells[1].instrument = 4; },
        [](XmModule& m) { m.patterns[0].cells.pop_back(); },
        [](XmModule& m) { m.channels = 33; },
        [](XmModule& m) { m.instruments[0].samples.resize(17); },
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        XmModule m = small_module();
        changes[i](m);
        EXPECT_THROW(xm_write(m), XmError) << "change " << i;
    }
}

// Score lines and the first rows they make on channel 1 (or 2 for drum lines).
// Effect columns and comments, all through the tunes, are pinned by their regeneration.
TEST(Score, TokensLandOnTheirRows) {
    const struct {
        const char* body;
        int channel;
        std::vector<XmCell> rows;
    } cases[] = {
        {"1 @tone /2 c4 f#3:3 v20 b7:1 . =:1 d4v40:1", 0,
         {{49, 1}, {}, {43, 1}, {}, {}, {96, 1, 0x24}, {}, {}, {97}, {51, 1, 0x38}, {}}},
        {"1 $twice+2 [ c5 [ d5 ]2 ]2", 0, {{51, 1}, {55, 1}, {51, 1}, {55, 1}, {61, 1}, {63, 1}, {63, 1}, {61, 1}, {63, 1}, {63, 1}, {}}},
        {"2 %k.|K.", 1, {{49, 2}, {}, {49, 2, 0x42}, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        XmModule m = compile(std::string("phrase up @tone c4 e4\nphrase twice [ $up ]2\npattern p rows=16\n") + c.body +
                             "\norder p\n");
        for (size_t r = 0; r < c.rows.size(); ++r)
            EXPECT_EQ(fields(m.patterns[0].cells[r * m.channels + c.channel]), fields(c.rows[r])) << "row " << r;
    }
}

TEST(Score, ErrorsNameTheLineAtFault) {
    // score_head has five lines, so a body's first line is line 6.
    const struct {
        const char* body;
        int line;
        const char* says = "";
    } cases[] = {
        {"pattern p\n1 @nothing c4\norder p\n", 7},
        {"pattern p rows=2\n1 @tone c4 d4 e4\norder p\n", 7},
        {"pattern p\n1 @tone b7\n  $x+1\nphrase x b7\norder p\n", 9, "used on line 8"},  // above B-7
        {"pattern p\n1 @tone c0\n  $x-2\nphrase x c0\norder p\n", 9},  // below C-0
        {"phrase loop $loop\npattern p\n1 $loop\norder p\n", 6},
        {"pattern p\n1 c4\norder p\n", 7},  // no instrument yet
        {"pattern p\n1 @tone c4!0x1\norder p\n", 7},
        {"pattern p\n1 @tone [ c4\norder p\n", 7},
        {"pattern p\n1 %kx\norder p\n", 7},
        {"pattern p\n5 .\norder p\n", 7},  // four channels
        {"pattern p\n1 .\n1 .\norder p\n", 8},
        {"pattern p\norder q\n", 7},
        {"pattern p\nrestart 1\norder p\n", 7},
        {"speed 3\n", 6},
        {"inst 3 bad wave=sine loop=2 rel=7\npattern p\norder p\n", 6},
        // The synth's own refusals, reported at the instrument's line.
        {"inst 3 bad wave=square\npattern p\norder p\n", 6},
        {"inst 3 bad colour=red\npattern p\norder p\n", 6},
        {"inst 3 bad duty=0\npattern p\norder p\n", 6},
        {"inst 3 bad vol=65\npattern p\norder p\n", 6},
        {"inst 3 bad loop=2.5\npattern p\norder p\n", 6},
        {"inst 3 bad cutoff=12k\npattern p\norder p\n", 6},
        {"inst 3 bad noise=1 loop=2\npattern p\norder p\n", 6},  // a loop needs a tone at the note's pitch
        {"inst 3 bad hz=100 loop=2\npattern p\norder p\n", 6},
        {"inst 1 again\n", 6},
        {"pattern p\n", 6},  // no order list
    };
    for (const auto& c : cases) {
        try {
            compile(c.body);
            ADD_FAILURE() << "no error for " << c.body;
        } catch (const ScoreError& e) {
            EXPECT_EQ(e.line, c.line) << c.body;
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(compile_score("  indented first\n"), ScoreError);
}

TEST(Score, DamagedScoresGiveAnErrorNeverACrash) {
    const std::string good = std::string(score_head) +
                             "phrase up @tone c4:2&047 e4v30 [ g4!A01 ]2\n"
                             "pattern p rows=16\n"
                             "1 $up+3 .:2~401 = @hit d#5\n"
                             "  $up-1\n"
                             "2 %k.K.|k\n"
                             "order p p\n"
                             "restart 1\n";
    const char alphabet[] = " \n:!~&$@[]%.=v#0123456789abcdefgp+-/|";
    std::mt19937 rng(12345);
    auto next = [&rng](size_t n) { return rng() % n; };
    int compiled = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text = good;
        for (int k = 1 + next(3); k > 0; --k) text[next(text.size())] = alphabet[next(sizeof alphabet - 1)];
        try {
            compile_score(text);
            ++compiled;
        } catch (const ScoreError& e) {  // anything else fails the test
            EXPECT_GE(e.line, 0) << text;
            EXPECT_FALSE(std::string(e.what()).empty());
        }
    }
    EXPECT_GT(compiled, 0);  // the damage left some scores valid, so both paths ran
}
