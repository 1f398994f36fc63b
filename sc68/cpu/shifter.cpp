// The ST video shifter, reduced to the two registers replays look at:
// 0xFF820A (sync mode, 0xFE after reset: 50 Hz) and 0xFF8260 (resolution).
#include "sc68/cpu/emu68.h"

namespace {

constexpr uint32_t SYNC_OFFSET = 0x0A;
constexpr uint32_t RES_OFFSET = 0x60;
constexpr uint8_t SYNC_RESET = 0xFE;
constexpr uint8_t RES_RESET = 0x00;

struct shifter_t {
  uint8_t sync;
  uint8_t res;
};

shifter_t shifter = {SYNC_RESET, RES_RESET};

uint32_t get_byte(uint32_t addr) {
  switch (addr & 0xFF) {
    case SYNC_OFFSET: return shifter.sync;
    case RES_OFFSET: return shifter.res;
    default: return 0;
  }
}

void put_byte(uint32_t addr, uint32_t v) {
  switch (addr & 0xFF) {
    case SYNC_OFFSET: shifter.sync = uint8_t(v); break;
    case RES_OFFSET: shifter.res = uint8_t(v); break;
    default: break;
  }
}

uint32_t r_byte(uint32_t addr, uint32_t) { return get_byte(addr); }
uint32_t r_word(uint32_t addr, uint32_t) { return (get_byte(addr) << 8) | get_byte(addr + 1); }
uint32_t r_long(uint32_t addr, uint32_t) { return (r_word(addr, 0) << 16) | r_word(addr + 2, 0); }

void w_byte(uint32_t addr, uint32_t v, uint32_t) { put_byte(addr, v); }
void w_word(uint32_t addr, uint32_t v, uint32_t) {
  put_byte(addr, v >> 8);
  put_byte(addr + 1, v);
}
void w_long(uint32_t addr, uint32_t v, uint32_t) {
  w_word(addr, v >> 16, 0);
  w_word(addr + 2, v, 0);
}

void reset() { shifter = {SYNC_RESET, RES_RESET}; }

}  // namespace

io68_t shifter_io = {
    nullptr, "Shifter", 0xFF8200, 0xFF82FF, r_byte, r_word, r_long, w_byte, w_word, w_long,
    nullptr, nullptr, nullptr, reset,
};
