// The platform's window: one drawable on the desktop, a window or the whole screen at the
// desktop's own resolution, that shows frames of a fixed size handed over whole, and the
// queue of the input and window events that reach it. There is one per process; every call
// runs on the main thread.
//
// The presentation logic (where the frame lands, how the pointer maps into it, what a key
// means) lives above this layer; a backend only opens, uploads, scales as told and reports
// events. Positions are drawable pixels, origin top-left, and may lie outside the drawable
// while a button is held.
#pragma once
#include <cstdint>

enum class DisplayMode { Window, BorderlessWindow, FullScreen };

enum class DisplayOpen {
    Ok,
    Failed,      // the window or its renderer could not be made; display_error() says why
    NoDisplay,   // nothing to show on and the user chose no headless driver
};

// Layout of the rows display_lock hands out: bits per pixel and the channel masks of a
// pixel read as a little-endian integer.
struct DisplayFormat {
    int bits;
    uint32_t red, green, blue;
};

enum class DisplayEventKind {
    MouseMove,   // x, y
    Button,      // x, y, button, on = pressed
    Wheel,       // steps
    Key,         // key, on = pressed, repeat, alt
    Focus,       // on = the window gained the keyboard focus
    Visible,     // on = shown or restored, off = hidden or minimised
    Close,       // the close box, or the window manager asked the window to close
};

enum : int { DISPLAY_BUTTON_LEFT = 1, DISPLAY_BUTTON_RIGHT = 2 };

struct DisplayEvent {
    DisplayEventKind kind;
    int x = 0, y = 0;      // drawable pixels
    int button = 0;        // DISPLAY_BUTTON_*; other buttons are not reported
    int steps = 0;         // wheel steps, positive away from the reader; never 0
    int key = -1;          // virtual key of platform/keys.h; keys without one are not reported
    bool on = false;
    bool repeat = false;   // a key's auto-repeat
    bool alt = false;      // an Alt key was held with the key
};

struct DisplayRect {
    int x, y, w, h;
};

// Opens the drawable with a frame texture of width x height pixels. vsync asks presents to
// wait for the display's vertical blank where the platform can.
DisplayOpen display_open(const char* title, int width, int height, DisplayMode mode, bool vsync);
// Why the last open failed, as one line without a trailing newline; "" after a success.
const char* display_error();
// Releases everything open made; harmless when nothing is open.
void display_close();

// Shows a yes/no question before the drawable opens; true for yes. When no box can be shown
// the answer is yes.
bool display_ask(const char* title, const char* text);

// Switches between the window (given size, centred) and the full screen while open.
void display_set_mode(DisplayMode mode);
void display_set_vsync(bool on);
// The refresh rate (Hz) presents are held to by the vertical blank; 0 when presents do not
// wait for the display or its rate is unknown.
int display_vsync_hz();
// The drawable's size in pixels; 0 x 0 when nothing is open.
void display_drawable_size(int* w, int* h);

DisplayFormat display_format();
// The frame texture's rows for writing (pitch in bytes), or null when they cannot be had;
// a successful lock is ended by display_present.
void* display_lock(int* pitch);
// Shows the locked frame: enlarged by nearest neighbour to factor times its size, then
// filtered linearly onto dest (drawable pixels); the rest of the drawable is black.
void display_present(int factor, const DisplayRect& dest);

// Takes the next pending event without waiting; false when none is left.
bool display_next_event(DisplayEvent& event);
