// Shared set-up for the spine's unit tests: the issue's font and shade table, and the module
// state put back to its start values.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "app/menus.h"
#include "app/pages.h"
#include "app/viewer.h"
#include "gfx/assets.h"
#include "gfx/frame.h"

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

// The issue's buttons and menus, the articles list shown.
inline void load_menus() {
    rewind_constant_data(assets);
    prepare_pointer();
    load_buttons();
    build_issue_strings();
    menu_mode = MENU_ARTICLES;
}

struct SpineTest : ::testing::Test {
    void SetUp() override {
        prepare_text_font();
        fill_frame(PAPER);
        viewer = Viewer{};
        anim_phase = 0.0;
        assets.pointer_mode = POINTER_NORMAL;
    }
};
