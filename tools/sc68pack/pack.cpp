#include "tools/sc68pack/pack.h"

#include <algorithm>
#include <cmath>

namespace sc68pack {

namespace {

// Paula's clock in the emulation: period p plays p-th parts of it per second.
constexpr double paula_clock = 3579610.0;
constexpr double c4_rate = 8363.0;
constexpr uint8_t no_volume = 255;
constexpr uint8_t silence_note = 255;

const char sc68_id[56] = "SC68 Music-file / (c) (QuX)tomir Vallen / TorvEnK-Lab  ";

struct Be {
    std::vector<uint8_t> b;
    void u8(unsigned v) { b.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v) { u8(v >> 8); u8(v); }
    void u32(uint32_t v) { u16(v >> 16); u16(v & 0xFFFF); }
    void pad_even() { if (b.size() % 2) u8(0); }
};

void le32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void chunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& payload) {
    out.insert(out.end(), id, id + 4);
    le32(out, static_cast<uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
}

std::vector<uint8_t> text(const std::string& s) {
    std::vector<uint8_t> v(s.begin(), s.end());
    v.push_back(0);
    return v;
}

std::vector<uint8_t> number(uint32_t value) {
    std::vector<uint8_t> v;
    le32(v, value);
    return v;
}

int period_of(int note) {
    double rate = c4_rate * std::pow(2.0, (note - 48) / 12.0);
    return static_cast<int>(std::lround(paula_clock / rate));
}

void check(bool ok, const std::string& what) {
    if (!ok) throw PackError(what);
}

}  // namespace

std::vector<uint8_t> pack_tune(const composer::XmModule& m, uint32_t address) {
    check(address % 2 == 0, "the tune must start at an even address");
    check(m.channels == 4, "the replay plays exactly four channels");
    check(m.bpm == 125, "the replay runs one tick per 50 Hz frame, so the BPM must be 125");
    check(!m.orders.empty() && m.orders.size() <= 255, "order list must have 1..255 entries");
    check(m.restart < static_cast<int>(m.orders.size()), "restart position lies beyond the order list");
    const int rows = m.patterns.at(0).rows;
    for (const auto& p : m.patterns) check(p.rows == rows, "every pattern must have the same number of rows");
    check(m.instruments.size() <= 255, "at most 255 instruments");

    // Layout: header, orders, pattern table, patterns, instruments, periods, silence, samples.
    const uint32_t orders_at = address + tune_header_size;
    const uint32_t pattern_table_at = orders_at + ((m.orders.size() + 1) & ~size_t(1));
    const uint32_t patterns_at = pattern_table_at + 4 * static_cast<uint32_t>(m.patterns.size());
    const uint32_t pattern_bytes = static_cast<uint32_t>(rows) * 4 * cell_size;
    const uint32_t instruments_at = patterns_at + pattern_bytes * static_cast<uint32_t>(m.patterns.size());
    const uint32_t periods_at = instruments_at + instrument_entry_size * static_cast<uint32_t>(m.instruments.size());
    const uint32_t silence_at = periods_at + 2 * period_count;
    const uint32_t samples_at = silence_at + 4;

    Be out;
    out.u16(static_cast<unsigned>(m.tempo));
    out.u16(static_cast<unsigned>(m.orders.size()));
    out.u16(static_cast<unsigned>(m.restart));
    out.u16(static_cast<unsigned>(rows));
    for (uint32_t a : {orders_at, pattern_table_at, instruments_at, periods_at, silence_at}) out.u32(a);
    for (uint8_t o : m.orders) out.u8(o);
    out.pad_even();
    for (size_t p = 0; p < m.patterns.size(); ++p) out.u32(patterns_at + pattern_bytes * static_cast<uint32_t>(p));

    for (size_t p = 0; p < m.patterns.size(); ++p) {
        int instrument[4] = {0, 0, 0, 0};
        int sounding[4] = {0, 0, 0, 0};  // the note an arpeggio on a held row builds on
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < 4; ++c) {
                const composer::XmCell& cell = m.patterns[p].cells[static_cast<size_t>(r) * 4 + c];
                std::string where = "pattern " + std::to_string(p) + " row " + std::to_string(r) + " channel " +
                                    std::to_string(c + 1) + ": ";
                if (cell.instrument) instrument[c] = cell.instrument;
                uint8_t note = 0;
                if (cell.note == 97) {
                    note = silence_note;
                } else if (cell.note) {
                    check(instrument[c] > 0, where + "note without an instrument");
                    const auto& samples = m.instruments.at(instrument[c] - 1).samples;
                    check(!samples.empty(), where + "note on an instrument without a sound");
                    int real = cell.note - 1 + samples[0].relative_note;
                    check(real >= 1 && real < period_count, where + "note out of the replay's range");
                    note = static_cast<uint8_t>(real);
                    sounding[c] = real;
                }
                int reach = std::max(cell.param >> 4, cell.param & 15);
                check(sounding[c] + reach < period_count, where + "arpeggio beyond the replay's highest note");
                uint8_t volume = no_volume;
                if (cell.volume) {
                    check(cell.volume >= 0x10 && cell.volume <= 0x50, where + "only set-volume in the volume column");
                    volume = static_cast<uint8_t>(cell.volume - 0x10);
                }
                check(cell.effect == 0, where + "the replay plays arpeggios only");
                out.u8(note);
                out.u8(cell.instrument);
                out.u8(volume);
                out.u8(cell.param);
            }
        }
    }

    // Instrument entries, with the samples laid out behind the silence word.
    std::vector<uint8_t> sample_bytes;
    for (const auto& ins : m.instruments) {
        if (ins.samples.empty()) {
            out.u32(silence_at); out.u16(1); out.u16(0); out.u32(silence_at); out.u16(1); out.u16(0);
            continue;
        }
        const composer::XmSample& s = ins.samples[0];
        check(s.data.size() <= 2 * 65535, "sample " + ins.name + " is longer than Paula can play in one block");
        uint32_t start = samples_at + static_cast<uint32_t>(sample_bytes.size());
        uint32_t words = static_cast<uint32_t>((s.data.size() + 1) / 2);
        out.u32(start);
        out.u16(words);
        out.u16(s.volume);
        if (s.loop) {
            check(s.loop_start % 2 == 0 && s.loop_length % 2 == 0, "sample " + ins.name + " loop is not word aligned");
            out.u32(start + s.loop_start);
            out.u16(s.loop_length / 2);
        } else {
            out.u32(silence_at);
            out.u16(1);
        }
        out.u16(0);
        for (int8_t v : s.data) sample_bytes.push_back(static_cast<uint8_t>(v));
        if (sample_bytes.size() % 2) sample_bytes.push_back(0);
    }
    for (int n = 0; n < period_count; ++n) out.u16(static_cast<unsigned>(std::clamp(period_of(n), 1, 65535)));
    out.u32(0);
    check(out.b.size() == samples_at - address, "tune layout mismatch");
    out.b.insert(out.b.end(), sample_bytes.begin(), sample_bytes.end());
    return out.b;
}

std::vector<uint8_t> write_sc68(const std::vector<uint8_t>& replay, const composer::XmModule& module,
                                const Credits& credits) {
    check(replay.size() >= 12 && replay.size() % 2 == 0, "the replay must be an even number of bytes with three entry points");
    std::vector<uint8_t> data = replay;
    std::vector<uint8_t> tune = pack_tune(module, load_address + static_cast<uint32_t>(replay.size()));
    data.insert(data.end(), tune.begin(), tune.end());

    std::vector<uint8_t> chunks;
    chunk(chunks, "SCFN", text(credits.title));
    chunk(chunks, "SCMU", {});
    chunk(chunks, "SCAN", text(credits.author));
    chunk(chunks, "SCCN", text(credits.composer));
    chunk(chunks, "SCAT", number(load_address));
    chunk(chunks, "SCTI", number(0xFFFFFFFFu));  // no set length: the intro never ends on its own
    chunk(chunks, "SCFQ", number(frame_rate));
    chunk(chunks, "SCTY", number(4));             // Amiga Paula only
    chunk(chunks, "SCLP", number(0xFFFFFFFFu));
    chunk(chunks, "SCDA", data);
    chunk(chunks, "SCEF", {});

    std::vector<uint8_t> file;
    file.reserve(sizeof sc68_id + 8 + chunks.size());
    for (char c : sc68_id) file.push_back(static_cast<uint8_t>(c));
    for (char c : {'S', 'C', '6', '8'}) file.push_back(static_cast<uint8_t>(c));
    le32(file, static_cast<uint32_t>(8 + chunks.size()));
    file.insert(file.end(), chunks.begin(), chunks.end());
    return file;
}

}  // namespace sc68pack
