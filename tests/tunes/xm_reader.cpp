#include "tests/tunes/xm_reader.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tunes_test {

namespace {

struct Cursor {
    const std::vector<uint8_t>& b;
    size_t pos = 0;
    void need(size_t n) const {
        if (n > b.size() || pos > b.size() - n) throw std::runtime_error("file ends at " + std::to_string(b.size()));
    }
    uint8_t u8() { need(1); return b[pos++]; }
    uint16_t u16() { uint16_t lo = u8(); return static_cast<uint16_t>(lo | (u8() << 8)); }
    uint32_t u32() { uint32_t lo = u16(); return lo | (static_cast<uint32_t>(u16()) << 16); }
    std::string text(size_t n) {
        need(n);
        std::string s(b.begin() + static_cast<long>(pos), b.begin() + static_cast<long>(pos + n));
        pos += n;
        return s.substr(0, s.find('\0'));
    }
    void skip(size_t n) { need(n); pos += n; }
};

void parse(Cursor& c, Module& m) {
    if (c.text(17) != "Extended Module: ") throw std::runtime_error("not an XM file");
    m.name = c.text(20);
    m.name.erase(m.name.find_last_not_of(' ') + 1);  // names are padded with spaces
    if (c.u8() != 0x1A) throw std::runtime_error("missing 0x1A after the name");
    c.skip(20);
    m.version = c.u16();
    size_t header_start = c.pos;
    m.header_size = c.u32();
    m.song_length = c.u16();
    m.restart = c.u16();
    m.channels = c.u16();
    m.pattern_count = c.u16();
    m.instrument_count = c.u16();
    m.flags = c.u16();
    m.tempo = c.u16();
    m.bpm = c.u16();
    for (int i = 0; i < 256; ++i) m.orders.push_back(c.u8());
    c.pos = header_start;
    c.skip(m.header_size);

    for (int p = 0; p < m.pattern_count; ++p) {
        Pattern pat;
        size_t start = c.pos;
        pat.header_size = c.u32();
        if (c.u8() != 0) throw std::runtime_error("unknown pattern packing");
        pat.rows = c.u16();
        pat.packed_size = c.u16();
        c.pos = start;
        c.skip(pat.header_size);
        pat.cells.resize(static_cast<size_t>(pat.rows) * m.channels);
        size_t data_start = c.pos;
        if (pat.packed_size != 0) {
            for (Cell& cell : pat.cells) {
                uint8_t b = c.u8();
                uint8_t* f[5] = {&cell.note, &cell.instrument, &cell.volume, &cell.effect, &cell.param};
                if (b & 0x80) {
                    for (int i = 0; i < 5; ++i)
                        if (b & (1 << i)) *f[i] = c.u8();
                } else {
                    cell.note = b;
                    for (int i = 1; i < 5; ++i) *f[i] = c.u8();
                }
            }
            if (c.pos - data_start != pat.packed_size) throw std::runtime_error("packed size disagrees with the data");
        }
        m.patterns.push_back(pat);
    }

    for (int i = 0; i < m.instrument_count; ++i) {
        Instrument ins;
        size_t start = c.pos;
        ins.header_size = c.u32();
        ins.name = c.text(22);
        c.skip(1);
        uint16_t count = c.u16();
        if (count > 16) throw std::runtime_error("more than 16 samples");
        if (count > 0 || ins.header_size >= 33) ins.sample_header_size = c.u32();
        if (count > 0) {
            c.skip(96 + 48 + 48 + 8);  // key map, both envelopes, their point counts and markers
            ins.volume_type = c.u8();
            ins.panning_type = c.u8();
            c.skip(2);
            ins.vibrato_depth = c.u8();
        }
        c.pos = start;
        c.skip(ins.header_size);
        for (int k = 0; k < count; ++k) {
            Sample s;
            size_t sstart = c.pos;
            s.length = c.u32();
            s.loop_start = c.u32();
            s.loop_length = c.u32();
            c.skip(2);  // volume, finetune
            s.type = c.u8();
            s.pan = c.u8();
            s.relative_note = static_cast<int8_t>(c.u8());
            c.pos = sstart;
            c.skip(ins.sample_header_size);
            ins.samples.push_back(s);
        }
        for (Sample& s : ins.samples) {
            if (s.type & 0x10) throw std::runtime_error("16-bit sample");
            c.need(s.length);
            int8_t sum = 0;
            for (uint32_t k = 0; k < s.length; ++k) {
                sum = static_cast<int8_t>(sum + static_cast<int8_t>(c.u8()));
                s.data.push_back(sum);
            }
        }
        m.instruments.push_back(ins);
    }
    m.end = c.pos;
}

}  // namespace

bool read_xm(const std::vector<uint8_t>& bytes, Module& out, std::string* error) {
    Cursor c{bytes};
    out = Module{};
    try {
        parse(c, out);
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        return false;
    }
    return true;
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tunes_test
