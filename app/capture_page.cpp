// Captures in the web page, which has no files anyone could read: the frame goes to the page
// under the capture's name, where scripts take it (window.kelvarin.captures).
#include "app/capture.h"

#include "platform/web/page.h"

bool write_png(const std::string& path, const uint32_t* pixels, int width, int height, std::string&)
{
    page_keep_frame(path.c_str(), pixels, width, height);
    return true;
}
