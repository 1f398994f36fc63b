// The presentation window: one output surface of a fixed size, full screen (the desktop,
// with the frame scaled to fit and black bars) or a window, that shows a whole 32-bit
// frame buffer per update and collects the mouse state from the window's events.
#pragma once
#include <cstdint>

#include "gfx/window_rows.h"

void window_set_dialog(uint8_t ask, const char* text, int32_t windowed, uint8_t borderless);
void window_allow_close(uint8_t flag);
int window_open(const char* title, int32_t width, int32_t height);
int window_update(const uint32_t* pixels);
void window_close();
int32_t window_mouse_x();
int32_t window_mouse_y();
int32_t window_left_button();
int32_t window_right_button();
int32_t window_wheel();
void window_set_wheel(int32_t step, int32_t value);
void window_set_flip_wait(int32_t flag);
void* window_handle();

// Where the frame lands inside the window's drawable area: the largest rectangle of the
// frame's aspect ratio that fits, centred.
struct WindowViewport {
    int x, y, w, h;
};
WindowViewport window_fit_viewport(int window_w, int window_h, int frame_w, int frame_h);
// A window position in frame-buffer pixels (may fall outside the frame, as the platform's
// own reports do during a capture).
void window_scale_mouse(const WindowViewport& view, int frame_w, int frame_h, int wx, int wy, int* fx, int* fy);

// Event entry points of the message handler; the event pump and scripted input use them.
// Positions are frame-buffer pixels.
void window_on_mouse_move(int x, int y);
void window_on_button(int left, int down);
void window_on_wheel(int delta);
void window_on_activate(int active);

// Hooks around each presented frame, for scripted and captured runs: before_pump runs just
// before a frame's events are pumped, after_present after it was presented. frame counts
// window_update calls from 0.
struct WindowHooks {
    void (*before_pump)(int frame);
    void (*after_present)(int frame, const uint32_t* pixels, int width, int height);
};
void window_set_hooks(const WindowHooks& hooks);
int window_frame_count();
// Starts the window instead of the full-screen display whatever the dialog configuration.
void window_force_windowed(bool windowed);
