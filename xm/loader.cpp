// XM module loader: parses a module through the installed source routines into
// an xm_song with unpacked patterns and 16-bit samples.
#include "xm/xm.h"

#include <cstdlib>
#include <cstring>

xm_file_callbacks xm_callbacks;
xm_sample empty_sample;
xm_instrument empty_instrument;

void xm_set_file_callbacks(xm_open_fn open, xm_close_fn close, xm_read_fn read, xm_seek_fn seek,
                           xm_tell_fn tell) {
    if (open && close && read && seek && tell)
        xm_callbacks = {open, close, read, seek, tell};
    else
        xm_callbacks = {};
}

namespace {

constexpr char kSignature[] = "Extended Module: ";
constexpr int kSignatureBytes = 17;
constexpr int kHeaderSizeOffset = 60;
// The mixer keeps positions as signed 32.32 fixed point and works with twice a
// loop's length, so a sample stays below 2^30 values.
constexpr uint32_t kMaxSampleLength = 1u << 30;
// Sample data a file may lack at its end and still load (as silence): far
// more than real cut-off files miss, and it bounds what a tiny file can make
// the loader reserve.
constexpr uint64_t kMaxMissingSampleBytes = 32u << 20;

// Reads go through here so that a short read fails the whole load: a
// truncated module is rejected instead of half loaded. Only sample data at
// the end of the file may come short (read_some).
struct reader {
    void* handle;
    uint32_t file_size;
    bool ok = true;

    bool read(void* dst, uint32_t count) {
        if (!ok) return false;
        if (xm_callbacks.read(dst, count, handle) != count) ok = false;
        return ok;
    }
    uint8_t u8() {
        uint8_t b = 0;
        read(&b, 1);
        return b;
    }
    uint16_t u16() {
        uint8_t b[2] = {};
        read(b, 2);
        return static_cast<uint16_t>(b[0] | b[1] << 8);
    }
    uint32_t u32() {
        uint8_t b[4] = {};
        read(b, 4);
        return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
    }
    void seek(int64_t offset, int mode) {
        // Offsets past what a 32-bit seek can express land at the end.
        if (offset > INT32_MAX || offset < INT32_MIN) {
            xm_callbacks.seek(handle, 0, 2);
            return;
        }
        xm_callbacks.seek(handle, static_cast<int32_t>(offset), mode);
    }
    // Bytes that are not used but must be there, as a short read would.
    void skip(uint32_t count) {
        if (remaining() < count)
            ok = false;
        else
            seek(count, 1);
    }
    // Sample data at the end of the file may be cut short: returns the bytes
    // that came, without failing the load.
    uint32_t read_some(void* dst, uint32_t count) { return ok ? xm_callbacks.read(dst, count, handle) : 0; }
    uint32_t tell() { return xm_callbacks.tell(handle); }
    uint32_t remaining() {
        uint32_t pos = tell();
        return pos < file_size ? file_size - pos : 0;
    }
};

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Bytes a sample's data takes in the file; bits is 8 or 16 until it is loaded.
uint64_t stored_bytes(const xm_sample* s) { return static_cast<uint64_t>(s->length) * s->bits / 8; }

bool read_pattern(reader& in, xm_song* song, xm_pattern* pattern) {
    in.u32();  // header length: always treated as 9 bytes
    in.u8();   // packing type
    uint32_t rows = in.u16();
    uint32_t packed = in.u16();
    if (!in.ok || rows > XM_MAX_ROWS) return false;
    size_t cells = static_cast<size_t>(rows) * song->channel_count;
    // A pattern of 0 rows would stall the row counter; it plays as 64 empty rows.
    uint32_t kept_rows = rows ? rows : 64;
    pattern->rows = kept_rows;
    pattern->cells = static_cast<uint8_t*>(
        calloc(static_cast<size_t>(kept_rows) * song->channel_count * XM_CELL_BYTES + 1, 1));
    if (!pattern->cells) return false;
    if (packed == 0) return true;
    for (size_t c = 0; c < cells; ++c) {
        uint8_t* cell = pattern->cells + c * XM_CELL_BYTES;
        uint8_t b = in.u8();
        if (b & 0x80) {
            for (int bit = 0; bit < 5; ++bit)
                if (b & (1 << bit)) cell[bit] = in.u8();
        } else {
            if (b) cell[0] = b;
            in.read(cell + 1, 4);
        }
        if (!in.ok) return false;
        if (cell[0] == 97)
            cell[0] = XM_NOTE_OFF;
        else if (cell[0] > 97 && cell[0] != XM_NOTE_OFF)
            cell[0] = 0;  // not a note: the key map has 96 entries
        if (cell[1] > 128) cell[1] = 0;
    }
    return true;
}

void sanitize_envelope(uint8_t& points, uint8_t& type, uint8_t& sustain, uint8_t& loop_start,
                       uint8_t& loop_end, xm_envelope_point* env) {
    if (points > XM_ENVELOPE_POINTS) points = XM_ENVELOPE_POINTS;
    if (points < 2) type = 0;
    if (sustain >= points) type &= ~XM_ENV_SUSTAIN;
    if (loop_start >= points || loop_end >= points) type &= ~XM_ENV_LOOP;
    for (int i = 0; i < XM_ENVELOPE_POINTS; ++i)
        if (env[i].y > 64) env[i].y = 64;
}

// The last instrument's sample data may end early; every other part must be whole.
bool read_instrument(reader& in, xm_song* song, int index, bool last, xm_sample_load_fn hook) {
    xm_instrument* ins = &song->instruments[index];
    uint32_t start = in.tell();
    uint32_t size = in.u32();
    in.seek(23, 1);
    uint32_t count = in.u16();
    if (!in.ok || count > XM_MAX_SAMPLES) return false;
    ins->sample_count = count;
    for (auto& slot : ins->samples) slot = &empty_sample;
    if (count == 0) {
        in.seek(static_cast<int64_t>(start) + size, 0);
        return true;
    }

    uint8_t head[4 + 96 + 48 + 48 + 16];
    if (!in.read(head, sizeof head)) return false;
    memcpy(ins->key_map, head + 4, 96);
    for (int p = 0; p < XM_ENVELOPE_POINTS; ++p) {
        ins->volume_envelope[p] = {le16(head + 100 + p * 4), le16(head + 102 + p * 4)};
        ins->panning_envelope[p] = {le16(head + 148 + p * 4), le16(head + 150 + p * 4)};
    }
    const uint8_t* t = head + 196;
    ins->volume_points = t[0];
    ins->panning_points = t[1];
    ins->volume_sustain = t[2];
    ins->volume_loop_start = t[3];
    ins->volume_loop_end = t[4];
    ins->panning_sustain = t[5];
    ins->panning_loop_start = t[6];
    ins->panning_loop_end = t[7];
    ins->volume_type = t[8];
    ins->panning_type = t[9];
    ins->vibrato_type = t[10];
    ins->vibrato_sweep = t[11];
    ins->vibrato_depth = t[12];
    ins->vibrato_rate = t[13];
    ins->fadeout = static_cast<uint16_t>(le16(t + 14) * 2);
    sanitize_envelope(ins->volume_points, ins->volume_type, ins->volume_sustain,
                      ins->volume_loop_start, ins->volume_loop_end, ins->volume_envelope);
    sanitize_envelope(ins->panning_points, ins->panning_type, ins->panning_sustain,
                      ins->panning_loop_start, ins->panning_loop_end, ins->panning_envelope);
    in.seek(static_cast<int64_t>(start) + size, 0);

    uint64_t data_bytes = 0;
    for (uint32_t k = 0; k < count; ++k) {
        xm_sample* s = static_cast<xm_sample*>(calloc(1, sizeof(xm_sample)));
        if (!s) return false;
        ins->samples[k] = s;
        uint8_t h[14];
        if (!in.read(h, sizeof h)) return false;
        s->length = le32(h);
        s->loop_start = le32(h + 4);
        s->loop_length = le32(h + 8);
        s->volume = h[12];
        s->finetune = static_cast<int8_t>(h[13]);
        s->loop_mode = XM_LOOP_NONE;
        s->bits = 8;
        uint8_t type = in.u8();
        if (type & 1) s->loop_mode = XM_LOOP_FORWARD;
        if (type & 2) s->loop_mode = XM_LOOP_PINGPONG;
        if (type & 16) s->bits = 16;
        s->pan = in.u8();
        s->relative_note = static_cast<int8_t>(in.u8());
        in.skip(23);
        if (!in.ok) return false;
        if (s->loop_mode == XM_LOOP_NONE) {
            s->loop_start = 0;
            s->loop_length = s->length;
        }
        if (s->bits == 16) {
            s->length /= 2;
            s->loop_start /= 2;
            s->loop_length /= 2;
        }
        if (s->length >= kMaxSampleLength) return false;
        // Loops reaching outside the sample would make the mixer read past
        // the data, so they are cut back to the sample.
        if (s->loop_start > s->length) s->loop_start = s->length;
        if (s->loop_length > s->length - s->loop_start) s->loop_length = s->length - s->loop_start;
        if (s->loop_length == 0) {
            s->loop_start = 0;
            s->loop_length = s->length;
            s->loop_mode = XM_LOOP_NONE;
        }
        data_bytes += stored_bytes(s);
    }
    // Sample data the source cannot hold is checked before allocating, so
    // hostile lengths cannot reserve gigabytes.
    uint64_t available = in.remaining();
    if (data_bytes > available) {
        if (!last || data_bytes - available > kMaxMissingSampleBytes) return false;
        song->missing_sample_bytes = data_bytes - available;
    }

    for (uint32_t k = 0; k < count; ++k) {
        xm_sample* s = ins->samples[k];
        if (s->length == 0) continue;
        // Below 2^31 bytes, as the length is below 2^30 values.
        uint32_t bytes = static_cast<uint32_t>(stored_bytes(s));
        size_t buffer_bytes = static_cast<size_t>(s->length) * 2 + 16;
        s->data = static_cast<int16_t*>(calloc(buffer_bytes, 1));
        if (!s->data) return false;
        // Values the file holds; those it lacks stay 0, silence.
        uint32_t present = s->length;
        if (s->bits == 8) {
            int8_t* raw = static_cast<int8_t*>(calloc(buffer_bytes, 1));
            if (!raw) return false;
            if (hook) {
                hook(raw, bytes, 8, index, static_cast<int>(k));
                in.seek(bytes, 1);
            } else {
                present = in.read_some(raw, bytes);
            }
            for (uint32_t j = 0; j < present; ++j) s->data[j] = static_cast<int16_t>(raw[j] * 256);
            free(raw);
            s->bits = 16;
        } else if (hook) {
            hook(s->data, bytes, 16, index, static_cast<int>(k));
            in.seek(bytes, 1);
        } else {
            uint8_t* raw = reinterpret_cast<uint8_t*>(s->data);
            present = in.read_some(raw, bytes) / 2;
            if (present < s->length) s->data[present] = 0;  // half a value came
            for (uint32_t j = 0; j < present; ++j) s->data[j] = static_cast<int16_t>(le16(raw + 2 * j));
        }
        if (!hook) {
            uint16_t sum = 0;
            for (uint32_t j = 0; j < present; ++j) {
                sum = static_cast<uint16_t>(sum + static_cast<uint16_t>(s->data[j]));
                s->data[j] = static_cast<int16_t>(sum);
            }
        }
        uint32_t end = s->loop_start + s->loop_length;
        if (s->loop_mode == XM_LOOP_PINGPONG)
            s->data[end] = s->data[end - 1];
        else if (s->loop_mode == XM_LOOP_FORWARD)
            s->data[end] = s->data[s->loop_start];
    }
    return in.ok;
}

bool load(reader& in, xm_song* song, xm_sample_load_fn hook) {
    char id[kSignatureBytes];
    in.seek(0, 0);
    if (!in.read(id, kSignatureBytes) || memcmp(id, kSignature, kSignatureBytes) != 0) return false;
    song->tick_routine = xm_song_tick;
    song->initial_global_volume = 64;

    in.seek(kHeaderSizeOffset, 0);
    uint32_t header_size = in.u32();
    song->song_length = static_cast<int16_t>(in.u16());
    song->restart_position = static_cast<int16_t>(in.u16());
    song->channel_count = static_cast<int16_t>(in.u16());
    uint32_t file_patterns = in.u16();
    song->instrument_count = static_cast<int16_t>(in.u16());
    song->flags = in.u16();
    song->default_tempo = static_cast<int16_t>(in.u16());
    song->default_bpm = static_cast<int16_t>(in.u16());
    in.read(song->order_table, XM_MAX_ORDERS);
    if (!in.ok) return false;
    // Values that would send playback outside the order table, the pattern
    // table or the channel array are refused.
    if (song->song_length < 1 || song->song_length > XM_MAX_ORDERS) return false;
    if (song->channel_count < 1 || song->channel_count > XM_MAX_CHANNELS) return false;
    if (file_patterns > XM_MAX_PATTERNS) return false;
    if (song->instrument_count < 0 || song->instrument_count > XM_MAX_INSTRUMENTS) return false;
    if (song->restart_position < 0 || song->restart_position >= song->song_length)
        song->restart_position = 0;
    in.seek(static_cast<int64_t>(kHeaderSizeOffset) + header_size, 0);

    int used = 0;
    for (int o = 0; o < song->song_length; ++o)
        if (song->order_table[o] + 1 > used) used = song->order_table[o] + 1;
    song->used_pattern_count = used;
    song->pattern_table_size = static_cast<int32_t>(file_patterns) > used ? static_cast<int32_t>(file_patterns) : used;
    song->patterns = static_cast<xm_pattern*>(calloc(song->pattern_table_size + 1, sizeof(xm_pattern)));
    if (!song->patterns) return false;
    for (uint32_t p = 0; p < file_patterns; ++p)
        if (!read_pattern(in, song, &song->patterns[p])) return false;
    for (int p = static_cast<int>(file_patterns); p < song->pattern_table_size; ++p) {
        song->patterns[p].rows = 64;
        song->patterns[p].cells =
            static_cast<uint8_t*>(calloc(64 * song->channel_count * XM_CELL_BYTES, 1));
        if (!song->patterns[p].cells) return false;
    }

    song->instruments =
        static_cast<xm_instrument*>(calloc(song->instrument_count + 1, sizeof(xm_instrument)));
    if (!song->instruments) return false;
    for (int i = 0; i < song->instrument_count; ++i)
        if (!read_instrument(in, song, i, i == song->instrument_count - 1, hook)) return false;
    return true;
}

}  // namespace

xm_song* xm_load_song(const char* name, xm_sample_load_fn hook) {
    if (!xm_callbacks.open) return nullptr;
    xm_song* song = static_cast<xm_song*>(calloc(1, sizeof(xm_song)));
    if (!song) return nullptr;
    void* handle = xm_callbacks.open(name);
    if (!handle) {
        free(song);
        return nullptr;
    }
    song->sample_load_hook = hook;
    reader in{handle, 0};
    xm_callbacks.seek(handle, 0, 2);
    in.file_size = xm_callbacks.tell(handle);
    bool ok = load(in, song, hook);
    xm_callbacks.close(handle);
    if (!ok) {
        xm_free_song(song);
        return nullptr;
    }
    return song;
}

bool xm_free_song(xm_song* song) {
    if (!song) return false;
    while (xm_mixer.busy.load()) std::this_thread::yield();
    xm_stop_song(song);
    if (song->instruments) {
        for (int i = 0; i < song->instrument_count; ++i) {
            xm_instrument& ins = song->instruments[i];
            for (uint32_t k = 0; k < ins.sample_count && k < XM_MAX_SAMPLES; ++k) {
                xm_sample* s = ins.samples[k];
                if (!s || s == &empty_sample) continue;
                free(s->data);
                free(s);
            }
        }
        free(song->instruments);
    }
    if (song->patterns) {
        for (int p = 0; p < song->pattern_table_size; ++p) free(song->patterns[p].cells);
        free(song->patterns);
    }
    free(song);
    return true;
}
