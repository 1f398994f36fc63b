#include "gfx/frame.h"

uint32_t frame_buffer[FRAME_PIXELS + 1];
uint32_t background_buffer[FRAME_PIXELS];
double anim_phase = 0.0;
double intro_phase = 0.0;
double intro_step = 0.0;
