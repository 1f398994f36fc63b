#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>
#include <utility>

#include "gfx/window.h"
#include "platform/keys.h"

TEST(WindowInput, EventsMoveThePointerIntoTheFrameAskToCloseAndStepTheWheel)
{
    // 1920 x 1080 shows the 800 x 600 frame at 240..1679 with bars left and right; a pointer
    // outside it clamps to the nearest edge. A wheel message is one step whatever its size (a
    // zero delta counts as "away"). Escape closes only where allowed.
    using enum DisplayEventKind;
    const struct {
        DisplayEvent event;
        uint8_t allow_close;
        int x, y;
        bool close;
        int wheel;
    } cases[] = {
        {{.kind = MouseMove, .x = 960, .y = 540}, 0, 400, 300, false, 0},
        {{.kind = MouseMove, .x = 240, .y = 0}, 0, 0, 0, false, 0},
        {{.kind = MouseMove, .x = 1679, .y = 1079}, 0, 799, 599, false, 0},
        {{.kind = MouseMove, .x = 100, .y = 540}, 0, 0, 300, false, 0},       // left bar
        {{.kind = MouseMove, .x = 239, .y = 540}, 0, 0, 300, false, 0},
        {{.kind = MouseMove, .x = 1900, .y = 540}, 0, 799, 300, false, 0},    // right bar
        {{.kind = MouseMove, .x = -5000, .y = -40}, 0, 0, 0, false, 0},       // outside, button held
        {{.kind = MouseMove, .x = 960, .y = 70000}, 0, 400, 599, false, 0},
        {{.kind = Button, .x = 50, .y = 540, .button = DISPLAY_BUTTON_LEFT, .on = true}, 0, 0, 300, false, 0},
        {{.kind = Close}, 0, 0, 0, true, 0},
        {{.kind = Key, .key = VK_F4, .on = true, .alt = true}, 0, 0, 0, true, 0},
        {{.kind = Key, .key = VK_F4, .on = true}, 1, 0, 0, false, 0},
        {{.kind = Key, .key = VK_ESCAPE, .on = true}, 0, 0, 0, false, 0},
        {{.kind = Key, .key = VK_ESCAPE, .on = true}, 1, 0, 0, true, 0},
        {{.kind = Key, .key = VK_ESCAPE}, 1, 0, 0, false, 0},
        {{.kind = Wheel, .steps = 240}, 0, 0, 0, false, 5},
        {{.kind = Wheel, .steps = 1}, 0, 0, 0, false, 5},
        {{.kind = Wheel, .steps = 0}, 0, 0, 0, false, 5},
        {{.kind = Wheel, .steps = -480}, 0, 0, 0, false, -5},
        {{.kind = Wheel, .steps = -1}, 0, 0, 0, false, -5},
    };
    for (const auto& c : cases) {
        WindowState w;
        w.width = 800;
        w.height = 600;
        w.allow_close = c.allow_close;
        w.wheel_step = 5;
        window_handle_event(w, c.event, 1920, 1080);
        EXPECT_EQ(std::tuple(w.mouse_x, w.mouse_y, w.close_requested, w.wheel), std::tuple(c.x, c.y, c.close, c.wheel))
            << int(c.event.kind) << " at " << c.event.x << "," << c.event.y << " key " << c.event.key;
    }
}

TEST(WindowScaling, WholeStepsByNearestNeighbourThenLinearOntoTheLargestFit)
{
    const struct {
        int w, h;
        std::array<int, 5> plan;  // factor, then the destination's x, y, width and height
    } cases[] = {
        {1920, 1080, {1, 240, 0, 1440, 1080}},
        {1280, 1024, {1, 0, 32, 1280, 960}},
        {800, 600, {1, 0, 0, 800, 600}},
        {640, 400, {1, 53, 0, 533, 400}},    // smaller than the picture
        {800, 1000, {1, 0, 200, 800, 600}},
        {1600, 1200, {2, 0, 0, 1600, 1200}},
        {2560, 1440, {2, 320, 0, 1920, 1440}},
        {3840, 2160, {3, 480, 0, 2880, 2160}},
    };
    for (const auto& c : cases) {
        const WindowScaling p = window_scaling_plan(c.w, c.h, 800, 600);
        EXPECT_EQ((std::array{p.factor, p.dest.x, p.dest.y, p.dest.w, p.dest.h}), c.plan) << c.w << "x" << c.h;
    }
}

TEST(WindowPacing, AtMostSixtyPresentsInASecondWhateverTheDisplay)
{
    const struct {
        const char* display;
        int vsync_hz;         // presents wait for the next vertical blank at this rate; 0: no vsync
        double draw_seconds;  // drawing time between presents
        int at_least;         // presents there must still be
    } cases[] = {
        {"144 Hz", 144, 0.002, 59},
        {"no vsync", 0, 0.001, 59},
        {"no vsync, instant drawing", 0, 0.0, 59},
        {"60 Hz paces itself", 60, 0.002, 59},
        {"too slow for 60", 0, 0.025, 39},
    };
    for (const auto& c : cases) {
        FramePacer pacer;
        double t = 0.0, waited = 0.0;
        int presents = 0;
        while (t < 1.0) {
            t += c.draw_seconds;
            double wait = pace_frame(pacer, t, c.vsync_hz);
            waited += wait;
            t += wait;
            if (t < 1.0) ++presents;
            if (c.vsync_hz) t = std::ceil(t * c.vsync_hz - 1e-9) / c.vsync_hz;
        }
        EXPECT_LE(presents, WINDOW_MAX_RATE) << c.display;
        EXPECT_GE(presents, c.at_least) << c.display;
        if (c.vsync_hz == WINDOW_MAX_RATE) {
            EXPECT_EQ(waited, 0.0) << c.display;   // the display sets the pace: no waiting on top
        }
    }
}

TEST(WindowOpen, AFrameWithoutSizeIsRefusedWithAReason)
{
    for (auto [w, h] : {std::pair{0, 600}, {800, 0}, {-1, -1}}) {
        EXPECT_EQ(window_open("kelvarin", w, h), 0) << w << "x" << h;
        EXPECT_STRNE(window_error(), "") << w << "x" << h;
    }
}
