#include "app/run.h"

#include <cstdio>
#include <cstdlib>

#include "app/menus.h"
#include "app/pages.h"
#include "app/spine.h"
#include "app/viewer.h"
#include "gfx/assets.h"
#include "gfx/bars.h"
#include "gfx/frame.h"
#include "gfx/intro.h"
#include "gfx/scroller.h"
#include "gfx/window.h"
#include "issue/intro/intro.h"
#include "issue/tunes/tunes.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/signals.h"
#include "sc68/host.h"
#include "xm/tunes/tunes.h"

double frame_start = 0.0;
int32_t quit_requested = 0;

namespace {

constexpr int16_t NEWLY_PRESSED = -32767;
RunStage stage = RunStage::StartUp;

void clear_frame()
{
    for (uint32_t& p : frame_buffer) p = 0;
}

void start_up()
{
    fill_page_store();
    load_document(11);
    build_issue_strings();
    prepare_background();
    prepare_text_font();
    prepare_pointer();
    set_bar_row_colours();
    viewer.wheel_current = 0.0;
    viewer.wheel_previous = 0.0;
    load_buttons();
    reset_music_bars();
    music_set_tune(1, tune1_xm, tune1_xm_size);
    music_set_tune(2, tune2_xm, tune2_xm_size);
    music_set_tune(3, tune3_xm, tune3_xm_size);
    music_set_tune(4, tune4_xm, tune4_xm_size);
}

void intro_loop()
{
    for (;;) {
        if (end_requested()) return;
        if (key_query(VK_ESCAPE) == NEWLY_PRESSED || window_left_button()) break;
        double t0 = clock_seconds();
        draw_stars_and_bars();
        draw_intro_band();
        draw_intro_scroll();
        window_update(frame_buffer);
        clear_frame();
        sleep_ms(1);
        intro_step = (clock_seconds() - t0) * 6.0;
        intro_phase += intro_step;
    }
    // The key or click that ended the intro must not reach the magazine.
    while ((key_query(VK_ESCAPE) != 0 || window_left_button()) && !end_requested()) {
        clear_frame();
        window_update(frame_buffer);
    }
}

void hand_over()
{
    intro_music_stop();
    stage = RunStage::Magazine;
    clear_frame();
    window_update(frame_buffer);
    play_tune_1();
    clear_frame();
    decode_background(0, 0, 799, 599, 0, 0);
}

void magazine_loop()
{
    for (;;) {
        if (key_query(VK_ESCAPE) == NEWLY_PRESSED || quit_requested || end_requested()) break;
        frame_start = clock_seconds();
        scroll_line_down();
        scroll_line_up();
        scroll_wheel();
        handle_button_clicks();
        handle_menu_clicks();
        for (int i = 0; i < FRAME_PIXELS; ++i) frame_buffer[i] = background_buffer[i];
        draw_buttons();
        draw_menus();
        draw_view_rules(viewer.top_line);
        draw_view_text(viewer.top_line);
        if (assets.buttons.state[6] == 0) draw_music_bars();
        draw_song_scroller();
        draw_scrollbar();
        drag_scrollbar();
        draw_pointer(viewer.mouse_x, viewer.mouse_y, 0);
        window_update(frame_buffer);
        poll_input();
        sleep_ms(1);
        anim_phase += (clock_seconds() - frame_start) * 250.0;
    }
}

void shut_down()
{
    if (stage == RunStage::Intro) intro_music_stop();
    if (stage == RunStage::Magazine) {
        music_stop();
        music_free();
    }
    stage = RunStage::Closed;
    window_close();
}

}  // namespace

RunStage run_stage() { return stage; }

bool end_requested() { return window_close_requested() || signals_termination_requested(); }

void shutdown_now()
{
    shut_down();
    std::exit(0);
}

int run_kelvarin()
{
    start_up();
    window_allow_close(0);
    window_set_dialog(0, "THE KELVARIN PREVIEW\rFULL SCREEN?", 0, 1);
    if (!window_open("CODED BY ?! :-)", 800, 600)) {
        std::fprintf(stderr, "kelvarin: %s\n", window_error());
        return -1;
    }
    platform_hide_cursor();
    prepare_intro();
    prepare_stars();
    stage = RunStage::Intro;
    intro_music_start(intro_sc68, static_cast<unsigned>(intro_sc68_size), 0);
    intro_music_resume();
    sleep_ms(10);
    intro_phase = 0.0;

    intro_loop();
    if (!end_requested()) {
        hand_over();
        magazine_loop();
    }
    shut_down();
    return 0;
}
