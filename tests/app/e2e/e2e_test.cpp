// Drives the real program headless through scripts and looks at the frames it presented.
#include <cstdlib>
#include <cstring>
#include <utility>

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

TEST_F(Program, EscapeClicksAndCloseRequestsEndTheScreensAsTheyShould)
{
    // Frames captured and what each shows: 'p' a picture, 'b' black (the intro is over, the
    // key or button still down), '-' nothing, as the run has ended.
    const struct {
        const char* script;
        std::vector<std::pair<int, char>> shows;
    } cases[] = {
        // Escape held across the end of the intro, then pressed again on the magazine: quits.
        {"5 key down Escape\n12 key up Escape\n40 key down Escape\n41 key up Escape\n",
         {{4, 'p'}, {8, 'b'}, {11, 'b'}, {30, 'p'}, {39, 'p'}, {60, '-'}}},
        // A click on the quit button's place: had it reached the magazine, the run would end.
        {"2 move 79 49\n4 press\n9 release\n", {{3, 'p'}, {7, 'b'}, {59, 'p'}}},
        // A window close ends either screen at once.
        {"20 close\n", {{20, 'p'}, {21, '-'}}},
        {"5 key down Escape\n6 key up Escape\n40 close\n", {{40, 'p'}, {41, '-'}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        fs::remove(p.file("config.txt"));
        std::string captures;
        for (auto [frame, shows] : c.shows) captures += p.capture(frame);
        EXPECT_EQ(run(c.script, "--frames 200" + captures), 0);
        for (auto [frame, shows] : c.shows) {
            if (shows == '-')
                EXPECT_FALSE(p.captured(frame)) << frame;
            else
                EXPECT_EQ(p.frame(frame).black(), shows == 'b') << frame;
        }
        // The chip-music engine writes its configuration when it is shut down.
        EXPECT_TRUE(fs::exists(p.file("config.txt")));
    }
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

TEST_F(Program, ListsTwentyDocumentsWithLineCountsAndLabelsOrFailsWhenItCannotWrite)
{
    std::string want;
    for (int d = 1; d <= 20; ++d)
        want += std::to_string(d) + "\t" + std::to_string(issue::documents[d].line_count) + "\t" +
                issue::documents[d].label + "\n";
    EXPECT_EQ(p.run("--list-documents"), 0);
    EXPECT_EQ(contents(p.file("stdout.txt")), want);
    // A listing that cannot be written is a failure.
    const int status = std::system("'" KELVARIN_EXE "' --list-documents >/dev/full");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
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
