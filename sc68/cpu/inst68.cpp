// Instruction handlers and the interpreter loop.
//
// Each opcode is looked up in DECODE, a 64K-entry table made at compile
// time, for its case in one switch: most lines take a case per value of
// bits 8..3 (operation mode and effective address mode), lines 0 and 4 one
// per operation as well, Bcc and DBcc one per condition (case_of). Each case
// is a template instance, so the size, the addressing modes and often the
// operation are constants inside it, and every case is inlined into the
// loop (execute): PC and the condition codes stay in host registers while it
// runs, and no call is made per instruction.
//
// Condition codes are kept lazily: N and Z as the value they come from, V
// and C as two bits, X on its own. SR is put together only when an
// instruction reads it, around exceptions and when the loop returns.
// Operands are aligned to the top of 32 bits for the flag routines, so one
// routine per operation serves all three sizes.
#include <array>
#include <bit>
#include <utility>

#include "sc68/cpu/emu68.h"
#include "sc68/cpu/mem68.h"

namespace {

constexpr uint32_t SR_BITS = 0xA71F;   // bits a 68000 SR holds
constexpr uint32_t CCR_BITS = 0x1F;
constexpr uint32_t TOP_BIT = 0x80000000u;

constexpr uint32_t VEC_ILLEGAL = 0x10;
constexpr uint32_t VEC_ZERO_DIVIDE = 0x14;
constexpr uint32_t VEC_CHK = 0x18;
constexpr uint32_t VEC_TRAPV = 0x1C;
constexpr uint32_t VEC_LINE_A = 0x28;
constexpr uint32_t VEC_LINE_F = 0x2C;
constexpr uint32_t VEC_TRAP = 0x80;

// Everything an instruction does is inlined into the interpreter loop, so
// that the core's fields never leave host registers. Sanitizer builds look
// for faults, not speed, and leave inlining to the compiler: instrumenting
// one function of two thousand inlined cases takes it very long.
#ifdef EMU68_FREE_INLINING
#define CORE_INLINE inline
#define CORE_FLATTEN
#else
#define CORE_INLINE [[gnu::always_inline]] inline
#define CORE_FLATTEN [[gnu::flatten]]
#endif

template <int SZ> constexpr int SH = 32 - 8 * SZ;
using mem68::SIZE_MASK;

// The address mask of RAM: EMU68_init accepts no other size, and the
// processor never runs without memory. A constant spares a host register.
constexpr uint32_t MEM_MASK = EMU68_MEMSIZE - 1;

// The processor while the loop runs. The data and address registers stay
// in the emulator's record; PC and the condition codes live here, and the
// loop's inlining keeps them in host registers.
struct core_t {
  emu68_t* emu;
  uint8_t* mem;
  uint32_t pc;
  uint32_t sr;      // SR without its five condition code bits
  uint32_t nflag;   // N is bit 31
  uint32_t zflag;   // Z is set when this is 0
  uint32_t vcflag;  // V and C at their SR positions
  uint32_t xflag;   // X, 0 or 1
};

CORE_INLINE void set_sr(core_t& c, uint32_t sr) {
  c.sr = sr & ~CCR_BITS;
  c.nflag = (sr & SR_N) ? TOP_BIT : 0;
  c.zflag = (sr & SR_Z) ? 0 : 1;
  c.vcflag = sr & (SR_V | SR_C);
  c.xflag = (sr >> 4) & 1;
}

CORE_INLINE uint32_t nzvc(const core_t& c) {
  return ((c.nflag >> 28) & SR_N) | (c.zflag ? 0 : SR_Z) | c.vcflag;
}

CORE_INLINE uint32_t get_sr(const core_t& c) { return c.sr | (c.xflag << 4) | nzvc(c); }

// PC and SR move between the core and the emulator's record when the loop
// starts and ends, and around emulator-level work (exceptions, reset).
CORE_INLINE void enter(core_t& c) {
  c.pc = c.emu->reg.pc;
  set_sr(c, c.emu->reg.sr);
}

CORE_INLINE void leave(const core_t& c) {
  c.emu->reg.pc = c.pc;
  c.emu->reg.sr = get_sr(c);
}

CORE_INLINE uint32_t& D(core_t& c, int n) { return c.emu->reg.d[n]; }
CORE_INLINE uint32_t& A(core_t& c, int n) { return c.emu->reg.a[n]; }
CORE_INLINE uint32_t& R(core_t& c, int n) { return n < 8 ? D(c, n) : A(c, n - 8); }

inline uint32_t sext8(uint32_t v) { return uint32_t(int32_t(int8_t(v))); }
inline uint32_t sext16(uint32_t v) { return uint32_t(int32_t(int16_t(v))); }

template <int SZ> inline uint32_t merge(uint32_t old, uint32_t v) {
  return (old & ~SIZE_MASK<SZ>) | (v & SIZE_MASK<SZ>);
}

template <int SZ> CORE_INLINE uint32_t rd(core_t& c, uint32_t a) { return mem68::read<SZ>(c.emu, c.mem, MEM_MASK, a); }
template <int SZ> CORE_INLINE void wr(core_t& c, uint32_t a, uint32_t v) { mem68::write<SZ>(c.emu, c.mem, MEM_MASK, a, v); }

CORE_INLINE uint32_t rb(core_t& c, uint32_t a) { return rd<1>(c, a); }
CORE_INLINE void wb(core_t& c, uint32_t a, uint32_t v) { wr<1>(c, a, v); }

// Instruction stream: always RAM. A word is read as the top half of a long,
// one host load (the spare bytes after RAM cover the top address).
CORE_INLINE uint32_t fetch16(core_t& c) {
  const uint32_t v = mem68::load32(c.mem + (c.pc & MEM_MASK)) >> 16;
  c.pc += 2;
  return v;
}

CORE_INLINE uint32_t fetch32(core_t& c) {
  const uint32_t hi = fetch16(c);
  return (hi << 16) | fetch16(c);
}

CORE_INLINE void push32(core_t& c, uint32_t v) { A(c, 7) -= 4; wr<4>(c, A(c, 7), v); }
CORE_INLINE uint32_t pop16(core_t& c) { uint32_t v = rd<2>(c, A(c, 7)); A(c, 7) += 2; return v; }
CORE_INLINE uint32_t pop32(core_t& c) { uint32_t v = rd<4>(c, A(c, 7)); A(c, 7) += 4; return v; }

// ------------------------------------------------------- exceptions

// Out of line and given the emulator only, so that the core's fields never
// leave host registers on the common paths.
[[gnu::noinline, gnu::cold]] void raise(emu68_t* e, uint32_t vector) { EMU68_exception(e, vector); }

// The opcode's own address is stacked (illegal, lines A/F).
[[gnu::noinline, gnu::cold]] void raise_at_opcode(emu68_t* e, uint32_t vector) {
  e->reg.pc -= 2;
  if (vector == VEC_ILLEGAL) EMU68_error_add(e, "Illegal pc:%06x", e->reg.pc & 0xFFFFFF);
  EMU68_exception(e, vector);
}

[[gnu::noinline, gnu::cold]] void reset(emu68_t* e) { EMU68_reset(e); }

[[gnu::noinline, gnu::cold]] uint32_t ea_bad(emu68_t* e, int mode) {
  EMU68_error_add(e, "get_ea(%d)", mode);
  return 0xFFFFFFFFu;
}

CORE_INLINE void exception(core_t& c, uint32_t vector) {
  leave(c);
  raise(c.emu, vector);
  enter(c);
}

CORE_INLINE void exception_at_opcode(core_t& c, uint32_t vector) {
  leave(c);
  raise_at_opcode(c.emu, vector);
  enter(c);
}

CORE_INLINE void illegal(core_t& c) { exception_at_opcode(c, VEC_ILLEGAL); }

// ------------------------------------------------------- effective address

// A7 stays word aligned on byte pushes and pops.
template <int SZ> constexpr uint32_t step_of(int r) { return SZ == 1 && r == 7 ? 2 : SZ; }

// Brief extension word: index register, word or long, 8-bit displacement.
CORE_INLINE uint32_t indexed(core_t& c, uint32_t base) {
  const uint32_t ext = fetch16(c);
  uint32_t x = R(c, int(ext >> 12));
  if (!(ext & 0x800)) x = sext16(x);
  return base + x + sext8(ext);
}

// Address of a memory operand of SZ bytes in mode M, register r.
template <int SZ, int M> CORE_INLINE uint32_t ea(core_t& c, int r) {
  if constexpr (M == 2) {
    return A(c, r);
  } else if constexpr (M == 3) {
    const uint32_t a = A(c, r);
    A(c, r) = a + step_of<SZ>(r);
    return a;
  } else if constexpr (M == 4) {
    return A(c, r) -= step_of<SZ>(r);
  } else if constexpr (M == 5) {
    return A(c, r) + sext16(fetch16(c));
  } else if constexpr (M == 6) {
    return indexed(c, A(c, r));
  } else if constexpr (M == 7) {
    switch (r) {
      case 0: return sext16(fetch16(c));  // abs.w
      case 1: return fetch32(c);          // abs.l
      case 2: {                           // d16(PC)
        const uint32_t base = c.pc;
        return base + sext16(fetch16(c));
      }
      case 3: return indexed(c, c.pc);  // d8(PC,Xn)
      case 4: {
        // Immediate data is part of the instruction stream, so it is read from RAM.
        const uint32_t a = (c.pc + (SZ == 1)) & MEM_MASK;
        c.pc += SZ == 4 ? 4 : 2;
        return a;
      }
      default: return ea_bad(c.emu, 7);
    }
  } else {
    return ea_bad(c.emu, M);
  }
}

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
template <int SZ, int M> CORE_INLINE uint32_t src(core_t& c, int r) {
  if constexpr (M == 0) return D(c, r) & SIZE_MASK<SZ>;
  else if constexpr (M == 1) return A(c, r) & SIZE_MASK<SZ>;
  else return rd<SZ>(c, ea<SZ, M>(c, r));
}

// Read-modify-write of a data register or memory operand.
template <int SZ, int M, class F> CORE_INLINE void rmw(core_t& c, int r, F f) {
  if constexpr (M == 0) {
    D(c, r) = merge<SZ>(D(c, r), f(D(c, r) & SIZE_MASK<SZ>));
  } else {
    const uint32_t a = ea<SZ, M>(c, r);
    wr<SZ>(c, a, f(rd<SZ>(c, a)));
  }
}

template <int SZ, int M> CORE_INLINE void dst_write(core_t& c, int r, uint32_t v) {
  if constexpr (M == 0) D(c, r) = merge<SZ>(D(c, r), v);
  else wr<SZ>(c, ea<SZ, M>(c, r), v);
}

// ------------------------------------------------------------ flags

// N and Z from an aligned result, V and C cleared, X kept.
CORE_INLINE void flags_logic(core_t& c, uint32_t r) {
  c.nflag = c.zflag = r;
  c.vcflag = 0;
}
template <int SZ> CORE_INLINE uint32_t logic(core_t& c, uint32_t r) {
  flags_logic(c, r << SH<SZ>);
  return r;
}

// Aligned add: result, then flags; x is the carry-in.
template <int SZ> CORE_INLINE uint32_t add_op(core_t& c, uint32_t s, uint32_t d, uint32_t x) {
  const uint32_t as = s << SH<SZ>, ad = d << SH<SZ>;
  const uint64_t r64 = uint64_t(as) + ad + (uint64_t(x) << SH<SZ>);
  const uint32_t r = uint32_t(r64);
  const uint32_t carry = uint32_t(r64 >> 32) & 1;
  const uint32_t v = ((as ^ r) & (ad ^ r)) >> 31;
  c.nflag = c.zflag = r;
  c.vcflag = (v << 1) | carry;
  c.xflag = carry;
  return r >> SH<SZ>;
}

// Aligned subtract d - s - x. CMP keeps X.
template <int SZ, bool SET_X> CORE_INLINE uint32_t sub_op(core_t& c, uint32_t s, uint32_t d, uint32_t x) {
  const uint32_t as = s << SH<SZ>, ad = d << SH<SZ>;
  const uint64_t r64 = uint64_t(ad) - as - (uint64_t(x) << SH<SZ>);
  const uint32_t r = uint32_t(r64);
  const uint32_t borrow = uint32_t(r64 >> 32) & 1;
  const uint32_t v = ((as ^ ad) & (r ^ ad)) >> 31;
  c.nflag = c.zflag = r;
  c.vcflag = (v << 1) | borrow;
  if constexpr (SET_X) c.xflag = borrow;
  return r >> SH<SZ>;
}

// ADDX and SUBX set Z from the result as ADD and SUB do (a choice of this
// interpreter, pinned by the result table of the cpu run tests).
template <int SZ> CORE_INLINE uint32_t do_add(core_t& c, uint32_t s, uint32_t d) { return add_op<SZ>(c, s, d, 0); }
template <int SZ> CORE_INLINE uint32_t do_addx(core_t& c, uint32_t s, uint32_t d) { return add_op<SZ>(c, s, d, c.xflag); }
template <int SZ> CORE_INLINE uint32_t do_sub(core_t& c, uint32_t s, uint32_t d) { return sub_op<SZ, true>(c, s, d, 0); }
template <int SZ> CORE_INLINE uint32_t do_subx(core_t& c, uint32_t s, uint32_t d) { return sub_op<SZ, true>(c, s, d, c.xflag); }
template <int SZ> CORE_INLINE void do_cmp(core_t& c, uint32_t s, uint32_t d) { sub_op<SZ, false>(c, s, d, 0); }

// Condition cc (0 T, 1 F, 2 HI, 3 LS, 4 CC, 5 CS, 6 NE, 7 EQ, 8 VC, 9 VS,
// 10 PL, 11 MI, 12 GE, 13 LT, 14 GT, 15 LE) over the four flags.
constexpr bool cond_eval(int cc, bool N, bool Z, bool V, bool C) {
  switch (cc) {
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

// A condition known at compile time reads only the flags it needs.
template <int CC> CORE_INLINE bool cond(const core_t& c) {
  return cond_eval(CC, int32_t(c.nflag) < 0, c.zflag == 0, c.vcflag & SR_V, c.vcflag & SR_C);
}

// A condition chosen at run time: one 16-bit set per condition over the
// NZVC nibble.
constexpr std::array<uint16_t, 16> make_cond_table() {
  std::array<uint16_t, 16> t{};
  for (int cc = 0; cc < 16; ++cc)
    for (int f = 0; f < 16; ++f)
      if (cond_eval(cc, f & SR_N, f & SR_Z, f & SR_V, f & SR_C)) t[cc] |= uint16_t(1u << f);
  return t;
}
constexpr std::array<uint16_t, 16> COND = make_cond_table();
CORE_INLINE bool test_cc(const core_t& c, int cc) { return (COND[cc] >> nzvc(c)) & 1; }

template <int SZ> CORE_INLINE uint32_t fetch_imm(core_t& c) {
  if constexpr (SZ == 1) return fetch16(c) & 0xFF;
  else if constexpr (SZ == 2) return fetch16(c);
  else return fetch32(c);
}

// ------------------------------------------------------------ line 0

// Immediate operations by bits 11..9 (4 is the static bit group).
enum imm_kind { IMM_OR = 0, IMM_AND = 1, IMM_SUB = 2, IMM_ADD = 3, IMM_EOR = 5, IMM_CMP = 6 };

// 0000 kkk0 ssMM Mrrr  ORI ANDI SUBI ADDI EORI CMPI #imm,<ea>
// 0000 kkk0 0s11 1100  ORI ANDI EORI #imm,CCR (byte) / SR (word)
template <int SZ, int M> CORE_INLINE void imm_op(core_t& c, int kind, int r) {
  if (M == 7 && r == 4 && SZ != 4 && (kind == IMM_OR || kind == IMM_AND || kind == IMM_EOR)) {
    const uint32_t v = fetch16(c);
    const uint32_t m = SZ == 1 ? CCR_BITS : SR_BITS;
    const uint32_t sr = get_sr(c);
    uint32_t part = sr & m;
    if (kind == IMM_OR) part |= v & m;
    else if (kind == IMM_AND) part &= v;
    else part ^= v & m;
    set_sr(c, (sr & ~m) | (part & m));
    return;
  }
  if (!ok<C_DATA_ALT, M>(r)) return illegal(c);
  const uint32_t s = fetch_imm<SZ>(c);
  switch (kind) {
    case IMM_OR: rmw<SZ, M>(c, r, [&](uint32_t d) { return logic<SZ>(c, d | s); }); break;
    case IMM_AND: rmw<SZ, M>(c, r, [&](uint32_t d) { return logic<SZ>(c, d & s); }); break;
    case IMM_SUB: rmw<SZ, M>(c, r, [&](uint32_t d) { return do_sub<SZ>(c, s, d); }); break;
    case IMM_ADD: rmw<SZ, M>(c, r, [&](uint32_t d) { return do_add<SZ>(c, s, d); }); break;
    case IMM_EOR: rmw<SZ, M>(c, r, [&](uint32_t d) { return logic<SZ>(c, d ^ s); }); break;
    default: do_cmp<SZ>(c, s, src<SZ, M>(c, r)); break;
  }
}

enum bit_kind { BIT_TST = 0, BIT_CHG = 1, BIT_CLR = 2, BIT_SET = 3 };

// Registers use the bit number mod 32, memory bytes mod 8; only Z changes.
template <int M> CORE_INLINE void bit_op(core_t& c, int kind, uint32_t bit, int r) {
  if constexpr (M == 0) {
    const uint32_t m = 1u << (bit & 31);
    uint32_t& d = D(c, r);
    c.zflag = d & m;
    if (kind == BIT_CHG) d ^= m;
    else if (kind == BIT_CLR) d &= ~m;
    else if (kind == BIT_SET) d |= m;
  } else {
    const uint32_t m = 1u << (bit & 7);
    const uint32_t a = ea<1, M>(c, r);
    const uint32_t v = rb(c, a);
    c.zflag = v & m;
    if (kind == BIT_CHG) wb(c, a, v ^ m);
    else if (kind == BIT_CLR) wb(c, a, v & ~m);
    else if (kind == BIT_SET) wb(c, a, v | m);
  }
}

// 0000 ddd1 oo00 1aaa  MOVEP (oo: 00 word to Dd, 01 long to Dd, 10 word to memory, 11 long to memory)
template <int OPM> CORE_INLINE void movep(core_t& c, int rx, int ry) {
  const uint32_t a = A(c, ry) + sext16(fetch16(c));
  uint32_t& d = D(c, rx);
  if constexpr (OPM == 4) {
    d = (d & 0xFFFF0000u) | (rb(c, a) << 8) | rb(c, a + 2);
  } else if constexpr (OPM == 5) {
    d = (rb(c, a) << 24) | (rb(c, a + 2) << 16) | (rb(c, a + 4) << 8) | rb(c, a + 6);
  } else if constexpr (OPM == 6) {
    wb(c, a, d >> 8);
    wb(c, a + 2, d);
  } else {
    wb(c, a, d >> 24);
    wb(c, a + 2, d >> 16);
    wb(c, a + 4, d >> 8);
    wb(c, a + 6, d);
  }
}

// 0000 ddd1 kkMM Mrrr  BTST BCHG BCLR BSET Dd,<ea>
// 0000 1000 kkMM Mrrr  BTST BCHG BCLR BSET #n,<ea>
template <int OPM, int M> CORE_INLINE void line0(core_t& c, int rx, int ry) {
  if constexpr (OPM >= 4) {
    if constexpr (M == 1) {
      movep<OPM>(c, rx, ry);
    } else {
      constexpr int kind = OPM - 4;
      if (kind == BIT_TST ? !ok<C_DATA, M>(ry) : !ok<C_DATA_ALT, M>(ry)) return illegal(c);
      if constexpr (M == 7) {
        // BTST Dn,#imm tests a bit of the immediate byte.
        if (ry == 4) {
          const uint32_t v = fetch16(c) & 0xFF;
          c.zflag = (v >> (D(c, rx) & 7)) & 1;
          return;
        }
      }
      bit_op<M>(c, kind, D(c, rx), ry);
    }
  } else if (rx == 4) {
    if (OPM == BIT_TST ? !ok<C_DATA_NOIMM, M>(ry) : !ok<C_DATA_ALT, M>(ry)) return illegal(c);
    bit_op<M>(c, OPM, fetch16(c), ry);
  } else if constexpr (OPM == 3) {
    illegal(c);
  } else {
    constexpr int SZ = 1 << OPM;
    if (rx == 7) return illegal(c);
    if ((rx == IMM_SUB || rx == IMM_ADD || rx == IMM_CMP) && !ok<C_DATA_ALT, M>(ry)) return illegal(c);
    imm_op<SZ, M>(c, rx, ry);
  }
}

// ------------------------------------------------------------ MOVE

// 00ss RRRm mmMM Mrrr  MOVE <ea>,<ea> (ss 01 byte, 11 word, 10 long; RRR mmm the destination), MOVEA when mmm is 001
template <int SZ, int DM, int SM> CORE_INLINE void move(core_t& c, int rx, int ry) {
  if constexpr (SZ == 1 && (SM == 1 || DM == 1)) {
    return illegal(c);
  } else {
    if (!ok<C_ALL, SM>(ry)) return illegal(c);
    if (DM != 1 && !ok<C_DATA_ALT, DM>(rx)) return illegal(c);
    const uint32_t v = src<SZ, SM>(c, ry);
    if constexpr (DM == 1) {
      A(c, rx) = SZ == 2 ? sext16(v) : v;
    } else {
      flags_logic(c, v << SH<SZ>);
      dst_write<SZ, DM>(c, rx, v);
    }
  }
}

// ------------------------------------------------------------ line 4

// MOVEM visits the registers of the mask in ascending bit order, one bus
// access each.
template <int SZ, int M> CORE_INLINE void movem_to_mem(core_t& c, int r) {
  const uint32_t mask = fetch16(c);
  if constexpr (M == 4) {
    uint32_t a = A(c, r);
    for (uint32_t m = mask; m; m &= m - 1) {
      a -= SZ;
      wr<SZ>(c, a, R(c, 15 - std::countr_zero(m)));
    }
    A(c, r) = a;
  } else {
    uint32_t a = ea<SZ, M>(c, r);
    for (uint32_t m = mask; m; m &= m - 1) {
      wr<SZ>(c, a, R(c, std::countr_zero(m)));
      a += SZ;
    }
  }
}

template <int SZ, int M> CORE_INLINE void movem_to_reg(core_t& c, int r) {
  const uint32_t mask = fetch16(c);
  uint32_t a = M == 3 ? A(c, r) : ea<SZ, M>(c, r);
  for (uint32_t m = mask; m; m &= m - 1) {
    R(c, std::countr_zero(m)) = SZ == 2 ? sext16(rd<2>(c, a)) : rd<4>(c, a);
    a += SZ;
  }
  if constexpr (M == 3) A(c, r) = a;
}

// 0100 1110 0111 0nnn  RESET NOP STOP RTE (illegal) RTS TRAPV RTR
CORE_INLINE void grp_4e70(core_t& c, int n) {
  switch (n) {
    case 0:
      leave(c);
      reset(c.emu);
      enter(c);
      return;
    case 1: return;
    case 2:
      // STOP loads SR and marks the processor stopped; execution goes on.
      set_sr(c, fetch16(c) & SR_BITS);
      c.emu->stopped = true;
      return;
    case 3: {
      const uint32_t sr = pop16(c);
      c.pc = pop32(c);
      set_sr(c, sr & SR_BITS);
      return;
    }
    case 5: c.pc = pop32(c); return;
    case 6:
      if (c.vcflag & SR_V) exception(c, VEC_TRAPV);
      return;
    case 7: {
      // Only the low byte of the popped word replaces the CCR.
      const uint32_t ccr = pop16(c);
      c.pc = pop32(c);
      set_sr(c, c.sr | (ccr & CCR_BITS));
      return;
    }
    default: return illegal(c);
  }
}

// 0100 1110 01MM Mrrr: TRAP #n (modes 0, 1), LINK, UNLK, MOVE An,USP, MOVE USP,An, 4E70 group
template <int M> CORE_INLINE void grp_4e40(core_t& c, int ry) {
  if constexpr (M <= 1) {
    exception(c, VEC_TRAP + 4 * uint32_t((M << 3) | ry));
  } else if constexpr (M == 2) {
    const uint32_t disp = sext16(fetch16(c));
    const uint32_t v = ry == 7 ? A(c, 7) - 4 : A(c, ry);
    push32(c, v);
    A(c, ry) = A(c, 7);
    A(c, 7) += disp;
  } else if constexpr (M == 3) {
    const uint32_t v = rd<4>(c, A(c, ry));
    A(c, 7) = A(c, ry) + 4;
    A(c, ry) = v;
  } else if constexpr (M == 4) {
    c.emu->reg.usp = A(c, ry);
  } else if constexpr (M == 5) {
    A(c, ry) = c.emu->reg.usp;
  } else if constexpr (M == 6) {
    grp_4e70(c, ry);
  } else {
    illegal(c);
  }
}

// Line 4 single-operand groups by bits 11..9.
enum line4_group {
  G4_NEGX = 0,  // NEGX, MOVE from SR
  G4_CLR = 1,
  G4_NEG = 2,   // NEG, MOVE to CCR
  G4_NOT = 3,   // NOT, MOVE to SR
  G4_MISC = 4,  // NBCD, SWAP, PEA, EXT, MOVEM to memory
  G4_TST = 5,   // TST, TAS
  G4_MOVEM = 6, // MOVEM to registers
  G4_JUMP = 7,  // TRAP group, JSR, JMP
};

// 0100 ggg0 ssMM Mrrr  (ss 11: the word forms on SR/CCR, TAS, MOVEM, JSR/JMP)
template <int OPM, int M> CORE_INLINE void line4_sub(core_t& c, int rx, int ry) {
  constexpr int SZ = 1 << (OPM & 3);
  switch (rx) {
    case G4_NEGX:
      if (!ok<C_DATA_ALT, M>(ry)) return illegal(c);
      if constexpr (OPM == 3) dst_write<2, M>(c, ry, get_sr(c));
      else rmw<SZ, M>(c, ry, [&](uint32_t d) {
        // Motorola's NEGX only clears Z, so a multi-word negation tests zero as a whole.
        const uint32_t z = c.zflag;
        const uint32_t r = do_subx<SZ>(c, d, 0);
        if (!r) c.zflag = z;
        return r;
      });
      return;
    case G4_CLR:
      if (OPM == 3 || !ok<C_DATA_ALT, M>(ry)) return illegal(c);
      if constexpr (OPM != 3) {
        flags_logic(c, 0);
        dst_write<SZ, M>(c, ry, 0);
      }
      return;
    case G4_NEG:
      if constexpr (OPM == 3) {
        if (!ok<C_DATA, M>(ry)) return illegal(c);
        const uint32_t v = src<2, M>(c, ry);
        set_sr(c, c.sr | (v & CCR_BITS));
      } else {
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(c);
        rmw<SZ, M>(c, ry, [&](uint32_t d) { return do_sub<SZ>(c, d, 0); });
      }
      return;
    case G4_NOT:
      if constexpr (OPM == 3) {
        if (!ok<C_DATA, M>(ry)) return illegal(c);
        set_sr(c, src<2, M>(c, ry) & SR_BITS);
      } else {
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(c);
        rmw<SZ, M>(c, ry, [&](uint32_t d) { return logic<SZ>(c, ~d & SIZE_MASK<SZ>); });
      }
      return;
    case G4_MISC:
      if constexpr (OPM == 0) {  // NBCD: no decimal arithmetic, the operand is kept
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(c);
        rmw<1, M>(c, ry, [](uint32_t d) { return d; });
      } else if constexpr (OPM == 1) {
        if constexpr (M == 0) {  // SWAP
          uint32_t v = D(c, ry);
          v = (v << 16) | (v >> 16);
          D(c, ry) = v;
          flags_logic(c, v);
        } else {  // PEA
          if (!ok<C_CTRL, M>(ry)) return illegal(c);
          const uint32_t a = ea<4, M>(c, ry);
          push32(c, a);
        }
      } else if constexpr (M == 0) {  // EXT
        if constexpr (OPM == 2) {
          D(c, ry) = merge<2>(D(c, ry), sext8(D(c, ry)));
          flags_logic(c, D(c, ry) << 16);
        } else {
          D(c, ry) = sext16(D(c, ry));
          flags_logic(c, D(c, ry));
        }
      } else {
        if (!ok<C_MOVEM_W, M>(ry)) return illegal(c);
        movem_to_mem<OPM == 2 ? 2 : 4, M>(c, ry);
      }
      return;
    case G4_TST:
      if constexpr (OPM == 3) {  // TAS (0x4AFC is ILLEGAL)
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(c);
        rmw<1, M>(c, ry, [&](uint32_t d) { flags_logic(c, d << 24); return d | 0x80; });
      } else {
        if (!ok<C_DATA_ALT, M>(ry)) return illegal(c);
        flags_logic(c, src<SZ, M>(c, ry) << SH<SZ>);
      }
      return;
    case G4_MOVEM:
      if constexpr (OPM >= 2) {
        if (!ok<C_MOVEM_R, M>(ry)) return illegal(c);
        movem_to_reg<OPM == 2 ? 2 : 4, M>(c, ry);
      } else {
        illegal(c);
      }
      return;
    default:
      if constexpr (OPM == 1) {
        grp_4e40<M>(c, ry);
      } else if constexpr (OPM >= 2) {  // JSR (10) / JMP (11)
        if (!ok<C_CTRL, M>(ry)) return illegal(c);
        const uint32_t a = ea<4, M>(c, ry);
        if (OPM == 2) push32(c, c.pc);
        c.pc = a;
      } else {
        illegal(c);
      }
  }
}

// 0100 aaa1 11MM Mrrr  LEA <ea>,Aa
// 0100 ddd1 10MM Mrrr  CHK.W <ea>,Dd
template <int OPM, int M> CORE_INLINE void line4(core_t& c, int rx, int ry) {
  if constexpr (OPM == 7) {
    if (!ok<C_CTRL, M>(ry)) return illegal(c);
    A(c, rx) = ea<4, M>(c, ry);
  } else if constexpr (OPM == 6) {  // the condition flags stay as they are
    if (!ok<C_DATA, M>(ry)) return illegal(c);
    const int32_t bound = int16_t(src<2, M>(c, ry));
    const int32_t v = int16_t(D(c, rx));
    if (v < 0 || v > bound) exception(c, VEC_CHK);
  } else if constexpr (OPM == 4 || OPM == 5) {
    illegal(c);
  } else {
    line4_sub<OPM, M>(c, rx, ry);
  }
}

// ------------------------------------------------------------ line 5

// 0101 cccc 1100 1rrr  DBcc Dr,disp
template <int CC> CORE_INLINE void dbcc(core_t& c, int r) {
  const uint32_t base = c.pc;
  const uint32_t disp = sext16(fetch16(c));
  if (cond<CC>(c)) return;
  const uint32_t w = (D(c, r) - 1) & 0xFFFF;
  D(c, r) = merge<2>(D(c, r), w);
  if (w != 0xFFFF) c.pc = base + disp;
}

// 0101 cccc 11MM Mrrr  Scc <ea>
// 0101 qqqk ssMM Mrrr  ADDQ (k 0) / SUBQ (k 1) #q,<ea>
template <int OPM, int M> CORE_INLINE void line5(core_t& c, int rx, int ry) {
  if constexpr ((OPM & 3) == 3) {
    if (!ok<C_DATA_ALT, M>(ry)) return illegal(c);
    dst_write<1, M>(c, ry, test_cc(c, (rx << 1) | (OPM >> 2)) ? 0xFF : 0);
  } else {
    constexpr int SZ = 1 << (OPM & 3);
    const uint32_t q = rx ? rx : 8;
    if constexpr (M == 1) {  // address register: whole register, no flags
      if constexpr (SZ == 1) return illegal(c);
      if constexpr (OPM & 4) A(c, ry) -= q;
      else A(c, ry) += q;
    } else {
      if (!ok<C_DATA_ALT, M>(ry)) return illegal(c);
      if constexpr (OPM & 4) rmw<SZ, M>(c, ry, [&](uint32_t d) { return do_sub<SZ>(c, q, d); });
      else rmw<SZ, M>(c, ry, [&](uint32_t d) { return do_add<SZ>(c, q, d); });
    }
  }
}

// ------------------------------------------------------------ lines 6, 7

// 0110 cccc dddd dddd  Bcc (cccc 0000 BRA, 0001 BSR); a zero byte
// displacement means a word follows (WORD)
template <int CC, bool WORD> CORE_INLINE void branch(core_t& c, uint32_t op) {
  const uint32_t base = c.pc;
  const uint32_t disp = WORD ? sext16(fetch16(c)) : sext8(op);
  if constexpr (CC == 1) {
    push32(c, c.pc);
    c.pc = base + disp;
  } else if (cond<CC>(c)) {
    c.pc = base + disp;
  }
}

// 0111 ddd0 nnnn nnnn  MOVEQ #n,Dd
template <int OPM, int M> CORE_INLINE void line7(core_t& c, int rx, int ry) {
  if constexpr (OPM & 4) {
    illegal(c);
  } else {
    const uint32_t v = sext8(uint32_t(((OPM & 3) << 6) | (M << 3) | ry));
    D(c, rx) = v;
    flags_logic(c, v);
  }
}

// ------------------------------------------------------------ lines 8, C

// A quotient that does not fit leaves the destination as it was.
template <int M> CORE_INLINE void divu(core_t& c, int rx, int ry) {
  const uint32_t s = src<2, M>(c, ry);
  if (!s) return exception(c, VEC_ZERO_DIVIDE);
  const uint32_t d = D(c, rx);
  const uint32_t q = d / s;
  if (q > 0xFFFF) {
    c.vcflag = SR_V;
    return;
  }
  const uint32_t rem = d % s;
  D(c, rx) = (rem << 16) | q;
  flags_logic(c, q << 16);
}

// Overflow sets Z too, and counts the most negative long by -1 as one.
template <int M> CORE_INLINE void divs(core_t& c, int rx, int ry) {
  const int32_t s = int16_t(src<2, M>(c, ry));
  if (!s) return exception(c, VEC_ZERO_DIVIDE);
  const int32_t d = int32_t(D(c, rx));
  const int32_t q = d == INT32_MIN && s == -1 ? INT32_MIN : d / s;
  if (q < -32768 || q > 32767) {
    c.zflag = 0;
    c.vcflag = SR_V;
    return;
  }
  const int32_t rem = d % s;
  const uint32_t uq = uint32_t(q) & 0xFFFF;
  D(c, rx) = (uint32_t(rem) << 16) | uq;
  flags_logic(c, uq << 16);
}

// 1000 dddo ssMM Mrrr  OR (o 0: <ea>,Dd; o 1: Dd,<ea>);  1100 same shape for AND
template <bool IS_AND, int OPM, int M> CORE_INLINE void logic_line(core_t& c, int rx, int ry) {
  constexpr int SZ = 1 << (OPM & 3);
  if constexpr (OPM < 3) {
    if (!ok<C_DATA, M>(ry)) return illegal(c);
    const uint32_t s = src<SZ, M>(c, ry);
    const uint32_t d = D(c, rx) & SIZE_MASK<SZ>;
    D(c, rx) = merge<SZ>(D(c, rx), logic<SZ>(c, IS_AND ? (d & s) : (d | s)));
  } else {
    if (!ok<C_MEM_ALT, M>(ry)) return illegal(c);
    const uint32_t s = D(c, rx) & SIZE_MASK<SZ>;
    rmw<SZ, M>(c, ry, [&](uint32_t d) { return logic<SZ>(c, IS_AND ? (d & s) : (d | s)); });
  }
}

// ABCD / SBCD: no decimal arithmetic; the memory form only moves both
// address registers down by two.
CORE_INLINE void bcd_skip(core_t& c, int rx, int ry, bool memory) {
  if (memory) {
    A(c, ry) -= 2;
    A(c, rx) -= 2;
  }
}

// 1000 ddd0 11MM Mrrr  DIVU;  1000 ddd1 11MM Mrrr  DIVS;  1000 xxx1 0000 myyy  SBCD
template <int OPM, int M> CORE_INLINE void line8(core_t& c, int rx, int ry) {
  if constexpr (OPM == 3 || OPM == 7) {
    if (!ok<C_DATA, M>(ry)) return illegal(c);
    if constexpr (OPM == 3) divu<M>(c, rx, ry);
    else divs<M>(c, rx, ry);
  } else if constexpr (OPM >= 4 && M <= 1) {
    if constexpr (OPM == 4) bcd_skip(c, rx, ry, M == 1);
    else illegal(c);
  } else {
    logic_line<false, OPM, M>(c, rx, ry);
  }
}

// 1100 ddd0 11MM Mrrr  MULU;  1100 ddd1 11MM Mrrr  MULS;  1100 xxx1 0000 myyy  ABCD
// 1100 xxx1 0100 myyy  EXG Dx,Dy (m 0) / Ax,Ay (m 1);  1100 xxx1 1000 1yyy  EXG Dx,Ay
template <int OPM, int M> CORE_INLINE void lineC(core_t& c, int rx, int ry) {
  if constexpr (OPM == 3 || OPM == 7) {
    if (!ok<C_DATA, M>(ry)) return illegal(c);
    const uint32_t s = src<2, M>(c, ry);
    const uint32_t r = OPM == 3 ? (D(c, rx) & 0xFFFF) * s
                                : uint32_t(int32_t(int16_t(D(c, rx))) * int32_t(int16_t(s)));
    D(c, rx) = r;
    flags_logic(c, r);
  } else if constexpr (OPM == 4 && M <= 1) {
    bcd_skip(c, rx, ry, M == 1);
  } else if constexpr (OPM == 5 && M <= 1) {
    uint32_t& x = M == 0 ? D(c, rx) : A(c, rx);
    uint32_t& y = M == 0 ? D(c, ry) : A(c, ry);
    std::swap(x, y);
  } else if constexpr (OPM == 6 && M <= 1) {
    if constexpr (M == 0) illegal(c);
    else std::swap(D(c, rx), A(c, ry));
  } else {
    logic_line<true, OPM, M>(c, rx, ry);
  }
}

// ------------------------------------------------------------ lines 9, D, B

// 1101 dddo ssMM Mrrr  ADD (o 0: <ea>,Dd; o 1: Dd,<ea>);  1101 aaas 11MM Mrrr  ADDA
// 1101 xxx1 ss00 myyy  ADDX Dy,Dx (m 0) / -(Ay),-(Ax) (m 1);  line 9 the same for SUB
template <bool IS_ADD, int OPM, int M> CORE_INLINE void addsub(core_t& c, int rx, int ry) {
  constexpr int SZ = 1 << (OPM & 3);
  if constexpr (OPM == 3 || OPM == 7) {
    if (!ok<C_ALL, M>(ry)) return illegal(c);
    const uint32_t s = OPM == 3 ? sext16(src<2, M>(c, ry)) : src<4, M>(c, ry);
    if (IS_ADD) A(c, rx) += s;
    else A(c, rx) -= s;
  } else if constexpr (OPM < 3) {
    if constexpr (SZ == 1 && M == 1) return illegal(c);
    if (!ok<C_ALL, M>(ry)) return illegal(c);
    const uint32_t s = src<SZ, M>(c, ry);
    const uint32_t d = D(c, rx) & SIZE_MASK<SZ>;
    D(c, rx) = merge<SZ>(D(c, rx), IS_ADD ? do_add<SZ>(c, s, d) : do_sub<SZ>(c, s, d));
  } else if constexpr (M == 0) {
    const uint32_t s = D(c, ry) & SIZE_MASK<SZ>;
    const uint32_t d = D(c, rx) & SIZE_MASK<SZ>;
    D(c, rx) = merge<SZ>(D(c, rx), IS_ADD ? do_addx<SZ>(c, s, d) : do_subx<SZ>(c, s, d));
  } else if constexpr (M == 1) {
    const uint32_t s = rd<SZ>(c, ea<SZ, 4>(c, ry));
    const uint32_t a = ea<SZ, 4>(c, rx);
    const uint32_t d = rd<SZ>(c, a);
    wr<SZ>(c, a, IS_ADD ? do_addx<SZ>(c, s, d) : do_subx<SZ>(c, s, d));
  } else {
    if (!ok<C_MEM_ALT, M>(ry)) return illegal(c);
    const uint32_t s = D(c, rx) & SIZE_MASK<SZ>;
    rmw<SZ, M>(c, ry, [&](uint32_t d) { return IS_ADD ? do_add<SZ>(c, s, d) : do_sub<SZ>(c, s, d); });
  }
}

// 1011 ddd0 ssMM Mrrr  CMP <ea>,Dd;  1011 aaas 11MM Mrrr  CMPA
// 1011 xxx1 ss00 1yyy  CMPM (Ay)+,(Ax)+;  1011 ddd1 ssMM Mrrr  EOR Dd,<ea>
template <int OPM, int M> CORE_INLINE void lineB(core_t& c, int rx, int ry) {
  constexpr int SZ = 1 << (OPM & 3);
  if constexpr (OPM == 3 || OPM == 7) {
    if (!ok<C_ALL, M>(ry)) return illegal(c);
    const uint32_t s = OPM == 3 ? sext16(src<2, M>(c, ry)) : src<4, M>(c, ry);
    do_cmp<4>(c, s, A(c, rx));
  } else if constexpr (OPM < 3) {
    if constexpr (SZ == 1 && M == 1) return illegal(c);
    if (!ok<C_ALL, M>(ry)) return illegal(c);
    do_cmp<SZ>(c, src<SZ, M>(c, ry), D(c, rx) & SIZE_MASK<SZ>);
  } else if constexpr (M == 1) {
    const uint32_t s = rd<SZ>(c, ea<SZ, 3>(c, ry));
    const uint32_t d = rd<SZ>(c, ea<SZ, 3>(c, rx));
    do_cmp<SZ>(c, s, d);
  } else {
    if (!ok<C_DATA_ALT, M>(ry)) return illegal(c);
    const uint32_t s = D(c, rx) & SIZE_MASK<SZ>;
    rmw<SZ, M>(c, ry, [&](uint32_t d) { return logic<SZ>(c, d ^ s); });
  }
}

// ------------------------------------------------------------ line E

enum shift_kind { SHIFT_AS = 0, SHIFT_LS = 1, SHIFT_ROX = 2, SHIFT_RO = 3 };

// Count already reduced to 0..63.
template <int SZ, int KIND, bool left> CORE_INLINE uint32_t shift(core_t& c, uint32_t v, uint32_t cnt) {
  constexpr uint32_t B = 8 * SZ;
  constexpr uint32_t M = SIZE_MASK<SZ>;
  constexpr uint32_t MSB = 1u << (B - 1);
  uint32_t r = v;
  uint32_t carry = 0, ov = 0;
  bool set_x = cnt != 0;
  switch (KIND) {
    case SHIFT_AS:
      if (!cnt) break;
      if (left) {
        if (cnt < B) {
          r = uint32_t(uint64_t(v) << cnt) & M;
          carry = (v >> (B - cnt)) & 1;
          const uint64_t top = uint64_t(v) >> (B - 1 - cnt);
          ov = !(top == 0 || top == (uint64_t(1) << (cnt + 1)) - 1);
        } else {
          r = 0;
          carry = cnt == B ? v & 1 : 0;
          ov = v != 0;
        }
      } else {
        const int64_t sv = (v & MSB) ? int64_t(v) - (int64_t(1) << B) : int64_t(v);
        if (cnt < B) {
          r = uint32_t(sv >> cnt) & M;
          carry = (v >> (cnt - 1)) & 1;
        } else {
          r = (v & MSB) ? M : 0;
          carry = (v & MSB) ? 1 : 0;
        }
      }
      break;
    case SHIFT_LS:
      if (!cnt) break;
      if (cnt > B) {
        r = 0;
      } else if (left) {
        r = uint32_t(uint64_t(v) << cnt) & M;
        carry = uint32_t(uint64_t(v) >> (B - cnt)) & 1;
      } else {
        r = uint32_t(uint64_t(v) >> cnt);
        carry = (v >> (cnt - 1)) & 1;
      }
      break;
    case SHIFT_ROX: {
      uint32_t x = c.xflag;
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
      carry = x;
      break;
    }
    default: {
      set_x = false;
      if (!cnt) break;
      const uint32_t n = cnt % B;
      if (left) {
        if (n) r = ((v << n) | (v >> (B - n))) & M;
        carry = r & 1;
      } else {
        if (n) r = ((v >> n) | (v << (B - n))) & M;
        carry = (r >> (B - 1)) & 1;
      }
    }
  }
  c.nflag = c.zflag = r << (32 - B);
  c.vcflag = (ov << 1) | carry;
  if (set_x) c.xflag = carry;
  return r;
}

// 1110 0kkd 11MM Mrrr  ASd LSd ROXd ROd <ea> (word, by one)
// 1110 cccd ssik krrr  ASd LSd ROXd ROd by #c (i 0) or Dc (i 1) on Dr
template <int OPM, int M> CORE_INLINE void lineE(core_t& c, int rx, int ry) {
  constexpr bool left = OPM >> 2;
  if constexpr ((OPM & 3) == 3) {
    if ((rx & 4) || !ok<C_MEM_ALT, M>(ry)) return illegal(c);
    switch (rx & 3) {
      case SHIFT_AS: rmw<2, M>(c, ry, [&](uint32_t d) { return shift<2, SHIFT_AS, left>(c, d, 1); }); break;
      case SHIFT_LS: rmw<2, M>(c, ry, [&](uint32_t d) { return shift<2, SHIFT_LS, left>(c, d, 1); }); break;
      case SHIFT_ROX: rmw<2, M>(c, ry, [&](uint32_t d) { return shift<2, SHIFT_ROX, left>(c, d, 1); }); break;
      default: rmw<2, M>(c, ry, [&](uint32_t d) { return shift<2, SHIFT_RO, left>(c, d, 1); }); break;
    }
  } else {
    constexpr int SZ = 1 << (OPM & 3);
    const uint32_t cnt = (M & 4) ? D(c, rx) & 63 : (rx ? rx : 8);
    D(c, ry) = merge<SZ>(D(c, ry), shift<SZ, M & 3, left>(c, D(c, ry) & SIZE_MASK<SZ>, cnt));
  }
}

// ------------------------------------------------------------ dispatch

// Switch cases. Most lines take 64 cases by bits 8..3 (operation mode and
// effective address mode), from LINE_CASES + 64 L on. Some instructions
// have cases of their own, so that more of them is known at compile time:
// lines 0 and 4 by bits 11..9 as well (the operation), 512 cases each;
// Bcc by condition and displacement size; DBcc by condition.
constexpr int LINE0_CASES = 0;
constexpr int LINE_CASES = 512;  // the ranges of lines 0, 4 and 6 stay unused
constexpr int LINE4_CASES = 1536;
constexpr int BRANCH_CASES = 2048;
constexpr int DBCC_CASES = 2080;
constexpr int CASES = 2096;

constexpr uint16_t case_of(uint32_t op) {
  const uint32_t line = op >> 12, rx = (op >> 9) & 7, shape = (op >> 3) & 63;
  const uint32_t cc = (op >> 8) & 15;
  if (line == 0) return uint16_t(LINE0_CASES + (rx << 6 | shape));
  if (line == 4) return uint16_t(LINE4_CASES + (rx << 6 | shape));
  if (line == 6) return uint16_t(BRANCH_CASES + (cc << 1) + ((op & 0xFF) == 0));
  if (line == 5 && (shape & 0x1F) == 0x19) return uint16_t(DBCC_CASES + cc);
  return uint16_t(LINE_CASES + (line << 6 | shape));
}

constexpr std::array<uint16_t, 0x10000> make_decode_table() {
  std::array<uint16_t, 0x10000> t{};
  for (uint32_t op = 0; op < t.size(); ++op) t[op] = case_of(op);
  return t;
}
constexpr std::array<uint16_t, 0x10000> DECODE = make_decode_table();

// Every opcode lands on a case the switch lists (the unused ranges stay so).
constexpr bool decodes_to_listed_cases() {
  for (uint16_t i : DECODE) {
    const int line = i >= LINE_CASES && i < LINE4_CASES ? (i - LINE_CASES) >> 6 : -1;
    if (i >= CASES || line == 0 || line == 4 || line == 6) return false;
  }
  return true;
}
static_assert(decodes_to_listed_cases());

// Operand modes that read An at most: Dn, (An), d16(An), d8(An,Xn).
constexpr bool plain_mode(int m) { return m == 0 || m == 2 || m == 5 || m == 6; }

// True when no opcode of case i can move A7: it writes no address register,
// uses neither (An)+ nor -(An), touches no stack and raises no exception.
// The frame driver's return test (A7 back at its top) is left out after
// those. The list holds the common forms; anything else is tested.
constexpr bool keeps_a7(int i) {
  if (i >= DBCC_CASES) return true;
  if (i >= BRANCH_CASES) return (i - BRANCH_CASES) >> 1 != 1;  // all but BSR
  const int opm = (i >> 3) & 7, m = i & 7, rx = (i >> 6) & 7;
  const int line = i < LINE_CASES ? 0 : i < LINE4_CASES ? (i - LINE_CASES) >> 6 : 4;
  switch (line) {
    case 0:
      if (opm >= 4) return m == 1 || plain_mode(m);  // MOVEP; BTST..BSET Dn,<ea>
      if (rx == 4) return plain_mode(m);             // BTST..BSET #n,<ea>
      return opm < 3 && rx != 7 && plain_mode(m);    // ORI..CMPI
    case 1:
    case 2:
    case 3: return plain_mode(opm) && plain_mode(m);  // MOVE (not MOVEA)
    case 4:
      if (opm >= 4) return false;  // LEA, CHK
      switch (rx) {
        case G4_NEGX:
        case G4_NEG:
        case G4_NOT:
        case G4_TST: return plain_mode(m);
        case G4_CLR: return opm != 3 && plain_mode(m);
        case G4_MISC: return opm == 1 ? m == 0 : plain_mode(m);  // not PEA, not MOVEM -(An)
        default: return false;
      }
    case 5: return plain_mode(m);      // ADDQ, SUBQ, Scc
    case 7: return opm < 4;            // MOVEQ
    case 8: return opm != 3 && opm != 7 && plain_mode(m) && !(opm >= 4 && m == 0);  // OR
    case 9:
    case 0xD: return opm != 3 && opm != 7 && plain_mode(m);  // ADD, SUB, ADDX Dy,Dx
    case 0xB: return plain_mode(m);                          // CMP, CMPA, EOR
    case 0xC: return plain_mode(m) && !(opm >= 4 && opm <= 6 && m == 0);  // AND, MULU, MULS
    case 0xE: return (opm & 3) != 3;                          // shifts of a data register
    default: return false;
  }
}

template <int I> CORE_INLINE void exec(core_t& c, uint32_t op) {
  const int ry = int(op & 7);
  if constexpr (I >= DBCC_CASES) {
    dbcc<I - DBCC_CASES>(c, ry);
  } else if constexpr (I >= BRANCH_CASES) {
    branch<((I - BRANCH_CASES) >> 1), (I & 1) != 0>(c, op);
  } else {
    // In the cases of lines 0 and 4, bits 11..9 are a constant.
    constexpr bool BY_OP = I < LINE_CASES || I >= LINE4_CASES;
    constexpr int L = I < LINE_CASES ? 0 : I < LINE4_CASES ? (I - LINE_CASES) >> 6 : 4;
    constexpr int OPM = (I >> 3) & 7, M = I & 7;
    const int rx = BY_OP ? (I >> 6) & 7 : int((op >> 9) & 7);
    constexpr uint32_t OPCODE = uint32_t(L) << 12 | uint32_t(I & 63) << 3;
    if constexpr (!BY_OP && case_of(OPCODE) != I) return;  // no opcode decodes to it
    else if constexpr (L == 0) line0<OPM, M>(c, rx, ry);
    else if constexpr (L == 1) move<1, OPM, M>(c, rx, ry);
    else if constexpr (L == 2) move<4, OPM, M>(c, rx, ry);
    else if constexpr (L == 3) move<2, OPM, M>(c, rx, ry);
    else if constexpr (L == 4) line4<OPM, M>(c, rx, ry);
    else if constexpr (L == 5) line5<OPM, M>(c, rx, ry);
    else if constexpr (L == 7) line7<OPM, M>(c, rx, ry);
    else if constexpr (L == 8) line8<OPM, M>(c, rx, ry);
    else if constexpr (L == 9) addsub<false, OPM, M>(c, rx, ry);
    else if constexpr (L == 0xA) exception_at_opcode(c, VEC_LINE_A);
    else if constexpr (L == 0xB) lineB<OPM, M>(c, rx, ry);
    else if constexpr (L == 0xC) lineC<OPM, M>(c, rx, ry);
    else if constexpr (L == 0xD) addsub<true, OPM, M>(c, rx, ry);
    else if constexpr (L == 0xE) lineE<OPM, M>(c, rx, ry);
    else exception_at_opcode(c, VEC_LINE_F);
  }
}

// Steps instructions, each paid from *budget, stopping after one that
// leaves A7 at or above `top`; true when it stopped that way, false when
// the budget ran out first.
[[gnu::noinline]] CORE_FLATTEN bool execute(emu68_t* emu, uint32_t* budget, uint32_t top) {
  core_t c{emu, emu->reg.mem, 0, 0, 0, 0, 0, 0};
  enter(c);
  uint32_t n = *budget;  // a local count, so the loop keeps it in a register
  while (n) {
    --n;
    const uint32_t op = fetch16(c);
    switch (DECODE[op]) {
#define EMU68_CASE(i)                                      \
  case (i):                                                \
    exec<(i)>(c, op);                                      \
    if (!keeps_a7(i) && emu->reg.a[7] >= top) goto stopped; \
    break;
#define EMU68_CASE8(i) \
  EMU68_CASE(i) EMU68_CASE(i + 1) EMU68_CASE(i + 2) EMU68_CASE(i + 3) \
  EMU68_CASE(i + 4) EMU68_CASE(i + 5) EMU68_CASE(i + 6) EMU68_CASE(i + 7)
#define EMU68_CASE64(i) \
  EMU68_CASE8(i) EMU68_CASE8(i + 8) EMU68_CASE8(i + 16) EMU68_CASE8(i + 24) \
  EMU68_CASE8(i + 32) EMU68_CASE8(i + 40) EMU68_CASE8(i + 48) EMU68_CASE8(i + 56)
#define EMU68_CASE512(i) \
  EMU68_CASE64(i) EMU68_CASE64(i + 64) EMU68_CASE64(i + 128) EMU68_CASE64(i + 192) \
  EMU68_CASE64(i + 256) EMU68_CASE64(i + 320) EMU68_CASE64(i + 384) EMU68_CASE64(i + 448)
      EMU68_CASE512(LINE0_CASES)
      EMU68_CASE64(LINE_CASES + 64) EMU68_CASE64(LINE_CASES + 128) EMU68_CASE64(LINE_CASES + 192)
      EMU68_CASE64(LINE_CASES + 320) EMU68_CASE64(LINE_CASES + 448)
      EMU68_CASE64(LINE_CASES + 512) EMU68_CASE64(LINE_CASES + 576) EMU68_CASE64(LINE_CASES + 640)
      EMU68_CASE64(LINE_CASES + 704) EMU68_CASE64(LINE_CASES + 768) EMU68_CASE64(LINE_CASES + 832)
      EMU68_CASE64(LINE_CASES + 896) EMU68_CASE64(LINE_CASES + 960)
      EMU68_CASE512(LINE4_CASES)
      EMU68_CASE8(BRANCH_CASES) EMU68_CASE8(BRANCH_CASES + 8) EMU68_CASE8(BRANCH_CASES + 16)
      EMU68_CASE8(BRANCH_CASES + 24) EMU68_CASE8(DBCC_CASES) EMU68_CASE8(DBCC_CASES + 8)
#undef EMU68_CASE512
#undef EMU68_CASE64
#undef EMU68_CASE8
#undef EMU68_CASE
      default: __builtin_unreachable();  // see decodes_to_listed_cases
    }
  }
  leave(c);
  *budget = 0;
  return false;
stopped:
  leave(c);
  *budget = n;
  return true;
}

#undef CORE_FLATTEN
#undef CORE_INLINE

}  // namespace

void EMU68_step(emu68_t* emu) {
  uint32_t one = 1;
  if (emu->reg.mem) execute(emu, &one, 0);
}

bool emu68_run_to(emu68_t* emu, uint32_t top, uint32_t* budget) {
  // The loop leaves out the return test after instructions that keep A7, so
  // A7 must start below the top; else the first instruction alone decides.
  if (emu->reg.a[7] >= top && *budget) {
    uint32_t one = 1;
    execute(emu, &one, top);
    --*budget;
    if (emu->reg.a[7] >= top) return true;
  }
  return execute(emu, budget, top);
}
