#include "sc68/rsc68.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "sc68/base68.h"

// The bytes of data/Replay/sndh_ice.bin, compiled in.
extern const unsigned char sndh_ice_replay[];
extern const unsigned long sndh_ice_replay_size;

namespace {

struct rsc68_state {
  char* share = nullptr;
  char* user = nullptr;
  bool share_set = false;   // set explicitly or resolved
  bool user_set = false;
  rsc68_handler_t handler = default_open;
};

rsc68_state g_rsc;

// Replays compiled into the engine, so that a copied or installed program
// plays SNDH files without its data folder; a file in a folder comes first.
struct builtin_replay { const char* name; const unsigned char* bytes; const unsigned long* size; };
const builtin_replay kBuiltinReplays[] = {{"sndh_ice", sndh_ice_replay, &sndh_ice_replay_size}};

struct rsc68_kind { const char* dir; const char* ext; bool lower; };
constexpr rsc68_kind kKinds[] = {
    {"/Replay/", ".bin", true},
    {"/", ".txt", false},
    {"/Sample/", "", false},
    {"/Dll/", "", false},
};

char* dup_text(const char* s) {
  if (!s) return nullptr;
  std::size_t n = std::strlen(s) + 1;
  auto* p = static_cast<char*>(SC68alloc(n));
  if (p) std::memcpy(p, s, n);
  return p;
}

// An environment variable that is set but empty counts as unset.
const char* env_path(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

// Names come from music files: no directory part, no way up.
bool plain_name(const char* name) {
  return *name && !std::strchr(name, '/') && !std::strchr(name, '\\') && !std::strstr(name, "..");
}

bool same_name(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a >= 'A' && *a <= 'Z' ? char(*a - 'A' + 'a') : *a;
    if (x != *b) return false;
  }
  return *a == *b;
}

istream68* open_builtin_replay(const char* name) {
  for (const builtin_replay& r : kBuiltinReplays) {
    if (!same_name(name, r.name)) continue;
    istream68* is = istream68_mem_create(r.bytes, int(*r.size), ISTREAM68_READ);
    if (is && istream68_open(is)) {
      istream68_destroy(is);
      is = nullptr;
    }
    return is;
  }
  return nullptr;
}

void set_path(char*& slot, bool& set, const char* path) {
  SC68free(slot);
  slot = dup_text(path);
  set = true;
}

// The data folder that comes with the program: the installed one, found
// relative to the binary so that any install prefix works; else the build
// tree's while the program runs from it; else the configured install location.
std::string program_data_dir() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  std::string build = SC68_BUILD_DATA_DIR;
  std::string installed = SC68_INSTALL_DATA_DIR;
  if (!ec) {
    std::filesystem::path beside = (exe.parent_path() / SC68_DATA_FROM_BIN_DIR).lexically_normal();
    if (std::filesystem::is_directory(beside, ec)) return beside.string();
    std::string e = exe.string();
    bool in_build = e.compare(0, std::strlen(SC68_BUILD_TREE), SC68_BUILD_TREE) == 0;
    return in_build ? build : installed;
  }
  return std::filesystem::is_directory(build, ec) ? build : installed;
}

istream68* try_open(const char* base, const rsc68_kind& kind, const char* name, int mode,
                    rsc68_t type, bool& alloc_failed) {
  std::size_t len = std::strlen(base) + std::strlen(kind.dir) + std::strlen(name) + std::strlen(kind.ext) + 1;
  auto* path = static_cast<char*>(SC68alloc(len));
  if (!path) {
    alloc_failed = true;
    SC68error_add("SC68rsc_open(%d,%s,%d) : path allocation failed", type, name, mode);
    return nullptr;
  }
  std::strcpy(path, base);
  std::strcat(path, kind.dir);
  char* n = path + std::strlen(path);
  std::strcat(path, name);
  if (kind.lower)
    for (; *n; ++n)
      if (*n >= 'A' && *n <= 'Z') *n = char(*n - 'A' + 'a');
  std::strcat(path, kind.ext);
  istream68* is = istream68_file_create(path, mode);
  SC68free(path);
  if (is && istream68_open(is)) {
    istream68_destroy(is);
    is = nullptr;
  }
  return is;
}

}  // namespace

void SC68rsc_set_share(const char* path) { set_path(g_rsc.share, g_rsc.share_set, path); }
void SC68rsc_set_user(const char* path) { set_path(g_rsc.user, g_rsc.user_set, path); }

void SC68rsc_default_paths() {
  if (!g_rsc.share_set) {
    const char* env = env_path("SC68_DATA");
    if (env) SC68rsc_set_share(env);
    else SC68rsc_set_share(program_data_dir().c_str());
  }
  if (!g_rsc.user_set) {
    const char* env = env_path("SC68_HOME");
    const char* home = env_path("HOME");
    if (env) SC68rsc_set_user(env);
    else if (home) SC68rsc_set_user((std::string(home) + "/.sc68").c_str());
    else SC68rsc_set_user(nullptr);
  }
}

const char* SC68rsc_get_share() {
  SC68rsc_default_paths();
  return g_rsc.share;
}

const char* SC68rsc_get_user() {
  SC68rsc_default_paths();
  return g_rsc.user;
}

void SC68rsc_shutdown() {
  SC68free(g_rsc.share);
  SC68free(g_rsc.user);
  g_rsc.share = g_rsc.user = nullptr;
  g_rsc.share_set = g_rsc.user_set = false;
}

rsc68_handler_t SC68rsc_set_handler(rsc68_handler_t handler) {
  rsc68_handler_t old = g_rsc.handler;
  g_rsc.handler = handler;
  return old;
}

istream68* default_open(rsc68_t type, const char* name, int mode) {
  if (type < SC68rsc_replay || type > SC68rsc_dll) {
    SC68error_add("SC68rsc_open(%d,%s,%d) : invalid resource type", type, name, mode);
    return nullptr;
  }
  const rsc68_kind& kind = kKinds[type];
  const char* bases[2] = {g_rsc.user, mode == ISTREAM68_WRITE ? nullptr : g_rsc.share};
  bool alloc_failed = false;
  for (const char* base : bases) {
    if (!base) continue;
    istream68* is = try_open(base, kind, name, mode, type, alloc_failed);
    if (is) return is;
    if (alloc_failed) return nullptr;
  }
  if (type == SC68rsc_replay && mode == ISTREAM68_READ)
    if (istream68* is = open_builtin_replay(name)) return is;
  SC68error_add("SC68rsc_open(%d,%s,%d) : not found", type, name, mode);
  return nullptr;
}

istream68* SC68rsc_open(rsc68_t type, const char* name, int mode) {
  if (!name) {
    SC68error_add("share_path() : NULL resource name");
    return nullptr;
  }
  if (mode != ISTREAM68_READ && mode != ISTREAM68_WRITE) {
    SC68error_add("share_path(%s) : invalid open mode (%d)", name, mode);
    return nullptr;
  }
  if (!g_rsc.handler) {
    SC68error_add("share_path(%s) : NULL resource handler", name);
    return nullptr;
  }
  if (!plain_name(name)) {
    SC68error_add("share_path(%s) : not a plain resource name", name);
    return nullptr;
  }
  SC68rsc_default_paths();
  return g_rsc.handler(type, name, mode);
}
