// The presentation window: one output surface of a fixed size, full screen (the desktop,
// with the frame scaled to fit and black bars) or a window, that shows a whole 32-bit
// frame buffer per update and collects the mouse state from the window's events.
//
// This is the presentation logic only; the platform's window behind it is platform/display.h.
// The window never ends the process: a close request is recorded for the program to act on.
#pragma once
#include <cstdint>

#include "gfx/window_rows.h"
#include "platform/display.h"

void window_set_dialog(uint8_t ask, const char* text, int32_t windowed, uint8_t borderless);
void window_allow_close(uint8_t flag);
// 1 on success; 0 on failure, with the reason in window_error().
int window_open(const char* title, int32_t width, int32_t height);
const char* window_error();
int window_update(const uint32_t* pixels);
void window_close();
int32_t window_mouse_x();
int32_t window_mouse_y();
int32_t window_left_button();
int32_t window_right_button();
int32_t window_wheel();
void window_set_wheel(int32_t step, int32_t value);
void window_set_flip_wait(int32_t flag);
// True once the window was asked to close (its close box, Alt+F4, the window manager), or
// Escape was pressed while closing by Escape is allowed.
bool window_close_requested();

// Where the frame lands inside the window's drawable area: the largest rectangle of the
// frame's aspect ratio that fits, centred.
struct WindowViewport {
    int x, y, w, h;
};
WindowViewport window_fit_viewport(int window_w, int window_h, int frame_w, int frame_h);

// How the frame reaches the drawable, as emulators of pixel art do it: enlarged by nearest
// neighbour to the largest whole factor that fits (at least 1), then filtered linearly the
// rest of the way onto dest (window_fit_viewport). Every stroke of a glyph keeps one width
// and edges stay sharp, where a non-integer nearest-neighbour step makes strokes uneven.
struct WindowScaling {
    int factor;
    WindowViewport dest;
};
WindowScaling window_scaling_plan(int drawable_w, int drawable_h, int frame_w, int frame_h);
// A drawable position in frame-buffer pixels, clamped to the frame: a pointer in the black
// bars, or outside the window while a button is held, stays on the nearest edge.
void window_scale_mouse(const WindowViewport& view, int frame_w, int frame_h, int wx, int wy, int* fx, int* fy);

// Frame pacing: at most WINDOW_MAX_RATE presents a second whatever the display does, so that
// what moves per frame (key scrolling, wipes, glows) keeps its speed on a 144 Hz display and
// on one without vsync alike.
constexpr int WINDOW_MAX_RATE = 60;
struct FramePacer {
    double due = 0.0;   // clock seconds the next present may come at; 0 = start afresh
};
// Seconds to wait before presenting at clock time now, with the schedule moved on to the next
// frame. vsync_hz is the rate presents are held to by the display (0: they are not held); a
// display at or below the limit sets the pace itself. A present late by a whole frame or more
// starts the schedule afresh rather than hurrying to catch up.
double pace_frame(FramePacer& pacer, double now, int vsync_hz);

// Hooks around each presented frame, for scripted and captured runs: before_pump runs just
// before a frame's events are pumped, after_present after it was presented. frame counts
// window_update calls from 0.
struct WindowHooks {
    void (*before_pump)(int frame);
    void (*after_present)(int frame, const uint32_t* pixels, int width, int height);
};

struct WindowState {
    int32_t width = 0, height = 0;   // frame size given to window_open
    int32_t windowed = 1;            // 1 = a window on the desktop, 0 = full screen
    uint8_t ask = 0;                 // ask the full-screen question during open
    const char* question = nullptr;
    uint8_t borderless = 0;          // a window without frame or caption
    uint8_t allow_close = 1;         // Escape is taken as a close request
    int32_t flip_wait = 1;           // presents wait for the vertical blank where they can
    int32_t wheel_step = 1;          // added or taken per wheel event, whatever its size
    int32_t wheel = 0;
    int32_t mouse_x = 0, mouse_y = 0;   // frame pixels
    int32_t left_button = 0, right_button = 0;
    int32_t active = 0;              // frames are presented only while non-zero
    bool close_requested = false;
    bool force_windowed = false;     // open a window whatever the dialog configuration
    bool open = false;
    row_converter converter = nullptr;   // frame rows into the display's pixel format
    const char* error = "";
    WindowHooks hooks{};
    FramePacer pacer;
    int frames = 0;                  // window_update calls so far
};

extern WindowState window_state;

// The event handler: what one platform event does to the state. drawable_w and drawable_h
// are the drawable's size at the time, which places the frame for pointer positions.
void window_handle_event(WindowState& w, const DisplayEvent& e, int drawable_w, int drawable_h);
void window_handle_event(const DisplayEvent& e);

// A pointer move to frame pixel x, y as the platform reports one, in drawable pixels, so
// that scripted moves take the path of real ones (positions outside the frame included).
DisplayEvent window_pointer_event(int x, int y);
// Entry points of scripted input, in frame terms.
void window_on_button(int left, int down);
void window_on_wheel(int delta);

void window_set_hooks(const WindowHooks& hooks);
int window_frame_count();
// Starts the window instead of the full-screen display whatever the dialog configuration.
void window_force_windowed(bool windowed);
