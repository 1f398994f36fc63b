#include "platform/wave.h"
wave_device* wave_open(wave_done_fn, void*, int* error) { if (error) *error = WAVE_NO_DEVICE; return nullptr; }
int wave_prepare(wave_device*, wave_buffer*) { return WAVE_BAD_DEVICE; }
int wave_unprepare(wave_device*, wave_buffer*) { return WAVE_BAD_DEVICE; }
int wave_write(wave_device*, wave_buffer*) { return WAVE_BAD_DEVICE; }
uint32_t wave_position(wave_device*) { return 0; }
int wave_pause(wave_device*) { return WAVE_BAD_DEVICE; }
int wave_restart(wave_device*) { return WAVE_BAD_DEVICE; }
int wave_reset(wave_device*) { return WAVE_BAD_DEVICE; }
int wave_close(wave_device*) { return WAVE_BAD_DEVICE; }
const char* wave_error_text(int) { return "no audio yet"; }
