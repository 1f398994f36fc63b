// The strings the program's start-up fills; the tests set them as they need.
#include "gfx/intro.h"
#include "gfx/scroller.h"

std::string intro_scroll_text;
std::string song_lines[SONG_LINE_COUNT + 1];
