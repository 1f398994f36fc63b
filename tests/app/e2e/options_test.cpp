#include <gtest/gtest.h>

#include <tuple>
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
    using Event = std::tuple<int, ScriptAction, int, int>;
    std::vector<Event> got;
    for (const ScriptEvent& e : ev) got.emplace_back(e.frame, e.action, e.a, e.b);
    // The same frame keeps the file's order.
    const std::vector<Event> want = {{3, Move, 12, -4},      {3, Press, 0, 0},        {4, Release, 0, 0},
                                     {5, RightPress, 0, 0},  {5, RightRelease, 0, 0}, {6, Wheel, -3, 0},
                                     {7, KeyUp, VK_HOME, 0}, {10, KeyDown, VK_PAGE_DOWN, 0}, {11, Close, 0, 0}};
    EXPECT_EQ(got, want);
}

TEST(Script, MalformedLinesNameTheFileAndLine)
{
    const struct {
        const char* text;
        int line;
    } cases[] = {
        {"x press\n", 1},      {"1 press\n2\n", 2}, {"\n\n1 key sideways Escape\n", 3}, {"1 key down F1\n", 1},
        {"1 move 3\n", 1},     {"1 move a b\n", 1}, {"1 wheel 0\n", 1},                 {"1 press now\n", 1},
        {"1 jump\n", 1},       {"-1 press\n", 1},
    };
    for (const auto& c : cases) {
        std::vector<ScriptEvent> ev;
        std::string err;
        const std::string where = "f.txt:" + std::to_string(c.line) + ": ";
        EXPECT_FALSE(parse_script(c.text, "f.txt", ev, err)) << c.text;
        EXPECT_EQ(err.rfind(where, 0), 0u) << c.text << " -> " << err;
        EXPECT_GT(err.size(), where.size()) << c.text;
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
