#include "tests/app/fixture.h"

#include <string>

#include "app/spine.h"
#include "gfx/scroller.h"

namespace {

std::string calls;

void record(const std::string& call) {
    if (!calls.empty())
        calls += ", ";
    calls += call;
}

// One frame's click handling with the button down at (x, y); the sample is what the
// previous frame's poll_input saw.
void press(int x, int y) {
    viewer.mouse_x = x;
    viewer.mouse_y = y;
    viewer.mouse_button = 1;
    handle_button_clicks();
    handle_menu_clicks();
}

void release() {
    InputSample in;
    in.mouse_x = viewer.mouse_x;
    in.mouse_y = viewer.mouse_y;
    poll_input(viewer, view, in);
}

using Navigation = SpineTest;

TEST_F(Navigation, ClicksOnRowsAndButtons) {
    const MenuActions saved = menu_actions;
    menu_actions = {[](int d) { record("doc " + std::to_string(d)); }, [] { record("off"); }, [] { record("on"); },
                    [](int t) { record("tune " + std::to_string(t)); }};
    load_menus();
    quit_requested = 0;
    scroller = SongScroller{};
    // Each step: 'c' click, 'p' press (held), 'r' release; then the calls it made, the ten
    // buttons' states, the list shown and the selected entry.
    const struct {
        char op;
        int x, y;
        const char* calls;
        const char* states;
        int32_t mode;
        int selected;
    } steps[] = {
        {'c', 200, 65, "", "0010001000", MENU_ARTICLES, 11},  // the editorial, on screen already
        {'c', 200, 78, "doc 13", "0010001000", MENU_ARTICLES, 13},
        {'c', 200, 78, "", "0010001000", MENU_ARTICLES, 13},
        // A held press acts once; a press on empty panel or on a row slid elsewhere is used up.
        {'p', 200, 90, "doc 14", "0010001000", MENU_ARTICLES, 14},
        {'p', 200, 90, "", "0010001000", MENU_ARTICLES, 14},
        {'r', 0, 0, "", "0010001000", MENU_ARTICLES, 14},
        {'p', 300, 300, "", "0010001000", MENU_ARTICLES, 14},
        {'p', 200, 102, "", "0010001000", MENU_ARTICLES, 14},
        {'r', 0, 0, "", "0010001000", MENU_ARTICLES, 14},
        {'p', 200, 114, "doc 16", "0010001000", MENU_ARTICLES, 16},
        {'p', 60, 50, "", "0010001000", MENU_ARTICLES, 16},
        {'r', 0, 0, "", "0010001000", MENU_ARTICLES, 16},
        // Right row 4 is entry 19, not available; just below it lies the switch row.
        {'c', 500, 106, "", "0010001000", MENU_ARTICLES, 16},
        {'c', 500, 109, "", "0000001000", MENU_CHARTS, 16},
        {'c', 500, 106, "doc 9", "0100001000", MENU_CHARTS, 9},  // the list button lit a frame later
        {'c', 500, 119, "", "0000001000", MENU_ARTICLES, 9},
        {'c', 500, 120, "", "0010001000", MENU_ARTICLES, 9},
        // List buttons, pressed ones take no click.
        {'c', 60, 75, "", "0100001000", MENU_CHARTS, 9},
        {'c', 60, 75, "", "0100001000", MENU_CHARTS, 9},
        {'c', 60, 100, "", "0010001000", MENU_ARTICLES, 9},
        // Rules clears the menu selection, the editorial puts it back, then help.
        {'c', 700, 75, "doc 12", "0011001000", MENU_ARTICLES, 0},
        {'c', 200, 65, "doc 11", "0010001000", MENU_ARTICLES, 11},
        {'c', 700, 100, "doc 10", "0010101000", MENU_ARTICLES, 0},
        // Button borders are not inside.
        {'c', 35, 50, "", "0010101000", MENU_ARTICLES, 0},
        {'c', 123, 50, "", "0010101000", MENU_ARTICLES, 0},
        {'c', 60, 40, "", "0010101000", MENU_ARTICLES, 0},
        {'c', 60, 58, "", "0010101000", MENU_ARTICLES, 0},
        // The music button pauses; a tune while paused plays it, once.
        {'c', 700, 50, "off", "0010111000", MENU_ARTICLES, 0},
        {'c', 80, 140, "tune 2", "0010100100", MENU_ARTICLES, 0},
        {'c', 80, 140, "", "0010100100", MENU_ARTICLES, 0},
        {'c', 700, 50, "off", "0010110100", MENU_ARTICLES, 0},
        {'c', 700, 50, "on", "0010100100", MENU_ARTICLES, 0},
    };
    for (const auto& s : steps) {
        calls.clear();
        if (s.op != 'r')
            press(s.x, s.y);
        if (s.op != 'p')
            release();
        const std::string where = std::string(1, s.op) + " " + std::to_string(s.x) + "," + std::to_string(s.y);
        EXPECT_EQ(calls, s.calls) << where;
        std::string states;
        for (int n = 1; n <= 10; ++n)
            states += char('0' + assets.buttons.state[n]);
        EXPECT_EQ(states, s.states) << where;
        EXPECT_EQ(menu_mode, s.mode) << where;
        for (int e = 1; e <= 20; ++e)
            ASSERT_EQ(menu_entries[e].selected, e == s.selected ? 1 : 0) << where << " entry " << e;
        ASSERT_EQ(quit_requested, 0) << where;
    }
    EXPECT_EQ(scroller.current_song, 2);
    EXPECT_EQ(scroller.song_scroll_index, 1);
    press(36, 41);
    EXPECT_EQ(quit_requested, 1);
    EXPECT_EQ(assets.buttons.state[1], 1);
    menu_actions = saved;
}

}  // namespace
