// A 512 KB machine for the emulator tests, with helpers to load code and
// read results.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sc68/cpu/emu68.h"

constexpr uint32_t PROG_ADDR = 0x1000;
constexpr uint32_t RESULTS = 0x8000;

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

  // Loads a committed test program at PROG_ADDR and runs it as a routine.
  void run_program(const char* name) {
    std::string path = std::string(KELVARIN_SOURCE_DIR) + "/tests/sc68/cpu/progs/" + name + ".bin";
    FILE* f = fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr) << path;
    std::vector<uint8_t> code(0x10000);
    size_t n = fread(code.data(), 1, code.size(), f);
    fclose(f);
    ASSERT_GT(n, 0u);
    ASSERT_EQ(EMU68_memput(&emu, PROG_ADDR, code.data(), uint32_t(n)), 0);
    emu.reg.pc = PROG_ADDR;
    emu.reg.sr = 0x2700;
    ASSERT_EQ(EMU68_run(&emu, 0), 0) << EMU68_error_get(&emu, 0);
  }

  uint32_t w(uint32_t a) { return EMU68_read16(&emu, a); }
  uint32_t l(uint32_t a) { return EMU68_read32(&emu, a); }

  std::vector<uint8_t> mem;
  emu68_t emu;
};
