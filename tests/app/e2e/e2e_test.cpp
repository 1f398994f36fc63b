// Drives the real program headless through scripts and looks at the frames it presented.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gfx/assets.h"
#include "gfx/bars.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Frame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[y * width + x]; }
    bool black() const
    {
        for (uint32_t p : pixels)
            if (p) return false;
        return true;
    }
};

bool load_png(const fs::path& path, Frame& f)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_BGRA;
    f.width = image.width;
    f.height = image.height;
    f.pixels.assign(size_t(f.width) * f.height, 0);
    if (!png_image_finish_read(&image, nullptr, f.pixels.data(), 0, nullptr)) return false;
    for (uint32_t& p : f.pixels) p &= 0x00FFFFFF;
    return true;
}

class Program : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("kelvarin_e2e_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path file(const std::string& name) const { return dir / name; }

    // Runs the program with the script and options; returns its exit status.
    int run(const std::string& script, const std::string& options, std::string* err = nullptr)
    {
        std::ofstream(file("script.txt")) << script;
        int status = finish(start("--fixed-step 20 --script '" + file("script.txt").string() + "' " + options), 600);
        if (err) *err = error_output();
        return status;
    }

    std::string capture(int frame) { return " --capture " + std::to_string(frame) + ":" + file(std::to_string(frame) + ".png").string(); }

    Frame frame(int n)
    {
        Frame f;
        EXPECT_TRUE(load_png(file(std::to_string(n) + ".png"), f)) << "no capture of frame " << n;
        return f;
    }
    bool captured(int n) { return fs::exists(file(std::to_string(n) + ".png")); }

    // The environment of a headless run that keeps its files in the test's folder.
    std::string headless() const
    {
        return "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy HOME='" + dir.string() + "' SC68_HOME='" + dir.string() + "'";
    }

    // Starts the program in the background with the given `env` arguments (exec keeps its
    // process id); standard error goes to stderr.txt.
    pid_t start(const std::string& args, const std::string& env = "")
    {
        std::string cmd = "exec env " + (env.empty() ? headless() : env) + " '" KELVARIN_EXE "' " + args +
                          " >/dev/null 2>'" + file("stderr.txt").string() + "'";
        const char* argv[] = {"sh", "-c", cmd.c_str(), nullptr};
        pid_t pid = -1;
        return posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) == 0 ? pid : -1;
    }

    // Waits at most limit seconds for the program to end; its exit status, or -1000 when it
    // died by a signal or had to be killed.
    static int finish(pid_t pid, double limit)
    {
        if (pid <= 0) return -1000;
        auto t0 = std::chrono::steady_clock::now();
        auto waited = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(); };
        int status = 0;
        pid_t ended;
        while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0) {
            if (waited() > limit) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                return -1000;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return ended == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
    }

    static bool wait_for(const fs::path& path, double limit)
    {
        auto t0 = std::chrono::steady_clock::now();
        while (!fs::exists(path)) {
            if (std::chrono::steady_clock::now() - t0 > std::chrono::duration<double>(limit)) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    std::string error_output()
    {
        std::ifstream in(file("stderr.txt"));
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
    int status = run(script, "--frames 200" + capture(4) + capture(8) + capture(11) + capture(30) + capture(39) +
                                 capture(60));
    EXPECT_EQ(status, 0);
    Frame intro = frame(4), waiting = frame(8), still = frame(11), magazine = frame(30), before_quit = frame(39);
    EXPECT_FALSE(intro.black());
    EXPECT_TRUE(waiting.black());
    EXPECT_TRUE(still.black());
    EXPECT_FALSE(magazine.black());
    EXPECT_FALSE(before_quit.black());
    // The second press quit the run long before the frame limit.
    EXPECT_FALSE(captured(60));
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
    int status = run(script, "--frames 60" + capture(3) + capture(7) + capture(59));
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(frame(3).black());
    EXPECT_TRUE(frame(7).black());
    Frame last = frame(59);
    EXPECT_FALSE(last.black());
}

TEST_F(Program, FrameLimitEndsTheIntroCleanly)
{
    int status = run("", "--frames 3" + capture(2) + capture(3));
    EXPECT_EQ(status, 0);
    Frame f = frame(2);
    EXPECT_EQ(f.width, 800);
    EXPECT_EQ(f.height, 600);
    EXPECT_FALSE(captured(3));
}

TEST_F(Program, MalformedScriptStopsBeforeTheWindowOpens)
{
    std::string err;
    int status = run("1 press\n\n# fine so far\n7 key down Tab\n", "--frames 5" + capture(0), &err);
    EXPECT_EQ(status, 2);
    EXPECT_NE(err.find("script.txt:4: "), std::string::npos) << err;
    EXPECT_FALSE(captured(0));
}

TEST_F(Program, WithoutADisplayTheRunRefusesAtOnceWithOneLineAndMinusOne)
{
    // A login session without a display server: no display variables, an empty runtime folder.
    const std::string session = " XDG_RUNTIME_DIR='" + dir.string() + "' SDL_AUDIODRIVER=dummy";
    const struct {
        const char* driver;   // env arguments: options come before assignments
        const char* says;
    } cases[] = {
        {"-u SDL_VIDEODRIVER", "SDL_VIDEODRIVER=dummy"},
        {"SDL_VIDEODRIVER=no-such-driver", "no-such-driver"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driver);
        pid_t pid = start("--frames 5", "-u DISPLAY -u WAYLAND_DISPLAY " + std::string(c.driver) + session);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(finish(pid, 60), 255);
        std::string err = error_output();
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

TEST(ProgramListing, ListsTwentyDocumentsWithLineCountsAndLabels)
{
    std::FILE* p = ::popen("'" KELVARIN_EXE "' --list-documents", "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    int status = ::pclose(p);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::istringstream in(out);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        ASSERT_NE(tab2, std::string::npos) << line;
        EXPECT_EQ(line.substr(0, tab1), std::to_string(number));
        EXPECT_GT(std::stoi(line.substr(tab1 + 1, tab2 - tab1 - 1)), 0) << line;
    }
    EXPECT_EQ(number, 20);
}

namespace {

// Peak of the 16-bit samples SDL's disk audio driver wrote for a run.
int peak_of_recording(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int peak = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        int s = int16_t(uint16_t(uint8_t(bytes[i])) | uint16_t(uint8_t(bytes[i + 1])) << 8);
        peak = std::max(peak, s < 0 ? -s : s);
    }
    return peak;
}

}  // namespace

TEST_F(Program, IntroMusicPlaysThenTheTrackerMusicTakesOver)
{
    // The disk driver records what each opened device plays; a device opened later starts the file
    // afresh, so the first run records the intro alone and the second the magazine's music.
    auto record = [&](const std::string& script, const char* name) {
        std::ofstream(file("script.txt")) << script;
        fs::path wav = file(name);
        std::string cmd = "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=1 SDL_DISKAUDIOFILE='" +
                          wav.string() + "' HOME=" + dir.string() + " '" KELVARIN_EXE "' --script '" +
                          file("script.txt").string() + "' --frames 150 2>/dev/null";
        int status = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name;
        return peak_of_recording(wav);
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
        fs::remove(file("config.txt"));
        fs::remove(file("shot.png"));
        std::ofstream(file("script.txt")) << (c.magazine ? "5 key down Escape\n6 key up Escape\n" : "");
        // Real time: the program runs as a reader would start it.
        pid_t pid = start("--script '" + file("script.txt").string() + "' --capture 30:'" +
                          file("shot.png").string() + "'");
        ASSERT_GT(pid, 0);
        if (!wait_for(file("shot.png"), 60)) {
            finish(pid, 0);
            FAIL() << "no frame 30";
        }
        ::kill(pid, c.signal);
        // Without frame limit the run would go on for ever: ending within the (generous) limit
        // shows the signal ended it. A tracker thread still running at exit would end the
        // process by abort, not status 0.
        EXPECT_EQ(finish(pid, 30), 0) << error_output();
        // The chip-music engine writes its configuration when it is shut down.
        EXPECT_TRUE(fs::exists(file("config.txt")));
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
        fs::remove(file("config.txt"));
        int status = run(c.script, "--frames 200" + capture(c.close_frame) + capture(c.close_frame + 1));
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(captured(c.close_frame));
        EXPECT_FALSE(captured(c.close_frame + 1));
        EXPECT_TRUE(fs::exists(file("config.txt")));
    }
}

TEST_F(Program, APointerInTheBarsBesideTheFullScreenPictureStaysOnItsEdge)
{
    // Script moves take the window's own event path in drawable pixels; -78 lies in the black
    // bar left of the picture (screen x 100 of a 1920 x 1080 desktop).
    auto after_move = [&](const std::string& x) {
        EXPECT_EQ(run("5 key down Escape\n6 key up Escape\n40 move " + x + " 300\n", "--frames 46" + capture(45)), 0);
        return frame(45);
    };
    Frame in_bar = after_move("-78"), at_edge = after_move("0");
    ASSERT_EQ(in_bar.pixels.size(), at_edge.pixels.size());
    // The music bars follow the sound device's pace; below them both runs draw the same.
    for (int y = BAR_BASE_ROW + 1; y < in_bar.height; ++y)
        for (int x = 0; x < in_bar.width; ++x) ASSERT_EQ(in_bar.at(x, y), at_edge.at(x, y)) << x << "," << y;
}
