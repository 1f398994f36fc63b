// Instrument synthesis: renders one 8-bit sample from a small set of sound parameters.
#pragma once

#include <string>

#include "tools/composer/xm_writer.h"

namespace composer {

// A sample is rendered at 8363 x 2^(relative note / 12) Hz, so that played at C-4
// it sounds at the rate it was made. Pitched sounds use one cycle of base_cycle
// samples per octave step of the relative note: 32 samples at relative note 0.
constexpr double base_rate = 8363.0;
constexpr double base_cycle = 32.0;

struct SynthParams {
    std::string wave = "pulse";  // pulse, saw, tri, sine, fm, none
    double duty = 0.5;           // pulse duty at the start ...
    double duty_end = -1;        // ... sweeping here over pwm_time (negative: no sweep)
    double pwm_time = 0.3;
    int harmonics = 0;           // highest harmonic of pulse/saw/tri; 0 = as many as the rate allows
    double fm_ratio = 1;         // modulator frequency / carrier frequency
    double fm_index = 0;         // modulation index at the start ...
    double fm_index_end = -1;    // ... falling exponentially towards this (negative: constant)
    double fm_time = 0.2;
    double cutoff = 0;           // low-pass cutoff in Hz at the start (0: no filter) ...
    double cutoff_end = -1;      // ... falling exponentially towards this
    double cutoff_time = 0.2;
    double resonance = 0;        // 0..0.95
    double hz = 0;               // tone frequency; 0 = the pitch of the note played
    double pitch = 0;            // start offset of the tone in semitones, decaying to 0
    double pitch_time = 0.05;
    double tone = 1;             // tone level
    double noise = 0;            // noise level
    double noise_decay = 0.1;
    double noise_hp = 0;         // noise high-pass cutoff in Hz (0: none)
    double noise_lp = 0;         // noise low-pass cutoff in Hz (0: none)
    double attack = 0.002;       // seconds
    double decay = 0.3;          // time constant of the fall towards the sustain level
    double sustain = 1;          // level the tone settles at
    double length = 0.5;         // seconds before the loop, or in all when not looping
    int loop = 0;                // cycles in the forward loop; 0 = one-shot
    double drive = 0;            // soft saturation amount
    double gain = 1;             // peak level as a fraction of full scale
    int relative_note = 12;
    int volume = 64;
    int pan = 128;
    int finetune = 0;
};

struct SynthError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Sets one parameter from its score spelling; throws SynthError for an unknown key or bad value.
void synth_set(SynthParams& p, const std::string& key, const std::string& value);

// Renders the sample. Throws SynthError when the parameters cannot make a clean loop.
XmSample synth_render(const SynthParams& p, const std::string& name);

}  // namespace composer
