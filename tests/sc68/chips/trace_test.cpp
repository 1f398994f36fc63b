// Each chip driven through a script of register accesses and renders, as a
// replay and the engine drive it. Every value read, every rendered frame and
// every delivered interrupt goes into one checksum per chip, so the scripts
// pin the chips' timing, mixing, restart and read-back rules at once. A new
// checksum means the chip sounds or counts differently: find out why before
// committing a new value. After the traces, the rules a sum would hide: the
// Paula's wiring and beam counter, the MFP's state before any init.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "sc68/chips/mfp68901.h"
#include "sc68/chips/paula.h"
#include "sc68/chips/ste_sound.h"
#include "sc68/chips/ym2149.h"

namespace {

constexpr uint32_t FRAME = 160256;

enum Op { W8, W16, W32, R8, R16, R32, NEXT, INT, RENDER, ADJUST, RATE, RESET };

struct Step {
    Op op;
    uint32_t addr;  // offset in the chip's page, or a full address above 0xFF
    uint32_t value;
    uint32_t cycle = 0;
};

struct Checksum {
    uint64_t sum = 14695981039346656037ull;  // FNV-1a
    void add(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) {
            sum ^= v >> 8 * i & 0xFF;
            sum *= 1099511628211ull;
        }
    }
};

struct Chip {
    io68_t* io;
    std::function<void()> init;
    std::function<int(int)> rate;
    std::function<void(uint32_t, Checksum&)> render;  // frames, or cycles for YM and MFP
};

std::vector<uint8_t> ram(EMU68_MEMSIZE + EMU68_MEMSPARE);
uint32_t mfp_last_run;

uint64_t play(const Chip& chip, const std::vector<Step>& steps)
{
    for (size_t i = 0; i < ram.size(); ++i)
        ram[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    chip.init();
    io68_t& io = *chip.io;
    Checksum c;
    for (const Step& s : steps) {
        const uint32_t a = s.addr > 0xFF ? s.addr : (io.addr_lo & 0xFFFF00) | s.addr;
        switch (s.op) {
        case W8: io.w_byte(a, s.value, s.cycle); break;
        case W16: io.w_word(a, s.value, s.cycle); break;
        case W32: io.w_long(a, s.value, s.cycle); break;
        case R8: c.add(io.r_byte(a, s.cycle)); break;
        case R16: c.add(io.r_word(a, s.cycle)); break;
        case R32: c.add(io.r_long(a, s.cycle)); break;
        case NEXT: c.add(static_cast<uint32_t>(io.next_interrupt(s.cycle))); break;
        case INT: {
            int68_t irq = {};
            c.add(io.interrupt(s.cycle, &irq) ? irq.vector | static_cast<uint32_t>(irq.level) << 16 : 1u);
            break;
        }
        case RENDER: chip.render(s.value, c); break;
        case ADJUST: io.adjust_cycle(s.value); break;
        case RATE: c.add(static_cast<uint32_t>(chip.rate(static_cast<int>(s.value)))); break;
        case RESET: io.reset(); break;
        }
    }
    return c.sum;
}

const Chip paula = {
    &paula_io, [] { paula_chip.rate = 0; paula_init(&paula_chip); },
    [](int hz) { return paula_sampling_rate(&paula_chip, hz); },
    [](uint32_t n, Checksum& c) {
        std::vector<uint32_t> out(n);
        paula_render(&paula_chip, out.data(), ram.data(), static_cast<int>(n));
        for (uint32_t f : out)
            c.add(f);
    }};

const Chip ym = {
    &ym_io, [] { ym_chip.rate = 0; ym_init(&ym_chip); },
    [](int hz) { return ym_sampling_rate(&ym_chip, hz); },
    [](uint32_t cycles, Checksum& c) {
        const int n = ym_render(&ym_chip, cycles);
        c.add(static_cast<uint32_t>(n));
        for (int i = 0; i < n; ++i)
            c.add(static_cast<uint32_t>(ym_output(&ym_chip)[i]));
    }};

// What the emulator's frame driver does: tell the chip the length of the
// last run, then ask for each next interrupt and take it at its position.
const Chip mfp = {
    &mfp_io, [] { mfp_init(&mfp_chip); mfp_last_run = 0; }, [](int) { return 0; },
    [](uint32_t cycles, Checksum& c) {
        mfp_io.adjust_cycle(mfp_last_run);
        mfp_last_run = cycles;
        int64_t pos = 0;
        for (int32_t next = mfp_io.next_interrupt(0); next != IO68_NO_INT;
             next = mfp_io.next_interrupt(static_cast<uint32_t>(pos))) {
            pos += next < 0 ? 0 : next;
            if (pos >= cycles)
                break;
            int68_t irq;
            if (mfp_io.interrupt(static_cast<uint32_t>(pos), &irq)) {
                c.add(static_cast<uint32_t>(pos));
                c.add(irq.vector | static_cast<uint32_t>(irq.level) << 16);
            }
        }
    }};

// Over a YM signal sweeping its whole range; the MicroWire settings too.
const Chip ste = {
    &ste_io, [] { ste_chip.rate = 0; ste_init(&ste_chip); },
    [](int hz) { return ste_sampling_rate(&ste_chip, hz); },
    [](uint32_t n, Checksum& c) {
        std::vector<uint32_t> buf(n);
        for (uint32_t i = 0; i < n; ++i)
            buf[i] = static_cast<uint32_t>(static_cast<int32_t>(i * 977 % 60001) - 30000);
        ste_render(&ste_chip, buf.data(), ram.data(), static_cast<int>(n));
        for (uint32_t f : buf)
            c.add(f);
        const ste_t& s = ste_chip;
        for (int v : {s.mixer, s.dma_gain, s.master_db, s.left_db, s.right_db, s.balance_db, s.bass_db, s.treble_db})
            c.add(static_cast<uint32_t>(v));
    }};

// Channel n's registers, and the page they are in.
constexpr uint32_t aud(int n, uint32_t field) { return PAULA_AUD0 + 16 * n + field; }
constexpr uint32_t CUSTOM = 0xDFF000;

TEST(ChipTrace, Paula)
{
    const std::vector<Step> steps = {
        {RATE, 0, 44100},
        {W32, aud(0, PAULA_AUD_LC), 0x1000}, {W16, aud(0, PAULA_AUD_LEN), 0x20},
        {W16, aud(0, PAULA_AUD_PER), 428}, {W16, aud(0, PAULA_AUD_VOL), 64},
        {W32, aud(1, PAULA_AUD_LC), 0x10000}, {W16, aud(1, PAULA_AUD_LEN), 0},  // 131,072 bytes
        {W16, aud(1, PAULA_AUD_PER), 0}, {W16, aud(1, PAULA_AUD_VOL), 100},   // period 1, volume 64
        {W32, aud(2, PAULA_AUD_LC), 0x7FFFFE}, {W16, aud(2, PAULA_AUD_LEN), 0},  // past the top
        {W16, aud(2, PAULA_AUD_PER), 300}, {W16, aud(2, PAULA_AUD_VOL), 0x0180},
        {W32, aud(3, PAULA_AUD_LC), 0x3001}, {W16, aud(3, PAULA_AUD_LEN), 1},
        {W16, aud(3, PAULA_AUD_PER), 162}, {W16, aud(3, PAULA_AUD_VOL), 40},
        {W16, PAULA_DMACON, 0x0200}, {W16, PAULA_DMACON, 0x800F}, {RENDER, 0, 8},  // no master enable
        {W16, PAULA_DMACON, 0x8200}, {R16, PAULA_DMACONR, 0}, {RENDER, 0, 64},
        // Loop blocks queued while the first blocks play.
        {W32, aud(0, PAULA_AUD_LC), 0x4000}, {W16, aud(0, PAULA_AUD_LEN), 2},
        {W32, aud(1, PAULA_AUD_LC), 0x40000}, {W16, aud(1, PAULA_AUD_LEN), 1},
        {RENDER, 0, 400}, {R8, aud(0, PAULA_AUD_DAT), 0}, {W16, aud(2, PAULA_AUD_VOL), 32},
        {RENDER, 0, 1200}, {R8, aud(1, PAULA_AUD_DAT), 0},
        // Restarts: only a newly enabled channel, or an audio request without its interrupt.
        {W16, PAULA_DMACON, 0x8001}, {RENDER, 0, 3}, {W16, PAULA_DMACON, 0x0001}, {W16, PAULA_DMACON, 0x8001},
        {RENDER, 0, 3}, {W16, PAULA_INTREQ, 0x8080}, {R16, PAULA_INTREQR, 0}, {RENDER, 0, 3},
        {W16, PAULA_INTREQ, 0x0080}, {W16, PAULA_INTENA, 0x8080}, {R16, PAULA_INTENAR, 0},
        {RENDER, 0, 3}, {W16, PAULA_INTREQ, 0x8080}, {RENDER, 0, 3}, {W16, PAULA_INTREQ, 0x8080},
        {RENDER, 0, 3}, {W8, PAULA_DMACON, 0x02}, {R16, PAULA_DMACONR, 0}, {RENDER, 0, 100},
        // Read-back words, refreshed for byte reads; writes wrap in the file.
        {W16, PAULA_ADKCON, 0x8011}, {R16, PAULA_ADKCON, 0}, {R8, PAULA_DMACONR, 0},
        {R8, PAULA_INTENAR, 0}, {R8, PAULA_ADKCONR + 1, 0}, {R32, PAULA_INTENAR, 0},
        {W32, aud(2, PAULA_AUD_LC), 0x00012345}, {R32, aud(2, PAULA_AUD_LC), 0},
        {W8, aud(2, PAULA_AUD_VOL) + 1, 0x33}, {R16, aud(2, PAULA_AUD_VOL), 0},
        {W16, 0xFF, 0xABCD}, {R8, 0xFF, 0}, {R8, 0x00, 0},
        {RATE, 0, 100000}, {RENDER, 0, 50}, {RATE, 0, 0}, {RATE, 0, 1000}, {RENDER, 0, 10},
        {RESET, 0, 0}, {R16, PAULA_DMACONR, 0}, {R16, PAULA_INTENAR, 0}, {RENDER, 0, 4}, {NEXT, 0, 0}, {INT, 0, 0},
    };
    EXPECT_EQ(play(paula, steps), 0x1B65293F33C01A88ull);
}

// Register r set to v (a long write selects and writes).
constexpr Step ym_set(int r, int v, uint32_t cycle = 0) { return {W32, 0, uint32_t(r) << 24 | uint32_t(v) << 8, cycle}; }

TEST(ChipTrace, Ym)
{
    std::vector<Step> steps = {
        {W8, 0, YM_MIXER}, {R8, 0, 0}, {W8, 0, YM_ENV_SHAPE}, {R8, 0, 0}, {R16, 0, 0}, {R8, 2, 0},
        ym_set(YM_MIXER, 0x3E), ym_set(YM_VOL_A, 15), ym_set(0, 1), {RENDER, 0, FRAME},  // 125 kHz
        {RATE, 0, 50000}, ym_set(0, 0), ym_set(1, 1), {RENDER, 0, FRAME},                 // 488 Hz
        ym_set(2, 0x23), ym_set(3, 0x11), ym_set(YM_VOL_A + 1, 12), ym_set(YM_NOISE_PERIOD, 3),
        ym_set(YM_MIXER, 0x2C), ym_set(YM_VOL_A + 2, 0x10), ym_set(YM_ENV_FINE, 4),
        ym_set(YM_ENV_COARSE, 0), ym_set(YM_ENV_SHAPE, 0x0E), {RENDER, 0, FRAME},
        // Writes land at their cycle, also after the time base moves back by a frame.
        ym_set(YM_VOL_A, 0, 80000), ym_set(YM_ENV_SHAPE, 0x0D, 100000), ym_set(YM_NOISE_PERIOD, 1, 120000),
        {W8, 0, YM_VOL_A}, {R8, 0, 0}, {RENDER, 0, FRAME}, {ADJUST, 0, FRAME},
        ym_set(YM_VOL_A, 15, 80000), ym_set(5, 2, 90000), ym_set(4, 0x80, 90000), {RENDER, 0, FRAME},
        ym_set(YM_ENV_SHAPE, 0x08), {RENDER, 0, 40000}, ym_set(YM_ENV_SHAPE, 0x0B), {RENDER, 0, 40000},
        ym_set(YM_ENV_SHAPE, 0x04), {RENDER, 0, 40000}, ym_set(YM_ENV_SHAPE, 0x0F), {RENDER, 0, 40000},
        ym_set(YM_ENV_SHAPE, 0x00), {RENDER, 0, 40000}, ym_set(YM_ENV_SHAPE, 0x0A), {RENDER, 0, 40000},
        ym_set(YM_ENV_SHAPE, 0x0C), {RENDER, 0, 40000},
        // Registers 14 and up are not stored.
        ym_set(14, 0x55), ym_set(200, 0x55), {R8, 0, 0},
        // Renders shorter than a tick carry their cycles and ticks over.
        {RENDER, 0, 100}, {W8, 0, 14}, {R8, 0, 0}, {RENDER, 0, 100}, {RENDER, 0, 100}, {RENDER, 0, 100}, {RENDER, 0, 100},
        {RATE, 0, 1000}, {RENDER, 0, FRAME}, {RESET, 0, 0}, {R8, 0, 0}, {RENDER, 0, 20000},
        ym_set(YM_VOL_A, 15, 0x7FFFFF00), {RENDER, 0, 0xFFFFFFFF},  // one second at most
        {NEXT, 0, 0}, {INT, 0, 0},
    };
    // A full write list keeps only the newest write, in its last entry: A and B end at 0, C at 9.
    // The envelope's writes have a list of their own: its shape is kept.
    steps.push_back({RESET, 0, 0});
    for (int i = 0; i < YM_LIST_SIZE - 1; ++i)
        steps.push_back(ym_set(0, i & 0xFF, 10));
    steps.insert(steps.end(), {ym_set(YM_ENV_SHAPE, 0x0A, 15), ym_set(YM_VOL_A, 15, 20)});
    for (int i = 0; i < 100; ++i)
        steps.push_back(ym_set(YM_VOL_A + 1, i, 30));
    steps.insert(steps.end(), {ym_set(YM_VOL_A + 2, 9, 40), {RENDER, 0, FRAME}});
    for (int r : {YM_VOL_A, YM_VOL_A + 1, YM_VOL_A + 2, YM_ENV_SHAPE})
        steps.insert(steps.end(), {{W8, 0, uint32_t(r)}, {R8, 0, 0}});
    EXPECT_EQ(play(ym, steps), 0xF0EC5B8D3D8BFDC2ull);
}

TEST(ChipTrace, Mfp)
{
    const std::vector<Step> steps = {
        {R8, 0x01, 0}, {R8, MFP_VR, 0}, {R8, MFP_TADR, 0}, {W8, 0x06, 0x12}, {R8, 0x06, 0},
        {W16, 0x02, 0x12A5}, {R16, 0x02, 0}, {W32, 0x02, 0x00110022}, {R32, 0x02, 0},
        {W8, 0xFFFA41 + MFP_TACR - 1, 0}, {W8, 0x80FAFF, 0x77}, {R8, 0x3F, 0},  // mirrors
        // Timer A once a frame at prescaler 200, drifting against the frame.
        {W8, MFP_IERA, 0x20}, {W8, MFP_IMRA, 0x20}, {W8, MFP_TADR, 246}, {W8, MFP_TACR, 7},
        {NEXT, 0, 0, 100}, {INT, 0, 0, 160156}, {RENDER, 0, FRAME},  // not yet due {RENDER, 0, FRAME}, {RENDER, 0, FRAME},
        // Timer D at prescaler 4, data 1, on top: thousands a frame.
        {W8, MFP_IERB, 0x10}, {W8, MFP_IMRB, 0x10}, {W8, MFP_TADR + 6, 1}, {W8, MFP_TCDCR, 0x01},
        {RENDER, 0, FRAME}, {RENDER, 0, FRAME},
        // Masked, it keeps counting; a new data value waits for the reload.
        {W8, MFP_IMRB, 0x00}, {W8, MFP_TADR + 6, 20, 500}, {R8, MFP_TADR + 6, 0, 700}, {RENDER, 0, FRAME},
        {W8, MFP_IMRB, 0x10}, {RENDER, 0, 5000}, {R8, MFP_TADR + 6, 0, 4000},
        // Timer C ties with D: the later timer first; the vector base moves.
        {W8, MFP_TCDCR, 0x00}, {W8, MFP_TADR + 4, 5}, {W8, MFP_TADR + 6, 5}, {W8, MFP_IERB, 0x30},
        {W8, MFP_IMRB, 0x30}, {W8, MFP_VR, 0x58}, {W8, MFP_TCDCR, 0x11}, {RENDER, 0, 300},
        // Mode changes while running: another mode restarts the count, the same mode does not.
        {W8, MFP_TACR, 0, 100}, {W8, MFP_TADR, 4}, {W8, MFP_TACR, 1, 10}, {W8, MFP_TACR, 2, 20},
        {W8, MFP_TCDCR, 0x11, 30}, {W8, MFP_TBCR, 0}, {W8, MFP_TADR + 2, 0}, {W8, MFP_TBCR, 1},
        {W8, MFP_IERA, 0x21}, {W8, MFP_IMRA, 0x21}, {RENDER, 0, 4000},
        // Running counters read back counting down, and reload.
        {R8, MFP_TADR, 0, 13}, {R8, MFP_TADR, 0, 14}, {R8, MFP_TADR, 0, 1302}, {R8, MFP_TADR + 2, 0, 3000},
        {R8, MFP_TADR, 0, 13},  // asked about the past: no change
        {W8, MFP_TACR, 0x08, 3000}, {R8, MFP_TACR, 0}, {RENDER, 0, FRAME},  // event count: stopped
        {W8, MFP_TBCR, 0, 100}, {W8, MFP_TADR + 2, 0}, {R8, MFP_TADR + 2, 0, 200},
        {RESET, 0, 0}, {RENDER, 0, FRAME}, {R8, MFP_VR, 0}, {NEXT, 0, 0}, {INT, 0, 0},
    };
    EXPECT_EQ(play(mfp, steps), 0x773E6686421B21CFull);
}

TEST(ChipTrace, SteSound)
{
    // Start and end as three bytes each.
    auto block = [](uint32_t start, uint32_t end, uint8_t mode) {
        std::vector<Step> s;
        for (uint32_t i = 0; i < 3; ++i) {
            s.push_back({W8, STE_START + 2 * i, start >> (16 - 8 * i) & 0xFF});
            s.push_back({W8, STE_END + 2 * i, end >> (16 - 8 * i) & 0xFF});
        }
        s.push_back({W8, STE_MODE, mode});
        return s;
    };
    auto microwire = [](uint16_t data, uint16_t mask) {
        return std::vector<Step>{{W16, STE_MW_MASK, mask}, {W16, STE_MW_DATA, data}, {RENDER, 0, 0}};
    };
    const std::vector<std::vector<Step>> parts = {
        {{RATE, 0, 0}, {RENDER, 0, 8}},  // the YM alone
        block(0x10000, 0x10100, 0x81), {{W16, 0x00, 0x0013}, {R8, STE_CONTROL, 0}, {R8, 0x00, 0}},
        {{R8, STE_START, 0}, {R8, STE_START + 1, 0}, {RENDER, 0, 256}, {W8, STE_COUNTER, 0x55}},
        {{R8, STE_COUNTER, 0}, {R8, STE_COUNTER + 2, 0}, {R8, STE_COUNTER + 4, 0}},
        microwire(0x0402, 0x07FF), {{RENDER, 0, 8}}, microwire(0x0403, 0x07FF), {{RENDER, 0, 8}},
        microwire(0x0400, 0x07FF), {{RENDER, 0, 8}}, microwire(0x0401, 0x07FF),
        // Stereo 50 kHz, without repeat: the stream ends and leaves the YM.
        block(0x20000, 0x20010, 0x03), {{W8, STE_CONTROL, STE_PLAY}, {RENDER, 0, 20}, {R8, STE_CONTROL, 0}},
        // Repeat takes the registers written while the block played.
        block(0x30000, 0x30004, 0x83), {{W8, STE_CONTROL, STE_PLAY | STE_REPEAT}},
        block(0x40000, 0x40100, 0x82), {{RENDER, 0, 300}, {R32, STE_COUNTER - 1, 0}, {R8, STE_CONTROL, 0}},
        block(0xFFFFF0, 0xFFFFFF, 0x80), {{W8, STE_CONTROL, STE_PLAY}, {RENDER, 0, 64}},  // RAM repeats
        microwire(0x04FF, 0x07FF), microwire(0x04D4, 0x07FF), microwire(0x09A8, 0x0FFE),
        microwire(0x0545, 0x07FF), microwire(0x051F, 0x07FF), microwire(0x0446, 0x07FF),
        microwire(0x048F, 0x07FF), microwire(0x0000, 0x07FF), microwire(0x0400, 0x0700),
        microwire(0x0402, 0x07FE), {{NEXT, 0, 0}, {INT, 0, 0}},
        {{R16, STE_MW_MASK, 0}, {W8, 0x3F, 0x12}, {R8, 0x3F, 0}, {R32, 0x24, 0}, {RENDER, 0, 8}},
        {{RATE, 0, 22050}, {RENDER, 0, 100}, {RESET, 0, 0}, {R16, STE_MW_MASK, 0}, {RENDER, 0, 8}},
    };
    std::vector<Step> steps;
    for (const auto& p : parts)
        steps.insert(steps.end(), p.begin(), p.end());
    EXPECT_EQ(play(ste, steps), 0x31D4CB55A019FD3Full);
}

// Channels 0 and 3 play on the left, 1 and 2 on the right, as the Amiga is wired.
TEST(Paula, ChannelsZeroAndThreeLeftOneAndTwoRight)
{
    const struct {
        std::vector<std::pair<int, uint32_t>> voices;  // channel, volume
        int16_t left, right;
    } cases[] = {
        {{{0, 64}}, 16256, 0}, {{{1, 64}}, 0, 16256}, {{{2, 64}}, 0, 16256}, {{{3, 64}}, 16256, 0},
        {{{0, 64}, {3, 64}, {2, 32}}, 32512, 8921},  // two channels, no carry into the right half
    };
    for (const auto& c : cases) {
        paula.init();
        std::fill(ram.begin(), ram.end(), 127);
        for (auto [n, vol] : c.voices) {
            paula_io.w_long(CUSTOM | aud(n, PAULA_AUD_LC), 0x2000, 0);
            paula_io.w_word(CUSTOM | aud(n, PAULA_AUD_LEN), 0x800, 0);
            paula_io.w_word(CUSTOM | aud(n, PAULA_AUD_PER), 428, 0);
            paula_io.w_word(CUSTOM | aud(n, PAULA_AUD_VOL), vol, 0);
            paula_io.w_word(CUSTOM | PAULA_DMACON, 0x8200 | 1u << n, 0);
        }
        uint32_t f;
        paula_render(&paula_chip, &f, ram.data(), 1);
        EXPECT_EQ(static_cast<int16_t>(f), c.left) << c.voices.size() << " voices from " << c.voices[0].first;
        EXPECT_EQ(static_cast<int16_t>(f >> 16), c.right) << c.voices.size() << " voices from " << c.voices[0].first;
    }
}

TEST(Paula, EveryReadOfTheBeamWordMovesIt)
{
    paula.init();
    const uint32_t vhposr = CUSTOM | PAULA_VHPOSR;
    EXPECT_EQ(paula_io.r_byte(vhposr, 0), 0u);
    EXPECT_EQ(paula_io.r_byte(vhposr, 0), 1u);
    uint32_t f;
    paula_render(&paula_chip, &f, ram.data(), 1);  // a render starts it again
    EXPECT_EQ(paula_io.r_byte(vhposr, 0), 0u);
    EXPECT_EQ(paula_io.r_byte(vhposr + 1, 0), 1u);
    EXPECT_EQ(paula_io.r_word(vhposr, 0), 0x0202u);
    EXPECT_EQ(paula_io.r_long(vhposr - 2, 0), 0x0303u);
}

// The process chip as it stands before the first test, whatever order the tests run in.
struct MfpAtStart : ::testing::Environment {
    static inline mfp_t chip;
    void SetUp() override { chip = mfp_chip; }
};
[[maybe_unused]] ::testing::Environment* const mfp_at_start = ::testing::AddGlobalTestEnvironment(new MfpAtStart);

TEST(MfpChip, TheProcessChipStartsInItsResetState)
{
    EXPECT_EQ(MfpAtStart::chip.timer[MFP_TIMER_A].data, 256);
    EXPECT_EQ(MfpAtStart::chip.reg[MFP_VR], 0x40);
}

}  // namespace
