// A small replay run on the 68000 core with the real MFP and YM plugged, the
// way the engine drives them: init once, then play once per replay frame,
// timer interrupts delivered after it, then the YM renders the frame.
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

TEST(Replay, YmVolumeChangedInsideATimerInterruptLandsAtItsCycle)
{
    std::vector<uint8_t> mem(EMU68_MEMSIZE + EMU68_MEMSPARE);
    emu68_t emu;
    ASSERT_EQ(EMU68_init(&emu, mem.data(), EMU68_MEMSIZE), 0);
    ym_chip.rate = 0;
    ym_init(&ym_chip);
    mfp_init(&mfp_chip);
    for (io68_t* io : {&shifter_io, &ym_io, &mfp_io})
        ASSERT_EQ(EMU68_ioplug(&emu, io), 0);
    EMU68_set_interrupt_io(&emu, &mfp_io);
    EMU68_reset(&emu);
    auto code = [&](uint32_t addr, std::initializer_list<uint16_t> words) {
        for (uint16_t w : words)
            EMU68_write16(&emu, (addr += 2) - 2, w);
    };
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
    auto run = [&](uint32_t pc, uint32_t cycles) {
        emu.reg.pc = pc;
        emu.reg.sr = 0x2300;
        emu.reg.a[7] = EMU68_MEMSIZE - 16;
        ASSERT_EQ(EMU68_run(&emu, cycles), 0);
    };
    run(INIT, 0);
    EXPECT_EQ(EMU68_read32(&emu, COUNTER), 0u) << "no interrupts during init";
    run(PLAY, FRAME);

    // 246 x 31,250 units = 40,039.06 cycles: interrupts at cycles 40,040,
    // 80,079, 120,118 and 160,157; the first lands at tick 1,251, inside
    // group 312 (of 62,500 a second; sample i holds group i x 62,500 / 44,100).
    EXPECT_EQ(EMU68_read32(&emu, COUNTER), 4u);
    int n = ym_render(&ym_chip, FRAME);
    ASSERT_EQ(n, 884);
    for (int i = 0; i < n; ++i) {
        const int group = i * 62500 / 44100;
        const int32_t want = group < 312 ? 14931 : group == 312 ? 14931 / 2 : -14931;
        EXPECT_EQ(ym_output(&ym_chip)[i], want) << i;
    }

    // The next frame: the timer keeps its own time across the frame boundary.
    run(PLAY, FRAME);
    EXPECT_EQ(EMU68_read32(&emu, COUNTER), 8u);
    EXPECT_EQ(ym_render(&ym_chip, FRAME), 884);
    EMU68_kill(&emu);
}

}  // namespace
