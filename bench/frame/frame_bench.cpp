// Time to build one magazine frame and to decode one document into the view.
// Usage: frame_bench [iterations]   (prints microseconds per operation)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/menus.h"
#include "app/pages.h"
#include "app/viewer.h"
#include "gfx/assets.h"
#include "gfx/bars.h"
#include "gfx/frame.h"
#include "gfx/scroller.h"

namespace {

using bench_clock = std::chrono::steady_clock;

void build_frame() {
    std::memcpy(frame_buffer, background_buffer, sizeof background_buffer);
    draw_buttons();
    draw_menus();
    draw_view_rules(viewer.top_line);
    draw_view_text(viewer.top_line);
    draw_music_bars();
    draw_song_scroller();
    draw_scrollbar();
    drag_scrollbar();
    draw_pointer(viewer.mouse_x, viewer.mouse_y, 2);
    anim_phase += 4.0;
}

template <typename F>
void report(const char* what, int iterations, F&& f) {
    std::vector<double> us;
    us.reserve(static_cast<size_t>(iterations));
    for (int i = 0; i < iterations; ++i) {
        const auto t0 = bench_clock::now();
        f();
        us.push_back(std::chrono::duration<double, std::micro>(bench_clock::now() - t0).count());
    }
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double u : us)
        sum += u;
    std::printf("%-34s median %8.1f us  mean %8.1f us  min %8.1f us  (%d runs)\n", what, us[us.size() / 2],
                sum / us.size(), us.front(), iterations);
}

// Every cell of every line drawable, every fourth line ruled: the most the viewer ever draws.
void fill_dense_document(PageStore& store, int d) {
    store.lines[d].clear();
    const std::string style(80, '1');
    for (int l = 0; l < 400; ++l) {
        std::string text(80, ' ');
        std::string colour(80, '1');
        for (int k = 0; k < 80; ++k) {
            text[k] = static_cast<char>(33 + (l * 7 + k) % 200);
            colour[k] = "123456789ABCDEFGHIJKLMNOPQRSTU"[(l + k) % 30];
        }
        page_store_set(store, l, d, text, colour, style, l % 4 == 0 ? "8" : "0");
    }
    page_store_set(store, 400, d, "<END>", style, style, "0");
}

}  // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    fill_page_store();
    build_issue_strings();
    prepare_background();
    prepare_text_font();
    rewind_constant_data(assets);
    prepare_pointer();
    load_buttons();
    set_bar_row_colours();
    reset_music_bars();
    decode_background(0, 0, 799, 599, 0, 0);
    viewer.mouse_x = 300;
    viewer.mouse_y = 80;

    load_document(4);
    report("magazine frame, document 4", iterations, build_frame);
    fill_dense_document(page_store, 20);
    load_document(20);
    viewer.top_line = 10;
    report("magazine frame, every cell drawn", iterations, build_frame);
    report("load_document, document 4", std::max(1, iterations / 10), [] { load_document(4); });
    report("load_document, 400 full lines", std::max(1, iterations / 10), [] { load_document(20); });
    return 0;
}
