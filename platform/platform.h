// Small desktop services: the system cursor and message boxes.
#pragma once

void platform_hide_cursor();
// Always written to standard error; also shown as a box when a display is available.
void platform_message_box(const char* title, const char* text);
