#include "app/menus.h"

#include <algorithm>
#include <cmath>

#include "app/pages.h"
#include "app/spine.h"
#include "app/text.h"
#include "app/viewer.h"
#include "gfx/assets.h"
#include "gfx/scroller.h"
#include "xm/tunes/tunes.h"

MenuEntry menu_entries[MENU_ENTRIES + 1];
int32_t menu_mode = MENU_ARTICLES;

namespace {

constexpr const char* MENU_LABELS[MENU_ENTRIES + 1] = {
    "",
    "> Monthly Chart",
    "> Monthly Overview",
    "> Group Of The Month",
    "> Group Release Stats",
    "> Yearly Stats",
    "> Yearly Overview",
    "> Group Of The Year",
    "> Alltime Stats",
    "> Alltime Overview",
    "Help",
    "> This Issue's Editorial",
    "Rules",
    "> Credits For The Charts",
    "> Letters To The Editor",
    "> This Issues Music Picks",
    "> Coding The New Charts",
    "> Scene Spirit or Not!",
    "> Interview with you?",
    "> Interview with ????????",
    "> Interview with ????????",
};
constexpr int LAST_AVAILABLE = 18;
constexpr int START_DOCUMENT = 11;
constexpr int RULES_DOCUMENT = 12;
constexpr int HELP_DOCUMENT = 10;

// [mode][column][row]; the right column's row 5 is the list switch.
constexpr int ROW_ENTRIES[3][2][MENU_ROWS + 1] = {
    {{0}, {0}},
    {{0, 1, 2, 3, 4, 5}, {0, 6, 7, 8, 9, 0}},
    {{0, 11, 13, 14, 15, 16}, {0, 17, 18, 19, 20, 0}},
};

enum Button { QUIT = 1, CHARTS, ARTICLES, RULES, HELP, MUSIC, TUNE_1, TUNE_4 = TUNE_1 + 3 };

constexpr int LEFT_X = 146;
constexpr int RIGHT_X = 400;
constexpr int LEFT_HIT_END = 391;      // column hit boxes 146 < x < 391, 400 < x < 645
constexpr int RIGHT_HIT_END = 645;
constexpr int ROW_BASE = 48;           // row r's text at y = 48 + 12 r
constexpr int ROW_PITCH = 12;
constexpr int SWITCH_ROW = 5;
constexpr int BOX_WIDTH = 245;
constexpr int BOX_HEIGHT = 10;

constexpr int TITLE_CENTRE = 404;
constexpr int TITLE_Y = 42;
constexpr int CLIP_LEFT = 146, CLIP_RIGHT = 649, CLIP_TOP = 40, CLIP_BOTTOM = 145;
constexpr int TITLE_COLOUR = 25;
constexpr int LABEL_COLOUR = 2;
constexpr int SWITCH_COLOUR = 1;
constexpr int RAINBOW = 8;
constexpr int RULE_X = 144, RULE_LENGTH = 507, RULE_TOP = 57, RULE_BOTTOM = 122;

constexpr int GLOW_MAX = 125;
constexpr int GLOW_RISE = 10;
constexpr int GLOW_FADE = 3;

void stop_music() {
    music_stop();
}

void restart_music() {
    music_play();
}

void switch_tune(int tune) {
    switch (tune) {
    case 1: play_tune_1(); break;
    case 2: play_tune_2(); break;
    case 3: play_tune_3(); break;
    case 4: play_tune_4(); break;
    }
}

bool click_is_new(const Viewer& v) {
    return v.mouse_button == 1 && v.click_latch == 0;
}

bool inside_button(const ButtonTable& b, int n, const Viewer& v) {
    return b.x[n] < v.mouse_x && v.mouse_x < b.x[n] + b.width[n] && b.y[n] < v.mouse_y &&
           v.mouse_y < b.y[n] + b.height[n];
}

int mode_index(int32_t mode) {
    return mode == MENU_CHARTS ? MENU_CHARTS : MENU_ARTICLES;
}

// Opens a menu row's entry when it is available and not already on screen.
void open_row(int column, int row) {
    const int e = menu_row_entry(menu_mode, column, row);
    if (e == 0 || !menu_entries[e].available || menu_entries[e].selected)
        return;
    clear_menu_selection();
    menu_entries[e].selected = 1;
    assets.buttons.state[RULES] = 0;
    assets.buttons.state[HELP] = 0;
    menu_actions.change_document(e);
}

void draw_column(int column, int x) {
    const Viewer& v = viewer;
    const int hover_end = column == 0 ? LEFT_HIT_END : RIGHT_HIT_END;
    const int label_rows = column == 0 ? MENU_ROWS : MENU_ROWS - 1;
    for (int r = 1; r <= label_rows; ++r) {
        const int e = menu_row_entry(menu_mode, column, r);
        if (e != 0 && menu_entries[e].available)
            draw_text_clipped(menu_entries[e].label, x, ROW_BASE + ROW_PITCH * r, CLIP_LEFT, CLIP_RIGHT, CLIP_TOP,
                              CLIP_BOTTOM, 1, LABEL_COLOUR);
    }
    if (column == 1)
        draw_text_clipped(menu_mode == MENU_CHARTS ? "> Articles Menu" : "> Charts Menu", x,
                          ROW_BASE + ROW_PITCH * SWITCH_ROW, CLIP_LEFT, CLIP_RIGHT, CLIP_TOP, CLIP_BOTTOM, 1,
                          SWITCH_COLOUR);
    for (int r = 1; r <= MENU_ROWS; ++r) {
        const int t = ROW_BASE + 1 + ROW_PITCH * r;
        const bool hovered = t < v.mouse_y && v.mouse_y < t + BOX_HEIGHT && x + 1 <= v.mouse_x &&
                             v.mouse_x < hover_end && v.click_latch == 0;
        if (hovered) {
            assets.pointer_mode = POINTER_HOVER;
            blend_box(x, t, BOX_WIDTH, BOX_HEIGHT, 125, 100, 100, 132);
        } else {
            blend_box(x, t, BOX_WIDTH, BOX_HEIGHT, 60, 100, 100, 100);
        }
    }
    for (int r = 1; r <= label_rows; ++r) {
        const int e = menu_row_entry(menu_mode, column, r);
        if (e != 0 && menu_entries[e].selected)
            blend_box(x, ROW_BASE + ROW_PITCH * r, BOX_WIDTH, BOX_HEIGHT, 90, 200, 100, 100);
    }
}

}  // namespace

void change_document(int document) {
    close_wipe();
    load_document(document);
    open_wipe();
}

MenuActions menu_actions = {change_document, stop_music, restart_music, switch_tune};

int menu_row_entry(int32_t mode, int column, int row) {
    if (column < 0 || column > 1 || row < 1 || row > MENU_ROWS)
        return 0;
    return ROW_ENTRIES[mode_index(mode)][column][row];
}

void build_menu_table() {
    for (int e = 1; e <= MENU_ENTRIES; ++e) {
        menu_entries[e].label = MENU_LABELS[e];
        menu_entries[e].available = e <= LAST_AVAILABLE;
        menu_entries[e].selected = e == START_DOCUMENT;
    }
}

void clear_menu_selection() {
    for (MenuEntry& e : menu_entries)
        e.selected = 0;
}

void handle_button_clicks() {
    Viewer& v = viewer;
    ButtonTable& b = assets.buttons;
    if (click_is_new(v)) {
        for (int n = QUIT; n <= HELP; ++n) {
            if (b.state[n] != 0 || !inside_button(b, n, v))
                continue;
            v.click_latch = 1;
            for (int m = QUIT; m <= HELP; ++m)
                b.state[m] = 0;
            b.state[n] = 1;
            switch (n) {
            case QUIT: quit_requested = 1; break;
            case CHARTS: menu_mode = MENU_CHARTS; break;
            case ARTICLES: menu_mode = MENU_ARTICLES; break;
            case RULES:
                menu_actions.change_document(RULES_DOCUMENT);
                clear_menu_selection();
                break;
            case HELP:
                menu_actions.change_document(HELP_DOCUMENT);
                clear_menu_selection();
                break;
            }
        }
    }
    if (click_is_new(v) && b.state[MUSIC] == 0 && inside_button(b, MUSIC, v)) {
        v.click_latch = 1;
        menu_actions.music_off();
        b.state[MUSIC] = 1;
    }
    if (click_is_new(v) && b.state[MUSIC] == 1 && inside_button(b, MUSIC, v)) {
        v.click_latch = 1;
        menu_actions.music_on();
        b.state[MUSIC] = 0;
    }
    if (click_is_new(v)) {
        for (int n = TUNE_1; n <= TUNE_4; ++n) {
            if (b.state[n] != 0 || !inside_button(b, n, v))
                continue;
            v.click_latch = 1;
            for (int m = TUNE_1; m <= TUNE_4; ++m)
                b.state[m] = 0;
            b.state[MUSIC] = 0;
            b.state[n] = 1;
            scroller.current_song = n - MUSIC;
            scroller.song_scroll_index = 1;
            menu_actions.play_tune(n - MUSIC);
        }
    }
    if (menu_mode == MENU_CHARTS)
        b.state[CHARTS] = 1;
    if (menu_mode == MENU_ARTICLES)
        b.state[ARTICLES] = 1;
}

void handle_menu_clicks() {
    Viewer& v = viewer;
    if (!click_is_new(v))
        return;
    v.click_latch = 1;
    for (int column = 0; column <= 1; ++column) {
        const int left = column == 0 ? LEFT_X : RIGHT_X;
        const int right = column == 0 ? LEFT_HIT_END : RIGHT_HIT_END;
        const int rows = column == 0 ? MENU_ROWS : MENU_ROWS - 1;
        if (v.mouse_x <= left || v.mouse_x >= right)
            continue;
        for (int r = 1; r <= rows; ++r)
            if (ROW_BASE + ROW_PITCH * r < v.mouse_y && v.mouse_y < ROW_BASE + ROW_PITCH + ROW_PITCH * r)
                open_row(column, r);
    }
    const int switch_top = ROW_BASE + ROW_PITCH * SWITCH_ROW;
    if (v.mouse_x > RIGHT_X && v.mouse_x < RIGHT_HIT_END && v.mouse_y > switch_top &&
        v.mouse_y < switch_top + ROW_PITCH) {
        assets.buttons.state[CHARTS] = 0;
        assets.buttons.state[ARTICLES] = 0;
        menu_mode = menu_mode + 1;
        if (menu_mode == 3)
            menu_mode = MENU_CHARTS;
    }
}

void draw_buttons() {
    const Viewer& v = viewer;
    ButtonTable& b = assets.buttons;
    assets.pointer_mode = POINTER_NORMAL;
    for (int n = 1; n <= BUTTON_COUNT; ++n) {
        if (b.glow[n] > 0)
            b.glow[n] = std::max(b.glow[n] - GLOW_FADE, 0);
        if (b.state[n] == 1) {
            blend_box(b.x[n], b.y[n], b.width[n], b.height[n], 125, 125, 90, 80);
        } else {
            blend_box(b.x[n], b.y[n], b.width[n], b.height[n], b.glow[n], 80, 90, 125);
            if (inside_button(b, n, v)) {
                assets.pointer_mode = POINTER_HOVER;
                if (v.click_latch == 0)
                    b.glow[n] = std::min(b.glow[n] + GLOW_RISE, GLOW_MAX);
            }
        }
    }
}

void draw_menus() {
    const double half = GLYPH_WIDTH * static_cast<double>(issue_title.size()) / 2.0;
    const int32_t title_x = TITLE_CENTRE - static_cast<int32_t>(std::nearbyint(half));
    draw_text_clipped(issue_title, title_x, TITLE_Y, CLIP_LEFT, CLIP_RIGHT, CLIP_TOP, CLIP_BOTTOM, 1, TITLE_COLOUR);
    draw_column(0, LEFT_X);
    draw_column(1, RIGHT_X);
    draw_rule(RULE_TOP, RULE_X, RULE_LENGTH, RAINBOW);
    draw_rule(RULE_BOTTOM, RULE_X, RULE_LENGTH, RAINBOW);
}
