#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sc68/chips/paula.h"

namespace {

constexpr uint32_t CUSTOM = 0xDFF000;

uint32_t aud(int n, uint32_t field)
{
    return CUSTOM + PAULA_AUD0 + 16 * n + field;
}

int16_t left(uint32_t frame) { return static_cast<int16_t>(frame & 0xFFFF); }
int16_t right(uint32_t frame) { return static_cast<int16_t>(frame >> 16); }

// Drives the process's Paula through its IO handlers, as the replay does.
class PaulaTest : public ::testing::Test {
protected:
    std::vector<uint8_t> ram = std::vector<uint8_t>(EMU68_MEMSIZE + EMU68_MEMSPARE, 0);
    paula_t& p = paula_chip;

    void SetUp() override
    {
        p.rate = 0;
        paula_init(&p);
    }

    void w16(uint32_t addr, uint32_t v) { paula_io.w_word(addr, v, 0); }
    void w32(uint32_t addr, uint32_t v) { paula_io.w_long(addr, v, 0); }
    uint32_t r8(uint32_t addr) { return paula_io.r_byte(addr, 0); }
    uint32_t r16(uint32_t addr) { return paula_io.r_word(addr, 0); }

    void voice(int n, uint32_t loc, uint32_t len, uint32_t per, uint32_t vol)
    {
        w32(aud(n, PAULA_AUD_LC), loc);
        w16(aud(n, PAULA_AUD_LEN), len);
        w16(aud(n, PAULA_AUD_PER), per);
        w16(aud(n, PAULA_AUD_VOL), vol);
    }

    std::vector<uint32_t> render(int n)
    {
        std::vector<uint32_t> out(n, 0xDEADBEEF);
        paula_render(&p, out.data(), ram.data(), n);
        return out;
    }
};

TEST_F(PaulaTest, StepFollowsPeriodAndRate)
{
    EXPECT_EQ(p.step_constant, 664947u);
    std::memset(&ram[0x1000], 1, 0x1000);
    voice(0, 0x1000, 0x800, 428, 64);
    w16(CUSTOM + PAULA_DMACON, 0x8201);
    render(10);
    EXPECT_EQ(p.voice[0].pos, (0x1000u << 13) + 10 * 1553u);

    // Period 0 counts as 1.
    voice(1, 0x1000, 0x800, 0, 64);
    w16(CUSTOM + PAULA_DMACON, 0x8202);
    render(1);
    EXPECT_EQ(p.voice[1].pos, (0x1000u << 13) + 664947u);

    EXPECT_EQ(paula_sampling_rate(&p, 100000), 50000);
    EXPECT_EQ(paula_sampling_rate(&p, 0), 50000);
    EXPECT_EQ(p.step_constant, 586483u);  // 29,324,165,120 / 50,000 rounded
}

TEST_F(PaulaTest, FullScaleVolumeAndSides)
{
    std::memset(&ram[0x2000], 127, 0x1000);
    // As on the Amiga: channels 0 and 3 left, 1 and 2 right.
    const bool on_left[PAULA_VOICES] = {true, false, false, true};
    for (int n = 0; n < PAULA_VOICES; ++n) {
        paula_init(&p);
        voice(n, 0x2000, 0x800, 428, 64);
        w16(CUSTOM + PAULA_DMACON, 0x8200 | 1u << n);
        for (uint32_t f : render(4)) {
            EXPECT_EQ(left(f), on_left[n] ? 16256 : 0) << "channel " << n;
            EXPECT_EQ(right(f), on_left[n] ? 0 : 16256) << "channel " << n;
        }
    }
    paula_init(&p);
    voice(0, 0x2000, 0x800, 428, 64);
    voice(3, 0x2000, 0x800, 428, 64);
    voice(2, 0x2000, 0x800, 428, 32);
    w16(CUSTOM + PAULA_DMACON, 0x820D);
    for (uint32_t f : render(4)) {
        EXPECT_EQ(left(f), 32512);  // two channels, no carry into the right half
        EXPECT_EQ(right(f), (127 * 35966) >> 9);
    }
}

TEST_F(PaulaTest, VolumeAbove64PlaysAt64)
{
    std::memset(&ram[0x2000], 127, 0x1000);
    voice(0, 0x2000, 0x800, 428, 100);
    w16(CUSTOM + PAULA_DMACON, 0x8201);
    EXPECT_EQ(left(render(1)[0]), 16256);
    // Only the low byte AND 0x7F counts: 0x0180 is volume 0.
    w16(aud(0, PAULA_AUD_VOL), 0x0180);
    EXPECT_EQ(left(render(1)[0]), 0);
}

TEST_F(PaulaTest, InterpolatesBetweenNeighbours)
{
    ram[0x3000] = 0;
    ram[0x3001] = 64;
    voice(0, 0x3000, 1, 162, 64);  // step 4,104: half a byte per frame
    w16(CUSTOM + PAULA_DMACON, 0x8201);
    const auto out = render(2);
    EXPECT_EQ(left(out[0]), 0);
    EXPECT_EQ(left(out[1]), 32 * 128);  // (64 x 4,104) >> 13 = 32, x 65,536 >> 9
    EXPECT_EQ(p.regs[PAULA_AUD0 + PAULA_AUD_DAT], 0);
}

TEST_F(PaulaTest, DmaControlRestartsOnlyNewlyEnabledChannels)
{
    voice(0, 0x4000, 0x100, 428, 64);
    voice(1, 0x5000, 0x100, 428, 64);
    w16(CUSTOM + PAULA_DMACON, 0x8201);
    EXPECT_EQ(p.voice[0].pos, 0x4000u << 13);
    EXPECT_EQ(p.voice[0].end, (0x4000u << 13) + 0x100u * 16384);
    EXPECT_EQ(p.voice[1].pos, 0u);  // channel 1 stays where reset left it
    render(5);
    const uint32_t played = p.voice[0].pos;
    w16(CUSTOM + PAULA_DMACON, 0x8201);
    EXPECT_EQ(p.voice[0].pos, played);
    EXPECT_EQ(r16(CUSTOM + PAULA_DMACONR), 0x0201u);

    // Clear then set again: a restart.
    w16(CUSTOM + PAULA_DMACON, 0x0001);
    EXPECT_EQ(r16(CUSTOM + PAULA_DMACONR), 0x0200u);
    w16(CUSTOM + PAULA_DMACON, 0x8001);
    EXPECT_EQ(p.voice[0].pos, 0x4000u << 13);

    // An even byte write is a word write of the byte: bit 15 clear, so it clears.
    paula_io.w_byte(CUSTOM + PAULA_DMACON, 0x01, 0);
    EXPECT_EQ(r16(CUSTOM + PAULA_DMACONR), 0x0200u);
    EXPECT_EQ(p.regs[PAULA_DMACON], 0);
    EXPECT_EQ(p.regs[PAULA_DMACON + 1], 1);
}

TEST_F(PaulaTest, NoChannelPlaysWithoutMasterEnable)
{
    std::memset(&ram[0x2000], 127, 0x1000);
    voice(0, 0x2000, 0x800, 428, 64);
    w16(CUSTOM + PAULA_DMACON, 0x0200);
    w16(CUSTOM + PAULA_DMACON, 0x8001);
    EXPECT_EQ(left(render(1)[0]), 0);
    w16(CUSTOM + PAULA_DMACON, 0x8200);
    EXPECT_EQ(left(render(1)[0]), 16256);
}

TEST_F(PaulaTest, LengthZeroPlays131072BytesThenTakesTheLoopBlock)
{
    std::memset(&ram[0x10000], 10, 0x20000);
    std::memset(&ram[0x40000], 100, 2);
    voice(0, 0x10000, 0, 1, 64);  // period 1: 664,947 per frame
    w16(CUSTOM + PAULA_DMACON, 0x8201);
    EXPECT_EQ(p.voice[0].end - p.voice[0].start, 1u << 30);
    w32(aud(0, PAULA_AUD_LC), 0x40000);
    w16(aud(0, PAULA_AUD_LEN), 1);

    // 1,614 x 664,947 is just short of 2^30, 1,615 x 664,947 past it.
    auto out = render(1614);
    EXPECT_EQ(p.voice[0].start, 0x10000u << 13);
    EXPECT_EQ(left(out[0]), 10 * 128);
    EXPECT_EQ(left(out[1000]), 10 * 128);
    EXPECT_EQ(p.regs[PAULA_AUD0 + PAULA_AUD_DAT], 10);
    out = render(1);
    EXPECT_EQ(p.voice[0].start, 0x40000u << 13);
    EXPECT_EQ(p.voice[0].end, (0x40000u << 13) + 16384);
    out = render(4);
    for (uint32_t f : out)
        EXPECT_EQ(left(f), 100 * 128);
    EXPECT_EQ(p.regs[PAULA_AUD0 + PAULA_AUD_DAT], 100);
}

TEST_F(PaulaTest, BlockWrappingPastTheTopIsNotMixed)
{
    std::memset(ram.data(), 127, ram.size());
    voice(0, 0x7FFFFE, 0, 428, 64);
    w16(CUSTOM + PAULA_DMACON, 0x8201);
    const auto out = render(8);
    for (uint32_t f : out)
        EXPECT_EQ(f, 0u);
}

TEST_F(PaulaTest, AudioRequestRestartsChannelsWithoutTheirInterrupt)
{
    voice(0, 0x4000, 0x100, 428, 64);
    w16(CUSTOM + PAULA_DMACON, 0x8201);
    render(5);
    // Audio interrupt 0 not enabled: setting its request restarts channel 0.
    w16(CUSTOM + PAULA_INTREQ, 0x8080);
    EXPECT_EQ(p.voice[0].pos, 0x4000u << 13);
    EXPECT_EQ(r16(CUSTOM + PAULA_INTREQR), 0x0080u);
    w16(CUSTOM + PAULA_INTREQ, 0x0080);
    EXPECT_EQ(r16(CUSTOM + PAULA_INTREQR), 0u);

    // Enabled and not pending: no restart; pending: restart.
    w16(CUSTOM + PAULA_INTENA, 0x8080);
    EXPECT_EQ(r16(CUSTOM + PAULA_INTENAR), 0x4080u);
    render(5);
    const uint32_t played = p.voice[0].pos;
    w16(CUSTOM + PAULA_INTREQ, 0x8080);
    EXPECT_EQ(p.voice[0].pos, played);
    w16(CUSTOM + PAULA_INTREQ, 0x8080);
    EXPECT_EQ(p.voice[0].pos, 0x4000u << 13);
}

TEST_F(PaulaTest, ReadBackRegistersAndBeamCounter)
{
    EXPECT_EQ(r8(CUSTOM + PAULA_VHPOSR), 0u);
    EXPECT_EQ(r8(CUSTOM + PAULA_VHPOSR), 1u);
    EXPECT_EQ(r8(CUSTOM + PAULA_VHPOSR), 2u);
    render(1);
    // Every read form of the word moves it: either byte, the word, a long from 4.
    EXPECT_EQ(r8(CUSTOM + PAULA_VHPOSR), 0u);
    EXPECT_EQ(r8(CUSTOM + PAULA_VHPOSR + 1), 1u);
    EXPECT_EQ(r16(CUSTOM + PAULA_VHPOSR), 0x0202u);
    EXPECT_EQ(paula_io.r_long(CUSTOM + PAULA_VHPOSR - 2, 0), 0x0303u);

    w16(CUSTOM + PAULA_ADKCON, 0x8011);
    EXPECT_EQ(r16(CUSTOM + PAULA_ADKCON), 0x0011u);
    // A byte read refreshes the read-back words in the file first.
    EXPECT_EQ(r8(CUSTOM + PAULA_DMACONR), 0x02u);
    EXPECT_EQ(r8(CUSTOM + PAULA_INTENAR), 0x40u);
    EXPECT_EQ(r8(CUSTOM + PAULA_ADKCONR + 1), 0x11u);

    paula_io.w_long(aud(2, PAULA_AUD_LC), 0x00012345, 0);
    EXPECT_EQ(paula_io.r_long(aud(2, PAULA_AUD_LC), 0), 0x00012345u);
    paula_io.w_byte(aud(2, PAULA_AUD_VOL) + 1, 0x33, 0);
    EXPECT_EQ(r16(aud(2, PAULA_AUD_VOL)), 0x0033u);
    // Word writes at the top of the file wrap inside it.
    w16(CUSTOM + 0xFF, 0xABCD);
    EXPECT_EQ(p.regs[0xFF], 0xAB);
    EXPECT_EQ(p.regs[0x00], 0xCD);
}

TEST_F(PaulaTest, ResetKeepsOnlyTheMasterEnable)
{
    voice(0, 0x4000, 0x100, 428, 64);
    w16(CUSTOM + PAULA_DMACON, 0x820F);
    paula_io.reset();
    EXPECT_EQ(r16(CUSTOM + PAULA_DMACONR), 0x0200u);
    EXPECT_EQ(r16(CUSTOM + PAULA_INTENAR), 0x4000u);
    EXPECT_EQ(p.voice[0].pos, 0u);
    EXPECT_EQ(p.voice[0].end, 2u);
    EXPECT_EQ(paula_io.next_interrupt(0), IO68_NO_INT);
    EXPECT_STREQ(paula_io.name, "AMIGA Paula");
}

}  // namespace
