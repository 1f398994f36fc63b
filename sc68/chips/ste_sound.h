// Atari STE DMA sound and the MicroWire interface to its LMC1992
// volume/tone controller.
//
// The render adds the DMA samples, read from 68000 RAM, to the YM's mono
// output and produces stereo frames. Like Paula it works at frame
// granularity: register writes act when the frame is rendered.
#pragma once

#include <cstdint>

#include "sc68/cpu/emu68.h"

constexpr uint32_t STE_ADDR_LO = 0xFF8900;
constexpr uint32_t STE_ADDR_HI = 0xFF8925;
constexpr int STE_REGS = 0x26;
constexpr int STE_DEFAULT_RATE = 44100;

// Register offsets (address AND 0x3F).
constexpr uint32_t STE_CONTROL = 0x01;   // bit 0 play, bit 1 repeat
constexpr uint32_t STE_START = 0x03;     // 0x03/0x05/0x07: bits 23..16, 15..8, 7..0
constexpr uint32_t STE_COUNTER = 0x09;   // 0x09/0x0B/0x0D, read only
constexpr uint32_t STE_END = 0x0F;       // 0x0F/0x11/0x13
constexpr uint32_t STE_MODE = 0x21;      // bits 1..0 rate, bit 7 mono
constexpr uint32_t STE_MW_DATA = 0x22;   // word
constexpr uint32_t STE_MW_MASK = 0x24;   // word

constexpr uint8_t STE_PLAY = 0x01;
constexpr uint8_t STE_REPEAT = 0x02;
constexpr uint8_t STE_MONO = 0x80;

// LMC1992 mixer settings.
constexpr int STE_MIX_M12DB = 0;   // YM at -12 dB
constexpr int STE_MIX_YM = 1;      // YM at 0 dB
constexpr int STE_MIX_NO_YM = 2;   // YM disconnected

struct ste_t {
    uint8_t reg[STE_REGS];
    uint32_t pos;  // playback position, byte address with 8 fractional bits
    uint32_t end;

    // LMC1992 settings. Only the mixer shapes the output; the others are
    // kept as decibel offsets.
    int mixer;
    int32_t dma_gain;  // first gain of the mixer's table, 1/65,536 x 1,024
    int master_db;
    int left_db;
    int right_db;
    int balance_db;  // average of left and right
    int treble_db;
    int bass_db;

    int rate;  // output rate in Hz, 0 until one is set
};

// The process's STE sound, behind ste_io.
extern ste_t ste_chip;
// Chip descriptor "STE-MicroWire" over ste_chip; raises no interrupts.
extern io68_t ste_io;

// Resets the chip and sets 44,100 Hz unless a rate was already set.
// Returns 0.
int ste_init(ste_t* s);
// Registers and playback cleared; mixer 1, master, left and right 0 dB,
// treble and bass -12 dB.
void ste_reset(ste_t* s);
// Sets the output rate (clamped to 6,000..50,000 Hz) and returns it; 0 only
// asks for the current one.
int ste_sampling_rate(ste_t* s, int hz);

uint32_t ste_read8(ste_t* s, uint32_t addr);
uint32_t ste_read16(ste_t* s, uint32_t addr);
uint32_t ste_read32(ste_t* s, uint32_t addr);
void ste_write8(ste_t* s, uint32_t addr, uint32_t v);
void ste_write16(ste_t* s, uint32_t addr, uint32_t v);
void ste_write32(ste_t* s, uint32_t addr, uint32_t v);

// buf holds n YM samples (signed 32-bit) on entry and n stereo frames (left
// in the low 16 bits, right in the high 16 bits) on return. mem is the
// emulator's block of EMU68_MEMSIZE + EMU68_MEMSPARE bytes.
void ste_render(ste_t* s, uint32_t* buf, const uint8_t* mem, int n);
