// Builds XM module bytes for tests, benchmarks and the fuzz corpus.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "xm/xm.h"

struct xm_build_sample {
    std::vector<int16_t> values;  // plain values; 8-bit samples use -128..127
    bool sixteen = false;
    uint8_t type = 0;             // loop bits 0..1 as stored in the file
    uint32_t loop_start = 0;      // in samples
    uint32_t loop_length = 0;
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t pan = 128;
    int8_t relative_note = 0;
};

struct xm_build_instrument {
    std::vector<xm_build_sample> samples;
    uint8_t key_map[96] = {};
    uint16_t volume_envelope[24] = {};   // x, y pairs
    uint16_t panning_envelope[24] = {};
    uint8_t volume_points = 0, panning_points = 0;
    uint8_t volume_sustain = 0, volume_loop_start = 0, volume_loop_end = 0;
    uint8_t panning_sustain = 0, panning_loop_start = 0, panning_loop_end = 0;
    uint8_t volume_type = 0, panning_type = 0;
    uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    uint16_t fadeout = 0;
};

struct xm_build_pattern {
    int rows = 64;
    std::vector<uint8_t> cells;  // rows * channels * 5
    bool empty_packing = false;  // write a packed size of 0
};

struct xm_build {
    int channels = 4;
    int song_length = 1;
    int restart = 0;
    uint16_t flags = 0;
    int tempo = 6;
    int bpm = 125;
    std::vector<uint8_t> orders = {0};
    std::vector<xm_build_pattern> patterns;
    std::vector<xm_build_instrument> instruments;

    xm_build_pattern& pattern(int rows = 64) {
        patterns.push_back({rows, std::vector<uint8_t>(static_cast<size_t>(rows) * channels * 5, 0), false});
        return patterns.back();
    }

    void set(int p, int row, int ch, uint8_t note, uint8_t ins = 0, uint8_t vol = 0, uint8_t eff = 0,
             uint8_t par = 0) {
        uint8_t* c = &patterns[p].cells[(static_cast<size_t>(row) * channels + ch) * 5];
        c[0] = note, c[1] = ins, c[2] = vol, c[3] = eff, c[4] = par;
    }

    // One instrument holding one sample mapped to every note.
    xm_build_instrument& instrument(const xm_build_sample& s) {
        instruments.push_back({});
        instruments.back().samples.push_back(s);
        return instruments.back();
    }

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out;
        auto u8 = [&](unsigned v) { out.push_back(static_cast<uint8_t>(v)); };
        auto u16 = [&](unsigned v) { u8(v & 255); u8(v >> 8 & 255); };
        auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
        auto text = [&](const std::string& s, size_t n) {
            for (size_t i = 0; i < n; ++i) u8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
        };
        text("Extended Module: ", 17);
        text("test module", 20);
        u8(0x1A);
        text("kelvarin tests", 20);
        u16(0x0104);
        u32(276);
        for (int v : {song_length, restart, channels, static_cast<int>(patterns.size()),
                      static_cast<int>(instruments.size()), static_cast<int>(flags), tempo, bpm})
            u16(static_cast<unsigned>(v));
        for (int i = 0; i < 256; ++i) u8(i < static_cast<int>(orders.size()) ? orders[i] : 0);

        for (const xm_build_pattern& p : patterns) {
            std::vector<uint8_t> packed;
            size_t count = p.cells.size() / 5;
            for (size_t c = 0; c < count; ++c) {
                const uint8_t* cell = &p.cells[c * 5];
                // Alternate between the two cell forms so both are exercised.
                if (c % 3 == 2 && cell[0] < 0x80) {
                    packed.insert(packed.end(), cell, cell + 5);
                    continue;
                }
                uint8_t mask = 0x80;
                for (int b = 0; b < 5; ++b)
                    if (cell[b]) mask |= static_cast<uint8_t>(1 << b);
                packed.push_back(mask);
                for (int b = 0; b < 5; ++b)
                    if (cell[b]) packed.push_back(cell[b]);
            }
            u32(9);
            u8(0);
            u16(p.rows);
            u16(p.empty_packing ? 0 : static_cast<unsigned>(packed.size()));
            if (!p.empty_packing) out.insert(out.end(), packed.begin(), packed.end());
        }

        for (const xm_build_instrument& ins : instruments) {
            unsigned n = static_cast<unsigned>(ins.samples.size());
            u32(n ? 263 : 33);
            text("instrument", 22);
            u8(0);
            u16(n);
            u32(40);
            if (!n) continue;
            for (uint8_t k : ins.key_map) u8(k);
            for (uint16_t v : ins.volume_envelope) u16(v);
            for (uint16_t v : ins.panning_envelope) u16(v);
            for (uint8_t v : {ins.volume_points, ins.panning_points, ins.volume_sustain, ins.volume_loop_start,
                              ins.volume_loop_end, ins.panning_sustain, ins.panning_loop_start, ins.panning_loop_end,
                              ins.volume_type, ins.panning_type, ins.vibrato_type, ins.vibrato_sweep,
                              ins.vibrato_depth, ins.vibrato_rate})
                u8(v);
            u16(ins.fadeout);
            text("", 22);  // reserved bytes up to the 263-byte header
            for (const xm_build_sample& s : ins.samples) {
                uint32_t scale = s.sixteen ? 2 : 1;
                u32(static_cast<uint32_t>(s.values.size()) * scale);
                u32(s.loop_start * scale);
                u32(s.loop_length * scale);
                for (unsigned v : {unsigned{s.volume}, static_cast<unsigned>(s.finetune), s.type | (s.sixteen ? 16u : 0u),
                                   unsigned{s.pan}, static_cast<unsigned>(s.relative_note), 0u})
                    u8(v);
                text("sample", 22);
            }
            for (const xm_build_sample& s : ins.samples) {
                int16_t last = 0;
                for (int16_t v : s.values) {
                    int16_t delta = static_cast<int16_t>(v - last);
                    last = v;
                    s.sixteen ? u16(static_cast<uint16_t>(delta)) : u8(static_cast<uint8_t>(delta));
                }
            }
        }
        return out;
    }
};

// A sample of n values of a square wave, 8-bit unless sixteen is set.
inline xm_build_sample square_sample(size_t n, bool looped, bool sixteen = false) {
    xm_build_sample s;
    s.sixteen = sixteen;
    int amp = sixteen ? 12000 : 90;
    for (size_t i = 0; i < n; ++i) s.values.push_back(static_cast<int16_t>((i / 8) % 2 ? amp : -amp));
    if (looped) {
        s.type = 1;
        s.loop_length = static_cast<uint32_t>(n);
    }
    return s;
}

inline xm_song* load_xm_bytes(const std::vector<uint8_t>& bytes, xm_sample_load_fn hook = nullptr) {
    mem_source = {bytes.data(), static_cast<uint32_t>(bytes.size())};
    xm_set_file_callbacks(mem_open, mem_close, mem_read, mem_seek, mem_tell);
    return xm_load_song(nullptr, hook);
}

struct xm_song_deleter {
    void operator()(xm_song* s) const { xm_free_song(s); }
};
using song_ptr = std::unique_ptr<xm_song, xm_song_deleter>;

// Loads the module and, when it loads, prepares it for rendering without a device.
inline song_ptr start_song(const std::vector<uint8_t>& bytes) {
    song_ptr s(load_xm_bytes(bytes));
    if (s && !xm_render_start(s.get())) s.reset();
    return s;
}

// A busy module: every channel plays notes with volume slides, vibrato and
// arpeggio on looped samples, one pattern per order.
inline xm_build busy_module(int channels, int orders) {
    xm_build b;
    b.channels = channels;
    b.song_length = orders;
    b.orders.clear();
    for (int o = 0; o < orders; ++o) b.orders.push_back(static_cast<uint8_t>(o % 4));
    for (int i = 0; i < 4; ++i) b.instrument(square_sample(64 + 32 * i, true, i % 2 == 1));
    for (int p = 0; p < 4; ++p) {
        b.pattern(64);
        for (int r = 0; r < 64; ++r)
            for (int c = 0; c < channels; ++c) {
                uint8_t note = static_cast<uint8_t>(25 + (r * 7 + c * 5 + p * 3) % 48);
                static const uint8_t effects[] = {0x00, 0x04, 0x0A, 0x00, 0x06, 0x01};
                uint8_t eff = effects[(r + c) % 6];
                uint8_t par = eff == 0 ? 0x37 : eff == 0x0A ? 0x02 : eff == 0x01 ? 0x01 : 0x44;
                if ((r + c) % 2 == 0)
                    b.set(p, r, c, note, static_cast<uint8_t>(1 + (c + p) % 4), 0, eff, par);
                else
                    b.set(p, r, c, 0, 0, 0, eff, par);
            }
    }
    return b;
}
