#include "app/menus.h"

MenuEntry menu_entries[MENU_ENTRIES + 1];
int32_t menu_mode = 2;

void build_menu_table() {}
void clear_menu_selection() {}
void handle_button_clicks() {}
void handle_menu_clicks() {}
void draw_buttons() {}
void draw_menus() {}
