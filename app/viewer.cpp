#include "app/viewer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/menus.h"
#include "app/run.h"
#include "app/spine.h"
#include "app/text.h"
#include "gfx/assets.h"
#include "gfx/bars.h"
#include "gfx/frame.h"
#include "gfx/scroller.h"
#include "gfx/window.h"
#include "platform/clock.h"
#include "platform/keys.h"

Viewer viewer;

namespace {

constexpr int LINE_STEP = 6;           // pixels per frame of arrow scrolling
constexpr int LINE_HEIGHT = 12;
constexpr int UP_THRESHOLD = 11;
constexpr int WHEEL_LINES = 4;
constexpr int ROW_TOP = 180;           // top of view row 0 at scroll offset 0
constexpr int RULE_CENTRE = 186;       // centre row of view row 0's rule
constexpr int RULE_ROW_ABOVE = 192;    // a rule is drawn only strictly between these rows
constexpr int RULE_ROW_BELOW = 582;
constexpr int RULE_X = 20;
constexpr int RULE_LENGTH = 745;
constexpr int TEXT_X = 23;
constexpr int OPAQUE_FIRST_ROW = 1;    // rows 1...31 may use the opaque glyph path
constexpr int OPAQUE_LAST_ROW = 31;
constexpr int CLIP_RIGHT = 800;

constexpr int THUMB_X = 779;
constexpr int THUMB_TOP = 195;
constexpr double TRACK_SPAN = 361.0;
constexpr int THUMB_WIDTH = 8;
constexpr int THUMB_HEIGHT = 20;
constexpr int STRIP_TOP = 200;         // hit strip 200 < y < 561, 775 < x < 791
constexpr int STRIP_BOTTOM = 561;
constexpr int STRIP_LEFT = 775;
constexpr int STRIP_RIGHT = 791;
constexpr int GLOW_MAX = 125;
constexpr int GLOW_STEP = 5;

constexpr int MOUSE_X_MAX = 789;
constexpr int MOUSE_Y_MAX = 589;
constexpr int16_t NEWLY_PRESSED = -32767;

constexpr int WIPE_LEFT = 20;
constexpr int WIPE_RIGHT = 767;
constexpr int WIPE_TOP = 192;
constexpr int WIPE_BOTTOM = 580;
constexpr int WIPE_STEP = 10;
constexpr int WIPE_CLOSE_LAST = 740;
constexpr int WIPE_OPEN_FIRST = 747;
constexpr int WIPE_OPEN_LAST = 7;
constexpr double ANIM_RATE = 250.0;
constexpr int MUSIC_BUTTON = 6;

inline int32_t last_top(const ViewLines& lines) {
    return lines.line_count - PAGE_ROWS;
}

inline int32_t clamp_top(double t, const ViewLines& lines) {
    const double hi = std::max(0, last_top(lines));
    return static_cast<int32_t>(std::clamp(t, 0.0, hi));
}

inline bool valid_line(int64_t l) {
    return l >= 0 && l <= PAGE_LAST_LINE;
}

}  // namespace

void scroll_line_down(Viewer& v, const ViewLines& lines, bool key_down) {
    if (!key_down || v.top_line >= last_top(lines))
        return;
    v.scroll_offset -= LINE_STEP;
    if (v.scroll_offset <= 0) {
        v.top_line = std::min(v.top_line + 1, last_top(lines));
        v.scroll_offset += LINE_HEIGHT;
    }
}

void scroll_line_up(Viewer& v, const ViewLines&, bool key_down) {
    if (!key_down || v.top_line <= 0)
        return;
    v.scroll_offset += LINE_STEP;
    if (v.scroll_offset >= UP_THRESHOLD) {
        v.top_line = std::max(v.top_line - 1, 0);
        v.scroll_offset -= LINE_HEIGHT;
    }
}

void scroll_wheel(Viewer& v, const ViewLines& lines, double wheel_counter) {
    v.wheel_previous = v.wheel_current;
    v.wheel_current = wheel_counter;
    if (v.wheel_current < v.wheel_previous && v.top_line < last_top(lines)) {
        const double step = std::floor((v.wheel_previous - v.wheel_current) * WHEEL_LINES);
        v.top_line = static_cast<int32_t>(std::min<double>(v.top_line + step, last_top(lines)));
    }
    if (v.wheel_current > v.wheel_previous && v.top_line > 0) {
        const double step = std::floor((v.wheel_current - v.wheel_previous) * WHEEL_LINES);
        v.top_line = static_cast<int32_t>(std::max<double>(v.top_line - step, 0.0));
    }
}

void scroll_line_down() {
    scroll_line_down(viewer, view, key_query(VK_DOWN) != 0);
}

void scroll_line_up() {
    scroll_line_up(viewer, view, key_query(VK_UP) != 0);
}

void scroll_wheel() {
    scroll_wheel(viewer, view, window_wheel());
}

void draw_view_rules(const Viewer& v, const ViewLines& lines, int32_t top) {
    for (int i = 0; i < VIEW_ROWS; ++i) {
        const int32_t yc = v.scroll_offset + RULE_CENTRE + LINE_HEIGHT * i;
        const int64_t l = int64_t{top} + i;
        if (yc > RULE_ROW_ABOVE && yc < RULE_ROW_BELOW && valid_line(l))
            draw_rule(yc, RULE_X, RULE_LENGTH, lines.rule_kind[l]);
    }
}

void draw_view_text(const Viewer& v, const ViewLines& lines, int32_t top) {
    for (int i = 0; i < VIEW_ROWS; ++i) {
        const int64_t l = int64_t{top} + i;
        if (l >= lines.line_count || !valid_line(l))
            continue;
        const int32_t y = v.scroll_offset + ROW_TOP + LINE_HEIGHT * i;
        const bool opaque = i >= OPAQUE_FIRST_ROW && i <= OPAQUE_LAST_ROW && lines.rule_plain[l];
        const uint8_t* ch = lines.character[l];
        for (int k = 0; k < VIEW_COLUMNS; ++k) {
            // Empty cells and codes up to the space draw nothing in either path.
            if (ch[k] <= ' ')
                continue;
            const char c = static_cast<char>(ch[k]);
            const std::string_view s(&c, 1);
            const int32_t x = TEXT_X + GLYPH_WIDTH * k;
            if (opaque)
                draw_glyph_view(s, x, y, lines.style[l][k], lines.colour[l][k]);
            else
                draw_glyph_clipped(s, x, y, 0, CLIP_RIGHT, VIEW_TEXT_TOP, VIEW_TEXT_BOTTOM, lines.style[l][k],
                                   lines.colour[l][k]);
        }
    }
}

void draw_view_rules(int32_t top) {
    draw_view_rules(viewer, view, top);
}

void draw_view_text(int32_t top) {
    draw_view_text(viewer, view, top);
}

void draw_scrollbar(const Viewer& v, const ViewLines& lines) {
    if (lines.line_count <= PAGE_ROWS)
        return;
    const double pos = THUMB_TOP + (TRACK_SPAN / (lines.line_count - PAGE_ROWS)) * v.top_line;
    const int32_t y = static_cast<int32_t>(std::nearbyint(pos));
    blend_box(THUMB_X, y, THUMB_WIDTH, THUMB_HEIGHT, 80, 100, 150, 250);
    blend_box(THUMB_X, y, THUMB_WIDTH, THUMB_HEIGHT, v.scrollbar_glow, 100, 100, 150);
}

void draw_scrollbar() {
    draw_scrollbar(viewer, view);
}

void drag_scrollbar(Viewer& v, const ViewLines& lines) {
    if (v.mouse_button == 0)
        v.scrollbar_drag = 0;
    const bool over = v.mouse_y > STRIP_TOP && v.mouse_y < STRIP_BOTTOM && v.mouse_x > STRIP_LEFT &&
                      v.mouse_x < STRIP_RIGHT;
    if (over || v.scrollbar_drag == 1) {
        if (lines.line_count > PAGE_ROWS)
            assets.pointer_mode = POINTER_HOVER;
        if (v.mouse_button == 1 || v.scrollbar_drag == 1)
            assets.pointer_mode = POINTER_NORMAL;
        if (v.mouse_button == 1) {
            v.scrollbar_drag = 1;
            const double t = double(v.mouse_y - STRIP_TOP) * (lines.line_count - PAGE_ROWS) / TRACK_SPAN;
            v.top_line = clamp_top(std::nearbyint(t), lines);
        }
        if (v.scrollbar_glow < GLOW_MAX)
            v.scrollbar_glow += GLOW_STEP;
    } else if (v.scrollbar_glow > 0) {
        v.scrollbar_glow -= GLOW_STEP;
    }
}

void drag_scrollbar() {
    drag_scrollbar(viewer, view);
}

void poll_input(Viewer& v, const ViewLines& lines, const InputSample& in) {
    if (in.left_button == 0 && v.click_latch == 1)
        v.click_latch = 0;
    v.mouse_x = std::clamp(in.mouse_x, 1, MOUSE_X_MAX);
    v.mouse_y = std::clamp(in.mouse_y, 1, MOUSE_Y_MAX);
    v.mouse_button = in.left_button;
    if (in.page_up == NEWLY_PRESSED && v.top_line >= 1)
        v.top_line = std::max(v.top_line - PAGE_ROWS, 0);
    if (in.page_down == NEWLY_PRESSED && v.top_line < last_top(lines))
        v.top_line = std::min(v.top_line + PAGE_ROWS, last_top(lines));
    if (in.end == NEWLY_PRESSED)
        v.top_line = std::max(last_top(lines), 0);
    if (in.home == NEWLY_PRESSED)
        v.top_line = 0;
}

void poll_input() {
    InputSample in;
    in.mouse_x = window_mouse_x();
    in.mouse_y = window_mouse_y();
    in.left_button = window_left_button();
    // Every paging key is queried each frame so that a press is seen in the frame after it.
    in.page_up = key_query(VK_PAGE_UP);
    in.page_down = key_query(VK_PAGE_DOWN);
    in.end = key_query(VK_END);
    in.home = key_query(VK_HOME);
    poll_input(viewer, view, in);
}

void draw_page_frame() {
    std::memcpy(frame_buffer, background_buffer, sizeof background_buffer);
    draw_buttons();
    draw_menus();
    draw_view_rules(viewer.top_line);
    draw_view_text(viewer.top_line);
    if (assets.buttons.state[MUSIC_BUTTON] == 0)
        draw_music_bars();
    draw_song_scroller();
}

void draw_wipe_blinds(int32_t s) {
    s = std::clamp(s, 0, WIPE_RIGHT - WIPE_LEFT);
    for (int y = WIPE_TOP; y <= WIPE_BOTTOM; ++y) {
        uint32_t* row = &frame_buffer[y * FRAME_WIDTH];
        for (int k = 0; k <= s; k += 2) {
            row[WIPE_LEFT + k] = 0;
            row[WIPE_RIGHT - k] = 0;
        }
    }
}

namespace {

void wipe_frame(int32_t s) {
    frame_start = clock_seconds();
    draw_page_frame();
    draw_wipe_blinds(s);
    window_update(frame_buffer);
    sleep_ms(1);
    anim_phase += (clock_seconds() - frame_start) * ANIM_RATE;
}

}  // namespace

// A wipe lasts longer than a request to end may wait, so it gives way to one.
void close_wipe() {
    for (int s = 0; s <= WIPE_CLOSE_LAST && !end_requested(); s += WIPE_STEP)
        wipe_frame(s);
}

void open_wipe() {
    for (int s = WIPE_OPEN_FIRST; s >= WIPE_OPEN_LAST && !end_requested(); s -= WIPE_STEP)
        wipe_frame(s);
}
