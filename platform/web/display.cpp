// The display in a web page: the page's canvas, filling the browser's viewport at the
// screen's own pixel density. A frame goes into a canvas of its own size, is enlarged by
// nearest neighbour onto a second one and drawn filtered onto the page's canvas, as the
// desktop does it. The page's DOM events arrive through a queue that page.js fills while the
// program sleeps.
//
// Every present gives the page its turn: without it the browser would neither paint nor
// deliver input while frames follow each other (fixed-step runs never sleep).
#include "platform/display.h"

#include <emscripten.h>

#include <string>
#include <vector>

#include "platform/web/page.h"

namespace {

struct DisplayState {
    bool open = false;
    int width = 0, height = 0;
    std::vector<uint32_t> rows;   // the frame in the canvas's byte order, R first
    std::string error;
};

DisplayState display;

// A canvas's pixels are bytes R, G, B, A: read as a little-endian integer, red is lowest.
constexpr DisplayFormat CANVAS_FORMAT{32, 0x0000FF, 0x00FF00, 0xFF0000};

// Field order of one event as page.js writes it.
struct PageEvent {
    int32_t kind, x, y, button, steps, key, on, repeat, alt;
};

EM_JS(int, page_open, (int width, int height), { return KelvarinPage.open(width, height) ? 1 : 0; });
EM_JS(void, page_close, (), { KelvarinPage.close(); });
EM_JS(int, page_ask, (const char* text), { return window.confirm(UTF8ToString(text)) ? 1 : 0; });
EM_JS(void, page_full_screen, (int on), { KelvarinPage.fullScreen(on); });
EM_JS(void, page_size, (int* w, int* h), {
    var size = KelvarinPage.size();
    HEAP32[w >> 2] = size[0];
    HEAP32[h >> 2] = size[1];
});
EM_JS(void, page_present, (void* rows, int width, int height, int factor, int x, int y, int w, int h),
      { KelvarinPage.present(rows, width, height, factor, x, y, w, h); });
EM_JS(int, page_next_event, (PageEvent* out), { return KelvarinPage.nextEvent(out) ? 1 : 0; });

}  // namespace

DisplayOpen display_open(const char*, int width, int height, DisplayMode, bool)
{
    // The page's title is the issue's, set by the page; the mode is the page's too: the canvas
    // fills the viewport, and only the reader's own key can make the browser go full screen.
    if (display.open) {
        display.error = "the display is already open";
        return DisplayOpen::Failed;
    }
    display.error.clear();
    if (width <= 0 || height <= 0) {
        display.error = "the frame has no size";
        return DisplayOpen::Failed;
    }
    if (!page_open(width, height)) {
        display.error = "the page has no canvas to draw on";
        return DisplayOpen::Failed;
    }
    display.width = width;
    display.height = height;
    display.rows.assign(static_cast<size_t>(width) * height, 0);
    display.open = true;
    return DisplayOpen::Ok;
}

const char* display_error() { return display.error.c_str(); }

void display_close()
{
    if (!display.open) return;
    page_close();
    display.open = false;
}

bool display_ask(const char*, const char* text) { return page_ask(text) != 0; }

void display_set_mode(DisplayMode mode)
{
    if (display.open) page_full_screen(mode == DisplayMode::FullScreen);
}

// The browser paints when it is given its turn; there is no vertical blank to wait for.
void display_set_vsync(bool) {}

int display_vsync_hz() { return 0; }

void display_drawable_size(int* w, int* h)
{
    *w = *h = 0;
    if (display.open) page_size(w, h);
}

DisplayFormat display_format() { return CANVAS_FORMAT; }

void* display_lock(int* pitch)
{
    if (!display.open) return nullptr;
    *pitch = display.width * 4;
    return display.rows.data();
}

void display_present(int factor, const DisplayRect& dest)
{
    if (!display.open) return;
    page_present(display.rows.data(), display.width, display.height, factor, dest.x, dest.y, dest.w, dest.h);
    page_yield();
}

bool display_next_event(DisplayEvent& event)
{
    PageEvent e;
    if (!page_next_event(&e)) return false;
    event = DisplayEvent{static_cast<DisplayEventKind>(e.kind)};
    event.x = e.x;
    event.y = e.y;
    event.button = e.button;
    event.steps = e.steps;
    event.key = e.key;
    event.on = e.on != 0;
    event.repeat = e.repeat != 0;
    event.alt = e.alt != 0;
    return true;
}
