// A 512 KB machine for the emulator tests, with helpers to load code and
// read results.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "sc68/cpu/emu68.h"

constexpr uint32_t PROG_ADDR = 0x1000;

class Cpu : public ::testing::Test {
 protected:
  void SetUp() override {
    mem.assign(EMU68_MEMSIZE + EMU68_MEMSPARE, 0);
    ASSERT_EQ(EMU68_init(&emu, mem.data(), EMU68_MEMSIZE), 0);
  }

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
