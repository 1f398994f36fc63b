// Turns a composer module into the intro replay's tune data and wraps replay and
// tune into an SC68 file for an Amiga Paula track.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/composer/xm_writer.h"

namespace sc68pack {

struct PackError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr uint32_t load_address = 0x10000;
constexpr int frame_rate = 50;
constexpr int tune_header_size = 28;
constexpr int period_count = 128;
constexpr int instrument_entry_size = 16;
constexpr int cell_size = 4;

// The tune data of the replay, addressed for a start at `address` (even).
// Accepts 4 channels, BPM 125 (one tick per 50 Hz frame), equal pattern lengths,
// notes, key off, the volume column's set-volume and arpeggios; anything else is
// reported rather than dropped.
std::vector<uint8_t> pack_tune(const composer::XmModule& module, uint32_t address);

struct Credits {
    std::string title;     // disk title
    std::string author;
    std::string composer;  // credit text
};

// The SC68 file: one music with the replay code followed by the tune data.
std::vector<uint8_t> write_sc68(const std::vector<uint8_t>& replay, const composer::XmModule& module,
                                const Credits& credits);

}  // namespace sc68pack
