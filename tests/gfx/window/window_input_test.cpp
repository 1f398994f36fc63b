#include <gtest/gtest.h>

#include "gfx/window.h"
#include "platform/keys.h"

TEST(WindowInput, OneWheelMessageIsOneStepWhateverItsSize)
{
    window_set_wheel(1, 0);
    window_on_wheel(240);
    EXPECT_EQ(window_wheel(), 1);
    window_on_wheel(1);
    window_on_wheel(0);   // a zero delta counts as "away"
    EXPECT_EQ(window_wheel(), 3);
    window_on_wheel(-480);
    EXPECT_EQ(window_wheel(), 2);
    window_set_wheel(5, 10);
    window_on_wheel(-1);
    EXPECT_EQ(window_wheel(), 5);
    window_set_wheel(1, 0);
}

TEST(WindowInput, PositionsAreSixteenBitUnsigned)
{
    window_on_mouse_move(123, 456);
    EXPECT_EQ(window_mouse_x(), 123);
    EXPECT_EQ(window_mouse_y(), 456);
    window_on_mouse_move(-1, -3);
    EXPECT_EQ(window_mouse_x(), 65535);
    EXPECT_EQ(window_mouse_y(), 65533);
}

TEST(WindowInput, ButtonsAreTrackedSeparately)
{
    window_on_button(1, 1);
    window_on_button(0, 1);
    EXPECT_EQ(window_left_button(), 1);
    EXPECT_EQ(window_right_button(), 1);
    window_on_button(1, 0);
    EXPECT_EQ(window_left_button(), 0);
    EXPECT_EQ(window_right_button(), 1);
    window_on_button(0, 0);
    EXPECT_EQ(window_right_button(), 0);
}

TEST(WindowScaling, FrameFitsWithBarsAndKeepsItsAspect)
{
    WindowViewport wide = window_fit_viewport(1920, 1080, 800, 600);
    EXPECT_EQ(wide.h, 1080);
    EXPECT_EQ(wide.w, 1440);
    EXPECT_EQ(wide.x, 240);
    EXPECT_EQ(wide.y, 0);
    WindowViewport tall = window_fit_viewport(800, 1000, 800, 600);
    EXPECT_EQ(tall.w, 800);
    EXPECT_EQ(tall.h, 600);
    EXPECT_EQ(tall.y, 200);
    WindowViewport same = window_fit_viewport(800, 600, 800, 600);
    EXPECT_EQ(same.x, 0);
    EXPECT_EQ(same.w, 800);
}

TEST(WindowScaling, MousePositionsComeOutInFramePixels)
{
    WindowViewport v = window_fit_viewport(1920, 1080, 800, 600);
    int x, y;
    window_scale_mouse(v, 800, 600, 240, 0, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    window_scale_mouse(v, 800, 600, 240 + 1439, 1079, &x, &y);
    EXPECT_EQ(x, 799);
    EXPECT_EQ(y, 599);
    window_scale_mouse(v, 800, 600, 240 + 720, 540, &x, &y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    // In the left bar: left of the frame, negative like a captured position.
    window_scale_mouse(v, 800, 600, 100, 540, &x, &y);
    EXPECT_LT(x, 0);
    window_scale_mouse(window_fit_viewport(800, 600, 800, 600), 800, 600, 17, 33, &x, &y);
    EXPECT_EQ(x, 17);
    EXPECT_EQ(y, 33);
}

TEST(WindowInput, CloseRequestsComeFromTheCloseBoxAltF4AndEscapeWhereAllowed)
{
    auto key = [](int vk, bool down, bool alt) {
        DisplayEvent e{DisplayEventKind::Key};
        e.key = vk;
        e.on = down;
        e.alt = alt;
        return e;
    };
    const struct {
        DisplayEvent event;
        uint8_t allow_close;
        bool requested;
    } cases[] = {
        {DisplayEvent{DisplayEventKind::Close}, 0, true},
        {key(VK_F4, true, true), 0, true},
        {key(VK_F4, true, false), 1, false},
        {key(VK_ESCAPE, true, false), 0, false},
        {key(VK_ESCAPE, true, false), 1, true},
        {key(VK_ESCAPE, false, false), 1, false},
    };
    for (const auto& c : cases) {
        WindowState w;
        w.width = 800;
        w.height = 600;
        w.allow_close = c.allow_close;
        window_handle_event(w, c.event, 800, 600);
        EXPECT_EQ(w.close_requested, c.requested) << int(c.event.kind) << " key " << c.event.key;
    }
}
