#include "tools/composer/xm_writer.h"

#include <algorithm>

namespace composer {

namespace {

struct Out {
    std::vector<uint8_t> bytes;
    void u8(unsigned v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v) { u8(v & 0xFF); u8((v >> 8) & 0xFF); }
    void u32(uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
    void text(const std::string& s, size_t width, char fill) {
        for (size_t i = 0; i < width; ++i) bytes.push_back(static_cast<uint8_t>(i < s.size() ? s[i] : fill));
    }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

void check(bool ok, const std::string& what) {
    if (!ok) throw XmError(what);
}

// Packs one pattern: a full cell is stored as five bytes, any other as a mask byte
// followed by the fields it names. An all-empty pattern is stored without data.
std::vector<uint8_t> pack_pattern(const XmPattern& p) {
    bool empty = std::all_of(p.cells.begin(), p.cells.end(), [](const XmCell& c) {
        return c.note == 0 && c.instrument == 0 && c.volume == 0 && c.effect == 0 && c.param == 0;
    });
    std::vector<uint8_t> out;
    if (empty) return out;
    for (const XmCell& c : p.cells) {
        const uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
        unsigned mask = 0;
        for (int i = 0; i < 5; ++i)
            if (fields[i]) mask |= 1u << i;
        if (mask == 0x1F) {
            out.insert(out.end(), fields, fields + 5);
            continue;
        }
        out.push_back(static_cast<uint8_t>(0x80 | mask));
        for (int i = 0; i < 5; ++i)
            if (fields[i]) out.push_back(fields[i]);
    }
    return out;
}

void check_module(const XmModule& m) {
    check(m.channels >= 1 && m.channels <= 32, "channel count must be 1..32");
    check(!m.orders.empty() && m.orders.size() <= 256, "order list must have 1..256 entries");
    check(m.restart >= 0 && m.restart < static_cast<int>(m.orders.size()), "restart position must lie inside the order list");
    check(m.tempo >= 1 && m.tempo <= 31, "tempo must be 1..31");
    check(m.bpm >= 32 && m.bpm <= 255, "BPM must be 32..255");
    check(!m.patterns.empty() && m.patterns.size() <= 256, "pattern count must be 1..256");
    check(m.instruments.size() <= 128, "at most 128 instruments");
    for (uint8_t o : m.orders) check(o < m.patterns.size(), "order list names a missing pattern");
    for (const XmPattern& p : m.patterns) {
        check(p.rows >= 1 && p.rows <= 256, "pattern rows must be 1..256");
        check(p.cells.size() == static_cast<size_t>(p.rows) * m.channels, "pattern cell count does not match rows x channels");
        for (const XmCell& c : p.cells) {
            check(c.note <= 97, "note byte above 97");
            check(c.instrument <= m.instruments.size(), "cell names a missing instrument");
        }
    }
    for (const XmInstrument& ins : m.instruments) {
        check(ins.samples.size() <= 16, "an instrument holds at most 16 samples");
        for (const XmSample& s : ins.samples) {
            check(s.volume <= 64, "sample volume above 64");
            if (s.loop) {
                check(s.loop_length > 0, "a looping sample needs a loop length");
                check(s.loop_start <= s.data.size() && s.loop_length <= s.data.size() - s.loop_start,
                      "sample loop runs past the sample end");
            }
        }
    }
}

}  // namespace

std::vector<uint8_t> xm_write(const XmModule& m) {
    check_module(m);
    Out o;
    o.text("Extended Module: ", 17, 0);
    o.text(m.name, 20, ' ');
    o.u8(0x1A);
    o.text(m.tracker, 20, ' ');
    o.u16(0x0104);

    o.u32(xm_header_size);
    o.u16(static_cast<unsigned>(m.orders.size()));
    o.u16(static_cast<unsigned>(m.restart));
    o.u16(static_cast<unsigned>(m.channels));
    o.u16(static_cast<unsigned>(m.patterns.size()));
    o.u16(static_cast<unsigned>(m.instruments.size()));
    o.u16(0);  // Amiga period table
    o.u16(static_cast<unsigned>(m.tempo));
    o.u16(static_cast<unsigned>(m.bpm));
    for (size_t i = 0; i < 256; ++i) o.u8(i < m.orders.size() ? m.orders[i] : 0);

    for (const XmPattern& p : m.patterns) {
        std::vector<uint8_t> packed = pack_pattern(p);
        check(packed.size() <= 0xFFFF, "packed pattern larger than 65535 bytes");
        o.u32(xm_pattern_header_size);
        o.u8(0);
        o.u16(static_cast<unsigned>(p.rows));
        o.u16(static_cast<unsigned>(packed.size()));
        o.bytes.insert(o.bytes.end(), packed.begin(), packed.end());
    }

    for (const XmInstrument& ins : m.instruments) {
        o.u32(ins.samples.empty() ? xm_empty_instrument_header_size : xm_instrument_header_size);
        o.text(ins.name, 22, 0);
        o.u8(0);
        o.u16(static_cast<unsigned>(ins.samples.size()));
        o.u32(xm_sample_header_size);
        if (ins.samples.empty()) continue;
        o.zeros(96);      // key map: every note plays slot 0
        o.zeros(48 + 48); // volume and panning envelopes, unused
        o.zeros(14);      // point counts, sustain/loop points, types, auto-vibrato
        o.u16(0);         // fadeout
        o.zeros(22);      // reserved
        for (const XmSample& s : ins.samples) {
            bool loop = s.loop;
            o.u32(static_cast<uint32_t>(s.data.size()));
            o.u32(loop ? s.loop_start : 0);
            o.u32(loop ? s.loop_length : 0);
            o.u8(s.volume);
            o.u8(static_cast<uint8_t>(s.finetune));
            o.u8(loop ? 1 : 0);
            o.u8(s.pan);
            o.u8(static_cast<uint8_t>(s.relative_note));
            o.u8(0);
            o.text(s.name, 22, 0);
        }
        for (const XmSample& s : ins.samples) {
            int8_t previous = 0;
            for (int8_t v : s.data) {
                o.u8(static_cast<uint8_t>(v - previous));
                previous = v;
            }
        }
    }
    return o.bytes;
}

}  // namespace composer
