// Fixed-step runs of the real program are reproducible: the same script gives the same
// frames, music bars included, whatever the audio driver does with the sound.
#include "tests/app/program.h"

TEST(Reproducible, TwoFixedStepRunsPresentTheSameFramesLongAfterTheHandOver)
{
    ProgramRun p;
    // Escape ends the intro at frame 5; the magazine's first frame is 7.
    const int captured[] = {7, 307, 607};
    auto run = [&](const std::string& name, const std::string& audio) {
        std::string args = "--fixed-step 16 --frames 608" + p.script("5 key down Escape\n6 key up Escape\n");
        for (int frame : captured) args += p.capture(frame, name);
        return p.run(args, p.headless(audio));
    };
    // The disk driver takes the sound at its own pace; the dummy driver drops it.
    ASSERT_EQ(run("disk", "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + p.file("sound.raw").string() + "'"), 0);
    ASSERT_EQ(run("dummy", "SDL_AUDIODRIVER=dummy"), 0);

    EXPECT_NE(contents(p.file("sound.raw")).find_first_not_of('\0'), std::string::npos) << "the runs had no music";
    for (int frame : captured) {
        const std::string disk = contents(p.file("disk" + std::to_string(frame) + ".png"));
        EXPECT_FALSE(disk.empty()) << frame;
        EXPECT_TRUE(disk == contents(p.file("dummy" + std::to_string(frame) + ".png"))) << "frame " << frame;
    }
}
