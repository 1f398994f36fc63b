#include "tests/app/fixture.h"

namespace {

struct Viewing : SpineTest {
    PageStore store;
    ViewLines& lines_of(int n) {
        store_document(store, 1, n);
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

}  // namespace
