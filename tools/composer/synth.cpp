#include "tools/composer/synth.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace composer {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double end_fade_seconds = 0.004;  // one-shot sounds end without a click
constexpr int loop_warmup_cycles = 8;       // lets the filter settle before the loop is cut

// Zero-delay-feedback state-variable filter; stays stable for any cutoff below Nyquist.
struct Svf {
    double ic1 = 0, ic2 = 0;
    double low = 0, high = 0;
    void run(double x, double cutoff, double rate, double resonance) {
        double fc = std::min(cutoff, rate * 0.45);
        double g = std::tan(pi * fc / rate);
        double k = 2.0 - 2.0 * resonance;
        double a1 = 1.0 / (1.0 + g * (g + k));
        double a2 = g * a1;
        double a3 = g * a2;
        double v3 = x - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        low = v2;
        high = x - k * v1 - v2;
    }
};

// Small linear congruential generator so that every build renders the same noise.
struct Noise {
    uint32_t state = 0x1234567u;
    double next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
};

double sweep(double from, double to, double t, double time) {
    if (to < 0 || time <= 0) return from;
    return to + (from - to) * std::exp(-t / time);
}

// One sample of a band-limited pulse, saw or triangle at phase ph (cycles), summing
// harmonics 1..count through repeated rotation instead of one sine call each.
double additive(const std::string& wave, double ph, double duty, int count) {
    double theta = 2 * pi * (wave == "pulse" ? ph - duty / 2 : ph);
    std::complex<double> step(std::cos(theta), std::sin(theta));
    std::complex<double> z = step;
    double sum = 0;
    for (int n = 1; n <= count; ++n, z *= step) {
        if (wave == "pulse") {
            sum += 4.0 / (n * pi) * std::sin(n * pi * duty) * z.real() * 0.5;
        } else if (wave == "saw") {
            sum += (n % 2 ? 2.0 : -2.0) / (n * pi) * z.imag();
        } else if (n % 2) {
            sum += 8.0 / (pi * pi) * ((n / 2) % 2 ? -1.0 : 1.0) / (double(n) * n) * z.imag();
        }
    }
    return sum;
}

double parse_number(const std::string& key, const std::string& value) {
    char* end = nullptr;
    double v = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != 0 || !std::isfinite(v)) throw SynthError("bad value \"" + value + "\" for " + key);
    return v;
}

int parse_int(const std::string& key, const std::string& value, int lo, int hi) {
    double v = parse_number(key, value);
    if (v != std::floor(v) || v < lo || v > hi)
        throw SynthError(key + " must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return static_cast<int>(v);
}

std::string format_number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

}  // namespace

void synth_set(SynthParams& p, const std::string& key, const std::string& value) {
    struct Num { const char* key; double SynthParams::*field; double lo, hi; };
    static const Num nums[] = {
        {"duty", &SynthParams::duty, 0.01, 0.99},         {"duty_end", &SynthParams::duty_end, 0.01, 0.99},
        {"pwm_time", &SynthParams::pwm_time, 0, 10},      {"fm_ratio", &SynthParams::fm_ratio, 0.01, 16},
        {"fm_index", &SynthParams::fm_index, 0, 20},      {"fm_index_end", &SynthParams::fm_index_end, 0, 20},
        {"fm_time", &SynthParams::fm_time, 0, 10},        {"cutoff", &SynthParams::cutoff, 1, 100000},
        {"cutoff_end", &SynthParams::cutoff_end, 1, 100000}, {"cutoff_time", &SynthParams::cutoff_time, 0, 10},
        {"resonance", &SynthParams::resonance, 0, 0.95},  {"hz", &SynthParams::hz, 1, 20000},
        {"pitch", &SynthParams::pitch, -96, 96},          {"pitch_time", &SynthParams::pitch_time, 0.0001, 10},
        {"tone", &SynthParams::tone, 0, 4},               {"noise", &SynthParams::noise, 0, 4},
        {"noise_decay", &SynthParams::noise_decay, 0.0001, 10}, {"noise_hp", &SynthParams::noise_hp, 1, 100000},
        {"noise_lp", &SynthParams::noise_lp, 1, 100000},  {"attack", &SynthParams::attack, 0, 10},
        {"decay", &SynthParams::decay, 0.0001, 100},      {"sustain", &SynthParams::sustain, 0, 1},
        {"length", &SynthParams::length, 0.001, 10},      {"drive", &SynthParams::drive, 0, 20},
        {"gain", &SynthParams::gain, 0.01, 1},
    };
    if (key == "wave") {
        static const char* waves[] = {"pulse", "saw", "tri", "sine", "fm", "none"};
        if (std::find(std::begin(waves), std::end(waves), value) == std::end(waves))
            throw SynthError("unknown wave \"" + value + "\"");
        p.wave = value;
        return;
    }
    if (key == "harmonics") { p.harmonics = parse_int(key, value, 0, 512); return; }
    if (key == "loop") { p.loop = parse_int(key, value, 0, 4096); return; }
    if (key == "rel") { p.relative_note = parse_int(key, value, -48, 48); return; }
    if (key == "vol") { p.volume = parse_int(key, value, 0, 64); return; }
    if (key == "pan") { p.pan = parse_int(key, value, 0, 255); return; }
    if (key == "finetune") { p.finetune = parse_int(key, value, -128, 127); return; }
    for (const Num& n : nums) {
        if (key != n.key) continue;
        double v = parse_number(key, value);
        if (v < n.lo || v > n.hi)
            throw SynthError(key + " must lie between " + format_number(n.lo) + " and " + format_number(n.hi));
        p.*n.field = v;
        return;
    }
    throw SynthError("unknown sound parameter \"" + key + "\"");
}

XmSample synth_render(const SynthParams& p, const std::string& name) {
    const double rate = base_rate * std::pow(2.0, p.relative_note / 12.0);
    const double cycle = base_cycle * std::pow(2.0, p.relative_note / 12.0);
    const double note_hz = rate / cycle;
    const bool looped = p.loop > 0;
    size_t cycle_len = 0;
    size_t pre = static_cast<size_t>(std::llround(p.length * rate));
    if (looped) {
        if (p.relative_note % 12 != 0 || p.hz != 0)
            throw SynthError("a looping sound needs a relative note in whole octaves and the note's own pitch");
        if (p.wave == "none" || p.noise > 0) throw SynthError("a looping sound needs a tone and no noise");
        cycle_len = static_cast<size_t>(std::llround(cycle));
        pre = (pre + cycle_len - 1) / cycle_len * cycle_len;
    }
    const size_t total = looped ? pre + (loop_warmup_cycles + p.loop) * cycle_len : std::max<size_t>(pre, 1);
    const double pre_seconds = static_cast<double>(pre) / rate;

    std::vector<double> out(total);
    Svf tone_filter, noise_high, noise_low;
    Noise noise;
    double phase = 0, mod_phase = 0;
    for (size_t i = 0; i < total; ++i) {
        const double t_real = static_cast<double>(i) / rate;
        // Inside the loop every parameter holds the value it had where the loop starts,
        // so the loop repeats one steady waveform.
        const double t = looped ? std::min(t_real, pre_seconds) : t_real;
        double freq = p.hz > 0 ? p.hz : note_hz;
        if (!looped || t_real < pre_seconds) freq *= std::pow(2.0, p.pitch * std::exp(-t / p.pitch_time) / 12.0);

        double env = t < p.attack ? t / p.attack
                                  : p.sustain + (1 - p.sustain) * std::exp(-(t - p.attack) / p.decay);
        double x = 0;
        if (p.wave == "sine") {
            x = std::sin(2 * pi * phase);
        } else if (p.wave == "fm") {
            double index = sweep(p.fm_index, p.fm_index_end, t, p.fm_time);
            x = std::sin(2 * pi * phase + index * std::sin(2 * pi * mod_phase));
        } else if (p.wave != "none") {
            int limit = std::max(1, static_cast<int>(rate / 2 / freq));
            int count = p.harmonics > 0 ? std::min(p.harmonics, limit) : limit;
            double duty = p.duty_end > 0 && p.pwm_time > 0
                              ? p.duty + (p.duty_end - p.duty) * std::min(1.0, t / p.pwm_time)
                              : p.duty;
            x = additive(p.wave, phase, duty, count);
        }
        if (p.cutoff > 0) {
            tone_filter.run(x, sweep(p.cutoff, p.cutoff_end, t, p.cutoff_time), rate, p.resonance);
            x = tone_filter.low;
        }
        double s = p.tone * env * x;
        if (p.noise > 0) {
            double n = noise.next();
            if (p.noise_hp > 0) { noise_high.run(n, p.noise_hp, rate, 0); n = noise_high.high; }
            if (p.noise_lp > 0) { noise_low.run(n, p.noise_lp, rate, 0); n = noise_low.low; }
            double nenv = t < p.attack ? t / std::max(p.attack, 1e-9) : std::exp(-(t - p.attack) / p.noise_decay);
            s += p.noise * nenv * n;
        }
        if (p.drive > 0) s = std::tanh(p.drive * s) / std::tanh(p.drive);
        out[i] = s;

        phase += freq / rate;
        phase -= std::floor(phase);
        mod_phase += freq * p.fm_ratio / rate;
        mod_phase -= std::floor(mod_phase);
    }

    if (looped) {
        // Skip the warm-up cycles: the loop is cut from where the filter has settled.
        std::copy(out.begin() + pre + loop_warmup_cycles * cycle_len, out.end(), out.begin() + pre);
        out.resize(pre + p.loop * cycle_len);
    } else {
        size_t fade = std::min(out.size(), static_cast<size_t>(end_fade_seconds * rate) + 1);
        for (size_t k = 0; k < fade; ++k) out[out.size() - 1 - k] *= static_cast<double>(k) / fade;
    }

    double peak = 0;
    for (double v : out) peak = std::max(peak, std::fabs(v));
    XmSample s;
    s.name = name;
    s.data.resize(out.size());
    const double scale = peak > 0 ? p.gain * 127.0 / peak : 0;
    for (size_t i = 0; i < out.size(); ++i)
        s.data[i] = static_cast<int8_t>(std::clamp<long>(std::lround(out[i] * scale), -127, 127));
    s.loop = looped;
    s.loop_start = looped ? static_cast<uint32_t>(pre) : 0;
    s.loop_length = looped ? static_cast<uint32_t>(p.loop * cycle_len) : 0;
    s.volume = static_cast<uint8_t>(p.volume);
    s.finetune = static_cast<int8_t>(p.finetune);
    s.pan = static_cast<uint8_t>(p.pan);
    s.relative_note = static_cast<int8_t>(p.relative_note);
    return s;
}

}  // namespace composer
