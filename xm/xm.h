// XM tracker module player: loader, playback engine, mixer and output.
//
// One output device, one current song and one output thread per process; the
// player's state lives in the module-level records declared at the end.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

constexpr int XM_OUTPUT_RATE = 44100;
constexpr int XM_BUFFER_MS = 1000;
constexpr int XM_MAX_CHANNELS = 32;
constexpr int XM_MIXED_VOICES = 64;
constexpr int XM_VOICE_RECORDS = 256;
constexpr int XM_MAX_SAMPLES = 16;
constexpr int XM_ENVELOPE_POINTS = 12;
constexpr int XM_ENVELOPE_ROOM = 20;
constexpr int XM_MAX_ORDERS = 256;
constexpr int XM_MAX_ROWS = 256;
constexpr int XM_MAX_PATTERNS = 256;
constexpr int XM_MAX_INSTRUMENTS = 128;
constexpr int XM_CELL_BYTES = 5;

// Block and ring sizes follow from the rate and buffer length.
constexpr int XM_BLOCK_FRAMES = (XM_OUTPUT_RATE * 20 / 1000 + 3) & ~3;
constexpr int XM_RING_FRAMES = (XM_BUFFER_MS / 20) * XM_BLOCK_FRAMES * 2;
constexpr int XM_BLOCK_COUNT = XM_RING_FRAMES / XM_BLOCK_FRAMES;
constexpr int XM_RAMP_FRAMES = (XM_OUTPUT_RATE * 128) / 44100;

enum : uint8_t { XM_LOOP_NONE = 1, XM_LOOP_FORWARD = 2, XM_LOOP_PINGPONG = 4 };
enum : uint8_t { XM_ENV_ON = 1, XM_ENV_SUSTAIN = 2, XM_ENV_LOOP = 4 };
enum : uint8_t {
    XM_UPDATE_FREQUENCY = 1,
    XM_UPDATE_VOLUME = 2,
    XM_UPDATE_PANNING = 4,
    XM_UPDATE_TRIGGER = 8,
    XM_UPDATE_RESTART = 32,
};
constexpr uint8_t XM_NOTE_OFF = 255;

// ---- source routines ------------------------------------------------------

using xm_open_fn = void* (*)(const char* name);
using xm_close_fn = void (*)(void* handle);
using xm_read_fn = uint32_t (*)(void* dst, uint32_t count, void* handle);
using xm_seek_fn = void (*)(void* handle, int32_t offset, int mode);
using xm_tell_fn = uint32_t (*)(void* handle);

struct xm_file_callbacks {
    xm_open_fn open;
    xm_close_fn close;
    xm_read_fn read;
    xm_seek_fn seek;
    xm_tell_fn tell;
};

// Fills dst with plain (not delta-coded) sample data of the given size.
using xm_sample_load_fn = void (*)(void* dst, uint32_t bytes, int bits, int instrument, int sample);

// ---- song records ---------------------------------------------------------

struct xm_sample {
    int16_t* data;        // length values plus 16 spare zero bytes; null when empty
    uint32_t length;      // in samples
    uint32_t loop_start;
    uint32_t loop_length;
    uint8_t volume;       // 0..64
    int8_t finetune;
    int32_t pan;          // 0..255
    uint8_t bits;
    uint8_t loop_mode;    // XM_LOOP_*
    int8_t relative_note;
};

struct xm_envelope_point {
    uint16_t x;  // tick
    uint16_t y;  // value
};

struct xm_instrument {
    uint32_t sample_count;
    xm_sample* samples[XM_MAX_SAMPLES];
    uint8_t key_map[96];
    xm_envelope_point volume_envelope[XM_ENVELOPE_ROOM];
    xm_envelope_point panning_envelope[XM_ENVELOPE_ROOM];
    uint8_t volume_points;
    uint8_t panning_points;
    uint8_t volume_sustain;
    uint8_t volume_loop_start;
    uint8_t volume_loop_end;
    uint8_t panning_sustain;
    uint8_t panning_loop_start;
    uint8_t panning_loop_end;
    uint8_t volume_type;
    uint8_t panning_type;
    uint8_t vibrato_type;
    uint8_t vibrato_sweep;
    uint8_t vibrato_depth;
    uint8_t vibrato_rate;
    uint16_t fadeout;  // twice the stored value
};

struct xm_pattern {
    uint32_t rows;
    uint8_t* cells;  // rows * channel count cells of 5 bytes
};

struct xm_song;
using xm_tick_fn = void (*)(xm_song*);

struct xm_song {
    xm_pattern* patterns;
    xm_instrument* instruments;
    int32_t samples_left_in_tick;
    int32_t samples_per_tick;
    int16_t song_length;
    int16_t restart_position;
    int16_t channel_count;
    int32_t used_pattern_count;
    int32_t pattern_table_size;
    int16_t instrument_count;
    uint16_t flags;  // bit 0: linear frequency table
    int16_t default_tempo;
    int16_t default_bpm;
    uint8_t order_table[XM_MAX_ORDERS];
    uint8_t initial_global_volume;
    int32_t global_volume;
    uint8_t global_volume_slide_memory;
    int32_t tick;
    int32_t speed;
    int32_t bpm;
    int32_t row;
    int32_t order;
    int32_t pattern_delay;
    int32_t next_row;
    int32_t next_order;
    uint32_t milliseconds;
    xm_tick_fn tick_routine;
    xm_sample_load_fn sample_load_hook;
    uint64_t missing_sample_bytes;  // sample data the file lacked at its end, loaded as silence
};

// Shared all-zero records for missing samples and out-of-range instruments.
extern xm_sample empty_sample;
extern xm_instrument empty_instrument;

// ---- mixer voice and engine channel ---------------------------------------

struct mix_voice {
    int32_t index;
    int32_t volume_set;
    int32_t frequency;
    int32_t pan_set;
    int32_t volume;  // working volume, 0..255 scale
    int32_t pan;     // working pan
    uint32_t start_offset;
    xm_sample* sample;  // null = idle
    int32_t left_gain;
    int32_t right_gain;
    uint32_t position;
    uint32_t fraction;
    uint32_t step_fraction;
    uint32_t step_integer;
    int32_t direction;  // 1 forward, 2 backward
    int32_t last_left_target;
    int32_t last_right_target;
    int32_t left_level;  // gain * 256
    int32_t right_level;
    float left_increment;
    float right_increment;
    int32_t ramp_frames_left;
};

struct xm_channel {
    uint8_t note;
    uint8_t update_flags;
    mix_voice* voice;
    xm_sample* sample;
    int32_t period;  // slides keep it between 56 and the period of 100 Hz
    int32_t volume;
    int32_t pan;     // 0 hard left .. 255 hard right
    int32_t volume_delta;
    int32_t period_delta;
    int32_t volume_envelope_tick;
    int32_t volume_envelope_point;
    int32_t volume_envelope_fixed;  // value * 65536
    int32_t volume_envelope_value;
    int32_t volume_envelope_step;
    uint8_t volume_envelope_stopped;
    int32_t panning_envelope_tick;
    int32_t panning_envelope_point;
    int32_t panning_envelope_fixed;
    int32_t panning_envelope_value;
    int32_t panning_envelope_step;
    uint8_t panning_envelope_stopped;
    int32_t fade_volume;
    int32_t auto_vibrato_position;
    int32_t auto_vibrato_sweep_position;
    uint8_t key_off;
    uint8_t instrument_index;
    uint8_t real_note;
    int32_t note_period;
    uint8_t last_effect;
    int32_t sample_offset_memory;
    uint8_t portamento_down_memory;
    uint8_t portamento_up_memory;
    uint8_t extra_fine_down_memory;
    uint8_t extra_fine_up_memory;
    uint8_t volume_slide_memory;
    uint8_t panning_slide_memory;
    uint8_t retrigger_volume_code;
    uint8_t retrigger_interval;
    int32_t portamento_target;
    uint8_t portamento_speed;
    int8_t vibrato_position;
    uint8_t vibrato_speed;
    uint8_t vibrato_depth;
    int8_t tremolo_position;
    uint8_t tremolo_speed;
    uint8_t tremolo_depth;
    uint8_t tremor_position;
    uint8_t tremor_on_ticks;
    uint8_t tremor_off_ticks;
    int32_t pattern_loop_row;
    int32_t pattern_loop_count;
    uint8_t wave_control;
    uint8_t fine_volume_slide_memory;
    uint8_t fine_portamento_up_memory;
    uint8_t fine_portamento_down_memory;
};

// Song position after a block was mixed; read by the program thread.
struct xm_block_position {
    std::atomic<uint8_t> order;
    std::atomic<uint8_t> row;
    std::atomic<uint32_t> milliseconds;
};

struct wave_device;
struct wave_buffer;

struct xm_engine_state {
    xm_channel channels[XM_MAX_CHANNELS];
    bool row_jumped;  // a Bxx ran earlier in the current row
};

struct worker;

// Which frame loops the mixer runs. Every path makes the same samples bit for
// bit; XM_MIX_BEST takes the fastest one the CPU has, the others force one
// path for the tests that compare them.
enum xm_mix_path : uint8_t { XM_MIX_BEST, XM_MIX_SCALAR, XM_MIX_SSE2, XM_MIX_AVX2 };

struct xm_mixer_state {
    mix_voice voices[XM_VOICE_RECORDS];
    xm_song* current_song;
    xm_block_position* position_table;
    int16_t* ring;            // ring frames * 2 values
    float* mix_buffer;        // ring frames * 2 values, 16-byte aligned
    void* mix_allocation;
    int fill_index;
    uint64_t mixed_frames;    // frames mixed into the ring since play, over all laps
    std::atomic<int> heard_index;
    std::atomic<uint8_t> busy;  // set while the output step mixes
    wave_device* device;
    wave_buffer* header;
    worker* output;           // runs the output step while the song plays
    uint64_t played_bytes;     // device position widened past its 32-bit wrap
    uint32_t last_device_bytes;
    xm_mix_path mix_path;
};

extern xm_file_callbacks xm_callbacks;
extern xm_engine_state xm_engine;
extern xm_mixer_state xm_mixer;

// ---- loader ---------------------------------------------------------------

void xm_set_file_callbacks(xm_open_fn open, xm_close_fn close, xm_read_fn read, xm_seek_fn seek,
                           xm_tell_fn tell);
// Null when the module cannot be loaded. A module whose last instrument's
// sample data ends early loads with the missing values silent and counted in
// missing_sample_bytes.
xm_song* xm_load_song(const char* name, xm_sample_load_fn hook);
bool xm_free_song(xm_song* song);

// In-memory source over mem_source (address and size set before loading).
struct memory_source {
    const unsigned char* address;
    uint32_t size;
};
extern memory_source mem_source;
void* mem_open(const char* name);
void mem_close(void* handle);
uint32_t mem_read(void* dst, uint32_t count, void* handle);
void mem_seek(void* handle, int32_t offset, int mode);
uint32_t mem_tell(void* handle);

// ---- engine ---------------------------------------------------------------

void xm_song_tick(xm_song* song);
void xm_set_bpm(xm_song* song, int bpm);
void xm_start_state(xm_song* song);  // start state of playback, voices assigned
void xm_reset_channel(xm_channel* ch, const xm_sample* s);
void xm_update_voice(xm_song* song, xm_channel* ch, xm_sample* s);
int xm_amiga_period(int note, int finetune);
int xm_linear_period(int note, int finetune);
// Waveform 0 sine, 1 ramp, 2 and 3 square, at position -32..31; 0..255.
int xm_waveform_value(int waveform, int position);
int xm_vibrato_delta(int position, int depth, int waveform);
int xm_auto_vibrato_value(int type, int position);

// ---- mixer and output -----------------------------------------------------

void xm_clear_voices();
void xm_mix(float* dst, int frames);
// Mixes the block at the fill index into the ring; returns that block's
// XM_BLOCK_FRAMES stereo frames.
const int16_t* xm_render_block();
// Prepares the song for rendering without a device (buffers, start state,
// no prefill); xm_render_block then renders it block by block.
bool xm_render_start(xm_song* song);
bool xm_play_song(xm_song* song);
bool xm_stop_song(xm_song* song);
int xm_get_order(const xm_song* song);
int xm_get_row(const xm_song* song);
uint32_t xm_get_time(const xm_song* song);
int16_t xm_clamp_sample(float value);
// Frames until a voice reaches its loop boundary or sample end.
uint64_t xm_frames_to_boundary(const mix_voice* v);

// The frame loops of one path. mix adds m frames of one voice into out
// (interleaved left, right), interpolated from 32.32 position pos moving by
// step, scaled by constant gains; mix_ramp scales frame i by gains[2i] and
// gains[2i + 1] instead. Both return the position after the m frames.
// convert rounds mix values to 16 bits with clamping, as xm_clamp_sample.
struct xm_frame_loops {
    int64_t (*mix)(const int16_t* d, float* out, int m, int64_t pos, int64_t step, float left_gain,
                   float right_gain);
    int64_t (*mix_ramp)(const int16_t* d, float* out, int m, int64_t pos, int64_t step, const float* gains);
    void (*convert)(const float* in, int16_t* out, int count);
};
extern const xm_frame_loops xm_scalar_loops;
// The vector loops of a path, or null when this build or CPU lacks them.
const xm_frame_loops* xm_vector_loops(xm_mix_path path);
// The loops xm_mix and xm_render_block run for a path; null for a path the
// CPU lacks.
const xm_frame_loops* xm_path_loops(xm_mix_path path);
// Widens a 32-bit byte position that wraps into a running 64-bit count.
uint64_t xm_widen_position(uint64_t played, uint32_t* last, uint32_t now);
