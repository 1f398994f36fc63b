// Serialises a tracker module into the XM file layout the magazine's player reads.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace composer {

struct XmCell {
    uint8_t note = 0;        // 0 none, 1..96 C-0 upwards, 97 key off
    uint8_t instrument = 0;  // 0 none, 1..128
    uint8_t volume = 0;      // volume-column byte
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    std::vector<XmCell> cells;  // rows x channels, row-major
};

struct XmSample {
    std::string name;
    std::vector<int8_t> data;  // plain 8-bit values; delta coding happens on write
    bool loop = false;         // forward loop over [loop_start, loop_start + loop_length)
    uint32_t loop_start = 0;
    uint32_t loop_length = 0;
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t pan = 128;
    int8_t relative_note = 0;
};

struct XmInstrument {
    std::string name;
    std::vector<XmSample> samples;  // at most 16; key map sends every note to slot 0
};

struct XmModule {
    std::string name;
    std::string tracker = "Kelvarin composer";
    int channels = 4;
    int restart = 0;
    int tempo = 6;
    int bpm = 125;
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

struct XmError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Field sizes of the layout, shared with the tests that read files back.
constexpr uint32_t xm_header_size = 276;
constexpr uint32_t xm_pattern_header_size = 9;
constexpr uint32_t xm_instrument_header_size = 263;
constexpr uint32_t xm_empty_instrument_header_size = 33;
constexpr uint32_t xm_sample_header_size = 40;

// Checks the module against what the format can hold and returns the file bytes.
// Throws XmError naming the first field that does not fit.
std::vector<uint8_t> xm_write(const XmModule& module);

}  // namespace composer
