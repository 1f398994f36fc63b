#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <tuple>

#include "tests/xm/xm_builder.h"

namespace {

xm_channel& channel(int c = 0) { return xm_engine.channels[c]; }

// One cell of a case's module; rows past the first pattern's end go on in the next.
struct cell {
    int row;
    uint8_t note = 0, instrument = 0, volume = 0, effect = 0, parameter = 0;
    int channel = 0;
};

struct engine_case {
    const char* behaviour;
    std::vector<cell> cells;
    int (*probe)(const xm_song&);     // read after every tick
    std::vector<int> expected;        // one value per tick from the start
    uint16_t flags = 0;               // 1: linear periods
    int tempo = 6;
    std::vector<int> pattern_rows = {16};
    std::vector<uint8_t> orders = {0};
    void (*instrument)(xm_build_instrument&) = nullptr;
};

int position(const xm_song& s) { return s.order * 100 + s.row; }
int row_and_tick(const xm_song& s) { return s.row * 100 + s.tick; }
int period(const xm_song&) { return channel().period; }
int period_delta(const xm_song&) { return channel().period_delta; }
int volume(const xm_song&) { return channel().volume; }
int volume_delta(const xm_song&) { return channel().volume_delta; }
int voice_volume(const xm_song&) { return channel().voice->volume; }
int voice_index(const xm_song&) { return static_cast<int>(channel().voice - xm_mixer.voices); }
int envelope(const xm_song&) { return channel().volume_envelope_value; }
int fade(const xm_song&) { return channel().fade_volume; }
int triggered(const xm_song&) { return (channel().update_flags & XM_UPDATE_TRIGGER) != 0; }
int sounding(const xm_song&) { return channel().voice->sample != nullptr; }
int sides(const xm_song&) { return (channel().voice->left_gain > 0) * 10 + (channel().voice->right_gain > 0); }

// Volume from 64 at tick 0 to 32 at tick 4 and back to 0 at tick 8, looping.
void triangle_envelope(xm_build_instrument& ins) {
    const uint16_t points[] = {0, 0, 4, 64, 8, 0};
    memcpy(ins.volume_envelope, points, sizeof points);
    ins.volume_points = 3;
    ins.volume_type = XM_ENV_ON | XM_ENV_LOOP;
    ins.volume_loop_end = 2;
}

// Held at 64 until key off, then down to 32 over ten ticks while fading out.
void sustained_envelope(xm_build_instrument& ins) {
    const uint16_t points[] = {0, 64, 10, 32};
    memcpy(ins.volume_envelope, points, sizeof points);
    ins.volume_points = 2;
    ins.volume_type = XM_ENV_ON | XM_ENV_SUSTAIN;
    ins.fadeout = 1024;
}

void fading(xm_build_instrument& ins) { ins.fadeout = 1024; }
void panned_left(xm_build_instrument& ins) { ins.samples[0].pan = 0; }
void panned_right(xm_build_instrument& ins) { ins.samples[0].pan = 255; }

const engine_case kCases[] = {
    {"arpeggio on linear periods", {{0, 49, 1, 0, 0x00, 0x37}}, period_delta, {0, 192, 448, 0, 192, 448}, 1},
    {"arpeggio on Amiga periods", {{0, 49, 1, 0, 0x00, 0x37}}, period_delta, {0, -273, -570, 0, -273, -570}},
    {"E6x plays the section three times", {{0, 0, 0, 0, 0x0E, 0x60}, {2, 0, 0, 0, 0x0E, 0x62}}, position,
     {0, 1, 2, 0, 1, 2, 0, 1, 2, 3, 4}, 0, 1},
    {"Dxx to the next order, a later Bxx on the row wins",
     {{1, 0, 0, 0, 0x0D, 0x64}, {8, 0, 0, 0, 0x0D, 0x32}, {40, 0, 0, 0, 0x0D, 0x05}, {40, 0, 0, 0, 0x0B, 0, 1}},
     position, {0, 1, 100, 232, 0, 1}, 0, 1, {8, 64}, {0, 1, 1, 0}},
    {"Dxx past a shorter pattern's end starts it at the top", {{0, 0, 0, 0, 0x0D, 0x10}}, position, {0, 100}, 0, 1,
     {8, 4}, {0, 1}},
    {"F00 makes every tick a row", {{0, 0, 0, 0, 0x0F, 0x00}}, row_and_tick, {0, 100, 200, 300, 400}},
    {"Cxx sets the volume, also above 64", {{0, 49, 1, 0, 0x0C, 0x4A}}, volume, {74}},
    {"EC0 never cuts", {{0, 49, 1, 0, 0x0C, 0x30}, {1, 0, 0, 0, 0x0E, 0xC0}}, volume, {48, 48, 48, 48}, 0, 2},
    {"volume column set, then A02 every tick", {{0, 49, 1, 0x30, 0x0A, 0x02}}, volume, {32, 30, 28, 26, 24, 22}},
    {"volume column fine up, ECx cuts at tick x", {{0, 49, 1, 0x30}, {1, 0, 0, 0x95, 0x0E, 0xC2}}, volume,
     {32, 32, 32, 37, 37, 0}, 0, 3},
    {"volume column slides on every tick", {{0, 49, 1, 0x30}, {1, 0, 0, 0x73}, {2, 0, 0, 0x62}}, volume,
     {32, 32, 32, 35, 38, 41, 39, 37, 35}, 0, 3},
    {"4xy vibrates, 4x0 at the remembered depth", {{0, 49, 1, 0, 0x04, 0x48}, {1, 0, 0, 0, 0x04, 0x80}},
     period_delta, {0, 0, -24, -44, -56, -60, -56, -56, -24, 24, 56, 56}},
    {"tremolo, speed 4 depth 15, up to 64 in all", {{0, 49, 1, 0x30, 0x07, 0x4F}}, volume_delta, {0, 0, 22, 32, 32, 32}},
    {"the volume keeps the last tremolo step", {{0, 49, 1, 0x30, 0x07, 0x4F}, {1}}, volume,
     {32, 32, 32, 32, 32, 32, 64}},
    {"tremor, 2 ticks on and 3 off", {{0, 49, 1, 0, 0x1D, 0x12}}, volume_delta, {0, 0, -64, -64, -64, 0}},
    {"multi retrigger every 2 ticks, volume -4", {{0, 49, 1, 0, 0x1B, 0x32}}, volume, {64, 64, 60, 60, 56, 56}},
    {"multi retrigger restarts the note every 2 ticks", {{0, 49, 1, 0, 0x1B, 0x32}}, triggered, {1, 0, 1, 0, 1, 0}},
    {"3xx slides to the note and stops there",
     {{0, 49, 1}, {1, 61, 1, 0, 0x03, 0x40}, {2, 0, 0, 0, 0x03, 0}}, period,
     {4608, 4608, 4608, 4608, 4352, 4096, 4096, 3840, 3840}, 1, 3},
    {"3xx keeps the sounding voice", {{0, 49, 1}, {1, 61, 1, 0, 0x03, 0x40}}, voice_index, {0, 0}, 1, 1},
    {"a new note takes the partner voice, and back", {{0, 49, 1}, {1, 53, 1}, {2, 49, 1}}, voice_index, {0, 32, 0},
     0, 1},
    {"key off without a volume envelope silences", {{0, 49, 1}, {1, 97}}, voice_volume, {127, 0}, 0, 1, {16}, {0},
     fading},
    {"key off leaves the sustain point and fades", {{0, 49, 1}, {2, 97}}, envelope, {64, 64, 64, 60, 57}, 0, 1,
     {16}, {0}, sustained_envelope},
    {"fade out after key off", {{0, 49, 1}, {1, 97}}, fade, {65536, 63488, 61440}, 0, 1, {16}, {0},
     sustained_envelope},
    {"envelope interpolates and loops, L06 sets its tick", {{0, 49, 1}, {1, 0, 0, 0, 0x15, 6}}, envelope,
     {0, 16, 32, 48, 64, 48, 32, 16, 0, 16, 32, 16}, 0, 10, {16}, {0}, triangle_envelope},
    // Pan 0 is hard left and 255 hard right: sides are 10 for left, 1 for right.
    {"sample pan 0", {{0, 49, 1}}, sides, {10}, 0, 6, {16}, {0}, panned_left},
    {"sample pan 255", {{0, 49, 1}}, sides, {1}, 0, 6, {16}, {0}, panned_right},
    {"sample pan 128", {{0, 49, 1}}, sides, {11}},
    {"800", {{0, 49, 1, 0, 0x08, 0x00}}, sides, {10}},
    {"8FF", {{0, 49, 1, 0, 0x08, 0xFF}}, sides, {1}, 0, 6, {16}, {0}, panned_left},
    {"G20 halves every voice", {{0, 49, 1}, {1, 0, 0, 0, 0x10, 0x20}}, voice_volume, {127, 63}, 0, 1},
    {"an instrument without samples or none at all is silent",
     {{0, 49, 2, 0, 0x0E, 0x55}, {1, 49, 9}}, sounding, {0, 0}, 0, 1},
    // A fine slide without a parameter repeats the last one.
    {"X1y slides up, X10 again", {{0, 49, 1}, {1, 0, 0, 0, 0x21, 0x15}, {2, 0, 0, 0, 0x21, 0x10}}, period,
     {4608, 4603, 4598}, 1, 1},
    {"X2y slides down, X20 again", {{0, 49, 1}, {1, 0, 0, 0, 0x21, 0x25}, {2, 0, 0, 0, 0x21, 0x20}}, period,
     {4608, 4613, 4618}, 1, 1},
    {"E1y slides up, E10 again", {{0, 49, 1}, {1, 0, 0, 0, 0x0E, 0x13}, {2, 0, 0, 0, 0x0E, 0x10}}, period,
     {4608, 4596, 4584}, 1, 1},
    {"E2y slides down, E20 again", {{0, 49, 1}, {1, 0, 0, 0, 0x0E, 0x23}, {2, 0, 0, 0, 0x0E, 0x20}}, period,
     {4608, 4620, 4632}, 1, 1},
};

xm_build case_module(const engine_case& c) {
    xm_build b;
    b.channels = 2;
    b.flags = c.flags;
    b.tempo = c.tempo;
    for (int rows : c.pattern_rows) b.pattern(rows);
    b.orders = c.orders;
    b.song_length = static_cast<int>(c.orders.size());
    b.instrument(square_sample(256, true));
    if (c.instrument) c.instrument(b.instruments[0]);
    b.instruments.push_back({});  // instrument 2 has no samples
    for (const cell& x : c.cells) {
        int p = 0, row = x.row;
        while (row >= c.pattern_rows[p]) row -= c.pattern_rows[p++];
        b.set(p, row, x.channel, x.note, x.instrument, x.volume, x.effect, x.parameter);
    }
    return b;
}

TEST(XmEngine, EffectsTickByTick) {
    for (const engine_case& c : kCases) {
        SCOPED_TRACE(c.behaviour);
        song_ptr s = start_song(case_module(c).bytes());
        ASSERT_TRUE(s);
        std::vector<int> seen;
        for (size_t t = 0; t < c.expected.size(); ++t) {
            xm_song_tick(s.get());
            seen.push_back(c.probe(*s));
        }
        EXPECT_EQ(seen, c.expected);
        // Playback never writes the record that stands for every missing sample.
        EXPECT_EQ(empty_sample.finetune, 0);
        EXPECT_EQ(empty_sample.data, nullptr);
    }
}

// A song started again plays from its top with fresh channels.
TEST(XmEngine, StartStateIsFresh) {
    xm_build b = case_module({"", {{0, 49, 1, 0, 0x0F, 0x03}}, volume, {}});
    song_ptr s = start_song(b.bytes());
    ASSERT_TRUE(s);
    for (int t = 0; t < 40; ++t) xm_song_tick(s.get());
    ASSERT_NE(s->row, 0);
    ASSERT_TRUE(xm_render_start(s.get()));
    EXPECT_EQ(std::make_tuple(position(*s), s->tick, s->next_row, s->speed, channel().volume, voice_index(*s)),
              std::make_tuple(0, 0, -1, 6, 0, 0));
    EXPECT_EQ(xm_mixer.voices[0].sample, nullptr);
}

// Periods at or below zero keep the last frequency or rise to the 100 Hz
// floor; a zero BPM still ends its ticks.
TEST(XmEngine, OutOfRangePeriodsAndTempo) {
    song_ptr s = start_song(case_module({"", {{0, 49, 1}}, volume, {}}).bytes());
    ASSERT_TRUE(s);
    xm_song_tick(s.get());
    xm_channel& ch = channel();
    int before = ch.voice->frequency;
    ch.period = 100;
    ch.period_delta = -100;
    ch.update_flags = XM_UPDATE_FREQUENCY;
    xm_update_voice(s.get(), &ch, ch.sample);
    EXPECT_EQ(ch.voice->frequency, before);
    ch.period = -50;
    ch.period_delta = 0;
    ch.update_flags = XM_UPDATE_FREQUENCY;
    xm_update_voice(s.get(), &ch, ch.sample);
    EXPECT_EQ(ch.voice->step_integer, 0u);
    EXPECT_EQ(ch.voice->step_fraction, static_cast<uint32_t>((100ull << 32) / XM_OUTPUT_RATE));
    xm_set_bpm(s.get(), 0);
    EXPECT_GT(s->samples_per_tick, 0);
}

// Envelope points whose ticks run backwards keep the values in range, and
// past the last point the envelope's tick counter stops at its top.
TEST(XmEngine, EnvelopeWithBackwardTicksStaysInRange) {
    xm_build b = case_module({"", {{0, 49, 1}}, volume, {}, 0, 31, {16}, {0}, [](xm_build_instrument& ins) {
        static const uint16_t points[] = {0, 64, 10, 0, 5, 64};
        memcpy(ins.volume_envelope, points, sizeof points);
        memcpy(ins.panning_envelope, points, sizeof points);
        ins.volume_points = ins.panning_points = 3;
        ins.volume_type = ins.panning_type = XM_ENV_ON;
    }});
    song_ptr s = start_song(b.bytes());
    ASSERT_TRUE(s);
    for (int t = 0; t < 3000; ++t) {
        xm_song_tick(s.get());
        ASSERT_GE(channel().volume_envelope_value, 0);
        ASSERT_LE(channel().volume_envelope_value, 64);
        ASSERT_LE(channel().panning_envelope_value, 64);
        ASSERT_LE(channel().voice->volume, 127);
    }
    channel().volume_envelope_tick = INT32_MAX - 1;
    for (int t = 0; t < 3; ++t) xm_song_tick(s.get());
    EXPECT_EQ(channel().volume_envelope_tick, INT32_MAX);
}

enum slide_end { kLowestPeriod, kHighestPeriod, kPan };

struct slide {
    uint8_t volume_column, effect, parameter;
    slide_end end;
    int pan;  // where a pan slide ends
};

// Renders slides that never end at the fastest tempo the header can ask for,
// one channel each, and checks where each one stopped.
void render_endless_slides(const std::vector<slide>& slides, uint16_t flags, int tempo, int seconds) {
    xm_build b;
    b.channels = static_cast<int>(slides.size());
    b.flags = flags;
    b.tempo = tempo;
    b.bpm = 32767;
    // The note starts once; the second pattern slides on and on.
    b.pattern(64);
    b.pattern(64);
    b.orders = {0, 1};
    b.song_length = 2;
    b.restart = 1;
    b.instrument(square_sample(256, true));
    for (int c = 0; c < b.channels; ++c)
        for (int r = 0; r < 128; ++r)
            b.set(r / 64, r % 64, c, r == 0 ? 49 : 0, r == 0 ? 1 : 0, slides[c].volume_column, slides[c].effect,
                  slides[c].parameter);
    song_ptr s = start_song(b.bytes());
    ASSERT_TRUE(s);
    ASSERT_EQ(s->samples_per_tick, 3);
    for (int blk = 0; blk < seconds * XM_OUTPUT_RATE / XM_BLOCK_FRAMES; ++blk) xm_render_block();
    for (int c = 0; c < b.channels; ++c) {
        const xm_channel& ch = channel(c);
        if (slides[c].end == kLowestPeriod)
            EXPECT_EQ(ch.period, 56) << "channel " << c;
        else if (slides[c].end == kHighestPeriod)  // the last period above the 100 Hz floor
            EXPECT_EQ(ch.voice->frequency, 100) << "channel " << c;
        else
            EXPECT_EQ(ch.pan, slides[c].pan) << "channel " << c;
    }
}

TEST(XmEngine, EndlessSlidesStayInRange) {
    const std::vector<slide> slides = {
        {0, 0x02, 0xFF, kHighestPeriod, 0}, {0, 0x01, 0xFF, kLowestPeriod, 0}, {0, 0x0E, 0x2F, kHighestPeriod, 0},
        {0, 0x0E, 0x1F, kLowestPeriod, 0},  {0, 0x21, 0x2F, kHighestPeriod, 0}, {0, 0x21, 0x1F, kLowestPeriod, 0},
        {0xEF, 0, 0, kPan, 255},            {0xDF, 0, 0, kPan, 0},
    };
    // 2 s at 3 frames a tick are some ten minutes at 125 BPM.
    for (uint16_t flags : {0, 1}) {
        SCOPED_TRACE(flags ? "linear" : "Amiga");
        render_endless_slides(slides, flags, 2, 2);
    }
    // 200 s are sixteen hours at 125 BPM; an unbounded 2FF at speed 31
    // overflows the period after about 150 s.
    render_endless_slides({slides[0]}, 0, 31, 200);
}

}  // namespace
