#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/tunes/xm_reader.h"
#include "tools/composer/score.h"
#include "tools/composer/synth.h"
#include "tools/composer/xm_writer.h"

using namespace composer;

namespace {

XmModule small_module() {
    XmModule m;
    m.name = "test";
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
    s.name = "s";
    s.data = {1, 2, -128, 127, 0, -1};
    s.loop = true;
    s.loop_start = 2;
    s.loop_length = 4;
    s.relative_note = 12;
    s.pan = 200;
    m.instruments.resize(3);
    m.instruments[0].name = "one";
    m.instruments[0].samples = {s};
    m.instruments[2].samples = {s};
    m.instruments[2].samples[0].loop = false;
    return m;
}

tunes_test::Module read_back(const std::vector<uint8_t>& bytes) {
    tunes_test::Module m;
    std::string error;
    EXPECT_TRUE(tunes_test::read_xm(bytes, m, &error)) << error;
    return m;
}

std::vector<XmCell> channel_cells(const XmModule& m, int pattern, int channel) {
    std::vector<XmCell> out;
    const XmPattern& p = m.patterns.at(pattern);
    for (int r = 0; r < p.rows; ++r) out.push_back(p.cells[r * m.channels + channel]);
    return out;
}

const char* score_head =
    "title t\n"
    "inst 1 tone wave=pulse rel=12 loop=1 length=0.01\n"
    "inst 2 hit wave=none noise=1 length=0.01 vol=40\n"
    "drum k hit c4\n"
    "drum K hit c4 v50\n";

XmModule compile(const std::string& body) { return compile_score(std::string(score_head) + body); }

int error_line(const std::string& body) {
    try {
        compile(body);
    } catch (const ScoreError& e) {
        return e.line;
    }
    return -1;
}

}  // namespace

TEST(XmWriter, LayoutReadsBackWithTheFormatsFixedSizes) {
    XmModule m = small_module();
    std::vector<uint8_t> bytes = xm_write(m);
    tunes_test::Module r = read_back(bytes);
    EXPECT_EQ(r.version, 0x0104);
    EXPECT_EQ(r.header_size, 276u);
    EXPECT_EQ(r.song_length, 3);
    EXPECT_EQ(r.restart, 1);
    EXPECT_EQ(r.channels, 2);
    EXPECT_EQ(r.pattern_count, 2);
    EXPECT_EQ(r.instrument_count, 3);
    EXPECT_EQ(r.flags, 0);
    EXPECT_EQ(r.tempo, 6);
    EXPECT_EQ(r.bpm, 125);
    EXPECT_EQ(r.orders[1], 1);
    EXPECT_EQ(r.orders[3], 0);
    EXPECT_EQ(r.patterns[0].header_size, 9u);
    EXPECT_EQ(r.instruments[0].header_size, 263u);
    EXPECT_EQ(r.instruments[1].header_size, 33u);
    EXPECT_EQ(r.instruments[0].sample_header_size, 40u);
    EXPECT_EQ(r.instruments[0].name, "one");
    EXPECT_EQ(r.instruments[0].volume_type, 0);
    EXPECT_TRUE(r.instruments[1].samples.empty());
    // The last sample ends exactly at the end of the file.
    EXPECT_EQ(r.end, bytes.size());
}

TEST(XmWriter, PatternsPackAndUnpackToTheSameCells) {
    XmModule m = small_module();
    tunes_test::Module r = read_back(xm_write(m));
    for (size_t p = 0; p < m.patterns.size(); ++p) {
        ASSERT_EQ(r.patterns[p].rows, m.patterns[p].rows);
        for (size_t i = 0; i < m.patterns[p].cells.size(); ++i) {
            const XmCell& a = m.patterns[p].cells[i];
            const tunes_test::Cell& b = r.patterns[p].cells[i];
            EXPECT_EQ(std::make_tuple(a.note, a.instrument, a.volume, a.effect, a.param),
                      std::make_tuple(b.note, b.instrument, b.volume, b.effect, b.param))
                << "pattern " << p << " cell " << i;
        }
    }
    // 5 bytes for the full cell, 2 for key off, 2 for D00 and one mask byte per empty cell.
    EXPECT_EQ(r.patterns[0].packed_size, 5 + 2 + 2 + 5);
    EXPECT_EQ(r.patterns[1].packed_size, 0);
}

TEST(XmWriter, SamplesSurviveDeltaCodingAndKeepTheirLoop) {
    XmModule m = small_module();
    tunes_test::Module r = read_back(xm_write(m));
    const tunes_test::Sample& s = r.instruments[0].samples.at(0);
    EXPECT_EQ(s.data, m.instruments[0].samples[0].data);
    EXPECT_EQ(s.type, 1);  // forward loop
    EXPECT_EQ(s.loop_start, 2u);
    EXPECT_EQ(s.loop_length, 4u);
    EXPECT_EQ(s.relative_note, 12);
    EXPECT_EQ(s.pan, 200);
    const tunes_test::Sample& plain = r.instruments[2].samples.at(0);
    EXPECT_EQ(plain.type, 0);
    EXPECT_EQ(plain.loop_length, 0u);
}

TEST(XmWriter, RejectsModulesTheFormatOrThePlayerCannotHold) {
    auto rejects = [](auto change) {
        XmModule m = small_module();
        change(m);
        EXPECT_THROW(xm_write(m), XmError);
    };
    rejects([](XmModule& m) { m.restart = 3; });
    rejects([](XmModule& m) { m.orders.push_back(2); });
    rejects([](XmModule& m) { m.orders.clear(); });
    rejects([](XmModule& m) { m.orders.assign(257, 0); });
    rejects([](XmModule& m) { m.instruments[0].samples[0].loop_length = 5; });
    rejects([](XmModule& m) { m.patterns[0].cells[1].instrument = 4; });
    rejects([](XmModule& m) { m.patterns[0].cells.pop_back(); });
    rejects([](XmModule& m) { m.channels = 33; });
    rejects([](XmModule& m) { m.instruments[0].samples.resize(17); });
}

TEST(Score, NotesDurationsAndVolumesLandOnTheirRows) {
    XmModule m = compile("pattern p rows=11\n1 @tone /2 c4 f#3:3 v20 b7:1 . =:1 d4v40:1\norder p\n");
    std::vector<XmCell> c = channel_cells(m, 0, 0);
    EXPECT_EQ(c[0].note, 49);  // C-4
    EXPECT_EQ(c[0].instrument, 1);
    EXPECT_EQ(c[0].volume, 0);
    EXPECT_EQ(c[1].note, 0);
    EXPECT_EQ(c[2].note, 43);  // F#3
    EXPECT_EQ(c[5].note, 96);  // B-7
    EXPECT_EQ(c[5].volume, 0x10 + 20);
    EXPECT_EQ(c[6].note, 0);
    EXPECT_EQ(c[7].note, 0);
    EXPECT_EQ(c[8].note, 97);  // key off after the two-row rest
    EXPECT_EQ(c[8].instrument, 0);
    EXPECT_EQ(c[9].note, 51);
    EXPECT_EQ(c[9].volume, 0x10 + 40);  // its own volume over the line's
    EXPECT_EQ(c[10].note, 0);           // rows past the line stay empty
}

TEST(Score, EffectsGoOnTheFirstRowTheHeldRowsOrBoth) {
    XmModule m = compile("pattern p rows=9\n1 @tone c4:3&047 d4:2!A0f e4:2~442 .!D10:2\norder p\n");
    std::vector<XmCell> c = channel_cells(m, 0, 0);
    for (int r : {0, 1, 2}) EXPECT_EQ(std::make_pair(c[r].effect, c[r].param), std::make_pair(uint8_t(0), uint8_t(0x47)));
    EXPECT_EQ(c[1].note, 0);
    EXPECT_EQ(std::make_pair(c[3].effect, c[3].param), std::make_pair(uint8_t(10), uint8_t(0x0F)));
    EXPECT_EQ(c[4].effect, 0);
    EXPECT_EQ(c[4].param, 0);
    EXPECT_EQ(c[5].effect, 0);
    EXPECT_EQ(c[5].param, 0);
    EXPECT_EQ(std::make_pair(c[6].effect, c[6].param), std::make_pair(uint8_t(4), uint8_t(0x42)));
    EXPECT_EQ(std::make_pair(c[7].effect, c[7].param), std::make_pair(uint8_t(13), uint8_t(0x10)));
    EXPECT_EQ(c[7].note, 0);
    EXPECT_EQ(c[8].effect, 0);
}

TEST(Score, PhrasesRepeatsAndDrumLinesExpand) {
    XmModule m = compile(
        "phrase up @tone c4 e4\n"
        "phrase twice [ $up ]2\n"
        "pattern p rows=16\n"
        "1 $twice+2 [ c5 [ d5 ]2 ]2\n"
        "2 %k.|K.\n"
        "order p p\n");
    std::vector<XmCell> c = channel_cells(m, 0, 0);
    const int expect[] = {51, 55, 51, 55, 61, 63, 63, 61, 63, 63};
    for (int r = 0; r < 10; ++r) EXPECT_EQ(c[r].note, expect[r]) << "row " << r;
    EXPECT_EQ(c[10].note, 0);
    std::vector<XmCell> d = channel_cells(m, 0, 1);
    EXPECT_EQ(d[0].note, 49);
    EXPECT_EQ(d[0].instrument, 2);
    EXPECT_EQ(d[0].volume, 0);
    EXPECT_EQ(d[1].note, 0);
    EXPECT_EQ(d[2].volume, 0x10 + 50);  // '|' takes no row
    EXPECT_EQ(m.orders, (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(m.instruments.size(), 31u);
    EXPECT_EQ(m.instruments[1].samples.at(0).volume, 40);
    EXPECT_TRUE(m.instruments[2].samples.empty());
}

TEST(Score, ContinuationLinesAndCommentsButNotSharps) {
    XmModule m = compile("pattern p rows=4 # a comment\n1 @tone c#4\n  d#4 # more\n#whole line\norder p\n");
    std::vector<XmCell> c = channel_cells(m, 0, 0);
    EXPECT_EQ(c[0].note, 50);
    EXPECT_EQ(c[1].note, 52);
}

TEST(Score, ErrorsNameTheLineAtFault) {
    // score_head has five lines, so a body's first line is line 6.
    EXPECT_EQ(error_line("pattern p\n1 @nothing c4\norder p\n"), 7);
    EXPECT_EQ(error_line("pattern p rows=2\n1 @tone c4 d4 e4\norder p\n"), 7);
    // A transposition out of range is reported where the note is, naming the use.
    try {
        compile("pattern p\n1 @tone b7\n  $x+1\nphrase x b7\norder p\n");
        ADD_FAILURE() << "above B-7 accepted";
    } catch (const ScoreError& e) {
        EXPECT_EQ(e.line, 9);
        EXPECT_NE(std::string(e.what()).find("used on line 8"), std::string::npos) << e.what();
    }
    EXPECT_EQ(error_line("pattern p\n1 @tone c0\n  $x-2\nphrase x c0\norder p\n"), 9);  // below C-0
    EXPECT_EQ(error_line("phrase loop $loop\npattern p\n1 $loop\norder p\n"), 6);
    EXPECT_EQ(error_line("pattern p\n1 c4\norder p\n"), 7);          // no instrument yet
    EXPECT_EQ(error_line("pattern p\n1 @tone c4!0x1\norder p\n"), 7); // bad effect
    EXPECT_EQ(error_line("pattern p\n1 @tone [ c4\norder p\n"), 7);
    EXPECT_EQ(error_line("pattern p\n1 %kx\norder p\n"), 7);
    EXPECT_EQ(error_line("pattern p\n5 .\norder p\n"), 7);           // four channels
    EXPECT_EQ(error_line("pattern p\n1 .\n1 .\norder p\n"), 8);
    EXPECT_EQ(error_line("pattern p\norder q\n"), 7);
    EXPECT_EQ(error_line("pattern p\nrestart 1\norder p\n"), 7);
    EXPECT_EQ(error_line("speed 3\n"), 6);
    EXPECT_EQ(error_line("inst 3 bad wave=sine loop=2 rel=7\npattern p\norder p\n"), 6);
    EXPECT_EQ(error_line("inst 3 bad wave=square\n"), 6);
    EXPECT_EQ(error_line("inst 3 bad duty=1.5\n"), 6);
    EXPECT_EQ(error_line("inst 1 again\n"), 6);
    EXPECT_EQ(error_line("pattern p\n"), 6);  // no order list
    EXPECT_THROW(compile_score("  indented first\n"), ScoreError);
}

TEST(Synth, LoopedSoundsRepeatOneCycleFromTheLoopStart) {
    SynthParams p;
    synth_set(p, "wave", "saw");
    synth_set(p, "cutoff", "3000");
    synth_set(p, "cutoff_end", "800");
    synth_set(p, "resonance", "0.6");
    synth_set(p, "pitch", "5");
    synth_set(p, "length", "0.1");
    synth_set(p, "loop", "3");
    synth_set(p, "rel", "12");
    XmSample s = synth_render(p, "bass");
    const uint32_t cycle = 64;  // 32 samples per cycle, doubled by the octave up
    ASSERT_TRUE(s.loop);
    EXPECT_EQ(s.loop_start % cycle, 0u);
    EXPECT_EQ(s.loop_length, 3 * cycle);
    EXPECT_EQ(s.loop_start + s.loop_length, s.data.size());
    EXPECT_EQ(s.relative_note, 12);
    // Each loop cycle repeats the first, and the wrap back to the loop start is one
    // more step of the same cycle.
    for (uint32_t k = 0; k < 2 * cycle; ++k)
        EXPECT_NEAR(s.data[s.loop_start + k], s.data[s.loop_start + k + cycle], 1) << k;
    int wrap_step = std::abs(s.data[s.loop_start] - s.data[s.data.size() - 1]);
    int same_step = std::abs(s.data[s.loop_start + cycle] - s.data[s.loop_start + cycle - 1]);
    EXPECT_LE(std::abs(wrap_step - same_step), 1);
}

TEST(Synth, PeakFollowsTheGainAndOneShotsEndSilent) {
    SynthParams p;
    synth_set(p, "wave", "sine");
    synth_set(p, "hz", "60");
    synth_set(p, "pitch", "24");
    synth_set(p, "noise", "0.3");
    synth_set(p, "noise_hp", "2000");
    synth_set(p, "decay", "0.1");
    synth_set(p, "sustain", "0");
    synth_set(p, "length", "0.3");
    synth_set(p, "gain", "0.5");
    XmSample s = synth_render(p, "kick");
    EXPECT_FALSE(s.loop);
    EXPECT_EQ(s.data.size(), static_cast<size_t>(0.3 * 16726 + 0.5));
    int peak = 0;
    for (int8_t v : s.data) peak = std::max(peak, std::abs(int(v)));
    EXPECT_EQ(peak, 64);
    EXPECT_EQ(s.data.back(), 0);
    EXPECT_EQ(synth_render(p, "kick").data, s.data);  // the noise is reproducible
}

TEST(Synth, RejectsParametersThatCannotWork) {
    SynthParams p;
    EXPECT_THROW(synth_set(p, "colour", "red"), SynthError);
    EXPECT_THROW(synth_set(p, "duty", "0"), SynthError);
    EXPECT_THROW(synth_set(p, "vol", "65"), SynthError);
    EXPECT_THROW(synth_set(p, "loop", "2.5"), SynthError);
    EXPECT_THROW(synth_set(p, "cutoff", "12k"), SynthError);
    SynthParams noisy;
    synth_set(noisy, "noise", "1");
    synth_set(noisy, "loop", "2");
    EXPECT_THROW(synth_render(noisy, "x"), SynthError);
    SynthParams fixed;
    synth_set(fixed, "hz", "100");
    synth_set(fixed, "loop", "2");
    EXPECT_THROW(synth_render(fixed, "x"), SynthError);
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
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    int compiled = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text = good;
        for (int k = 1 + next(3); k > 0; --k) text[next(text.size())] = alphabet[next(sizeof alphabet - 1)];
        try {
            compile_score(text);
            ++compiled;
        } catch (const ScoreError& e) {
            EXPECT_GE(e.line, 0);
            EXPECT_FALSE(std::string(e.what()).empty());
        } catch (const std::exception& e) {
            ADD_FAILURE() << "unexpected " << e.what() << " for:\n" << text;
        }
    }
    EXPECT_GT(compiled, 0);  // the damage left some scores valid, so both paths ran
}
