// A reader for the XM files the composer writes, kept separate from the writer so the
// tests check the layout against the format rather than against the writer's own code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tunes_test {

struct Cell {
    uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct Pattern {
    uint32_t header_size = 0;
    int rows = 0;
    uint16_t packed_size = 0;
    std::vector<Cell> cells;
};

struct Sample {
    uint32_t length = 0, loop_start = 0, loop_length = 0;
    uint8_t type = 0, pan = 0;
    int8_t relative_note = 0;
    std::vector<int8_t> data;  // delta coding removed
};

struct Instrument {
    uint32_t header_size = 0, sample_header_size = 0;
    std::string name;
    uint8_t volume_type = 0, panning_type = 0, vibrato_depth = 0;
    std::vector<Sample> samples;
};

struct Module {
    std::string name;
    uint16_t version = 0;
    uint32_t header_size = 0;
    uint16_t song_length = 0, restart = 0, channels = 0, pattern_count = 0, instrument_count = 0;
    uint16_t flags = 0, tempo = 0, bpm = 0;
    std::vector<uint8_t> orders;  // all 256 entries
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
    size_t end = 0;  // offset just past the last byte read
};

// Parses a whole module; returns false with a message in *error when the bytes run out
// or a field is out of range.
bool read_xm(const std::vector<uint8_t>& bytes, Module& out, std::string* error);

std::vector<uint8_t> read_file(const std::string& path);

}  // namespace tunes_test
