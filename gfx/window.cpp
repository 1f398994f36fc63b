#include "gfx/window.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/keys.h"

namespace {

struct WindowState {
    int32_t width = 0, height = 0;
    int32_t windowed = 1;
    uint8_t ask = 0;
    const char* question = nullptr;
    uint8_t borderless = 0;
    uint8_t allow_close = 1;
    int32_t flip_wait = 1;
    int32_t wheel_step = 1;
    int32_t wheel = 0;
    int32_t mouse_x = 0, mouse_y = 0;
    int32_t left_button = 0, right_button = 0;
    int32_t active = 0;
    row_converter converter = nullptr;

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool video_started = false;
    bool force_windowed = false;
    WindowHooks hooks{};
    int frames = 0;
};

WindowState win;

int virtual_key(SDL_Keycode key)
{
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_PAGEUP: return VK_PAGE_UP;
    case SDLK_PAGEDOWN: return VK_PAGE_DOWN;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    default: return -1;
    }
}

void close_command()
{
    if (!win.allow_close) return;
    window_close();
    std::exit(0);
}

void toggle_fullscreen()
{
    if (!win.window) return;
    bool full = (SDL_GetWindowFlags(win.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(win.window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (full) {
        SDL_SetWindowSize(win.window, win.width, win.height);
        SDL_SetWindowPosition(win.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    win.windowed = full ? 1 : 0;
}

WindowViewport current_viewport()
{
    int w = win.width, h = win.height;
    if (win.window) SDL_GetWindowSize(win.window, &w, &h);
    return window_fit_viewport(w, h, win.width, win.height);
}

void handle_event(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_MOUSEMOTION: {
        int fx, fy;
        window_scale_mouse(current_viewport(), win.width, win.height, e.motion.x, e.motion.y, &fx, &fy);
        window_on_mouse_move(fx, fy);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT || e.button.button == SDL_BUTTON_RIGHT) {
            int fx, fy;
            window_scale_mouse(current_viewport(), win.width, win.height, e.button.x, e.button.y, &fx, &fy);
            window_on_mouse_move(fx, fy);
            window_on_button(e.button.button == SDL_BUTTON_LEFT, e.type == SDL_MOUSEBUTTONDOWN);
        }
        break;
    case SDL_MOUSEWHEEL: {
        int delta = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
        if (delta != 0) window_on_wheel(delta);
        break;
    }
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED: window_on_activate(1); break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // A window on the desktop keeps showing its frames without the focus; the
            // full-screen display is given up.
            if (!win.windowed) window_on_activate(0);
            break;
        case SDL_WINDOWEVENT_HIDDEN:
        case SDL_WINDOWEVENT_MINIMIZED: window_on_activate(0); break;
        default: break;
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        bool down = e.type == SDL_KEYDOWN;
        SDL_Keycode key = e.key.keysym.sym;
        if (down && !e.key.repeat &&
            (key == SDLK_F11 || (key == SDLK_RETURN && (e.key.keysym.mod & KMOD_ALT)))) {
            toggle_fullscreen();
            break;
        }
        int vk = virtual_key(key);
        if (vk >= 0) key_event(vk, down);
        if (down && vk == VK_ESCAPE) close_command();
        break;
    }
    case SDL_QUIT: close_command(); break;
    default: break;
    }
}

bool choose_texture_format(Uint32* format_out)
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(win.renderer, &info) != 0) return false;
    // Prefer a format that needs no conversion, then any the renderer lists.
    static const Uint32 preferred[] = {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_ARGB8888};
    for (Uint32 want : preferred)
        for (Uint32 i = 0; i < info.num_texture_formats; ++i)
            if (info.texture_formats[i] == want) {
                *format_out = want;
                win.converter = row_copy_32;
                return true;
            }
    for (Uint32 i = 0; i < info.num_texture_formats; ++i) {
        int bpp;
        Uint32 r, g, b, a;
        if (!SDL_PixelFormatEnumToMasks(info.texture_formats[i], &bpp, &r, &g, &b, &a)) continue;
        if (row_converter c = find_row_converter(bpp, r, g, b)) {
            *format_out = info.texture_formats[i];
            win.converter = c;
            return true;
        }
    }
    return false;
}

}  // namespace

void window_set_dialog(uint8_t ask, const char* text, int32_t windowed, uint8_t borderless)
{
    win.ask = ask;
    win.borderless = borderless;
    win.question = (text && text[0]) ? text : "Fullscreen Mode ?";
    if (!ask) win.windowed = windowed;
}

void window_allow_close(uint8_t flag) { win.allow_close = flag; }

void window_force_windowed(bool windowed) { win.force_windowed = windowed; }

int window_open(const char* title, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) return 0;
    win.width = width;
    win.height = height;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 0;
    win.video_started = true;

    if (win.ask) {
        const SDL_MessageBoxButtonData buttons[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
        };
        SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, nullptr, title, win.question, 2, buttons, nullptr};
        int answer = 1;
        if (SDL_ShowMessageBox(&box, &answer) != 0) answer = 1;
        win.windowed = answer == 0 ? 1 : 0;
    }
    if (win.force_windowed) win.windowed = 1;

    Uint32 flags = SDL_WINDOW_SHOWN;
    if (!win.windowed)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    else if (win.borderless && !win.force_windowed)
        flags |= SDL_WINDOW_BORDERLESS;
    win.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!win.window) return 0;

    Uint32 render_flags = win.flip_wait ? SDL_RENDERER_PRESENTVSYNC : 0;
    win.renderer = SDL_CreateRenderer(win.window, -1, render_flags | SDL_RENDERER_ACCELERATED);
    if (!win.renderer) win.renderer = SDL_CreateRenderer(win.window, -1, render_flags);
    if (!win.renderer) win.renderer = SDL_CreateRenderer(win.window, -1, SDL_RENDERER_SOFTWARE);
    if (!win.renderer) return 0;

    Uint32 format;
    if (!choose_texture_format(&format)) return 0;
    win.texture = SDL_CreateTexture(win.renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!win.texture) return 0;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    SDL_DisableScreenSaver();
    // The window is created shown and in front: that is the first activation.
    win.active = 1;
    return 1;
}

int window_update(const uint32_t* pixels)
{
    int frame = win.frames;
    if (win.hooks.before_pump) win.hooks.before_pump(frame);

    SDL_Event e;
    while (SDL_PollEvent(&e)) handle_event(e);

    int result = 1;
    if (win.active && win.texture) {
        void* target;
        int pitch;
        if (SDL_LockTexture(win.texture, nullptr, &target, &pitch) != 0) {
            result = 0;
        } else {
            convert_rows(win.converter, pixels, win.width, win.height, target, pitch);
            SDL_UnlockTexture(win.texture);
            WindowViewport v = current_viewport();
            SDL_Rect dest{v.x, v.y, v.w, v.h};
            SDL_SetRenderDrawColor(win.renderer, 0, 0, 0, 255);
            SDL_RenderClear(win.renderer);
            SDL_RenderCopy(win.renderer, win.texture, nullptr, &dest);
            SDL_RenderPresent(win.renderer);
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
    if (win.texture) SDL_DestroyTexture(win.texture);
    if (win.renderer) SDL_DestroyRenderer(win.renderer);
    if (win.window) SDL_DestroyWindow(win.window);
    win.texture = nullptr;
    win.renderer = nullptr;
    win.window = nullptr;
    if (win.video_started) {
        SDL_EnableScreenSaver();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        win.video_started = false;
    }
}

int32_t window_mouse_x() { return win.mouse_x; }
int32_t window_mouse_y() { return win.mouse_y; }
int32_t window_left_button() { return win.left_button; }
int32_t window_right_button() { return win.right_button; }
int32_t window_wheel() { return win.wheel; }

void window_set_wheel(int32_t step, int32_t value)
{
    win.wheel_step = step;
    win.wheel = value;
}

void window_set_flip_wait(int32_t flag)
{
    win.flip_wait = flag;
    if (win.renderer) SDL_RenderSetVSync(win.renderer, flag ? 1 : 0);
}

void* window_handle() { return win.window; }

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

void window_scale_mouse(const WindowViewport& view, int frame_w, int frame_h, int wx, int wy, int* fx, int* fy)
{
    if (view.w <= 0 || view.h <= 0) {
        *fx = wx;
        *fy = wy;
        return;
    }
    // Floor division, so that positions left of or above the frame stay negative.
    auto scale = [](int p, int origin, int size, int frame) {
        int64_t num = int64_t(p - origin) * frame;
        int64_t q = num / size;
        if (num % size != 0 && num < 0) --q;
        return static_cast<int>(q);
    };
    *fx = scale(wx, view.x, view.w, frame_w);
    *fy = scale(wy, view.y, view.h, frame_h);
}

void window_on_mouse_move(int x, int y)
{
    // As 16-bit unsigned coordinates, the way the platform packs them into one message.
    win.mouse_x = static_cast<uint16_t>(x);
    win.mouse_y = static_cast<uint16_t>(y);
}

void window_on_button(int left, int down)
{
    if (left)
        win.left_button = down ? 1 : 0;
    else
        win.right_button = down ? 1 : 0;
}

void window_on_wheel(int delta)
{
    if (delta >= 0)
        win.wheel += win.wheel_step;
    else
        win.wheel -= win.wheel_step;
}

void window_on_activate(int active) { win.active = active ? 1 : 0; }

void window_set_hooks(const WindowHooks& hooks) { win.hooks = hooks; }

int window_frame_count() { return win.frames; }
