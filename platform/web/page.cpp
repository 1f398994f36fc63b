#include "platform/web/page.h"

#include <emscripten.h>

namespace {

EM_ASYNC_JS(void, page_wait_js, (int ms), { await KelvarinPage.wait(ms); });
EM_JS(void, page_keep_frame_js, (const char* name, const uint32_t* pixels, int width, int height),
      { KelvarinPage.keepCapture(UTF8ToString(name), pixels, width, height); });

}  // namespace

void page_wait(int ms) { page_wait_js(ms); }

void page_yield() { page_wait_js(0); }

void page_keep_frame(const char* name, const uint32_t* pixels, int width, int height)
{
    page_keep_frame_js(name, pixels, width, height);
}
