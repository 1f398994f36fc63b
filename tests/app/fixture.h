// Shared set-up for the spine's unit tests: a small synthetic font and shade table, and
// the module state put back to its start values.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "app/menus.h"
#include "app/pages.h"
#include "app/viewer.h"
#include "gfx/assets.h"
#include "gfx/frame.h"

// Shade of font value v in colour k: easy to recognise in the frame buffer.
inline uint32_t test_shade(int v, int k) {
    return 0x010000u * static_cast<uint32_t>(v + 1) + 0x0100u * static_cast<uint32_t>(k) + 0x01u;
}

// Every glyph's row r, column i holds the value (r + i) % 4 in style 1 and 5 in style 2,
// so values 0, 1 and the drawn values 2, 3 all occur in each glyph.
inline void install_test_font() {
    for (int y = 0; y < FONT_STRIP_HEIGHT; ++y)
        for (int x = 0; x < FONT_STRIP_WIDTH; ++x)
            assets.font_pixels[y * FONT_STRIP_WIDTH + x] = y < 14 ? (y + (x - 1) % 9) % 4 : 5;
    for (int v = 0; v < 256; ++v) {
        assets.shade_table[v * SHADE_COLUMNS] = 0;
        for (int k = 1; k < SHADE_COLUMNS; ++k)
            assets.shade_table[v * SHADE_COLUMNS + k] = test_shade(v, k);
    }
}

constexpr uint32_t PAPER = 0x00ABCDEF;  // frame contents before drawing

inline void fill_frame(uint32_t c) {
    for (uint32_t& p : frame_buffer)
        p = c;
}

// A document of n lines (plus the terminator) whose line l reads "Ll" with rule flag rule.
inline void store_document(PageStore& store, int d, int n, const char* rule = "0") {
    store.lines[d].clear();
    const std::string ones(80, '1');
    for (int l = 0; l < n; ++l)
        page_store_set(store, l, d, std::to_string(l).insert(0, 1, 'L'), ones, ones, rule);
    page_store_set(store, n, d, "<END>", ones, ones, "0");
}

struct SpineTest : ::testing::Test {
    void SetUp() override {
        install_test_font();
        fill_frame(PAPER);
        viewer = Viewer{};
        anim_phase = 0.0;
        assets.pointer_mode = POINTER_NORMAL;
    }
};
