// Instruction handlers and the dispatch table.
//
// The table has 1,024 entries, indexed by opcode bits 15..12 (the line)
// and 8..3 (operation mode and effective address mode); bits 11..9 and
// 2..0 arrive as arguments. Each entry is a template instance, so the
// size and addressing mode of an operation are constants inside it.
// Operands are aligned to the top of 32 bits for the flag routines, so one
// routine per operation serves all three sizes.
#include <array>
#include <cstddef>
#include <utility>

#include "sc68/cpu/emu68.h"
#include "sc68/cpu/mem68.h"

using namespace mem68;

namespace {

using handler_t = void (*)(emu68_t*, int, int);
using ea_t = uint32_t (*)(emu68_t*, int);

constexpr uint32_t SR_BITS = 0xA71F;   // bits a 68000 SR holds
constexpr uint32_t CCR_BITS = 0x1F;
constexpr uint32_t NZVC = SR_N | SR_Z | SR_V | SR_C;

constexpr uint32_t VEC_ILLEGAL = 0x10;
constexpr uint32_t VEC_ZERO_DIVIDE = 0x14;
constexpr uint32_t VEC_CHK = 0x18;
constexpr uint32_t VEC_TRAPV = 0x1C;
constexpr uint32_t VEC_LINE_A = 0x28;
constexpr uint32_t VEC_LINE_F = 0x2C;
constexpr uint32_t VEC_TRAP = 0x80;

template <int SZ> constexpr int SH = 32 - 8 * SZ;
template <int SZ> constexpr uint32_t MASK = SZ == 1 ? 0xFFu : SZ == 2 ? 0xFFFFu : 0xFFFFFFFFu;

inline uint32_t& D(emu68_t* e, int n) { return e->reg.d[n]; }
inline uint32_t& A(emu68_t* e, int n) { return e->reg.a[n]; }
inline uint32_t& R(emu68_t* e, int n) { return n < 8 ? e->reg.d[n] : e->reg.a[n - 8]; }

inline uint32_t sext8(uint32_t v) { return uint32_t(int32_t(int8_t(v))); }
inline uint32_t sext16(uint32_t v) { return uint32_t(int32_t(int16_t(v))); }

template <int SZ> inline uint32_t merge(uint32_t old, uint32_t v) {
  return (old & ~MASK<SZ>) | (v & MASK<SZ>);
}

template <int SZ> inline uint32_t rd(emu68_t* e, uint32_t a) {
  if constexpr (SZ == 1) return rb(e, a);
  else if constexpr (SZ == 2) return rw(e, a);
  else return rl(e, a);
}

template <int SZ> inline void wr(emu68_t* e, uint32_t a, uint32_t v) {
  if constexpr (SZ == 1) wb(e, a, v);
  else if constexpr (SZ == 2) ww(e, a, v);
  else wl(e, a, v);
}

inline void push32(emu68_t* e, uint32_t v) { e->reg.a[7] -= 4; wl(e, e->reg.a[7], v); }
inline uint32_t pop16(emu68_t* e) { uint32_t v = rw(e, e->reg.a[7]); e->reg.a[7] += 2; return v; }
inline uint32_t pop32(emu68_t* e) { uint32_t v = rl(e, e->reg.a[7]); e->reg.a[7] += 4; return v; }

// The opcode's own address, for exceptions that stack it (illegal, lines A/F).
void illegal(emu68_t* e, int, int) {
  e->reg.pc -= 2;
  EMU68_error_add(e, "Illegal pc:%06x", e->reg.pc & 0xFFFFFF);
  EMU68_exception(e, VEC_ILLEGAL);
}
inline void illegal(emu68_t* e) { illegal(e, 0, 0); }

void line_a(emu68_t* e, int, int) { e->reg.pc -= 2; EMU68_exception(e, VEC_LINE_A); }
void line_f(emu68_t* e, int, int) { e->reg.pc -= 2; EMU68_exception(e, VEC_LINE_F); }

// ------------------------------------------------------- effective address

uint32_t ea_bad(emu68_t* e, int mode) {
  EMU68_error_add(e, "get_ea(%d)", mode);
  return 0xFFFFFFFFu;
}
uint32_t ea_bad0(emu68_t* e, int) { return ea_bad(e, 0); }
uint32_t ea_bad1(emu68_t* e, int) { return ea_bad(e, 1); }
uint32_t ea_bad7(emu68_t* e, int) { return ea_bad(e, 7); }

uint32_t ea_ind(emu68_t* e, int r) { return A(e, r); }

// A7 stays word aligned on byte pushes and pops.
template <int SZ> constexpr uint32_t step_of(int r) { return SZ == 1 && r == 7 ? 2 : SZ; }

template <int SZ> uint32_t ea_inc(emu68_t* e, int r) {
  uint32_t a = A(e, r);
  A(e, r) = a + step_of<SZ>(r);
  return a;
}
template <int SZ> uint32_t ea_dec(emu68_t* e, int r) { return A(e, r) -= step_of<SZ>(r); }

uint32_t ea_d16(emu68_t* e, int r) { return A(e, r) + sext16(fetch16(e)); }

// Brief extension word: index register, word or long, 8-bit displacement.
inline uint32_t indexed(emu68_t* e, uint32_t base) {
  uint32_t ext = fetch16(e);
  uint32_t x = R(e, int(ext >> 12));
  if (!(ext & 0x800)) x = sext16(x);
  return base + x + sext8(ext);
}
uint32_t ea_d8x(emu68_t* e, int r) { return indexed(e, A(e, r)); }
uint32_t ea_absw(emu68_t* e, int) { return sext16(fetch16(e)); }
uint32_t ea_absl(emu68_t* e, int) { return fetch32(e); }
uint32_t ea_pcd16(emu68_t* e, int) {
  uint32_t base = e->reg.pc;
  return base + sext16(fetch16(e));
}
uint32_t ea_pcd8x(emu68_t* e, int) { return indexed(e, e->reg.pc); }
// Immediate data is part of the instruction stream, so it is read from RAM.
template <int SZ> uint32_t ea_imm(emu68_t* e, int) {
  uint32_t a = (e->reg.pc + (SZ == 1)) & e->reg.memmsk;
  e->reg.pc += SZ == 4 ? 4 : 2;
  return a;
}

template <int SZ>
constexpr ea_t EA7[8] = {ea_absw, ea_absl, ea_pcd16, ea_pcd8x, ea_imm<SZ>, ea_bad7, ea_bad7, ea_bad7};
template <int SZ> uint32_t ea_mode7(emu68_t* e, int r) { return EA7<SZ>[r](e, r); }
template <int SZ>
constexpr ea_t EA[8] = {ea_bad0, ea_bad1, ea_ind, ea_inc<SZ>, ea_dec<SZ>, ea_d16, ea_d8x, ea_mode7<SZ>};

// Addressing classes: bits 0..6 modes 0..6, bits 7..11 mode 7 with
// register 0..4 (abs.w, abs.l, d16(PC), d8(PC,Xn), #imm).
constexpr uint32_t C_ALL = 0xFFF;
constexpr uint32_t C_DATA = C_ALL & ~2u;
constexpr uint32_t C_ALT = 0x1FF;
constexpr uint32_t C_DATA_ALT = C_ALT & ~2u;
constexpr uint32_t C_MEM_ALT = C_DATA_ALT & ~1u;
constexpr uint32_t C_CTRL = (1u << 2) | (1u << 5) | (1u << 6) | (0xFu << 7);
constexpr uint32_t C_CTRL_ALT = (1u << 2) | (1u << 5) | (1u << 6) | (3u << 7);
constexpr uint32_t C_MOVEM_W = C_CTRL_ALT | (1u << 4);
constexpr uint32_t C_MOVEM_R = C_CTRL | (1u << 3);
constexpr uint32_t C_DATA_NOIMM = C_DATA & ~(1u << 11);

template <uint32_t CLS, int M> inline bool ok(int r) {
  if constexpr (M < 7) return (CLS >> M) & 1;
  else return r < 5 && ((CLS >> (7 + r)) & 1);
}

// Operand read for any mode; value zero-extended.
template <int SZ, int M> inline uint32_t src(emu68_t* e, int r) {
  if constexpr (M == 0) return D(e, r) & MASK<SZ>;
  else if constexpr (M == 1) return A(e, r) & MASK<SZ>;
  else return rd<SZ>(e, EA<SZ>[M](e, r));
}

// Read-modify-write of a data register or memory operand.
template <int SZ, int M, class F> inline void rmw(emu68_t* e, int r, F f) {
  if constexpr (M == 0) {
    D(e, r) = merge<SZ>(D(e, r), f(D(e, r) & MASK<SZ>));
  } else {
    uint32_t a = EA<SZ>[M](e, r);
    wr<SZ>(e, a, f(rd<SZ>(e, a)));
  }
}

template <int SZ, int M> inline void dst_write(emu68_t* e, int r, uint32_t v) {
  if constexpr (M == 0) D(e, r) = merge<SZ>(D(e, r), v);
  else wr<SZ>(e, EA<SZ>[M](e, r), v);
}

// ------------------------------------------------------------ flags

inline void ccr_set(emu68_t* e, uint32_t keep, uint32_t bits) { e->reg.sr = (e->reg.sr & ~keep) | bits; }

// N and Z from an aligned result, V and C cleared, X kept.
inline void flags_logic(emu68_t* e, uint32_t r) {
  ccr_set(e, NZVC, ((r >> 28) & SR_N) | (r ? 0 : SR_Z));
}
template <int SZ> inline uint32_t logic(emu68_t* e, uint32_t r) {
  flags_logic(e, r << SH<SZ>);
  return r;
}

// Aligned add: result, then flags; x is the carry-in.
template <int SZ> inline uint32_t add_op(emu68_t* e, uint32_t s, uint32_t d, uint32_t x) {
  const uint32_t as = s << SH<SZ>, ad = d << SH<SZ>;
  const uint64_t r64 = uint64_t(as) + ad + (uint64_t(x) << SH<SZ>);
  const uint32_t r = uint32_t(r64);
  const uint32_t c = uint32_t(r64 >> 32) & 1;
  const uint32_t v = ((as ^ r) & (ad ^ r)) >> 31;
  uint32_t f = ((r >> 28) & SR_N) | (r ? 0 : SR_Z) | (v << 1) | c;
  ccr_set(e, NZVC | SR_X, f | (c << 4));
  return r >> SH<SZ>;
}

// Aligned subtract d - s - x. CMP keeps X.
template <int SZ, bool SET_X> inline uint32_t sub_op(emu68_t* e, uint32_t s, uint32_t d, uint32_t x) {
  const uint32_t as = s << SH<SZ>, ad = d << SH<SZ>;
  const uint64_t r64 = uint64_t(ad) - as - (uint64_t(x) << SH<SZ>);
  const uint32_t r = uint32_t(r64);
  const uint32_t c = uint32_t(r64 >> 32) & 1;
  const uint32_t v = ((as ^ ad) & (r ^ ad)) >> 31;
  uint32_t f = ((r >> 28) & SR_N) | (r ? 0 : SR_Z) | (v << 1) | c;
  if constexpr (SET_X) ccr_set(e, NZVC | SR_X, f | (c << 4));
  else ccr_set(e, NZVC, f);
  return r >> SH<SZ>;
}

inline uint32_t xbit(emu68_t* e) { return (e->reg.sr >> 4) & 1; }

template <int SZ> inline uint32_t do_add(emu68_t* e, uint32_t s, uint32_t d) { return add_op<SZ>(e, s, d, 0); }
// ADDX and SUBX set Z from the result like ADD and SUB, on purpose (pinned by insn_test's arith table).
template <int SZ> inline uint32_t do_addx(emu68_t* e, uint32_t s, uint32_t d) { return add_op<SZ>(e, s, d, xbit(e)); }
template <int SZ> inline uint32_t do_sub(emu68_t* e, uint32_t s, uint32_t d) { return sub_op<SZ, true>(e, s, d, 0); }
template <int SZ> inline uint32_t do_subx(emu68_t* e, uint32_t s, uint32_t d) { return sub_op<SZ, true>(e, s, d, xbit(e)); }
template <int SZ> inline void do_cmp(emu68_t* e, uint32_t s, uint32_t d) { sub_op<SZ, false>(e, s, d, 0); }

// Condition codes: one 16-bit set per condition over the NZVC nibble.
constexpr bool cond_eval(int c, int f) {
  const bool C = f & 1, V = f & 2, Z = f & 4, N = f & 8;
  switch (c) {
    case 0: return true;
    case 1: return false;
    case 2: return !C && !Z;
    case 3: return C || Z;
    case 4: return !C;
    case 5: return C;
    case 6: return !Z;
    case 7: return Z;
    case 8: return !V;
    case 9: return V;
    case 10: return !N;
    case 11: return N;
    case 12: return N == V;
    case 13: return N != V;
    case 14: return !Z && N == V;
    default: return Z || N != V;
  }
}
constexpr std::array<uint16_t, 16> make_cond_table() {
  std::array<uint16_t, 16> t{};
  for (int c = 0; c < 16; ++c)
    for (int f = 0; f < 16; ++f)
      if (cond_eval(c, f)) t[c] |= uint16_t(1u << f);
  return t;
}
constexpr std::array<uint16_t, 16> COND = make_cond_table();
inline bool test_cc(emu68_t* e, int c) { return (COND[c] >> (e->reg.sr & 15)) & 1; }

template <int SZ> inline uint32_t fetch_imm(emu68_t* e) {
  if constexpr (SZ == 1) return fetch16(e) & 0xFF;
  else if constexpr (SZ == 2) return fetch16(e);
  else return fetch32(e);
}

// ------------------------------------------------------------ line 0

template <int SZ, int M> void imm_op(emu68_t* e, int kind, int r) {
  // #imm as destination means CCR (byte) or SR (word) for ORI, ANDI, EORI.
  if (M == 7 && r == 4 && SZ != 4 && (kind == 0 || kind == 1 || kind == 5)) {
    uint32_t v = fetch16(e);
    uint32_t m = SZ == 1 ? CCR_BITS : SR_BITS;
    uint32_t sr = e->reg.sr;
    uint32_t part = sr & m;
    if (kind == 0) part |= v & m;
    else if (kind == 1) part &= v;
    else part ^= v & m;
    e->reg.sr = (sr & ~m) | (part & m);
    return;
  }
  if (!ok<C_DATA_ALT, M>(r)) return illegal(e);
  uint32_t s = fetch_imm<SZ>(e);
  switch (kind) {
    case 0: rmw<SZ, M>(e, r, [&](uint32_t d) { return logic<SZ>(e, d | s); }); break;
    case 1: rmw<SZ, M>(e, r, [&](uint32_t d) { return logic<SZ>(e, d & s); }); break;
    case 2: rmw<SZ, M>(e, r, [&](uint32_t d) { return do_sub<SZ>(e, s, d); }); break;
    case 3: rmw<SZ, M>(e, r, [&](uint32_t d) { return do_add<SZ>(e, s, d); }); break;
    case 5: rmw<SZ, M>(e, r, [&](uint32_t d) { return logic<SZ>(e, d ^ s); }); break;
    default: do_cmp<SZ>(e, s, src<SZ, M>(e, r)); break;
  }
}

// Bit operations: 0 BTST, 1 BCHG, 2 BCLR, 3 BSET. Registers use bit mod 32,
// memory bytes bit mod 8.
template <int M> void bit_op(emu68_t* e, int kind, uint32_t bit, int r) {
  if constexpr (M == 0) {
    uint32_t m = 1u << (bit & 31);
    uint32_t& d = D(e, r);
    ccr_set(e, SR_Z, (d & m) ? 0 : SR_Z);
    if (kind == 1) d ^= m;
    else if (kind == 2) d &= ~m;
    else if (kind == 3) d |= m;
  } else {
    uint32_t m = 1u << (bit & 7);
    uint32_t a = EA<1>[M](e, r);
    uint32_t v = rb(e, a);
    ccr_set(e, SR_Z, (v & m) ? 0 : SR_Z);
    if (kind == 1) wb(e, a, v ^ m);
    else if (kind == 2) wb(e, a, v & ~m);
    else if (kind == 3) wb(e, a, v | m);
  }
}

template <int OPM> void movep(emu68_t* e, int rx, int ry) {
  uint32_t a = A(e, ry) + sext16(fetch16(e));
  uint32_t& d = D(e, rx);
  if constexpr (OPM == 4) {
    d = (d & 0xFFFF0000u) | (rb(e, a) << 8) | rb(e, a + 2);
  } else if constexpr (OPM == 5) {
    d = (rb(e, a) << 24) | (rb(e, a + 2) << 16) | (rb(e, a + 4) << 8) | rb(e, a + 6);
  } else if constexpr (OPM == 6) {
    wb(e, a, d >> 8);
    wb(e, a + 2, d);
  } else {
    wb(e, a, d >> 24);
    wb(e, a + 2, d >> 16);
    wb(e, a + 4, d >> 8);
    wb(e, a + 6, d);
  }
}

template <int OPM, int M> void line0(emu68_t* e, int rx, int ry) {
  if constexpr (OPM >= 4) {
    if constexpr (M == 1) {
      movep<OPM>(e, rx, ry);
    } else {
      constexpr int kind = OPM - 4;
      if (kind == 0 ? !ok<C_DATA, M>(ry) : !ok<C_DATA_ALT, M>(ry)) return illegal(e);
      if constexpr (M == 7) {
        // BTST Dn,#imm tests a bit of the immediate byte.
        if (ry == 4) {
          uint32_t v = fetch16(e) & 0xFF;
          ccr_set(e, SR_Z, (v >> (D(e, rx) & 7)) & 1 ? 0 : SR_Z);
          return;
        }
      }
      bit_op<M>(e, kind, D(e, rx), ry);
    }
  } else if (rx == 4) {  // static bit operations, bit number in the extension word
    if (OPM == 0 ? !ok<C_DATA_NOIMM, M>(ry) : !ok<C_DATA_ALT, M>(ry)) return illegal(e);
    bit_op<M>(e, OPM, fetch16(e), ry);
  } else if constexpr (OPM == 3) {
    illegal(e);
  } else {
    constexpr int SZ = 1 << OPM;
    switch (rx) {
      case 7:
        return illegal(e);
      default:
        if (rx == 6 && !ok<C_DATA_ALT, M>(ry)) return illegal(e);
        if ((rx == 2 || rx == 3) && !ok<C_DATA_ALT, M>(ry)) return illegal(e);
        imm_op<SZ, M>(e, rx, ry);
    }
  }
}

// ------------------------------------------------------------ MOVE

template <int SZ, int DM, int SM> void move(emu68_t* e, int rx, int ry) {
  if constexpr (SZ == 1 && (SM == 1 || DM == 1)) {
    return illegal(e);
  } else {
    if (!ok<C_ALL, SM>(ry)) return illegal(e);
    if (DM != 1 && !ok<C_DATA_ALT, DM>(rx)) return illegal(e);
    uint32_t v = src<SZ, SM>(e, ry);
    if constexpr (DM == 1) {
      A(e, rx) = SZ == 2 ? sext16(v) : v;
    } else {
      flags_logic(e, v << SH<SZ>);
      dst_write<SZ, DM>(e, rx, v);
    }
  }
}

// ------------------------------------------------------------ line 4

template <int SZ, int M> void movem_to_mem(emu68_t* e, int r) {
  uint32_t mask = fetch16(e);
  if constexpr (M == 4) {
    uint32_t a = A(e, r);
    for (int i = 0; i < 16; ++i) {
      if (!(mask & (1u << i))) continue;
      a -= SZ;
      wr<SZ>(e, a, R(e, 15 - i));
    }
    A(e, r) = a;
  } else {
    uint32_t a = EA<SZ>[M](e, r);
    for (int i = 0; i < 16; ++i) {
      if (!(mask & (1u << i))) continue;
      wr<SZ>(e, a, R(e, i));
      a += SZ;
    }
  }
}

template <int SZ, int M> void movem_to_reg(emu68_t* e, int r) {
  uint32_t mask = fetch16(e);
  uint32_t a = M == 3 ? A(e, r) : EA<SZ>[M](e, r);
  for (int i = 0; i < 16; ++i) {
    if (!(mask & (1u << i))) continue;
    R(e, i) = SZ == 2 ? sext16(rw(e, a)) : rl(e, a);
    a += SZ;
  }
  if constexpr (M == 3) A(e, r) = a;
}

// 0x4E70..0x4E77 by bits 2..0.
void op_reset(emu68_t* e, int, int) { EMU68_reset(e); }
void op_nop(emu68_t*, int, int) {}
void op_stop(emu68_t* e, int, int) {
  e->reg.sr = fetch16(e) & SR_BITS;
  e->stopped = true;
}
void op_rte(emu68_t* e, int, int) {
  uint32_t sr = pop16(e);
  e->reg.pc = pop32(e);
  e->reg.sr = sr & SR_BITS;
}
void op_rts(emu68_t* e, int, int) { e->reg.pc = pop32(e); }
void op_trapv(emu68_t* e, int, int) {
  if (e->reg.sr & SR_V) EMU68_exception(e, VEC_TRAPV);
}
void op_rtr(emu68_t* e, int, int) {
  uint32_t ccr = pop16(e);
  e->reg.pc = pop32(e);
  e->reg.sr = (e->reg.sr & ~CCR_BITS) | (ccr & CCR_BITS);
}
constexpr handler_t GRP_4E70[8] = {op_reset, op_nop, op_stop, op_rte, illegal, op_rts, op_trapv, op_rtr};

// 0x4E40..0x4E7F by bits 5..3 (bits 7..6 are fixed by the table entry).
template <int M> void grp_4e40(emu68_t* e, int, int ry) {
  if constexpr (M <= 1) {
    EMU68_exception(e, VEC_TRAP + 4 * uint32_t((M << 3) | ry));
  } else if constexpr (M == 2) {
    uint32_t disp = sext16(fetch16(e));
    uint32_t v = ry == 7 ? A(e, 7) - 4 : A(e, ry);
    push32(e, v);
    A(e, ry) = A(e, 7);
    A(e, 7) += disp;
  } else if constexpr (M == 3) {
    uint32_t v = rl(e, A(e, ry));
    A(e, 7) = A(e, ry) + 4;
    A(e, ry) = v;
  } else if constexpr (M == 4) {
    e->reg.usp = A(e, ry);
  } else if constexpr (M == 5) {
    A(e, ry) = e->reg.usp;
  } else if constexpr (M == 6) {
    GRP_4E70[ry](e, 0, ry);
  } else {
    illegal(e);
  }
}

template <int OPM, int M> void line4_sub(emu68_t* e, int rx, int ry) {
  constexpr int SZ = 1 << (OPM & 3);
  switch (rx) {
    case 0:  // NEGX / MOVE from SR
      if (!ok<C_DATA_ALT, M>(ry)) return illegal(e);
      if constexpr (OPM == 3) dst_write<2, M>(e, ry, e->reg.sr);
      else rmw<SZ, M>(e, ry, [&](uint32_t d) {
        // Motorola's NEGX only clears Z, so a multi-word negation tests zero as a whole.
        const uint32_t z = e->reg.sr & SR_Z;
        const uint32_t r = do_subx<SZ>(e, d, 0);
        if (!r) e->reg.sr = (e->reg.sr & ~SR_Z) | z;
        return r;
      });
      return;
    case 1:  // CLR
      if (OPM == 3 || !ok<C_DATA_ALT, M>(ry)) return illegal(e);
      if constexpr (OPM != 3) {
        ccr_set(e, NZVC, SR_Z);
        dst_write<SZ, M>(e, ry, 0);
      }
      return;
    case 2:  // NEG / MOVE to CCR
      if constexpr (OPM == 3) {
        if (!ok<C_DATA, M>(ry)) return illegal(e);
        uint32_t v = src<2, M>(e, ry);
        e->reg.sr = (e->reg.sr & ~CCR_BITS) | (v & CCR_BITS);
      } else {
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(e);
        rmw<SZ, M>(e, ry, [&](uint32_t d) { return do_sub<SZ>(e, d, 0); });
      }
      return;
    case 3:  // NOT / MOVE to SR
      if constexpr (OPM == 3) {
        if (!ok<C_DATA, M>(ry)) return illegal(e);
        e->reg.sr = src<2, M>(e, ry) & SR_BITS;
      } else {
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(e);
        rmw<SZ, M>(e, ry, [&](uint32_t d) { return logic<SZ>(e, ~d & MASK<SZ>); });
      }
      return;
    case 4:
      if constexpr (OPM == 0) {  // NBCD: no decimal arithmetic, the operand is kept
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(e);
        rmw<1, M>(e, ry, [](uint32_t d) { return d; });
      } else if constexpr (OPM == 1) {
        if constexpr (M == 0) {  // SWAP
          uint32_t v = D(e, ry);
          v = (v << 16) | (v >> 16);
          D(e, ry) = v;
          flags_logic(e, v);
        } else {  // PEA
          if (!ok<C_CTRL, M>(ry)) return illegal(e);
          uint32_t a = EA<4>[M](e, ry);
          push32(e, a);
        }
      } else if constexpr (M == 0) {  // EXT
        if constexpr (OPM == 2) {
          D(e, ry) = merge<2>(D(e, ry), sext8(D(e, ry)));
          flags_logic(e, D(e, ry) << 16);
        } else {
          D(e, ry) = sext16(D(e, ry));
          flags_logic(e, D(e, ry));
        }
      } else {
        if (!ok<C_MOVEM_W, M>(ry)) return illegal(e);
        movem_to_mem<OPM == 2 ? 2 : 4, M>(e, ry);
      }
      return;
    case 5:
      if constexpr (OPM == 3) {  // TAS (0x4AFC is ILLEGAL)
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(e);
        rmw<1, M>(e, ry, [&](uint32_t d) { flags_logic(e, d << 24); return d | 0x80; });
      } else {  // TST
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(e);
        flags_logic(e, src<SZ, M>(e, ry) << SH<SZ>);
      }
      return;
    case 6:
      if constexpr (OPM >= 2) {
        if (!ok<C_MOVEM_R, M>(ry)) return illegal(e);
        movem_to_reg<OPM == 2 ? 2 : 4, M>(e, ry);
      } else {
        illegal(e);
      }
      return;
    default:
      if constexpr (OPM == 1) {
        grp_4e40<M>(e, rx, ry);
      } else if constexpr (OPM >= 2) {  // JSR / JMP
        if (!ok<C_CTRL, M>(ry)) return illegal(e);
        uint32_t a = EA<4>[M](e, ry);
        if (OPM == 2) push32(e, e->reg.pc);
        e->reg.pc = a;
      } else {
        illegal(e);
      }
  }
}

template <int OPM, int M> void line4(emu68_t* e, int rx, int ry) {
  if constexpr (OPM == 7) {  // LEA
    if (!ok<C_CTRL, M>(ry)) return illegal(e);
    A(e, rx) = EA<4>[M](e, ry);
  } else if constexpr (OPM == 6) {  // CHK.W; the condition flags stay as they are
    if (!ok<C_DATA, M>(ry)) return illegal(e);
    int32_t bound = int16_t(src<2, M>(e, ry));
    int32_t v = int16_t(D(e, rx));
    if (v < 0 || v > bound) EMU68_exception(e, VEC_CHK);
  } else if constexpr (OPM == 4 || OPM == 5) {
    illegal(e);
  } else {
    line4_sub<OPM, M>(e, rx, ry);
  }
}

// ------------------------------------------------------------ line 5

template <int OPM, int M> void line5(emu68_t* e, int rx, int ry) {
  if constexpr ((OPM & 3) == 3) {
    const int cc = (rx << 1) | (OPM >> 2);
    if constexpr (M == 1) {  // DBcc
      uint32_t base = e->reg.pc;
      uint32_t disp = sext16(fetch16(e));
      if (test_cc(e, cc)) return;
      uint32_t w = (D(e, ry) - 1) & 0xFFFF;
      D(e, ry) = merge<2>(D(e, ry), w);
      if (w != 0xFFFF) e->reg.pc = base + disp;
    } else {  // Scc
      if (!ok<C_DATA_ALT, M>(ry)) return illegal(e);
      dst_write<1, M>(e, ry, test_cc(e, cc) ? 0xFF : 0);
    }
  } else {
    constexpr int SZ = 1 << (OPM & 3);
    const uint32_t q = rx ? rx : 8;
    if constexpr (M == 1) {  // address register: whole register, no flags
      if constexpr (SZ == 1) return illegal(e);
      if constexpr (OPM & 4) A(e, ry) -= q;
      else A(e, ry) += q;
    } else {
      if (!ok<C_DATA_ALT, M>(ry)) return illegal(e);
      if constexpr (OPM & 4) rmw<SZ, M>(e, ry, [&](uint32_t d) { return do_sub<SZ>(e, q, d); });
      else rmw<SZ, M>(e, ry, [&](uint32_t d) { return do_add<SZ>(e, q, d); });
    }
  }
}

// ------------------------------------------------------------ lines 6, 7

template <int OPM, int M> void line6(emu68_t* e, int rx, int ry) {
  const int cc = (rx << 1) | (OPM >> 2);
  const uint32_t base = e->reg.pc;
  uint32_t disp = sext8(uint32_t(((OPM & 3) << 6) | (M << 3) | ry));
  if (disp == 0) disp = sext16(fetch16(e));
  if (cc == 1) {  // BSR
    push32(e, e->reg.pc);
    e->reg.pc = base + disp;
  } else if (test_cc(e, cc)) {
    e->reg.pc = base + disp;
  }
}

template <int OPM, int M> void line7(emu68_t* e, int rx, int ry) {
  if constexpr (OPM & 4) {
    illegal(e);
  } else {
    uint32_t v = sext8(uint32_t(((OPM & 3) << 6) | (M << 3) | ry));
    D(e, rx) = v;
    flags_logic(e, v);
  }
}

// ------------------------------------------------------------ lines 8, C

template <int M> void divu(emu68_t* e, int rx, int ry) {
  uint32_t s = src<2, M>(e, ry);
  if (!s) return EMU68_exception(e, VEC_ZERO_DIVIDE);
  uint32_t d = D(e, rx);
  uint32_t q = d / s;
  if (q > 0xFFFF) return ccr_set(e, SR_V | SR_C, SR_V);
  uint32_t rem = d % s;
  D(e, rx) = (rem << 16) | q;
  ccr_set(e, NZVC, ((q >> 12) & SR_N) | (q ? 0 : SR_Z));
}

template <int M> void divs(emu68_t* e, int rx, int ry) {
  int32_t s = int16_t(src<2, M>(e, ry));
  if (!s) return EMU68_exception(e, VEC_ZERO_DIVIDE);
  int32_t d = int32_t(D(e, rx));
  if (d == INT32_MIN && s == -1) return ccr_set(e, SR_Z | SR_V | SR_C, SR_Z | SR_V);
  int32_t q = d / s;
  if (q < -32768 || q > 32767) return ccr_set(e, SR_Z | SR_V | SR_C, SR_Z | SR_V);
  int32_t rem = d % s;
  uint32_t uq = uint32_t(q) & 0xFFFF;
  D(e, rx) = (uint32_t(rem) << 16) | uq;
  ccr_set(e, NZVC, ((uq >> 12) & SR_N) | (uq ? 0 : SR_Z));
}

// OR (line 8) and AND (line C) share their shape.
template <bool IS_AND, int OPM, int M> void logic_line(emu68_t* e, int rx, int ry) {
  constexpr int SZ = 1 << (OPM & 3);
  if constexpr (OPM < 3) {
    if (!ok<C_DATA, M>(ry)) return illegal(e);
    uint32_t s = src<SZ, M>(e, ry);
    uint32_t d = D(e, rx) & MASK<SZ>;
    D(e, rx) = merge<SZ>(D(e, rx), logic<SZ>(e, IS_AND ? (d & s) : (d | s)));
  } else {
    if (!ok<C_MEM_ALT, M>(ry)) return illegal(e);
    const uint32_t s = D(e, rx) & MASK<SZ>;
    rmw<SZ, M>(e, ry, [&](uint32_t d) { return logic<SZ>(e, IS_AND ? (d & s) : (d | s)); });
  }
}

// ABCD / SBCD: no decimal arithmetic; the memory form only moves both
// address registers down by two.
inline void bcd_skip(emu68_t* e, int rx, int ry, bool memory) {
  if (memory) {
    A(e, ry) -= 2;
    A(e, rx) -= 2;
  }
}

template <int OPM, int M> void line8(emu68_t* e, int rx, int ry) {
  if constexpr (OPM == 3 || OPM == 7) {
    if (!ok<C_DATA, M>(ry)) return illegal(e);
    if constexpr (OPM == 3) divu<M>(e, rx, ry);
    else divs<M>(e, rx, ry);
  } else if constexpr (OPM >= 4 && M <= 1) {
    if constexpr (OPM == 4) bcd_skip(e, rx, ry, M == 1);
    else illegal(e);
  } else {
    logic_line<false, OPM, M>(e, rx, ry);
  }
}

template <int OPM, int M> void lineC(emu68_t* e, int rx, int ry) {
  if constexpr (OPM == 3 || OPM == 7) {
    if (!ok<C_DATA, M>(ry)) return illegal(e);
    uint32_t s = src<2, M>(e, ry);
    uint32_t r = OPM == 3 ? (D(e, rx) & 0xFFFF) * s
                          : uint32_t(int32_t(int16_t(D(e, rx))) * int32_t(int16_t(s)));
    D(e, rx) = r;
    flags_logic(e, r);
  } else if constexpr (OPM == 4 && M <= 1) {
    bcd_skip(e, rx, ry, M == 1);
  } else if constexpr (OPM == 5 && M <= 1) {
    uint32_t& x = M == 0 ? D(e, rx) : A(e, rx);
    uint32_t& y = M == 0 ? D(e, ry) : A(e, ry);
    std::swap(x, y);
  } else if constexpr (OPM == 6 && M <= 1) {
    if constexpr (M == 0) illegal(e);
    else std::swap(D(e, rx), A(e, ry));
  } else {
    logic_line<true, OPM, M>(e, rx, ry);
  }
}

// ------------------------------------------------------------ lines 9, D, B

template <bool IS_ADD, int OPM, int M> void addsub(emu68_t* e, int rx, int ry) {
  constexpr int SZ = 1 << (OPM & 3);
  if constexpr (OPM == 3 || OPM == 7) {  // ADDA / SUBA
    if (!ok<C_ALL, M>(ry)) return illegal(e);
    uint32_t s = OPM == 3 ? sext16(src<2, M>(e, ry)) : src<4, M>(e, ry);
    if (IS_ADD) A(e, rx) += s;
    else A(e, rx) -= s;
  } else if constexpr (OPM < 3) {
    if constexpr (SZ == 1 && M == 1) return illegal(e);
    if (!ok<C_ALL, M>(ry)) return illegal(e);
    uint32_t s = src<SZ, M>(e, ry);
    uint32_t d = D(e, rx) & MASK<SZ>;
    D(e, rx) = merge<SZ>(D(e, rx), IS_ADD ? do_add<SZ>(e, s, d) : do_sub<SZ>(e, s, d));
  } else if constexpr (M == 0) {  // ADDX / SUBX Dy,Dx
    uint32_t s = D(e, ry) & MASK<SZ>;
    uint32_t d = D(e, rx) & MASK<SZ>;
    D(e, rx) = merge<SZ>(D(e, rx), IS_ADD ? do_addx<SZ>(e, s, d) : do_subx<SZ>(e, s, d));
  } else if constexpr (M == 1) {  // ADDX / SUBX -(Ay),-(Ax)
    uint32_t s = rd<SZ>(e, ea_dec<SZ>(e, ry));
    uint32_t a = ea_dec<SZ>(e, rx);
    uint32_t d = rd<SZ>(e, a);
    wr<SZ>(e, a, IS_ADD ? do_addx<SZ>(e, s, d) : do_subx<SZ>(e, s, d));
  } else {
    if (!ok<C_MEM_ALT, M>(ry)) return illegal(e);
    const uint32_t s = D(e, rx) & MASK<SZ>;
    rmw<SZ, M>(e, ry, [&](uint32_t d) { return IS_ADD ? do_add<SZ>(e, s, d) : do_sub<SZ>(e, s, d); });
  }
}

template <int OPM, int M> void lineB(emu68_t* e, int rx, int ry) {
  constexpr int SZ = 1 << (OPM & 3);
  if constexpr (OPM == 3 || OPM == 7) {  // CMPA
    if (!ok<C_ALL, M>(ry)) return illegal(e);
    uint32_t s = OPM == 3 ? sext16(src<2, M>(e, ry)) : src<4, M>(e, ry);
    do_cmp<4>(e, s, A(e, rx));
  } else if constexpr (OPM < 3) {  // CMP
    if constexpr (SZ == 1 && M == 1) return illegal(e);
    if (!ok<C_ALL, M>(ry)) return illegal(e);
    do_cmp<SZ>(e, src<SZ, M>(e, ry), D(e, rx) & MASK<SZ>);
  } else if constexpr (M == 1) {  // CMPM (Ay)+,(Ax)+
    uint32_t s = rd<SZ>(e, ea_inc<SZ>(e, ry));
    uint32_t d = rd<SZ>(e, ea_inc<SZ>(e, rx));
    do_cmp<SZ>(e, s, d);
  } else {  // EOR
    if (!ok<C_DATA_ALT, M>(ry)) return illegal(e);
    const uint32_t s = D(e, rx) & MASK<SZ>;
    rmw<SZ, M>(e, ry, [&](uint32_t d) { return logic<SZ>(e, d ^ s); });
  }
}

// ------------------------------------------------------------ line E

// TYPE 0 AS, 1 LS, 2 ROX, 3 RO; count already reduced to 0..63.
template <int SZ, int TYPE, bool left> inline uint32_t shift(emu68_t* e, uint32_t v, uint32_t cnt) {
  constexpr uint32_t B = 8 * SZ;
  constexpr uint32_t M = MASK<SZ>;
  constexpr uint32_t MSB = 1u << (B - 1);
  uint32_t r = v;
  uint32_t c = 0, ov = 0;
  bool set_x = cnt != 0;
  switch (TYPE) {
    case 0:
      if (!cnt) break;
      if (left) {
        if (cnt < B) {
          r = uint32_t(uint64_t(v) << cnt) & M;
          c = (v >> (B - cnt)) & 1;
          const uint64_t top = uint64_t(v) >> (B - 1 - cnt);
          ov = !(top == 0 || top == (uint64_t(1) << (cnt + 1)) - 1);
        } else {
          r = 0;
          c = cnt == B ? v & 1 : 0;
          ov = v != 0;
        }
      } else {
        const int64_t sv = (v & MSB) ? int64_t(v) - (int64_t(1) << B) : int64_t(v);
        if (cnt < B) {
          r = uint32_t(sv >> cnt) & M;
          c = (v >> (cnt - 1)) & 1;
        } else {
          r = (v & MSB) ? M : 0;
          c = (v & MSB) ? 1 : 0;
        }
      }
      break;
    case 1:
      if (!cnt) break;
      if (cnt > B) {
        r = 0;
      } else if (left) {
        r = uint32_t(uint64_t(v) << cnt) & M;
        c = uint32_t(uint64_t(v) >> (B - cnt)) & 1;
      } else {
        r = uint32_t(uint64_t(v) >> cnt);
        c = (v >> (cnt - 1)) & 1;
      }
      break;
    case 2: {
      uint32_t x = xbit(e);
      for (uint32_t n = cnt % (B + 1); n; --n) {
        uint32_t out;
        if (left) {
          out = (r >> (B - 1)) & 1;
          r = ((r << 1) | x) & M;
        } else {
          out = r & 1;
          r = (r >> 1) | (x << (B - 1));
        }
        x = out;
      }
      c = x;
      break;
    }
    default: {
      set_x = false;
      if (!cnt) break;
      const uint32_t n = cnt % B;
      if (left) {
        if (n) r = ((v << n) | (v >> (B - n))) & M;
        c = r & 1;
      } else {
        if (n) r = ((v >> n) | (v << (B - n))) & M;
        c = (r >> (B - 1)) & 1;
      }
    }
  }
  uint32_t f = ((r & MSB) ? SR_N : 0) | (r ? 0 : SR_Z) | (ov << 1) | c;
  if (set_x) ccr_set(e, NZVC | SR_X, f | (c << 4));
  else ccr_set(e, NZVC, f);
  return r;
}

template <int OPM, int M> void lineE(emu68_t* e, int rx, int ry) {
  constexpr bool left = OPM >> 2;
  if constexpr ((OPM & 3) == 3) {  // memory, word, by one
    if ((rx & 4) || !ok<C_MEM_ALT, M>(ry)) return illegal(e);
    switch (rx & 3) {
      case 0: rmw<2, M>(e, ry, [&](uint32_t d) { return shift<2, 0, left>(e, d, 1); }); break;
      case 1: rmw<2, M>(e, ry, [&](uint32_t d) { return shift<2, 1, left>(e, d, 1); }); break;
      case 2: rmw<2, M>(e, ry, [&](uint32_t d) { return shift<2, 2, left>(e, d, 1); }); break;
      default: rmw<2, M>(e, ry, [&](uint32_t d) { return shift<2, 3, left>(e, d, 1); }); break;
    }
  } else {
    constexpr int SZ = 1 << (OPM & 3);
    const uint32_t cnt = (M & 4) ? D(e, rx) & 63 : (rx ? rx : 8);
    D(e, ry) = merge<SZ>(D(e, ry), shift<SZ, M & 3, left>(e, D(e, ry) & MASK<SZ>, cnt));
  }
}

// ------------------------------------------------------------ table

template <int I> void dispatch(emu68_t* e, int rx, int ry) {
  constexpr int L = I >> 6, OPM = (I >> 3) & 7, M = I & 7;
  if constexpr (L == 0) line0<OPM, M>(e, rx, ry);
  else if constexpr (L == 1) move<1, OPM, M>(e, rx, ry);
  else if constexpr (L == 2) move<4, OPM, M>(e, rx, ry);
  else if constexpr (L == 3) move<2, OPM, M>(e, rx, ry);
  else if constexpr (L == 4) line4<OPM, M>(e, rx, ry);
  else if constexpr (L == 5) line5<OPM, M>(e, rx, ry);
  else if constexpr (L == 6) line6<OPM, M>(e, rx, ry);
  else if constexpr (L == 7) line7<OPM, M>(e, rx, ry);
  else if constexpr (L == 8) line8<OPM, M>(e, rx, ry);
  else if constexpr (L == 9) addsub<false, OPM, M>(e, rx, ry);
  else if constexpr (L == 0xB) lineB<OPM, M>(e, rx, ry);
  else if constexpr (L == 0xC) lineC<OPM, M>(e, rx, ry);
  else if constexpr (L == 0xD) addsub<true, OPM, M>(e, rx, ry);
  else lineE<OPM, M>(e, rx, ry);
}

template <size_t I> constexpr handler_t pick() {
  if constexpr ((I >> 6) == 0xA) return line_a;
  else if constexpr ((I >> 6) == 0xF) return line_f;
  else return dispatch<int(I)>;
}

template <size_t... I> constexpr std::array<handler_t, 1024> build(std::index_sequence<I...>) {
  return {{pick<I>()...}};
}

constexpr std::array<handler_t, 1024> TABLE = build(std::make_index_sequence<1024>{});

}  // namespace

static inline void step(emu68_t* emu) {
  const uint32_t op = fetch16(emu);
  TABLE[((op >> 12) << 6) | ((op >> 3) & 63)](emu, int((op >> 9) & 7), int(op & 7));
}

void EMU68_step(emu68_t* emu) {
  if (emu->reg.mem) step(emu);
}

bool emu68_run_to(emu68_t* emu, uint32_t top, uint32_t* budget) {
  uint32_t n = *budget;  // a local count, so the loop keeps it in a register
  bool back = false;
  while (n && !back) {
    --n;
    step(emu);
    back = emu->reg.a[7] >= top;
  }
  *budget = n;
  return back;
}
