#include "platform/platform.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>

void platform_hide_cursor()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_DISABLE);
}

static bool display_available()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

void platform_message_box(const char* title, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
    if (display_available())
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title ? title : "", text ? text : "", nullptr);
}
