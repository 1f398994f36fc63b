// Drives the real program headless through scripts and looks at the frames it presented.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "gfx/assets.h"
#include "gfx/bars.h"
#include "issue/docs/documents.h"
#include "tests/app/program.h"

namespace {

// A fixed-step run of the program with a script, frames captured on request.
struct Program : ::testing::Test {
    ProgramRun p;
    int run(const std::string& script, const std::string& options)
    {
        return p.run("--fixed-step 20" + p.script(script) + " " + options);
    }
};

}  // namespace

TEST_F(Program, EscapeHeldFromTheIntroShowsBlackUntilReleasedThenTheMagazineUntilPressedAgain)
{
    std::string script =
        "# hold Escape across the end of the intro\n"
        "5 key down Escape\n"
        "12 key up Escape\n"
        "40 key down Escape\n"
        "41 key up Escape\n";
    int status = run(script, "--frames 200" + p.capture(4) + p.capture(8) + p.capture(11) + p.capture(30) + p.capture(39) +
                                 p.capture(60));
    EXPECT_EQ(status, 0);
    Image intro = p.frame(4), waiting = p.frame(8), still = p.frame(11), magazine = p.frame(30), before_quit = p.frame(39);
    EXPECT_FALSE(intro.black());
    EXPECT_TRUE(waiting.black());
    EXPECT_TRUE(still.black());
    EXPECT_FALSE(magazine.black());
    EXPECT_FALSE(before_quit.black());
    // The second press quit the run long before the frame limit.
    EXPECT_FALSE(p.captured(60));
}

TEST_F(Program, ALeftClickEndsTheIntroWithoutActingOnTheMagazine)
{
    // Click where the quit button is: if the click reached the magazine, the run would end.
    GfxAssets& a = assets;
    load_buttons(a);
    int x = a.buttons.x[1] + a.buttons.width[1] / 2, y = a.buttons.y[1] + a.buttons.height[1] / 2;
    std::string script = "2 move " + std::to_string(x) + " " + std::to_string(y) +
                         "\n"
                         "4 press\n"
                         "9 release\n";
    int status = run(script, "--frames 60" + p.capture(3) + p.capture(7) + p.capture(59));
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(p.frame(3).black());
    EXPECT_TRUE(p.frame(7).black());
    Image last = p.frame(59);
    EXPECT_FALSE(last.black());
}

TEST_F(Program, FrameLimitEndsTheIntroCleanlyAndACaptureThatCannotBeWrittenIsReported)
{
    EXPECT_EQ(run("", "--frames 3" + p.capture(2) + p.capture(3) + " --capture 1:/nonexistent/1.png"), 0);
    const Image f = p.frame(2);
    EXPECT_EQ(f.width, 800);
    EXPECT_EQ(f.height, 600);
    EXPECT_FALSE(p.captured(3));
    EXPECT_EQ(p.error_output(), "kelvarin: /nonexistent/1.png: cannot create the capture file\n");
}

TEST_F(Program, MalformedScriptStopsBeforeTheWindowOpens)
{
    EXPECT_EQ(run("1 press\n\n# fine so far\n7 key down Tab\n", "--frames 5" + p.capture(0)), 2);
    const std::string err = p.error_output();
    EXPECT_NE(err.find("script.txt:4: "), std::string::npos) << err;
    EXPECT_FALSE(p.captured(0));
}

TEST_F(Program, WithoutADisplayTheRunRefusesAtOnceWithOneLineAndMinusOne)
{
    // A login session without a display server: no display variables, an empty runtime folder.
    const std::string session = " XDG_RUNTIME_DIR='" + p.dir.string() + "' SDL_AUDIODRIVER=dummy";
    const struct {
        const char* driver;   // env arguments: options come before assignments
        const char* says;
    } cases[] = {
        {"-u SDL_VIDEODRIVER", "SDL_VIDEODRIVER=dummy"},
        {"SDL_VIDEODRIVER=no-such-driver", "no-such-driver"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driver);
        pid_t pid = p.start("--frames 5", "-u DISPLAY -u WAYLAND_DISPLAY " + std::string(c.driver) + session);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(p.finish(pid, 60), 255);
        std::string err = p.error_output();
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

TEST(ProgramListing, ListsTwentyDocumentsWithLineCountsAndLabels)
{
    std::FILE* out = ::popen("'" KELVARIN_EXE "' --list-documents", "r");
    ASSERT_NE(out, nullptr);
    std::string listing;
    char buf[512];
    while (size_t n = std::fread(buf, 1, sizeof buf, out)) listing.append(buf, n);
    const int status = ::pclose(out);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::istringstream in(listing);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ASSERT_LE(++number, issue::document_count) << line;
        EXPECT_EQ(line, std::to_string(number) + "\t" + std::to_string(issue::documents[number].line_count) + "\t" +
                            issue::documents[number].label)
            << line;
    }
    EXPECT_EQ(number, 20);
}

TEST_F(Program, IntroMusicPlaysThenTheTrackerMusicTakesOver)
{
    // The disk driver records what each opened device plays; a device opened later starts the file
    // afresh, so the first run records the intro alone and the second the magazine's music.
    auto record = [&](const std::string& script, const char* name) {
        const std::string audio = "SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=1 SDL_DISKAUDIOFILE='" + p.file(name).string() + "'";
        EXPECT_EQ(p.run(p.script(script) + " --frames 150", p.headless(audio)), 0) << name;
        // The peak of the 16-bit samples recorded.
        const std::string bytes = contents(p.file(name));
        int peak = 0;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            peak = std::max(peak, std::abs(int(int16_t(uint16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8)))));
        return peak;
    };
    EXPECT_GT(record("", "intro.raw"), 1000);
    EXPECT_GT(record("5 key down Escape\n6 key up Escape\n", "magazine.raw"), 1000);
}

TEST_F(Program, TerminationSignalsEndEitherScreenThroughTheNormalShutdown)
{
    const struct {
        int signal;
        bool magazine;
    } cases[] = {{SIGTERM, false}, {SIGINT, false}, {SIGTERM, true}, {SIGINT, true}, {SIGHUP, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + (c.magazine ? " on the magazine" : " on the intro"));
        fs::remove(p.file("config.txt"));
        fs::remove(p.file("30.png"));
        // Real time: the program runs as a reader would start it.
        const pid_t pid = p.start(p.script(c.magazine ? "5 key down Escape\n6 key up Escape\n" : "") + p.capture(30),
                                  p.headless());
        ASSERT_GT(pid, 0);
        for (int waited = 0; !p.captured(30) && waited < 6000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!p.captured(30)) {
            p.finish(pid, 0);
            FAIL() << "no frame 30";
        }
        ::kill(pid, c.signal);
        // Without frame limit the run would go on for ever: ending within the (generous) limit
        // shows the signal ended it. A tracker thread still running at exit would end the
        // process by abort, not status 0.
        EXPECT_EQ(p.finish(pid, 30), 0) << p.error_output();
        // The chip-music engine writes its configuration when it is shut down.
        EXPECT_TRUE(fs::exists(p.file("config.txt")));
    }
}

TEST_F(Program, AWindowCloseEndsEitherScreenAtOnce)
{
    const struct {
        const char* script;
        int close_frame;
    } cases[] = {{"20 close\n", 20}, {"5 key down Escape\n6 key up Escape\n40 close\n", 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        fs::remove(p.file("config.txt"));
        int status = run(c.script, "--frames 200" + p.capture(c.close_frame) + p.capture(c.close_frame + 1));
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(p.captured(c.close_frame));
        EXPECT_FALSE(p.captured(c.close_frame + 1));
        EXPECT_TRUE(fs::exists(p.file("config.txt")));
    }
}

TEST_F(Program, APointerInTheBarsBesideTheFullScreenPictureStaysOnItsEdge)
{
    // Script moves take the window's own event path in drawable pixels; -78 lies in the black
    // bar left of the picture (screen x 100 of a 1920 x 1080 desktop).
    auto after_move = [&](const std::string& x) {
        EXPECT_EQ(run("5 key down Escape\n6 key up Escape\n40 move " + x + " 300\n", "--frames 46" + p.capture(45)), 0);
        return p.frame(45);
    };
    Image in_bar = after_move("-78"), at_edge = after_move("0");
    ASSERT_EQ(in_bar.pixels.size(), at_edge.pixels.size());
    // The music bars follow the sound device's pace; below them both runs draw the same.
    for (int y = BAR_BASE_ROW + 1; y < in_bar.height; ++y)
        for (int x = 0; x < in_bar.width; ++x) ASSERT_EQ(in_bar.at(x, y), at_edge.at(x, y)) << x << "," << y;
}
