// Instruction families, run as small 68000 programs (progs/*.s) whose
// results are compared with values worked out from the instruction set
// definitions.
#include "tests/sc68/cpu/cpu_fixture.h"

namespace {

class Insn : public Cpu {
 protected:
  // Reads n (SR word, long) records from addr; advances addr.
  void expect_flagged(uint32_t& addr, const std::vector<Flagged>& want, const char* what) {
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(w(addr) & 0x1F, want[i].ccr) << what << " #" << i << " flags";
      EXPECT_EQ(l(addr + 2), want[i].value) << what << " #" << i << " value";
      addr += 6;
    }
  }
};

TEST_F(Insn, AddSubCmpNegAndExtendedFlagsAtEverySize) {
  run_program("arith");
  uint32_t a = RESULTS;
  expect_flagged(a,
                 {
                     {0x0A, 0x12345680}, {0x15, 0x00000000},  // ADD.B: overflow; carry out to zero
                     {0x17, 0x00000000}, {0x0A, 0x00008000},  // ADD.W
                     {0x15, 0x00000000}, {0x0A, 0x80000000},  // ADD.L
                     {0x19, 0x000000FF}, {0x02, 0x0000007F},  // SUB.B: borrow; overflow
                     {0x1B, 0x00008000}, {0x04, 0x00000000},  // SUB.W, SUB.L
                     {0x19, 0x00000000}, {0x02, 0x00008000},  // CMP keeps X and the operand
                     {0x04, 0x00000005},
                     {0x1B, 0x00000080}, {0x04, 0x00000000},  // NEG.B of -128; NEG.W of 0
                     {0x19, 0xFFFFFFFF},
                     {0x15, 0x00000000}, {0x0A, 0x00008000},  // ADDX: Z from the result
                     {0x00, 0x00000003},
                     {0x19, 0x000000FF}, {0x04, 0x00000000},  // SUBX
                     {0x02, 0x7FFFFFFF},
                     {0x19, 0x000000FF}, {0x00, 0x00000000},  // NEGX: Z cleared or kept, never set
                     {0x04, 0x00000000}, {0x1B, 0x80000000},
                 },
                 "arith");
  // ADDX -(Ay),-(Ax) twice: carry passes from the low byte to the high byte.
  EXPECT_EQ(w(a) & 0x1F, 0x11u);
  EXPECT_EQ(w(a + 2) & 0x1F, 0x00u);
  EXPECT_EQ(l(a + 4), 0x3000u);
  EXPECT_EQ(l(a + 8), 0x3010u);
  EXPECT_EQ(l(a + 12), 0x80001111u);
}

TEST_F(Insn, ShiftsAndRotatesByZeroOneEightThirtyOneThirtyTwoSixtyThree) {
  run_program("shifts");
  uint32_t a = RESULTS;
  expect_flagged(a, {{0x18, 0x80000001}, {0x13, 0x00000002}, {0x02, 0x00000100},
                     {0x0A, 0x80000000}, {0x17, 0x00000000}, {0x06, 0x00000000}}, "ASL");
  expect_flagged(a, {{0x18, 0x80000001}, {0x19, 0xC0000000}, {0x08, 0xFF800000},
                     {0x08, 0xFFFFFFFF}, {0x19, 0xFFFFFFFF}, {0x19, 0xFFFFFFFF}}, "ASR");
  expect_flagged(a, {{0x18, 0x80000001}, {0x11, 0x00000002}, {0x00, 0x00000100},
                     {0x08, 0x80000000}, {0x15, 0x00000000}, {0x04, 0x00000000}}, "LSL");
  expect_flagged(a, {{0x18, 0x80000001}, {0x11, 0x40000000}, {0x00, 0x00800000},
                     {0x00, 0x00000001}, {0x15, 0x00000000}, {0x04, 0x00000000}}, "LSR");
  expect_flagged(a, {{0x18, 0x80000001}, {0x11, 0x00000003}, {0x10, 0x00000180},
                     {0x18, 0xC0000000}, {0x19, 0x80000001}, {0x18, 0xC0000000}}, "ROL");
  expect_flagged(a, {{0x18, 0x80000001}, {0x19, 0xC0000000}, {0x10, 0x01800000},
                     {0x10, 0x00000003}, {0x19, 0x80000001}, {0x10, 0x00000003}}, "ROR");
  expect_flagged(a, {{0x19, 0x80000001}, {0x11, 0x00000003}, {0x00, 0x000001C0},
                     {0x08, 0xE0000000}, {0x19, 0xC0000000}, {0x00, 0x70000000}}, "ROXL");
  expect_flagged(a, {{0x19, 0x80000001}, {0x19, 0xC0000000}, {0x00, 0x03800000},
                     {0x00, 0x00000007}, {0x11, 0x00000003}, {0x00, 0x0000000E}}, "ROXR");
  expect_flagged(a, {{0x19, 0xFFFFC000},    // ASR.W keeps the upper word
                     {0x15, 0x00000000},    // LSL.B #8: the last bit out is bit 0
                     {0x10, 0x00003412},    // ROR.W #8 leaves X
                     {0x0A, 0x00000080},    // ASL.B: sign change sets V
                     {0x19, 0x00008002},    // ASL memory word
                     {0x08, 0x0000C001}},   // ROXR memory word takes X in
                 "misc");
}

TEST_F(Insn, MultiplyAndDivideEdgeCases) {
  run_program("muldiv");
  uint32_t a = RESULTS;
  expect_flagged(a,
                 {
                     {0x08, 0xFFFE0001},  // MULU $FFFF*$FFFF
                     {0x00, 0x00000001},  // MULS -1*-1
                     {0x00, 0x40000000},  // MULS -32768*-32768
                     {0x18, 0xFFFF8000},  // MULS keeps X
                     {0x04, 0x00000000},
                     {0x02, 0x00010000},  // DIVU overflow: V, C clear, register kept
                     {0x10, 0x0002000E},  // 100/7 = 14 r 2
                     {0x08, 0xFFFEFFF2},  // -100/7 = -14 r -2
                     {0x06, 0x80000000},  // most negative / -1 is an overflow
                     {0x06, 0x000186A0},  // quotient 50000 does not fit
                     {0x08, 0x00008000},  // -32768/1 fits
                 },
                 "muldiv");
  EXPECT_EQ(l(a), 2u) << "zero divide handler calls (plus 0x100 per wrong stacked PC)";
  EXPECT_EQ(l(a + 4), 55u) << "a zero divide leaves the dividend";
}

TEST_F(Insn, MovemBothDirectionsEveryModeAndMovep) {
  run_program("movem");
  const uint32_t want_regs[] = {0x3000,     0x302C,     0xFFFF8001, 0x00007FFE, 0xFFFFFFFE, 0x3066,
                                0x11111111, 0x3008,     0x11112222, 0x00002222, 0x33331111, 0x22222222,
                                0x33333333, 0x5A5AA5A5, 0xCAFEF00D, 0x12345678, 0xFFFFABCD};
  for (size_t i = 0; i < std::size(want_regs); ++i) EXPECT_EQ(l(RESULTS + 4 * uint32_t(i)), want_regs[i]) << i;
  // -(An): D1 D2 D3 A0 from the lowest address up.
  EXPECT_EQ(l(0x3000), 0x11111111u);
  EXPECT_EQ(l(0x3004), 0x22222222u);
  EXPECT_EQ(l(0x3008), 0x33333333u);
  EXPECT_EQ(l(0x300C), 0x44444444u);
  EXPECT_EQ(l(0x302C), 0x3030u) << "the base register is stored with its initial value";
  EXPECT_EQ(l(0x3040), 0x11112222u);
  EXPECT_EQ(l(0x3044), 0x33331111u);
  EXPECT_EQ(l(0x3050), 0x22222222u);
  EXPECT_EQ(l(0x3054), 0x33333333u);
  // MOVEP fills every other byte only.
  const uint8_t movep[] = {0, 0x12, 0, 0x34, 0, 0x56, 0, 0x78, 0, 0xAB, 0, 0xCD};
  for (uint32_t i = 0; i < sizeof movep; ++i) EXPECT_EQ(b(0x3080 + i), movep[i]) << i;
}

TEST_F(Insn, LogicBitMoveAddressCallExchangeTestAndImmediateFamilies) {
  run_program("misc");
  uint32_t a = RESULTS;
  expect_flagged(a,
                 {
                     {0x10, 0x00F000F0}, {0x08, 0x00F000F0},  // AND.L keeps X; OR.B
                     {0x00, 0x00F00F00}, {0x08, 0x00F00FFF},  // EOR.W; NOT.B
                     {0x04, 0x80000000}, {0x04, 0x80000002},  // BSET #31; BCHG by D3=33 is bit 1
                     {0x00, 0x80000002},                      // BTST
                     {0x00, 0x01000000}, {0x00, 0x01000000},  // BCLR #7 / BTST #8 on a byte: bit mod 8
                     {0x18, 0xFFFFFFFF}, {0x1F, 0xFFFF8000},  // MOVEQ; MOVEA leaves flags
                     {0x14, 0xFFFFFF00},                      // MOVE.B keeps the upper bytes
                     {0x00, 0xFFFF8010}, {0x00, 0x00001234},  // LEA; PEA
                     {0x00, 42}, {0x00, 43},                  // BSR / JSR and RTS
                     {0x00, 0x12345678}, {0x08, 0xDEF09ABC},  // EXG; SWAP
                     {0x08, 0x0000FFF0}, {0x08, 0xFFFFFFF0},  // EXT.W; EXT.L
                     {0x14, 0xFFFF0000}, {0x00, 0x01C00000},  // CLR.W; TAS sets bit 7
                     {0x08, 0xFFFF0000},                      // TST.L
                     {0x19, 0x000000FF}, {0x00, 0xFFFFFFFF},  // SUBQ.B; SUBQ on An: whole register, no flags
                     {0x00, 0xFFFFFFFD}, {0x00, 0x00000000},  // ADDA.W sign-extends; SUBA.L
                     {0x04, 0xFFFF8000}, {0x04, 0x00003021},  // CMPA.W sign-extends; CMPM
                     {0x15, 0x00000000}, {0x19, 0xFFFFFFFF},  // ADDI.W; SUBI.L
                     {0x04, 0xFFFFFFFF}, {0x00, 0x00005555},  // CMPI.B; MOVE to/from USP
                 },
                 "misc");
  EXPECT_EQ(w(a), 0x2715u) << "ORI to SR";
  EXPECT_EQ(w(a + 2), 0x2705u) << "ANDI to CCR";
  EXPECT_EQ(w(a + 4), 0x271Au) << "EORI to CCR";
  EXPECT_EQ(w(a + 6), 0x221Au) << "ANDI to SR";
}

// Motorola's condition definitions, over N Z V C.
bool condition(int cc, uint32_t f) {
  const bool c = f & 1, v = f & 2, z = f & 4, n = f & 8;
  const bool r[16] = {true,  false,  !c && !z, c || z, !c, c, !z, z, !v, v, !n, n,
                      n == v, n != v, !z && n == v, z || n != v};
  return r[cc];
}

TEST_F(Insn, SccBccDbccOnAllSixteenConditions) {
  run_program("cond");
  const uint32_t ccrs[] = {0x00, 0x01, 0x02, 0x04, 0x08, 0x0A, 0x05, 0x0F, 0x1C};
  uint32_t a = RESULTS;
  for (uint32_t f : ccrs) {
    uint32_t want_b = 0, want_db = 0;
    for (int cc = 0; cc < 16; ++cc) {
      EXPECT_EQ(b(a + uint32_t(cc)), condition(cc, f) ? 0xFFu : 0u) << "Scc " << cc << " ccr " << f;
      if (cc != 1 && condition(cc, f)) want_b |= 1u << cc;
      if (!condition(cc, f)) want_db |= 1u << cc;
    }
    EXPECT_EQ(w(a + 16), want_b) << "Bcc, ccr " << f;
    EXPECT_EQ(w(a + 18), want_db) << "DBcc, ccr " << f;
    a += 20;
  }
  EXPECT_EQ(l(a), 0x0000FFFFu) << "DBRA leaves the counter at -1";
  EXPECT_EQ(l(a + 4), 6u);
}

}  // namespace
