#include "tests/app/fixture.h"

#include "app/text.h"

namespace {

struct Viewing : SpineTest {
    PageStore store;
    ViewLines& lines_of(int n, const char* rule = "0") {
        store_document(store, 1, n, rule);
        load_document(store, view, 1);
        return view;
    }
};

enum class Act { Down, DownIdle, Up, Wheel, PageUp, PageDown, PageDownHeld, End, Home };

TEST_F(Viewing, KeysAndWheelMoveWithinTheDocument) {
    constexpr int KEEP = -1;
    const struct {
        const char* what;
        int lines, set_top, set_offset;
        Act act;
        double wheel;
        int top, offset;
    } steps[] = {
        {"down: a line every second frame", 117, 0, 0, Act::Down, 0, 1, 6},
        {"down again", 117, KEEP, KEEP, Act::Down, 0, 2, 12},
        {"down not held", 117, KEEP, KEEP, Act::DownIdle, 0, 2, 12},
        {"up: 18 >= 11, back one line", 117, KEEP, KEEP, Act::Up, 0, 1, 6},
        {"up again", 117, KEEP, KEEP, Act::Up, 0, 0, 0},
        {"down at the end", 117, 84, 12, Act::Down, 0, 84, 12},
        {"up at the top", 117, 0, 12, Act::Up, 0, 0, 12},
        {"wheel toward the reader, capped", 117, 83, 0, Act::Wheel, -1.0, 84, 0},
        {"wheel two notches away", 117, KEEP, KEEP, Act::Wheel, 1.0, 76, 0},
        {"wheel unchanged", 117, KEEP, KEEP, Act::Wheel, 1.0, 76, 0},
        {"wheel far away", 117, 2, 0, Act::Wheel, 1e12, 0, 0},
        {"page up", 117, 10, 0, Act::PageUp, 0, 0, 0},
        {"page down, capped", 117, 80, 0, Act::PageDown, 0, 84, 0},
        {"page down held, not newly pressed", 117, 0, 0, Act::PageDownHeld, 0, 0, 0},
        {"end", 117, KEEP, KEEP, Act::End, 0, 84, 0},
        {"home", 117, KEEP, KEEP, Act::Home, 0, 0, 0},
        {"end of a short document", 22, 0, 0, Act::End, 0, 0, 0},
        {"down in a short document", 22, KEEP, KEEP, Act::Down, 0, 0, 0},
        {"wheel in a short document", 22, KEEP, KEEP, Act::Wheel, -3.0, 0, 0},
    };
    for (const auto& s : steps) {
        ViewLines& v = lines_of(s.lines);
        if (s.set_top != KEEP) {
            viewer.top_line = s.set_top;
            viewer.scroll_offset = s.set_offset;
        }
        InputSample in;
        switch (s.act) {
        case Act::Down: scroll_line_down(viewer, v, true); break;
        case Act::DownIdle: scroll_line_down(viewer, v, false); break;
        case Act::Up: scroll_line_up(viewer, v, true); break;
        case Act::Wheel: scroll_wheel(viewer, v, s.wheel); break;
        case Act::PageUp: in.page_up = -32767; break;
        case Act::PageDown: in.page_down = -32767; break;
        case Act::PageDownHeld: in.page_down = -32768; break;
        case Act::End: in.end = -32767; break;
        case Act::Home: in.home = -32767; break;
        }
        if (s.act >= Act::PageUp)
            poll_input(viewer, v, in);
        EXPECT_EQ(viewer.top_line, s.top) << s.what;
        EXPECT_EQ(viewer.scroll_offset, s.offset) << s.what;
    }
}

TEST_F(Viewing, MouseSampleIsClampedAndLatchReleasedWhenUp) {
    ViewLines& v = lines_of(117);
    InputSample in;
    in.mouse_x = 795;
    in.mouse_y = 65535;
    in.left_button = 1;
    viewer.click_latch = 1;
    poll_input(viewer, v, in);
    EXPECT_EQ(viewer.mouse_x, 789);
    EXPECT_EQ(viewer.mouse_y, 589);
    EXPECT_EQ(viewer.click_latch, 1);
    in.left_button = 0;
    in.mouse_x = -5;
    poll_input(viewer, v, in);
    EXPECT_EQ(viewer.mouse_x, 1);
    EXPECT_EQ(viewer.click_latch, 0);
    EXPECT_EQ(viewer.mouse_button, 0);
}

TEST_F(Viewing, ScrollbarDragFollowsThePointerOutlivesTheStripAndIgnoresTheLatch) {
    ViewLines& v = lines_of(117);
    const struct {
        int x, y, button, latch;
        int top, drag, glow, pointer;
    } steps[] = {
        {789, 380, 0, 0, 0, 0, 5, POINTER_HOVER},     // a sampled 790...799 still lies on the strip
        {789, 380, 1, 0, 42, 1, 10, POINTER_NORMAL},  // 180 * 84 / 361 = 41.88
        {300, 10, 1, 0, 0, 1, 15, POINTER_NORMAL},    // off the strip, button still held
        {300, 10, 0, 0, 0, 0, 10, POINTER_NORMAL},
        {780, 560, 1, 1, 84, 1, 15, POINTER_NORMAL},  // a press used elsewhere slides on and drags
    };
    for (const auto& s : steps) {
        viewer.mouse_x = s.x;
        viewer.mouse_y = s.y;
        viewer.mouse_button = s.button;
        viewer.click_latch = s.latch;
        assets.pointer_mode = POINTER_NORMAL;
        drag_scrollbar(viewer, v);
        EXPECT_EQ(viewer.top_line, s.top) << s.x << "," << s.y;
        EXPECT_EQ(viewer.scrollbar_drag, s.drag) << s.x << "," << s.y;
        EXPECT_EQ(viewer.scrollbar_glow, s.glow) << s.x << "," << s.y;
        EXPECT_EQ(assets.pointer_mode, s.pointer) << s.x << "," << s.y;
    }
    viewer = Viewer{};
    viewer.mouse_x = 780;
    viewer.mouse_y = 500;
    viewer.mouse_button = 1;
    drag_scrollbar(viewer, lines_of(22));
    EXPECT_EQ(viewer.top_line, 0) << "a short document has no scroll bar";
}

TEST_F(Viewing, ScrollbarThumbPosition) {
    draw_scrollbar(viewer, lines_of(22));
    EXPECT_EQ(changed_pixels(PAPER), 0);
    ViewLines& v = lines_of(117);
    viewer.top_line = 84;
    draw_scrollbar(viewer, v);
    // 195 + 361 / 84 * 84 = 556; the box covers 779...787 x 556...576.
    EXPECT_EQ(pixel(779, 556), pixel(787, 576));
    EXPECT_NE(pixel(779, 556), PAPER);
    EXPECT_EQ(pixel(779, 555), PAPER);
    EXPECT_EQ(pixel(779, 577), PAPER);
    EXPECT_EQ(pixel(788, 556), PAPER);
    EXPECT_EQ(changed_pixels(PAPER), 9 * 21);
}

TEST_F(Viewing, RulesOnlyStrictlyInsideTheBand) {
    draw_view_rules(viewer, lines_of(100, "1"), 0);
    // Row 0 (centre 186) and row 33 (centre 582) are outside; rows 1...32 are drawn.
    EXPECT_EQ(pixel(20, 186), PAPER);
    EXPECT_EQ(pixel(20, 198), 0xFFFFFFu);
    EXPECT_EQ(pixel(20, 570), 0xFFFFFFu);
    EXPECT_EQ(pixel(20, 582), PAPER);
    EXPECT_EQ(changed_pixels(PAPER), 32 * 3 * 745);
}

TEST_F(Viewing, TextPathsAndRowPlacement) {
    const std::string ones(80, '1');
    store.lines[3].clear();
    for (int l = 0; l < 40; ++l)
        page_store_set(store, l, 3, "AA", ones, ones, l == 5 ? "8" : "0");
    page_store_set(store, 40, 3, "<END>", ones, ones, "0");
    load_document(store, view, 3);
    draw_view_text(viewer, view, 0);
    // Row 2 (plain rule flag) is opaque: font value 0 at glyph (0, 0) is painted.
    EXPECT_EQ(pixel(32, 204), test_shade(0, 1));
    // Row 5 carries a rule: transparent.
    EXPECT_EQ(pixel(32, 240), PAPER);
    // Row 0 and rows 32, 33 are always transparent.
    EXPECT_EQ(pixel(32, 564), PAPER);
    EXPECT_EQ(pixel(32, 576), PAPER);
    EXPECT_EQ(pixel(34, 564), test_shade(2, 1));
    // Column 0 is empty; column 1 starts at x 32.
    EXPECT_EQ(pixel(31, 204), PAPER);
    // Nothing above the band or below it.
    for (int x = 0; x < 800; ++x) {
        ASSERT_EQ(pixel(x, 192), PAPER);
        ASSERT_EQ(pixel(x, 580), PAPER);
    }
}

TEST_F(Viewing, LinesPastTheEndAreNotDrawn) {
    ViewLines& v = lines_of(5);
    draw_view_text(viewer, v, 0);
    // Lines 0...4 at rows 0...4: nothing below row 4 (y 228...239).
    for (int y = 240; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            ASSERT_EQ(pixel(x, y), PAPER) << x << "," << y;
    draw_view_text(viewer, v, -40);
    draw_view_text(viewer, v, 6000);
    draw_view_rules(viewer, v, 6000);
}

TEST_F(Viewing, WipeBlindsCoverTheTextArea) {
    draw_wipe_blinds(0);
    EXPECT_EQ(pixel(20, 192), 0u);
    EXPECT_EQ(pixel(767, 580), 0u);
    EXPECT_EQ(changed_pixels(PAPER), 2 * 389);
    fill_frame(PAPER);
    draw_wipe_blinds(747);
    for (int x = 20; x <= 767; ++x) {
        ASSERT_EQ(pixel(x, 192), 0u) << x;
        ASSERT_EQ(pixel(x, 580), 0u) << x;
    }
    for (auto [x, y] : {std::pair{19, 300}, {768, 300}, {300, 191}, {300, 581}})
        EXPECT_EQ(pixel(x, y), PAPER) << x << "," << y;
}

}  // namespace
