// EMU68: MC68000 interpreter for music replay code.
//
// 512 KB of big-endian RAM, a 16 MB address space whose upper half (address
// bit 23 set) is routed to pluggable emulated chips by IO page (address bits
// 15..8), the exceptions replays use, and a frame driver that calls a routine
// and then delivers the interrupt chip's interrupts at their cycle positions.
//
// All state lives in one emu68_t; every operation takes it explicitly.
// Chip handlers are plain functions over the chip's own module state.
#pragma once

#include <cstdint>

// Memory the emulator accepts, and the spare bytes the caller allocates
// after it so that a word or long access at the top address stays inside.
constexpr uint32_t EMU68_MEMSIZE = 0x80000;
constexpr uint32_t EMU68_MEMSPARE = 3;

// Where the engine puts the TRAP #14 system call handler and its vector.
constexpr uint32_t TRAP14_ADDR = 0x600;
constexpr uint32_t TRAP14_VECTOR = 0xB8;

// Returned by a chip's next_interrupt when it has nothing due.
constexpr int32_t IO68_NO_INT = INT32_MIN;  // bit pattern 0x80000000

// Return address pushed when the frame driver enters an interrupt handler;
// it is never executed (the handler's RTE brings A7 back and the run ends).
constexpr uint32_t EMU68_INT_RETURN = 0x12345678;

// Steps one run may take: the routine and every interrupt handler of the
// frame share this budget (each interrupt poll costs one step too), so no
// frame costs more, however its timers are programmed. Real replays stay
// far below: a whole second of an 8 MHz 68000 is about two million
// instructions.
constexpr uint32_t EMU68_STEP_LIMIT = 1u << 25;

// CCR bits.
constexpr uint32_t SR_C = 0x01;
constexpr uint32_t SR_V = 0x02;
constexpr uint32_t SR_Z = 0x04;
constexpr uint32_t SR_N = 0x08;
constexpr uint32_t SR_X = 0x10;

// Register image, as exchanged with the engine. The cycle counter and the
// memory description ride along; set/get registers touch only D0-D7, A0-A7,
// USP, PC and SR.
struct reg68_t {
  uint32_t d[8];
  uint32_t a[8];     // a[7] is the only stack pointer used
  uint32_t usp;      // reached only by MOVE to/from USP
  uint32_t pc;
  uint32_t sr;       // 16 bits used
  uint32_t cycle;    // position inside the current replay frame
  uint8_t* mem;      // memory base (memsz + EMU68_MEMSPARE bytes)
  uint32_t memmsk;   // memsz - 1
  uint32_t memsz;
};

// A pending interrupt: vector address and level.
struct int68_t {
  uint32_t vector;
  int level;
};

// IO access handlers: full address, value for writes, current cycle counter.
using io68_rfunc_t = uint32_t (*)(uint32_t addr, uint32_t cycle);
using io68_wfunc_t = void (*)(uint32_t addr, uint32_t value, uint32_t cycle);

// Chip descriptor. Any handler may be null: a missing access handler maps
// to the unmapped default (read 0, ignore writes); a missing interrupt
// handler means the chip raises none.
struct io68_t {
  io68_t* next;  // next plugged chip, owned by the emulator while plugged
  char name[32];
  uint32_t addr_lo;  // first address of the chip's range
  uint32_t addr_hi;  // last address of the chip's range
  io68_rfunc_t r_byte;
  io68_rfunc_t r_word;
  io68_rfunc_t r_long;
  io68_wfunc_t w_byte;
  io68_wfunc_t w_word;
  io68_wfunc_t w_long;
  // Interrupt pending at this cycle: fill *out and return true, else false.
  bool (*interrupt)(uint32_t cycle, int68_t* out);
  // Cycles from this position to the next interrupt, or IO68_NO_INT.
  int32_t (*next_interrupt)(uint32_t cycle);
  // Start of a run: the cycle count of the run that ended.
  void (*adjust_cycle)(uint32_t cycles);
  void (*reset)(void);
};

// One IO page: six handlers.
struct io68_page_t {
  io68_rfunc_t r_byte;
  io68_rfunc_t r_word;
  io68_rfunc_t r_long;
  io68_wfunc_t w_byte;
  io68_wfunc_t w_word;
  io68_wfunc_t w_long;
};

constexpr int EMU68_ERRORS = 4;
constexpr int EMU68_ERROR_LEN = 128;  // 127 characters and the terminator

struct emu68_t {
  reg68_t reg;
  bool stopped;
  io68_t* chips;     // plugged list, most recently plugged first
  io68_t* int_chip;  // interrupt source or null
  io68_page_t pages[256];
  // Error list: the last four messages, oldest dropped first.
  char errors[EMU68_ERRORS][EMU68_ERROR_LEN];
  int error_count;
  int error_head;    // slot the next message goes to
  uint32_t step_limit;  // budget of one run; EMU68_STEP_LIMIT by default
  uint32_t steps;       // steps the last run took, at most step_limit
};

// --- set-up ------------------------------------------------------------

// Clears the registers and checks memory and size (exactly EMU68_MEMSIZE;
// mem must hold size + EMU68_MEMSPARE bytes). On success clears the memory,
// unmaps all IO pages, forgets any plugged chip and resets the processor.
// Returns 0, or a negative value with the reason on the error list.
int EMU68_init(emu68_t* emu, uint8_t* mem, uint32_t size);

// Unplugs every chip, forgets the memory (the caller releases it) and
// clears the error list.
void EMU68_kill(emu68_t* emu);

// Processor reset: every plugged chip's reset; D0-D7/A0-A7 cleared, cycle 0,
// PC 0, SR 0x2700, A7 = memory size - 4, stopped flag cleared.
void EMU68_reset(emu68_t* emu);

void EMU68_set_registers(emu68_t* emu, const reg68_t* r);
void EMU68_get_registers(const emu68_t* emu, reg68_t* r);

// --- memory ------------------------------------------------------------

// Copies n bytes to 68000 address dst. Fails (negative, error listed) when
// n exceeds the memory size or the block wraps past the top of memory.
int EMU68_memput(emu68_t* emu, uint32_t dst, const uint8_t* src, uint32_t n);
// Copies n bytes from 68000 address src, with the same checks.
int EMU68_memget(emu68_t* emu, uint8_t* dst, uint32_t src, uint32_t n);
// Host pointer to n bytes of RAM at addr (addr AND mask), or null when the
// block does not lie inside memory. For chips that render from 68000 RAM.
uint8_t* EMU68_memptr(emu68_t* emu, uint32_t addr, uint32_t n);

// Data accesses with full address decoding (IO space or RAM), exactly as
// the processor performs them. Values are zero-extended.
uint32_t EMU68_read8(emu68_t* emu, uint32_t addr);
uint32_t EMU68_read16(emu68_t* emu, uint32_t addr);
uint32_t EMU68_read32(emu68_t* emu, uint32_t addr);
void EMU68_write8(emu68_t* emu, uint32_t addr, uint32_t v);
void EMU68_write16(emu68_t* emu, uint32_t addr, uint32_t v);
void EMU68_write32(emu68_t* emu, uint32_t addr, uint32_t v);

// --- chips -------------------------------------------------------------

// Plugs a chip not yet plugged: head of the list, its IO page (bits 15..8
// of addr_lo) mapped to its handlers. Returns 0, or negative when it is
// already plugged or null.
int EMU68_ioplug(emu68_t* emu, io68_t* io);
// Removes a plugged chip and restores its page to the default. Also drops
// it as interrupt chip. Returns 0, or negative when it was not plugged.
int EMU68_ioplug_unplug(emu68_t* emu, io68_t* io);
void EMU68_ioplug_unplug_all(emu68_t* emu);
// Maps every IO page to the default (read 0, ignore writes).
void EMU68_ioplug_unmap_all(emu68_t* emu);
// The chip whose interrupts the frame driver delivers; null for none.
void EMU68_set_interrupt_io(emu68_t* emu, io68_t* io);

// The "Shifter" chip (0xFF8200-0xFF82FF): byte registers at offset 0x0A
// (reset 0xFE) and 0x60 (reset 0). Plugged by the engine for ST music.
extern io68_t shifter_io;

// --- running -----------------------------------------------------------

// Executes one instruction at PC (nothing without memory).
void EMU68_step(emu68_t* emu);

// Runs the routine at PC to its return, then delivers the interrupt chip's
// interrupts below `cycles` in cycle order, each handler run to its RTE.
// PC and A7 are restored and the cycle counter is left at `cycles`.
// Returns 0, or negative when the run spent its step budget or there is no
// memory (the run is abandoned, with a message on the error list).
int EMU68_run(emu68_t* emu, uint32_t cycles);

// Raises exception `vector` (an address such as 0x10): pushes PC and SR,
// SR = (SR AND 0x50FF) OR 0x2700, PC = the long at the vector.
void EMU68_exception(emu68_t* emu, uint32_t vector);

// --- errors ------------------------------------------------------------

// Adds a printf-style message (truncated to 127 characters) and returns the
// emulator's failure value: 0xDEAD0000 plus a random 12-bit number.
int EMU68_error_add(emu68_t* emu, const char* fmt, ...)
    __attribute__((format(printf, 2, 3)));
// Message i, 0 being the newest; null when there are fewer.
const char* EMU68_error_get(const emu68_t* emu, int i);
void EMU68_error_clear(emu68_t* emu);

// --- TRAP #14 system call handler ------------------------------------

// The handler's 68000 code, to be copied to TRAP14_ADDR with the vector at
// TRAP14_VECTOR pointing at it.
extern const unsigned char trap14_code[];
extern const unsigned long trap14_code_size;
