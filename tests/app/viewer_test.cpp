#include "tests/app/fixture.h"

#include "app/text.h"

namespace {

struct Viewing : SpineTest {
    static ViewLines& lines_of(int n) {
        static PageStore store;
        store_document(store, 1, n);
        load_document(store, view, 1);
        return view;
    }
};

TEST_F(Viewing, DownArrowTwoFramesFromTheTop) {
    ViewLines& v = lines_of(117);
    scroll_line_down(viewer, v, true);
    EXPECT_EQ(viewer.top_line, 1);
    EXPECT_EQ(viewer.scroll_offset, 6);
    scroll_line_down(viewer, v, true);
    EXPECT_EQ(viewer.top_line, 2);
    EXPECT_EQ(viewer.scroll_offset, 12);
    scroll_line_down(viewer, v, false);
    EXPECT_EQ(viewer.scroll_offset, 12);
}

TEST_F(Viewing, ArrowsStopAtTheEnds) {
    ViewLines& v = lines_of(117);
    viewer.top_line = 84;
    viewer.scroll_offset = 12;
    scroll_line_down(viewer, v, true);
    EXPECT_EQ(viewer.top_line, 84);
    EXPECT_EQ(viewer.scroll_offset, 12);
    viewer.top_line = 0;
    scroll_line_up(viewer, v, true);
    EXPECT_EQ(viewer.scroll_offset, 12);
}

TEST_F(Viewing, UpArrowStepsBackOneLineEverySecondFrame) {
    ViewLines& v = lines_of(117);
    viewer.top_line = 2;
    viewer.scroll_offset = 12;
    scroll_line_up(viewer, v, true);   // 18 >= 11: back one line
    EXPECT_EQ(viewer.top_line, 1);
    EXPECT_EQ(viewer.scroll_offset, 6);
    scroll_line_up(viewer, v, true);   // 12
    EXPECT_EQ(viewer.top_line, 0);
    EXPECT_EQ(viewer.scroll_offset, 0);
}

TEST_F(Viewing, WheelMovesFourLinesPerNotchWithinTheDocument) {
    ViewLines& v = lines_of(117);
    viewer.top_line = 83;
    scroll_wheel(viewer, v, -1.0);     // toward the reader: down, capped at 84
    EXPECT_EQ(viewer.top_line, 84);
    scroll_wheel(viewer, v, 1.0);      // two notches away: up eight
    EXPECT_EQ(viewer.top_line, 76);
    scroll_wheel(viewer, v, 1.0);
    EXPECT_EQ(viewer.top_line, 76);
    viewer.top_line = 2;
    scroll_wheel(viewer, v, 1e12);
    EXPECT_EQ(viewer.top_line, 0);
    EXPECT_EQ(viewer.scroll_offset, 0);
}

TEST_F(Viewing, PagingKeysAndHomeEnd) {
    ViewLines& v = lines_of(117);
    InputSample in;
    in.page_up = -32767;
    viewer.top_line = 10;
    poll_input(viewer, v, in);
    EXPECT_EQ(viewer.top_line, 0);
    in = {};
    in.page_down = -32767;
    viewer.top_line = 80;
    poll_input(viewer, v, in);
    EXPECT_EQ(viewer.top_line, 84);
    in = {};
    in.page_down = -32768;  // held, not newly pressed
    viewer.top_line = 0;
    poll_input(viewer, v, in);
    EXPECT_EQ(viewer.top_line, 0);
    in = {};
    in.end = -32767;
    poll_input(viewer, v, in);
    EXPECT_EQ(viewer.top_line, 84);
    in = {};
    in.home = -32767;
    poll_input(viewer, v, in);
    EXPECT_EQ(viewer.top_line, 0);
    ViewLines& short_doc = lines_of(22);
    in = {};
    in.end = -32767;
    poll_input(viewer, short_doc, in);
    EXPECT_EQ(viewer.top_line, 0);
}

TEST_F(Viewing, ShortDocumentCannotScroll) {
    ViewLines& v = lines_of(22);
    scroll_line_down(viewer, v, true);
    scroll_wheel(viewer, v, -3.0);
    EXPECT_EQ(viewer.top_line, 0);
    EXPECT_EQ(viewer.scroll_offset, 0);
    viewer.mouse_x = 780;
    viewer.mouse_y = 500;
    viewer.mouse_button = 1;
    drag_scrollbar(viewer, v);
    EXPECT_EQ(viewer.top_line, 0);
    draw_scrollbar(viewer, v);
    EXPECT_EQ(changed_pixels(PAPER), 0);
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

TEST_F(Viewing, ScrollbarDragFollowsThePointerAndOutlivesTheStrip) {
    ViewLines& v = lines_of(117);
    viewer.mouse_x = 789;   // a sampled 790...799 still lies on the strip
    viewer.mouse_y = 380;
    drag_scrollbar(viewer, v);
    EXPECT_EQ(assets.pointer_mode, POINTER_HOVER);
    EXPECT_EQ(viewer.scrollbar_glow, 5);
    EXPECT_EQ(viewer.top_line, 0);
    viewer.mouse_button = 1;
    drag_scrollbar(viewer, v);
    EXPECT_EQ(assets.pointer_mode, POINTER_NORMAL);
    EXPECT_EQ(viewer.top_line, 42);  // 180 * 84 / 361 = 41.88
    viewer.mouse_x = 300;            // off the strip, button still held
    viewer.mouse_y = 10;
    drag_scrollbar(viewer, v);
    EXPECT_EQ(viewer.top_line, 0);
    EXPECT_EQ(viewer.scrollbar_drag, 1);
    EXPECT_EQ(viewer.scrollbar_glow, 15);
    viewer.mouse_button = 0;
    drag_scrollbar(viewer, v);
    EXPECT_EQ(viewer.scrollbar_drag, 0);
    EXPECT_EQ(viewer.scrollbar_glow, 10);
}

TEST_F(Viewing, ScrollbarDragIgnoresTheClickLatch) {
    // A press already used elsewhere that slides onto the strip drags as well.
    ViewLines& v = lines_of(117);
    viewer.click_latch = 1;
    viewer.mouse_button = 1;
    viewer.mouse_x = 780;
    viewer.mouse_y = 560;
    drag_scrollbar(viewer, v);
    EXPECT_EQ(viewer.scrollbar_drag, 1);
    EXPECT_EQ(viewer.top_line, 84);
}

TEST_F(Viewing, ScrollbarThumbPosition) {
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
    static PageStore store;
    store_document(store, 2, 100, "1");
    load_document(store, view, 2);
    draw_view_rules(viewer, view, 0);
    // Row 0 (centre 186) and row 33 (centre 582) are outside; rows 1...32 are drawn.
    EXPECT_EQ(pixel(20, 186), PAPER);
    EXPECT_EQ(pixel(20, 198), 0xFFFFFFu);
    EXPECT_EQ(pixel(20, 570), 0xFFFFFFu);
    EXPECT_EQ(pixel(20, 582), PAPER);
    EXPECT_EQ(changed_pixels(PAPER), 32 * 3 * 745);
}

TEST_F(Viewing, TextPathsAndRowPlacement) {
    static PageStore store;
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
    // Lines 0...4 at rows 0...4; "L" then a digit: nothing below row 4 (y 228...239).
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
    EXPECT_EQ(pixel(22, 300), PAPER);
    EXPECT_EQ(changed_pixels(PAPER), 2 * 389);
    fill_frame(PAPER);
    draw_wipe_blinds(747);
    for (int x = 20; x <= 767; ++x) {
        ASSERT_EQ(pixel(x, 192), 0u) << x;
        ASSERT_EQ(pixel(x, 580), 0u) << x;
    }
    EXPECT_EQ(pixel(19, 300), PAPER);
    EXPECT_EQ(pixel(768, 300), PAPER);
    EXPECT_EQ(pixel(300, 191), PAPER);
    EXPECT_EQ(pixel(300, 581), PAPER);
}

}  // namespace
