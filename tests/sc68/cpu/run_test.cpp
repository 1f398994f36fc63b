// The frame driver with its interrupt delivery and step limit, exception
// entry and return, the interpreter's own decisions, and the TRAP #14
// handler.
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

TEST_F(Run, InterruptDueMidFrameRunsAfterTheRoutineAtLevelSix) {
  // handler: move.w sr,$4000 ; move.b #2,$fffa03 ; rte
  words(HANDLER, {0x40F9, 0x0000, 0x4000, 0x13FC, 0x0002, 0x00FF, 0xFA03, 0x4E73});
  const uint32_t sp = emu.reg.a[7];
  ASSERT_EQ(EMU68_run(&emu, FRAME), 0);
  ASSERT_EQ(timer.writes, 2);
  EXPECT_EQ(timer.write_addr[0], 0xFFFA01u);
  EXPECT_EQ(timer.write_cycle[0], 0u) << "the routine runs from cycle 0";
  EXPECT_EQ(timer.write_addr[1], 0xFFFA03u);
  EXPECT_EQ(timer.write_cycle[1], 80000u) << "the handler runs with the counter at its position";
  EXPECT_EQ(EMU68_read16(&emu, 0x4000), 0x2600u);
  EXPECT_EQ(EMU68_read32(&emu, sp - 4), EMU68_INT_RETURN) << "magic return address under the frame";
  EXPECT_EQ(EMU68_read16(&emu, sp - 6), 0x2300u);
  EXPECT_EQ(emu.reg.pc, PROG_ADDR);
  EXPECT_EQ(emu.reg.a[7], sp);
  EXPECT_EQ(emu.reg.sr, 0x2300u);
  EXPECT_EQ(emu.reg.cycle, FRAME);
  EXPECT_EQ(EMU68_error_get(&emu, 0), nullptr) << "the return slot is never executed";
}

TEST_F(Run, NoInterruptAtOrBeyondTheFrameEndOrWithTheMaskHigh) {
  const struct {
    uint32_t due, sr, cycles;
  } cases[] = {{FRAME, 0x2300, FRAME}, {100, 0x2600, FRAME}, {0, 0x2300, 0}};  // an init run has no room
  for (const auto& c : cases) {
    timer = {};
    timer.due = c.due;
    emu.reg.sr = c.sr;
    ASSERT_EQ(EMU68_run(&emu, c.cycles), 0);
    EXPECT_EQ(timer.writes, 1) << c.due;
  }
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

// The driver skips its return test after instructions that cannot move A7;
// each of these can, and the run must end right after it, before the write.
TEST_F(Run, RunEndsRightAfterTheInstructionThatTakesA7BackToItsTop) {
  const std::initializer_list<uint16_t> pops[] = {
      {0x201F},          // move.l (a7)+,d0
      {0x205F},          // movea.l (a7)+,a0
      {0xD09F},          // add.l (a7)+,d0
      {0x4A9F},          // tst.l (a7)+
      {0x588F},          // addq.l #4,a7
      {0x4FEF, 0x0004},  // lea 4(a7),a7
  };
  for (const auto& pop : pops) {
    words(PROG_ADDR, pop);
    // move.w #1,$4000 ; rts
    words(PROG_ADDR + 2 * uint32_t(pop.size()), {0x33FC, 0x0001, 0x0000, 0x4000, 0x4E75});
    EMU68_write16(&emu, 0x4000, 0);
    ASSERT_EQ(EMU68_run(&emu, 0), 0);
    EXPECT_EQ(w(0x4000), 0u) << std::hex << *pop.begin();
  }
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

// ------------------------------------------- what the instruction vectors leave out

class Exc : public Cpu {
 protected:
  void SetUp() override {
    Cpu::SetUp();
    for (uint32_t v = 0x08; v < 0xC0; v += 4) EMU68_write32(&emu, v, HANDLER + v);
  }
  void start(std::initializer_list<uint16_t> code, uint32_t d0, uint32_t d1, uint32_t sr) {
    words(PROG_ADDR, code);
    emu.reg.pc = PROG_ADDR;
    emu.reg.a[7] = 0x7000;
    emu.reg.d[0] = d0;
    emu.reg.d[1] = d1;
    emu.reg.sr = sr;
    EMU68_error_clear(&emu);
  }
};

// Flags and results the vectors cannot tell apart or do not hold: the
// extended arithmetic's zero flag, divide overflow, decimal arithmetic
// (none: the memory forms only move their address registers), the user
// stack pointer, STOP.
TEST_F(Exc, InstructionsWithoutVectors) {
  const struct {
    const char* what;
    std::initializer_list<uint16_t> code;
    uint32_t d0, d1, sr;
    int steps;
    uint32_t want_d0, want_sr;
  } cases[] = {
      {"negx.l d0 keeps Z on zero", {0x4080}, 0, 0, 0x2704, 1, 0, 0x2704},
      {"negx.l d0 never sets Z", {0x4080}, 0, 0, 0x2700, 1, 0, 0x2700},
      {"negx.l d0 with X", {0x4080}, 0, 0, 0x2714, 1, 0xFFFFFFFF, 0x2719},
      {"negx.b d0", {0x4000}, 0x1234, 0, 0x2704, 1, 0x12CC, 0x2719},
      {"addx.l d1,d0 sets Z from the result", {0xD181}, 0xFFFFFFFF, 1, 0x2700, 1, 0, 0x2715},
      {"subx.l d1,d0 sets Z from the result", {0x9181}, 1, 1, 0x2700, 1, 0, 0x2704},
      {"divu.w #1,d0 overflows", {0x80FC, 0x0001}, 0x10000, 0, 0x2701, 1, 0x10000, 0x2702},
      {"divs.w #-1,d0 of the most negative", {0x81FC, 0xFFFF}, 0x80000000, 0, 0x2701, 1, 0x80000000, 0x2706},
      {"divs.w #2,d0: quotient past 16 bits", {0x81FC, 0x0002}, 100000, 0, 0x2700, 1, 100000, 0x2706},
      {"divs.w #1,d0 of -32768 fits", {0x81FC, 0x0001}, 0xFFFF8000, 0, 0x2700, 1, 0x00008000, 0x2708},
      {"abcd d1,d0 does nothing", {0xC101}, 0x19, 0x28, 0x2715, 1, 0x19, 0x2715},
      {"exg d0,a0 ; sbcd -(a0),-(a0) ; exg d0,a0", {0xC188, 0x8108, 0xC188}, 0x5000, 0, 0x2715, 3, 0x4FFC, 0x2715},
      {"exg d0,a0 ; nbcd (a0)+ ; exg d0,a0", {0xC188, 0x4818, 0xC188}, 0x5000, 0, 0x2715, 3, 0x5001, 0x2715},
      {"move.l d0,a0 ; move a0,usp ; move usp,a1 ; move.l a1,d1 ; move.l d1,d0",
       {0x2040, 0x4E60, 0x4E69, 0x2209, 0x2001}, 0x5555, 0, 0x2700, 5, 0x5555, 0x2700},
      {"stop #$2314 ; moveq #5,d0", {0x4E72, 0x2314, 0x7005}, 0, 0, 0x2700, 2, 5, 0x2310},
  };
  for (const auto& c : cases) {
    start(c.code, c.d0, c.d1, c.sr);
    for (int i = 0; i < c.steps; ++i) EMU68_step(&emu);
    EXPECT_EQ(emu.reg.d[0], c.want_d0) << c.what;
    EXPECT_EQ(emu.reg.sr, c.want_sr) << c.what;
  }
}

TEST_F(Exc, ExceptionsStackPcAndSrAndRaiseTheMask) {
  const struct {
    std::initializer_list<uint16_t> code;
    uint32_t d0;
    uint32_t vector;       // 0 for none
    uint32_t stacked_pc;   // offset from the instruction
    bool logged;           // "Illegal" on the error list
  } cases[] = {
      {{0x41BC, 0x000A}, 0xFFFF, 0x18, 4, false},  // chk.w #10,d0 below zero
      {{0x41BC, 0x000A}, 11, 0x18, 4, false},      // above the bound
      {{0x41BC, 0x000A}, 10, 0, 4, false},
      {{0x41BC, 0x000A}, 0, 0, 4, false},
      {{0x41BC, 0x000A}, 0xFFFF0005, 0, 4, false},  // a word operand
      {{0x80FC, 0x0000}, 55, 0x14, 4, false},       // divu.w #0,d0: the next instruction
      {{0x4AFC}, 0, 0x10, 0, true},                 // illegal
      {{0x4E74}, 0, 0x10, 0, true},                 // rtd is not a 68000 instruction
      {{0x4E7A}, 0, 0x10, 0, true},                 // nor is movec
      {{0xA000}, 0, 0x28, 0, false},
      {{0xF000}, 0, 0x2C, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << *c.code.begin() << " d0 " << c.d0);
    start(c.code, c.d0, 0, 0x230F);
    EMU68_step(&emu);
    EXPECT_EQ(emu.reg.d[0], c.d0);
    if (!c.vector) {
      EXPECT_EQ(emu.reg.pc, PROG_ADDR + c.stacked_pc);
      EXPECT_EQ(emu.reg.sr, 0x230Fu);
      continue;
    }
    EXPECT_EQ(emu.reg.pc, HANDLER + c.vector);
    EXPECT_EQ(emu.reg.a[7], 0x7000u - 6);
    EXPECT_EQ(EMU68_read16(&emu, 0x7000 - 6), 0x230Fu);
    EXPECT_EQ(EMU68_read32(&emu, 0x7000 - 4), PROG_ADDR + c.stacked_pc);
    EXPECT_EQ(emu.reg.sr, 0x270Fu) << "interrupt mask 7 on entry";
    if (c.logged) EXPECT_STREQ(EMU68_error_get(&emu, 0), "Illegal pc:001000");
    else EXPECT_EQ(EMU68_error_get(&emu, 0), nullptr);
  }
}

TEST_F(Exc, ResetIsTheProcessorReset) {
  for (int i = 0; i < 8; ++i) emu.reg.d[i] = emu.reg.a[i] = 9;
  start({0x4E70}, 9, 9, 0x2000);
  EMU68_step(&emu);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(emu.reg.d[i], 0u) << i;
  for (int i = 0; i < 7; ++i) EXPECT_EQ(emu.reg.a[i], 0u) << i;
  EXPECT_EQ(emu.reg.a[7], EMU68_MEMSIZE - 4);
  EXPECT_EQ(emu.reg.pc, 0u);
  EXPECT_EQ(emu.reg.sr, 0x2700u);
}

// ---------------------------------------------------------------- TRAP #14

// Each call enters the handler as a TRAP #14 would: SR, the return PC, then
// the function number and its arguments on the stack.
TEST_F(Run, Trap14SystemCalls) {
  ASSERT_EQ(EMU68_memput(&emu, TRAP14_ADDR, trap14_code, uint32_t(trap14_code_size)), 0);
  timer.regs[0x17] = 0x40;  // vector base 0x100
  timer.regs[0x1D] = 0x70;  // timer C running, D stopped
  auto call = [&](std::initializer_list<uint16_t> args) {
    words(0x7000, {0x2300, 0x0000, uint16_t(PROG_ADDR)});
    words(0x7006, args);
    emu.reg.pc = TRAP14_ADDR;
    emu.reg.a[7] = 0x7000 + 4;  // the run takes the slot of a return address
    ASSERT_EQ(EMU68_run(&emu, 0), 0) << EMU68_error_get(&emu, 0);
  };
  // move.l #$abcd,$4000 ; moveq #9,d1 ; rts
  words(0x5000, {0x23FC, 0x0000, 0xABCD, 0x0000, 0x4000, 0x7209, 0x4E75});
  emu.reg.d[1] = 1;
  call({0x26, 0x0000, 0x5000});
  EXPECT_EQ(l(0x4000), 0xABCDu) << "0x26 runs the routine";
  EXPECT_EQ(emu.reg.d[1], 1u) << "0x26 keeps the caller's registers";

  call({0x1F, 0, 1, 123, 0x0000, 0x5000});  // timer A: control 1, data 123
  call({0x1F, 3, 5, 40, 0x0000, 0x5100});   // timer D
  call({0x1F, 2, 3, 50, 0x0000, 0x5200});   // timer C
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

  const uint32_t code_end = TRAP14_ADDR + uint32_t(trap14_code_size);
  call({0x22});
  const uint32_t kbdv = emu.reg.d[0];
  ASSERT_GE(kbdv, TRAP14_ADDR);
  ASSERT_LT(kbdv + 36, code_end);
  for (uint32_t i = 0; i < 9; ++i) EXPECT_EQ(w(l(kbdv + 4 * i)), 0x4E75u) << "vector " << i << " is an RTS";
  call({0x0E, 1});
  EXPECT_GE(emu.reg.d[0], TRAP14_ADDR);
  EXPECT_LT(emu.reg.d[0], code_end);
  emu.reg.d[0] = uint32_t(-7);
  call({0x99});
  EXPECT_EQ(emu.reg.d[0], uint32_t(-7)) << "unknown functions return at once";
}

}  // namespace
