// YM-2149: the Atari ST's three-voice programmable sound generator.
//
// Register writes are not applied at once: each is stored with the 68000
// cycle position of the access, so that writes made inside timer interrupts
// land at their place in the frame. After the replay frame the render
// generates the chip's state at 250,000 ticks per second (one tick per 32
// cycles of the 8 MHz clock), applies the stored writes at their tick,
// mixes the three voices through the combined volume table and resamples to
// the output rate. The output is mono.
#pragma once

#include <cstdint>
#include <vector>

#include "sc68/cpu/emu68.h"

constexpr uint32_t YM_ADDR_LO = 0xFF8800;
constexpr uint32_t YM_ADDR_HI = 0xFF88FF;

constexpr int YM_REGS = 16;
constexpr int YM_LIST_SIZE = 2048;
constexpr int YM_CYCLES_PER_TICK = 32;
constexpr int YM_DEFAULT_RATE = 44100;
// A render covers at most one second of 68000 time; a longer span is cut
// there (the engine's longest replay frame is one second).
constexpr uint32_t YM_MAX_CYCLES = 8000000;

// Register numbers.
constexpr int YM_MIXER = 7;
constexpr int YM_NOISE_PERIOD = 6;
constexpr int YM_VOL_A = 8;
constexpr int YM_ENV_FINE = 11;
constexpr int YM_ENV_COARSE = 12;
constexpr int YM_ENV_SHAPE = 13;

// Combined volume table: index = level A x 256 + level B x 16 + level C.
// As stored it peaks at 65,535; the emulation scales its copy once to a
// peak of 0xD000.
constexpr int YM_VOLUME_ENTRIES = 4096;
extern const uint16_t ym_volume_table[YM_VOLUME_ENTRIES];

struct ym_write_t {
    uint32_t cycle;
    uint8_t reg;
    uint8_t value;
};

// Writes of one frame to one group of registers, in order of arrival.
struct ym_list_t {
    ym_write_t entry[YM_LIST_SIZE];
    int count;
    uint32_t base;  // cycle position of the list's tick 0
};

struct ym_t {
    uint8_t reg[YM_REGS];
    uint8_t selected;

    ym_list_t tone_list;   // R0-R5, R7, R8-R10
    ym_list_t noise_list;  // R6, R7
    ym_list_t env_list;    // R11-R13

    // Tone: counters and the square state, voice A in the nibble 0xF00,
    // B in 0x0F0 and C in 0x00F.
    uint32_t tone_count[3];
    uint32_t square;

    uint32_t noise_shift;  // 17-bit shift register
    uint32_t noise_count;

    uint32_t env_count;
    uint32_t env_pos;    // 5-bit step position
    uint32_t env_dir;    // 0 rising, 0x1F falling
    uint32_t env_inc;    // 1, or 0 once held
    uint32_t env_mask;   // 0x1F, or 0 once ended

    uint16_t volume[YM_VOLUME_ENTRIES];  // scaled copy of ym_volume_table

    int rate;             // output rate in Hz, 0 until one is set
    uint32_t cycle_carry; // cycles below one tick left from the last render
    int tick_carry;       // ticks that did not fill a group of four...
    int32_t tick_carry_sum;  // ...and their sum

    // Per-tick work buffers and the output of the last render.
    std::vector<uint16_t> noise_mask;
    std::vector<uint16_t> env_level;
    std::vector<int32_t> mixed;
    std::vector<int32_t> out;
};

// The process's YM, behind ym_io.
extern ym_t ym_chip;
// Chip descriptor "YM-2149" over ym_chip; raises no interrupts.
extern io68_t ym_io;

// Scales the volume table, resets the registers and sets 44,100 Hz unless a
// rate was already set. Returns 0.
int ym_init(ym_t* y);
// Reset values (R7 = 0x3F, R13 = 0x0A, the rest 0), empty lists, the
// envelope restarted with shape 0x0A, no carries.
void ym_reset(ym_t* y);
// Sets the output rate (clamped to 6,000..50,000 Hz) and returns it; 0 only
// asks for the current one.
int ym_sampling_rate(ym_t* y, int hz);

uint32_t ym_read8(ym_t* y, uint32_t addr);
uint32_t ym_read16(ym_t* y, uint32_t addr);
uint32_t ym_read32(ym_t* y, uint32_t addr);
void ym_write8(ym_t* y, uint32_t addr, uint32_t v, uint32_t cycle);
void ym_write16(ym_t* y, uint32_t addr, uint32_t v, uint32_t cycle);
void ym_write32(ym_t* y, uint32_t addr, uint32_t v, uint32_t cycle);

// Moves the time base back by the cycles of the run that ended.
void ym_adjust_cycle(ym_t* y, uint32_t cycles);

// Renders the frame's cycles and returns the number of mono samples now in
// ym_output(y), valid until the next render.
int ym_render(ym_t* y, uint32_t cycles);
const int32_t* ym_output(const ym_t* y);
