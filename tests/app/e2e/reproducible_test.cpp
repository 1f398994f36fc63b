// Fixed-step runs of the real program are reproducible: the same script gives the same
// frames, music bars included, whatever the audio driver does with the sound.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(Reproducible, TwoFixedStepRunsPresentTheSameFramesLongAfterTheHandOver)
{
    fs::path dir = fs::temp_directory_path() / ("kelvarin_reproducible_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    // Escape ends the intro at frame 5; the magazine's first frame is 7.
    std::ofstream(dir / "script.txt") << "5 key down Escape\n6 key up Escape\n";
    const int captured[] = {7, 307, 607};

    auto run = [&](const std::string& name, const std::string& audio) {
        std::string cmd = "SDL_VIDEODRIVER=dummy " + audio + " HOME='" + dir.string() + "' '" KELVARIN_EXE
                          "' --fixed-step 16 --frames 608 --script '" + (dir / "script.txt").string() + "'";
        for (int frame : captured)
            cmd += " --capture " + std::to_string(frame) + ":'" +
                   (dir / (name + std::to_string(frame) + ".png")).string() + "'";
        int status = std::system((cmd + " 2>/dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    // The disk driver takes the sound at its own pace; the dummy driver drops it.
    fs::path sound = dir / "sound.raw";
    ASSERT_EQ(run("disk", "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + sound.string() + "'"), 0);
    ASSERT_EQ(run("dummy", "SDL_AUDIODRIVER=dummy"), 0);

    std::string recorded = contents(sound);
    EXPECT_NE(recorded.find_first_not_of('\0'), std::string::npos) << "the runs had no music";
    for (int frame : captured) {
        std::string disk = contents(dir / ("disk" + std::to_string(frame) + ".png"));
        EXPECT_FALSE(disk.empty()) << frame;
        EXPECT_TRUE(disk == contents(dir / ("dummy" + std::to_string(frame) + ".png"))) << "frame " << frame;
    }
    fs::remove_all(dir);
}
