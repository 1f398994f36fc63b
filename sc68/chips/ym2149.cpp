#include "sc68/chips/ym2149.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int RATE_MIN = 6000;
constexpr int RATE_MAX = 50000;
constexpr int TICK_SHIFT = 5;  // 32 cycles per tick
constexpr int GROUP = 4;       // ticks averaged into one 62,500 Hz value
constexpr uint64_t GROUP_RATE = 62500;
constexpr int STEP_FRAC = 16;

// The stored table peaks at 65,535; this chip's output peaks at 0xD000.
constexpr uint32_t VOLUME_PEAK = 0xD000;
constexpr uint32_t VOLUME_SCALE_NUM = 13312;  // 0xD000 x 16,384 / 65,536
constexpr uint32_t VOLUME_SCALE_DEN = 16384;

constexpr uint8_t R7_RESET = 0x3F;
constexpr uint8_t R13_RESET = 0x0A;
constexpr uint32_t NOISE_RESET = 1;
constexpr uint32_t ENV_COUNT_RESTART = 0x10000;  // beyond any period
constexpr uint32_t ENV_STEPS_MASK = 0x1F;
constexpr uint32_t ALL_VOICES = 0xFFF;
constexpr uint32_t LEVEL_NIBBLES = 0x111;
constexpr uint32_t VOICE_NIBBLE[3] = {0xF00, 0x0F0, 0x00F};
constexpr int VOICE_SHIFT[3] = {8, 4, 0};

// Envelope shape bits.
constexpr uint8_t ENV_HOLD = 1;
constexpr uint8_t ENV_ALTERNATE = 2;
constexpr uint8_t ENV_ATTACK = 4;
constexpr uint8_t ENV_CONTINUE = 8;

constexpr uint8_t VOL_ENVELOPE = 0x10;
constexpr uint8_t MIXER_TONE_OFF_A = 0x01;  // tone off: bits 0..2
constexpr uint8_t MIXER_NOISE_OFF_A = 0x08; // noise off: bits 3..5

void list_add(ym_list_t& l, uint32_t cycle, int reg, uint8_t value)
{
    const int at = l.count < YM_LIST_SIZE ? l.count++ : YM_LIST_SIZE - 1;
    l.entry[at] = ym_write_t{cycle, static_cast<uint8_t>(reg), value};
}

ym_list_t* list_of(ym_t* y, int reg)
{
    if (reg <= 5 || (reg >= YM_VOL_A && reg <= YM_VOL_A + 2) || reg == YM_MIXER)
        return &y->tone_list;
    if (reg == YM_NOISE_PERIOD)
        return &y->noise_list;
    if (reg >= YM_ENV_FINE && reg <= YM_ENV_SHAPE)
        return &y->env_list;
    return nullptr;
}

// Tick of a write inside the span being rendered, kept inside it.
uint32_t tick_of(const ym_list_t& l, const ym_write_t& w, uint32_t ticks)
{
    const int32_t rel = static_cast<int32_t>(w.cycle - l.base);
    if (rel <= 0)
        return 0;
    return std::min(static_cast<uint32_t>(rel) >> TICK_SHIFT, ticks);
}

// Generates ticks up to each write of the list, applies the write, and
// generates the rest of the span.
template <class Apply, class Generate>
void walk(const ym_list_t& l, uint32_t ticks, Apply apply, Generate generate)
{
    uint32_t t = 0;
    for (int i = 0; i < l.count; ++i) {
        const uint32_t at = tick_of(l, l.entry[i], ticks);
        if (at > t) {
            generate(t, at);
            t = at;
        }
        apply(l.entry[i]);
    }
    generate(t, ticks);
}

void env_restart(ym_t* y, uint8_t shape)
{
    y->env_dir = (shape & ENV_ATTACK) ? 0 : ENV_STEPS_MASK;
    y->env_pos = 0;
    y->env_inc = 1;
    y->env_mask = ENV_STEPS_MASK;
    y->env_count = ENV_COUNT_RESTART;
}

uint32_t tone_period(const uint8_t* r, int v)
{
    const uint32_t p = r[2 * v] | (r[2 * v + 1] & 15u) << 8;
    return p ? p : 1;
}

uint32_t noise_off_mask(uint8_t r7)
{
    uint32_t m = 0;
    for (int v = 0; v < 3; ++v)
        if (r7 & (MIXER_NOISE_OFF_A << v))
            m |= VOICE_NIBBLE[v];
    return m;
}

uint32_t tone_off_mask(uint8_t r7)
{
    uint32_t m = 0;
    for (int v = 0; v < 3; ++v)
        if (r7 & (MIXER_TONE_OFF_A << v))
            m |= VOICE_NIBBLE[v];
    return m;
}

// Volume index of the three level settings, envelope voices at 15.
uint32_t level_index(const uint8_t* vol)
{
    uint32_t idx = 0;
    for (int v = 0; v < 3; ++v)
        idx |= static_cast<uint32_t>((vol[v] & VOL_ENVELOPE) ? 15 : vol[v] & 15) << VOICE_SHIFT[v];
    return idx;
}

void noise_pass(ym_t* y, uint32_t ticks)
{
    uint8_t* r = y->reg;
    walk(y->noise_list, ticks, [&](const ym_write_t& w) { r[w.reg] = w.value; },
         [&](uint32_t from, uint32_t to) {
             const uint32_t period = 2u * (r[YM_NOISE_PERIOD] & 0x3F);
             const uint16_t off = static_cast<uint16_t>(noise_off_mask(r[YM_MIXER]));
             for (uint32_t t = from; t < to; ++t) {
                 if (++y->noise_count >= period) {
                     const uint32_t bit = (y->noise_shift ^ (y->noise_shift >> 2)) & 1;
                     y->noise_shift = (y->noise_shift >> 1) | bit << 16;
                     y->noise_count = 0;
                 }
                 y->noise_mask[t] = (y->noise_shift & 1) ? ALL_VOICES : off;
             }
         });
}

void env_pass(ym_t* y, uint32_t ticks)
{
    uint8_t* r = y->reg;
    walk(y->env_list, ticks,
         [&](const ym_write_t& w) {
             r[w.reg] = w.value;
             if (w.reg == YM_ENV_SHAPE)
                 env_restart(y, w.value);
         },
         [&](uint32_t from, uint32_t to) {
             uint32_t period = r[YM_ENV_FINE] | static_cast<uint32_t>(r[YM_ENV_COARSE]) << 8;
             if (!period)
                 period = 1;
             const uint8_t shape = r[YM_ENV_SHAPE];
             for (uint32_t t = from; t < to; ++t) {
                 if (y->env_count >= period) {
                     y->env_count = 0;
                     y->env_pos = (y->env_pos + y->env_inc) & ENV_STEPS_MASK;
                     if (y->env_inc && y->env_pos == 0) {
                         const bool hold = shape & ENV_HOLD;
                         if (hold != static_cast<bool>(shape & ENV_ALTERNATE))
                             y->env_dir ^= ENV_STEPS_MASK;
                         y->env_inc = hold ? 0 : 1;
                         y->env_mask = (shape & ENV_CONTINUE) ? ENV_STEPS_MASK : 0;
                     }
                 }
                 ++y->env_count;
                 const uint32_t level = ((y->env_dir ^ y->env_pos) & y->env_mask) >> 1;
                 y->env_level[t] = static_cast<uint16_t>(level * LEVEL_NIBBLES);
             }
         });
}

// The frame's centre: half the loudest level setting it reaches, so that the
// output swings around 0.
int32_t frame_centre(const ym_t* y)
{
    uint8_t vol[3] = {y->reg[YM_VOL_A], y->reg[YM_VOL_A + 1], y->reg[YM_VOL_A + 2]};
    uint32_t peak = y->volume[level_index(vol)];
    const ym_list_t& l = y->tone_list;
    for (int i = 0; i < l.count; ++i) {
        const int reg = l.entry[i].reg;
        if (reg < YM_VOL_A || reg > YM_VOL_A + 2)
            continue;
        vol[reg - YM_VOL_A] = l.entry[i].value;
        peak = std::max<uint32_t>(peak, y->volume[level_index(vol)]);
    }
    return static_cast<int32_t>((peak + 1) / 2);
}

void tone_pass(ym_t* y, uint32_t ticks, uint8_t mixer)
{
    uint8_t* r = y->reg;
    const int32_t centre = frame_centre(y);
    walk(y->tone_list, ticks,
         [&](const ym_write_t& w) {
             r[w.reg] = w.value;
             if (w.reg == YM_MIXER)
                 mixer = w.value;
         },
         [&](uint32_t from, uint32_t to) {
             uint32_t period[3];
             uint32_t env_sel = 0;
             uint32_t fixed = 0;
             for (int v = 0; v < 3; ++v) {
                 period[v] = tone_period(r, v);
                 const uint8_t vol = r[YM_VOL_A + v];
                 if (vol & VOL_ENVELOPE)
                     env_sel |= VOICE_NIBBLE[v];
                 else
                     fixed |= static_cast<uint32_t>(vol & 15) << VOICE_SHIFT[v];
             }
             const uint32_t tone_off = tone_off_mask(mixer);
             for (uint32_t t = from; t < to; ++t) {
                 for (int v = 0; v < 3; ++v) {
                     if (y->tone_count[v] >= period[v]) {
                         y->tone_count[v] = 0;
                         y->square ^= VOICE_NIBBLE[v];
                     }
                     ++y->tone_count[v];
                 }
                 const uint32_t idx = ALL_VOICES & (y->square | tone_off) & y->noise_mask[t] &
                                      ((env_sel & y->env_level[t]) | fixed);
                 y->mixed[t] = static_cast<int32_t>(y->volume[idx]) - centre;
             }
         });
}

// Averages the ticks in groups of four (the carried ticks first) and picks
// groups at the output rate.
void resample(ym_t* y, uint32_t ticks)
{
    int32_t* v = y->mixed.data();
    uint32_t groups = 0;
    int count = y->tick_carry;
    int32_t sum = y->tick_carry_sum;
    for (uint32_t t = 0; t < ticks; ++t) {
        sum += v[t];
        if (++count == GROUP) {
            v[groups++] = sum / GROUP;
            count = 0;
            sum = 0;
        }
    }
    y->tick_carry = count;
    y->tick_carry_sum = sum;

    const int rate = y->rate ? y->rate : YM_DEFAULT_RATE;
    const uint64_t step = (GROUP_RATE << STEP_FRAC) / static_cast<uint64_t>(rate);
    const uint64_t limit = static_cast<uint64_t>(groups) << STEP_FRAC;
    y->out.clear();
    for (uint64_t p = 0; p < limit; p += step)
        y->out.push_back(v[p >> STEP_FRAC]);
}

void clear_list(ym_list_t& l, uint32_t base)
{
    l.count = 0;
    l.base = base;
}

}  // namespace

ym_t ym_chip;

void ym_reset(ym_t* y)
{
    std::memset(y->reg, 0, sizeof y->reg);
    y->reg[YM_MIXER] = R7_RESET;
    y->reg[YM_ENV_SHAPE] = R13_RESET;
    y->selected = 0;
    clear_list(y->tone_list, 0);
    clear_list(y->noise_list, 0);
    clear_list(y->env_list, 0);
    std::fill(std::begin(y->tone_count), std::end(y->tone_count), 0u);
    y->square = 0;
    y->noise_shift = NOISE_RESET;
    y->noise_count = 0;
    env_restart(y, R13_RESET);
    y->cycle_carry = 0;
    y->tick_carry = 0;
    y->tick_carry_sum = 0;
    y->out.clear();
}

int ym_sampling_rate(ym_t* y, int hz)
{
    if (hz == 0)
        return y->rate;
    y->rate = std::clamp(hz, RATE_MIN, RATE_MAX);
    return y->rate;
}

int ym_init(ym_t* y)
{
    for (int i = 0; i < YM_VOLUME_ENTRIES; ++i) {
        const uint32_t v = ym_volume_table[i] * VOLUME_SCALE_NUM / VOLUME_SCALE_DEN;
        y->volume[i] = static_cast<uint16_t>(std::min(v, VOLUME_PEAK));
    }
    ym_reset(y);
    ym_sampling_rate(y, y->rate ? y->rate : YM_DEFAULT_RATE);
    return 0;
}

uint32_t ym_read8(ym_t* y, uint32_t addr)
{
    if (addr & 3)
        return 0;
    const int reg = y->selected;
    if (reg >= YM_REGS)
        return 0;
    // R7 sits in both lists; the mixer list holds fewer writes, so it is the
    // one least likely to have lost its latest to an overflow.
    const ym_list_t* l = reg == YM_MIXER ? &y->noise_list : list_of(y, reg);
    if (l)
        for (int i = l->count - 1; i >= 0; --i)
            if (l->entry[i].reg == reg)
                return l->entry[i].value;
    return y->reg[reg];
}

uint32_t ym_read16(ym_t* y, uint32_t addr)
{
    return (addr & 3) ? 0 : ym_read8(y, addr) << 8;
}

uint32_t ym_read32(ym_t*, uint32_t)
{
    return 0;
}

void ym_write8(ym_t* y, uint32_t addr, uint32_t v, uint32_t cycle)
{
    const uint8_t value = static_cast<uint8_t>(v);
    if (!(addr & 2)) {
        y->selected = value;
        return;
    }
    const int reg = y->selected;
    if (reg == YM_MIXER)
        list_add(y->noise_list, cycle, reg, value);
    if (ym_list_t* l = list_of(y, reg))
        list_add(*l, cycle, reg, value);
}

void ym_write16(ym_t* y, uint32_t addr, uint32_t v, uint32_t cycle)
{
    ym_write8(y, addr, v >> 8, cycle);
}

void ym_write32(ym_t* y, uint32_t addr, uint32_t v, uint32_t cycle)
{
    ym_write16(y, addr, v >> 16, cycle);
    ym_write16(y, addr + 2, v & 0xFFFF, cycle);
}

void ym_adjust_cycle(ym_t* y, uint32_t cycles)
{
    for (ym_list_t* l : {&y->tone_list, &y->noise_list, &y->env_list}) {
        l->base -= cycles;
        for (int i = 0; i < l->count; ++i)
            l->entry[i].cycle -= cycles;
    }
}

int ym_render(ym_t* y, uint32_t cycles)
{
    const uint32_t total = std::min(cycles, YM_MAX_CYCLES) + y->cycle_carry;
    y->cycle_carry = total & (YM_CYCLES_PER_TICK - 1);
    const uint32_t n = total - y->cycle_carry;
    const uint32_t ticks = n >> TICK_SHIFT;
    if (y->noise_mask.size() < ticks) {
        y->noise_mask.resize(ticks);
        y->env_level.resize(ticks);
        y->mixed.resize(ticks);
    }
    y->out.reserve(ticks / GROUP + 2);

    const uint8_t mixer = y->reg[YM_MIXER];
    noise_pass(y, ticks);
    env_pass(y, ticks);
    tone_pass(y, ticks, mixer);
    resample(y, ticks);

    const uint32_t end = y->tone_list.base + n;
    clear_list(y->tone_list, end);
    clear_list(y->noise_list, end);
    clear_list(y->env_list, end);
    return static_cast<int>(y->out.size());
}

const int32_t* ym_output(const ym_t* y)
{
    return y->out.data();
}

namespace {

uint32_t io_read8(uint32_t addr, uint32_t) { return ym_read8(&ym_chip, addr); }
uint32_t io_read16(uint32_t addr, uint32_t) { return ym_read16(&ym_chip, addr); }
uint32_t io_read32(uint32_t addr, uint32_t) { return ym_read32(&ym_chip, addr); }
void io_write8(uint32_t addr, uint32_t v, uint32_t cycle) { ym_write8(&ym_chip, addr, v, cycle); }
void io_write16(uint32_t addr, uint32_t v, uint32_t cycle) { ym_write16(&ym_chip, addr, v, cycle); }
void io_write32(uint32_t addr, uint32_t v, uint32_t cycle) { ym_write32(&ym_chip, addr, v, cycle); }
bool io_interrupt(uint32_t, int68_t*) { return false; }
int32_t io_next_interrupt(uint32_t) { return IO68_NO_INT; }
void io_adjust_cycle(uint32_t cycles) { ym_adjust_cycle(&ym_chip, cycles); }
void io_reset() { ym_reset(&ym_chip); }

}  // namespace

io68_t ym_io = {
    nullptr, "YM-2149", YM_ADDR_LO, YM_ADDR_HI,
    io_read8, io_read16, io_read32, io_write8, io_write16, io_write32,
    io_interrupt, io_next_interrupt, io_adjust_cycle, io_reset,
};
