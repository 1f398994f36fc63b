// Small replay programs run on the 68000 core with the chips plugged, the
// way the engine drives them: init once, then play once per replay frame,
// timer interrupts delivered after it, then the chips render the frame.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "sc68/chips/mfp68901.h"
#include "sc68/chips/paula.h"
#include "sc68/chips/ste_sound.h"
#include "sc68/chips/ym2149.h"
#include "sc68/cpu/emu68.h"

namespace {

constexpr uint32_t FRAME = 160256;
constexpr uint32_t INIT = 0x8000;
constexpr uint32_t PLAY = 0x8100;
constexpr uint32_t HANDLER = 0x8300;
constexpr uint32_t COUNTER = 0x2000;

int16_t left(uint32_t frame) { return static_cast<int16_t>(frame & 0xFFFF); }
int16_t right(uint32_t frame) { return static_cast<int16_t>(frame >> 16); }

class ReplayTest : public ::testing::Test {
protected:
    emu68_t emu{};
    std::vector<uint8_t> mem = std::vector<uint8_t>(EMU68_MEMSIZE + EMU68_MEMSPARE, 0);

    void SetUp() override
    {
        ASSERT_EQ(EMU68_init(&emu, mem.data(), EMU68_MEMSIZE), 0);
        ym_chip.rate = paula_chip.rate = ste_chip.rate = 0;
        ym_init(&ym_chip);
        mfp_init(&mfp_chip);
        paula_init(&paula_chip);
        ste_init(&ste_chip);
    }

    void TearDown() override { EMU68_kill(&emu); }

    void plug(std::initializer_list<io68_t*> chips, io68_t* int_chip)
    {
        for (io68_t* io : chips)
            ASSERT_EQ(EMU68_ioplug(&emu, io), 0);
        EMU68_set_interrupt_io(&emu, int_chip);
        EMU68_reset(&emu);
    }

    void code(uint32_t addr, std::initializer_list<uint16_t> words)
    {
        for (uint16_t w : words) {
            mem[addr++] = static_cast<uint8_t>(w >> 8);
            mem[addr++] = static_cast<uint8_t>(w);
        }
    }

    void run(uint32_t pc, uint32_t cycles)
    {
        reg68_t r;
        EMU68_get_registers(&emu, &r);
        r.pc = pc;
        r.sr = 0x2300;
        r.a[7] = EMU68_MEMSIZE - 16;
        EMU68_set_registers(&emu, &r);
        ASSERT_EQ(EMU68_run(&emu, cycles), 0);
    }

    uint32_t counter() const
    {
        return static_cast<uint32_t>(mem[COUNTER]) << 24 | mem[COUNTER + 1] << 16 | mem[COUNTER + 2] << 8 |
               mem[COUNTER + 3];
    }

    // The engine's YM path: render the frame's cycles, each sample to both halves.
    std::vector<int32_t> ym_frame()
    {
        const int n = ym_render(&ym_chip, FRAME);
        return std::vector<int32_t>(ym_output(&ym_chip), ym_output(&ym_chip) + n);
    }
};

TEST_F(ReplayTest, PaulaDoubleBufferedChannel)
{
    std::memset(&mem[0x10000], 20, 0x200);
    std::memset(&mem[0x20000], 40, 0x2);
    code(INIT, {
        0x23FC, 0x0001, 0x0000, 0x00DF, 0xF0A0,  // move.l #$10000,$DFF0A0
        0x33FC, 0x0100, 0x00DF, 0xF0A4,          // move.w #$100,$DFF0A4
        0x33FC, 0x01AC, 0x00DF, 0xF0A6,          // move.w #428,$DFF0A6
        0x33FC, 0x0040, 0x00DF, 0xF0A8,          // move.w #64,$DFF0A8
        0x33FC, 0x8201, 0x00DF, 0xF096,          // move.w #$8201,$DFF096
        0x4E75,                                  // rts
    });
    code(PLAY, {
        0x23FC, 0x0002, 0x0000, 0x00DF, 0xF0A0,  // move.l #$20000,$DFF0A0
        0x33FC, 0x0001, 0x00DF, 0xF0A4,          // move.w #1,$DFF0A4
        0x4E75,                                  // rts
    });
    plug({&paula_io}, nullptr);
    run(INIT, 0);
    run(PLAY, FRAME);

    // 512 bytes at 1,553 / 8,192 bytes per frame: the first block lasts
    // 2,701 frames, then the queued two-byte loop plays. Over the block's
    // last byte (frames 2,696 to 2,700) the neighbour is the loop's first.
    std::vector<uint32_t> out(883);
    int loud = 0;
    int looped = 0;
    for (int f = 0; f < 4; ++f) {
        paula_render(&paula_chip, out.data(), mem.data(), static_cast<int>(out.size()));
        for (uint32_t s : out) {
            EXPECT_EQ(right(s), 0);
            loud += left(s) == 20 * 128;
            looped += left(s) == 40 * 128;
        }
        run(PLAY, FRAME);
    }
    EXPECT_EQ(loud, 2696);
    EXPECT_EQ(loud + looped, 4 * 883 - 5);
}

TEST_F(ReplayTest, YmVolumeChangedInsideATimerInterrupt)
{
    code(INIT, {
        0x21FC, 0x0000, 0x8300, 0x0134,  // move.l #HANDLER,$134.w (timer A)
        0x13FC, 0x0020, 0x00FF, 0xFA07,  // move.b #$20,$FFFA07
        0x13FC, 0x0020, 0x00FF, 0xFA13,  // move.b #$20,$FFFA13
        0x13FC, 0x00F6, 0x00FF, 0xFA1F,  // move.b #246,$FFFA1F
        0x13FC, 0x0004, 0x00FF, 0xFA19,  // move.b #4,$FFFA19 (prescaler 50)
        0x4E75,                          // rts
    });
    code(PLAY, {
        0x23FC, 0x0700, 0x3F00, 0x00FF, 0x8800,  // move.l #$07003F00,$FF8800
        0x23FC, 0x0800, 0x0F00, 0x00FF, 0x8800,  // move.l #$08000F00,$FF8800
        0x4E75,                                  // rts
    });
    code(HANDLER, {
        0x13FC, 0x0008, 0x00FF, 0x8800,  // move.b #8,$FF8800
        0x13FC, 0x0000, 0x00FF, 0x8802,  // move.b #0,$FF8802
        0x52B8, 0x2000,                  // addq.l #1,$2000.w
        0x4E73,                          // rte
    });
    plug({&shifter_io, &ym_io, &mfp_io}, &mfp_io);
    run(INIT, 0);
    run(PLAY, FRAME);

    // 246 x 31,250 units = 40,039.06 cycles: interrupts at cycles 40,040,
    // 80,079, 120,118 and 160,157; the first lands at tick 1,251, inside
    // group 312.
    EXPECT_EQ(counter(), 4u);
    const auto out = ym_frame();
    ASSERT_EQ(out.size(), 884u);
    for (size_t i = 0; i < out.size(); ++i) {
        const uint64_t group = i * 92879 >> 16;
        if (group < 312) {
            EXPECT_EQ(out[i], 14931) << i;
        } else if (group == 312) {
            EXPECT_EQ(out[i], (3 * 14931 - 14931) / 4) << i;
        } else {
            EXPECT_EQ(out[i], -14931) << i;
        }
    }

    // The next frame: the timer keeps its own time across the frame boundary.
    run(PLAY, FRAME);
    EXPECT_EQ(counter(), 8u);
    EXPECT_EQ(ym_frame().size(), 884u);
}

TEST_F(ReplayTest, TimerDInterruptsCountedByTheHandler)
{
    code(INIT, {
        0x21FC, 0x0000, 0x8300, 0x0110,  // move.l #HANDLER,$110.w (timer D)
        0x13FC, 0x0010, 0x00FF, 0xFA09,  // move.b #$10,$FFFA09
        0x13FC, 0x0010, 0x00FF, 0xFA15,  // move.b #$10,$FFFA15
        0x13FC, 0x0001, 0x00FF, 0xFA25,  // move.b #1,$FFFA25
        0x13FC, 0x0001, 0x00FF, 0xFA1D,  // move.b #1,$FFFA1D
        0x4E75,                          // rts
    });
    code(PLAY, {0x4E75});
    code(HANDLER, {
        0x52B8, 0x2000,  // addq.l #1,$2000.w
        0x4E73,          // rte
    });
    plug({&shifter_io, &ym_io, &mfp_io}, &mfp_io);
    run(INIT, 0);
    EXPECT_EQ(counter(), 0u);  // no interrupts during init
    run(PLAY, FRAME);
    EXPECT_EQ(counter(), 12307u);
}

TEST_F(ReplayTest, SteDmaMixedOverTheYm)
{
    std::memset(&mem[0x10000], 127, 0x10000);
    code(INIT, {
        0x33FC, 0x07FF, 0x00FF, 0x8924,  // move.w #$07FF,$FF8924
        0x33FC, 0x0402, 0x00FF, 0x8922,  // move.w #$0402,$FF8922 (mixer 2)
        0x13FC, 0x0001, 0x00FF, 0x8903,  // move.b #1,$FF8903
        0x13FC, 0x0000, 0x00FF, 0x8905,  // move.b #0,$FF8905
        0x13FC, 0x0000, 0x00FF, 0x8907,  // move.b #0,$FF8907
        0x13FC, 0x0002, 0x00FF, 0x890F,  // move.b #2,$FF890F
        0x13FC, 0x0000, 0x00FF, 0x8911,  // move.b #0,$FF8911
        0x13FC, 0x0000, 0x00FF, 0x8913,  // move.b #0,$FF8913
        0x13FC, 0x0081, 0x00FF, 0x8921,  // move.b #$81,$FF8921
        0x33FC, 0x0013, 0x00FF, 0x8900,  // move.w #$0013,$FF8900
        0x4E75,                          // rts
    });
    code(PLAY, {
        0x23FC, 0x0800, 0x0F00, 0x00FF, 0x8800,  // move.l #$08000F00,$FF8800
        0x4E75,                                  // rts
    });
    plug({&shifter_io, &ym_io, &mfp_io, &ste_io}, &mfp_io);
    run(INIT, 0);
    run(PLAY, FRAME);
    const auto ym = ym_frame();
    std::vector<uint32_t> buf(ym.begin(), ym.end());
    ste_render(&ste_chip, buf.data(), mem.data(), static_cast<int>(buf.size()));
    for (uint32_t f : buf) {
        EXPECT_EQ(left(f), 32512);  // the YM is disconnected
        EXPECT_EQ(right(f), 32512);
    }
    EXPECT_EQ(EMU68_read8(&emu, 0xFF890D), 884u * 72 >> 8);
}

}  // namespace
