// Amiga Paula: the custom chip's four audio DMA channels.
//
// The replay writes the audio registers during a replay frame; after the
// frame the engine asks for its output frames, which are rendered from the
// samples in 68000 RAM. Register writes therefore act at frame granularity
// and the cycle position of an access is not used.
#pragma once

#include <cstdint>

#include "sc68/cpu/emu68.h"

constexpr uint32_t PAULA_ADDR_LO = 0xDFF000;
constexpr uint32_t PAULA_ADDR_HI = 0xDFF0DF;

constexpr int PAULA_VOICES = 4;
constexpr int PAULA_DEFAULT_RATE = 44100;

// Positions are byte addresses in 32-bit fixed point with 13 fractional
// bits, so they wrap at 512 KB, the size of 68000 RAM.
constexpr int PAULA_FRAC_BITS = 13;

// Custom chip register offsets (address AND 0xFF).
constexpr uint32_t PAULA_DMACONR = 0x02;
constexpr uint32_t PAULA_VHPOSR = 0x06;
constexpr uint32_t PAULA_ADKCONR = 0x10;
constexpr uint32_t PAULA_INTENAR = 0x1C;
constexpr uint32_t PAULA_INTREQR = 0x1E;
constexpr uint32_t PAULA_DMACON = 0x96;
constexpr uint32_t PAULA_INTENA = 0x9A;
constexpr uint32_t PAULA_INTREQ = 0x9C;
constexpr uint32_t PAULA_ADKCON = 0x9E;
constexpr uint32_t PAULA_AUD0 = 0xA0;  // channel n at PAULA_AUD0 + 16 n
// Within a channel's 16 bytes.
constexpr uint32_t PAULA_AUD_LC = 0x0;   // location, 4 bytes (low 24 bits, even)
constexpr uint32_t PAULA_AUD_LEN = 0x4;  // length in words, 0 = 65,536
constexpr uint32_t PAULA_AUD_PER = 0x6;  // period, 0 taken as 1
constexpr uint32_t PAULA_AUD_VOL = 0x8;  // low byte AND 0x7F, above 64 as 64
constexpr uint32_t PAULA_AUD_DAT = 0xA;  // first byte: last sample played

constexpr uint16_t PAULA_SETCLR = 0x8000;
constexpr uint16_t PAULA_DMAEN = 0x0200;  // DMA control master enable
constexpr uint16_t PAULA_INTEN = 0x4000;  // interrupt enable master enable
constexpr int PAULA_AUD_INT_SHIFT = 7;    // audio interrupts: bits 7..10

struct paula_voice_t {
    uint32_t pos;    // current position
    uint32_t start;  // block being played
    uint32_t end;
};

struct paula_t {
    uint8_t regs[256];  // big-endian image of custom chip registers 0x000-0x0FF
    uint16_t dmacon;
    uint16_t intena;
    uint16_t intreq;
    uint16_t adkcon;
    uint8_t beam;  // beam counter: moves one line per read of VHPOSR, 0 after a render
    paula_voice_t voice[PAULA_VOICES];
    int rate;               // output rate in Hz, 0 until one is set
    uint32_t step_constant; // 3,579,610 Hz clock per output frame, fixed point
};

// Gain per volume 0..64, in 1/65,536.
extern const uint32_t paula_volume_table[65];

// The process's Paula, behind paula_io.
extern paula_t paula_chip;
// Chip descriptor "AMIGA Paula" over paula_chip; raises no interrupts.
extern io68_t paula_io;

// Clears the chip and sets the step constant for 44,100 Hz unless a rate was
// already set. Returns 0.
int paula_init(paula_t* p);
// Clears the registers and channel positions; DMA control keeps only the
// master enable, so no channel plays until the replay enables one.
void paula_reset(paula_t* p);
// Sets the output rate (clamped to 6,000..50,000 Hz) and returns it; 0 only
// asks for the current one.
int paula_sampling_rate(paula_t* p, int hz);

uint32_t paula_read8(paula_t* p, uint32_t addr);
uint32_t paula_read16(paula_t* p, uint32_t addr);
uint32_t paula_read32(paula_t* p, uint32_t addr);
void paula_write8(paula_t* p, uint32_t addr, uint32_t v);
void paula_write16(paula_t* p, uint32_t addr, uint32_t v);
void paula_write32(paula_t* p, uint32_t addr, uint32_t v);

// Renders n stereo frames (left in the low 16 bits, right in the high 16
// bits) from 68000 RAM: channels 0 and 3 left, 1 and 2 right. mem is the
// emulator's block of EMU68_MEMSIZE + EMU68_MEMSPARE bytes. Resets the beam
// counter.
void paula_render(paula_t* p, uint32_t* out, const uint8_t* mem, int n);
