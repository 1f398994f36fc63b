#include <gtest/gtest.h>

#include <memory>

#include "tests/xm/xm_builder.h"

namespace {

struct song_deleter {
    void operator()(xm_song* s) const { xm_free_song(s); }
};
using song_ptr = std::unique_ptr<xm_song, song_deleter>;

// Loads the module and prepares it for rendering without a device.
song_ptr start(const xm_build& b) {
    song_ptr s(load_xm_bytes(b.bytes()));
    if (s) {
        EXPECT_TRUE(xm_render_start(s.get()));
    }
    return s;
}

xm_build single_channel(int rows = 16) {
    xm_build b;
    b.channels = 1;
    b.pattern(rows);
    b.instrument(square_sample(256, true));
    return b;
}

xm_channel& channel(int c = 0) { return xm_engine.channels[c]; }

TEST(XmEngine, PeriodTablesAndFrequencies) {
    EXPECT_EQ(xm_amiga_period(48, 0), 1712);
    EXPECT_EQ(xm_linear_period(48, 0), 4608);
    EXPECT_LT(xm_amiga_period(48, 127), 1712);
    EXPECT_GT(xm_amiga_period(48, -128), 1712);
    EXPECT_LT(xm_amiga_period(48, -128), xm_amiga_period(47, 0) + 1);

    for (uint16_t flags : {0, 1}) {
        xm_build b = single_channel();
        b.flags = flags;
        b.set(0, 0, 0, 49, 1);
        song_ptr s = start(b);
        ASSERT_TRUE(s);
        xm_song_tick(s.get());
        EXPECT_EQ(channel().voice->frequency, flags ? 8363 : 8362);
        EXPECT_EQ(channel().voice->step_integer, 0u);
    }
}

TEST(XmEngine, SamplesPerTickFromBpm) {
    xm_song s{};
    xm_set_bpm(&s, 125);
    EXPECT_EQ(s.samples_per_tick, 882);
    xm_set_bpm(&s, 159);
    EXPECT_EQ(s.samples_per_tick, 693);
    xm_set_bpm(&s, 0);
    EXPECT_GT(s.samples_per_tick, 0) << "a zero tempo must still make ticks end";
}

TEST(XmEngine, WaveformsAndVibratoDepth) {
    EXPECT_EQ(xm_waveform_value(0, 16), 255);
    EXPECT_EQ(xm_waveform_value(0, -16), 255);
    EXPECT_EQ(xm_waveform_value(0, 8), 181);
    EXPECT_EQ(xm_waveform_value(1, 31), 248);
    EXPECT_EQ(xm_waveform_value(1, -32), 255);
    EXPECT_EQ(xm_vibrato_delta(16, 15, 0), -116);
    EXPECT_EQ(xm_vibrato_delta(-16, 15, 0), 116);
    EXPECT_EQ(xm_vibrato_delta(8, 15, 0), -(((15 * 181) >> 5) & ~3));
    EXPECT_EQ(xm_vibrato_delta(0, 15, 0), 0);
    EXPECT_EQ(xm_vibrato_delta(4, 15, 3), -116) << "waveform 3 is square";
    EXPECT_EQ(xm_vibrato_delta(-1, 8, 1), ((8 * (255 - 31 * 8)) >> 5) & ~3);
    int high = -1000, low = 1000;
    for (int a = 0; a < 256; ++a) {
        int w = xm_auto_vibrato_value(0, a);
        high = std::max(high, w), low = std::min(low, w);
    }
    EXPECT_EQ(high, 63);
    EXPECT_EQ(low, -63);
    EXPECT_EQ(xm_auto_vibrato_value(1, 127), 64);
    EXPECT_EQ(xm_auto_vibrato_value(1, 128), -64);
    EXPECT_EQ(xm_auto_vibrato_value(2, 0), 0);
    EXPECT_EQ(xm_auto_vibrato_value(3, 0), 0);
    EXPECT_EQ(xm_auto_vibrato_value(7, 40), 0);
}

TEST(XmEngine, ArpeggioAtSpeedSix) {
    xm_build b = single_channel();
    b.flags = 1;
    b.set(0, 0, 0, 49, 1, 0, 0x00, 0x37);
    song_ptr s = start(b);
    ASSERT_TRUE(s);
    const int expected[6] = {0, 3, 7, 0, 3, 7};
    for (int t = 0; t < 6; ++t) {
        xm_song_tick(s.get());
        EXPECT_EQ(channel().period_delta, 64 * expected[t]) << "tick " << t;
    }
    xm_build a = single_channel();
    a.set(0, 0, 0, 49, 1, 0, 0x00, 0x37);
    s = start(a);
    xm_song_tick(s.get());
    xm_song_tick(s.get());
    EXPECT_EQ(channel().period_delta, xm_amiga_period(51, 0) - xm_amiga_period(48, 0));
    EXPECT_EQ(channel().voice->frequency, 14317056 / xm_amiga_period(51, 0));
}

TEST(XmEngine, PatternLoopPlaysTheSectionThreeTimes) {
    xm_build b = single_channel(6);
    b.set(0, 0, 0, 0, 0, 0, 0x0E, 0x60);
    b.set(0, 2, 0, 0, 0, 0, 0x0E, 0x62);
    b.tempo = 1;
    song_ptr s = start(b);
    std::vector<int> rows;
    for (int i = 0; i < 11; ++i) {
        xm_song_tick(s.get());
        rows.push_back(s->row);
    }
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2, 3, 4}));
}

TEST(XmEngine, BreaksJumpsAndSpeed) {
    xm_build b = single_channel(8);
    b.channels = 2;
    b.patterns.clear();
    b.pattern(8);
    b.pattern(64);
    b.orders = {0, 1, 1, 0};
    b.song_length = 4;
    b.tempo = 1;
    b.set(0, 1, 0, 0, 0, 0, 0x0D, 0x64);  // D64: row 0 of the next order
    b.set(1, 0, 0, 0, 0, 0, 0x0D, 0x32);  // D32: row 32
    b.set(1, 32, 0, 0, 0, 0, 0x0D, 0x05);
    b.set(1, 32, 1, 0, 0, 0, 0x0B, 0x00);  // a later Bxx resets the row to 0
    song_ptr s = start(b);
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < 6; ++i) {
        xm_song_tick(s.get());
        seen.push_back({s->order, s->row});
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {1, 0}, {2, 32}, {0, 0}, {0, 1}}));
}

TEST(XmEngine, SpeedZeroMakesEveryTickARow) {
    xm_build b = single_channel(8);
    b.set(0, 0, 0, 0, 0, 0, 0x0F, 0x00);
    song_ptr s = start(b);
    for (int i = 0; i < 5; ++i) {
        xm_song_tick(s.get());
        EXPECT_EQ(s->row, i);
        EXPECT_EQ(s->tick, 0);
    }
    xm_build bpm = single_channel(8);
    bpm.set(0, 0, 0, 0, 0, 0, 0x0F, 0x9F);
    s = start(bpm);
    xm_song_tick(s.get());
    EXPECT_EQ(s->bpm, 159);
    EXPECT_EQ(s->samples_per_tick, 693);
}

TEST(XmEngine, BreakIntoAShorterPatternStartsItFromTheTop) {
    xm_build b = single_channel(8);
    b.pattern(4);
    b.orders = {0, 1};
    b.song_length = 2;
    b.tempo = 1;
    b.set(0, 0, 0, 0, 0, 0, 0x0D, 0x10);  // row 10 does not exist in pattern 1
    song_ptr s = start(b);
    xm_song_tick(s.get());
    xm_song_tick(s.get());
    EXPECT_EQ(s->order, 1);
    EXPECT_EQ(s->row, 0);
}

TEST(XmEngine, VolumeCommands) {
    xm_build b = single_channel();
    b.set(0, 0, 0, 49, 1, 0, 0x0C, 0x4A);  // C4A: 74
    b.set(0, 1, 0, 0, 0, 0, 0x0E, 0xC0);   // EC0 never cuts
    b.set(0, 2, 0, 0, 0, 0x30, 0x0A, 0x02);  // volume column 32, then slide down 2 per tick
    b.set(0, 3, 0, 0, 0, 0x95, 0x0E, 0xC2);  // fine up 5, cut at tick 2
    song_ptr s = start(b);
    xm_song_tick(s.get());
    EXPECT_EQ(channel().volume, 74);
    EXPECT_GT(channel().voice->volume, 127);
    for (int t = 1; t < 6; ++t) xm_song_tick(s.get());
    xm_song_tick(s.get());
    EXPECT_EQ(channel().volume, 74);
    for (int t = 1; t < 6; ++t) xm_song_tick(s.get());
    EXPECT_EQ(channel().volume, 74) << "EC0";
    xm_song_tick(s.get());
    EXPECT_EQ(channel().volume, 32);
    for (int t = 1; t < 6; ++t) xm_song_tick(s.get());
    EXPECT_EQ(channel().volume, 22);
    xm_song_tick(s.get());
    EXPECT_EQ(channel().volume, 27);
    xm_song_tick(s.get());
    EXPECT_EQ(channel().volume, 27);
    xm_song_tick(s.get());
    EXPECT_EQ(channel().volume, 0);
}

TEST(XmEngine, TremoloTremorAndMultiRetrigger) {
    xm_build b = single_channel();
    b.channels = 3;
    b.patterns.clear();
    b.pattern(4);
    b.set(0, 0, 0, 49, 1, 0x30, 0x07, 0x4F);  // volume 32, tremolo speed 4 depth 15
    b.set(0, 0, 1, 49, 1, 0, 0x1D, 0x12);     // tremor: 2 ticks on, 3 off
    b.set(0, 0, 2, 49, 1, 0, 0x1B, 0x32);     // retrigger every 2 ticks, volume -4
    song_ptr s = start(b);
    std::vector<int> tremolo, tremor, retrigger;
    std::vector<bool> triggered;
    for (int t = 0; t < 6; ++t) {
        xm_song_tick(s.get());
        tremolo.push_back(channel(0).volume_delta);
        tremor.push_back(channel(1).volume_delta);
        retrigger.push_back(channel(2).volume);
        triggered.push_back(channel(2).update_flags & XM_UPDATE_TRIGGER);
    }
    EXPECT_EQ(tremolo[1], 0);
    EXPECT_EQ(tremolo[2], (15 * 97) >> 6);
    EXPECT_EQ(tremor, (std::vector<int>{0, 0, -64, -64, -64, 0}));
    EXPECT_EQ(retrigger, (std::vector<int>{64, 64, 60, 60, 56, 56}));
    EXPECT_EQ(triggered, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST(XmEngine, TonePortamentoKeepsTheSoundingNote) {
    xm_build b = single_channel();
    b.flags = 1;
    b.instrument(square_sample(100, true));
    b.set(0, 0, 0, 49, 1);
    b.set(0, 1, 0, 61, 2, 0, 0x03, 0x10);
    for (int r = 2; r < 5; ++r) b.set(0, r, 0, 0, 0, 0, 0x03, 0x00);
    song_ptr s = start(b);
    for (int t = 0; t < 6; ++t) xm_song_tick(s.get());
    mix_voice* v = channel().voice;
    xm_sample* sounding = channel().sample;
    v->position = 40;
    xm_song_tick(s.get());
    EXPECT_EQ(channel().voice, v) << "no new voice";
    EXPECT_EQ(v->position, 40u) << "the sample is not restarted";
    EXPECT_EQ(channel().sample, sounding);
    EXPECT_EQ(channel().note, 48);
    EXPECT_EQ(channel().instrument_index, 0);
    EXPECT_EQ(channel().portamento_target, xm_linear_period(60, 0));
    EXPECT_EQ(channel().period, xm_linear_period(48, 0));
    xm_song_tick(s.get());
    EXPECT_EQ(channel().period, xm_linear_period(48, 0) - 64);
    for (int t = 0; t < 20; ++t) xm_song_tick(s.get());
    EXPECT_EQ(channel().period, xm_linear_period(60, 0)) << "stops at the target";
}

TEST(XmEngine, NewNoteMovesToThePartnerVoice) {
    xm_build b = single_channel();
    b.set(0, 0, 0, 49, 1);
    b.set(0, 1, 0, 53, 1);
    song_ptr s = start(b);
    xm_song_tick(s.get());
    EXPECT_EQ(channel().voice, &xm_mixer.voices[0]);
    for (int t = 0; t < 6; ++t) xm_song_tick(s.get());
    EXPECT_EQ(channel().voice, &xm_mixer.voices[32]);
    EXPECT_EQ(xm_mixer.voices[32].index, 32);
    EXPECT_EQ(xm_mixer.voices[0].left_gain, 0);
    EXPECT_NE(xm_mixer.voices[0].sample, nullptr) << "the old note keeps running to ramp out";
    EXPECT_EQ(xm_mixer.voices[32].left_level, 0) << "the new note fades in from silence";
}

TEST(XmEngine, KeyOffWithAndWithoutVolumeEnvelope) {
    xm_build b = single_channel();
    b.channels = 2;
    b.patterns.clear();
    b.pattern(16);
    b.instruments[0].fadeout = 1024;
    xm_build_instrument env;
    env.samples.push_back(square_sample(64, true));
    env.volume_points = 2;
    env.volume_type = XM_ENV_ON | XM_ENV_SUSTAIN;
    uint16_t pts[] = {0, 64, 10, 32};
    memcpy(env.volume_envelope, pts, sizeof pts);
    env.fadeout = 1024;
    b.instruments.push_back(env);
    b.set(0, 0, 0, 49, 1);
    b.set(0, 0, 1, 49, 2);
    b.set(0, 1, 0, 97);
    b.set(0, 1, 1, 97);
    song_ptr s = start(b);
    for (int t = 0; t < 6; ++t) xm_song_tick(s.get());
    EXPECT_EQ(channel(1).volume_envelope_value, 64) << "held at the sustain point";
    xm_song_tick(s.get());
    EXPECT_EQ(channel(0).volume_envelope_value, 0);
    EXPECT_EQ(channel(0).voice->volume, 0);
    EXPECT_GT(channel(1).volume_envelope_value, 0);
    EXPECT_EQ(channel(1).fade_volume, 65536 - 2048);
    EXPECT_GT(channel(1).voice->volume, 0);
    xm_song_tick(s.get());
    EXPECT_EQ(channel(1).fade_volume, 65536 - 4096);
}

TEST(XmEngine, EnvelopeInterpolatesLoopsAndSetsPosition) {
    xm_build b = single_channel();
    xm_build_instrument& ins = b.instruments[0];
    uint16_t pts[] = {0, 0, 4, 64, 8, 0};
    memcpy(ins.volume_envelope, pts, sizeof pts);
    ins.volume_points = 3;
    ins.volume_type = XM_ENV_ON | XM_ENV_LOOP;
    ins.volume_loop_start = 0;
    ins.volume_loop_end = 2;
    b.tempo = 31;
    b.set(0, 0, 0, 49, 1);
    b.set(0, 1, 0, 0, 0, 0, 0x15, 6);  // L06
    song_ptr s = start(b);
    std::vector<int> values;
    for (int t = 0; t < 10; ++t) {
        xm_song_tick(s.get());
        values.push_back(channel().volume_envelope_value);
    }
    EXPECT_EQ(values, (std::vector<int>{0, 16, 32, 48, 64, 48, 32, 16, 0, 16}));
    for (int t = 10; t < 31; ++t) xm_song_tick(s.get());
    xm_song_tick(s.get());
    EXPECT_EQ(channel().volume_envelope_tick, 6) << "L06 comes after the row's envelope step";
    EXPECT_EQ(channel().volume_envelope_value, 32);
    xm_song_tick(s.get());
    EXPECT_EQ(channel().volume_envelope_tick, 7);
    EXPECT_EQ(channel().volume_envelope_value, 16);
}

TEST(XmEngine, EnvelopeWithBackwardTicksStaysInRange) {
    xm_build b = single_channel();
    b.tempo = 31;
    xm_build_instrument& ins = b.instruments[0];
    uint16_t pts[] = {0, 64, 10, 0, 5, 64};
    memcpy(ins.volume_envelope, pts, sizeof pts);
    memcpy(ins.panning_envelope, pts, sizeof pts);
    ins.volume_points = ins.panning_points = 3;
    ins.volume_type = ins.panning_type = XM_ENV_ON;
    b.set(0, 0, 0, 49, 1);
    song_ptr s = start(b);
    for (int t = 0; t < 3000; ++t) {
        xm_song_tick(s.get());
        ASSERT_GE(channel().volume_envelope_value, 0);
        ASSERT_LE(channel().volume_envelope_value, 64);
        ASSERT_LE(channel().panning_envelope_value, 64);
        ASSERT_LE(channel().voice->volume, 127);
    }
    // Past its last point the envelope's tick counter stops at its top.
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
    song_ptr s = start(b);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->samples_per_tick, 3);
    for (int blk = 0; blk < seconds * XM_OUTPUT_RATE / XM_BLOCK_FRAMES; ++blk) xm_render_block();
    for (int c = 0; c < b.channels; ++c) {
        const xm_channel& ch = channel(c);
        if (slides[c].end == kLowestPeriod) {
            EXPECT_EQ(ch.period, 56) << "channel " << c;
        } else if (slides[c].end == kHighestPeriod) {
            // The highest period is the last one above the 100 Hz floor.
            EXPECT_EQ(ch.voice->frequency, 100) << "channel " << c;
        } else {
            EXPECT_EQ(ch.pan, slides[c].pan) << "channel " << c;
        }
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

// A fine slide without a parameter repeats the last one: "X15" then "X10"
// slides twice.
TEST(XmEngine, FineSlidesRepeatTheirLastStep) {
    struct fine_slide {
        uint8_t effect, first, again;
        int step;
    };
    const fine_slide slides[] = {{0x21, 0x15, 0x10, -5}, {0x21, 0x25, 0x20, 5}, {0x0E, 0x13, 0x10, -12},
                                 {0x0E, 0x23, 0x20, 12}};
    for (const fine_slide& f : slides) {
        SCOPED_TRACE(testing::Message() << std::hex << int(f.effect) << " " << int(f.first));
        xm_build b = single_channel();
        b.flags = 1;
        b.tempo = 1;
        b.set(0, 0, 0, 49, 1);
        b.set(0, 1, 0, 0, 0, 0, f.effect, f.first);
        b.set(0, 2, 0, 0, 0, 0, f.effect, f.again);
        song_ptr s = start(b);
        std::vector<int> periods;
        for (int row = 0; row < 3; ++row) {
            xm_song_tick(s.get());
            periods.push_back(channel().period);
        }
        EXPECT_EQ(periods, (std::vector<int>{4608, 4608 + f.step, 4608 + 2 * f.step}));
    }
}

// Pan 0 is hard left and 255 hard right, from the sample or from 8xx.
TEST(XmEngine, PanZeroIsLeft) {
    struct placement {
        uint8_t sample_pan, effect, parameter;
        bool left, right;  // heard on that side
    };
    const placement placements[] = {{0, 0, 0, true, false},    {255, 0, 0, false, true},  {128, 0, 0, true, true},
                                    {128, 8, 0, true, false},  {0, 8, 255, false, true}};
    for (const placement& p : placements) {
        SCOPED_TRACE(testing::Message() << "pan " << int(p.sample_pan) << ", effect " << int(p.effect) << " "
                                        << int(p.parameter));
        xm_build b = single_channel();
        b.instruments[0].samples[0].pan = p.sample_pan;
        b.set(0, 0, 0, 49, 1, 0, p.effect, p.parameter);
        song_ptr s = start(b);
        double left = 0, right = 0;
        for (int blk = 0; blk < 4; ++blk) {
            const int16_t* out = xm_render_block();
            for (int i = 0; i < XM_BLOCK_FRAMES; ++i) left += std::abs(out[2 * i]), right += std::abs(out[2 * i + 1]);
        }
        EXPECT_EQ(left > 0, p.left);
        EXPECT_EQ(right > 0, p.right);
    }
}

TEST(XmEngine, AmigaPeriodOfZeroKeepsTheFrequency) {
    xm_build b = single_channel();
    b.set(0, 0, 0, 49, 1);
    song_ptr s = start(b);
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
    EXPECT_EQ(ch.voice->step_fraction, static_cast<uint32_t>((100ull << 32) / 44100)) << "raised to 100 Hz";
}

TEST(XmEngine, MissingSamplesAndInstrumentsStaySilent) {
    xm_build b = single_channel();
    b.instruments.push_back(xm_build_instrument{});
    b.set(0, 0, 0, 49, 2, 0, 0x0E, 0x55);  // no samples; E55 must not touch the shared record
    b.set(0, 1, 0, 49, 9);                 // no such instrument
    song_ptr s = start(b);
    for (int t = 0; t < 12; ++t) xm_song_tick(s.get());
    EXPECT_EQ(channel().voice->sample, nullptr);
    EXPECT_EQ(empty_sample.finetune, 0);
    EXPECT_EQ(empty_sample.data, nullptr);
}

TEST(XmEngine, PanningAndGlobalVolume) {
    xm_build b = single_channel();
    b.set(0, 0, 0, 49, 1, 0, 0x08, 0xFF);
    b.set(0, 1, 0, 0, 0, 0, 0x10, 0x20);
    song_ptr s = start(b);
    xm_song_tick(s.get());
    mix_voice* v = channel().voice;
    EXPECT_EQ(v->pan, 255);
    EXPECT_EQ(v->left_gain, 0);
    EXPECT_EQ(v->right_gain, v->volume);
    for (int t = 0; t < 6; ++t) xm_song_tick(s.get());
    EXPECT_EQ(s->global_volume, 32);
    EXPECT_EQ(v->volume, 63);
}

TEST(XmEngine, StartStateIsFresh) {
    xm_build b = single_channel();
    b.set(0, 0, 0, 49, 1, 0, 0x0F, 0x03);
    song_ptr s = start(b);
    for (int t = 0; t < 40; ++t) xm_song_tick(s.get());
    ASSERT_NE(s->row, 0);
    ASSERT_TRUE(xm_render_start(s.get()));
    EXPECT_EQ(s->row, 0);
    EXPECT_EQ(s->order, 0);
    EXPECT_EQ(s->tick, 0);
    EXPECT_EQ(s->speed, 6);
    EXPECT_EQ(s->next_row, -1);
    EXPECT_EQ(channel().volume, 0);
    EXPECT_EQ(channel().voice, &xm_mixer.voices[0]);
    EXPECT_EQ(xm_mixer.voices[0].sample, nullptr);
}

}  // namespace
