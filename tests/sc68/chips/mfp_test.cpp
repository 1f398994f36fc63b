#include <gtest/gtest.h>

#include <vector>

#include "sc68/chips/mfp68901.h"

namespace {

constexpr uint32_t MFP = 0xFFFA00;
constexpr uint32_t FRAME = 160256;

struct delivered_t {
    uint32_t cycle;
    uint32_t vector;
};

class MfpTest : public ::testing::Test {
protected:
    mfp_t& m = mfp_chip;
    uint32_t last_run = 0;

    void SetUp() override { mfp_init(&m); }

    void w8(uint32_t off, uint32_t v, uint32_t cycle = 0) { mfp_io.w_byte(MFP + off, v, cycle); }
    uint32_t r8(uint32_t off, uint32_t cycle = 0) { return mfp_io.r_byte(MFP + off, cycle); }

    void enable(uint32_t ier, uint32_t imr, uint8_t bit)
    {
        w8(ier, r8(ier) | bit);
        w8(imr, r8(imr) | bit);
    }

    // What the emulator's frame driver does after the play routine: ask for
    // the next interrupt, deliver it at its position, until the frame ends.
    std::vector<delivered_t> run_frame(uint32_t cycles)
    {
        mfp_io.adjust_cycle(last_run);
        last_run = cycles;
        std::vector<delivered_t> got;
        int64_t pos = 0;
        for (int32_t next = mfp_io.next_interrupt(0); next != IO68_NO_INT;
             next = mfp_io.next_interrupt(static_cast<uint32_t>(pos))) {
            pos += next < 0 ? 0 : next;
            if (pos >= cycles)
                break;
            int68_t irq;
            if (mfp_io.interrupt(static_cast<uint32_t>(pos), &irq)) {
                EXPECT_EQ(irq.level, 6);
                got.push_back({static_cast<uint32_t>(pos), irq.vector});
            }
        }
        return got;
    }
};

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

TEST_F(MfpTest, ResetValuesAndByteLayout)
{
    EXPECT_EQ(r8(0x01), 0x80u);
    EXPECT_EQ(r8(MFP_VR), 0x40u);
    EXPECT_EQ(r8(MFP_TADR), 0u);  // counter 256
    w8(0x06, 0x12);               // even bytes hold nothing
    EXPECT_EQ(r8(0x06), 0u);
    w8(0x03, 0x5A);
    EXPECT_EQ(r8(0x03), 0x5Au);
    // A word access acts on the odd byte after the address, a long on two.
    mfp_io.w_word(MFP + 0x02, 0x12A5, 0);
    EXPECT_EQ(r8(0x03), 0xA5u);
    EXPECT_EQ(mfp_io.r_word(MFP + 0x02, 0), 0xA5u);
    mfp_io.w_long(MFP + 0x02, 0x00110022, 0);
    EXPECT_EQ(mfp_io.r_long(MFP + 0x02, 0), 0x00110022u);
    EXPECT_EQ(mfp_io.next_interrupt(0), IO68_NO_INT);
    EXPECT_STREQ(mfp_io.name, "MFP-68901");
}

TEST_F(MfpTest, TimerAOncePerFrameDriftsAgainstTheFrame)
{
    enable(MFP_IERA, MFP_IMRA, 0x20);
    w8(MFP_TADR, 246);
    w8(MFP_TACR, 7);  // prescaler 200: period 30,750,000 units = 160,156.25 cycles
    EXPECT_EQ(mfp_io.next_interrupt(0), 160157);
    const uint32_t expect[] = {160157, 160057, 159957, 159857};
    for (uint32_t at : expect) {
        const auto got = run_frame(FRAME);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].cycle, at);
        EXPECT_EQ(got[0].vector, 0x134u);  // 0x34 + (0x40 AND 0xF0) x 4
    }
}

TEST_F(MfpTest, TimerDAtPrescaler4Data1FiresAbout12300TimesAFrame)
{
    enable(MFP_IERB, MFP_IMRB, 0x10);
    w8(MFP_TADR + 6, 1);
    w8(MFP_TCDCR, 0x01);
    const auto got = run_frame(FRAME);
    // Every 2,500 units (13.02 cycles) up to 160,255 x 192 units.
    ASSERT_EQ(got.size(), 12307u);
    EXPECT_EQ(got[0].cycle, 14u);
    EXPECT_EQ(got[1].cycle, 27u);
    EXPECT_EQ(got[0].vector, 0x110u);
    EXPECT_EQ(run_frame(FRAME).size(), 12308u);
}

TEST_F(MfpTest, DataZeroMeans256)
{
    w8(MFP_TBCR, 0);  // stopping a stopped timer changes nothing
    EXPECT_EQ(m.timer[MFP_TIMER_B].counter, 256);
    w8(MFP_TADR + 2, 0);
    w8(MFP_TBCR, 1);
    EXPECT_EQ(mfp_io.next_interrupt(0), 3334);  // 256 x 2,500 / 192 rounded up
    EXPECT_EQ(m.timer[MFP_TIMER_B].period, 640000);
}

TEST_F(MfpTest, EventCountModeStopsTheTimer)
{
    w8(MFP_TADR, 10);
    w8(MFP_TACR, 1);
    ASSERT_NE(mfp_io.next_interrupt(0), IO68_NO_INT);
    w8(MFP_TACR, 0x08, 100);
    EXPECT_EQ(m.timer[MFP_TIMER_A].mode, 0);
    EXPECT_EQ(mfp_io.next_interrupt(100), IO68_NO_INT);
    EXPECT_EQ(r8(MFP_TACR), 0x08u);
}

TEST_F(MfpTest, MaskedTimerAdvancesAndLosesItsEvents)
{
    w8(MFP_IERA, 0x20);  // enabled, not unmasked
    w8(MFP_TADR, 10);
    w8(MFP_TACR, 1);
    EXPECT_TRUE(run_frame(FRAME).empty());
    // It went on counting: unmasked, it fires where it would have anyway,
    // at 1,231 x 25,000 units, 5,848 units into the second frame.
    w8(MFP_IMRA, 0x20);
    const auto got = run_frame(FRAME);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0].cycle, 31u);
}

TEST_F(MfpTest, RunningCounterCountsDownAndReloads)
{
    w8(MFP_TADR, 100);
    w8(MFP_TACR, 1);  // one count per 2,500 units, 13.02 cycles
    EXPECT_EQ(r8(MFP_TADR, 0), 100u);
    EXPECT_EQ(r8(MFP_TADR, 13), 100u);
    EXPECT_EQ(r8(MFP_TADR, 14), 99u);
    EXPECT_EQ(r8(MFP_TADR, 1302), 1u);
    EXPECT_EQ(r8(MFP_TADR, 1303), 100u);  // reached 0 and reloaded
    EXPECT_EQ(r8(MFP_TADR, 1303 + 651), 50u);
    // A new data value waits for the reload while the timer runs.
    w8(MFP_TADR, 20, 1303 + 651);
    EXPECT_EQ(r8(MFP_TADR, 1303 + 651), 50u);
    w8(MFP_TACR, 0, 2000);
    w8(MFP_TADR, 0);
    EXPECT_EQ(r8(MFP_TADR, 2000), 0u);  // stopped: loads 256, read as 0
}

TEST_F(MfpTest, NewDataTakesEffectAtTheNextReload)
{
    enable(MFP_IERA, MFP_IMRA, 0x20);
    w8(MFP_TADR, 10);
    w8(MFP_TACR, 1);
    w8(MFP_TADR, 20, 50);
    const auto got = run_frame(1000);
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[0].cycle, 131u);  // 25,000 units
    EXPECT_EQ(got[1].cycle, 391u);  // + 50,000
    EXPECT_EQ(got[2].cycle, 652u);
}

TEST_F(MfpTest, LaterTimerWinsATie)
{
    enable(MFP_IERB, MFP_IMRB, 0x30);
    w8(MFP_TADR + 4, 5);
    w8(MFP_TADR + 6, 5);
    w8(MFP_TCDCR, 0x11);
    const auto got = run_frame(100);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0].vector, 0x110u);  // D
    EXPECT_EQ(got[1].vector, 0x114u);  // C, same position
    EXPECT_EQ(got[0].cycle, got[1].cycle);
}

TEST_F(MfpTest, VectorBaseFollowsTheVectorRegister)
{
    enable(MFP_IERA, MFP_IMRA, 0x01);
    w8(MFP_VR, 0x58);
    w8(MFP_TADR + 2, 1);
    w8(MFP_TBCR, 1);
    const auto got = run_frame(100);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0].vector, 0x20u + 0x50 * 4);
}

TEST_F(MfpTest, ModeChangeWhileRunningRestartsTheCount)
{
    enable(MFP_IERA, MFP_IMRA, 0x20);
    w8(MFP_TADR, 4);
    w8(MFP_TACR, 1);
    w8(MFP_TACR, 2, 20);  // one count gone at 2,500 units; 3 left at 6,250
    EXPECT_EQ(mfp_io.next_interrupt(20), (20 * 192 + 3 * 6250 + 191) / 192 - 20);
}

TEST_F(MfpTest, SameModeAgainKeepsTheCountGoing)
{
    w8(MFP_TADR, 4);
    w8(MFP_TACR, 1);
    w8(MFP_TACR, 1, 20);
    EXPECT_EQ(mfp_io.next_interrupt(20), (4 * 2500 + 191) / 192 - 20);
}

TEST_F(MfpTest, MirroredAndForeignAddressesStayInTheRegisterFile)
{
    // The IO page spans 256 bytes and address bits 22..16 are not decoded.
    mfp_io.w_byte(0xFFFA41 + MFP_TACR - 1, 0x05, 0);
    EXPECT_EQ(r8(MFP_TACR), 0x05u);
    EXPECT_EQ(mfp_io.r_byte(0x80FAFF, 0), r8(0x3F));
    mfp_io.w_byte(0x80FAFF, 0x77, 0);
    EXPECT_EQ(r8(0x3F), 0x77u);
}

}  // namespace
