// Inline bus access shared by the emulator's own sources.
#pragma once

#include "sc68/cpu/emu68.h"

// Steps until A7 climbs back to `top`, each step taken from *budget; false
// when the budget runs out first.
bool emu68_run_to(emu68_t* emu, uint32_t top, uint32_t* budget);

namespace mem68 {

// Bit 23 selects the IO space; bits 15..8 pick the page.
constexpr uint32_t IO_BIT = 0x800000;

inline io68_page_t& page(emu68_t* e, uint32_t a) { return e->pages[(a >> 8) & 0xFF]; }

inline uint32_t rb(emu68_t* e, uint32_t a) {
  if (a & IO_BIT) {
    io68_rfunc_t f = page(e, a).r_byte;
    return f ? f(a, e->reg.cycle) & 0xFF : 0;
  }
  return e->reg.mem[a & e->reg.memmsk];
}

inline uint32_t rw(emu68_t* e, uint32_t a) {
  if (a & IO_BIT) {
    io68_rfunc_t f = page(e, a).r_word;
    return f ? f(a, e->reg.cycle) & 0xFFFF : 0;
  }
  const uint8_t* p = e->reg.mem + (a & e->reg.memmsk);
  return (uint32_t(p[0]) << 8) | p[1];
}

inline uint32_t rl(emu68_t* e, uint32_t a) {
  if (a & IO_BIT) {
    io68_rfunc_t f = page(e, a).r_long;
    return f ? f(a, e->reg.cycle) : 0;
  }
  const uint8_t* p = e->reg.mem + (a & e->reg.memmsk);
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

inline void wb(emu68_t* e, uint32_t a, uint32_t v) {
  if (a & IO_BIT) {
    io68_wfunc_t f = page(e, a).w_byte;
    if (f) f(a, v & 0xFF, e->reg.cycle);
    return;
  }
  e->reg.mem[a & e->reg.memmsk] = uint8_t(v);
}

inline void ww(emu68_t* e, uint32_t a, uint32_t v) {
  if (a & IO_BIT) {
    io68_wfunc_t f = page(e, a).w_word;
    if (f) f(a, v & 0xFFFF, e->reg.cycle);
    return;
  }
  uint8_t* p = e->reg.mem + (a & e->reg.memmsk);
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}

inline void wl(emu68_t* e, uint32_t a, uint32_t v) {
  if (a & IO_BIT) {
    io68_wfunc_t f = page(e, a).w_long;
    if (f) f(a, v, e->reg.cycle);
    return;
  }
  uint8_t* p = e->reg.mem + (a & e->reg.memmsk);
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

// Instruction stream: always RAM.
inline uint32_t fetch16(emu68_t* e) {
  const uint8_t* p = e->reg.mem + (e->reg.pc & e->reg.memmsk);
  e->reg.pc += 2;
  return (uint32_t(p[0]) << 8) | p[1];
}

inline uint32_t fetch32(emu68_t* e) {
  uint32_t hi = fetch16(e);
  return (hi << 16) | fetch16(e);
}

}  // namespace mem68
