// Set-up checks, memory transfers, IO page decoding, chip plugging, the
// Shifter and the error list.
#include <cstring>
#include <string>

#include "tests/sc68/cpu/cpu_fixture.h"

namespace {

// A chip that records its last access.
struct Probe {
  uint32_t addr, value, cycle;
  int kind;  // 1..3 read byte/word/long, 4..6 write byte/word/long
  int resets;
};
Probe probe;

uint32_t p_rb(uint32_t a, uint32_t c) { probe = {a, 0, c, 1, probe.resets}; return 0x5A; }
uint32_t p_rw(uint32_t a, uint32_t c) { probe = {a, 0, c, 2, probe.resets}; return 0x5A5B; }
uint32_t p_rl(uint32_t a, uint32_t c) { probe = {a, 0, c, 3, probe.resets}; return 0x5A5B5C5D; }
void p_wb(uint32_t a, uint32_t v, uint32_t c) { probe = {a, v, c, 4, probe.resets}; }
void p_ww(uint32_t a, uint32_t v, uint32_t c) { probe = {a, v, c, 5, probe.resets}; }
void p_wl(uint32_t a, uint32_t v, uint32_t c) { probe = {a, v, c, 6, probe.resets}; }
void p_reset() { ++probe.resets; }

io68_t paula_like = {nullptr, "paula-like", 0xDFF000, 0xDFF0DF, p_rb, p_rw, p_rl, p_wb, p_ww, p_wl,
                     nullptr, nullptr, nullptr, p_reset};
io68_t ym_like = {nullptr, "ym-like", 0xFF8800, 0xFF88FF, p_rb, nullptr, nullptr, p_wb, nullptr, nullptr,
                  nullptr, nullptr, nullptr, p_reset};

class Bus : public Cpu {
 protected:
  void SetUp() override {
    Cpu::SetUp();
    probe = {};
  }
  void TearDown() override { EMU68_ioplug_unplug_all(&emu); }
};

TEST(Init, RejectsBadMemoryWithTheRightMessage) {
  std::vector<uint8_t> mem(EMU68_MEMSIZE + EMU68_MEMSPARE);
  emu68_t emu;
  struct {
    uint8_t* m;
    uint32_t size;
    const char* msg;
  } cases[] = {
      {nullptr, EMU68_MEMSIZE, "EMU68_init : NULL pointer"},
      {mem.data(), 0x10000, "EMU68_init : memory amount must be >= 128Kb"},
      {mem.data(), 0x2000000, "EMU68_init : memory amount must be < 16mb"},
      {mem.data(), 0x30000, "EMU68_init : memory amount must be a power of 2"},
      {mem.data(), 0x40000, "EMU68_init : memory amount incompatible with EMU68 version"},
  };
  for (auto& c : cases) {
    int r = EMU68_init(&emu, c.m, c.size);
    EXPECT_EQ(uint32_t(r) & 0xFFFF0000u, 0xDEAD0000u) << c.msg;
    EXPECT_STREQ(EMU68_error_get(&emu, 0), c.msg);
  }
}

TEST(Init, AKilledEmulatorRefusesToRun) {
  std::vector<uint8_t> mem(EMU68_MEMSIZE + EMU68_MEMSPARE);
  emu68_t emu;
  ASSERT_EQ(EMU68_init(&emu, mem.data(), EMU68_MEMSIZE), 0);
  EMU68_kill(&emu);
  EXPECT_LT(EMU68_run(&emu, 160256), 0);
  EXPECT_STREQ(EMU68_error_get(&emu, 0), "EMU68_run : no 68K memory");
  EMU68_step(&emu);
  EXPECT_LT(EMU68_memput(&emu, 0, mem.data(), 4), 0);
  EXPECT_EQ(EMU68_memptr(&emu, 0, 4), nullptr);
}

TEST(Init, ClearsMemoryAndSpareBytesAndResets) {
  std::vector<uint8_t> mem(EMU68_MEMSIZE + EMU68_MEMSPARE, 0xAA);
  emu68_t emu;
  ASSERT_EQ(EMU68_init(&emu, mem.data(), EMU68_MEMSIZE), 0);
  for (size_t i = 0; i < mem.size(); ++i) ASSERT_EQ(mem[i], 0) << i;
  EXPECT_EQ(emu.reg.a[7], EMU68_MEMSIZE - 4);
  EXPECT_EQ(emu.reg.sr, 0x2700u);
  EXPECT_EQ(EMU68_error_get(&emu, 0), nullptr);
}

TEST_F(Bus, TopOfMemoryAccessesUseTheSpareBytes) {
  mem[0x7FFFF] = 0x12;
  mem[0x80000] = 0x34;
  EXPECT_EQ(EMU68_read16(&emu, 0x7FFFF), 0x1234u);
  EMU68_write32(&emu, 0x7FFFF, 0xA1B2C3D4);
  EXPECT_EQ(mem[0x7FFFF], 0xA1);
  EXPECT_EQ(mem[0x80002], 0xD4);
  // Above RAM and below the IO space, addresses wrap onto RAM.
  EXPECT_EQ(EMU68_read8(&emu, 0x0FFFFF), 0xA1u);
  EXPECT_EQ(EMU68_read8(&emu, 0x000000), 0u);
}

TEST_F(Bus, IoPagesAreChosenByBit23AndBits15To8) {
  ASSERT_EQ(EMU68_ioplug(&emu, &paula_like), 0);
  ASSERT_EQ(EMU68_ioplug(&emu, &ym_like), 0);
  emu.reg.cycle = 1234;
  enum { R8 = 1, R16, R32, W8, W16, W32 };
  const struct {
    int op;
    uint32_t addr, value;
    int kind;  // what the probe saw; 0 for nothing
    uint32_t read;
  } cases[] = {
      {W16, 0xDFF0A0, 0x8001, W16, 0},
      {W16, 0x7FF0A0, 0x8001, 0, 0},         // bit 23 clear is RAM...
      {R16, 0x07F0A0, 0, 0, 0x8001},         // ...wrapped
      {R32, 0x80F000, 0, R32, 0x5A5B5C5D},  // bits 22..16 are not decoded
      {W8, 0xFF8800, 7, W8, 0},
      {W8, 0xDF8802, 9, W8, 0},
      {R16, 0xFF8800, 0, 0, 0},  // a missing handler is unmapped
      {W32, 0xFF8800, 1, 0, 0},
      {W32, 0xFFFA00, 0xFFFFFFFF, 0, 0},  // no chip on the page
      {R32, 0xFFFA00, 0, 0, 0},
  };
  for (const auto& c : cases) {
    probe = {};
    uint32_t got = 0;
    switch (c.op) {
      case R8: got = EMU68_read8(&emu, c.addr); break;
      case R16: got = EMU68_read16(&emu, c.addr); break;
      case R32: got = EMU68_read32(&emu, c.addr); break;
      case W8: EMU68_write8(&emu, c.addr, c.value); break;
      case W16: EMU68_write16(&emu, c.addr, c.value); break;
      default: EMU68_write32(&emu, c.addr, c.value); break;
    }
    SCOPED_TRACE(testing::Message() << std::hex << c.addr);
    EXPECT_EQ(probe.kind, c.kind);
    EXPECT_EQ(got, c.read);
    if (c.kind) {
      EXPECT_EQ(probe.addr, c.addr) << "handlers receive the full address";
      EXPECT_EQ(probe.value, c.value);
      EXPECT_EQ(probe.cycle, 1234u);
    }
  }
  EXPECT_EQ(mem[0x7FA00], 0) << "IO writes never reach RAM";
}

TEST_F(Bus, PlugUnplugAndUnmap) {
  ASSERT_EQ(EMU68_ioplug(&emu, &paula_like), 0);
  ASSERT_EQ(EMU68_ioplug(&emu, &ym_like), 0);
  EXPECT_EQ(emu.chips, &ym_like) << "the last plugged chip heads the list";
  EXPECT_LT(EMU68_ioplug(&emu, &paula_like), 0) << "a chip plugs once";
  EXPECT_LT(EMU68_ioplug(&emu, nullptr), 0);

  EMU68_reset(&emu);
  EXPECT_EQ(probe.resets, 2) << "reset reaches every plugged chip";

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

TEST_F(Bus, ShifterRegisters) {
  ASSERT_EQ(EMU68_ioplug(&emu, &shifter_io), 0);
  EMU68_reset(&emu);
  EXPECT_EQ(EMU68_read32(&emu, 0xFF8208), 0x0000FE00u) << "sync 50 Hz after reset";
  EXPECT_EQ(EMU68_read16(&emu, 0xFF8209), 0x00FEu);
  EMU68_write8(&emu, 0xFF8260, 2);
  EMU68_write16(&emu, 0xFF8200, 0xFFFF);
  EMU68_write32(&emu, 0xFF8208, 0x000012FC);
  EXPECT_EQ(EMU68_read8(&emu, 0xFF8260), 2u);
  EXPECT_EQ(EMU68_read16(&emu, 0xFF8200), 0u) << "other offsets read 0";
  EXPECT_EQ(EMU68_read8(&emu, 0xFF820A), 0x12u);
  EMU68_reset(&emu);
  EXPECT_EQ(EMU68_read8(&emu, 0xFF820A), 0xFEu);
  EXPECT_EQ(EMU68_read8(&emu, 0xFF8260), 0u);
}

TEST_F(Bus, MemoryLoadingChecks) {
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
}

TEST_F(Bus, ErrorListKeepsTheLastFourTruncated) {
  for (int i = 0; i < 5; ++i) EMU68_error_add(&emu, "message %d", i);
  EXPECT_STREQ(EMU68_error_get(&emu, 0), "message 4");
  EXPECT_STREQ(EMU68_error_get(&emu, 3), "message 1");
  EXPECT_EQ(EMU68_error_get(&emu, 4), nullptr);
  std::string longer(300, 'x');
  EMU68_error_add(&emu, "%s", longer.c_str());
  EXPECT_EQ(strlen(EMU68_error_get(&emu, 0)), 127u);
  EMU68_error_clear(&emu);
  EXPECT_EQ(EMU68_error_get(&emu, 0), nullptr);
}

}  // namespace
