#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "app/options.h"
#include "platform/keys.h"

TEST(Script, ParsesEveryActionAndSortsByFrame)
{
    std::vector<ScriptEvent> ev;
    std::string err;
    const char* text =
        "# comment\n"
        "\n"
        "10 key down PageDown\n"
        "3 move 12 -4   # trailing comment\n"
        "3 press\n"
        "4 release\n"
        "5 rpress\n"
        "5 rrelease\n"
        "6 wheel -3\n"
        "7 key up Home\r\n"
        "11 close\n";
    ASSERT_TRUE(parse_script(text, "s", ev, err)) << err;
    using enum ScriptAction;
    // The same frame keeps the file's order.
    const ScriptEvent want[] = {{3, Move, 12, -4},       {3, Press, 0, 0},  {4, Release, 0, 0},
                                {5, RightPress, 0, 0},   {5, RightRelease, 0, 0}, {6, Wheel, -3, 0},
                                {7, KeyUp, VK_HOME, 0},  {10, KeyDown, VK_PAGE_DOWN, 0}, {11, Close, 0, 0}};
    ASSERT_EQ(ev.size(), std::size(want));
    for (size_t i = 0; i < ev.size(); ++i) {
        EXPECT_EQ(ev[i].frame, want[i].frame) << i;
        EXPECT_EQ(ev[i].action, want[i].action) << i;
        EXPECT_EQ(ev[i].a, want[i].a) << i;
        EXPECT_EQ(ev[i].b, want[i].b) << i;
    }
}

TEST(Script, MalformedLinesNameTheFileAndLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"x press\n", "f.txt:1: "},
        {"1 press\n2\n", "f.txt:2: "},
        {"\n\n1 key sideways Escape\n", "f.txt:3: "},
        {"1 key down F1\n", "f.txt:1: "},
        {"1 move 3\n", "f.txt:1: "},
        {"1 move a b\n", "f.txt:1: "},
        {"1 wheel 0\n", "f.txt:1: "},
        {"1 press now\n", "f.txt:1: "},
        {"1 jump\n", "f.txt:1: "},
        {"-1 press\n", "f.txt:1: "},
    };
    for (const auto& c : cases) {
        std::vector<ScriptEvent> ev;
        std::string err;
        EXPECT_FALSE(parse_script(c.text, "f.txt", ev, err)) << c.text;
        EXPECT_EQ(err.rfind(c.error, 0), 0u) << c.text << " -> " << err;
        EXPECT_GT(err.size(), std::string(c.error).size());
    }
}

TEST(Options, ValuesAreChecked)
{
    auto parse = [](std::vector<const char*> args, Options& o, std::string& err) {
        args.insert(args.begin(), "kelvarin");
        return parse_options(int(args.size()), const_cast<char**>(args.data()), o, err);
    };
    Options o;
    std::string err;
    ASSERT_TRUE(parse({"--fixed-step", "16.5", "--frames", "9", "--capture", "3:a.png", "--capture", "0:b:c.png",
                       "--windowed"},
                      o, err))
        << err;
    EXPECT_DOUBLE_EQ(o.fixed_step_ms, 16.5);
    EXPECT_EQ(o.frames, 9);
    ASSERT_EQ(o.captures.size(), 2u);
    EXPECT_EQ(o.captures[1].frame, 0);
    EXPECT_EQ(o.captures[1].path, "b:c.png");
    EXPECT_TRUE(o.windowed);
    for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{
             {"--frames", "0"}, {"--frames"}, {"--fixed-step", "-2"}, {"--capture", "x.png"},
             {"--capture", "3:"}, {"--bogus"}, {"--script", "/nonexistent/script"}}) {
        Options fresh;
        EXPECT_FALSE(parse(bad, fresh, err)) << bad[0];
        EXPECT_FALSE(err.empty());
    }
}
