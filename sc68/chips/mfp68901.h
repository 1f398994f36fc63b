// MFP 68901: the Atari ST's multi-function peripheral, reduced to its
// register file and its four timers A-D in delay mode, which raise level-6
// interrupts at exact cycle positions inside a replay frame.
//
// Time is counted in 1/192 of a 68000 cycle, so that the MFP clock
// (2.4576 MHz against the 8 MHz frame clock) is exactly 625 units.
#pragma once

#include <cstdint>

#include "sc68/cpu/emu68.h"

constexpr uint32_t MFP_ADDR_LO = 0xFFFA00;
constexpr uint32_t MFP_ADDR_HI = 0xFFFA2F;

constexpr int64_t MFP_UNITS_PER_CYCLE = 192;
constexpr int MFP_TIMERS = 4;
constexpr int MFP_TIMER_A = 0;
constexpr int MFP_TIMER_B = 1;
constexpr int MFP_TIMER_C = 2;
constexpr int MFP_TIMER_D = 3;
constexpr int MFP_LEVEL = 6;

// Register offsets (address AND 0x3F).
constexpr uint32_t MFP_IERA = 0x07;
constexpr uint32_t MFP_IERB = 0x09;
constexpr uint32_t MFP_IMRA = 0x13;
constexpr uint32_t MFP_IMRB = 0x15;
constexpr uint32_t MFP_VR = 0x17;
constexpr uint32_t MFP_TACR = 0x19;
constexpr uint32_t MFP_TBCR = 0x1B;
constexpr uint32_t MFP_TCDCR = 0x1D;
constexpr uint32_t MFP_TADR = 0x1F;  // timer n's data register at TADR + 2 n

struct mfp_timer_t {
    uint32_t vector;   // offset in the vector table
    int level;
    uint8_t bit;       // in the enable and mask registers of its bank
    uint32_t bank;     // 0: IERA/IMRA, 2: IERB/IMRB
    int64_t last;      // time of the last update
    int64_t next;      // time of the next interrupt
    int64_t remainder; // prescaler units already counted
    int64_t prescaler; // units per count
    int64_t period;    // units per full cycle
    int counter;       // 1..256
    int data;          // reload value 1..256
    int mode;          // 0 stopped, 1..7 running
};

struct mfp_t {
    uint8_t reg[64];
    mfp_timer_t timer[MFP_TIMERS];
    mfp_timer_t* earliest;  // running timer due first, null when none runs
};

// Units per count for each timer mode; mode 0 stops the timer.
extern const int64_t mfp_prescale[8];

// The process's MFP, behind mfp_io.
extern mfp_t mfp_chip;
// Chip descriptor "MFP-68901" over mfp_chip: the emulator's interrupt source
// for Atari ST music.
extern io68_t mfp_io;

// Resets the chip. Returns 0.
int mfp_init(mfp_t* m);
// 0xFFFA01 = 0x80, vector register 0x40, other registers 0; every timer
// stopped with data and counter 256.
void mfp_reset(mfp_t* m);

uint32_t mfp_read8(mfp_t* m, uint32_t addr, uint32_t cycle);
uint32_t mfp_read16(mfp_t* m, uint32_t addr, uint32_t cycle);
uint32_t mfp_read32(mfp_t* m, uint32_t addr, uint32_t cycle);
void mfp_write8(mfp_t* m, uint32_t addr, uint32_t v, uint32_t cycle);
void mfp_write16(mfp_t* m, uint32_t addr, uint32_t v, uint32_t cycle);
void mfp_write32(mfp_t* m, uint32_t addr, uint32_t v, uint32_t cycle);

// Cycles from `cycle` to the earliest timer's interrupt, or IO68_NO_INT.
int32_t mfp_next_interrupt(mfp_t* m, uint32_t cycle);
// When the earliest timer is due at `cycle` it is reloaded; its interrupt is
// given when enabled and unmasked, otherwise the event is lost.
bool mfp_interrupt(mfp_t* m, uint32_t cycle, int68_t* out);
// Moves every running timer's times back by the cycles of the run that ended.
void mfp_adjust_cycle(mfp_t* m, uint32_t cycles);
