// Menus of documents, the panel buttons' behaviour and their translucent tints.
#pragma once
#include <cstdint>
#include <string>

constexpr int MENU_ENTRIES = 20;
constexpr int MENU_ROWS = 5;
constexpr int MENU_CHARTS = 1;
constexpr int MENU_ARTICLES = 2;

struct MenuEntry {
    std::string label;
    int32_t available = 0;
    int32_t selected = 0;
};

// Entries 1...20; entry n opens document n.
extern MenuEntry menu_entries[MENU_ENTRIES + 1];
// 1 = charts list, 2 = articles list.
extern int32_t menu_mode;

// What a click sets off outside the menus: the page change (wipe, load, wipe) and the music.
struct MenuActions {
    void (*change_document)(int document);
    void (*music_off)();
    void (*music_on)();
    void (*play_tune)(int tune);
};
// The program's actions; tests put recorders in their place.
extern MenuActions menu_actions;
// Closing wipe, load_document, opening wipe.
void change_document(int document);

// Entry of a menu row in the given mode: column 0 left (rows 1...5), 1 right (rows 1...4); 0 = none.
int menu_row_entry(int32_t mode, int column, int row);

// Fills the menu table with its labels and flags (only entry 11 selected).
void build_menu_table();
void clear_menu_selection();

void handle_button_clicks();
void handle_menu_clicks();
// Resets the pointer mode; button tints and glows.
void draw_buttons();
// Title, menu rows, hover boxes, selection marks, rainbow rules.
void draw_menus();
