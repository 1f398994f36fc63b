#include "tests/app/fixture.h"

#include <string>
#include <vector>

#include "app/spine.h"
#include "gfx/scroller.h"

namespace {

std::vector<std::string> calls;

void record_document(int d) {
    calls.push_back("doc " + std::to_string(d));
}
void record_off() {
    calls.push_back("off");
}
void record_on() {
    calls.push_back("on");
}
void record_tune(int t) {
    calls.push_back("tune " + std::to_string(t));
}

constexpr int32_t START_BUTTONS[11][6] = {
    {0, 0, 0, 0, 0, 0},
    {35, 40, 88, 18, 0, 0},   {35, 65, 88, 18, 0, 0},   {35, 90, 88, 18, 1, 0},
    {672, 65, 88, 18, 0, 0},  {672, 90, 88, 18, 0, 0},  {672, 40, 88, 18, 0, 0},
    {12, 132, 57, 18, 1, 0},  {75, 132, 57, 18, 0, 0},  {665, 132, 57, 18, 0, 0},
    {729, 132, 57, 18, 0, 0},
};

struct Navigation : SpineTest {
    MenuActions saved = menu_actions;

    void SetUp() override {
        SpineTest::SetUp();
        calls.clear();
        menu_actions = {record_document, record_off, record_on, record_tune};
        ButtonTable& b = assets.buttons;
        for (int n = 1; n <= 10; ++n) {
            b.x[n] = START_BUTTONS[n][0];
            b.y[n] = START_BUTTONS[n][1];
            b.width[n] = START_BUTTONS[n][2];
            b.height[n] = START_BUTTONS[n][3];
            b.state[n] = START_BUTTONS[n][4];
            b.glow[n] = START_BUTTONS[n][5];
        }
        build_menu_table();
        menu_mode = MENU_ARTICLES;
        quit_requested = 0;
        scroller = SongScroller{};
    }
    void TearDown() override {
        menu_actions = saved;
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
    void click(int x, int y) {
        press(x, y);
        release();
    }
    int32_t state(int n) const {
        return assets.buttons.state[n];
    }
};

TEST_F(Navigation, MenuRowOpensItsEntryOnce) {
    click(200, 65);  // left row 1: the editorial, on screen already
    EXPECT_TRUE(calls.empty());
    click(200, 78);  // left row 2 in the articles list: entry 13
    EXPECT_EQ(calls, std::vector<std::string>{"doc 13"});
    EXPECT_EQ(menu_entries[13].selected, 1);
    EXPECT_EQ(menu_entries[11].selected, 0);
    click(200, 78);
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Navigation, HeldPressActsOnceAndIsUsedUpEvenOnEmptyPanel) {
    press(200, 78);
    press(200, 78);
    EXPECT_EQ(calls.size(), 1u);
    release();
    // A press on empty panel slid onto a row does nothing.
    press(300, 300);
    press(200, 90);
    EXPECT_EQ(calls.size(), 1u);
    release();
    // A press on a menu row slid onto a button does not press the button.
    press(200, 90);
    EXPECT_EQ(calls.back(), "doc 14");
    press(60, 50);
    EXPECT_EQ(quit_requested, 0);
    EXPECT_EQ(state(1), 0);
}

TEST_F(Navigation, SwitchRowBandAgainstRowFour) {
    click(500, 106);  // right row 4: entry 19, not available
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(menu_mode, MENU_ARTICLES);
    click(500, 109);  // switch row
    EXPECT_EQ(menu_mode, MENU_CHARTS);
    EXPECT_EQ(state(3), 0);
    click(500, 106);  // right row 4 in the charts list: entry 9
    EXPECT_EQ(calls, std::vector<std::string>{"doc 9"});
    click(500, 119);
    EXPECT_EQ(menu_mode, MENU_ARTICLES);
    click(500, 120);
    EXPECT_EQ(menu_mode, MENU_ARTICLES);
}

TEST_F(Navigation, ListButtons) {
    click(60, 75);  // charts
    EXPECT_EQ(menu_mode, MENU_CHARTS);
    EXPECT_EQ(state(2), 1);
    EXPECT_EQ(state(3), 0);
    click(60, 75);  // pressed already: no reaction
    EXPECT_EQ(menu_mode, MENU_CHARTS);
    click(60, 100);  // articles
    EXPECT_EQ(menu_mode, MENU_ARTICLES);
    EXPECT_EQ(state(2), 0);
    EXPECT_EQ(state(3), 1);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Navigation, RulesThenEditorial) {
    click(700, 75);  // rules
    EXPECT_EQ(calls, std::vector<std::string>{"doc 12"});
    EXPECT_EQ(state(4), 1);
    EXPECT_EQ(state(3), 1);  // the list button stays lit
    for (int e = 1; e <= 20; ++e)
        EXPECT_EQ(menu_entries[e].selected, 0);
    click(200, 65);  // editorial, left row 1
    EXPECT_EQ(calls.back(), "doc 11");
    EXPECT_EQ(state(4), 0);
    EXPECT_EQ(menu_entries[11].selected, 1);
    click(700, 100);  // help
    EXPECT_EQ(calls.back(), "doc 10");
    EXPECT_EQ(state(5), 1);
    EXPECT_EQ(state(4), 0);
}

TEST_F(Navigation, QuitButtonRequestsTheEnd) {
    click(36, 41);
    EXPECT_EQ(quit_requested, 1);
    EXPECT_EQ(state(1), 1);
}

TEST_F(Navigation, ButtonBordersAreNotInside) {
    click(35, 50);
    click(123, 50);
    click(60, 40);
    click(60, 58);
    EXPECT_EQ(quit_requested, 0);
}

TEST_F(Navigation, PauseToggleAndTuneButtons) {
    click(700, 50);
    EXPECT_EQ(calls, std::vector<std::string>{"off"});
    EXPECT_EQ(state(6), 1);
    click(80, 140);  // tune 2 while paused
    EXPECT_EQ(calls.back(), "tune 2");
    EXPECT_EQ(state(6), 0);
    EXPECT_EQ(state(7), 0);
    EXPECT_EQ(state(8), 1);
    EXPECT_EQ(scroller.current_song, 2);
    EXPECT_EQ(scroller.song_scroll_index, 1);
    click(80, 140);  // selected already
    EXPECT_EQ(calls.size(), 2u);
    click(700, 50);
    click(700, 50);  // the second click turns the music on again
    EXPECT_EQ(calls, (std::vector<std::string>{"off", "tune 2", "off", "on"}));
    EXPECT_EQ(state(6), 0);
}

TEST_F(Navigation, UnavailableEntriesHaveNoLabelNoReactionButHoverBoxes) {
    viewer.mouse_x = 500;
    viewer.mouse_y = 100;  // right row 4 (entry 19), band top 97
    draw_menus();
    EXPECT_EQ(assets.pointer_mode, POINTER_HOVER);
    // Hover tint over a black panel: (100,100,132) at 125/256.
    fill_frame(0);
    draw_menus();
    EXPECT_EQ(pixel(500, 100), (100u * 125 >> 8) << 16 | (100u * 125 >> 8) << 8 | (132u * 125 >> 8));
    // No label: the row above the box (y 96) holds no glyph pixels.
    for (int x = 400; x < 645; ++x)
        ASSERT_EQ(pixel(x, 96), 0u) << x;
    click(500, 100);
    EXPECT_TRUE(calls.empty());
    // The left hover box starts one pixel inside the column: x 146 is not hovering.
    release();
    viewer.mouse_x = 146;
    viewer.mouse_y = 80;
    assets.pointer_mode = POINTER_NORMAL;
    draw_menus();
    EXPECT_EQ(assets.pointer_mode, POINTER_NORMAL);
    viewer.mouse_x = 147;
    draw_menus();
    EXPECT_EQ(assets.pointer_mode, POINTER_HOVER);
}

TEST_F(Navigation, SelectionMarkAndVeil) {
    fill_frame(0);
    viewer.mouse_x = 10;
    viewer.mouse_y = 10;
    draw_menus();
    // Editorial's row 1: veil (60, grey) from y 61, mark (90, red) from y 60.
    const uint32_t veil = 100u * 60 >> 8;
    EXPECT_EQ(pixel(300, 60), (200u * 90 >> 8) << 16 | (100u * 90 >> 8) << 8 | (100u * 90 >> 8));
    // Row 2 has only the veil, row 72 is just above its band top 73.
    EXPECT_EQ(pixel(300, 80), veil << 16 | veil << 8 | veil);
    EXPECT_EQ(pixel(300, 72), 0u);
}

TEST_F(Navigation, ButtonGlowRisesAndFades) {
    viewer.mouse_x = 100;
    viewer.mouse_y = 140;  // tune 2 button
    for (int i = 0; i < 20; ++i)
        draw_buttons();
    EXPECT_EQ(assets.buttons.glow[8], 125);
    EXPECT_EQ(assets.pointer_mode, POINTER_HOVER);
    viewer.mouse_y = 300;
    draw_buttons();
    EXPECT_EQ(assets.buttons.glow[8], 122);
    EXPECT_EQ(assets.pointer_mode, POINTER_NORMAL);
    viewer.mouse_y = 140;
    viewer.click_latch = 1;  // a used press does not brighten
    draw_buttons();
    EXPECT_EQ(assets.buttons.glow[8], 119);
    EXPECT_EQ(assets.pointer_mode, POINTER_HOVER);
}

TEST_F(Navigation, PressedButtonsShowTheWarmTint) {
    fill_frame(0);
    draw_buttons();
    const uint32_t warm = (125u * 125 >> 8) << 16 | (90u * 125 >> 8) << 8 | (80u * 125 >> 8);
    EXPECT_EQ(pixel(35, 90), warm);      // articles, pressed at start
    EXPECT_EQ(pixel(123, 108), warm);    // (w + 1) x (h + 1)
    EXPECT_EQ(pixel(124, 108), 0u);
    EXPECT_EQ(pixel(12, 132), warm);     // tune 1
    EXPECT_EQ(pixel(35, 40), 0u);        // quit, glow 0
}

}  // namespace
