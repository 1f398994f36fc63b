#include "sc68/chips/paula.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// 3,579,610 Hz in 13-bit fixed point; divided by the output rate it is the
// distance one output frame covers at period 1.
constexpr double PAULA_CLOCK_FIXED = 29324165120.0;
constexpr int RATE_MIN = 6000;
constexpr int RATE_MAX = 50000;
constexpr uint32_t LOCATION_MASK = 0xFFFFFE;
constexpr uint32_t RAM_MASK = EMU68_MEMSIZE - 1;
constexpr uint32_t FRAC_ONE = 1u << PAULA_FRAC_BITS;
constexpr uint32_t FRAC_MASK = FRAC_ONE - 1;
constexpr uint32_t BYTES_PER_WORD_FIXED = 2u << PAULA_FRAC_BITS;
constexpr uint32_t MAX_VOLUME = 64;
constexpr int GAIN_SHIFT = 9;  // 16-bit gain over a 7-bit sample: 127 at 64 gives 16,256

uint32_t voice_reg(int n)
{
    return PAULA_AUD0 + 16u * static_cast<uint32_t>(n);
}

uint32_t get_word(const paula_t* p, uint32_t off)
{
    return static_cast<uint32_t>(p->regs[off & 0xFF]) << 8 | p->regs[(off + 1) & 0xFF];
}

void put_word(paula_t* p, uint32_t off, uint32_t v)
{
    p->regs[off & 0xFF] = static_cast<uint8_t>(v >> 8);
    p->regs[(off + 1) & 0xFF] = static_cast<uint8_t>(v);
}

uint32_t location(const paula_t* p, int n)
{
    const uint32_t r = voice_reg(n) + PAULA_AUD_LC;
    return (get_word(p, r) << 16 | get_word(p, r + 2)) & LOCATION_MASK;
}

// Block length in fixed point; 0 words means 65,536 words.
uint64_t block_length(const paula_t* p, int n)
{
    uint64_t words = get_word(p, voice_reg(n) + PAULA_AUD_LEN);
    if (words == 0)
        words = 0x10000;
    return words * BYTES_PER_WORD_FIXED;
}

bool voice_active(uint16_t dmacon, int n)
{
    return (dmacon & PAULA_DMAEN) && (dmacon & (1u << n));
}

void restart_voice(paula_t* p, int n)
{
    paula_voice_t& v = p->voice[n];
    v.start = v.pos = location(p, n) << PAULA_FRAC_BITS;
    v.end = v.start + static_cast<uint32_t>(block_length(p, n));
}

uint16_t set_clear(uint16_t old, uint32_t v)
{
    if (v & PAULA_SETCLR)
        return static_cast<uint16_t>((old | v) & ~PAULA_SETCLR);
    return static_cast<uint16_t>(old & ~v);
}

void write_dmacon(paula_t* p, uint32_t v)
{
    const uint16_t old = p->dmacon;
    p->dmacon = set_clear(old, v);
    for (int n = 0; n < PAULA_VOICES; ++n)
        if (voice_active(p->dmacon, n) && !voice_active(old, n))
            restart_voice(p, n);
}

// Setting an audio request for a channel whose interrupt would not be taken,
// or whose request is still pending, makes it start over on its registers.
void write_intreq(paula_t* p, uint32_t v)
{
    if (!(v & PAULA_SETCLR)) {
        p->intreq = static_cast<uint16_t>(p->intreq & ~v);
        return;
    }
    for (int n = 0; n < PAULA_VOICES; ++n) {
        const uint32_t bit = 1u << (PAULA_AUD_INT_SHIFT + n);
        if (!(v & bit))
            continue;
        const bool enabled = (p->intena & PAULA_INTEN) && (p->intena & bit);
        if (!enabled || (p->intreq & bit))
            restart_voice(p, n);
    }
    p->intreq = static_cast<uint16_t>((p->intreq | v) & ~PAULA_SETCLR);
}

void refresh_readback(paula_t* p)
{
    put_word(p, PAULA_DMACONR, p->dmacon & ~PAULA_SETCLR);
    put_word(p, PAULA_INTENAR, p->intena & ~PAULA_SETCLR);
    put_word(p, PAULA_INTREQR, p->intreq & ~PAULA_SETCLR);
    put_word(p, PAULA_ADKCONR, p->adkcon & ~PAULA_SETCLR);
}

// Instructions take no emulated time, so the beam moves by reads instead:
// every read of VHPOSR, in any form, is a line later, and both halves of
// the word show that count. Replays that wait a few lines end their loop.
uint32_t read_beam(paula_t* p)
{
    return p->beam++;
}

void add_half(uint32_t& frame, int right, int value)
{
    const int shift = right ? 16 : 0;
    const uint32_t half = (frame >> shift) & 0xFFFF;
    const uint32_t sum = (half + static_cast<uint32_t>(value)) & 0xFFFF;
    frame = (frame & ~(0xFFFFu << shift)) | sum << shift;
}

void mix_voice(paula_t* p, int n, uint32_t* out, const uint8_t* mem, int frames)
{
    paula_voice_t& v = p->voice[n];
    const uint32_t r = voice_reg(n);
    const uint32_t vol = std::min<uint32_t>(p->regs[r + PAULA_AUD_VOL + 1] & 0x7F, MAX_VOLUME);
    const int gain = static_cast<int>(paula_volume_table[vol]);
    const uint32_t period = std::max<uint32_t>(get_word(p, r + PAULA_AUD_PER), 1);
    const uint32_t step = p->step_constant / period;

    // The register block the channel takes over when its current one ends.
    const uint32_t loc = location(p, n);
    const uint32_t s = loc << PAULA_FRAC_BITS;
    const uint64_t e64 = static_cast<uint64_t>(s) + block_length(p, n);
    if (e64 > UINT32_MAX)
        return;
    const uint32_t e = static_cast<uint32_t>(e64);

    uint32_t pos = v.pos;
    uint32_t end = v.end;
    if (pos > end)
        return;

    bool switched = false;
    auto block_check = [&] {
        if (pos < end)
            return;
        const uint64_t over = (pos - end) % (e - s);
        pos = s + static_cast<uint32_t>(over);
        end = e;
        switched = true;
    };

    // As on the Amiga: channels 0 and 3 on the left, 1 and 2 on the right.
    const int right = n == 1 || n == 2;
    int a = 0;
    for (int i = 0; i < frames; ++i) {
        const int f = static_cast<int>(pos & FRAC_MASK);
        block_check();
        const uint32_t index = pos >> PAULA_FRAC_BITS;
        a = static_cast<int8_t>(mem[index]);
        uint32_t next = index + 1;
        if (static_cast<uint64_t>(next) * FRAC_ONE >= end)
            next = loc & RAM_MASK;
        const int b = static_cast<int8_t>(mem[next]);
        pos += step;
        const int sample = (b * f + (static_cast<int>(FRAC_ONE) - f) * a) >> PAULA_FRAC_BITS;
        add_half(out[i], right, (sample * gain) >> GAIN_SHIFT);
    }
    block_check();

    p->regs[r + PAULA_AUD_DAT] = static_cast<uint8_t>(a);
    v.pos = pos;
    if (switched) {
        v.start = s;
        v.end = e;
    }
}

}  // namespace

const uint32_t paula_volume_table[65] = {
    0,     1772,  3230,  4584,  5886,  7189,  8352,  9608,
    10725, 11972, 13099, 14190, 15372, 16487, 17506, 18589,
    19739, 20751, 21815, 22933, 23869, 24843, 25857, 26912,
    28011, 28864, 30042, 30957, 31899, 32871, 33872, 34903,
    35966, 36693, 37810, 38962, 39749, 40552, 41787, 42631,
    43492, 44371, 45267, 46182, 47115, 48067, 49038, 50028,
    51039, 52070, 53122, 53656, 54740, 55846, 56407, 57546,
    58125, 59299, 59895, 61105, 61719, 62966, 63599, 64883,
    65536,
};

paula_t paula_chip;

void paula_reset(paula_t* p)
{
    std::memset(p->regs, 0, sizeof p->regs);
    p->dmacon = PAULA_DMAEN;
    p->intena = PAULA_INTEN;
    p->intreq = 0;
    p->adkcon = 0;
    p->beam = 0;
    for (paula_voice_t& v : p->voice)
        v = paula_voice_t{0, 0, 2};
}

int paula_sampling_rate(paula_t* p, int hz)
{
    if (hz == 0)
        return p->rate;
    p->rate = std::clamp(hz, RATE_MIN, RATE_MAX);
    p->step_constant = static_cast<uint32_t>(std::nearbyint(PAULA_CLOCK_FIXED / p->rate));
    return p->rate;
}

int paula_init(paula_t* p)
{
    paula_reset(p);
    paula_sampling_rate(p, p->rate ? p->rate : PAULA_DEFAULT_RATE);
    return 0;
}

uint32_t paula_read8(paula_t* p, uint32_t addr)
{
    const uint32_t off = addr & 0xFF;
    if (off == PAULA_VHPOSR || off == PAULA_VHPOSR + 1)
        return read_beam(p);
    refresh_readback(p);
    return p->regs[off];
}

uint32_t paula_read16(paula_t* p, uint32_t addr)
{
    switch (addr & 0xFF) {
    case PAULA_VHPOSR: {
        const uint32_t line = read_beam(p);
        return line << 8 | line;
    }
    case PAULA_DMACONR: return p->dmacon & ~PAULA_SETCLR;
    case PAULA_INTENAR: return p->intena & ~PAULA_SETCLR;
    case PAULA_INTREQR: return p->intreq & ~PAULA_SETCLR;
    case PAULA_ADKCON: return p->adkcon & ~PAULA_SETCLR;
    default: return get_word(p, addr);
    }
}

uint32_t paula_read32(paula_t* p, uint32_t addr)
{
    return paula_read16(p, addr) << 16 | paula_read16(p, addr + 2);
}

void paula_write16(paula_t* p, uint32_t addr, uint32_t v)
{
    v &= 0xFFFF;
    const uint32_t off = addr & 0xFF;
    put_word(p, off, v);
    switch (off) {
    case PAULA_DMACON: write_dmacon(p, v); break;
    case PAULA_INTENA: p->intena = set_clear(p->intena, v); break;
    case PAULA_INTREQ: write_intreq(p, v); break;
    case PAULA_ADKCON: p->adkcon = set_clear(p->adkcon, v); break;
    default: break;
    }
}

void paula_write8(paula_t* p, uint32_t addr, uint32_t v)
{
    if (addr & 1)
        p->regs[addr & 0xFF] = static_cast<uint8_t>(v);
    else
        paula_write16(p, addr, v & 0xFF);
}

void paula_write32(paula_t* p, uint32_t addr, uint32_t v)
{
    paula_write16(p, addr, v >> 16);
    paula_write16(p, addr + 2, v & 0xFFFF);
}

void paula_render(paula_t* p, uint32_t* out, const uint8_t* mem, int n)
{
    if (n <= 0 || !out || !mem) {
        p->beam = 0;
        return;
    }
    std::fill(out, out + n, 0u);
    for (int v = 0; v < PAULA_VOICES; ++v)
        if (voice_active(p->dmacon, v))
            mix_voice(p, v, out, mem, n);
    p->beam = 0;
}

namespace {

uint32_t io_read8(uint32_t addr, uint32_t) { return paula_read8(&paula_chip, addr); }
uint32_t io_read16(uint32_t addr, uint32_t) { return paula_read16(&paula_chip, addr); }
uint32_t io_read32(uint32_t addr, uint32_t) { return paula_read32(&paula_chip, addr); }
void io_write8(uint32_t addr, uint32_t v, uint32_t) { paula_write8(&paula_chip, addr, v); }
void io_write16(uint32_t addr, uint32_t v, uint32_t) { paula_write16(&paula_chip, addr, v); }
void io_write32(uint32_t addr, uint32_t v, uint32_t) { paula_write32(&paula_chip, addr, v); }
bool io_interrupt(uint32_t, int68_t*) { return false; }
int32_t io_next_interrupt(uint32_t) { return IO68_NO_INT; }
void io_adjust_cycle(uint32_t) {}
void io_reset() { paula_reset(&paula_chip); }

}  // namespace

io68_t paula_io = {
    nullptr, "AMIGA Paula", PAULA_ADDR_LO, PAULA_ADDR_HI,
    io_read8, io_read16, io_read32, io_write8, io_write16, io_write32,
    io_interrupt, io_next_interrupt, io_adjust_cycle, io_reset,
};
