// The cursor and message boxes of the page: boxes are part of the page, so that they never
// hold up the program the way a modal dialog would.
#include "platform/platform.h"

#include <emscripten.h>

#include <cstdio>

namespace {

EM_JS(void, page_hide_cursor, (), { KelvarinPage.hideCursor(); });
EM_JS(void, page_show_box, (const char* title, const char* text),
      { KelvarinPage.showBox(UTF8ToString(title), UTF8ToString(text), false); });

}  // namespace

void platform_hide_cursor() { page_hide_cursor(); }

void platform_message_box(const char* title, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
    page_show_box(title ? title : "", text ? text : "");
}
