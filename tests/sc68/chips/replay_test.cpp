// Small replay programs run on the 68000 core with the chips plugged, the
// way the engine drives them: init once, then play once per replay frame,
// timer interrupts delivered after it, then the chips render the frame.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "sc68/chips/mfp68901.h"
#include "sc68/chips/ym2149.h"
#include "sc68/cpu/emu68.h"

namespace {

constexpr uint32_t FRAME = 160256;
constexpr uint32_t INIT = 0x8000;
constexpr uint32_t PLAY = 0x8100;
constexpr uint32_t HANDLER = 0x8300;
constexpr uint32_t COUNTER = 0x2000;

class ReplayTest : public ::testing::Test {
protected:
    emu68_t emu{};
    std::vector<uint8_t> mem = std::vector<uint8_t>(EMU68_MEMSIZE + EMU68_MEMSPARE, 0);

    void SetUp() override
    {
        ASSERT_EQ(EMU68_init(&emu, mem.data(), EMU68_MEMSIZE), 0);
        ym_chip.rate = 0;
        ym_init(&ym_chip);
        mfp_init(&mfp_chip);
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

    // The engine's YM path: render the frame's cycles.
    std::vector<int32_t> ym_frame()
    {
        const int n = ym_render(&ym_chip, FRAME);
        return std::vector<int32_t>(ym_output(&ym_chip), ym_output(&ym_chip) + n);
    }
};

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

}  // namespace
