#include "gfx/window.h"

#include <algorithm>
#include <cmath>

#include "platform/clock.h"
#include "platform/keys.h"

WindowState window_state;

namespace {

WindowState& win = window_state;

const char* const DEFAULT_QUESTION = "Fullscreen Mode ?";

void toggle_fullscreen(WindowState& w)
{
    if (!w.open) return;
    w.windowed = w.windowed ? 0 : 1;
    display_set_mode(w.windowed ? DisplayMode::Window : DisplayMode::FullScreen);
}

void on_button(WindowState& w, int left, int down)
{
    if (left)
        w.left_button = down ? 1 : 0;
    else
        w.right_button = down ? 1 : 0;
}

void on_wheel(WindowState& w, int delta)
{
    if (delta >= 0)
        w.wheel += w.wheel_step;
    else
        w.wheel -= w.wheel_step;
}

void pointer_to_frame(WindowState& w, const DisplayEvent& e, int drawable_w, int drawable_h)
{
    int x, y;
    window_scale_mouse(window_fit_viewport(drawable_w, drawable_h, w.width, w.height), w.width, w.height, e.x, e.y,
                       &x, &y);
    w.mouse_x = x;
    w.mouse_y = y;
}

// The drawable's size; the frame's own while nothing is open.
void drawable_size(int* w, int* h)
{
    display_drawable_size(w, h);
    if (*w <= 0 || *h <= 0) {
        *w = win.width;
        *h = win.height;
    }
}

// The first drawable pixel at or after the one that shows frame position p, so that
// scaling it back gives p again wherever the frame is not shrunk.
int unscale(int p, int origin, int size, int frame)
{
    int64_t num = int64_t(p) * size;
    int64_t q = num / frame;
    if (num % frame != 0 && num > 0) ++q;
    return origin + static_cast<int>(q);
}

void on_key(WindowState& w, const DisplayEvent& e)
{
    if (e.on && !e.repeat && (e.key == VK_F11 || (e.key == VK_RETURN && e.alt))) {
        toggle_fullscreen(w);
        return;
    }
    // Alt+F4 closes a window on every desktop, also where no window manager says so.
    if (e.on && e.key == VK_F4 && e.alt) w.close_requested = true;
    key_event(e.key, e.on);
    if (e.on && e.key == VK_ESCAPE && w.allow_close) w.close_requested = true;
}

}  // namespace

void window_handle_event(WindowState& w, const DisplayEvent& e, int drawable_w, int drawable_h)
{
    switch (e.kind) {
    case DisplayEventKind::MouseMove: pointer_to_frame(w, e, drawable_w, drawable_h); break;
    case DisplayEventKind::Button:
        pointer_to_frame(w, e, drawable_w, drawable_h);
        on_button(w, e.button == DISPLAY_BUTTON_LEFT, e.on);
        break;
    case DisplayEventKind::Wheel: on_wheel(w, e.steps); break;
    case DisplayEventKind::Key: on_key(w, e); break;
    case DisplayEventKind::Focus:
        // A window on the desktop keeps showing its frames without the focus; the
        // full-screen display is given up.
        if (e.on || !w.windowed) w.active = e.on ? 1 : 0;
        break;
    case DisplayEventKind::Visible: w.active = e.on ? 1 : 0; break;
    case DisplayEventKind::Close: w.close_requested = true; break;
    }
}

void window_handle_event(const DisplayEvent& e)
{
    int dw, dh;
    drawable_size(&dw, &dh);
    window_handle_event(win, e, dw, dh);
}

DisplayEvent window_pointer_event(int x, int y)
{
    int dw, dh;
    drawable_size(&dw, &dh);
    WindowViewport v = window_fit_viewport(dw, dh, win.width, win.height);
    DisplayEvent e{DisplayEventKind::MouseMove};
    if (win.width <= 0 || win.height <= 0) return e;
    e.x = unscale(x, v.x, v.w, win.width);
    e.y = unscale(y, v.y, v.h, win.height);
    return e;
}

void window_set_dialog(uint8_t ask, const char* text, int32_t windowed, uint8_t borderless)
{
    win.ask = ask;
    win.borderless = borderless;
    win.question = (text && text[0]) ? text : DEFAULT_QUESTION;
    if (!ask) win.windowed = windowed;
}

void window_allow_close(uint8_t flag) { win.allow_close = flag; }

void window_force_windowed(bool windowed) { win.force_windowed = windowed; }

int window_open(const char* title, int32_t width, int32_t height)
{
    win.error = "";
    if (width <= 0 || height <= 0) {
        win.error = "the frame has no size";
        return 0;
    }
    win.width = width;
    win.height = height;
    if (win.ask) win.windowed = display_ask(title, win.question ? win.question : DEFAULT_QUESTION) ? 0 : 1;
    if (win.force_windowed) win.windowed = 1;

    DisplayMode mode = DisplayMode::FullScreen;
    if (win.windowed) mode = win.borderless && !win.force_windowed ? DisplayMode::BorderlessWindow : DisplayMode::Window;
    if (display_open(title, width, height, mode, win.flip_wait != 0) != DisplayOpen::Ok) {
        win.error = display_error();
        return 0;
    }
    DisplayFormat f = display_format();
    win.converter = find_row_converter(f.bits, f.red, f.green, f.blue);
    if (!win.converter) {
        display_close();
        win.error = "the display's pixel format has no converter";
        return 0;
    }
    win.open = true;
    // The window is created shown and in front: that is the first activation.
    win.active = 1;
    return 1;
}

const char* window_error() { return win.error; }

double pace_frame(FramePacer& p, double now, int vsync_hz)
{
    constexpr double interval = 1.0 / WINDOW_MAX_RATE;
    if (vsync_hz > 0 && vsync_hz <= WINDOW_MAX_RATE) {
        p.due = 0.0;
        return 0.0;
    }
    if (p.due <= 0.0 || now >= p.due + interval) {
        p.due = now + interval;
        return 0.0;
    }
    double wait = std::max(p.due - now, 0.0);
    p.due += interval;
    return wait;
}

int window_update(const uint32_t* pixels)
{
    // A fixed-step clock only moves per present: waiting would gain nothing.
    if (!clock_fixed_step()) {
        double wait = pace_frame(win.pacer, clock_seconds(), display_vsync_hz());
        if (wait > 0.0) sleep_ms(static_cast<int>(std::lround(wait * 1000.0)));
    }
    int frame = win.frames;
    if (win.hooks.before_pump) win.hooks.before_pump(frame);

    DisplayEvent e;
    while (display_next_event(e)) window_handle_event(e);

    int result = 1;
    if (win.active && win.open) {
        int pitch;
        void* rows = display_lock(&pitch);
        if (!rows) {
            result = 0;
        } else {
            convert_rows(win.converter, pixels, win.width, win.height, rows, pitch);
            int dw, dh;
            drawable_size(&dw, &dh);
            WindowScaling plan = window_scaling_plan(dw, dh, win.width, win.height);
            display_present(plan.factor, {plan.dest.x, plan.dest.y, plan.dest.w, plan.dest.h});
            sleep_ms(0);
        }
    }
    if (win.windowed) sleep_ms(1);

    ++win.frames;
    clock_frame_presented();
    if (win.hooks.after_present) win.hooks.after_present(frame, pixels, win.width, win.height);
    return result;
}

void window_close()
{
    display_close();
    win.open = false;
}

int32_t window_mouse_x() { return win.mouse_x; }
int32_t window_mouse_y() { return win.mouse_y; }
int32_t window_left_button() { return win.left_button; }
int32_t window_right_button() { return win.right_button; }
int32_t window_wheel() { return win.wheel; }
bool window_close_requested() { return win.close_requested; }

void window_set_wheel(int32_t step, int32_t value)
{
    win.wheel_step = step;
    win.wheel = value;
}

void window_set_flip_wait(int32_t flag)
{
    win.flip_wait = flag;
    display_set_vsync(flag != 0);
}

WindowViewport window_fit_viewport(int window_w, int window_h, int frame_w, int frame_h)
{
    if (window_w <= 0 || window_h <= 0 || frame_w <= 0 || frame_h <= 0) return {0, 0, frame_w, frame_h};
    // Compare aspect ratios in integers: window_w / window_h against frame_w / frame_h.
    int64_t lhs = int64_t(window_w) * frame_h, rhs = int64_t(window_h) * frame_w;
    WindowViewport v;
    if (lhs > rhs) {   // wider than the frame: bars left and right
        v.h = window_h;
        v.w = static_cast<int>(int64_t(window_h) * frame_w / frame_h);
    } else {           // taller: bars above and below
        v.w = window_w;
        v.h = static_cast<int>(int64_t(window_w) * frame_h / frame_w);
    }
    v.x = (window_w - v.w) / 2;
    v.y = (window_h - v.h) / 2;
    return v;
}

WindowScaling window_scaling_plan(int drawable_w, int drawable_h, int frame_w, int frame_h)
{
    WindowViewport dest = window_fit_viewport(drawable_w, drawable_h, frame_w, frame_h);
    if (frame_w <= 0 || frame_h <= 0) return {1, dest};
    return {std::max(1, std::min(dest.w / frame_w, dest.h / frame_h)), dest};
}

void window_scale_mouse(const WindowViewport& view, int frame_w, int frame_h, int wx, int wy, int* fx, int* fy)
{
    if (view.w <= 0 || view.h <= 0) {
        *fx = std::clamp(wx, 0, std::max(frame_w - 1, 0));
        *fy = std::clamp(wy, 0, std::max(frame_h - 1, 0));
        return;
    }
    auto scale = [](int p, int origin, int size, int frame) {
        int64_t num = int64_t(p - origin) * frame;
        return static_cast<int>(std::clamp<int64_t>(num / size, 0, std::max(frame - 1, 0)));
    };
    *fx = scale(wx, view.x, view.w, frame_w);
    *fy = scale(wy, view.y, view.h, frame_h);
}

void window_on_button(int left, int down) { on_button(win, left, down); }

void window_on_wheel(int delta) { on_wheel(win, delta); }

void window_set_hooks(const WindowHooks& hooks) { win.hooks = hooks; }

int window_frame_count() { return win.frames; }
