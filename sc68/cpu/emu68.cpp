#include "sc68/cpu/emu68.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sc68/cpu/mem68.h"

using namespace mem68;

// Mask applied to SR by every write: T, S, the interrupt mask and the CCR
// are the only bits a 68000 has.
constexpr uint32_t SR_BITS = 0xA71F;
constexpr uint32_t MIN_MEMSIZE = 0x20000;
constexpr uint32_t MAX_MEMSIZE = 0x1000000;
constexpr uint32_t RESET_SR = 0x2700;

// ---------------------------------------------------------------- errors

int EMU68_error_add(emu68_t* emu, const char* fmt, ...) {
  char* slot = emu->errors[emu->error_head];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(slot, EMU68_ERROR_LEN, fmt, ap);
  va_end(ap);
  emu->error_head = (emu->error_head + 1) % EMU68_ERRORS;
  if (emu->error_count < EMU68_ERRORS) ++emu->error_count;
  return int(0xDEAD0000u | (uint32_t(rand()) & 0xFFF));
}

const char* EMU68_error_get(const emu68_t* emu, int i) {
  if (i < 0 || i >= emu->error_count) return nullptr;
  return emu->errors[(emu->error_head - 1 - i + 2 * EMU68_ERRORS) % EMU68_ERRORS];
}

void EMU68_error_clear(emu68_t* emu) {
  emu->error_count = 0;
  emu->error_head = 0;
}

// ---------------------------------------------------------------- set-up

int EMU68_init(emu68_t* emu, uint8_t* mem, uint32_t size) {
  memset(emu, 0, sizeof(*emu));
  emu->step_limit = EMU68_STEP_LIMIT;
  if (!mem) return EMU68_error_add(emu, "EMU68_init : NULL pointer");
  if (size < MIN_MEMSIZE) return EMU68_error_add(emu, "EMU68_init : memory amount must be >= 128Kb");
  if (size > MAX_MEMSIZE) return EMU68_error_add(emu, "EMU68_init : memory amount must be < 16mb");
  if (size & (size - 1)) return EMU68_error_add(emu, "EMU68_init : memory amount must be a power of 2");
  if (size != EMU68_MEMSIZE)
    return EMU68_error_add(emu, "EMU68_init : memory amount incompatible with EMU68 version");
  emu->reg.mem = mem;
  emu->reg.memsz = size;
  emu->reg.memmsk = size - 1;
  memset(mem, 0, size + EMU68_MEMSPARE);
  EMU68_ioplug_unmap_all(emu);
  EMU68_reset(emu);
  return 0;
}

void EMU68_kill(emu68_t* emu) {
  EMU68_ioplug_unplug_all(emu);
  EMU68_ioplug_unmap_all(emu);
  emu->reg.mem = nullptr;
  emu->reg.memsz = 0;
  emu->reg.memmsk = 0;
  EMU68_error_clear(emu);
}

void EMU68_reset(emu68_t* emu) {
  for (io68_t* io = emu->chips; io; io = io->next)
    if (io->reset) io->reset();
  memset(emu->reg.d, 0, sizeof emu->reg.d);
  memset(emu->reg.a, 0, sizeof emu->reg.a);
  emu->reg.cycle = 0;
  emu->reg.pc = 0;
  emu->reg.sr = RESET_SR;
  emu->reg.a[7] = emu->reg.memsz - 4;
  emu->stopped = false;
}

void EMU68_set_registers(emu68_t* emu, const reg68_t* r) {
  memcpy(emu->reg.d, r->d, sizeof r->d);
  memcpy(emu->reg.a, r->a, sizeof r->a);
  emu->reg.usp = r->usp;
  emu->reg.pc = r->pc;
  emu->reg.sr = r->sr & SR_BITS;
}

void EMU68_get_registers(const emu68_t* emu, reg68_t* r) {
  memcpy(r->d, emu->reg.d, sizeof r->d);
  memcpy(r->a, emu->reg.a, sizeof r->a);
  r->usp = emu->reg.usp;
  r->pc = emu->reg.pc;
  r->sr = emu->reg.sr;
}

// ---------------------------------------------------------------- memory

// Both checks of a block transfer; 0 when the block fits.
static int check_block(emu68_t* emu, uint32_t addr, uint32_t n) {
  if (!emu->reg.mem) return EMU68_error_add(emu, "68K memory not initialized");
  if (n > emu->reg.memsz) return EMU68_error_add(emu, "Not enought 68K memory ($%X>$%X)", n, emu->reg.memsz);
  // A block may end exactly at the top of memory, but never wrap past it.
  uint32_t start = addr & emu->reg.memmsk;
  if (start + n > emu->reg.memsz)
    return EMU68_error_add(emu, "68K memory overflow :($%X-$%X)", addr, addr + n);
  return 0;
}

int EMU68_memput(emu68_t* emu, uint32_t dst, const uint8_t* src, uint32_t n) {
  int err = check_block(emu, dst, n);
  if (err) return err;
  if (n) memcpy(emu->reg.mem + (dst & emu->reg.memmsk), src, n);
  return 0;
}

int EMU68_memget(emu68_t* emu, uint8_t* dst, uint32_t src, uint32_t n) {
  int err = check_block(emu, src, n);
  if (err) return err;
  if (n) memcpy(dst, emu->reg.mem + (src & emu->reg.memmsk), n);
  return 0;
}

uint8_t* EMU68_memptr(emu68_t* emu, uint32_t addr, uint32_t n) {
  if (!emu->reg.mem || n > emu->reg.memsz) return nullptr;
  uint32_t start = addr & emu->reg.memmsk;
  if (start + n > emu->reg.memsz) return nullptr;
  return emu->reg.mem + start;
}

uint32_t EMU68_read8(emu68_t* emu, uint32_t addr) { return rb(emu, addr); }
uint32_t EMU68_read16(emu68_t* emu, uint32_t addr) { return rw(emu, addr); }
uint32_t EMU68_read32(emu68_t* emu, uint32_t addr) { return rl(emu, addr); }
void EMU68_write8(emu68_t* emu, uint32_t addr, uint32_t v) { wb(emu, addr, v); }
void EMU68_write16(emu68_t* emu, uint32_t addr, uint32_t v) { ww(emu, addr, v); }
void EMU68_write32(emu68_t* emu, uint32_t addr, uint32_t v) { wl(emu, addr, v); }

// ---------------------------------------------------------------- chips

static bool is_plugged(const emu68_t* emu, const io68_t* io) {
  for (const io68_t* p = emu->chips; p; p = p->next)
    if (p == io) return true;
  return false;
}

int EMU68_ioplug(emu68_t* emu, io68_t* io) {
  if (!io) return EMU68_error_add(emu, "EMU68_ioplug : NULL chip");
  if (is_plugged(emu, io)) return EMU68_error_add(emu, "EMU68_ioplug : %s already plugged", io->name);
  io->next = emu->chips;
  emu->chips = io;
  io68_page_t& p = emu->pages[(io->addr_lo >> 8) & 0xFF];
  p.r_byte = io->r_byte;
  p.r_word = io->r_word;
  p.r_long = io->r_long;
  p.w_byte = io->w_byte;
  p.w_word = io->w_word;
  p.w_long = io->w_long;
  return 0;
}

int EMU68_ioplug_unplug(emu68_t* emu, io68_t* io) {
  for (io68_t** pp = &emu->chips; *pp; pp = &(*pp)->next) {
    if (*pp != io) continue;
    *pp = io->next;
    io->next = nullptr;
    emu->pages[(io->addr_lo >> 8) & 0xFF] = io68_page_t{};
    if (emu->int_chip == io) emu->int_chip = nullptr;
    return 0;
  }
  return EMU68_error_add(emu, "EMU68_ioplug_unplug : chip not plugged");
}

void EMU68_ioplug_unplug_all(emu68_t* emu) {
  while (emu->chips) EMU68_ioplug_unplug(emu, emu->chips);
}

void EMU68_ioplug_unmap_all(emu68_t* emu) {
  for (io68_page_t& p : emu->pages) p = io68_page_t{};
}

void EMU68_set_interrupt_io(emu68_t* emu, io68_t* io) { emu->int_chip = io; }

// ---------------------------------------------------------------- running

void EMU68_exception(emu68_t* emu, uint32_t vector) {
  reg68_t& r = emu->reg;
  r.a[7] -= 4;
  wl(emu, r.a[7], r.pc);
  r.a[7] -= 2;
  ww(emu, r.a[7], r.sr);
  r.sr = (r.sr & 0x50FF) | 0x2700;
  r.pc = rl(emu, vector);
}

int EMU68_run(emu68_t* emu, uint32_t cycles) {
  reg68_t& r = emu->reg;
  emu->steps = 0;
  if (!r.mem) return EMU68_error_add(emu, "EMU68_run : no 68K memory");
  const uint32_t pc = r.pc;
  const uint32_t sp = r.a[7];
  int result = 0;
  // One budget for the routine and all its interrupts: a timer that fires
  // thousands of times a frame cannot multiply the cost of a slow handler.
  uint32_t budget = emu->step_limit;
  r.a[7] -= 4;
  for (io68_t* io = emu->chips; io; io = io->next)
    if (io->adjust_cycle) io->adjust_cycle(r.cycle);
  r.cycle = 0;

  if (!emu68_run_to(emu, sp, &budget)) {
    result = EMU68_error_add(emu, "EMU68_run : routine at %06x did not return (pc:%06x)", pc, r.pc & 0xFFFFFF);
  } else if (io68_t* chip = emu->int_chip; chip && chip->next_interrupt && chip->interrupt) {
    int64_t pos = 0;
    while (((r.sr >> 8) & 7) < 6) {
      // A chip that keeps answering "now" without ever delivering would
      // spin here forever; its questions are paid from the budget too.
      if (!budget) {
        result = EMU68_error_add(emu, "EMU68_run : %s interrupts never end", chip->name);
        break;
      }
      --budget;
      int32_t next = chip->next_interrupt(uint32_t(pos));
      if (next == IO68_NO_INT) break;
      pos += next < 0 ? 0 : next;
      if (pos >= cycles) break;
      int68_t it;
      if (!chip->interrupt(uint32_t(pos), &it)) continue;
      r.cycle = uint32_t(pos);
      r.a[7] = sp - 4;
      wl(emu, r.a[7], EMU68_INT_RETURN);
      r.a[7] -= 2;
      ww(emu, r.a[7], r.sr);
      r.sr = (r.sr & 0x70FF) | ((uint32_t(it.level) + 0x20) << 8);
      r.pc = rl(emu, it.vector);
      if (!emu68_run_to(emu, sp, &budget)) {
        result = EMU68_error_add(emu, "EMU68_run : %s interrupts never end (vector %06x, pc:%06x)", chip->name,
                                 it.vector, r.pc & 0xFFFFFF);
        break;
      }
    }
  }
  emu->steps = emu->step_limit - budget;
  r.pc = pc;
  r.a[7] = sp;
  r.cycle = cycles;
  return result;
}
