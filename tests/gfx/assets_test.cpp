#include "gfx/assets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "gfx/intro.h"
#include "issue/art/art.h"

namespace {

TEST(Art, ShortOrMissingDataIsRefusedAndChangesNothing)
{
    auto a = std::make_unique<GfxAssets>();
    auto s = std::make_unique<IntroState>();
    ASSERT_TRUE(prepare_text_font(*a, issue_text_font, issue_text_font_size));
    ASSERT_TRUE(prepare_background(*a, issue_panel_picture, issue_panel_picture_size));
    ASSERT_TRUE(prepare_intro(*s, issue_intro_font, issue_intro_font_size));
    const auto kept = std::make_unique<GfxAssets>(*a);
    const auto intro_kept = std::make_unique<IntroState>(*s);
    EXPECT_FALSE(prepare_text_font(*a, issue_text_font, FONT_ART_BYTES - 1));
    EXPECT_FALSE(prepare_text_font(*a, nullptr, 0));
    EXPECT_FALSE(prepare_background(*a, issue_panel_picture, PANEL_ART_BYTES - 1));
    EXPECT_FALSE(prepare_background(*a, nullptr, 0));
    EXPECT_FALSE(prepare_intro(*s, issue_intro_font, INTRO_FONT_ART_BYTES - 1));
    EXPECT_FALSE(prepare_intro(*s, nullptr, 0));
    EXPECT_EQ(std::memcmp(a.get(), kept.get(), sizeof *a), 0);
    EXPECT_EQ(std::memcmp(s.get(), intro_kept.get(), sizeof *s), 0);
}

} // namespace
