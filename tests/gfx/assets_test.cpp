#include "gfx/assets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "gfx/intro.h"
#include "issue/art/art.h"

namespace {

TEST(Art, ShortOrMissingDataIsRefusedAndChangesNothing)
{
    auto a = std::make_unique<GfxAssets>();
    ASSERT_TRUE(prepare_text_font(*a, issue_text_font, issue_text_font_size));
    ASSERT_TRUE(prepare_background(*a, issue_panel_picture, issue_panel_picture_size));
    const auto kept = std::make_unique<GfxAssets>(*a);
    EXPECT_FALSE(prepare_text_font(*a, issue_text_font, FONT_ART_BYTES - 1));
    EXPECT_FALSE(prepare_text_font(*a, nullptr, 0));
    EXPECT_FALSE(prepare_background(*a, issue_panel_picture, PANEL_ART_BYTES - 1));
    EXPECT_FALSE(prepare_background(*a, nullptr, 0));
    EXPECT_EQ(std::memcmp(a->font_pixels, kept->font_pixels, sizeof a->font_pixels), 0);
    EXPECT_EQ(std::memcmp(a->shade_table, kept->shade_table, sizeof a->shade_table), 0);
    EXPECT_EQ(std::memcmp(a->background_palette, kept->background_palette, sizeof a->background_palette), 0);
    EXPECT_EQ(std::memcmp(a->background_indices, kept->background_indices, sizeof a->background_indices), 0);

    auto s = std::make_unique<IntroState>();
    ASSERT_TRUE(prepare_intro(*s, issue_intro_font, issue_intro_font_size));
    const auto intro_kept = std::make_unique<IntroState>(*s);
    EXPECT_FALSE(prepare_intro(*s, issue_intro_font, INTRO_FONT_ART_BYTES - 1));
    EXPECT_FALSE(prepare_intro(*s, nullptr, 0));
    EXPECT_EQ(std::memcmp(s->intro_palette, intro_kept->intro_palette, sizeof s->intro_palette), 0);
    EXPECT_EQ(std::memcmp(s->intro_font_pixels, intro_kept->intro_font_pixels, sizeof s->intro_font_pixels), 0);
}

} // namespace
