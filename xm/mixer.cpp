// Voice mixing into the floating-point block buffer, block rendering and the
// position records that tell which part of the song a block holds.
#include "xm/xm.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

xm_mixer_state xm_mixer;

namespace {

constexpr float kRateReciprocal = 1.0f / XM_OUTPUT_RATE;
constexpr float kRampReciprocal = 1.0f / XM_RAMP_FRAMES;
constexpr float kGainScale = 1.0f / 255;
constexpr float kFractionScale = 1.0f / 2147483648.0f;  // 2^-31
constexpr uint64_t kZeroStepReplacement = 24932236;   // used when a voice has no step

uint64_t fixed_position(const mix_voice* v) { return static_cast<uint64_t>(v->position) << 32 | v->fraction; }
uint64_t fixed_step(const mix_voice* v) { return static_cast<uint64_t>(v->step_integer) << 32 | v->step_fraction; }

// The plain frame loops; the vector loops in mixer_simd.cpp compute the same
// values in the same order.
float interpolate(const int16_t* d, int64_t pos) {
    uint64_t p = static_cast<uint64_t>(pos);
    uint32_t whole = static_cast<uint32_t>(p >> 32);
    float a = d[whole], b = d[whole + 1];
    return a + (b - a) * static_cast<float>(static_cast<uint32_t>(p) >> 1) * kFractionScale;
}

int64_t mix_frames(const int16_t* d, float* out, int m, int64_t pos, int64_t step, float lg, float rg) {
    for (int i = 0; i < m; ++i) {
        float s = interpolate(d, pos);
        out[2 * i] += s * lg;
        out[2 * i + 1] += s * rg;
        pos += step;
    }
    return pos;
}

int64_t mix_frames_ramp(const int16_t* d, float* out, int m, int64_t pos, int64_t step, const float* gains) {
    for (int i = 0; i < m; ++i) {
        float s = interpolate(d, pos);
        out[2 * i] += s * gains[2 * i];
        out[2 * i + 1] += s * gains[2 * i + 1];
        pos += step;
    }
    return pos;
}

void convert_samples(const float* in, int16_t* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = xm_clamp_sample(in[i]);
}

// Mixes a ramp chunk: the levels move by their increments after every frame,
// laid out first as per-frame gains so that the frame loops can take them in
// any width. Returns the new position; cl and cr end as the levels after it.
int64_t mix_ramp_chunk(const xm_frame_loops& loops, const int16_t* d, float* out, int m, int64_t pos, int64_t step,
                       float& cl, float& cr, float li, float ri) {
    float gains[2 * XM_RAMP_FRAMES];
    for (int done = 0; done < m;) {
        int piece = m - done < XM_RAMP_FRAMES ? m - done : XM_RAMP_FRAMES;
        for (int i = 0; i < piece; ++i) {
            gains[2 * i] = cl;
            cl += li;
            gains[2 * i + 1] = cr;
            cr += ri;
        }
        pos = loops.mix_ramp(d, out + 2 * done, piece, pos, step, gains);
        done += piece;
    }
    return pos;
}

// Brings a position that left a ping-pong loop back into it, however far it
// went. Measured from the loop start, a forward pass and a backward pass of
// one loop length each repeat, so the place in that cycle is the distance
// travelled modulo twice the length; reflecting at each end in turn (the end
// E sends p to 2E - p - 2^-32) lands on the same position and direction.
int64_t fold_pingpong(mix_voice* v, int64_t start, int64_t length, int64_t pos) {
    int64_t travelled = v->direction == 1 ? pos - start : 2 * length - 1 - (pos - start);
    int64_t place = travelled % (2 * length);
    v->direction = place < length ? 1 : 2;
    return place < length ? start + place : start + 2 * length - 1 - place;
}

// Frames until the voice reaches its loop boundary or sample end, exact when
// that is at most `within` frames; farther boundaries give within + 1,
// decided by a multiplication instead of the division.
uint64_t frames_to_boundary(const mix_voice* v, uint64_t within) {
    const xm_sample* s = v->sample;
    uint64_t pos = fixed_position(v);
    uint64_t step = fixed_step(v);
    if (step == 0) step = kZeroStepReplacement;
    uint64_t reach;  // distance covered by `within` frames; none when it overflows
    bool bounded = !__builtin_mul_overflow(step, within, &reach);
    if (v->direction == 2) {
        // Frames until the position falls below the loop start.
        uint64_t start = static_cast<uint64_t>(s->loop_start) << 32;
        if (pos < start) return 0;
        if (bounded && pos - start >= reach) return within + 1;
        return (pos - start) / step + 1;
    }
    uint64_t end = static_cast<uint64_t>(s->loop_start + s->loop_length) << 32;
    if (pos > end) end = static_cast<uint64_t>(s->length) << 32;
    if (pos >= end) return 0;
    uint64_t distance = end - pos;
    if (bounded && distance > reach) return within + 1;
    return distance / step + (distance % step != 0);
}

void mix_voice_frames(const xm_frame_loops& loops, mix_voice* v, float* out, int n) {
    const xm_sample* s = v->sample;
    int todo = n;
    while (todo > 0 && v->sample) {
        int m = todo;
        uint64_t k = frames_to_boundary(v, static_cast<uint64_t>(m));
        bool boundary = k <= static_cast<uint64_t>(m);
        if (boundary) m = static_cast<int>(k);

        if (!(v->ramp_frames_left != 0 && v->left_gain == v->last_left_target &&
              v->right_gain == v->last_right_target)) {
            v->last_left_target = v->left_gain;
            v->last_right_target = v->right_gain;
            v->left_increment = v->right_increment = 0;
            if (v->left_gain != v->left_level / 256) {
                v->left_increment = static_cast<float>(v->left_gain - v->left_level / 256) * kGainScale * kRampReciprocal;
                v->ramp_frames_left = XM_RAMP_FRAMES;
            }
            if (v->right_gain != v->right_level / 256) {
                v->right_increment = static_cast<float>(v->right_gain - v->right_level / 256) * kGainScale * kRampReciprocal;
                v->ramp_frames_left = XM_RAMP_FRAMES;
            }
        }
        bool ramp = v->ramp_frames_left > 0;
        bool ramp_cut = false;
        if (ramp && v->ramp_frames_left < m) {
            m = v->ramp_frames_left;
            boundary = false;
            ramp_cut = true;
        }

        int64_t step = static_cast<int64_t>(fixed_step(v));
        if (v->direction == 2) step = -step;
        int64_t pos = static_cast<int64_t>(fixed_position(v));
        if (ramp) {
            float cl = v->left_level / 256.0f / 255.0f, cr = v->right_level / 256.0f / 255.0f;
            pos = mix_ramp_chunk(loops, s->data, out, m, pos, step, cl, cr, v->left_increment, v->right_increment);
            v->left_level = static_cast<int32_t>(std::nearbyint(cl * 255.0f * 256.0f));
            v->right_level = static_cast<int32_t>(std::nearbyint(cr * 255.0f * 256.0f));
            v->ramp_frames_left -= m;
            if (v->ramp_frames_left == 0) {
                v->left_increment = v->right_increment = 0;
                v->left_level = v->left_gain * 256;
                v->right_level = v->right_gain * 256;
            }
        } else if (v->left_gain == 0 && v->right_gain == 0) {
            pos += step * m;  // silent voice: only its position moves
        } else {
            pos = loops.mix(s->data, out, m, pos, step, v->left_gain * kGainScale, v->right_gain * kGainScale);
        }
        out += 2 * m;
        todo -= m;

        if (boundary) {
            int64_t start = static_cast<int64_t>(s->loop_start) << 32;
            int64_t end = static_cast<int64_t>(s->loop_start + s->loop_length) << 32;
            int64_t length = static_cast<int64_t>(s->loop_length) << 32;
            if (s->loop_mode == XM_LOOP_FORWARD) {
                // Mostly less than one loop past the end: a subtraction does.
                if (pos >= end) pos = pos - end < length ? pos - length : start + (pos - start) % length;
            } else if (s->loop_mode == XM_LOOP_PINGPONG) {
                pos = fold_pingpong(v, start, length, pos);
            } else {
                v->sample = nullptr;
                v->position = v->fraction = 0;
                return;
            }
        } else if (!ramp_cut) {
            todo = 0;
        }
        v->position = static_cast<uint32_t>(static_cast<uint64_t>(pos) >> 32);
        v->fraction = static_cast<uint32_t>(pos);
    }
}

}  // namespace

const xm_frame_loops xm_scalar_loops = {mix_frames, mix_frames_ramp, convert_samples};

const xm_frame_loops* xm_path_loops(xm_mix_path path) {
    if (path == XM_MIX_SCALAR) return &xm_scalar_loops;
    if (path != XM_MIX_BEST) return xm_vector_loops(path);
    static const xm_frame_loops* const best = [] {
        const xm_frame_loops* loops = xm_vector_loops(XM_MIX_AVX2);
        if (!loops) loops = xm_vector_loops(XM_MIX_SSE2);
        return loops ? loops : &xm_scalar_loops;
    }();
    return best;
}

uint64_t xm_frames_to_boundary(const mix_voice* v) { return frames_to_boundary(v, UINT64_MAX); }

void xm_clear_voices() {
    memset(xm_mixer.voices, 0, sizeof xm_mixer.voices);
    for (int i = 0; i < XM_VOICE_RECORDS; ++i) {
        xm_mixer.voices[i].index = i;
        xm_mixer.voices[i].step_integer = 1;
    }
}

namespace {

// A forced path the CPU lacks falls back to the plain loops.
const xm_frame_loops& current_loops() {
    const xm_frame_loops* loops = xm_path_loops(xm_mixer.mix_path);
    return loops ? *loops : xm_scalar_loops;
}

}  // namespace

void xm_mix(float* dst, int frames) {
    const xm_frame_loops& loops = current_loops();
    for (int i = 0; i < XM_MIXED_VOICES; ++i)
        if (xm_mixer.voices[i].sample) mix_voice_frames(loops, &xm_mixer.voices[i], dst, frames);
}

int16_t xm_clamp_sample(float value) {
    float r = std::nearbyint(value);
    if (r > 32767.0f) return 32767;
    if (r < -32768.0f) return -32768;
    return static_cast<int16_t>(r);
}

const int16_t* xm_render_block() {
    xm_song* song = xm_mixer.current_song;
    size_t offset = static_cast<size_t>(xm_mixer.fill_index) * XM_BLOCK_FRAMES * 2;
    float* mix = xm_mixer.mix_buffer + offset;
    int16_t* out = xm_mixer.ring + offset;
    memset(mix, 0, sizeof(float) * XM_BLOCK_FRAMES * 2);
    int remaining = song->samples_left_in_tick;
    int done = 0;
    while (done < XM_BLOCK_FRAMES) {
        if (remaining <= 0) {
            song->tick_routine(song);
            remaining = song->samples_per_tick;
        }
        int n = remaining < XM_BLOCK_FRAMES - done ? remaining : XM_BLOCK_FRAMES - done;
        xm_mix(mix + 2 * done, n);
        done += n;
        remaining -= n;
        song->milliseconds += static_cast<uint32_t>(n * static_cast<double>(kRateReciprocal) * 1000);
    }
    xm_block_position& record = xm_mixer.position_table[xm_mixer.fill_index];
    // Release: a reader that sees these has also seen the heard index leave the block.
    record.order.store(static_cast<uint8_t>(song->order), std::memory_order_release);
    record.row.store(static_cast<uint8_t>(song->row), std::memory_order_release);
    record.milliseconds.store(song->milliseconds, std::memory_order_release);
    song->samples_left_in_tick = remaining;
    current_loops().convert(mix, out, XM_BLOCK_FRAMES * 2);
    xm_mixer.fill_index = (xm_mixer.fill_index + 1) % XM_BLOCK_COUNT;
    return out;
}
