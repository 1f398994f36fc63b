// What the checksums of trace_test.cpp pin only as numbers, stated: Paula's
// channel sides and beam counter, the envelope shapes, the YM write lists'
// bound, and the MFP's start state.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "sc68/chips/mfp68901.h"
#include "sc68/chips/paula.h"
#include "sc68/chips/ym2149.h"

namespace {

constexpr uint32_t CUSTOM = 0xDFF000;
constexpr uint32_t SELECT = 0xFF8800;
constexpr uint32_t FRAME = 160256;  // 50 Hz replay frame

int16_t left(uint32_t frame) { return static_cast<int16_t>(frame & 0xFFFF); }
int16_t right(uint32_t frame) { return static_cast<int16_t>(frame >> 16); }

// Channel n over a block of 127s at period 428.
void voice(int n, uint32_t vol)
{
    const uint32_t r = CUSTOM + PAULA_AUD0 + 16 * n;
    paula_io.w_long(r + PAULA_AUD_LC, 0x2000, 0);
    paula_io.w_word(r + PAULA_AUD_LEN, 0x800, 0);
    paula_io.w_word(r + PAULA_AUD_PER, 428, 0);
    paula_io.w_word(r + PAULA_AUD_VOL, vol, 0);
    paula_io.w_word(CUSTOM + PAULA_DMACON, 0x8200 | 1u << n, 0);
}

uint32_t paula_frame()
{
    static const std::vector<uint8_t> ram(EMU68_MEMSIZE + EMU68_MEMSPARE, 127);
    uint32_t f;
    paula_render(&paula_chip, &f, ram.data(), 1);
    return f;
}

TEST(Paula, ChannelsZeroAndThreeLeftOneAndTwoRight)
{
    paula_chip.rate = 0;
    const bool on_left[PAULA_VOICES] = {true, false, false, true};
    for (int n = 0; n < PAULA_VOICES; ++n) {
        paula_init(&paula_chip);
        voice(n, 64);
        const uint32_t f = paula_frame();
        EXPECT_EQ(left(f), on_left[n] ? 16256 : 0) << "channel " << n;
        EXPECT_EQ(right(f), on_left[n] ? 0 : 16256) << "channel " << n;
    }
    paula_init(&paula_chip);
    voice(0, 64);
    voice(3, 64);
    voice(2, 32);
    const uint32_t f = paula_frame();
    EXPECT_EQ(left(f), 32512);  // two channels, no carry into the right half
    EXPECT_EQ(right(f), (127 * 35966) >> 9);
}

TEST(Paula, EveryReadOfTheBeamWordMovesIt)
{
    paula_chip.rate = 0;
    paula_init(&paula_chip);
    const uint32_t vhposr = CUSTOM + PAULA_VHPOSR;
    EXPECT_EQ(paula_io.r_byte(vhposr, 0), 0u);
    EXPECT_EQ(paula_io.r_byte(vhposr, 0), 1u);
    paula_frame();  // a render starts it again
    EXPECT_EQ(paula_io.r_byte(vhposr, 0), 0u);
    EXPECT_EQ(paula_io.r_byte(vhposr + 1, 0), 1u);
    EXPECT_EQ(paula_io.r_word(vhposr, 0), 0x0202u);
    EXPECT_EQ(paula_io.r_long(vhposr - 2, 0), 0x0303u);
}

class YmTest : public ::testing::Test {
protected:
    ym_t& y = ym_chip;

    void SetUp() override
    {
        y.rate = 0;
        ym_init(&y);
        ym_sampling_rate(&y, 50000);
    }

    void set(int reg, int value, uint32_t cycle = 0)
    {
        ym_io.w_byte(SELECT, reg, cycle);
        ym_io.w_byte(SELECT + 2, value, cycle);
    }

    std::vector<int32_t> render(uint32_t cycles)
    {
        const int n = ym_render(&y, cycles);
        return std::vector<int32_t>(ym_output(&y), ym_output(&y) + n);
    }
};

// The centre of voice A alone at level 15.
constexpr int32_t CENTRE = 14931;

// Envelope levels on voice A by group of four ticks (period 4: one step of
// 32 a group, two steps a level), drawn as the data sheet draws the shapes:
// each mark is one run of 32 steps, rising, falling, held low or held high.
TEST_F(YmTest, EnvelopeShapes)
{
    const char* const drawn[16] = {"\\_", "\\_", "\\_", "\\_", "/_", "/_", "/_", "/_",
                                   "\\\\", "\\_", "\\/", "\\-", "//", "/-", "/\\", "/_"};
    std::map<int32_t, int> level_of;
    for (int l = 0; l < 16; ++l)
        level_of[y.volume[l << 8] - CENTRE] = l;
    for (int shape = 0; shape < 16; ++shape) {
        ym_reset(&y);
        set(YM_VOL_A, 0x10);
        set(YM_ENV_FINE, 4);
        set(YM_ENV_SHAPE, shape);
        const auto out = render(FRAME);
        // Sample i holds group 1.25 i; group g shows step g + 1.
        for (int i = 0; 5 * i / 4 < 63; ++i) {
            const int step = 5 * i / 4 + 1;
            const int pos = step % 32;
            const char mark = drawn[shape][step / 32];
            const int want = mark == '/' ? pos / 2 : mark == '\\' ? (31 - pos) / 2 : mark == '-' ? 15 : 0;
            ASSERT_EQ(level_of.count(out[i]), 1u);
            EXPECT_EQ(level_of[out[i]], want) << "shape " << shape << " step " << step;
        }
    }
}

TEST_F(YmTest, FullListKeepsOnlyTheLatestWriteInItsLastEntry)
{
    for (int i = 0; i < YM_LIST_SIZE - 1; ++i)
        set(0, i & 0xFF, 10);
    set(YM_VOL_A, 15, 20);
    for (int i = 0; i < 100; ++i)
        set(YM_VOL_A + 1, i, 30);
    set(YM_VOL_A + 2, 9, 40);
    EXPECT_EQ(y.tone_list.count, YM_LIST_SIZE);
    render(FRAME);
    EXPECT_EQ(y.reg[YM_VOL_A], 0);
    EXPECT_EQ(y.reg[YM_VOL_A + 1], 0);
    EXPECT_EQ(y.reg[YM_VOL_A + 2], 9);
}

// The process chip as it stands before the first test, whatever order the tests run in.
struct MfpAtStart : ::testing::Environment {
    static inline mfp_t chip;
    void SetUp() override { chip = mfp_chip; }
};
[[maybe_unused]] ::testing::Environment* const mfp_at_start = ::testing::AddGlobalTestEnvironment(new MfpAtStart);

TEST(MfpChip, TheProcessChipStartsInItsResetState)
{
    EXPECT_EQ(MfpAtStart::chip.timer[MFP_TIMER_A].data, 256);
    EXPECT_EQ(MfpAtStart::chip.reg[MFP_VR], 0x40);
}

}  // namespace
