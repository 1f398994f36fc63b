#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <fstream>
#include <sstream>
#include <string>

#include "sc68/base68.h"
#include "sc68/config68.h"
#include "sc68/rsc68.h"

namespace fs = std::filesystem;

namespace {

config68 parse(const std::string& text) {
  config68 c;
  SC68config_default(&c);
  istream68* is = istream68_mem_create(text.data(), int(text.size()), ISTREAM68_READ);
  istream68_open(is);
  EXPECT_EQ(SC68config_read(&c, is), 0);
  istream68_destroy(is);
  SC68config_valid(&c);
  return c;
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A scratch directory with the three variables under the test's control.
struct Paths : ::testing::Test {
  fs::path root;
  void SetUp() override {
    root = fs::current_path() / ("rsc_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root);
    fs::create_directories(root / "user" / "Replay");
    fs::create_directories(root / "share" / "Replay");
    unsetenv("SC68_DATA");
    unsetenv("SC68_HOME");
    unsetenv("HOME");
    SC68rsc_shutdown();
    SC68error_flush();
  }
  void TearDown() override {
    SC68rsc_shutdown();
    fs::remove_all(root);
  }
  void put(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
  // Where a replay is read from: its stream's name, "" when it is not found.
  std::string opened(const char* name) {
    istream68* is = SC68rsc_open(SC68rsc_replay, name, ISTREAM68_READ);
    std::string where = is ? istream68_name(is) : "";
    istream68_destroy(is);
    return where;
  }
  std::set<std::string> entries(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
  }
};

}  // namespace

TEST(Config, KeysValuesAndClamping) {
  config68 c = parse(
      "# comment\n"
      "  SAMPLING_RATE = 22050\n"
      "\tAmiga_Blend=0x100\n"
      "force_track   junk = 010\n"
      "default_time = -5\n"
      "skip_time = 999999\n"
      "total_time = 123456789\n"
      "unknown_key = 7\n"
      "=version 5\n"
      "version\n");
  EXPECT_EQ(c.value[CONFIG68_SAMPLING_RATE], 22050);
  EXPECT_EQ(c.value[CONFIG68_AMIGA_BLEND], 256);
  EXPECT_EQ(c.value[CONFIG68_FORCE_TRACK], 8);          // octal
  EXPECT_EQ(c.value[CONFIG68_DEFAULT_TIME], 0);         // clamped up
  EXPECT_EQ(c.value[CONFIG68_SKIP_TIME], 86400);        // clamped down
  EXPECT_EQ(c.value[CONFIG68_TOTAL_TIME], 123456789);   // 0..0: no limit
  EXPECT_EQ(c.value[CONFIG68_VERSION], 221);

  EXPECT_EQ(parse("sampling_rate=100\n").value[CONFIG68_SAMPLING_RATE], 6000);
  EXPECT_EQ(SC68config_find("Force_Track"), CONFIG68_FORCE_TRACK);
  EXPECT_EQ(SC68config_find("force_track2"), -1);
}

TEST(Config, OverlongLineIsDroppedWhole) {
  std::string line = "# " + std::string(3000, 'x') + " force_track = 9\n";
  EXPECT_EQ(parse(line + "version=300\n").value[CONFIG68_FORCE_TRACK], 1);
  std::string key_line = "version = 300 " + std::string(2000, ' ') + "\nforce_track=5\n";
  config68 c = parse(key_line);
  EXPECT_EQ(c.value[CONFIG68_VERSION], 300);
  EXPECT_EQ(c.value[CONFIG68_FORCE_TRACK], 5);
}

TEST_F(Paths, ConfigRoundTripThroughUserPath) {
  SC68rsc_set_user((root / "user").c_str());
  SC68rsc_set_share((root / "share").c_str());
  config68 c;
  SC68config_default(&c);
  c.value[CONFIG68_AMIGA_BLEND] = 1000;
  c.value[CONFIG68_DEFAULT_TIME] = 240;
  c.value[CONFIG68_TOTAL_TIME] = 77;
  ASSERT_EQ(SC68config_save(&c), 0);
  std::string text = slurp(root / "user" / "config.txt");
  EXPECT_EQ(text.rfind("# -*- sc68 config file -*-\n", 0), 0u);
  EXPECT_NE(text.find("amiga_blend   =    1000   [       0..   65536] (20480) left/right voices blending factor for Amiga\n"),
            std::string::npos);
  EXPECT_EQ(entries(root / "user"), (std::set<std::string>{"Replay", "config.txt"}));
  std::istringstream lines(text);
  for (std::string l; std::getline(lines, l);) {
    if (!l.empty() && l[0] != '#') {
      EXPECT_NE(l.find('='), std::string::npos) << l;
    }
  }

  config68 back;
  ASSERT_EQ(SC68config_load(&back), 0);
  for (int i = 0; i < CONFIG68_COUNT; ++i) EXPECT_EQ(back.value[i], c.value[i]) << SC68config_table[i].name;
}

TEST_F(Paths, ShortWriteKeepsTheOldFile) {
  SC68rsc_set_user((root / "user").c_str());
  put(root / "user" / "config.txt", "force_track=7\n");
  // A file size limit below the comment block: the save comes up short.
  rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  void (*old_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  config68 c;
  SC68config_default(&c);
  int result = SC68config_save(&c);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(slurp(root / "user" / "config.txt"), "force_track=7\n");
  EXPECT_EQ(entries(root / "user"), (std::set<std::string>{"Replay", "config.txt"})) << "the new file is removed";
}

TEST_F(Paths, SaveWritesNoPlantedLink) {
  // A link at the old fixed temporary name, or at the file itself, must not
  // carry the save into the file it points at.
  for (const char* planted : {"config.txt.tmp", "config.txt"}) {
    SCOPED_TRACE(planted);
    fs::remove_all(root / "user");
    fs::create_directories(root / "user");
    put(root / "victim", "precious\n");
    fs::create_symlink(root / "victim", root / "user" / planted);
    SC68rsc_set_user((root / "user").c_str());
    config68 c;
    SC68config_default(&c);
    ASSERT_EQ(SC68config_save(&c), 0);
    EXPECT_EQ(slurp(root / "victim"), "precious\n");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root / "user" / "config.txt")));
    EXPECT_EQ(slurp(root / "user" / "config.txt").rfind("# -*- sc68 config file -*-\n", 0), 0u);
    std::set<std::string> want{"config.txt"};
    if (std::string(planted) != "config.txt") want.insert(planted);
    EXPECT_EQ(entries(root / "user"), want);
  }
}

TEST_F(Paths, EndlessConfigFileStopsAtItsSizeLimit) {
  SC68rsc_set_user((root / "user").c_str());
  fs::create_symlink("/dev/zero", root / "user" / "config.txt");
  config68 c;
  EXPECT_EQ(SC68config_load(&c), 0);
  EXPECT_EQ(c.value[CONFIG68_FORCE_TRACK], 1);
  EXPECT_NE(std::string(SC68error_peek()).find("more than 65536 bytes, the rest is ignored"), std::string::npos);
}

TEST_F(Paths, UserPathFirstThenShared) {
  SC68rsc_set_user((root / "user").c_str());
  SC68rsc_set_share((root / "share").c_str());
  put(root / "share" / "Replay" / "tune.bin", "shared");
  EXPECT_EQ(opened("TUNE"), (root / "share" / "Replay" / "tune.bin").string());   // names lower-cased
  put(root / "user" / "Replay" / "tune.bin", "user");
  EXPECT_EQ(opened("tune"), (root / "user" / "Replay" / "tune.bin").string());

  // Writing never goes to the shared path.
  SC68rsc_set_user(nullptr);
  EXPECT_EQ(SC68rsc_open(SC68rsc_config, "config", ISTREAM68_WRITE), nullptr);
  EXPECT_EQ(std::string(SC68error_peek()), "SC68rsc_open(1,config,2) : not found");
}

TEST_F(Paths, DefaultsFromEnvironment) {
  setenv("HOME", (root / "home").c_str(), 1);
  setenv("SC68_DATA", (root / "share").c_str(), 1);
  EXPECT_EQ(std::string(SC68rsc_get_user()), (root / "home" / ".sc68").string());
  EXPECT_EQ(std::string(SC68rsc_get_share()), (root / "share").string());
  SC68rsc_shutdown();
  setenv("SC68_HOME", (root / "user").c_str(), 1);
  EXPECT_EQ(std::string(SC68rsc_get_user()), (root / "user").string());
  SC68rsc_shutdown();
  unsetenv("SC68_HOME");
  unsetenv("HOME");
  EXPECT_EQ(SC68rsc_get_user(), nullptr);
  // Without SC68_DATA the program's own data folder holds the replays.
  unsetenv("SC68_DATA");
  SC68rsc_shutdown();
  EXPECT_NE(opened("sndh_ice").find("/Replay/sndh_ice.bin"), std::string::npos);
}

TEST_F(Paths, EmptyVariablesCountAsUnset) {
  const std::string home = (root / "home").string();
  const struct {
    const char* sc68_home;
    const char* home;
    std::string user;   // empty: no user path
  } cases[] = {
      {"", home.c_str(), home + "/.sc68"},
      {"", "", ""},
      {nullptr, "", ""},
  };
  for (const auto& c : cases) {
    SC68rsc_shutdown();
    if (c.sc68_home) setenv("SC68_HOME", c.sc68_home, 1);
    else unsetenv("SC68_HOME");
    setenv("HOME", c.home, 1);
    setenv("SC68_DATA", "", 1);
    const char* user = SC68rsc_get_user();
    EXPECT_EQ(user ? std::string(user) : "", c.user) << "SC68_HOME=" << (c.sc68_home ? c.sc68_home : "(unset)")
                                                     << " HOME=" << c.home;
    // The shared path falls back to the program's data folder, never "".
    EXPECT_STRNE(SC68rsc_get_share(), "");
  }
  // Nothing to write to: no user path, so no "/config.txt".
  config68 c;
  SC68config_default(&c);
  EXPECT_EQ(SC68config_save(&c), -1);
}

TEST_F(Paths, ResourceNamesArePlainNames) {
  SC68rsc_set_share((root / "share").c_str());
  put(root / "evil.bin", "outside");
  put(root / "share" / "Replay" / "x.bin", "inside");
  for (const char* name : {"../../evil", "..", "Replay/x", "/etc/passwd", "a\\b", ""}) {
    EXPECT_EQ(opened(name), "") << name;
    EXPECT_EQ(std::string(SC68error_peek()), "share_path(" + std::string(name) + ") : not a plain resource name");
  }
  EXPECT_EQ(opened("x"), (root / "share" / "Replay" / "x.bin").string());
}

TEST_F(Paths, BuiltInReplayUnlessAFolderHasOne) {
  SC68rsc_set_share((root / "share").c_str());
  EXPECT_EQ(opened("SNDH_ICE").rfind("mem://", 0), 0u);
  put(root / "share" / "Replay" / "sndh_ice.bin", "from the folder");
  EXPECT_EQ(opened("sndh_ice"), (root / "share" / "Replay" / "sndh_ice.bin").string());
  EXPECT_EQ(opened("other"), "");
}

TEST_F(Paths, OpenArgumentChecks) {
  EXPECT_EQ(SC68rsc_open(SC68rsc_replay, nullptr, 1), nullptr);
  EXPECT_EQ(std::string(SC68error_peek()), "share_path() : NULL resource name");
  EXPECT_EQ(SC68rsc_open(SC68rsc_replay, "x", 3), nullptr);
  EXPECT_EQ(std::string(SC68error_peek()), "share_path(x) : invalid open mode (3)");
  EXPECT_EQ(SC68rsc_open(rsc68_t(9), "x", 1), nullptr);
  EXPECT_EQ(std::string(SC68error_peek()), "SC68rsc_open(9,x,1) : invalid resource type");
  rsc68_handler_t old = SC68rsc_set_handler(nullptr);
  EXPECT_EQ(SC68rsc_open(SC68rsc_replay, "x", 1), nullptr);
  EXPECT_EQ(std::string(SC68error_peek()), "share_path(x) : NULL resource handler");
  SC68rsc_set_handler(old);
  // A long name takes a heap path, not a truncated one.
  SC68rsc_set_share((root / "share").c_str());
  std::string longname(1500, 'a');
  put(root / "share" / "Replay" / (std::string(200, 'a') + ".bin"), "x");
  EXPECT_EQ(SC68rsc_open(SC68rsc_replay, longname.c_str(), 1), nullptr);
}
