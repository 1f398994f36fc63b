#include "sc68/chips/mfp68901.h"

#include <cstring>

namespace {

constexpr uint32_t REG_MASK = 0x3F;
constexpr uint32_t GPIP_DEFAULT = 0x80;  // 0xFFFA01
constexpr uint8_t VR_DEFAULT = 0x40;
constexpr uint32_t VECTOR_BASE_MASK = 0xF0;
constexpr int FULL_COUNT = 256;  // a data or counter value of 0

struct timer_layout_t {
    uint32_t vector;
    uint8_t bit;
    uint32_t bank;
};

constexpr timer_layout_t LAYOUT[MFP_TIMERS] = {
    {0x34, 0x20, 0},  // A
    {0x20, 0x01, 0},  // B
    {0x14, 0x20, 2},  // C
    {0x10, 0x10, 2},  // D
};

int64_t units(uint32_t cycle)
{
    return static_cast<int64_t>(cycle) * MFP_UNITS_PER_CYCLE;
}

bool running(const mfp_timer_t& t)
{
    return t.mode != 0;
}

void bring_up_to_date(mfp_timer_t& t, int64_t now)
{
    const int64_t elapsed = t.remainder + (now - t.last);
    t.last = now;
    if (elapsed <= 0) {
        t.remainder = elapsed < 0 ? 0 : elapsed;
        return;
    }
    const int64_t counts = elapsed / t.prescaler;
    t.remainder = elapsed % t.prescaler;
    int64_t counter = t.counter - counts;
    if (counter < 0)
        counter = counter % t.data + t.data;
    if (counter == 0)
        counter = t.data;
    t.counter = static_cast<int>(counter);
}

// Equal times go to the later timer: D before C before B before A.
void find_earliest(mfp_t* m)
{
    m->earliest = nullptr;
    for (mfp_timer_t& t : m->timer)
        if (running(t) && (!m->earliest || t.next <= m->earliest->next))
            m->earliest = &t;
}

void set_mode(mfp_timer_t& t, int mode, int64_t now)
{
    if (mode == t.mode)
        return;
    if (mode == 0) {
        bring_up_to_date(t, now);
        t.mode = 0;
        t.prescaler = t.remainder = t.period = 0;
        return;
    }
    if (!running(t)) {
        t.last = now;
        t.prescaler = mfp_prescale[mode];
        t.period = t.data * t.prescaler;
        t.next = now + t.counter * t.prescaler - t.remainder;
    } else {
        bring_up_to_date(t, now);
        t.remainder = 0;
        t.prescaler = mfp_prescale[mode];
        t.period = t.data * t.prescaler;
        t.next = now + t.counter * t.prescaler;
    }
    t.mode = mode;
}

int data_timer(uint32_t off)
{
    if (off < MFP_TADR || off > MFP_TADR + 2 * (MFP_TIMERS - 1) || !(off & 1))
        return -1;
    return static_cast<int>(off - MFP_TADR) / 2;
}

uint32_t read_reg(mfp_t* m, uint32_t off, int64_t now)
{
    const int n = data_timer(off);
    if (n < 0)
        return m->reg[off];
    mfp_timer_t& t = m->timer[n];
    if (running(t))
        bring_up_to_date(t, now);
    return static_cast<uint32_t>(t.counter) & 0xFF;
}

void write_reg(mfp_t* m, uint32_t off, uint8_t v, int64_t now)
{
    const int n = data_timer(off);
    if (n >= 0) {
        mfp_timer_t& t = m->timer[n];
        t.data = v ? v : FULL_COUNT;
        if (!running(t)) {
            t.counter = t.data;
            m->reg[off] = v;
        }
        return;
    }
    m->reg[off] = v;
    switch (off) {
    case MFP_TACR: set_mode(m->timer[MFP_TIMER_A], v & 7, now); break;
    case MFP_TBCR: set_mode(m->timer[MFP_TIMER_B], v & 7, now); break;
    case MFP_TCDCR:
        set_mode(m->timer[MFP_TIMER_C], (v >> 4) & 7, now);
        set_mode(m->timer[MFP_TIMER_D], v & 7, now);
        break;
    default: return;
    }
    find_earliest(m);
}

}  // namespace

const int64_t mfp_prescale[8] = {0, 2500, 6250, 10000, 31250, 40000, 62500, 125000};

void mfp_reset(mfp_t* m)
{
    std::memset(m->reg, 0, sizeof m->reg);
    m->reg[0x01] = GPIP_DEFAULT;
    m->reg[MFP_VR] = VR_DEFAULT;
    for (int n = 0; n < MFP_TIMERS; ++n) {
        mfp_timer_t& t = m->timer[n];
        t = mfp_timer_t{};
        t.vector = LAYOUT[n].vector;
        t.level = MFP_LEVEL;
        t.bit = LAYOUT[n].bit;
        t.bank = LAYOUT[n].bank;
        t.counter = t.data = FULL_COUNT;
    }
    m->earliest = nullptr;
}

// Reset from the start, so that a timer can never run with data 0 even
// before the engine initialises the chip.
mfp_t mfp_chip = [] {
    mfp_t m{};
    mfp_reset(&m);
    return m;
}();

int mfp_init(mfp_t* m)
{
    mfp_reset(m);
    return 0;
}

// Registers sit at odd addresses; the even bytes between them read 0.
uint32_t mfp_read8(mfp_t* m, uint32_t addr, uint32_t cycle)
{
    if (!(addr & 1))
        return 0;
    return read_reg(m, addr & REG_MASK, units(cycle));
}

uint32_t mfp_read16(mfp_t* m, uint32_t addr, uint32_t cycle)
{
    return mfp_read8(m, addr + 1, cycle);
}

uint32_t mfp_read32(mfp_t* m, uint32_t addr, uint32_t cycle)
{
    return mfp_read8(m, addr + 1, cycle) << 16 | mfp_read8(m, addr + 3, cycle);
}

void mfp_write8(mfp_t* m, uint32_t addr, uint32_t v, uint32_t cycle)
{
    if (addr & 1)
        write_reg(m, addr & REG_MASK, static_cast<uint8_t>(v), units(cycle));
}

void mfp_write16(mfp_t* m, uint32_t addr, uint32_t v, uint32_t cycle)
{
    mfp_write8(m, addr + 1, v, cycle);
}

void mfp_write32(mfp_t* m, uint32_t addr, uint32_t v, uint32_t cycle)
{
    mfp_write8(m, addr + 1, v >> 16, cycle);
    mfp_write8(m, addr + 3, v, cycle);
}

int32_t mfp_next_interrupt(mfp_t* m, uint32_t cycle)
{
    if (!m->earliest)
        return IO68_NO_INT;
    const int64_t next = m->earliest->next;
    const int64_t due = (next + MFP_UNITS_PER_CYCLE - 1) / MFP_UNITS_PER_CYCLE;
    return static_cast<int32_t>(due - static_cast<int64_t>(cycle));
}

bool mfp_interrupt(mfp_t* m, uint32_t cycle, int68_t* out)
{
    mfp_timer_t* t = m->earliest;
    if (!t || t->next > units(cycle))
        return false;
    // The reload takes a data value written while the timer ran.
    t->period = t->data * t->prescaler;
    t->next += t->period;
    find_earliest(m);
    const uint8_t bit = t->bit;
    if (!(m->reg[MFP_IERA + t->bank] & bit) || !(m->reg[MFP_IMRA + t->bank] & bit))
        return false;
    if (out) {
        out->vector = t->vector + (m->reg[MFP_VR] & VECTOR_BASE_MASK) * 4;
        out->level = t->level;
    }
    return true;
}

void mfp_adjust_cycle(mfp_t* m, uint32_t cycles)
{
    const int64_t shift = units(cycles);
    for (mfp_timer_t& t : m->timer) {
        if (!running(t))
            continue;
        if (t.last < shift)
            bring_up_to_date(t, shift);
        t.last -= shift;
        t.next -= shift;
        if (t.last < 0)
            t.last = 0;
        if (t.next < 0)
            t.next = 0;
    }
    find_earliest(m);
}

namespace {

uint32_t io_read8(uint32_t addr, uint32_t cycle) { return mfp_read8(&mfp_chip, addr, cycle); }
uint32_t io_read16(uint32_t addr, uint32_t cycle) { return mfp_read16(&mfp_chip, addr, cycle); }
uint32_t io_read32(uint32_t addr, uint32_t cycle) { return mfp_read32(&mfp_chip, addr, cycle); }
void io_write8(uint32_t addr, uint32_t v, uint32_t cycle) { mfp_write8(&mfp_chip, addr, v, cycle); }
void io_write16(uint32_t addr, uint32_t v, uint32_t cycle) { mfp_write16(&mfp_chip, addr, v, cycle); }
void io_write32(uint32_t addr, uint32_t v, uint32_t cycle) { mfp_write32(&mfp_chip, addr, v, cycle); }
bool io_interrupt(uint32_t cycle, int68_t* out) { return mfp_interrupt(&mfp_chip, cycle, out); }
int32_t io_next_interrupt(uint32_t cycle) { return mfp_next_interrupt(&mfp_chip, cycle); }
void io_adjust_cycle(uint32_t cycles) { mfp_adjust_cycle(&mfp_chip, cycles); }
void io_reset() { mfp_reset(&mfp_chip); }

}  // namespace

io68_t mfp_io = {
    nullptr, "MFP-68901", MFP_ADDR_LO, MFP_ADDR_HI,
    io_read8, io_read16, io_read32, io_write8, io_write16, io_write32,
    io_interrupt, io_next_interrupt, io_adjust_cycle, io_reset,
};
