// The page viewer: visible rows, scrolling, scroll bar, end-of-frame input sample, page wipes.
#pragma once
#include <cstdint>

#include "app/pages.h"

constexpr int VIEW_ROWS = 34;        // rows drawn, 0...33
constexpr int PAGE_ROWS = 33;        // one page step; the largest top line is line_count - 33
constexpr int WIPE_FRAMES = 75;

struct Viewer {
    int32_t top_line = 0;
    int32_t scroll_offset = 0;
    int32_t scrollbar_drag = 0;
    int32_t scrollbar_glow = 0;
    // Mouse sample taken at the end of the previous frame, and the click latch.
    int32_t mouse_x = 0;
    int32_t mouse_y = 0;
    int32_t mouse_button = 0;
    int32_t click_latch = 0;
    // Wheel counter readings of this frame and of the previous one.
    double wheel_current = 0.0;
    double wheel_previous = 0.0;
};

extern Viewer viewer;

// Live input seen by poll_input; keys are the raw query results (-32767 = newly pressed).
struct InputSample {
    int32_t mouse_x = 0;
    int32_t mouse_y = 0;
    int32_t left_button = 0;
    int16_t page_up = 0;
    int16_t page_down = 0;
    int16_t end = 0;
    int16_t home = 0;
};

// Line scrolling for one frame with the arrow key down or not.
void scroll_line_down(Viewer& v, const ViewLines& lines, bool key_down);
void scroll_line_up(Viewer& v, const ViewLines& lines, bool key_down);
// One frame of wheel scrolling given the window's wheel counter.
void scroll_wheel(Viewer& v, const ViewLines& lines, double wheel_counter);
// The same on the module state with the live keys and wheel.
void scroll_line_down();
void scroll_line_up();
void scroll_wheel();

void draw_view_rules(const Viewer& v, const ViewLines& lines, int32_t top);
void draw_view_text(const Viewer& v, const ViewLines& lines, int32_t top);
void draw_view_rules(int32_t top);
void draw_view_text(int32_t top);

void draw_scrollbar(const Viewer& v, const ViewLines& lines);
void draw_scrollbar();
// Hover, glow and dragging; sets the pointer mode.
void drag_scrollbar(Viewer& v, const ViewLines& lines);
void drag_scrollbar();

// End-of-frame sample: latch release, mouse sample, paging keys.
void poll_input(Viewer& v, const ViewLines& lines, const InputSample& in);
void poll_input();

// Whole frame without the interactive parts, and the two halves of the page transition.
void draw_page_frame();
void close_wipe();
void open_wipe();
// Black blind columns of one wipe frame, s being the wipe step (0...747).
void draw_wipe_blinds(int32_t s);
