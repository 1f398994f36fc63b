// Menus of documents, the panel buttons' behaviour and their translucent tints.
#pragma once
#include <cstdint>
#include <string>

constexpr int MENU_ENTRIES = 20;
constexpr int MENU_ROWS = 5;

struct MenuEntry {
    std::string label;
    int32_t available = 0;
    int32_t selected = 0;
};

// Entries 1...20; entry n opens document n.
extern MenuEntry menu_entries[MENU_ENTRIES + 1];
// 1 = charts list, 2 = articles list.
extern int32_t menu_mode;

// Fills the menu table with its labels and flags (only entry 11 selected).
void build_menu_table();
void clear_menu_selection();

void handle_button_clicks();
void handle_menu_clicks();
void draw_buttons();
void draw_menus();
