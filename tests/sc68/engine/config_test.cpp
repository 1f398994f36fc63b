// The configuration file and the resource paths it and the replays are found under.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "sc68/base68.h"
#include "sc68/config68.h"
#include "sc68/rsc68.h"

namespace fs = std::filesystem;

namespace {

// All seven values after reading the text and clamping.
std::string parse(const std::string& text) {
  config68 c;
  SC68config_default(&c);
  istream68* is = istream68_mem_create(text.data(), int(text.size()), ISTREAM68_READ);
  istream68_open(is);
  EXPECT_EQ(SC68config_read(&c, is), 0);
  istream68_destroy(is);
  SC68config_valid(&c);
  std::string s;
  for (int v : c.value) s += std::to_string(v) + " ";
  return s;
}

std::string slurp(const fs::path& p) {
  std::stringstream s;
  s << std::ifstream(p, std::ios::binary).rdbuf();
  return s.str();
}

const std::string kHeader = "# -*- sc68 config file -*-\n";

// A scratch directory with the three variables under the test's control.
struct Paths : ::testing::Test {
  fs::path root = fs::current_path() / ("rsc_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  config68 defaults;
  void SetUp() override {
    fs::remove_all(root);
    fs::create_directories(root / "user" / "Replay");
    fs::create_directories(root / "share" / "Sample");
    fs::create_directories(root / "share" / "Replay");
    unsetenv("SC68_DATA");
    unsetenv("SC68_HOME");
    unsetenv("HOME");
    SC68rsc_shutdown();
    SC68config_default(&defaults);
  }
  void TearDown() override {
    SC68rsc_shutdown();
    fs::remove_all(root);
  }
  void put(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
  // Where a resource is opened from, or the message of the failed open.
  std::string open(const char* name, rsc68_t type = SC68rsc_replay, int mode = ISTREAM68_READ) {
    SC68error_flush();
    istream68* is = SC68rsc_open(type, name, mode);
    std::string where = is ? istream68_name(is) : SC68error_peek();
    istream68_destroy(is);
    size_t at = where.find(root.string());
    return at == std::string::npos ? where : where.replace(at, root.string().size(), "ROOT");
  }
};

}  // namespace

TEST(Config, KeysValuesAndClamping) {
  const struct {
    std::string text;
    const char* values;   // version, rate, blend, track, skip, default and total time
  } cases[] = {
      {"# comment\n  SAMPLING_RATE = 22050\n\tAmiga_Blend=0x100\nforce_track   junk = 010\n"
       "default_time = -5\nskip_time = 999999\ntotal_time = 123456789\nunknown_key = 7\n=version 5\nversion\n",
       "221 22050 256 8 86400 0 123456789 "},
      {"sampling_rate=100\namiga_blend=70000\n", "221 6000 65536 1 4 180 0 "},
      // A line longer than the buffer is dropped whole, not read on as a new line.
      {"# " + std::string(3000, 'x') + " force_track = 9\nversion=300\n", "300 44100 20480 1 4 180 0 "},
      {"version = 300 " + std::string(2000, ' ') + "\nforce_track=5\n", "300 44100 20480 5 4 180 0 "},
  };
  for (const auto& c : cases) EXPECT_EQ(parse(c.text), c.values) << c.text.substr(0, 60);
  EXPECT_EQ(SC68config_find("Force_Track"), CONFIG68_FORCE_TRACK);
  EXPECT_EQ(SC68config_find("force_track2"), -1);
}

// The reader under the configuration parser fills at most the buffer it is given.
TEST(Config, LineReadStopsAtItsBuffer) {
  istream68* is = istream68_mem_create("abcdefgh\n", 9, ISTREAM68_READ);
  istream68_open(is);
  char buf[8];
  EXPECT_EQ(istream68_gets(is, buf, 4), 3);
  EXPECT_STREQ(buf, "abc");
  istream68_destroy(is);
}

// The save goes to a new file of its own that replaces the old one whole: a link planted where
// it writes is replaced, not written through, and a short write leaves the old file.
TEST_F(Paths, SaveReplacesTheFileWholeOrNotAtAll) {
  SC68rsc_set_user((root / "user").c_str());
  config68 c = defaults;
  c.value[CONFIG68_AMIGA_BLEND] = 1000;
  c.value[CONFIG68_DEFAULT_TIME] = 240;
  c.value[CONFIG68_TOTAL_TIME] = 77;
  const struct {
    const char* planted;   // a link to the victim file
    rlim_t size_limit;     // 100: below the comment block
    int result;
  } cases[] = {{nullptr, RLIM_INFINITY, 0}, {"config.txt.tmp", RLIM_INFINITY, 0}, {"config.txt", RLIM_INFINITY, 0}, {nullptr, 100, -1}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.planted ? k.planted : std::to_string(k.size_limit));
    fs::remove_all(root / "user");
    fs::create_directories(root / "user");
    put(root / "user" / "config.txt", "force_track=7\n");
    put(root / "victim", "precious\n");
    if (k.planted) fs::remove(root / "user" / k.planted), fs::create_symlink(root / "victim", root / "user" / k.planted);
    rlimit old_limit, limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    void (*old_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    limit = old_limit;
    limit.rlim_cur = std::min(k.size_limit, old_limit.rlim_cur);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    int result = SC68config_save(&c);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(result, k.result);
    EXPECT_EQ(slurp(root / "victim"), "precious\n");
    std::set<std::string> files{"config.txt"}, left;
    if (k.planted) files.insert(k.planted);
    for (const auto& e : fs::directory_iterator(root / "user")) left.insert(e.path().filename().string());
    EXPECT_EQ(left, files);
    std::string text = slurp(root / "user" / "config.txt");
    if (k.result) {
      EXPECT_EQ(text, "force_track=7\n");
      continue;
    }
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root / "user" / "config.txt")));
    EXPECT_EQ(text.rfind(kHeader, 0), 0u);
    EXPECT_NE(text.find("amiga_blend   =    1000   [       0..   65536] (20480) left/right voices blending factor for Amiga\n"),
              std::string::npos);
    config68 back;
    ASSERT_EQ(SC68config_load(&back), 0);
    for (int i = 0; i < CONFIG68_COUNT; ++i) EXPECT_EQ(back.value[i], c.value[i]) << SC68config_table[i].name;
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

TEST_F(Paths, ResourcesFromTheUserPathThenTheSharedOneThenBuiltIn) {
  SC68rsc_set_user((root / "user").c_str());
  SC68rsc_set_share((root / "share").c_str());
  put(root / "share" / "Sample" / "Kick", "sample");
  const struct {
    const char* put;   // file put in place first, or null
    const char* name;
    rsc68_t type;
    int mode;
    std::string where;
  } cases[] = {
      {"share/Replay/tune.bin", "TUNE", SC68rsc_replay, 1, "ROOT/share/Replay/tune.bin"},   // replay names lower-cased
      {"user/Replay/tune.bin", "tune", SC68rsc_replay, 1, "ROOT/user/Replay/tune.bin"},
      {nullptr, "Kick", SC68rsc_sample, 1, "ROOT/share/Sample/Kick"},
      {nullptr, "SNDH_ICE", SC68rsc_replay, 1, "mem://"},
      {"share/Replay/sndh_ice.bin", "sndh_ice", SC68rsc_replay, 1, "ROOT/share/Replay/sndh_ice.bin"},
      {nullptr, "sndh_ice", SC68rsc_config, 1, "SC68rsc_open(1,sndh_ice,1) : not found"},
      {nullptr, "other", SC68rsc_replay, 1, "SC68rsc_open(0,other,1) : not found"},
      {nullptr, "Kick", SC68rsc_sample, 2, "SC68rsc_open(2,Kick,2) : not found"},   // writing never goes to the shared path
      {nullptr, nullptr, SC68rsc_replay, 1, "share_path() : NULL resource name"},
      {nullptr, "x", SC68rsc_replay, 3, "share_path(x) : invalid open mode (3)"},
      {nullptr, "x", rsc68_t(9), 1, "SC68rsc_open(9,x,1) : invalid resource type"},
      {nullptr, "x", rsc68_t(-1), 1, "SC68rsc_open(-1,x,1) : invalid resource type"},
  };
  for (const auto& c : cases) {
    if (c.put) put(root / c.put, "x");
    std::string where = open(c.name, c.type, c.mode);
    EXPECT_EQ(where.substr(0, c.where.size()), c.where) << (c.name ? c.name : "(null)");
  }
  for (const char* name : {"../../etc/passwd", "..", "Replay/tune", "/etc/passwd", "a\\b", ""})
    EXPECT_EQ(open(name), "share_path(" + std::string(name) + ") : not a plain resource name");
  // A long name takes a heap path, not a truncated one.
  put(root / "share" / "Replay" / (std::string(200, 'a') + ".bin"), "x");
  EXPECT_EQ(open(std::string(1500, 'a').c_str()).substr(0, 15), "SC68rsc_open(0,");
  rsc68_handler_t old = SC68rsc_set_handler(nullptr);
  EXPECT_EQ(open("x"), "share_path(x) : NULL resource handler");
  SC68rsc_set_handler(old);
}

TEST_F(Paths, PathsFromTheEnvironmentEmptyCountingAsUnset) {
  const std::string home = (root / "home").string(), user = (root / "user").string(), share = (root / "share").string();
  const struct {
    const char* sc68_home;   // null: unset
    const char* home;
    const char* sc68_data;
    std::string user;   // empty: no user path
    std::string share;  // empty: the program's own data folder
  } cases[] = {
      {nullptr, home.c_str(), share.c_str(), home + "/.sc68", share},
      {user.c_str(), home.c_str(), nullptr, user, ""},
      {"", home.c_str(), "", home + "/.sc68", ""},
      {"", "", "", "", ""},
      {nullptr, "", nullptr, "", ""},
      {nullptr, nullptr, nullptr, "", ""},
  };
  for (const auto& c : cases) {
    SC68rsc_shutdown();
    for (auto [name, value] : {std::pair{"SC68_HOME", c.sc68_home}, {"HOME", c.home}, {"SC68_DATA", c.sc68_data}}) {
      if (value) setenv(name, value, 1);
      else unsetenv(name);
    }
    const char* got = SC68rsc_get_user();
    EXPECT_EQ(got ? std::string(got) : "", c.user) << c.user;
    if (!c.share.empty()) EXPECT_EQ(std::string(SC68rsc_get_share()), c.share);
    else EXPECT_NE(open("sndh_ice").find("/Replay/sndh_ice.bin"), std::string::npos) << SC68rsc_get_share();
  }
  // Nothing to write to: no user path, so no "/config.txt".
  EXPECT_EQ(SC68config_save(&defaults), -1);
}
