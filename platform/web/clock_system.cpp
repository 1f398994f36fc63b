// Time from the page's performance clock; sleeping gives the page its turn meanwhile.
#include "platform/clock_system.h"

#include <emscripten.h>

#include "platform/web/page.h"

double system_seconds() { return emscripten_get_now() / 1000.0; }

void system_sleep_ms(int ms) { page_wait(ms); }
