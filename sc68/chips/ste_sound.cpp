#include "sc68/chips/ste_sound.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int RATE_MIN = 6000;
constexpr int RATE_MAX = 50000;
constexpr uint32_t REG_MASK = 0x3F;
constexpr uint32_t RAM_MASK = EMU68_MEMSIZE - 1;
constexpr int FRAC_BITS = 8;
constexpr uint32_t DMA_CLOCK = 50066;  // the fastest of the four rates, in Hz
constexpr int32_t YM_FACTOR = 0x300;   // the YM at three quarters
constexpr int MIX_SHIFT = 10;

// First gain of each mixer table; setting 3 keeps the current one.
constexpr int32_t MIXER_GAIN[3] = {4135, 65536, 262144};

// LMC1992 commands: bits 8..6 of the decoded word.
constexpr int CMD_MIXER = 0;
constexpr int CMD_BASS = 1;
constexpr int CMD_TREBLE = 2;
constexpr int CMD_MASTER = 3;
constexpr int CMD_RIGHT = 4;
constexpr int CMD_LEFT = 5;
constexpr uint16_t MW_ADDRESS_MASK = 0xC000;
constexpr uint16_t MW_ADDRESS_LMC1992 = 0x8000;
constexpr uint16_t MW_COMMAND_MASK = 0xFF80;  // the 9 command bits at the top

int master_db(int v) { return v <= 40 ? 2 * v - 80 : 0; }
int side_db(int v) { return 2 * std::min(v, 20) - 40; }
int tone_db(int v) { return v <= 12 ? 2 * v - 12 : 12; }

uint32_t reg_address(const ste_t* s, uint32_t off)
{
    return static_cast<uint32_t>(s->reg[off]) << 16 | static_cast<uint32_t>(s->reg[off + 2]) << 8 |
           s->reg[off + 4];
}

uint32_t start_fixed(const ste_t* s) { return reg_address(s, STE_START) << FRAC_BITS; }
uint32_t end_fixed(const ste_t* s) { return reg_address(s, STE_END) << FRAC_BITS; }

uint16_t reg_word(const ste_t* s, uint32_t off)
{
    return static_cast<uint16_t>(s->reg[off] << 8 | s->reg[off + 1]);
}

void set_mixer(ste_t* s, int v)
{
    if (v > STE_MIX_NO_YM)
        return;
    s->mixer = v;
    s->dma_gain = MIXER_GAIN[v];
}

void microwire(ste_t* s)
{
    uint16_t d = reg_word(s, STE_MW_DATA);
    uint16_t m = reg_word(s, STE_MW_MASK);
    while (m && (m & MW_ADDRESS_MASK) != MW_ADDRESS_MASK) {
        m = static_cast<uint16_t>(m << 1);
        d = static_cast<uint16_t>(d << 1);
    }
    if ((d & MW_ADDRESS_MASK) != MW_ADDRESS_LMC1992)
        return;
    m = static_cast<uint16_t>(m << 2);
    d = static_cast<uint16_t>(d << 2);
    while ((m & MW_COMMAND_MASK) != MW_COMMAND_MASK) {
        if (!m)
            return;
        m = static_cast<uint16_t>(m << 1);
        d = static_cast<uint16_t>(d << 1);
    }
    const int cmd = d >> 7;
    switch (cmd >> 6 & 7) {
    case CMD_MIXER: set_mixer(s, cmd & 3); break;
    case CMD_BASS: s->bass_db = tone_db(cmd & 15); break;
    case CMD_TREBLE: s->treble_db = tone_db(cmd & 15); break;
    case CMD_MASTER: s->master_db = master_db(cmd & 63); break;
    case CMD_RIGHT:
        s->right_db = side_db(cmd & 31);
        s->balance_db = (s->left_db + s->right_db) / 2;
        break;
    case CMD_LEFT:
        s->left_db = side_db(cmd & 31);
        s->balance_db = (s->left_db + s->right_db) / 2;
        break;
    default: break;
    }
}

// The stream stops: the play bit drops and playback goes back to the
// registers, ready for the next start.
void stop_stream(ste_t* s)
{
    s->reg[STE_CONTROL] &= static_cast<uint8_t>(~STE_PLAY);
    s->pos = start_fixed(s);
    s->end = end_fixed(s);
}

uint32_t pack(int32_t left, int32_t right)
{
    return (static_cast<uint32_t>(left) & 0xFFFF) | (static_cast<uint32_t>(right) & 0xFFFF) << 16;
}

int32_t mix(int sample, int32_t gain, int32_t ym, int32_t factor)
{
    const int64_t v = static_cast<int64_t>(sample) * gain + static_cast<int64_t>(ym) * factor;
    return static_cast<int32_t>(v >> MIX_SHIFT);
}

}  // namespace

ste_t ste_chip;

void ste_reset(ste_t* s)
{
    std::memset(s->reg, 0, sizeof s->reg);
    s->pos = s->end = 0;
    set_mixer(s, STE_MIX_YM);
    s->master_db = master_db(40);
    s->left_db = s->right_db = side_db(20);
    s->balance_db = 0;
    s->treble_db = s->bass_db = tone_db(0);
}

int ste_sampling_rate(ste_t* s, int hz)
{
    if (hz == 0)
        return s->rate;
    s->rate = std::clamp(hz, RATE_MIN, RATE_MAX);
    return s->rate;
}

int ste_init(ste_t* s)
{
    ste_reset(s);
    ste_sampling_rate(s, s->rate ? s->rate : STE_DEFAULT_RATE);
    return 0;
}

// Offsets past the last register (the IO page is wider than the chip) read 0
// and ignore writes.
uint32_t ste_read8(ste_t* s, uint32_t addr)
{
    const uint32_t off = addr & REG_MASK;
    if (off >= STE_REGS || (off < STE_MW_DATA && !(off & 1)))
        return 0;
    const uint32_t played = s->pos >> FRAC_BITS;
    switch (off) {
    case STE_COUNTER: return played >> 16 & 0xFF;
    case STE_COUNTER + 2: return played >> 8 & 0xFF;
    case STE_COUNTER + 4: return played & 0xFF;
    default: return s->reg[off];
    }
}

uint32_t ste_read16(ste_t* s, uint32_t addr)
{
    return ste_read8(s, addr) << 8 | ste_read8(s, addr + 1);
}

uint32_t ste_read32(ste_t* s, uint32_t addr)
{
    return ste_read16(s, addr) << 16 | ste_read16(s, addr + 2);
}

void ste_write8(ste_t* s, uint32_t addr, uint32_t v)
{
    const uint32_t off = addr & REG_MASK;
    if (off >= STE_REGS || (off < STE_MW_DATA && !(off & 1)))
        return;
    if (off >= STE_COUNTER && off <= STE_COUNTER + 4)
        return;
    if (off == STE_CONTROL) {
        s->pos = start_fixed(s);
        s->end = end_fixed(s);
        s->reg[off] = static_cast<uint8_t>(v & (STE_PLAY | STE_REPEAT));
        return;
    }
    s->reg[off] = static_cast<uint8_t>(v);
    if (off == STE_MW_DATA + 1)
        microwire(s);
}

void ste_write16(ste_t* s, uint32_t addr, uint32_t v)
{
    ste_write8(s, addr, v >> 8);
    ste_write8(s, addr + 1, v);
}

void ste_write32(ste_t* s, uint32_t addr, uint32_t v)
{
    ste_write16(s, addr, v >> 16);
    ste_write16(s, addr + 2, v);
}

void ste_render(ste_t* s, uint32_t* buf, const uint8_t* mem, int n)
{
    if (n <= 0 || !buf || !mem)
        return;
    const int32_t factor = s->mixer == STE_MIX_NO_YM ? 0 : YM_FACTOR;
    const int32_t gain = s->dma_gain;
    auto ym_alone = [&](int from) {
        for (int i = from; i < n; ++i) {
            const int32_t v = mix(0, 0, static_cast<int32_t>(buf[i]), factor);
            buf[i] = pack(v, v);
        }
    };

    if (!(s->reg[STE_CONTROL] & STE_PLAY)) {
        ym_alone(0);
        return;
    }
    const uint8_t mode = s->reg[STE_MODE];
    const bool mono = mode & STE_MONO;
    const uint32_t rate_hz = DMA_CLOCK >> (3 - (mode & 3));
    const uint32_t out_rate = static_cast<uint32_t>(s->rate ? s->rate : STE_DEFAULT_RATE);
    const uint32_t step = (rate_hz << (mono ? FRAC_BITS : FRAC_BITS + 1)) / out_rate;
    const bool repeat = s->reg[STE_CONTROL] & STE_REPEAT;

    auto at_end = [&] {
        if (s->pos < s->end)
            return false;
        if (!repeat) {
            stop_stream(s);
            return true;
        }
        s->pos += start_fixed(s) - s->end;
        s->end = end_fixed(s);
        return false;
    };

    if (at_end()) {
        ym_alone(0);
        return;
    }
    for (int i = 0; i < n; ++i) {
        const int32_t ym = static_cast<int32_t>(buf[i]);
        const uint32_t at = (s->pos >> FRAC_BITS) & RAM_MASK;
        if (mono) {
            const int32_t v = mix(static_cast<int8_t>(mem[at]), gain, ym, factor);
            buf[i] = pack(v, v);
        } else {
            const uint32_t even = at & ~1u;
            buf[i] = pack(mix(static_cast<int8_t>(mem[even]), gain, ym, factor),
                          mix(static_cast<int8_t>(mem[even + 1]), gain, ym, factor));
        }
        s->pos += step;
        if (at_end()) {
            ym_alone(i + 1);
            return;
        }
    }
}

namespace {

uint32_t io_read8(uint32_t addr, uint32_t) { return ste_read8(&ste_chip, addr); }
uint32_t io_read16(uint32_t addr, uint32_t) { return ste_read16(&ste_chip, addr); }
uint32_t io_read32(uint32_t addr, uint32_t) { return ste_read32(&ste_chip, addr); }
void io_write8(uint32_t addr, uint32_t v, uint32_t) { ste_write8(&ste_chip, addr, v); }
void io_write16(uint32_t addr, uint32_t v, uint32_t) { ste_write16(&ste_chip, addr, v); }
void io_write32(uint32_t addr, uint32_t v, uint32_t) { ste_write32(&ste_chip, addr, v); }
bool io_interrupt(uint32_t, int68_t*) { return false; }
int32_t io_next_interrupt(uint32_t) { return IO68_NO_INT; }
void io_adjust_cycle(uint32_t) {}
void io_reset() { ste_reset(&ste_chip); }

}  // namespace

io68_t ste_io = {
    nullptr, "STE-MicroWire", STE_ADDR_LO, STE_ADDR_HI,
    io_read8, io_read16, io_read32, io_write8, io_write16, io_write32,
    io_interrupt, io_next_interrupt, io_adjust_cycle, io_reset,
};
