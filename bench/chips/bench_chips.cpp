// Mixing speed of the sound chips: how many 50 Hz replay frames (160,256
// cycles, 883/884 output frames at 44,100 Hz) each renders per second of
// host time, and the resulting multiple of real time.
//
// Usage: bench_chips [seconds per chip, default 1]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "sc68/chips/mfp68901.h"
#include "sc68/chips/paula.h"
#include "sc68/chips/ste_sound.h"
#include "sc68/chips/ym2149.h"

namespace {

constexpr uint32_t FRAME = 160256;
constexpr int PAULA_FRAMES = 883;
constexpr double REPLAY_HZ = 50.0;

std::vector<uint8_t> ram(EMU68_MEMSIZE + EMU68_MEMSPARE);
volatile uint32_t sink;

void report(const char* name, double seconds, const std::function<void()>& frame)
{
    using clock = std::chrono::steady_clock;
    long frames = 0;
    const auto start = clock::now();
    double elapsed = 0;
    do {
        for (int i = 0; i < 50; ++i)
            frame();
        frames += 50;
        elapsed = std::chrono::duration<double>(clock::now() - start).count();
    } while (elapsed < seconds);
    const double per_second = frames / elapsed;
    std::printf("%-34s %10.0f frames/s  %8.1f x real time  %7.2f us/frame\n", name, per_second,
                per_second / REPLAY_HZ, 1e6 / per_second);
}

void paula_setup(int voices)
{
    paula_init(&paula_chip);
    for (int n = 0; n < voices; ++n) {
        const uint32_t base = 0xDFF000 + PAULA_AUD0 + 16 * n;
        paula_write32(&paula_chip, base + PAULA_AUD_LC, 0x10000 + 0x8000 * n);
        paula_write16(&paula_chip, base + PAULA_AUD_LEN, 0x2000);
        paula_write16(&paula_chip, base + PAULA_AUD_PER, 214 + 50 * n);
        paula_write16(&paula_chip, base + PAULA_AUD_VOL, 48);
    }
    paula_write16(&paula_chip, 0xDFF000 + PAULA_DMACON, 0x8200 | ((1u << voices) - 1));
}

// Tone on A and B, noise on C, A following the envelope, with a handful of
// timed writes per frame as an interrupt-driven replay makes.
int ym_frame()
{
    auto set = [](int reg, int v, uint32_t cycle) {
        ym_write8(&ym_chip, 0xFF8800, reg, cycle);
        ym_write8(&ym_chip, 0xFF8802, v, cycle);
    };
    set(YM_MIXER, 0x1C, 0);
    set(0, 0x80, 0);
    set(2, 0x41, 0);
    set(YM_NOISE_PERIOD, 5, 0);
    set(YM_VOL_A, 0x10, 0);
    set(YM_ENV_FINE, 0x40, 0);
    set(YM_ENV_SHAPE, 0x0E, 0);
    for (uint32_t c = 8000; c < FRAME; c += 8000)
        set(YM_VOL_A + 1 + (c / 8000) % 2, (c / 8000) & 15, c);
    const int n = ym_render(&ym_chip, FRAME);
    ym_adjust_cycle(&ym_chip, FRAME);
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    for (size_t i = 0; i < ram.size(); ++i)
        ram[i] = static_cast<uint8_t>(i * 37 + (i >> 7));

    std::vector<uint32_t> out(1024);
    for (int voices : {1, 4}) {
        paula_setup(voices);
        char name[64];
        std::snprintf(name, sizeof name, "Paula, %d voice%s", voices, voices > 1 ? "s" : "");
        report(name, seconds, [&] {
            paula_render(&paula_chip, out.data(), ram.data(), PAULA_FRAMES);
            sink = out[0];
        });
    }

    ym_init(&ym_chip);
    report("YM-2149, tone+noise+envelope", seconds, [] { sink = static_cast<uint32_t>(ym_frame()); });

    ste_init(&ste_chip);
    report("STE DMA, stereo 50 kHz over YM", seconds, [&] {
        if (!(ste_chip.reg[STE_CONTROL] & STE_PLAY)) {
            ste_write8(&ste_chip, 0xFF8903, 0x01);
            ste_write8(&ste_chip, 0xFF890F, 0x07);
            ste_write8(&ste_chip, 0xFF8921, 0x03);
            ste_write8(&ste_chip, 0xFF8901, STE_PLAY | STE_REPEAT);
        }
        const int n = ym_frame();
        std::memcpy(out.data(), ym_output(&ym_chip), sizeof(uint32_t) * static_cast<size_t>(n));
        ste_render(&ste_chip, out.data(), ram.data(), n);
        sink = out[0];
    });

    mfp_init(&mfp_chip);
    report("MFP, timer D every 13 cycles", seconds, [] {
        if (!mfp_chip.earliest) {
            mfp_write8(&mfp_chip, 0xFFFA25, 1, 0);
            mfp_write8(&mfp_chip, 0xFFFA1D, 1, 0);
        }
        int68_t irq;
        uint32_t pos = 0;
        for (;;) {
            const int32_t next = mfp_next_interrupt(&mfp_chip, pos);
            pos += next < 0 ? 0 : static_cast<uint32_t>(next);
            if (pos >= FRAME)
                break;
            sink = mfp_interrupt(&mfp_chip, pos, &irq);
        }
        mfp_adjust_cycle(&mfp_chip, FRAME);
    });
    return 0;
}
