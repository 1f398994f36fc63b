// Random bytes as 68000 code and data: the first 72 bytes seed the
// registers, the rest lands in RAM at 0x1000 (the code) and, repeated, over
// the exception vectors, so that jumps and exceptions land in the same
// bytes. A chip with a timer interrupt is plugged so the frame driver's
// delivery loop runs too. Every run is bounded by the step limit. Running
// a routine to its return is checked against stepping it one instruction at
// a time.
#include <cstdint>
#include <cstring>
#include <vector>

#include "sc68/cpu/emu68.h"
#include "sc68/cpu/mem68.h"

namespace {

constexpr uint32_t CODE_ADDR = 0x1000;
constexpr uint32_t STEP_LIMIT = 5000;
constexpr uint32_t FRAME_CYCLES = 160256;
constexpr int LOOSE_STEPS = 2000;

uint32_t timer_period = 20000;
uint8_t chip_regs[256];

uint32_t r_byte(uint32_t a, uint32_t) { return chip_regs[a & 0xFF]; }
uint32_t r_word(uint32_t a, uint32_t) { return (chip_regs[a & 0xFF] << 8) | chip_regs[(a + 1) & 0xFF]; }
uint32_t r_long(uint32_t a, uint32_t c) { return (r_word(a, c) << 16) | r_word(a + 2, c); }
void w_byte(uint32_t a, uint32_t v, uint32_t) { chip_regs[a & 0xFF] = uint8_t(v); }
void w_word(uint32_t a, uint32_t v, uint32_t c) { w_byte(a, v >> 8, c); w_byte(a + 1, v, c); }
void w_long(uint32_t a, uint32_t v, uint32_t c) { w_word(a, v >> 16, c); w_word(a + 2, v, c); }
bool interrupt(uint32_t cycle, int68_t* out) {
  if (cycle % timer_period) return false;
  out->vector = 0x134;
  out->level = 6;
  return true;
}
int32_t next_interrupt(uint32_t cycle) { return int32_t(timer_period - cycle % timer_period); }

io68_t timer_chip = {nullptr, "timer", 0xFFFA00, 0xFFFA2F, r_byte, r_word, r_long, w_byte, w_word, w_long,
                     interrupt, next_interrupt, nullptr, nullptr};

uint32_t take32(const uint8_t*& p) {
  uint32_t v = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
  p += 4;
  return v;
}

// The interpreter leaves out its return test after instructions that keep
// A7. Running to `top` must end where stepping and testing after every
// instruction ends, in the same state; a difference aborts.
void check_run_to(emu68_t& emu, std::vector<uint8_t>& mem, uint32_t top) {
  static std::vector<uint8_t> mem_start, mem_run;
  static emu68_t emu_start, emu_run;
  uint8_t regs_start[sizeof chip_regs], regs_run[sizeof chip_regs];
  mem_start = mem;
  memcpy(&emu_start, &emu, sizeof emu);
  memcpy(regs_start, chip_regs, sizeof chip_regs);
  uint32_t budget = STEP_LIMIT;
  const bool back = emu68_run_to(&emu, top, &budget);
  mem_run = mem;
  memcpy(&emu_run, &emu, sizeof emu);
  memcpy(regs_run, chip_regs, sizeof chip_regs);

  mem = mem_start;
  memcpy(&emu, &emu_start, sizeof emu);
  memcpy(chip_regs, regs_start, sizeof chip_regs);
  uint32_t left = STEP_LIMIT;
  bool stepped_back = false;
  while (left && !stepped_back) {
    --left;
    EMU68_step(&emu);
    stepped_back = emu.reg.a[7] >= top;
  }
  if (back != stepped_back || budget != left || memcmp(&emu, &emu_run, sizeof emu) || mem != mem_run ||
      memcmp(chip_regs, regs_run, sizeof chip_regs))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> mem(EMU68_MEMSIZE + EMU68_MEMSPARE);
  static emu68_t emu;
  constexpr size_t SEED = 18 * 4;
  if (size < SEED + 2) return 0;
  if (EMU68_init(&emu, mem.data(), EMU68_MEMSIZE) != 0) return 0;
  emu.step_limit = STEP_LIMIT;
  EMU68_ioplug(&emu, &shifter_io);
  EMU68_ioplug(&emu, &timer_chip);
  EMU68_set_interrupt_io(&emu, &timer_chip);

  const uint8_t* p = data;
  reg68_t r{};
  for (uint32_t& d : r.d) d = take32(p);
  for (int i = 0; i < 7; ++i) r.a[i] = take32(p);
  r.a[7] = 0x70000;
  r.usp = take32(p);
  r.sr = take32(p) & 0x00FF;  // interrupts enabled, so the driver delivers them
  r.pc = CODE_ADDR;
  timer_period = 1000 + (r.d[0] & 0xFFFF);
  const uint8_t* code = p;
  size_t n = size - SEED;
  if (n > EMU68_MEMSIZE - CODE_ADDR) n = EMU68_MEMSIZE - CODE_ADDR;
  EMU68_memput(&emu, CODE_ADDR, code, uint32_t(n));
  for (uint32_t a = 0; a < 0x400; a += uint32_t(n)) EMU68_memput(&emu, a, code, uint32_t(n < 0x400 - a ? n : 0x400 - a));

  // Mostly a routine's frame (A7 just below the top); now and then a start
  // at or past the top.
  const uint32_t top = (r.d[1] & 7) == 7 ? (r.d[1] >> 8) & 15 : (r.d[1] & 7) == 6 ? 0x70000 : 0x70004;
  EMU68_set_registers(&emu, &r);
  check_run_to(emu, mem, top);
  EMU68_set_registers(&emu, &r);
  EMU68_run(&emu, FRAME_CYCLES);
  EMU68_run(&emu, FRAME_CYCLES);
  for (int i = 0; i < LOOSE_STEPS; ++i) EMU68_step(&emu);
  EMU68_ioplug_unplug_all(&emu);
  return 0;
}
