#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sc68/chips/ste_sound.h"

namespace {

constexpr uint32_t STE = 0xFF8900;

int16_t left(uint32_t frame) { return static_cast<int16_t>(frame & 0xFFFF); }
int16_t right(uint32_t frame) { return static_cast<int16_t>(frame >> 16); }

class SteTest : public ::testing::Test {
protected:
    std::vector<uint8_t> ram = std::vector<uint8_t>(EMU68_MEMSIZE + EMU68_MEMSPARE, 0);
    ste_t& s = ste_chip;

    void SetUp() override
    {
        s.rate = 0;
        ste_init(&s);
    }

    void w8(uint32_t off, uint32_t v) { ste_io.w_byte(STE + off, v, 0); }
    void w16(uint32_t off, uint32_t v) { ste_io.w_word(STE + off, v, 0); }
    uint32_t r8(uint32_t off) { return ste_io.r_byte(STE + off, 0); }

    void frame(uint32_t start, uint32_t end, uint8_t mode)
    {
        for (int i = 0; i < 3; ++i) {
            w8(STE_START + 2 * i, start >> (16 - 8 * i));
            w8(STE_END + 2 * i, end >> (16 - 8 * i));
        }
        w8(STE_MODE, mode);
    }

    uint32_t played() { return r8(STE_COUNTER) << 16 | r8(STE_COUNTER + 2) << 8 | r8(STE_COUNTER + 4); }

    void microwire(uint16_t data, uint16_t mask)
    {
        w16(STE_MW_MASK, mask);
        w16(STE_MW_DATA, data);
    }

    std::vector<uint32_t> render(int n, int32_t ym = 0)
    {
        std::vector<uint32_t> buf(n, static_cast<uint32_t>(ym));
        ste_render(&s, buf.data(), ram.data(), n);
        return buf;
    }
};

TEST_F(SteTest, YmAloneAtThreeQuarters)
{
    for (uint32_t f : render(4, 10000)) {
        EXPECT_EQ(left(f), 7500);
        EXPECT_EQ(right(f), 7500);
    }
    for (uint32_t f : render(4, -10000))
        EXPECT_EQ(left(f), -7500);
    EXPECT_STREQ(ste_io.name, "STE-MicroWire");
}

TEST_F(SteTest, WordWriteStartsRepeatedPlayback)
{
    frame(0x10000, 0x10100, 0x81);
    w16(0x00, 0x0013);
    EXPECT_EQ(r8(STE_CONTROL), 0x03u);
    EXPECT_EQ(r8(0x00), 0u);
    EXPECT_EQ(played(), 0x10000u);
    EXPECT_EQ(r8(STE_START), 0x01u);
    EXPECT_EQ(r8(STE_START + 1), 0u);  // even offsets read 0
}

TEST_F(SteTest, Mono12516HzStepsBy72)
{
    frame(0x10000, 0x20000, 0x81);
    w8(STE_CONTROL, STE_PLAY);
    render(256);
    EXPECT_EQ(s.pos, (0x10000u << 8) + 256 * 72);
    EXPECT_EQ(played(), 0x10000u + 72);
    // The counter registers are read only.
    w8(STE_COUNTER, 0x55);
    EXPECT_EQ(played(), 0x10000u + 72);
}

TEST_F(SteTest, MixerSettingsAndDmaGain)
{
    std::memset(&ram[0x10000], 127, 0x100);
    frame(0x10000, 0x10100, 0x81);
    w8(STE_CONTROL, STE_PLAY);
    auto out = render(2, 1000);
    EXPECT_EQ(left(out[0]), (127 * 65536 + 1000 * 768) >> 10);
    EXPECT_EQ(right(out[0]), left(out[0]));

    microwire(0x0402, 0x07FF);  // mixer 2: YM off, DMA x 4
    EXPECT_EQ(s.mixer, STE_MIX_NO_YM);
    out = render(2, 1000);
    EXPECT_EQ(left(out[0]), 32512);
    EXPECT_EQ(right(out[1]), 32512);

    microwire(0x0403, 0x07FF);  // 3 keeps the selection
    EXPECT_EQ(s.mixer, STE_MIX_NO_YM);
    microwire(0x0400, 0x07FF);
    EXPECT_EQ(s.mixer, STE_MIX_M12DB);
    EXPECT_EQ(s.dma_gain, 4135);
    EXPECT_EQ(left(render(1, 1000)[0]), (127 * 4135 + 1000 * 768) >> 10);
}

TEST_F(SteTest, StereoTakesEvenAndOddBytes)
{
    ram[0x20000] = 10;
    ram[0x20001] = static_cast<uint8_t>(-20);
    ram[0x20002] = 30;
    ram[0x20003] = 40;
    frame(0x20000, 0x20100, 0x03);  // stereo 50,066 Hz
    w8(STE_CONTROL, STE_PLAY);
    const auto out = render(2);
    EXPECT_EQ(left(out[0]), 640);
    EXPECT_EQ(right(out[0]), -1280);
    // Step (50,066 << 9) / 44,100 = 581, 2.27 bytes: frame 1 reads the next pair.
    EXPECT_EQ(s.pos, (0x20000u << 8) + 2 * 581);
    EXPECT_EQ(left(out[1]), 1920);
    EXPECT_EQ(right(out[1]), 2560);
}

TEST_F(SteTest, EndOfStreamWithoutRepeatLeavesTheYm)
{
    std::memset(&ram[0x30000], 64, 0x10);
    frame(0x30000, 0x30004, 0x83);  // mono 50,066 Hz: 290 per frame
    w8(STE_CONTROL, STE_PLAY);
    const auto out = render(8, 100);
    const int16_t dma = (64 * 65536 + 100 * 768) >> 10;
    // 4 bytes = 1,024: frames 0..3 play, the stream ends after frame 3.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(left(out[i]), dma) << i;
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(left(out[i]), 75) << i;
    EXPECT_EQ(r8(STE_CONTROL) & STE_PLAY, 0u);
    EXPECT_EQ(played(), 0x30000u);
}

TEST_F(SteTest, RepeatCarriesTheOvershootAndTakesNewRegisters)
{
    std::memset(&ram[0x30000], 1, 0x4);
    std::memset(&ram[0x40000], 2, 0x100);
    frame(0x30000, 0x30004, 0x83);
    w8(STE_CONTROL, STE_PLAY | STE_REPEAT);
    // The replay queues the next block while the first plays.
    frame(0x40000, 0x40100, 0x83);
    const auto out = render(6);
    EXPECT_EQ(left(out[3]), 64);   // byte 1
    EXPECT_EQ(left(out[4]), 128);  // byte 2
    EXPECT_EQ(s.pos, (0x40000u << 8) + 6 * 290 - 1024);
    EXPECT_EQ(s.end, 0x40100u << 8);
    EXPECT_NE(r8(STE_CONTROL) & STE_PLAY, 0u);
}

TEST_F(SteTest, MicroWireDecoding)
{
    microwire(0x04FF, 0x07FF);  // master volume 0x3F: above 40 is 0 dB
    EXPECT_EQ(s.master_db, 0);
    microwire(0x04D4, 0x07FF);  // master 20
    EXPECT_EQ(s.master_db, -40);
    microwire(0x09A8, 0x0FFE);  // the same command one bit higher
    EXPECT_EQ(s.master_db, -40);
    microwire(0x0545, 0x07FF);  // left 5
    EXPECT_EQ(s.left_db, -30);
    EXPECT_EQ(s.balance_db, -15);
    microwire(0x051F, 0x07FF);  // right 31 counts as 20
    EXPECT_EQ(s.right_db, 0);
    microwire(0x0446, 0x07FF);  // bass 6
    EXPECT_EQ(s.bass_db, 0);
    microwire(0x048F, 0x07FF);  // treble 15 counts as 12 dB
    EXPECT_EQ(s.treble_db, 12);
    // Wrong address bits, or a mask too short for a command: nothing.
    microwire(0x0000, 0x07FF);
    microwire(0x0400, 0x0700);
    EXPECT_EQ(s.master_db, -40);
    EXPECT_EQ(s.mixer, STE_MIX_YM);
}

TEST_F(SteTest, ResetValues)
{
    microwire(0x0402, 0x07FF);
    ste_io.reset();
    EXPECT_EQ(s.mixer, STE_MIX_YM);
    EXPECT_EQ(s.dma_gain, 65536);
    EXPECT_EQ(s.master_db, 0);
    EXPECT_EQ(s.left_db, 0);
    EXPECT_EQ(s.right_db, 0);
    EXPECT_EQ(s.treble_db, -12);
    EXPECT_EQ(s.bass_db, -12);
    EXPECT_EQ(r8(STE_MW_MASK), 0u);
    EXPECT_EQ(ste_sampling_rate(&s, 0), 44100);
}

TEST_F(SteTest, AddressesStayInsideRamAndTheRegisterFile)
{
    std::memset(ram.data(), 5, ram.size());
    frame(0xFFFFF0, 0xFFFFFF, 0x81);  // above 512 KB: RAM repeats
    w8(STE_CONTROL, STE_PLAY);
    EXPECT_EQ(left(render(4)[3]), 320);
    // The IO page reaches past the last register.
    w8(0x3F, 0x12);
    EXPECT_EQ(r8(0x3F), 0u);
    EXPECT_EQ(ste_io.r_long(STE + 0x24, 0), 0u);
}

}  // namespace
