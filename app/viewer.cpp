#include "app/viewer.h"

Viewer viewer;

void scroll_line_down(Viewer&, const ViewLines&, bool) {}
void scroll_line_up(Viewer&, const ViewLines&, bool) {}
void scroll_wheel(Viewer&, const ViewLines&, double) {}
void scroll_line_down() {}
void scroll_line_up() {}
void scroll_wheel() {}
void draw_view_rules(const Viewer&, const ViewLines&, int32_t) {}
void draw_view_text(const Viewer&, const ViewLines&, int32_t) {}
void draw_view_rules(int32_t) {}
void draw_view_text(int32_t) {}
void draw_scrollbar(const Viewer&, const ViewLines&) {}
void draw_scrollbar() {}
void drag_scrollbar(Viewer&, const ViewLines&) {}
void drag_scrollbar() {}
void poll_input(Viewer&, const ViewLines&, const InputSample&) {}
void poll_input() {}
void draw_page_frame() {}
void close_wipe() {}
void open_wipe() {}
void draw_wipe_blinds(int32_t) {}
