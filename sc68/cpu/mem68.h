// Inline bus access shared by the emulator's own sources.
#pragma once

#include "sc68/cpu/emu68.h"

// Steps until A7 climbs back to `top`, each step taken from *budget; false
// when the budget runs out first.
bool emu68_run_to(emu68_t* emu, uint32_t top, uint32_t* budget);

namespace mem68 {

// Bit 23 selects the IO space; bits 15..8 pick the page.
constexpr uint32_t IO_BIT = 0x800000;

// Value bits of an access of SZ bytes.
template <int SZ> constexpr uint32_t SIZE_MASK = SZ == 1 ? 0xFFu : SZ == 2 ? 0xFFFFu : 0xFFFFFFFFu;

// IO space accesses of SZ bytes through the page's handler, or the unmapped
// default (read 0, ignore writes). Out of line: RAM is the common case.
template <int SZ> [[gnu::noinline]] uint32_t io_read(emu68_t* e, uint32_t a) {
  const io68_page_t& p = e->pages[(a >> 8) & 0xFF];
  const io68_rfunc_t f = SZ == 1 ? p.r_byte : SZ == 2 ? p.r_word : p.r_long;
  return f ? f(a, e->reg.cycle) & SIZE_MASK<SZ> : 0;
}

template <int SZ> [[gnu::noinline]] void io_write(emu68_t* e, uint32_t a, uint32_t v) {
  const io68_page_t& p = e->pages[(a >> 8) & 0xFF];
  const io68_wfunc_t f = SZ == 1 ? p.w_byte : SZ == 2 ? p.w_word : p.w_long;
  if (f) f(a, v & SIZE_MASK<SZ>, e->reg.cycle);
}

// Big-endian RAM words; a word or long at the top address reaches into the
// spare bytes after the block.
inline uint32_t load16(const uint8_t* p) { return (uint32_t(p[0]) << 8) | p[1]; }
inline uint32_t load32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline void store16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}
inline void store32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

// Data access of SZ bytes with full address decoding, over RAM `mem` with
// address mask `msk` (the interpreter keeps both at hand). Zero-extended.
template <int SZ> inline uint32_t read(emu68_t* e, const uint8_t* mem, uint32_t msk, uint32_t a) {
  if (a & IO_BIT) return io_read<SZ>(e, a);
  const uint8_t* p = mem + (a & msk);
  if constexpr (SZ == 1) return p[0];
  else if constexpr (SZ == 2) return load16(p);
  else return load32(p);
}

template <int SZ> inline void write(emu68_t* e, uint8_t* mem, uint32_t msk, uint32_t a, uint32_t v) {
  if (a & IO_BIT) return io_write<SZ>(e, a, v);
  uint8_t* p = mem + (a & msk);
  if constexpr (SZ == 1) p[0] = uint8_t(v);
  else if constexpr (SZ == 2) store16(p, v);
  else store32(p, v);
}

inline uint32_t rb(emu68_t* e, uint32_t a) { return read<1>(e, e->reg.mem, e->reg.memmsk, a); }
inline uint32_t rw(emu68_t* e, uint32_t a) { return read<2>(e, e->reg.mem, e->reg.memmsk, a); }
inline uint32_t rl(emu68_t* e, uint32_t a) { return read<4>(e, e->reg.mem, e->reg.memmsk, a); }
inline void wb(emu68_t* e, uint32_t a, uint32_t v) { write<1>(e, e->reg.mem, e->reg.memmsk, a, v); }
inline void ww(emu68_t* e, uint32_t a, uint32_t v) { write<2>(e, e->reg.mem, e->reg.memmsk, a, v); }
inline void wl(emu68_t* e, uint32_t a, uint32_t v) { write<4>(e, e->reg.mem, e->reg.memmsk, a, v); }

}  // namespace mem68
