// The real program run headless from the tests: a scratch folder per test that is also the
// program's home, a script, and the frames it captured read back as 0xRRGGBB pixels.
#pragma once
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/read_file.h"

extern char** environ;

namespace fs = std::filesystem;

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool black() const { return std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p == 0; }); }
};

inline std::string contents(const fs::path& path) { return read_file(path.string()); }

struct ProgramRun {
    fs::path dir = fs::temp_directory_path() /
                   ("kelvarin_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    ProgramRun()
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~ProgramRun() { fs::remove_all(dir); }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    fs::path file(const std::string& name) const { return dir / name; }

    // `env` arguments of a headless run that keeps its files here; audio as given.
    std::string headless(const std::string& audio = "SDL_AUDIODRIVER=dummy") const
    {
        return "SDL_VIDEODRIVER=dummy " + audio + " HOME='" + dir.string() + "' SC68_HOME='" + dir.string() + "'";
    }
    // Writes the script and returns the option that runs it.
    std::string script(const std::string& text) const
    {
        std::ofstream(file("script.txt")) << text;
        return " --script '" + file("script.txt").string() + "'";
    }
    // The option that captures frame n as NAMEn.png, and that capture read back.
    std::string capture(int n, const std::string& name = "") const
    {
        return " --capture " + std::to_string(n) + ":'" + file(name + std::to_string(n) + ".png").string() + "'";
    }
    bool captured(int n, const std::string& name = "") const { return fs::exists(file(name + std::to_string(n) + ".png")); }
    Image frame(int n, const std::string& name = "") const
    {
        Image image;
        png_image png{};
        png.version = PNG_IMAGE_VERSION;
        const std::string path = file(name + std::to_string(n) + ".png").string();
        bool ok = png_image_begin_read_from_file(&png, path.c_str());
        if (ok) {
            png.format = PNG_FORMAT_BGRA;
            image.width = static_cast<int>(png.width);
            image.height = static_cast<int>(png.height);
            image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
            ok = png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr);
        }
        EXPECT_TRUE(ok) << "no capture of frame " << n;
        for (uint32_t& p : image.pixels) p &= 0x00FFFFFF;
        if (!ok) image = Image{800, 600, std::vector<uint32_t>(800 * 600, 0xDEADBEEF)};
        return image;
    }

    // Starts the program in the background with the given `env` arguments (exec keeps its
    // process id); standard output goes to stdout.txt, standard error to stderr.txt.
    pid_t start(const std::string& args, const std::string& env) const
    {
        const std::string cmd = "exec env " + env + " '" KELVARIN_EXE "' " + args + " >'" + file("stdout.txt").string() +
                                "' 2>'" + file("stderr.txt").string() + "'";
        const char* argv[] = {"sh", "-c", cmd.c_str(), nullptr};
        pid_t pid = -1;
        return posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) == 0 ? pid : -1;
    }
    // Waits at most limit seconds for the program to end; its exit status, or -1000 when it
    // died by a signal or had to be killed.
    static int finish(pid_t pid, double limit)
    {
        if (pid <= 0) return -1000;
        const auto t0 = std::chrono::steady_clock::now();
        int status = 0;
        pid_t ended;
        while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0) {
            if (std::chrono::steady_clock::now() - t0 > std::chrono::duration<double>(limit)) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                return -1000;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return ended == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
    }
    // Runs the program to its end (at most ten minutes); its exit status.
    int run(const std::string& args, const std::string& env) const { return finish(start(args, env), 600); }
    int run(const std::string& args) const { return run(args, headless()); }

    std::string error_output() const { return contents(file("stderr.txt")); }
};
