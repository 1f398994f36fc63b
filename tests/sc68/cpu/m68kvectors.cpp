// m68kvectors [--every N] FILE.jsonl.gz...
//
// Runs single-instruction 68000 test cases (gzipped JSON lines) through the
// emulator: load the initial registers and RAM bytes, step once, compare
// every register, SR (without the bits the case marks undefined), PC and
// the listed RAM bytes. Prints the first failures in detail and
// "N passed, M failed" as the last line. --every N runs every Nth case.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sc68/cpu/emu68.h"

namespace {

constexpr int MAX_DETAILS = 20;

// Just enough JSON for the case records: objects, arrays, numbers, strings.
struct Json {
  enum Kind { NUL, NUM, STR, ARR, OBJ } kind = NUL;
  double num = 0;
  std::string str;
  std::vector<Json> arr;
  std::map<std::string, Json> obj;

  const Json* get(const char* key) const {
    auto it = obj.find(key);
    return it == obj.end() ? nullptr : &it->second;
  }
  uint32_t u32(const char* key) const {
    const Json* j = get(key);
    return j && j->kind == NUM ? uint32_t(uint64_t(j->num)) : 0;
  }
};

class Parser {
 public:
  explicit Parser(const std::string& s) : s_(s) {}
  bool parse(Json& out) {
    bool ok = value(out);
    ws();
    return ok && p_ == s_.size();
  }

 private:
  void ws() {
    while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t' || s_[p_] == '\r' || s_[p_] == '\n')) ++p_;
  }
  bool lit(char c) {
    ws();
    if (p_ < s_.size() && s_[p_] == c) {
      ++p_;
      return true;
    }
    return false;
  }
  bool string(std::string& out) {
    if (!lit('"')) return false;
    while (p_ < s_.size() && s_[p_] != '"') {
      if (s_[p_] == '\\' && p_ + 1 < s_.size()) ++p_;
      out += s_[p_++];
    }
    return p_ < s_.size() && s_[p_++] == '"';
  }
  bool value(Json& v) {
    ws();
    if (p_ >= s_.size()) return false;
    char c = s_[p_];
    if (c == '{') {
      v.kind = Json::OBJ;
      ++p_;
      if (lit('}')) return true;
      do {
        std::string key;
        if (!string(key) || !lit(':') || !value(v.obj[key])) return false;
      } while (lit(','));
      return lit('}');
    }
    if (c == '[') {
      v.kind = Json::ARR;
      ++p_;
      if (lit(']')) return true;
      do {
        v.arr.emplace_back();
        if (!value(v.arr.back())) return false;
      } while (lit(','));
      return lit(']');
    }
    if (c == '"') {
      v.kind = Json::STR;
      return string(v.str);
    }
    if (s_.compare(p_, 4, "null") == 0) {
      p_ += 4;
      return true;
    }
    char* end = nullptr;
    v.num = strtod(s_.c_str() + p_, &end);
    if (end == s_.c_str() + p_) return false;
    v.kind = Json::NUM;
    p_ = size_t(end - s_.c_str());
    return true;
  }

  const std::string& s_;
  size_t p_ = 0;
};

const char* const REG_NAMES[] = {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7",
                                 "a0", "a1", "a2", "a3", "a4", "a5", "a6", "ssp"};

struct Runner {
  emu68_t emu;
  std::vector<uint8_t> mem = std::vector<uint8_t>(EMU68_MEMSIZE + EMU68_MEMSPARE);
  long passed = 0, failed = 0;

  Runner() { EMU68_init(&emu, mem.data(), EMU68_MEMSIZE); }

  void load_regs(const Json& st) {
    reg68_t r{};
    for (int i = 0; i < 8; ++i) r.d[i] = st.u32(REG_NAMES[i]);
    for (int i = 0; i < 8; ++i) r.a[i] = st.u32(REG_NAMES[8 + i]);
    r.usp = st.u32("usp");
    r.pc = st.u32("pc");
    r.sr = st.u32("sr");
    EMU68_set_registers(&emu, &r);
  }

  static bool ram_bytes(const Json& st, std::vector<std::pair<uint32_t, uint8_t>>& out) {
    const Json* ram = st.get("ram");
    if (!ram || ram->kind != Json::ARR) return false;
    for (const Json& e : ram->arr) {
      if (e.kind != Json::ARR || e.arr.size() != 2) return false;
      uint32_t a = uint32_t(e.arr[0].num);
      if (a >= EMU68_MEMSIZE) return false;
      out.emplace_back(a, uint8_t(e.arr[1].num));
    }
    return true;
  }

  // Returns an empty string when the case passes, else what differs.
  std::string run_case(const Json& c) {
    const Json* ini = c.get("initial");
    const Json* fin = c.get("final");
    if (!ini || !fin) return "malformed case";
    std::vector<std::pair<uint32_t, uint8_t>> in_ram, out_ram;
    if (!ram_bytes(*ini, in_ram) || !ram_bytes(*fin, out_ram)) return "malformed ram list";

    for (auto& [a, v] : in_ram) mem[a] = v;
    load_regs(*ini);
    emu.stopped = false;
    EMU68_step(&emu);

    std::string diff;
    char buf[160];
    reg68_t r;
    EMU68_get_registers(&emu, &r);
    auto cmp = [&](const char* name, uint32_t got, uint32_t want) {
      if (got == want) return;
      snprintf(buf, sizeof buf, " %s=%08x(want %08x)", name, got, want);
      diff += buf;
    };
    for (int i = 0; i < 8; ++i) cmp(REG_NAMES[i], r.d[i], fin->u32(REG_NAMES[i]));
    for (int i = 0; i < 8; ++i) cmp(REG_NAMES[8 + i], r.a[i], fin->u32(REG_NAMES[8 + i]));
    cmp("usp", r.usp, fin->u32("usp"));
    cmp("pc", r.pc, fin->u32("pc"));
    uint32_t undef = c.u32("undef_ccr");
    cmp("sr", r.sr & ~undef, fin->u32("sr") & ~undef);
    for (auto& [a, v] : out_ram) {
      if (mem[a] == v) continue;
      snprintf(buf, sizeof buf, " [%06x]=%02x(want %02x)", a, mem[a], v);
      diff += buf;
    }
    // Leave RAM zero for the next case.
    for (auto& [a, v] : in_ram) mem[a] = 0;
    for (auto& [a, v] : out_ram) mem[a] = 0;
    return diff;
  }

  bool run_file(const char* path, long every) {
    gzFile f = gzopen(path, "rb");
    if (!f) {
      fprintf(stderr, "m68kvectors: cannot open %s\n", path);
      return false;
    }
    std::string line;
    char chunk[65536];
    long index = 0;
    bool ok = true;
    for (;;) {
      if (!gzgets(f, chunk, sizeof chunk)) break;
      line += chunk;
      if (line.empty() || line.back() != '\n') {
        if (!gzeof(f)) continue;
      }
      if (line.find_first_not_of(" \r\n") == std::string::npos) {
        line.clear();
        continue;
      }
      if (index++ % every) {
        line.clear();
        continue;
      }
      Json c;
      Parser p(line);
      std::string diff = p.parse(c) ? run_case(c) : "unparsable line";
      if (diff.empty()) {
        ++passed;
      } else {
        if (failed < MAX_DETAILS) {
          const Json* name = c.get("name");
          printf("FAIL %s: %s\n", name ? name->str.c_str() : "?", diff.c_str());
        }
        ++failed;
      }
      line.clear();
    }
    int err = 0;
    gzerror(f, &err);
    if (err != Z_OK && err != Z_STREAM_END) {
      fprintf(stderr, "m68kvectors: %s: read error\n", path);
      ok = false;
    }
    gzclose(f);
    return ok;
  }
};

}  // namespace

int main(int argc, char** argv) {
  long every = 1;
  int first = 1;
  if (argc > 2 && strcmp(argv[1], "--every") == 0) {
    every = strtol(argv[2], nullptr, 10);
    if (every < 1) every = 1;
    first = 3;
  }
  if (first >= argc) {
    fprintf(stderr, "usage: m68kvectors [--every N] FILE.jsonl.gz...\n");
    return 2;
  }
  auto runner = std::make_unique<Runner>();
  bool io_ok = true;
  for (int i = first; i < argc; ++i) io_ok &= runner->run_file(argv[i], every);
  printf("%ld passed, %ld failed\n", runner->passed, runner->failed);
  return io_ok && runner->failed == 0 && runner->passed > 0 ? 0 : 1;
}
