#include "gfx/assets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "issue/art/art.h"

namespace {

uint32_t rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

std::vector<uint8_t> font_art_with_palette_entry(int index, int r, int g, int b)
{
    std::vector<uint8_t> art(FONT_ART_BYTES, 0);
    uint8_t* palette = art.data() + FONT_STRIP_PIXELS;
    palette[3 * index] = uint8_t(r);
    palette[3 * index + 1] = uint8_t(g);
    palette[3 * index + 2] = uint8_t(b);
    return art;
}

TEST(ShadeTable, StepsAndTintGroupsFromOnePaletteEntryRoundingDown)
{
    // Steps divide by 1.5 and 2; the groups keep channels at full, 0.7 and 0.3, halves down.
    const struct {
        int r, g, b;
        int column;
        uint32_t colour;
    } cases[] = {
        {200, 101, 5, 0, 0},         {200, 101, 5, 1, rgb(200, 101, 5)}, {200, 101, 5, 2, rgb(133, 67, 3)},
        {200, 101, 5, 3, rgb(100, 50, 2)}, {200, 101, 5, 4, rgb(200, 0, 0)},  {200, 101, 5, 9, rgb(0, 50, 0)},
        {200, 101, 5, 12, rgb(0, 0, 2)},   {200, 101, 5, 13, rgb(200, 101, 0)}, {200, 101, 5, 16, rgb(0, 101, 5)},
        {200, 101, 5, 19, rgb(200, 0, 5)}, {200, 101, 5, 22, rgb(200, 71, 1)}, {200, 101, 5, 25, rgb(60, 71, 5)},
        {200, 101, 5, 28, rgb(140, 101, 3)}, {5, 5, 5, 22, rgb(5, 3, 1)},      {5, 5, 5, 25, rgb(1, 3, 5)},
        {5, 5, 5, 28, rgb(3, 5, 3)},
    };
    auto a = std::make_unique<GfxAssets>();
    for (const auto& c : cases) {
        const auto art = font_art_with_palette_entry(7, c.r, c.g, c.b);
        ASSERT_TRUE(prepare_text_font(*a, art.data(), art.size()));
        EXPECT_EQ(a->shade_table[7 * SHADE_COLUMNS + c.column], c.colour) << c.r << " column " << c.column;
    }
}

TEST(ShadeTable, EmbeddedFontIsTakenAndShortDataRefusedChangingNothing)
{
    auto a = std::make_unique<GfxAssets>();
    ASSERT_TRUE(prepare_text_font(*a, issue_text_font, issue_text_font_size));
    const uint8_t* palette = issue_text_font + FONT_STRIP_PIXELS;
    for (int i = 0; i < PALETTE_ENTRIES; ++i)
        EXPECT_EQ(a->shade_table[i * SHADE_COLUMNS + 1], rgb(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]));
    EXPECT_EQ(a->font_pixels[FONT_STRIP_PIXELS - 1], issue_text_font[FONT_STRIP_PIXELS - 1]);
    const uint32_t kept = a->shade_table[SHADE_COLUMNS + 1];
    EXPECT_FALSE(prepare_text_font(*a, issue_text_font, FONT_ART_BYTES - 1));
    EXPECT_FALSE(prepare_text_font(*a, nullptr, 0));
    EXPECT_EQ(a->shade_table[SHADE_COLUMNS + 1], kept);
}

TEST(Background, DecodesThroughThePaletteAndHonoursTheRectangle)
{
    auto a = std::make_unique<GfxAssets>();
    std::vector<uint8_t> art(PANEL_ART_BYTES, 0);
    for (int i = 0; i < PALETTE_ENTRIES; ++i) {
        art[3 * i] = uint8_t(i);
        art[3 * i + 1] = uint8_t(255 - i);
        art[3 * i + 2] = uint8_t(i / 2);
    }
    for (int i = 0; i < PANEL_PIXELS; ++i) art[PALETTE_BYTES + i] = uint8_t(i % 251);
    ASSERT_TRUE(prepare_background(*a, art.data(), art.size()));
    EXPECT_FALSE(prepare_background(*a, art.data(), art.size() - 1));

    std::vector<uint32_t> target(FRAME_PIXELS + 1, 0xDEAD);
    decode_background(*a, target.data(), 0, 0, 799, 599, 0, 0);
    EXPECT_EQ(target[0], rgb(0, 255, 0));
    const int last = FRAME_PIXELS - 1;
    EXPECT_EQ(target[last], rgb(last % 251, 255 - last % 251, last % 251 / 2));
    EXPECT_EQ(target[FRAME_PIXELS], 0xDEADu);

    // Two columns by three rows of the source moved to (500, 400).
    std::fill(target.begin(), target.end(), 0xDEAD);
    decode_background(*a, target.data(), 10, 20, 1, 2, 500, 400);
    EXPECT_EQ(std::count_if(target.begin(), target.end(), [](uint32_t p) { return p != 0xDEAD; }), 6);
    const int source = 22 * 800 + 11;
    EXPECT_EQ(target[402 * 800 + 501], rgb(source % 251, 255 - source % 251, source % 251 / 2));

    // A rectangle hanging off the frame writes only what lies inside it.
    std::fill(target.begin(), target.end(), 0xDEAD);
    decode_background(*a, target.data(), 790, 590, 30, 30, 795, 595);
    EXPECT_EQ(std::count_if(target.begin(), target.end(), [](uint32_t p) { return p != 0xDEAD; }), 25);
    EXPECT_EQ(target[FRAME_PIXELS], 0xDEADu);
}

struct PointerTest : ::testing::Test {
    std::unique_ptr<GfxAssets> a = std::make_unique<GfxAssets>();
    std::vector<uint32_t> target = std::vector<uint32_t>(FRAME_PIXELS + 1, 0);
    void SetUp() override
    {
        rewind_constant_data(*a);
        prepare_pointer(*a);
        load_buttons(*a);
    }
    uint32_t at(int x, int y) const { return target[y * FRAME_WIDTH + x]; }
    long drawn() const { return std::count_if(target.begin(), target.end(), [](uint32_t p) { return p != 0; }); }
};

TEST_F(PointerTest, ImagesAndButtonsComeFromTheListInOrder)
{
    EXPECT_EQ(a->pointer_normal[0], 0x111133u);
    EXPECT_EQ(a->pointer_normal[1 * 11 + 1], 0x8888AAu);
    EXPECT_EQ(a->pointer_hover[1 * 11 + 2], 0xFFEEEEu);
    EXPECT_EQ(a->pointer_hover[2 * 11 + 1], 0x997777u);
    EXPECT_EQ(a->pointer_normal[9], 0u);
    EXPECT_EQ(a->pointer_hover[10 * 11 + 6], 0x553333u);

    EXPECT_EQ(a->buttons.x[1], 35);
    EXPECT_EQ(a->buttons.state[3], 1);
    EXPECT_EQ(a->buttons.y[6], 40);
    EXPECT_EQ(a->buttons.state[7], 1);
    EXPECT_EQ(a->buttons.x[10], 729);
    EXPECT_EQ(a->buttons.width[10], 57);
    EXPECT_EQ(a->buttons.height[10], 18);
    EXPECT_EQ(read_constant_data(*a), 0);  // the list is used up
}

TEST_F(PointerTest, ModeOneDrawsNormalAnythingElseHover)
{
    draw_pointer(*a, target.data(), 100, 200);
    EXPECT_EQ(at(100, 200), 0x111133u);
    EXPECT_EQ(at(101, 201), 0x8888AAu);
    EXPECT_EQ(at(109, 200), 0u);  // transparent code
    EXPECT_EQ(drawn(), 81);       // the shape's non-zero codes
    for (uint8_t mode : {uint8_t(2), uint8_t(0), uint8_t(7)}) {
        a->pointer_mode = mode;
        draw_pointer(*a, target.data(), 100, 200);
        EXPECT_EQ(at(101, 201), 0xDDBBBBu) << int(mode);
    }
}

TEST_F(PointerTest, DrawingLimits)
{
    for (auto [x, y] : {std::pair{0, 100}, {100, 0}, {792, 100}, {100, 592}, {-5, -5}}) {
        draw_pointer(*a, target.data(), x, y);
        EXPECT_EQ(drawn(), 0) << x << "," << y;
    }
    // At the far corner the parts past the frame's edge are dropped, not wrapped.
    draw_pointer(*a, target.data(), 791, 591);
    EXPECT_EQ(at(799, 591), 0x111133u);
    EXPECT_EQ(at(1, 598), 0u);          // row 6, column 10 would wrap here
    EXPECT_EQ(target[FRAME_PIXELS], 0u);
    EXPECT_EQ(at(796, 599), 0x555577u); // row 8, column 5
}

TEST(StartUp, ModuleLevelTablesFromTheEmbeddedArtAndTheList)
{
    prepare_background();
    prepare_text_font();
    rewind_constant_data(assets);
    prepare_pointer();
    load_buttons();
    decode_background(0, 0, 799, 599, 0, 0);
    for (int i : {0, 12345, FRAME_PIXELS - 1}) {
        const uint8_t index = issue_panel_picture[PALETTE_BYTES + i];
        const uint8_t* p = issue_panel_picture + 3 * index;
        EXPECT_EQ(background_buffer[i], rgb(p[0], p[1], p[2])) << i;
    }
    EXPECT_EQ(assets.buttons.x[9], 665);
    EXPECT_EQ(assets.pointer_mode, POINTER_NORMAL);
}

TEST(BlendBox, CoversInclusiveExtentsWithTheWeightedMixAndStaysInsideTheFrame)
{
    auto changed = [](uint32_t paper) {
        long n = 0;
        for (int i = 0; i <= FRAME_PIXELS; ++i) n += frame_buffer[i] != paper;
        return n;
    };
    std::fill(frame_buffer, frame_buffer + FRAME_PIXELS + 1, 0x808080u);
    blend_box(10, 20, 8, 20, 125, 255, 0, 0);
    EXPECT_EQ(changed(0x808080u), 9 * 21);
    // (255 * 125 + 128 * 131) >> 8 = 190, (128 * 131) >> 8 = 65
    EXPECT_EQ(frame_buffer[20 * 800 + 10] & 0xFFFFFF, 0xBE4141u);
    EXPECT_EQ(frame_buffer[40 * 800 + 18] & 0xFFFFFF, 0xBE4141u);
    std::fill(frame_buffer, frame_buffer + FRAME_PIXELS + 1, 0u);
    blend_box(795, 595, 10, 10, 100, 255, 255, 255);
    blend_box(-3, -3, 4, 4, 100, 255, 255, 255);
    EXPECT_EQ(changed(0), 25 + 4);
    EXPECT_EQ(frame_buffer[FRAME_PIXELS], 0u);
    EXPECT_EQ(frame_buffer[596 * 800 + 0], 0u);  // a wrapped column 800 of row 595
}

} // namespace
