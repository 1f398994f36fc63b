// XM playback engine: rows, ticks, effects, envelopes, and the translation of
// each channel's state into its mixer voice.
#include "xm/xm.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

xm_engine_state xm_engine;

namespace {

constexpr float kSemitoneStep = 1.0f / 12;    // Amiga period exponent per note
constexpr float kLinearStep = 1.0f / 768;     // linear frequency exponent per period unit
constexpr double kVibratoAngle = 0.049087375;  // pi / 64
constexpr float kAutoVibratoAngle = 0.024543688f;  // pi / 128
constexpr float kVolumeScale = 255.0f / 34359738368.0f;  // 255 / 2^35
constexpr float kBpmFactor = 0.4f;
constexpr float kMilli = 0.001f;
constexpr int kAmigaClock = 14317056;
constexpr int kLinearBase = 7680;
constexpr int kLinearMiddle = 4608;
constexpr int kMiddleRate = 8363;
constexpr int kMinFrequency = 100;
// Slides keep the period inside what the tables can sound: 56 is the floor of
// portamento up, and beyond the top a note sounds at the 100 Hz floor anyway.
constexpr int kMinPeriod = 56;
constexpr int kMaxAmigaPeriod = kAmigaClock / kMinFrequency;
constexpr int kMaxLinearPeriod = 9512;  // 8363 * 2^((4608 - 9512) / 768) = 100 Hz
constexpr int kMaxPan = 255;

bool linear(const xm_song* song) { return song->flags & 1; }

int q_period(int k) {
    return static_cast<int>(std::pow(2.0, (132 - k) * static_cast<double>(kSemitoneStep)) * 13.375);
}

struct amiga_table {
    static constexpr int kLow = -2, kHigh = 300;
    int q[kHigh - kLow + 1];
    amiga_table() {
        for (int k = kLow; k <= kHigh; ++k) q[k - kLow] = q_period(k);
    }
    int operator()(int k) const { return k >= kLow && k <= kHigh ? q[k - kLow] : q_period(k); }
};
const amiga_table Q;

int note_period(const xm_song* song, int note, int finetune) {
    return linear(song) ? xm_linear_period(note, finetune) : xm_amiga_period(note, finetune);
}

// Every effect memory: a parameter of 0 means "as last time".
template <typename T>
T remember(T& memory, int parameter) {
    if (parameter) memory = static_cast<T>(parameter);
    return memory;
}

void slide_period(const xm_song* song, xm_channel* ch, int delta) {
    int top = linear(song) ? kMaxLinearPeriod : kMaxAmigaPeriod;
    int p = ch->period + delta;
    ch->period = p < kMinPeriod ? kMinPeriod : p > top ? top : p;
}

void slide_pan(xm_channel* ch, int delta) {
    int p = ch->pan + delta;
    ch->pan = p < 0 ? 0 : p > kMaxPan ? kMaxPan : p;
    ch->update_flags |= XM_UPDATE_PANNING;
}

void lookup(const xm_song* song, xm_channel* ch, xm_instrument*& ins, xm_sample*& s) {
    if (ch->instrument_index < song->instrument_count) {
        ins = &song->instruments[ch->instrument_index];
        uint8_t slot = ins->key_map[ch->note < 96 ? ch->note : 95];
        s = slot < XM_MAX_SAMPLES && ins->samples[slot] ? ins->samples[slot] : &empty_sample;
    } else {
        ins = &empty_instrument;
        s = &empty_sample;
    }
}

// Envelope points hold 0..64; points whose ticks run backwards would let the
// interpolation drift without end, so the value is kept in that range.
int32_t envelope_value(int32_t fixed) {
    int32_t v = fixed >> 16;
    return v < 0 ? 0 : v > 64 ? 64 : v;
}

// Shared by both envelopes; points holds at most XM_ENVELOPE_POINTS used entries.
void xm_envelope_step(xm_channel* ch, int32_t& i, int32_t& k, uint8_t type, int n,
                      const xm_envelope_point* points, int loop_end, int loop_start, int sustain,
                      int32_t& value, int32_t& fixed, uint8_t& stopped, int32_t& step, uint8_t flag) {
    if (i < n) {
        if (k == points[i].x) {
            if ((type & XM_ENV_LOOP) && i == loop_end) {
                i = loop_start;
                k = points[i].x;
            }
            const xm_envelope_point& p0 = points[i];
            if (i == n - 1) {
                value = p0.y;
                stopped = 1;
                ch->update_flags |= flag;
                return;
            }
            if ((type & XM_ENV_SUSTAIN) && i == sustain && !ch->key_off) {
                value = p0.y;
                ch->update_flags |= flag;
                return;
            }
            const xm_envelope_point& p1 = points[i + 1];
            int dx = p1.x - p0.x;
            step = dx ? (p1.y - p0.y) * 65536 / dx : 0;
            fixed = p0.y * 65536;
            ++i;
        } else {
            fixed = static_cast<int32_t>(static_cast<uint32_t>(fixed) + static_cast<uint32_t>(step));
        }
    }
    value = envelope_value(fixed);
    // Points whose ticks run backwards are never met again; the counter
    // then runs on and stops at its top instead of wrapping.
    if (k < INT32_MAX) ++k;
    ch->update_flags |= flag;
}

void step_volume_envelope(xm_channel* ch, const xm_instrument* ins) {
    xm_envelope_step(ch, ch->volume_envelope_point, ch->volume_envelope_tick, ins->volume_type,
                     ins->volume_points, ins->volume_envelope, ins->volume_loop_end,
                     ins->volume_loop_start, ins->volume_sustain, ch->volume_envelope_value,
                     ch->volume_envelope_fixed, ch->volume_envelope_stopped,
                     ch->volume_envelope_step, XM_UPDATE_VOLUME);
}

void step_panning_envelope(xm_channel* ch, const xm_instrument* ins) {
    xm_envelope_step(ch, ch->panning_envelope_point, ch->panning_envelope_tick, ins->panning_type,
                     ins->panning_points, ins->panning_envelope, ins->panning_loop_end,
                     ins->panning_loop_start, ins->panning_sustain, ch->panning_envelope_value,
                     ch->panning_envelope_fixed, ch->panning_envelope_stopped,
                     ch->panning_envelope_step, XM_UPDATE_PANNING);
}

void step_envelopes(xm_channel* ch, const xm_instrument* ins) {
    if ((ins->volume_type & XM_ENV_ON) && !ch->volume_envelope_stopped) step_volume_envelope(ch, ins);
    if ((ins->panning_type & XM_ENV_ON) && !ch->panning_envelope_stopped) step_panning_envelope(ch, ins);
}

void set_envelope_position(xm_channel* ch, const xm_instrument* ins, int parameter) {
    int n = ins->volume_points;
    const xm_envelope_point* pt = ins->volume_envelope;
    int i = 0;
    while (i < n && pt[i + 1].x < parameter) ++i;
    if (i < n - 1) {
        ch->volume_envelope_stopped = 0;
        ch->volume_envelope_tick = parameter;
        int dx = pt[i + 1].x - pt[i].x;
        ch->volume_envelope_step = dx ? (pt[i + 1].y - pt[i].y) * 65536 / dx : 0;
        int x0 = pt[i].x, y0 = pt[i].y;
        ch->volume_envelope_point = i + 1;
        ch->volume_envelope_fixed = static_cast<int32_t>(
            static_cast<int64_t>(parameter - x0) * ch->volume_envelope_step + y0 * 65536);
        ch->volume_envelope_value = envelope_value(ch->volume_envelope_fixed);
    } else {
        ch->volume_envelope_value = n > 0 ? pt[n - 1].y : 0;
        ch->volume_envelope_stopped = 1;
    }
}

void fade(xm_channel* ch, const xm_instrument* ins) {
    ch->fade_volume -= ins->fadeout;
    if (ch->fade_volume < 0) ch->fade_volume = 0;
    ch->update_flags |= XM_UPDATE_VOLUME;
}

void auto_vibrato(xm_channel* ch, const xm_instrument* ins) {
    int d = ins->vibrato_depth * xm_auto_vibrato_value(ins->vibrato_type, ch->auto_vibrato_position);
    if (ins->vibrato_sweep) d = ch->auto_vibrato_sweep_position * d / ins->vibrato_sweep;
    ch->period_delta += d >> 6;
    if (ch->auto_vibrato_sweep_position < ins->vibrato_sweep) ++ch->auto_vibrato_sweep_position;
    ch->auto_vibrato_position += ins->vibrato_rate;
    if (ch->auto_vibrato_position > 255) ch->auto_vibrato_position -= 256;
    ch->update_flags |= XM_UPDATE_FREQUENCY;
}

void tone_portamento(xm_channel* ch) {
    int speed = 4 * ch->portamento_speed;
    if (ch->period < ch->portamento_target) {
        ch->period += speed;
        if (ch->period > ch->portamento_target) ch->period = ch->portamento_target;
    } else if (ch->period > ch->portamento_target) {
        ch->period -= speed;
        if (ch->period < ch->portamento_target) ch->period = ch->portamento_target;
    }
    ch->update_flags |= XM_UPDATE_FREQUENCY;
}

void vibrato(xm_channel* ch) {
    ch->period_delta = xm_vibrato_delta(ch->vibrato_position, ch->vibrato_depth, ch->wave_control & 3);
    ch->update_flags |= XM_UPDATE_FREQUENCY;
}

void vibrato_position_step(xm_channel* ch) {
    int p = ch->vibrato_position + ch->vibrato_speed;
    if (p > 31) p -= 64;
    ch->vibrato_position = static_cast<int8_t>(p);
}

void tremolo(xm_channel* ch) {
    int q = ch->tremolo_position;
    // Tremolo waveform 3 is a sine, unlike vibrato where it is a square.
    int shape = (ch->wave_control >> 4) & 3;
    int delta = (ch->tremolo_depth * xm_waveform_value(shape == 3 ? 0 : shape, q)) >> 6;
    if (q >= 0) {
        if (ch->volume + delta > 64) delta = 64 - ch->volume;
    } else {
        if (static_cast<int16_t>(ch->volume - delta) < 0) delta = ch->volume;
        delta = -delta;
    }
    ch->volume_delta = delta;
    q += ch->tremolo_speed;
    if (q > 31) q -= 64;
    ch->tremolo_position = static_cast<int8_t>(q);
    ch->update_flags |= XM_UPDATE_VOLUME;
}

void tremor(xm_channel* ch) {
    if (ch->tremor_position >= ch->tremor_on_ticks) ch->volume_delta = -ch->volume;
    ++ch->tremor_position;
    if (ch->tremor_position >= ch->tremor_on_ticks + ch->tremor_off_ticks) ch->tremor_position = 0;
    ch->update_flags |= XM_UPDATE_VOLUME;
}

void volume_slide(xm_channel* ch) {
    int m = ch->volume_slide_memory;
    if (m >> 4) {
        ch->volume += m >> 4;
        if (ch->volume > 64) ch->volume = 64;
    } else if (m & 15) {
        ch->volume -= m & 15;
        if (ch->volume < 0) ch->volume = 0;
    }
    ch->update_flags |= XM_UPDATE_VOLUME;
}

void volume_down(xm_channel* ch, int y) {
    ch->volume -= y;
    if (ch->volume < 0) ch->volume = 0;
    ch->update_flags |= XM_UPDATE_VOLUME;
}

void volume_up(xm_channel* ch, int y) {
    ch->volume += y;
    if (ch->volume > 64) ch->volume = 64;
    ch->update_flags |= XM_UPDATE_VOLUME;
}

int retrigger_volume(int code, int v) {
    switch (code) {
    case 1: return v - 1;
    case 2: return v - 2;
    case 3: return v - 4;
    case 4: return v - 8;
    case 5: return v - 16;
    case 6: return v * 2 / 3;
    case 7: return v >> 1;
    case 9: return v + 1;
    case 10: return v + 2;
    case 11: return v + 4;
    case 12: return v + 8;
    case 13: return v + 16;
    case 14: return v * 3 / 2;
    case 15: return v * 2;
    default: return v;
    }
}

void xm_volume_column(xm_channel* ch, uint8_t v) {
    int h = v >> 4, y = v & 15;
    if (v >= 0x10 && v <= 0x50) {
        ch->volume = v - 16;
        ch->update_flags |= XM_UPDATE_VOLUME;
        return;
    }
    switch (h) {
    case 6: case 8: volume_down(ch, y); break;
    case 7: case 9: volume_up(ch, y); break;
    case 10: ch->vibrato_speed = static_cast<uint8_t>(y); break;
    case 11: ch->vibrato_depth = static_cast<uint8_t>(y); break;
    case 12: ch->pan = 16 * y; ch->update_flags |= XM_UPDATE_PANNING; break;
    case 13: slide_pan(ch, -y); break;
    case 14: slide_pan(ch, y); break;
    case 15:
        if (y) {
            ch->portamento_speed = static_cast<uint8_t>(16 * y);
            ch->portamento_target = ch->note_period;
            ch->update_flags &= ~XM_UPDATE_TRIGGER;
        }
        break;
    default: break;
    }
}

void volume_column_tick(xm_channel* ch, uint8_t v) {
    int y = v & 15;
    switch (v >> 4) {
    case 6: volume_down(ch, y); break;
    case 7: volume_up(ch, y); break;
    case 11:
        ch->vibrato_depth = static_cast<uint8_t>(y);
        vibrato(ch);
        vibrato_position_step(ch);
        break;
    case 13: slide_pan(ch, -y); break;
    case 14: slide_pan(ch, y); break;
    case 15: tone_portamento(ch); break;
    default: break;
    }
}

void global_volume_slide(xm_song* song) {
    int m = song->global_volume_slide_memory;
    if (m >> 4) {
        song->global_volume += m >> 4;
        if (song->global_volume > 64) song->global_volume = 64;
    } else if (m & 15) {
        song->global_volume -= m & 15;
        if (song->global_volume < 0) song->global_volume = 0;
    }
}

void extended_row(xm_song* song, xm_channel* ch, int x, int y, int remembered_volume,
                  int remembered_period, int remembered_pan) {
    switch (x) {
    case 1: slide_period(song, ch, -4 * remember(ch->fine_portamento_up_memory, y)); break;
    case 2: slide_period(song, ch, 4 * remember(ch->fine_portamento_down_memory, y)); break;
    case 4: ch->wave_control = static_cast<uint8_t>((ch->wave_control & 0xF0) | y); break;
    case 5:
        // The shared empty record stays all zero.
        if (ch->sample && ch->sample != &empty_sample) ch->sample->finetune = static_cast<int8_t>(y);
        break;
    case 6:
        if (y == 0) {
            ch->pattern_loop_row = song->row;
        } else {
            ch->pattern_loop_count = ch->pattern_loop_count == 0 ? y : ch->pattern_loop_count - 1;
            if (ch->pattern_loop_count != 0) song->next_row = ch->pattern_loop_row;
        }
        break;
    case 7: ch->wave_control = static_cast<uint8_t>((ch->wave_control & 0x0F) | y << 4); break;
    case 8: ch->pan = 16 * y; ch->update_flags |= XM_UPDATE_PANNING; break;
    case 10: volume_up(ch, remember(ch->fine_volume_slide_memory, y)); break;
    case 11: volume_down(ch, remember(ch->fine_volume_slide_memory, y)); break;
    case 13:
        ch->volume = remembered_volume;
        ch->period = remembered_period;
        ch->pan = remembered_pan;
        ch->update_flags &= ~15;
        break;
    case 14: song->pattern_delay = song->speed * y; break;
    default: break;
    }
}

void extended_tick(xm_song* song, xm_channel* ch, const uint8_t* cell, int x, int y) {
    switch (x) {
    case 9:
        if (y && song->tick % y == 0)
            ch->update_flags |= XM_UPDATE_TRIGGER | XM_UPDATE_FREQUENCY | XM_UPDATE_VOLUME;
        break;
    case 12:
        if (song->tick == y) {
            ch->volume = 0;
            ch->update_flags |= XM_UPDATE_VOLUME;
        }
        break;
    case 13:
        if (song->tick != y) {
            ch->update_flags &= ~15;
        } else {
            xm_reset_channel(ch, ch->sample ? ch->sample : &empty_sample);
            ch->period = ch->note_period;
            if (cell[2]) xm_volume_column(ch, cell[2]);
            ch->update_flags |= XM_UPDATE_FREQUENCY | XM_UPDATE_TRIGGER;
        }
        break;
    default: break;
    }
}

void effect_row(xm_song* song, xm_channel* ch, const uint8_t* cell, int remembered_volume,
                int remembered_period, int remembered_pan) {
    int effect = cell[3], p = cell[4], x = p >> 4, y = p & 15;
    switch (effect) {
    case 1: remember(ch->portamento_up_memory, p); break;
    case 2: remember(ch->portamento_down_memory, p); break;
    case 3:
        remember(ch->portamento_speed, p);
        ch->portamento_target = ch->note_period;
        ch->update_flags &= ~(XM_UPDATE_TRIGGER | XM_UPDATE_FREQUENCY);
        break;
    case 4:
        remember(ch->vibrato_speed, x);
        remember(ch->vibrato_depth, y);
        vibrato(ch);
        break;
    case 5:
        ch->portamento_target = ch->note_period;
        remember(ch->volume_slide_memory, p);
        ch->update_flags &= ~(XM_UPDATE_TRIGGER | XM_UPDATE_FREQUENCY);
        break;
    case 6:
        remember(ch->volume_slide_memory, p);
        vibrato(ch);
        break;
    case 7:
        remember(ch->tremolo_speed, x);
        remember(ch->tremolo_depth, y);
        break;
    case 8: ch->pan = p; ch->update_flags |= XM_UPDATE_PANNING; break;
    case 9:
        remember(ch->sample_offset_memory, p);
        if (ch->voice) {
            uint32_t o = static_cast<uint32_t>(ch->sample_offset_memory) * 256;
            const xm_sample* s = ch->sample ? ch->sample : &empty_sample;
            if (o < s->loop_start + s->loop_length) {
                ch->voice->start_offset = o;
            } else {
                ch->update_flags &= ~XM_UPDATE_TRIGGER;
                ch->update_flags |= XM_UPDATE_RESTART;
            }
        }
        break;
    case 10: remember(ch->volume_slide_memory, p); break;
    case 11:
        song->next_row = 0;
        song->next_order = p >= song->song_length ? 0 : p;
        xm_engine.row_jumped = true;
        break;
    case 12: ch->volume = p; ch->update_flags |= XM_UPDATE_VOLUME; break;
    case 13:
        song->next_row = 10 * x + y;
        if (song->next_row > 63) song->next_row = 0;
        if (!xm_engine.row_jumped) song->next_order = song->order + 1;
        if (song->next_order >= song->song_length) song->next_order = 0;
        break;
    case 14: extended_row(song, ch, x, y, remembered_volume, remembered_period, remembered_pan); break;
    case 15:
        if (p < 32)
            song->speed = p;
        else
            xm_set_bpm(song, p);
        break;
    case 16:
        song->global_volume = p > 64 ? 64 : p;
        ch->update_flags |= XM_UPDATE_VOLUME;
        break;
    case 17: remember(song->global_volume_slide_memory, p); break;
    case 21: {
        xm_instrument* ins;
        xm_sample* s;
        lookup(song, ch, ins, s);
        if (ins->volume_type & XM_ENV_ON) set_envelope_position(ch, ins, p);
        break;
    }
    case 25:
        if (p) ch->update_flags |= XM_UPDATE_PANNING;
        remember(ch->panning_slide_memory, p);
        break;
    case 27:
        if (p) {
            ch->retrigger_volume_code = static_cast<uint8_t>(x);
            ch->retrigger_interval = static_cast<uint8_t>(y);
        }
        break;
    case 29:
        if (p) {
            ch->tremor_on_ticks = static_cast<uint8_t>(x + 1);
            ch->tremor_off_ticks = static_cast<uint8_t>(y + 1);
        }
        tremor(ch);
        break;
    case 33:
        if (x == 1) slide_period(song, ch, -remember(ch->extra_fine_up_memory, y));
        if (x == 2) slide_period(song, ch, remember(ch->extra_fine_down_memory, y));
        break;
    default: break;
    }
}

void effect_tick(xm_song* song, xm_channel* ch, const uint8_t* cell) {
    int effect = cell[3], p = cell[4], x = p >> 4, y = p & 15;
    switch (effect) {
    case 0:
        if (p) {
            int t = song->tick % 3;
            int s = t == 1 ? x : t == 2 ? y : 0;
            if (linear(song)) {
                ch->period_delta = 64 * s;
            } else {
                int ft = ch->sample ? ch->sample->finetune : 0;
                ch->period_delta = xm_amiga_period(ch->real_note + s, ft) - xm_amiga_period(ch->real_note, ft);
            }
            ch->update_flags |= XM_UPDATE_FREQUENCY;
        }
        break;
    case 1:
        slide_period(song, ch, -4 * ch->portamento_up_memory);
        ch->period_delta = 0;
        ch->update_flags |= XM_UPDATE_FREQUENCY;
        break;
    case 2:
        slide_period(song, ch, 4 * ch->portamento_down_memory);
        ch->period_delta = 0;
        ch->update_flags |= XM_UPDATE_FREQUENCY;
        break;
    case 3:
        ch->period_delta = 0;
        tone_portamento(ch);
        break;
    case 4:
        vibrato(ch);
        vibrato_position_step(ch);
        break;
    case 5:
        ch->period_delta = 0;
        tone_portamento(ch);
        volume_slide(ch);
        break;
    case 6:
        vibrato(ch);
        vibrato_position_step(ch);
        volume_slide(ch);
        break;
    case 7: tremolo(ch); break;
    case 10: volume_slide(ch); break;
    case 14: extended_tick(song, ch, cell, x, y); break;
    case 17: global_volume_slide(song); break;
    case 25: {
        int m = ch->panning_slide_memory;
        slide_pan(ch, (m >> 4) ? m >> 4 : -(m & 15));
        break;
    }
    case 27:
        if (ch->retrigger_interval && song->tick % ch->retrigger_interval == 0) {
            if (ch->retrigger_volume_code == 0) {
                ch->update_flags |= XM_UPDATE_TRIGGER;
            } else {
                int v = retrigger_volume(ch->retrigger_volume_code, ch->volume);
                ch->volume = v < 0 ? 0 : v > 64 ? 64 : v;
                ch->update_flags |= XM_UPDATE_VOLUME | XM_UPDATE_TRIGGER;
            }
        }
        break;
    case 29: tremor(ch); break;
    default: break;
    }
}

const uint8_t* row_cells(const xm_song* song) {
    const xm_pattern& pattern = song->patterns[song->order_table[song->order]];
    if (!pattern.cells) return nullptr;
    return pattern.cells + static_cast<size_t>(song->row) * song->channel_count * XM_CELL_BYTES;
}

void xm_process_row(xm_song* song) {
    song->next_order = song->next_row = -1;
    xm_engine.row_jumped = false;
    const uint8_t* cells = row_cells(song);
    if (!cells) return;
    for (int c = 0; c < song->channel_count; ++c) {
        xm_channel* ch = &xm_engine.channels[c];
        const uint8_t* cell = cells + c * XM_CELL_BYTES;
        uint8_t note = cell[0], instrument = cell[1], vol = cell[2], effect = cell[3];
        bool portamento = effect == 3 || effect == 5;
        if (instrument && !portamento) ch->instrument_index = static_cast<uint8_t>(instrument - 1);
        if (note && note != XM_NOTE_OFF && !portamento) ch->note = static_cast<uint8_t>(note - 1);

        xm_instrument* ins;
        xm_sample* s;
        lookup(song, ch, ins, s);
        if (ins == &empty_instrument) empty_sample.data = nullptr;
        if (!portamento) ch->sample = s;

        int remembered_period = ch->period, remembered_volume = ch->volume, remembered_pan = ch->pan;
        if (ch->last_effect == 7 && effect != 7) ch->volume += ch->volume_delta;
        ch->volume_delta = 0;
        ch->update_flags = 0;
        ch->last_effect = effect;

        if (note && note != XM_NOTE_OFF) {
            ch->real_note = static_cast<uint8_t>(s->relative_note + note - 1);
            ch->note_period = note_period(song, ch->real_note, s->finetune);
            if (!portamento) ch->period = ch->note_period;
            ch->update_flags = XM_UPDATE_TRIGGER;
        }
        ch->period_delta = 0;
        ch->update_flags |= XM_UPDATE_FREQUENCY | XM_UPDATE_VOLUME;
        if (instrument) xm_reset_channel(ch, s);
        if (vol) xm_volume_column(ch, vol);
        if (note == XM_NOTE_OFF || effect == 20) ch->key_off = 1;
        if (ins->volume_type & XM_ENV_ON) {
            if (!ch->volume_envelope_stopped) step_volume_envelope(ch, ins);
        } else if (ch->key_off) {
            ch->volume_envelope_value = 0;
        }
        if ((ins->panning_type & XM_ENV_ON) && !ch->panning_envelope_stopped) step_panning_envelope(ch, ins);
        if (ch->key_off) fade(ch, ins);
        effect_row(song, ch, cell, remembered_volume, remembered_period, remembered_pan);
        auto_vibrato(ch, ins);
        xm_update_voice(song, ch, s);
    }
}

void xm_process_tick(xm_song* song) {
    const uint8_t* cells = row_cells(song);
    if (!cells) return;
    for (int c = 0; c < song->channel_count; ++c) {
        xm_channel* ch = &xm_engine.channels[c];
        const uint8_t* cell = cells + c * XM_CELL_BYTES;
        xm_instrument* ins;
        xm_sample* s;
        lookup(song, ch, ins, s);
        ch->volume_delta = 0;
        ch->period_delta = 0;
        ch->update_flags = 0;
        step_envelopes(ch, ins);
        if (ch->key_off) fade(ch, ins);
        if (cell[2]) volume_column_tick(ch, cell[2]);
        effect_tick(song, ch, cell);
        auto_vibrato(ch, ins);
        xm_update_voice(song, ch, s);
    }
}

uint32_t current_rows(const xm_song* song) { return song->patterns[song->order_table[song->order]].rows; }

}  // namespace

int xm_amiga_period(int n, int finetune) {
    if (finetune < 0 && n != 0) return Q(n) + (std::abs(finetune) * (Q(n) - Q(n - 1))) / -128;
    return Q(n) + ((Q(n) - Q(n + 1)) * finetune) / -128;
}

int xm_linear_period(int note, int finetune) { return kLinearBase - 64 * note - finetune / 2; }

int xm_waveform_value(int waveform, int p) {
    switch (waveform) {
    case 0: return static_cast<int>(std::fabs(std::sin(2 * p * kVibratoAngle)) * 256);
    case 1: return p < 0 ? 255 - (p & 31) * 8 : (p & 31) * 8;
    default: return 255;
    }
}

int xm_vibrato_delta(int p, int depth, int waveform) {
    int d = ((depth * xm_waveform_value(waveform, p)) >> 5) & ~3;
    return p < 0 ? d : -d;
}

int xm_auto_vibrato_value(int type, int a) {
    switch (type) {
    case 0: return static_cast<int>(std::sin(a * static_cast<double>(kAutoVibratoAngle)) * 64);
    case 1: return a < 128 ? 64 : -64;
    case 2: return (128 - ((a + 128) % 256)) >> 1;
    case 3: return (128 - ((384 - a) % 256)) >> 1;
    default: return 0;
    }
}

void xm_set_bpm(xm_song* song, int bpm) {
    // A zero or negative tempo from the file would give an endless tick.
    if (bpm < 1) bpm = 1;
    song->bpm = bpm;
    double frames = 1000.0 / (bpm * static_cast<double>(kBpmFactor)) * XM_OUTPUT_RATE * static_cast<double>(kMilli);
    song->samples_per_tick = frames < 1 ? 1 : static_cast<int32_t>(frames);
}

void xm_reset_channel(xm_channel* ch, const xm_sample* s) {
    ch->volume = s->volume;
    ch->pan = s->pan;
    ch->volume_envelope_value = 64;
    ch->panning_envelope_value = 32;
    ch->volume_envelope_tick = ch->volume_envelope_point = ch->volume_envelope_step = 0;
    ch->panning_envelope_tick = ch->panning_envelope_point = ch->panning_envelope_step = 0;
    ch->volume_envelope_stopped = ch->panning_envelope_stopped = 0;
    ch->key_off = 0;
    ch->fade_volume = 65536;
    ch->auto_vibrato_position = ch->auto_vibrato_sweep_position = 0;
    if ((ch->wave_control & 15) < 4) ch->vibrato_position = 0;
    if ((ch->wave_control >> 4) < 4) ch->tremolo_position = 0;
    ch->tremor_position = 0;
    ch->update_flags |= XM_UPDATE_VOLUME | XM_UPDATE_PANNING;
}

void xm_update_voice(xm_song* song, xm_channel* ch, xm_sample* s) {
    mix_voice* v = ch->voice;
    if (!v) return;
    int64_t period = static_cast<int64_t>(ch->period) + ch->period_delta;
    if (period == 0) ch->update_flags &= ~XM_UPDATE_FREQUENCY;

    if (ch->update_flags & XM_UPDATE_TRIGGER) {
        if (v->sample) {
            mix_voice* partner = &xm_mixer.voices[v->index < 32 ? v->index + 32 : v->index - 32];
            int index = partner->index;
            *partner = *v;
            partner->index = index;
            v->volume = v->left_gain = v->right_gain = 0;
            ch->voice = v = partner;
        }
        // A sample without data leaves the voice idle rather than mixing nothing forever.
        v->sample = s->data && s->length ? s : nullptr;
        if (v->start_offset >= s->loop_start + s->loop_length) v->start_offset = 0;
        v->position = v->start_offset;
        v->fraction = 0;
        v->direction = 1;
        v->start_offset = 0;
        v->left_level = v->right_level = 0;
        v->ramp_frames_left = 0;
    }
    if (ch->update_flags & XM_UPDATE_VOLUME) {
        double level = static_cast<double>(ch->volume + ch->volume_delta) * ch->volume_envelope_value *
                       ch->fade_volume * song->global_volume * static_cast<double>(kVolumeScale);
        int vol = static_cast<int>(level);
        v->volume = v->volume_set = vol;
        v->left_gain = (kMaxPan - v->pan) * vol / kMaxPan;
        v->right_gain = vol * v->pan / kMaxPan;
    }
    if (ch->update_flags & XM_UPDATE_PANNING) {
        int p = ch->pan + ((128 - std::abs(ch->pan - 128)) / 32) * (ch->panning_envelope_value - 32);
        p = p < 0 ? 0 : p > kMaxPan ? kMaxPan : p;
        // Pan 0 is hard left and 255 hard right.
        v->pan = v->pan_set = p;
        v->left_gain = (kMaxPan - p) * v->volume / kMaxPan;
        v->right_gain = v->volume * p / kMaxPan;
    }
    if (ch->update_flags & XM_UPDATE_FREQUENCY) {
        int64_t f;
        if (linear(song)) {
            double hz = std::exp2(static_cast<double>(kLinearMiddle - ch->period + ch->period_delta) *
                                  static_cast<double>(kLinearStep)) * kMiddleRate;
            // Runaway slides must not overflow the conversion.
            f = hz >= INT32_MAX ? INT32_MAX : static_cast<int64_t>(hz);
        } else {
            f = kAmigaClock / period;
        }
        if (f > INT32_MAX) f = INT32_MAX;
        v->frequency = static_cast<int32_t>(f);
        uint64_t hz = static_cast<uint64_t>(f < kMinFrequency ? kMinFrequency : f);
        uint64_t q = hz / XM_OUTPUT_RATE;
        v->step_integer = static_cast<uint32_t>(q);
        v->step_fraction = static_cast<uint32_t>((((hz % XM_OUTPUT_RATE) << 32) + q) / XM_OUTPUT_RATE);
    }
    if (ch->update_flags & XM_UPDATE_RESTART) {
        v->position = v->fraction = 0;
        v->start_offset = 0;
    }
}

void xm_start_state(xm_song* song) {
    song->global_volume = song->initial_global_volume;
    song->next_order = song->next_row = -1;
    song->speed = song->default_tempo;
    song->row = song->order = song->tick = song->pattern_delay = 0;
    song->samples_left_in_tick = 0;
    song->milliseconds = 0;
    xm_set_bpm(song, song->default_bpm);
    memset(&xm_engine, 0, sizeof xm_engine);
    for (int i = 0; i < XM_MAX_CHANNELS; ++i) xm_engine.channels[i].voice = &xm_mixer.voices[i];
}

void xm_song_tick(xm_song* song) {
    if (song->tick == 0) {
        if (song->next_order >= 0) song->order = song->next_order;
        if (song->next_row >= 0) song->row = song->next_row;
        // A break or loop row beyond a shorter pattern starts it from the top.
        if (static_cast<uint32_t>(song->row) >= current_rows(song)) song->row = 0;
        xm_process_row(song);
        if (song->next_row == -1) {
            song->next_row = song->row + 1;
            if (static_cast<uint32_t>(song->next_row) >= current_rows(song)) {
                song->next_order = song->order + 1;
                if (song->next_order >= song->song_length) song->next_order = song->restart_position;
                song->next_row = 0;
            }
        }
    } else {
        xm_process_tick(song);
    }
    ++song->tick;
    if (song->tick >= song->speed + song->pattern_delay) {
        song->pattern_delay = 0;
        song->tick = 0;
    }
}
