// The display on SDL2: a window with a renderer, a streaming texture for the frame and, when
// the frame is enlarged by more than one whole step, a render target that holds the sharp
// enlargement before the last, filtered step onto the drawable.
#include "platform/display.h"

#include <SDL.h>

#include <cstring>
#include <string>

#include "platform/keys.h"

namespace {

struct DisplayState {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* frame = nullptr;      // width x height, written through display_lock
    SDL_Texture* enlarged = nullptr;   // frame x enlarged_factor, drawn nearest neighbour
    int enlarged_factor = 0;
    int width = 0, height = 0;
    bool video_started = false;
    bool accelerated = false;
    bool vsync = false;
    DisplayFormat format{};
    std::string error;
};

DisplayState display;

// Drivers SDL falls back to when it finds no display; they show nothing.
const char* const HEADLESS_DRIVERS[] = {"offscreen", "dummy"};
const char* const NO_DISPLAY_HINT = "to run without one, set SDL_VIDEODRIVER=dummy (and SDL_AUDIODRIVER=dummy)";

int virtual_key(SDL_Keycode key)
{
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_PAGEUP: return VK_PAGE_UP;
    case SDLK_PAGEDOWN: return VK_PAGE_DOWN;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_F4: return VK_F4;
    case SDLK_F11: return VK_F11;
    default: return -1;
    }
}

bool user_chose_driver()
{
    const char* chosen = SDL_getenv("SDL_VIDEODRIVER");
    return chosen && chosen[0];
}

bool headless_driver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return true;
    for (const char* name : HEADLESS_DRIVERS)
        if (std::strcmp(driver, name) == 0) return true;
    return false;
}

DisplayOpen fail(DisplayOpen result, const std::string& message)
{
    display.error = message;
    display_close();
    return result;
}

// A texture format the frame rows can be written in without help; SDL converts any other.
Uint32 choose_format()
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(display.renderer, &info) == 0)
        for (Uint32 want : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_ARGB8888})
            for (Uint32 i = 0; i < info.num_texture_formats; ++i)
                if (info.texture_formats[i] == want) return want;
    return SDL_PIXELFORMAT_RGB888;
}

void note_renderer()
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(display.renderer, &info) != 0) return;
    display.accelerated = (info.flags & SDL_RENDERER_ACCELERATED) != 0;
    display.vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
}

// Window coordinates into drawable pixels (they differ on high-density displays).
void to_drawable(int wx, int wy, int* x, int* y)
{
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(display.window, &ww, &wh);
    display_drawable_size(&dw, &dh);
    *x = (ww > 0 && dw != ww) ? static_cast<int>(int64_t(wx) * dw / ww) : wx;
    *y = (wh > 0 && dh != wh) ? static_cast<int>(int64_t(wy) * dh / wh) : wy;
}

bool ensure_enlarged(int factor)
{
    if (display.enlarged && display.enlarged_factor == factor) return true;
    if (display.enlarged) SDL_DestroyTexture(display.enlarged);
    display.enlarged = nullptr;
    display.enlarged_factor = 0;
    if (!SDL_RenderTargetSupported(display.renderer)) return false;
    Uint32 format;
    if (SDL_QueryTexture(display.frame, &format, nullptr, nullptr, nullptr) != 0) return false;
    display.enlarged = SDL_CreateTexture(display.renderer, format, SDL_TEXTUREACCESS_TARGET, display.width * factor,
                                         display.height * factor);
    if (!display.enlarged) return false;
    SDL_SetTextureBlendMode(display.enlarged, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(display.enlarged, SDL_ScaleModeLinear);
    display.enlarged_factor = factor;
    return true;
}

}  // namespace

DisplayOpen display_open(const char* title, int width, int height, DisplayMode mode, bool vsync)
{
    if (display.window) {
        display.error = "the display is already open";
        return DisplayOpen::Failed;
    }
    display.error.clear();
    if (width <= 0 || height <= 0) return fail(DisplayOpen::Failed, "the frame has no size");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (!user_chose_driver())
            return fail(DisplayOpen::NoDisplay, std::string("no display found (") + SDL_GetError() + "); " +
                                                    NO_DISPLAY_HINT);
        return fail(DisplayOpen::Failed, std::string("cannot start the video driver: ") + SDL_GetError());
    }
    display.video_started = true;
    // Without a display SDL quietly takes a driver that shows nothing, and an interactive
    // run would go on unseen for ever; only a user who chose such a driver gets one.
    if (!user_chose_driver() && headless_driver())
        return fail(DisplayOpen::NoDisplay, std::string("no display found; ") + NO_DISPLAY_HINT);

    display.width = width;
    display.height = height;
    Uint32 flags = SDL_WINDOW_SHOWN;
    if (mode == DisplayMode::FullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (mode == DisplayMode::BorderlessWindow) flags |= SDL_WINDOW_BORDERLESS;
    display.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!display.window) return fail(DisplayOpen::Failed, std::string("cannot open the window: ") + SDL_GetError());

    Uint32 render_flags = vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
    display.renderer = SDL_CreateRenderer(display.window, -1, render_flags | SDL_RENDERER_ACCELERATED);
    if (!display.renderer) display.renderer = SDL_CreateRenderer(display.window, -1, render_flags);
    if (!display.renderer) display.renderer = SDL_CreateRenderer(display.window, -1, SDL_RENDERER_SOFTWARE);
    if (!display.renderer) return fail(DisplayOpen::Failed, std::string("no renderer: ") + SDL_GetError());
    note_renderer();

    Uint32 format = choose_format();
    display.frame = SDL_CreateTexture(display.renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!display.frame) return fail(DisplayOpen::Failed, std::string("no frame texture: ") + SDL_GetError());
    // The top byte of a frame pixel means nothing; it must not be taken for transparency.
    SDL_SetTextureBlendMode(display.frame, SDL_BLENDMODE_NONE);
    int bits;
    Uint32 a;
    SDL_PixelFormatEnumToMasks(format, &bits, &display.format.red, &display.format.green, &display.format.blue, &a);
    display.format.bits = bits;
    SDL_DisableScreenSaver();
    return DisplayOpen::Ok;
}

const char* display_error() { return display.error.c_str(); }

void display_close()
{
    if (display.enlarged) SDL_DestroyTexture(display.enlarged);
    if (display.frame) SDL_DestroyTexture(display.frame);
    if (display.renderer) SDL_DestroyRenderer(display.renderer);
    if (display.window) SDL_DestroyWindow(display.window);
    display.enlarged = nullptr;
    display.enlarged_factor = 0;
    display.frame = nullptr;
    display.renderer = nullptr;
    display.window = nullptr;
    if (display.video_started) {
        SDL_EnableScreenSaver();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        display.video_started = false;
    }
}

bool display_ask(const char* title, const char* text)
{
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, nullptr, title, text, 2, buttons, nullptr};
    int answer = 1;
    if (SDL_ShowMessageBox(&box, &answer) != 0) answer = 1;
    return answer != 0;
}

void display_set_mode(DisplayMode mode)
{
    if (!display.window) return;
    SDL_SetWindowFullscreen(display.window, mode == DisplayMode::FullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (mode == DisplayMode::FullScreen) return;
    SDL_SetWindowBordered(display.window, mode == DisplayMode::Window ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowSize(display.window, display.width, display.height);
    SDL_SetWindowPosition(display.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void display_set_vsync(bool on)
{
    if (!display.renderer) return;
    SDL_RenderSetVSync(display.renderer, on ? 1 : 0);
    note_renderer();
}

int display_vsync_hz()
{
    // A software renderer may claim vsync without waiting for anything.
    if (!display.window || !display.vsync || !display.accelerated) return 0;
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(display.window, &mode) != 0) return 0;
    if (SDL_GetWindowFlags(display.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) {
        int index = SDL_GetWindowDisplayIndex(display.window);
        if (index < 0 || SDL_GetDesktopDisplayMode(index, &mode) != 0) return 0;
    }
    return mode.refresh_rate > 0 ? mode.refresh_rate : 0;
}

void display_drawable_size(int* w, int* h)
{
    *w = *h = 0;
    if (display.renderer && SDL_GetRendererOutputSize(display.renderer, w, h) == 0) return;
    if (display.window) SDL_GetWindowSize(display.window, w, h);
}

DisplayFormat display_format() { return display.format; }

void* display_lock(int* pitch)
{
    void* rows = nullptr;
    if (!display.frame || SDL_LockTexture(display.frame, nullptr, &rows, pitch) != 0) return nullptr;
    return rows;
}

void display_present(int factor, const DisplayRect& dest)
{
    if (!display.frame) return;
    SDL_UnlockTexture(display.frame);
    SDL_Rect to{dest.x, dest.y, dest.w, dest.h};
    SDL_Texture* source = display.frame;
    bool exact = dest.w == display.width * factor && dest.h == display.height * factor;
    if (factor > 1 && !exact && ensure_enlarged(factor)) {
        SDL_SetTextureScaleMode(display.frame, SDL_ScaleModeNearest);
        SDL_SetRenderTarget(display.renderer, display.enlarged);
        SDL_RenderCopy(display.renderer, display.frame, nullptr, nullptr);
        SDL_SetRenderTarget(display.renderer, nullptr);
        source = display.enlarged;
    } else {
        SDL_SetTextureScaleMode(display.frame, exact ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    }
    SDL_SetRenderDrawColor(display.renderer, 0, 0, 0, 255);
    SDL_RenderClear(display.renderer);
    SDL_RenderCopy(display.renderer, source, nullptr, &to);
    SDL_RenderPresent(display.renderer);
}

bool display_next_event(DisplayEvent& out)
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        out = DisplayEvent{DisplayEventKind::Close};
        switch (e.type) {
        case SDL_MOUSEMOTION:
            out.kind = DisplayEventKind::MouseMove;
            to_drawable(e.motion.x, e.motion.y, &out.x, &out.y);
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) break;
            out.kind = DisplayEventKind::Button;
            out.button = e.button.button == SDL_BUTTON_LEFT ? DISPLAY_BUTTON_LEFT : DISPLAY_BUTTON_RIGHT;
            out.on = e.type == SDL_MOUSEBUTTONDOWN;
            to_drawable(e.button.x, e.button.y, &out.x, &out.y);
            return true;
        case SDL_MOUSEWHEEL:
            out.kind = DisplayEventKind::Wheel;
            out.steps = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            if (out.steps == 0) break;
            return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            out.kind = DisplayEventKind::Key;
            out.key = virtual_key(e.key.keysym.sym);
            if (out.key < 0) break;
            out.on = e.type == SDL_KEYDOWN;
            out.repeat = e.key.repeat != 0;
            out.alt = (e.key.keysym.mod & KMOD_ALT) != 0;
            return true;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
            case SDL_WINDOWEVENT_FOCUS_GAINED:
            case SDL_WINDOWEVENT_FOCUS_LOST:
                out.kind = DisplayEventKind::Focus;
                out.on = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
                return true;
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_HIDDEN:
            case SDL_WINDOWEVENT_MINIMIZED:
                out.kind = DisplayEventKind::Visible;
                out.on = e.window.event == SDL_WINDOWEVENT_SHOWN || e.window.event == SDL_WINDOWEVENT_RESTORED;
                return true;
            case SDL_WINDOWEVENT_CLOSE: return true;
            default: break;
            }
            break;
        case SDL_QUIT: return true;
        default: break;
        }
    }
    return false;
}
