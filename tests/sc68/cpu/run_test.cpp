// The frame driver with its interrupt delivery and step limit, exception
// entry and return, the interpreter's own decisions, and the TRAP #14
// handler.
#include <cstring>
#include <string>

#include "tests/sc68/cpu/cpu_fixture.h"

namespace {

constexpr uint32_t HANDLER = 0x3000;
constexpr uint32_t FRAME = 160256;

// A timer chip on the MFP page: one interrupt at a chosen cycle per frame,
// a byte register file, and a log of the cycle of every write.
struct Timer {
  uint32_t due;  // cycle of the interrupt, or FRAME+ for none
  int fired;
  uint32_t write_cycle[8];
  uint32_t write_addr[8];
  int writes;
  uint32_t adjusted[4];
  int adjusts;
  uint8_t regs[256];
};
Timer timer;

uint32_t t_rb(uint32_t a, uint32_t) { return timer.regs[a & 0xFF]; }
void t_wb(uint32_t a, uint32_t v, uint32_t c) {
  timer.regs[a & 0xFF] = uint8_t(v);
  if (timer.writes < 8) {
    timer.write_cycle[timer.writes] = c;
    timer.write_addr[timer.writes] = a;
    ++timer.writes;
  }
}
bool t_interrupt(uint32_t cycle, int68_t* out) {
  if (cycle < timer.due || timer.fired) return false;
  ++timer.fired;
  out->vector = 0x134;
  out->level = 6;
  return true;
}
int32_t t_next(uint32_t cycle) { return timer.fired ? IO68_NO_INT : int32_t(timer.due - cycle); }
void t_adjust(uint32_t c) {
  if (timer.adjusts < 4) timer.adjusted[timer.adjusts++] = c;
  timer.fired = 0;
}
io68_t timer_io = {nullptr, "timer", 0xFFFA00, 0xFFFA2F, t_rb, nullptr, nullptr, t_wb, nullptr, nullptr,
                   t_interrupt, t_next, t_adjust, nullptr};

class Run : public Cpu {
 protected:
  void SetUp() override {
    Cpu::SetUp();
    timer = {};
    timer.due = 80000;
    ASSERT_EQ(EMU68_ioplug(&emu, &timer_io), 0);
    EMU68_set_interrupt_io(&emu, &timer_io);
    EMU68_write32(&emu, 0x134, HANDLER);
    // routine: move.b #1,$fffa01 ; rts
    words(PROG_ADDR, {0x13FC, 0x0001, 0x00FF, 0xFA01, 0x4E75});
    // handler: move.b #2,$fffa03 ; rte
    words(HANDLER, {0x13FC, 0x0002, 0x00FF, 0xFA03, 0x4E73});
    emu.reg.pc = PROG_ADDR;
    emu.reg.sr = 0x2300;
  }
  void TearDown() override { EMU68_ioplug_unplug_all(&emu); }
};

TEST_F(Run, InterruptDueMidFrameRunsAfterTheRoutineAtItsCycle) {
  const uint32_t sp = emu.reg.a[7];
  ASSERT_EQ(EMU68_run(&emu, FRAME), 0);
  ASSERT_EQ(timer.writes, 2);
  EXPECT_EQ(timer.write_addr[0], 0xFFFA01u);
  EXPECT_EQ(timer.write_cycle[0], 0u) << "the routine runs from cycle 0";
  EXPECT_EQ(timer.write_addr[1], 0xFFFA03u);
  EXPECT_EQ(timer.write_cycle[1], 80000u) << "the handler runs with the counter at its position";
  EXPECT_EQ(EMU68_read32(&emu, sp - 4), EMU68_INT_RETURN) << "magic return address under the frame";
  EXPECT_EQ(EMU68_read16(&emu, sp - 6), 0x2300u);
  EXPECT_EQ(emu.reg.pc, PROG_ADDR);
  EXPECT_EQ(emu.reg.a[7], sp);
  EXPECT_EQ(emu.reg.sr, 0x2300u);
  EXPECT_EQ(emu.reg.cycle, FRAME);
  EXPECT_EQ(EMU68_error_get(&emu, 0), nullptr) << "the return slot is never executed";
}

TEST_F(Run, HandlerRunsAtLevelSixWithSrStacked) {
  // handler: move.w sr,$4000 ; rte
  words(HANDLER, {0x40F9, 0x0000, 0x4000, 0x4E73});
  ASSERT_EQ(EMU68_run(&emu, FRAME), 0);
  EXPECT_EQ(EMU68_read16(&emu, 0x4000), 0x2600u);
}

TEST_F(Run, NoInterruptAtOrBeyondTheFrameEndOrWithTheMaskHigh) {
  timer.due = FRAME;
  ASSERT_EQ(EMU68_run(&emu, FRAME), 0);
  EXPECT_EQ(timer.writes, 1);
  timer = {};
  timer.due = 100;
  emu.reg.sr = 0x2600;
  ASSERT_EQ(EMU68_run(&emu, FRAME), 0);
  EXPECT_EQ(timer.writes, 1);
  // An init run has no room for interrupts.
  timer = {};
  timer.due = 0;
  emu.reg.sr = 0x2300;
  ASSERT_EQ(EMU68_run(&emu, 0), 0);
  EXPECT_EQ(timer.writes, 1);
}

TEST_F(Run, ChipsAreToldTheLengthOfThePreviousRun) {
  ASSERT_EQ(EMU68_run(&emu, FRAME), 0);
  ASSERT_EQ(EMU68_run(&emu, 133344), 0);
  ASSERT_EQ(EMU68_run(&emu, FRAME), 0);
  ASSERT_EQ(timer.adjusts, 3);
  EXPECT_EQ(timer.adjusted[0], 0u);
  EXPECT_EQ(timer.adjusted[1], FRAME);
  EXPECT_EQ(timer.adjusted[2], 133344u);
}

TEST_F(Run, RoutineThatNeverReturnsEndsTheRunWithAnError) {
  words(PROG_ADDR, {0x60FE});  // bra.s *
  emu.step_limit = 10000;
  const uint32_t sp = emu.reg.a[7];
  EXPECT_LT(EMU68_run(&emu, FRAME), 0);
  ASSERT_NE(EMU68_error_get(&emu, 0), nullptr);
  EXPECT_NE(std::string(EMU68_error_get(&emu, 0)).find("did not return"), std::string::npos);
  EXPECT_EQ(emu.reg.pc, PROG_ADDR);
  EXPECT_EQ(emu.reg.a[7], sp);
  EXPECT_EQ(emu.reg.cycle, FRAME);
  EXPECT_EQ(timer.writes, 0) << "no interrupts after a runaway routine";

  words(PROG_ADDR, {0x4E75});
  words(HANDLER, {0x60FE});
  EXPECT_LT(EMU68_run(&emu, FRAME), 0) << "a runaway interrupt handler as well";
  EXPECT_EQ(emu.reg.a[7], sp);
  EXPECT_EQ(EMU68_STEP_LIMIT, 1u << 25);
}

TEST_F(Run, RoutineAndItsInterruptsShareOneStepBudget) {
  // routine and handler: 300 turns of a DBF loop, 302 steps each; two polls
  words(PROG_ADDR, {0x303C, 299, 0x51C8, 0xFFFE, 0x4E75});
  words(HANDLER, {0x303C, 299, 0x51C8, 0xFFFE, 0x4E73});
  const struct {
    uint32_t limit;
    bool ok;
  } cases[] = {{606, true}, {605, false}, {400, false}};
  for (const auto& c : cases) {
    timer.fired = 0;
    emu.step_limit = c.limit;
    EXPECT_EQ(EMU68_run(&emu, FRAME) == 0, c.ok) << c.limit;
    EXPECT_EQ(emu.steps, c.ok ? 606u : c.limit) << c.limit;
  }
  EXPECT_STREQ(EMU68_error_get(&emu, 0), "EMU68_run : timer interrupts never end (vector 000134, pc:003004)");
}

// A chip whose next interrupt is always "now" but never comes.
int32_t stuck_next(uint32_t) { return 0; }
bool stuck_interrupt(uint32_t, int68_t*) { return false; }
io68_t stuck_io = {nullptr, "stuck", 0xFFFA00, 0xFFFA2F, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   stuck_interrupt, stuck_next, nullptr, nullptr};

TEST_F(Run, InterruptChipThatNeverIdlesEndsTheRun) {
  EMU68_ioplug_unplug_all(&emu);
  ASSERT_EQ(EMU68_ioplug(&emu, &stuck_io), 0);
  EMU68_set_interrupt_io(&emu, &stuck_io);
  emu.step_limit = 1000;
  EXPECT_LT(EMU68_run(&emu, FRAME), 0);
  EXPECT_STREQ(EMU68_error_get(&emu, 0), "EMU68_run : stuck interrupts never end");
  EXPECT_EQ(emu.reg.pc, PROG_ADDR);
  EXPECT_EQ(emu.reg.cycle, FRAME);
}

// ---------------------------------------------------------------- exceptions

class Exc : public Cpu {
 protected:
  void SetUp() override {
    Cpu::SetUp();
    for (uint32_t v = 0x08; v < 0xC0; v += 4) EMU68_write32(&emu, v, HANDLER + v);
    emu.reg.pc = PROG_ADDR;
    emu.reg.a[7] = 0x7000;
  }
  // Checks the six-byte frame and the entry state after one step.
  void expect_frame(uint32_t vector, uint32_t stacked_pc, uint32_t stacked_sr) {
    EXPECT_EQ(emu.reg.pc, HANDLER + vector);
    EXPECT_EQ(emu.reg.a[7], 0x7000u - 6);
    EXPECT_EQ(EMU68_read16(&emu, 0x7000 - 6), stacked_sr);
    EXPECT_EQ(EMU68_read32(&emu, 0x7000 - 4), stacked_pc);
    EXPECT_EQ(emu.reg.sr, (stacked_sr & 0x50FF) | 0x2700) << "interrupt mask 7 on entry";
  }
};

TEST_F(Exc, TrapStacksTheNextPcAndSr) {
  words(PROG_ADDR, {0x4E4E});  // trap #14
  emu.reg.sr = 0x2015;
  EMU68_step(&emu);
  expect_frame(0xB8, PROG_ADDR + 2, 0x2015);
  words(HANDLER + 0xB8, {0x4E73});  // rte
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.pc, PROG_ADDR + 2);
  EXPECT_EQ(emu.reg.sr, 0x2015u);
  EXPECT_EQ(emu.reg.a[7], 0x7000u);
}

TEST_F(Exc, IllegalAndLineAFStackTheOpcodeAddress) {
  const struct {
    uint16_t op;
    uint32_t vector;
  } cases[] = {{0x4AFC, 0x10}, {0x4E74, 0x10}, {0xA000, 0x28}, {0xF000, 0x2C}, {0x4E7A, 0x10}};
  for (auto& c : cases) {
    emu.reg.pc = PROG_ADDR;
    emu.reg.a[7] = 0x7000;
    emu.reg.sr = 0x2304;
    EMU68_error_clear(&emu);
    words(PROG_ADDR, {c.op});
    EMU68_step(&emu);
    expect_frame(c.vector, PROG_ADDR, 0x2304);
    if (c.vector == 0x10) EXPECT_STREQ(EMU68_error_get(&emu, 0), "Illegal pc:001000") << std::hex << c.op;
    else EXPECT_EQ(EMU68_error_get(&emu, 0), nullptr);
  }
}

TEST_F(Exc, ChkOutsideTheBoundKeepsTheFlags) {
  const struct {
    uint32_t d0;
    bool raises;
  } cases[] = {{0xFFFF, true}, {11, true}, {10, false}, {0, false}, {0xFFFF0005, false}};
  for (auto& c : cases) {
    emu.reg.pc = PROG_ADDR;
    emu.reg.a[7] = 0x7000;
    emu.reg.sr = 0x270F;
    emu.reg.d[0] = c.d0;
    words(PROG_ADDR, {0x41BC, 0x000A});  // chk.w #10,d0
    EMU68_step(&emu);
    if (c.raises) {
      expect_frame(0x18, PROG_ADDR + 4, 0x270F);
    } else {
      EXPECT_EQ(emu.reg.pc, PROG_ADDR + 4) << c.d0;
      EXPECT_EQ(emu.reg.sr, 0x270Fu);
    }
  }
}

TEST_F(Exc, TrapvOnlyWithOverflow) {
  words(PROG_ADDR, {0x4E76, 0x4E76});
  emu.reg.sr = 0x2000;
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.pc, PROG_ADDR + 2);
  emu.reg.sr = 0x2002;
  emu.reg.pc = PROG_ADDR;
  EMU68_step(&emu);
  expect_frame(0x1C, PROG_ADDR + 2, 0x2002);
}

TEST_F(Exc, LinkUnlinkAndReturns) {
  emu.reg.a[6] = 0x11223344;
  words(PROG_ADDR, {0x4E56, 0xFFF8, 0x4E5E});  // link a6,#-8 ; unlk a6
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.a[6], 0x7000u - 4);
  EXPECT_EQ(emu.reg.a[7], 0x7000u - 12);
  EXPECT_EQ(EMU68_read32(&emu, 0x7000 - 4), 0x11223344u);
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.a[6], 0x11223344u);
  EXPECT_EQ(emu.reg.a[7], 0x7000u);

  // RTR takes only the condition codes from the stacked word.
  words(0x7000 - 6, {0xFFFF, 0x0000, 0x2000});
  emu.reg.a[7] = 0x7000 - 6;
  emu.reg.sr = 0x2300;
  words(PROG_ADDR, {0x4E77});
  emu.reg.pc = PROG_ADDR;
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.sr, 0x231Fu);
  EXPECT_EQ(emu.reg.pc, 0x2000u);
  EXPECT_EQ(emu.reg.a[7], 0x7000u);
}

TEST_F(Exc, StopLoadsSrAndExecutionGoesOn) {
  words(PROG_ADDR, {0x4E72, 0x2314, 0x7005});  // stop #$2314 ; moveq #5,d0
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.sr, 0x2314u);
  EXPECT_TRUE(emu.stopped);
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.d[0], 5u);
}

TEST_F(Exc, ResetIsTheProcessorReset) {
  emu.reg.d[3] = 9;
  words(PROG_ADDR, {0x4E70});
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.d[3], 0u);
  EXPECT_EQ(emu.reg.pc, 0u);
  EXPECT_EQ(emu.reg.sr, 0x2700u);
  EXPECT_EQ(emu.reg.a[7], EMU68_MEMSIZE - 4);
}

TEST_F(Exc, NoDecimalArithmetic) {
  emu.reg.d[0] = 0x19;
  emu.reg.d[1] = 0x28;
  emu.reg.a[0] = 0x5000;
  emu.reg.a[1] = 0x5010;
  emu.reg.sr = 0x2715;
  EMU68_write8(&emu, 0x5000, 0x99);
  // abcd d1,d0 ; sbcd -(a1),-(a0) ; nbcd (a0)+
  words(PROG_ADDR, {0xC101, 0x8109, 0x4818});
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.d[0], 0x19u);
  EXPECT_EQ(emu.reg.sr, 0x2715u);
  EMU68_step(&emu);
  EXPECT_EQ(emu.reg.a[0], 0x4FFEu);
  EXPECT_EQ(emu.reg.a[1], 0x500Eu);
  emu.reg.a[0] = 0x5000;
  EMU68_step(&emu);
  EXPECT_EQ(EMU68_read8(&emu, 0x5000), 0x99u);
  EXPECT_EQ(emu.reg.a[0], 0x5001u);
  EXPECT_EQ(emu.reg.sr, 0x2715u);
}

// ---------------------------------------------------------------- TRAP #14

TEST_F(Run, Trap14SystemCalls) {
  ASSERT_EQ(trap14_code_size, 308u);
  ASSERT_EQ(EMU68_memput(&emu, TRAP14_ADDR, trap14_code, uint32_t(trap14_code_size)), 0);
  EMU68_write32(&emu, TRAP14_VECTOR, TRAP14_ADDR);
  timer.regs[0x17] = 0x40;  // vector base 0x100
  timer.regs[0x1D] = 0x70;  // timer C running, D stopped
  timer.due = FRAME;
  run_program("xbios");
  EXPECT_EQ(l(RESULTS), 1u) << "0x26 keeps the caller's registers";
  EXPECT_EQ(l(RESULTS + 4), 0xABCDu) << "0x26 runs the routine";

  EXPECT_EQ(l(0x134), 0x5000u) << "timer A vector";
  EXPECT_EQ(timer.regs[0x1F], 123);
  EXPECT_EQ(timer.regs[0x19], 1);
  EXPECT_EQ(l(0x110), 0x5100u) << "timer D vector";
  EXPECT_EQ(timer.regs[0x25], 40);
  EXPECT_EQ(l(0x114), 0x5200u) << "timer C vector";
  EXPECT_EQ(timer.regs[0x23], 50);
  EXPECT_EQ(timer.regs[0x1D], 0x35) << "C in the upper half, D in the lower";
  // Each timer's interrupt is enabled and unmasked in its bank.
  EXPECT_EQ(timer.regs[0x07], 0x20) << "IERA: timer A";
  EXPECT_EQ(timer.regs[0x13], 0x20) << "IMRA: timer A";
  EXPECT_EQ(timer.regs[0x09], 0x30) << "IERB: timers C and D";
  EXPECT_EQ(timer.regs[0x15], 0x30) << "IMRB: timers C and D";

  const uint32_t kbdv = l(RESULTS + 8);
  ASSERT_GE(kbdv, TRAP14_ADDR);
  ASSERT_LT(kbdv + 36, TRAP14_ADDR + 308);
  for (uint32_t i = 0; i < 9; ++i) EXPECT_EQ(w(l(kbdv + 4 * i)), 0x4E75u) << "vector " << i << " is an RTS";
  const uint32_t iorec = l(RESULTS + 12);
  EXPECT_GE(iorec, TRAP14_ADDR);
  EXPECT_LT(iorec, TRAP14_ADDR + 308);
  EXPECT_EQ(l(RESULTS + 16), uint32_t(-7)) << "unknown functions return at once";
}

}  // namespace
