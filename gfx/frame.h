// The picture shared by every drawing stage, and the animation clocks that drive it.
#pragma once
#include <cstdint>

constexpr int FRAME_WIDTH = 800;
constexpr int FRAME_HEIGHT = 600;
constexpr int FRAME_PIXELS = FRAME_WIDTH * FRAME_HEIGHT;

// Pixel (x, y) at y * 800 + x, 0x00RRGGBB; one spare element past the end.
extern uint32_t frame_buffer[FRAME_PIXELS + 1];
// The decoded panel picture, copied over the frame buffer at the start of each magazine frame.
extern uint32_t background_buffer[FRAME_PIXELS];

// Magazine animation clock: +250 per second of measured frame time.
extern double anim_phase;
// Intro animation clock (+6 per second) and the last intro frame's increment of it.
extern double intro_phase;
extern double intro_step;
