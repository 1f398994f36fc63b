// The 68000 emulator around its instructions: set-up, memory transfers, IO
// page decoding and chip plugging, the Shifter, the error list, the frame
// driver with its interrupt delivery and step limit, exception entry and
// return, the interpreter's own decisions, and the TRAP #14 handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sc68/cpu/emu68.h"

namespace {

constexpr uint32_t PROG_ADDR = 0x1000;
constexpr uint32_t HANDLER = 0x3000;
constexpr uint32_t FRAME = 160256;

// What the test chips saw, one entry per call: "r8 ff8800@1234",
// "w16 dff0a0=8001@1234", "reset", "adjust@160256".
std::string chip_log;

void note(const char* format, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) {
  char entry[48];
  snprintf(entry, sizeof entry, format, a, b, c);
  if (!chip_log.empty()) chip_log += ' ';
  chip_log += entry;
}

// A 512 KB machine, its memory dirty until the emulator clears it.
class Cpu : public ::testing::Test {
 protected:
  void SetUp() override {
    chip_log.clear();
    mem.assign(EMU68_MEMSIZE + EMU68_MEMSPARE, 0xAA);
    ASSERT_EQ(EMU68_init(&emu, mem.data(), EMU68_MEMSIZE), 0);
  }
  void TearDown() override { EMU68_ioplug_unplug_all(&emu); }

  // Loads 16-bit words at addr.
  void words(uint32_t addr, std::initializer_list<uint16_t> ws) {
    for (uint16_t w : ws) {
      EMU68_write16(&emu, addr, w);
      addr += 2;
    }
  }
  uint32_t w(uint32_t a) { return EMU68_read16(&emu, a); }
  uint32_t l(uint32_t a) { return EMU68_read32(&emu, a); }

  std::vector<uint8_t> mem;
  emu68_t emu;
};

// ---------------------------------------------------------------- the bus

// Two chips that only log: one with every handler, one with byte handlers.
uint32_t p_rb(uint32_t a, uint32_t c) { note("r8 %x@%u", a, c); return 0x5A; }
uint32_t p_rw(uint32_t a, uint32_t c) { note("r16 %x@%u", a, c); return 0x5A5B; }
uint32_t p_rl(uint32_t a, uint32_t c) { note("r32 %x@%u", a, c); return 0x5A5B5C5D; }
void p_wb(uint32_t a, uint32_t v, uint32_t c) { note("w8 %x=%x@%u", a, v, c); }
void p_ww(uint32_t a, uint32_t v, uint32_t c) { note("w16 %x=%x@%u", a, v, c); }
void p_wl(uint32_t a, uint32_t v, uint32_t c) { note("w32 %x=%x@%u", a, v, c); }
void p_reset() { note("reset"); }

io68_t paula_like = {nullptr, "paula-like", 0xDFF000, 0xDFF0DF, p_rb, p_rw, p_rl, p_wb, p_ww, p_wl,
                     nullptr, nullptr, nullptr, p_reset};
io68_t ym_like = {nullptr, "ym-like", 0xFF8800, 0xFF88FF, p_rb, nullptr, nullptr, p_wb, nullptr, nullptr,
                  nullptr, nullptr, nullptr, p_reset};

using Bus = Cpu;

TEST_F(Bus, InitClearsMemoryAndRefusesBadMemoryWithTheRightMessage) {
  EXPECT_EQ(size_t(std::count(mem.begin(), mem.end(), 0)), mem.size()) << "memory and spare bytes cleared";
  emu68_t bad;
  const struct {
    uint8_t* m;
    uint32_t size;
    const char* msg;
  } cases[] = {
      {nullptr, EMU68_MEMSIZE, "EMU68_init : NULL pointer"},
      {mem.data(), 0x40000, "EMU68_init : memory amount incompatible with EMU68 version"},
  };
  for (auto& c : cases) {
    int r = EMU68_init(&bad, c.m, c.size);
    EXPECT_EQ(uint32_t(r) & 0xFFFF0000u, 0xDEAD0000u) << c.msg;
    EXPECT_STREQ(EMU68_error_get(&bad, 0), c.msg);
  }
}

// One access after another. Accesses at the top of RAM use the spare bytes;
// bit 23 selects the IO space and bits 15..8 its page, whose handlers get
// the full address and the cycle; the Shifter answers from its registers.
TEST_F(Bus, EachAccessReachesRamOrTheChipOfItsIoPage) {
  ASSERT_EQ(EMU68_ioplug(&emu, &paula_like), 0);
  ASSERT_EQ(EMU68_ioplug(&emu, &ym_like), 0);
  ASSERT_EQ(EMU68_ioplug(&emu, &shifter_io), 0);
  enum { RESET, R8, R16, R32, W8, W16, W32 };
  const struct {
    int op;
    uint32_t addr, value, read;
    const char* log;  // what the test chips saw
  } cases[] = {
      {W32, 0x7FFFF, 0xA1B2C3D4, 0, ""},
      {R32, 0x7FFFF, 0, 0xA1B2C3D4, ""},
      {R8, 0x0FFFFF, 0, 0xA1, ""},  // above RAM and below the IO space, addresses wrap
      {R8, 0x000000, 0, 0, ""},
      {W16, 0xDFF0A0, 0x8001, 0, "w16 dff0a0=8001@1234"},
      {W16, 0x7FF0A0, 0x8001, 0, ""},           // bit 23 clear is RAM...
      {R16, 0x07F0A0, 0, 0x8001, ""},           // ...wrapped
      {R32, 0x80F000, 0, 0x5A5B5C5D, "r32 80f000@1234"},  // bits 22..16 are not decoded
      {W8, 0xFF8800, 7, 0, "w8 ff8800=7@1234"},
      {W8, 0xDF8802, 9, 0, "w8 df8802=9@1234"},
      {R16, 0xFF8800, 0, 0, ""},  // a missing handler is unmapped
      {W32, 0xFF8800, 1, 0, ""},
      {W32, 0xFFFA00, 0xFFFFFFFF, 0, ""},  // no chip on the page
      {R32, 0xFFFA00, 0, 0, ""},
      {RESET, 0, 0, 0, "reset reset"},
      {R32, 0xFF8208, 0, 0x0000FE00, ""},  // sync 50 Hz after reset
      {W8, 0xFF8260, 2, 0, ""},
      {W32, 0xFF8208, 0x000012FC, 0, ""},
      {R16, 0xFF8260, 0, 0x0200, ""},  // other offsets read 0
      {R8, 0xFF820A, 0, 0x12, ""},
      {RESET, 0, 0, 0, "reset reset"},
      {R32, 0xFF8260, 0, 0, ""},
      {R8, 0xFF820A, 0, 0xFE, ""},
  };
  for (const auto& c : cases) {
    chip_log.clear();
    emu.reg.cycle = 1234;
    uint32_t got = 0;
    switch (c.op) {
      case RESET: EMU68_reset(&emu); break;
      case R8: got = EMU68_read8(&emu, c.addr); break;
      case R16: got = EMU68_read16(&emu, c.addr); break;
      case R32: got = EMU68_read32(&emu, c.addr); break;
      case W8: EMU68_write8(&emu, c.addr, c.value); break;
      case W16: EMU68_write16(&emu, c.addr, c.value); break;
      default: EMU68_write32(&emu, c.addr, c.value); break;
    }
    EXPECT_EQ(got, c.read) << std::hex << c.addr;
    EXPECT_EQ(chip_log, c.log) << std::hex << c.addr;
  }
  EXPECT_EQ(mem[0x7FA00], 0) << "IO writes never reach RAM";
}

TEST_F(Bus, PlugUnplugAndUnmap) {
  ASSERT_EQ(EMU68_ioplug(&emu, &paula_like), 0);
  ASSERT_EQ(EMU68_ioplug(&emu, &ym_like), 0);
  EXPECT_LT(EMU68_ioplug(&emu, &paula_like), 0) << "a chip plugs once";
  EXPECT_LT(EMU68_ioplug(&emu, nullptr), 0);

  ASSERT_EQ(EMU68_ioplug_unplug(&emu, &paula_like), 0);
  EXPECT_LT(EMU68_ioplug_unplug(&emu, &paula_like), 0);
  EXPECT_EQ(EMU68_read8(&emu, 0xDFF000), 0u);
  EXPECT_EQ(EMU68_read8(&emu, 0xFF8800), 0x5Au);

  EMU68_ioplug_unmap_all(&emu);
  EXPECT_EQ(EMU68_read8(&emu, 0xFF8800), 0u);
  EXPECT_EQ(emu.chips, &ym_like) << "unmapping leaves chips plugged";

  EMU68_set_interrupt_io(&emu, &ym_like);
  EMU68_ioplug_unplug_all(&emu);
  EXPECT_EQ(emu.chips, nullptr);
  EXPECT_EQ(emu.int_chip, nullptr) << "an unplugged chip stops being the interrupt source";
  ASSERT_EQ(EMU68_ioplug(&emu, &paula_like), 0) << "an unplugged chip can be plugged again";
}

TEST_F(Bus, MemoryTransfersStayInsideMemory) {
  std::vector<uint8_t> block(EMU68_MEMSIZE + 1, 0x77);
  EXPECT_LT(EMU68_memput(&emu, 0, block.data(), EMU68_MEMSIZE + 1), 0);
  EXPECT_STREQ(EMU68_error_get(&emu, 0), "Not enought 68K memory ($80001>$80000)");
  EXPECT_LT(EMU68_memput(&emu, 0x7FFF0, block.data(), 0x20), 0);
  EXPECT_STREQ(EMU68_error_get(&emu, 0), "68K memory overflow :($7FFF0-$80010)");
  EXPECT_EQ(mem[0], 0) << "a refused block writes nothing";
  // A block ending exactly at the top fits.
  EXPECT_EQ(EMU68_memput(&emu, 0x7FFF0, block.data(), 0x10), 0);
  EXPECT_EQ(mem[0x7FFFF], 0x77);
  uint8_t back[0x10];
  EXPECT_EQ(EMU68_memget(&emu, back, 0x7FFF0, 0x10), 0);
  EXPECT_EQ(back[15], 0x77);
  EXPECT_EQ(EMU68_memptr(&emu, 0x7FFF0, 0x11), nullptr);
  EXPECT_EQ(EMU68_memptr(&emu, 0x7FFF0, 0x10), mem.data() + 0x7FFF0);

  EMU68_kill(&emu);
  EXPECT_LT(EMU68_memput(&emu, 0, block.data(), 4), 0);
  EXPECT_EQ(EMU68_memptr(&emu, 0, 4), nullptr);
  EMU68_step(&emu);
  EXPECT_LT(EMU68_run(&emu, 160256), 0);
  EXPECT_STREQ(EMU68_error_get(&emu, 0), "EMU68_run : no 68K memory") << "a killed emulator refuses to run";
}

TEST_F(Bus, ErrorListKeepsTheLastFourTruncated) {
  for (int i = 0; i < 5; ++i) EMU68_error_add(&emu, "message %d", i);
  EXPECT_STREQ(EMU68_error_get(&emu, 0), "message 4");
  EXPECT_STREQ(EMU68_error_get(&emu, 3), "message 1");
  EXPECT_EQ(EMU68_error_get(&emu, 4), nullptr);
  EMU68_error_add(&emu, "%s", std::string(300, 'x').c_str());
  EXPECT_EQ(strlen(EMU68_error_get(&emu, 0)), 127u);
  EMU68_error_clear(&emu);
  EXPECT_EQ(EMU68_error_get(&emu, 0), nullptr);
}

// ---------------------------------------------------------------- running

// A timer chip on the MFP page: one interrupt at a chosen cycle per frame,
// a byte register file, and a log of the driver's calls.
struct Timer {
  uint32_t due;  // cycle of the interrupt
  int fired;
  bool stuck;  // answers "now" but never interrupts
  uint8_t regs[256];
};
Timer timer;

uint32_t t_rb(uint32_t a, uint32_t) { return timer.regs[a & 0xFF]; }
void t_wb(uint32_t a, uint32_t v, uint32_t c) {
  timer.regs[a & 0xFF] = uint8_t(v);
  note("w8 %x=%x@%u", a, v, c);
}
bool t_interrupt(uint32_t cycle, int68_t* out) {
  if (timer.stuck || cycle < timer.due || timer.fired) return false;
  ++timer.fired;
  out->vector = 0x134;
  out->level = 6;
  return true;
}
int32_t t_next(uint32_t cycle) {
  if (timer.stuck) return 0;
  return timer.fired ? IO68_NO_INT : int32_t(timer.due - cycle);
}
void t_adjust(uint32_t c) {
  note("adjust@%u", c);
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
    // handler: move.w sr,$4000 ; move.b #2,$fffa03 ; rte
    words(HANDLER, {0x40F9, 0x0000, 0x4000, 0x13FC, 0x0002, 0x00FF, 0xFA03, 0x4E73});
    emu.reg.pc = PROG_ADDR;
    emu.reg.sr = 0x2300;
  }
  // The driver leaves the registers as it found them, the run's length counted.
  void expect_restored(uint32_t sp, uint32_t cycles) {
    EXPECT_EQ(emu.reg.pc, PROG_ADDR);
    EXPECT_EQ(emu.reg.a[7], sp);
    EXPECT_EQ(emu.reg.cycle, cycles);
  }
};

// One run after another: each tells the chips the length of the one
// before, runs the routine from cycle 0, then the interrupts due before its
// end that the mask lets through, each with the cycle counter at its place.
TEST_F(Run, InterruptsFollowTheRoutineInsideTheRunBelowTheMask) {
  const uint32_t sp = emu.reg.a[7];
  const struct {
    uint32_t due, sr, cycles;
    const char* log;
  } runs[] = {
      {80000, 0x2300, FRAME, "adjust@0 w8 fffa01=1@0 w8 fffa03=2@80000"},
      {FRAME, 0x2300, FRAME, "adjust@160256 w8 fffa01=1@0"},
      {100, 0x2600, 133344, "adjust@160256 w8 fffa01=1@0"},
      {0, 0x2300, 0, "adjust@133344 w8 fffa01=1@0"},  // an init run has no room
  };
  for (const auto& r : runs) {
    timer.due = r.due;
    chip_log.clear();
    emu.reg.sr = r.sr;
    ASSERT_EQ(EMU68_run(&emu, r.cycles), 0);
    EXPECT_EQ(chip_log, r.log);
    expect_restored(sp, r.cycles);
    EXPECT_EQ(emu.reg.sr, r.sr);
  }
  EXPECT_EQ(w(0x4000), 0x2600u) << "the handler runs at level 6";
  EXPECT_EQ(l(sp - 4), EMU68_INT_RETURN) << "magic return address under the frame";
  EXPECT_EQ(w(sp - 6), 0x2300u);
  EXPECT_EQ(EMU68_error_get(&emu, 0), nullptr) << "the return slot is never executed";
}

TEST_F(Run, RoutineAndItsInterruptsShareOneStepBudget) {
  // routine and handler: 300 turns of a DBF loop, 302 steps each; two polls
  words(PROG_ADDR, {0x303C, 299, 0x51C8, 0xFFFE, 0x4E75});
  words(HANDLER, {0x303C, 299, 0x51C8, 0xFFFE, 0x4E73});
  const uint32_t sp = emu.reg.a[7];
  const struct {
    uint32_t limit;
    const char* error;  // nullptr for a run that ends well
  } cases[] = {
      {300, "EMU68_run : routine at 001000 did not return (pc:001004)"},  // and no interrupt after it
      {606, nullptr},
      {605, "EMU68_run : timer interrupts never end"},
      {400, "EMU68_run : timer interrupts never end (vector 000134, pc:003004)"},
  };
  for (const auto& c : cases) {
    EMU68_error_clear(&emu);
    emu.step_limit = c.limit;
    EXPECT_EQ(EMU68_run(&emu, FRAME) == 0, !c.error) << c.limit;
    EXPECT_EQ(emu.steps, c.error ? c.limit : 606u) << c.limit;
    EXPECT_STREQ(EMU68_error_get(&emu, 0), c.error);
    expect_restored(sp, FRAME);
  }
  timer.stuck = true;
  emu.step_limit = 10000;
  emu.reg.sr = 0x2300;  // the cut-short handler left its level
  EXPECT_LT(EMU68_run(&emu, FRAME), 0);
  EXPECT_STREQ(EMU68_error_get(&emu, 0), "EMU68_run : timer interrupts never end") << "a chip that never idles";
  expect_restored(sp, FRAME);
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

// ------------------------------------------- what the instruction vectors leave out

class Exc : public Cpu {
 protected:
  // Steps through code at PROG_ADDR with the stack at 0x7000 and every
  // exception vector pointing into HANDLER's page. Returns D0, SR and PC;
  // after an exception also the stack with SR and PC on it, and the error
  // logged.
  std::string run(std::initializer_list<uint16_t> code, uint32_t d0, uint32_t d1, uint32_t sr, int steps) {
    for (uint32_t v = 0x08; v < 0xC0; v += 4) EMU68_write32(&emu, v, HANDLER + v);
    words(PROG_ADDR, code);
    emu.reg.pc = PROG_ADDR;
    emu.reg.a[7] = 0x7000;
    emu.reg.d[0] = d0;
    emu.reg.d[1] = d1;
    emu.reg.sr = sr;
    for (int i = 0; i < steps; ++i) EMU68_step(&emu);
    char s[96];
    int n = snprintf(s, sizeof s, "d0=%x sr=%x pc=%x", emu.reg.d[0], emu.reg.sr, emu.reg.pc);
    const uint32_t sp = emu.reg.a[7];
    if (sp != 0x7000) n += snprintf(s + n, sizeof s - n, " stack %x: %x %x", sp, w(sp), l(sp + 2));
    if (const char* error = EMU68_error_get(&emu, 0)) snprintf(s + n, sizeof s - n, " '%s'", error);
    EMU68_error_clear(&emu);
    return s;
  }
};

// Flags, results and exceptions the vectors cannot tell apart or do not
// hold: the extended arithmetic's zero flag, divide overflow, decimal
// arithmetic (none: the memory forms only move their address registers),
// the user stack pointer, STOP, CHK, what a 68000 does not have. An
// exception stacks SR and PC and raises the interrupt mask to 7.
TEST_F(Exc, InstructionsWithoutVectors) {
  const struct {
    const char* what;
    std::initializer_list<uint16_t> code;
    uint32_t d0, d1, sr;
    int steps;
    const char* after;
  } cases[] = {
      {"negx.l d0 keeps Z on zero", {0x4080}, 0, 0, 0x2704, 1, "d0=0 sr=2704 pc=1002"},
      {"negx.l d0 never sets Z", {0x4080}, 0, 0, 0x2700, 1, "d0=0 sr=2700 pc=1002"},
      {"negx.l d0 with X", {0x4080}, 0, 0, 0x2714, 1, "d0=ffffffff sr=2719 pc=1002"},
      {"negx.b d0", {0x4000}, 0x1234, 0, 0x2704, 1, "d0=12cc sr=2719 pc=1002"},
      {"addx.l d1,d0 sets Z from the result", {0xD181}, 0xFFFFFFFF, 1, 0x2700, 1, "d0=0 sr=2715 pc=1002"},
      {"subx.l d1,d0 sets Z from the result", {0x9181}, 1, 1, 0x2700, 1, "d0=0 sr=2704 pc=1002"},
      {"divu.w #1,d0 overflows", {0x80FC, 0x0001}, 0x10000, 0, 0x2701, 1, "d0=10000 sr=2702 pc=1004"},
      {"divs.w #-1,d0 of $80000000", {0x81FC, 0xFFFF}, 0x80000000, 0, 0x2701, 1, "d0=80000000 sr=2706 pc=1004"},
      {"divs.w #2,d0: quotient past 16 bits", {0x81FC, 0x0002}, 100000, 0, 0x2700, 1, "d0=186a0 sr=2706 pc=1004"},
      {"divs.w #1,d0 of -32768 fits", {0x81FC, 0x0001}, 0xFFFF8000, 0, 0x2700, 1, "d0=8000 sr=2708 pc=1004"},
      {"abcd d1,d0 does nothing", {0xC101}, 0x19, 0x28, 0x2715, 1, "d0=19 sr=2715 pc=1002"},
      {"sbcd -(a0),-(a0) between exgs", {0xC188, 0x8108, 0xC188}, 0x5000, 0, 0x2715, 3, "d0=4ffc sr=2715 pc=1006"},
      {"nbcd (a0)+ between exgs", {0xC188, 0x4818, 0xC188}, 0x5000, 0, 0x2715, 3, "d0=5001 sr=2715 pc=1006"},
      {"move.l d0,a0 ; move a0,usp ; move usp,a1 ; move.l a1,d1 ; move.l d1,d0",
       {0x2040, 0x4E60, 0x4E69, 0x2209, 0x2001}, 0x5555, 0, 0x2700, 5, "d0=5555 sr=2700 pc=100a"},
      {"stop #$2314 ; moveq #5,d0", {0x4E72, 0x2314, 0x7005}, 0, 0, 0x2700, 2, "d0=5 sr=2310 pc=1006"},
      {"chk.w #10,d0 below 0", {0x41BC, 0x000A}, 0xFFFF, 0, 0x230F, 1, "d0=ffff sr=270f pc=3018 stack 6ffa: 230f 1004"},
      {"chk.w #10,d0 above", {0x41BC, 0x000A}, 11, 0, 0x230F, 1, "d0=b sr=270f pc=3018 stack 6ffa: 230f 1004"},
      {"chk.w #10,d0 at the bound", {0x41BC, 0x000A}, 10, 0, 0x230F, 1, "d0=a sr=230f pc=1004"},
      {"chk.w #10,d0 at zero", {0x41BC, 0x000A}, 0, 0, 0x230F, 1, "d0=0 sr=230f pc=1004"},
      {"chk.w #10,d0 of a word", {0x41BC, 0x000A}, 0xFFFF0005, 0, 0x230F, 1, "d0=ffff0005 sr=230f pc=1004"},
      {"divu.w #0,d0", {0x80FC, 0x0000}, 55, 0, 0x230F, 1, "d0=37 sr=270f pc=3014 stack 6ffa: 230f 1004"},
      {"illegal", {0x4AFC}, 0, 0, 0x230F, 1, "d0=0 sr=270f pc=3010 stack 6ffa: 230f 1000 'Illegal pc:001000'"},
      {"rtd", {0x4E74}, 0, 0, 0x230F, 1, "d0=0 sr=270f pc=3010 stack 6ffa: 230f 1000 'Illegal pc:001000'"},
      {"movec", {0x4E7A}, 0, 0, 0x230F, 1, "d0=0 sr=270f pc=3010 stack 6ffa: 230f 1000 'Illegal pc:001000'"},
      {"line A", {0xA000}, 0, 0, 0x230F, 1, "d0=0 sr=270f pc=3028 stack 6ffa: 230f 1000"},
      {"line F", {0xF000}, 0, 0, 0x230F, 1, "d0=0 sr=270f pc=302c stack 6ffa: 230f 1000"},
  };
  for (const auto& c : cases) EXPECT_EQ(run(c.code, c.d0, c.d1, c.sr, c.steps), c.after) << c.what;
}

TEST_F(Exc, ResetIsTheProcessorReset) {
  for (int i = 0; i < 8; ++i) emu.reg.d[i] = emu.reg.a[i] = 9;
  EXPECT_EQ(run({0x4E70}, 9, 9, 0x2000, 1), "d0=0 sr=2700 pc=0 stack 7fffc: 0 0");
  for (int i = 1; i < 8; ++i) EXPECT_EQ(emu.reg.d[i], 0u) << i;
  for (int i = 0; i < 7; ++i) EXPECT_EQ(emu.reg.a[i], 0u) << i;
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
  EXPECT_EQ(l(0x110), 0x5100u) << "timer D vector";
  EXPECT_EQ(l(0x114), 0x5200u) << "timer C vector";
  // Data A, control A, data D, data C, control C in the upper half and D
  // in the lower; each timer enabled (IERA, IERB) and unmasked (IMRA, IMRB).
  const std::pair<int, int> regs[] = {{0x1F, 123}, {0x19, 1},    {0x25, 40},   {0x23, 50},  {0x1D, 0x35},
                                      {0x07, 0x20}, {0x09, 0x30}, {0x13, 0x20}, {0x15, 0x30}};
  for (auto [reg, value] : regs) EXPECT_EQ(timer.regs[reg], value) << std::hex << reg;

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
