#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

#include "sc68/chips/ym2149.h"

namespace {

constexpr uint32_t SELECT = 0xFF8800;
constexpr uint32_t WRITE = 0xFF8802;
constexpr uint32_t FRAME = 160256;  // 50 Hz replay frame

// Scaled level of one voice alone at level 15, and the centre it gives.
constexpr int32_t VOICE_PEAK = 29862;  // 36,754 x 13,312 / 16,384
constexpr int32_t CENTRE = 14931;

class YmTest : public ::testing::Test {
protected:
    ym_t& y = ym_chip;

    void SetUp() override
    {
        y.rate = 0;
        ym_init(&y);
    }

    void set(int reg, int value, uint32_t cycle = 0)
    {
        ym_io.w_byte(SELECT, reg, cycle);
        ym_io.w_byte(WRITE, value, cycle);
    }

    std::vector<int32_t> render(uint32_t cycles)
    {
        const int n = ym_render(&y, cycles);
        return std::vector<int32_t>(ym_output(&y), ym_output(&y) + n);
    }

    // At 50,000 Hz sample i holds group floor(1.25 i).
    static int sample_of_group(int g) { return (g * 4 + 4) / 5; }
};

TEST_F(YmTest, ResetValues)
{
    ym_io.w_byte(SELECT, YM_MIXER, 0);
    EXPECT_EQ(ym_io.r_byte(SELECT, 0), 0x3Fu);
    ym_io.w_byte(SELECT, YM_ENV_SHAPE, 0);
    EXPECT_EQ(ym_io.r_byte(SELECT, 0), 0x0Au);
    EXPECT_EQ(ym_io.r_word(SELECT, 0), 0x0A00u);
    ym_io.w_byte(SELECT, 0, 0);
    EXPECT_EQ(ym_io.r_byte(SELECT, 0), 0u);
    EXPECT_EQ(ym_io.r_byte(WRITE, 0), 0u);
    EXPECT_EQ(ym_io.next_interrupt(0), IO68_NO_INT);
    EXPECT_STREQ(ym_io.name, "YM-2149");
}

TEST_F(YmTest, WritesAreReadBackBeforeTheyAreRendered)
{
    set(YM_VOL_A, 0x0C, 100);
    ym_io.w_byte(SELECT, YM_VOL_A, 0);
    EXPECT_EQ(ym_io.r_byte(SELECT, 0), 0x0Cu);
    EXPECT_EQ(y.reg[YM_VOL_A], 0);
    render(FRAME);
    EXPECT_EQ(y.reg[YM_VOL_A], 0x0C);
    // R14 and above are not stored.
    set(14, 0x55);
    set(200, 0x55);
    EXPECT_EQ(ym_io.r_byte(SELECT, 0), 0u);
    EXPECT_EQ(y.tone_list.count + y.noise_list.count + y.env_list.count, 0);
}

TEST_F(YmTest, LongWriteSelectsAndWrites)
{
    ym_io.w_long(SELECT, 0x08000F00, 0);
    EXPECT_EQ(y.selected, 8);
    EXPECT_EQ(ym_io.r_byte(SELECT, 0), 0x0Fu);
    render(FRAME);
    EXPECT_EQ(y.reg[8], 0x0F);
}

TEST_F(YmTest, MixerGoesIntoBothLists)
{
    set(YM_MIXER, 0x38);
    set(YM_NOISE_PERIOD, 3);
    set(YM_ENV_SHAPE, 0x0E);
    EXPECT_EQ(y.tone_list.count, 1);
    EXPECT_EQ(y.noise_list.count, 2);
    EXPECT_EQ(y.env_list.count, 1);
}

TEST_F(YmTest, FiftyHertzFrameGives884Samples)
{
    EXPECT_EQ(render(FRAME).size(), 884u);
    EXPECT_EQ(render(FRAME).size(), 884u);
    ym_sampling_rate(&y, 50000);
    EXPECT_EQ(render(FRAME).size(), 1002u);  // 1,252 groups at 1.25 groups a sample
}

TEST_F(YmTest, SilenceSitsBelowTheCentreOfTheLoudestSetting)
{
    // Voice A at 15 for part of the frame: the centre is set by that level.
    set(YM_VOL_A, 15, FRAME / 2);
    set(YM_VOL_A, 0, FRAME / 2 + 3200);
    const auto out = render(FRAME);
    EXPECT_EQ(out.front(), -CENTRE);
    EXPECT_EQ(out.back(), -CENTRE);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), VOICE_PEAK - CENTRE);
    // All silent: centre (0 + 1) / 2 = 0.
    for (int32_t v : render(FRAME))
        EXPECT_EQ(v, 0);
}

TEST_F(YmTest, WriteAtCycle80000LandsAtTick2500)
{
    ym_sampling_rate(&y, 50000);
    set(YM_VOL_A, 15, 80000);
    const auto out = render(FRAME);
    const int first = sample_of_group(2500 / 4);
    ASSERT_EQ(first, 500);
    EXPECT_EQ(out[first - 1], -CENTRE);
    EXPECT_EQ(out[first], VOICE_PEAK - CENTRE);

    // The next frame: the emulator moves the time base back by the frame.
    ym_io.adjust_cycle(FRAME);
    set(YM_VOL_A, 0, 80000);
    const auto next = render(FRAME);
    EXPECT_EQ(next[first - 1], VOICE_PEAK - CENTRE);
    EXPECT_EQ(next[first], -CENTRE);
}

TEST_F(YmTest, TonePeriodOneAndPeriod256)
{
    set(YM_MIXER, 0x3E);  // tone A on, everything else off
    set(YM_VOL_A, 15);
    set(0, 1);
    set(1, 0);
    // 125,000 Hz: every group of four ticks holds two high and two low ticks.
    for (int32_t v : render(FRAME))
        EXPECT_EQ(v, 0);

    // Period 0x100: 256 ticks per half wave (488.28 Hz), 64 groups.
    ym_reset(&y);
    ym_sampling_rate(&y, 50000);
    set(YM_MIXER, 0x3E);
    set(YM_VOL_A, 15);
    set(0, 0x00);
    set(1, 0x01);
    const auto out = render(FRAME);
    std::vector<int> edges;
    for (size_t i = 1; i < out.size(); ++i)
        if (out[i] != out[i - 1])
            edges.push_back(static_cast<int>(i));
    ASSERT_EQ(edges.size(), 19u);  // flips at ticks 256, 512, ... 4,864
    for (size_t k = 0; k < edges.size(); ++k)
        EXPECT_EQ(edges[k], sample_of_group(64 * static_cast<int>(k + 1)));
    EXPECT_EQ(out[0], -CENTRE);
    EXPECT_EQ(out[edges[0]], VOICE_PEAK - CENTRE);
}

// Envelope levels heard on voice A, by group of four ticks (-1 for a group
// the 50,000 Hz output skips). Envelope period 4 makes one step per group.
class YmEnvelopeTest : public YmTest {
protected:
    static constexpr int GROUPS = 128;

    std::vector<int> levels(int shape)
    {
        ym_sampling_rate(&y, 50000);
        set(YM_VOL_A, 0x10);
        set(YM_ENV_FINE, 4);
        set(YM_ENV_COARSE, 0);
        set(YM_ENV_SHAPE, shape);
        const auto out = render(FRAME);
        std::map<int32_t, int> level_of;
        for (int l = 0; l < 16; ++l)
            level_of[y.volume[l << 8] - CENTRE] = l;
        std::vector<int> groups(GROUPS, -1);
        for (int i = 0; 5 * i / 4 < GROUPS; ++i) {
            const auto it = level_of.find(out[i]);
            groups[5 * i / 4] = it == level_of.end() ? 99 : it->second;
        }
        return groups;
    }
};

void expect_level(const std::vector<int>& l, int g, int want)
{
    if (l[g] >= 0) {
        EXPECT_EQ(l[g], want) << "group " << g;
    }
}

TEST_F(YmEnvelopeTest, Shape0DRisesOnceAndHolds)
{
    const auto l = levels(0x0D);
    for (int g = 0; g < 31; ++g)
        expect_level(l, g, (g + 1) / 2);
    for (int g = 31; g < GROUPS; ++g)
        expect_level(l, g, 15);
}

TEST_F(YmEnvelopeTest, Shape08FallsRepeatedly)
{
    const auto l = levels(0x08);
    for (int g = 0; g < GROUPS; ++g)
        expect_level(l, g, (31 - (g + 1) % 32) / 2);
}

TEST_F(YmEnvelopeTest, Shape0EIsATriangle)
{
    const auto l = levels(0x0E);
    for (int g = 0; g < GROUPS; ++g) {
        const int step = (g + 1) % 64;
        expect_level(l, g, step < 32 ? step / 2 : (63 - step) / 2);
    }
}

TEST_F(YmEnvelopeTest, Shape09FallsOnceAndStaysAtZero)
{
    const auto l = levels(0x09);
    for (int g = 0; g < 31; ++g)
        expect_level(l, g, (31 - (g + 1)) / 2);
    for (int g = 31; g < GROUPS; ++g)
        expect_level(l, g, 0);
}

TEST_F(YmTest, NoiseIsRepeatableAfterReset)
{
    set(YM_MIXER, 0x37);  // noise A on
    set(YM_VOL_A, 15);
    set(YM_NOISE_PERIOD, 1);
    const auto a = render(FRAME);
    ym_reset(&y);
    set(YM_MIXER, 0x37);
    set(YM_VOL_A, 15);
    set(YM_NOISE_PERIOD, 1);
    const auto b = render(FRAME);
    EXPECT_EQ(a, b);
    const auto [lo, hi] = std::minmax_element(a.begin(), a.end());
    EXPECT_LT(*lo, 0);
    EXPECT_GT(*hi, 0);
}

TEST_F(YmTest, FullListKeepsOnlyTheLatestWriteInItsLastEntry)
{
    for (int i = 0; i < YM_LIST_SIZE - 1; ++i)
        set(0, i & 0xFF, 10);
    set(YM_VOL_A, 15, 20);
    EXPECT_EQ(y.tone_list.count, YM_LIST_SIZE);
    for (int i = 0; i < 100; ++i)
        set(YM_VOL_A + 1, i, 30);
    set(YM_VOL_A + 2, 9, 40);
    EXPECT_EQ(y.tone_list.count, YM_LIST_SIZE);
    ym_io.w_byte(SELECT, YM_VOL_A, 0);
    EXPECT_EQ(ym_io.r_byte(SELECT, 0), 0u);  // overwritten before the render
    render(FRAME);
    EXPECT_EQ(y.reg[YM_VOL_A], 0);
    EXPECT_EQ(y.reg[YM_VOL_A + 1], 0);
    EXPECT_EQ(y.reg[YM_VOL_A + 2], 9);
    EXPECT_EQ(y.tone_list.count, 0);
}

TEST_F(YmTest, ShortFramesCarryTicksAndCycles)
{
    // 100 cycles: 3 ticks and 4 cycles left over each time; the eighth
    // render completes tick 25 from the carried cycles.
    int samples = 0;
    for (int i = 0; i < 8; ++i)
        samples += ym_render(&y, 100);
    EXPECT_EQ(y.cycle_carry, 0u);
    EXPECT_EQ(samples, 6);  // 25 ticks: 6 groups, one tick carried
    EXPECT_EQ(y.tick_carry, 1);
}

TEST_F(YmTest, OneRenderCoversAtMostOneSecond)
{
    set(YM_VOL_A, 15, 0x7FFFFF00);  // stamped far past the span: applied at its end
    const auto out = render(0xFFFFFFFF);
    EXPECT_EQ(out.size(), 44101u);  // 62,500 groups
    EXPECT_EQ(out.back(), -CENTRE);
    EXPECT_EQ(y.reg[YM_VOL_A], 15);
}

TEST(YmVolumeTable, HoldsTheMeasuredRows)
{
    constexpr std::array<uint16_t, 16> one = {0,    110,  230,  355,  582,   801,   1227,  1701,
                                              2471, 3403, 5071, 6940, 10426, 14762, 23799, 36754};
    constexpr std::array<uint16_t, 16> three = {0,    414,   832,   1261,  1860,  2616,  3741,  5139,
                                                7224, 9906, 13892, 18898, 26359, 35979, 50235, 65535};
    for (int l = 0; l < 16; ++l) {
        EXPECT_EQ(ym_volume_table[l], one[l]);
        EXPECT_EQ(ym_volume_table[l << 4], one[l]);
        EXPECT_EQ(ym_volume_table[l << 8], one[l]);
        EXPECT_EQ(ym_volume_table[l * 0x111], three[l]);
    }
    EXPECT_EQ(ym_volume_table[0xFFF], 65535);
}

TEST(YmVolumeTable, SymmetricAndRisingWithEachLevel)
{
    for (int a = 0; a < 16; ++a)
        for (int b = 0; b < 16; ++b)
            for (int c = 0; c < 16; ++c) {
                const uint16_t v = ym_volume_table[a << 8 | b << 4 | c];
                EXPECT_EQ(v, ym_volume_table[a << 8 | c << 4 | b]);
                EXPECT_EQ(v, ym_volume_table[b << 8 | a << 4 | c]);
                EXPECT_EQ(v, ym_volume_table[c << 8 | b << 4 | a]);
                if (c < 15) {
                    EXPECT_LT(v, ym_volume_table[a << 8 | b << 4 | (c + 1)]);
                }
            }
}

TEST(YmVolumeTable, ScaledToPeak0xD000AtInit)
{
    ym_t& y = ym_chip;
    ym_init(&y);
    EXPECT_EQ(y.volume[0xFFF], 0xCFFF);  // 65,535 x 13,312 / 16,384
    EXPECT_EQ(y.volume[0xF00], VOICE_PEAK);
    EXPECT_EQ(y.volume[0x111], 336);  // 414 x 13,312 / 16,384
    EXPECT_EQ(y.volume[0], 0);
}

}  // namespace
