// Reader for the X11 bitmap fonts (PCF, usually gzip-packed) that the glyphs come from.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include <zlib.h>

namespace pcf {

struct Glyph {
    int left = 0, right = 0, width = 0, ascent = 0, descent = 0;  // bearings and advance
    std::vector<uint8_t> bits;  // (right - left) x (ascent + descent), 1 = ink
    bool at(int x, int y) const
    {
        int w = right - left, h = ascent + descent;
        return x >= 0 && y >= 0 && x < w && y < h && bits[static_cast<size_t>(y) * w + x];
    }
};

struct Font {
    int ascent = 0, descent = 0;
    std::map<uint32_t, Glyph> glyphs;  // by code point
    const Glyph* find(uint32_t cp) const
    {
        auto it = glyphs.find(cp);
        return it == glyphs.end() ? nullptr : &it->second;
    }
};

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& d) : data(d) {}
    bool ok = true;
    size_t pos = 0;
    bool big = false;
    uint32_t u8()
    {
        if (pos + 1 > data.size()) return fail();
        return data[pos++];
    }
    uint32_t u16()
    {
        if (pos + 2 > data.size()) return fail();
        uint32_t a = data[pos], b = data[pos + 1];
        pos += 2;
        return big ? a << 8 | b : b << 8 | a;
    }
    uint32_t u32()
    {
        if (pos + 4 > data.size()) return fail();
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(data[pos + i]) << (big ? 8 * (3 - i) : 8 * i);
        pos += 4;
        return v;
    }
    int32_t s16() { return static_cast<int16_t>(u16()); }
    const std::vector<uint8_t>& data;

private:
    uint32_t fail()
    {
        ok = false;
        pos = data.size();
        return 0;
    }
};

inline bool read_gzip(const std::string& path, std::vector<uint8_t>& out)
{
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buf[65536];
    int n;
    while ((n = gzread(f, buf, sizeof buf)) > 0) out.insert(out.end(), buf, buf + n);
    bool ok = n == 0;
    gzclose(f);
    return ok;
}

enum : uint32_t { ACCELERATORS = 2, METRICS = 4, BITMAPS = 8, ENCODINGS = 32, BDF_ACCELERATORS = 256 };

// Loads a PCF font; error receives a message when it returns false.
inline bool load(const std::string& path, Font& font, std::string& error)
{
    std::vector<uint8_t> data;
    if (!read_gzip(path, data)) {
        error = path + ": cannot read";
        return false;
    }
    Reader r(data);
    if (r.u32() != 0x70636601) {
        error = path + ": not a PCF font";
        return false;
    }
    struct Table { uint32_t format, size, offset; };
    std::map<uint32_t, Table> tables;
    uint32_t count = r.u32();
    for (uint32_t i = 0; i < count && r.ok; ++i) {
        uint32_t type = r.u32();
        Table t;
        t.format = r.u32();
        t.size = r.u32();
        t.offset = r.u32();
        tables[type] = t;
    }
    auto seek = [&](uint32_t type) -> uint32_t {
        auto it = tables.find(type);
        if (it == tables.end() || it->second.offset >= data.size()) return UINT32_MAX;
        r.big = false;
        r.pos = it->second.offset;
        uint32_t format = r.u32();
        r.big = (format & 4) != 0;
        return format;
    };

    uint32_t f = seek(tables.count(BDF_ACCELERATORS) ? BDF_ACCELERATORS : ACCELERATORS);
    if (f == UINT32_MAX) {
        error = path + ": no accelerator table";
        return false;
    }
    r.pos += 8;
    font.ascent = static_cast<int32_t>(r.u32());
    font.descent = static_cast<int32_t>(r.u32());

    std::vector<Glyph> metrics;
    f = seek(METRICS);
    if (f == UINT32_MAX) {
        error = path + ": no metrics table";
        return false;
    }
    bool compressed = (f & 0x100) != 0;
    uint32_t n = compressed ? r.u16() : r.u32();
    for (uint32_t i = 0; i < n && r.ok; ++i) {
        Glyph g;
        if (compressed) {
            g.left = static_cast<int>(r.u8()) - 0x80;
            g.right = static_cast<int>(r.u8()) - 0x80;
            g.width = static_cast<int>(r.u8()) - 0x80;
            g.ascent = static_cast<int>(r.u8()) - 0x80;
            g.descent = static_cast<int>(r.u8()) - 0x80;
        } else {
            g.left = r.s16();
            g.right = r.s16();
            g.width = r.s16();
            g.ascent = r.s16();
            g.descent = r.s16();
            r.u16();
        }
        metrics.push_back(g);
    }

    f = seek(BITMAPS);
    if (f == UINT32_MAX) {
        error = path + ": no bitmap table";
        return false;
    }
    uint32_t glyph_count = r.u32();
    if (glyph_count != metrics.size()) {
        error = path + ": bitmap and metrics counts differ";
        return false;
    }
    std::vector<uint32_t> offsets(glyph_count);
    for (auto& o : offsets) o = r.u32();
    uint32_t sizes[4];
    for (auto& s : sizes) s = r.u32();
    size_t base = r.pos;
    int pad = 1 << (f & 3);
    bool msbit = (f & 8) != 0;
    for (uint32_t i = 0; i < glyph_count; ++i) {
        Glyph& g = metrics[i];
        int w = g.right - g.left, h = g.ascent + g.descent;
        if (w < 0 || h < 0 || w > 64 || h > 64) {
            error = path + ": implausible glyph size";
            return false;
        }
        int stride = ((w + 7) / 8 + pad - 1) / pad * pad;
        g.bits.assign(static_cast<size_t>(w) * h, 0);
        size_t start = base + offsets[i];
        if (offsets[i] > sizes[f & 3] || start + static_cast<size_t>(stride) * h > data.size()) {
            error = path + ": glyph bitmap outside the file";
            return false;
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t byte = data[start + static_cast<size_t>(y) * stride + x / 8];
                int bit = msbit ? 7 - x % 8 : x % 8;
                g.bits[static_cast<size_t>(y) * w + x] = (byte >> bit) & 1;
            }
    }

    f = seek(ENCODINGS);
    if (f == UINT32_MAX) {
        error = path + ": no encoding table";
        return false;
    }
    uint32_t min2 = r.u16(), max2 = r.u16(), min1 = r.u16(), max1 = r.u16();
    r.u16();
    for (uint32_t b1 = min1; b1 <= max1 && r.ok; ++b1)
        for (uint32_t b2 = min2; b2 <= max2 && r.ok; ++b2) {
            uint32_t index = r.u16();
            if (index != 0xFFFF && index < metrics.size()) font.glyphs[b1 << 8 | b2] = metrics[index];
        }
    if (!r.ok) {
        error = path + ": truncated";
        return false;
    }
    return true;
}

}  // namespace pcf
