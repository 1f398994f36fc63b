#include "sc68/config68.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sc68/base68.h"
#include "sc68/rsc68.h"

const config68_entry SC68config_table[CONFIG68_COUNT] = {
    {"version", "major*100+minor", 0, 10000, 221},
    {"sampling_rate", "sampling rate in Hz", 6000, 50000, 44100},
    {"amiga_blend", "left/right voices blending factor for Amiga", 0, 65536, 20480},
    {"force_track", "override default track (0:OFF)", 0, 99, 1},
    {"skip_time", "don't auto-play music which time in seconds is less than", 0, 86400, 4},
    {"default_time", "default time in seconds if unknown", 0, 86400, 180},
    {"total_time", "total of music played since first launch", 0, 0, 0},
};

namespace {

constexpr char kConfigName[] = "config";
constexpr int kHexFormatAbove = 0xFFFFFF;

const char kHeader[] =
    "# -*- sc68 config file -*-\n"
    "#\n"
    "# Settings of the sc68 chip-music engine. This file is read when the\n"
    "# engine starts and written again when it shuts down, so edits made\n"
    "# while a player runs are replaced by its own values.\n"
    "#\n"
    "# One setting per line:  name = value\n"
    "# Values are decimal, 0x-prefixed hexadecimal or 0-prefixed octal and\n"
    "# are brought into the [min..max] range shown beside each of them.\n"
    "# Lines that do not start with a name are ignored.\n"
    "#\n";

bool key_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Parses one line; unknown keys and lines without a value are ignored.
void parse_line(config68* c, const char* line) {
  const char* p = line;
  while (*p == ' ' || *p == '\t') ++p;
  if (!key_char(*p)) return;
  const char* key = p;
  while (key_char(*p)) ++p;
  std::size_t len = static_cast<std::size_t>(p - key);
  int idx = -1;
  for (int i = 0; i < CONFIG68_COUNT; ++i) {
    const char* name = SC68config_table[i].name;
    if (std::strlen(name) != len) continue;
    std::size_t j = 0;
    while (j < len && lower(key[j]) == name[j]) ++j;
    if (j == len) {
      idx = i;
      break;
    }
  }
  if (idx < 0) return;
  p = std::strchr(p, '=');
  if (!p) return;
  ++p;
  while (*p == ' ' || *p == '\t') ++p;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(p, &end, 0);
  if (end == p) return;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  c->value[idx] = static_cast<int>(v);
}

}  // namespace

void SC68config_default(config68* c) {
  for (int i = 0; i < CONFIG68_COUNT; ++i) c->value[i] = SC68config_table[i].def;
}

void SC68config_valid(config68* c) {
  for (int i = 0; i < CONFIG68_COUNT; ++i) {
    const config68_entry& e = SC68config_table[i];
    int& v = c->value[i];
    if (e.min == 0 && e.max == 0) continue;
    if (e.min == 0 && e.max == 1) {
      v = v != 0;
      continue;
    }
    if (v < e.min) v = e.min;
    if (v > e.max) v = e.max;
  }
}

int SC68config_find(const char* name) {
  if (!name) return -1;
  for (int i = 0; i < CONFIG68_COUNT; ++i) {
    const char* k = SC68config_table[i].name;
    std::size_t j = 0;
    while (k[j] && lower(name[j]) == k[j]) ++j;
    if (!k[j] && !name[j]) return i;
  }
  return -1;
}

int SC68config_read(config68* c, istream68* is) {
  char line[CONFIG68_LINE_MAX];
  int total = 0;
  for (;;) {
    if (total >= CONFIG68_FILE_MAX) {
      SC68error_add("SC68config_read(%s) : more than %d bytes, the rest is ignored", istream68_name(is),
                    CONFIG68_FILE_MAX);
      return 0;
    }
    int n = istream68_gets(is, line, sizeof line);
    if (n < 0) return -1;
    if (n == 0) return 0;
    total += n;
    bool whole = line[n - 1] == '\n' || n < CONFIG68_LINE_MAX - 1;
    parse_line(c, line);
    // The rest of an over-long line is dropped, not read as a line of its own.
    while (!whole && total < CONFIG68_FILE_MAX) {
      n = istream68_gets(is, line, sizeof line);
      if (n < 0) return -1;
      total += n;
      whole = n == 0 || line[n - 1] == '\n' || n < CONFIG68_LINE_MAX - 1;
    }
  }
}

int SC68config_write(const config68* c, istream68* is) {
  auto put = [is](const char* text) {
    int n = static_cast<int>(std::strlen(text));
    return istream68_write(is, text, n) == n;
  };
  if (!put(kHeader)) return -1;
  for (int i = 0; i < CONFIG68_COUNT; ++i) {
    const config68_entry& e = SC68config_table[i];
    char line[CONFIG68_LINE_MAX];
    if (e.max > kHexFormatAbove)
      std::snprintf(line, sizeof line, "%-14s=0x%06x [%8x..%8x]    (%x) %s\n", e.name, c->value[i],
                    e.min, e.max, e.def, e.desc);
    else
      std::snprintf(line, sizeof line, "%-14s=%8d   [%8d..%8d] (%5d) %s\n", e.name, c->value[i], e.min,
                    e.max, e.def, e.desc);
    if (!put(line)) return -1;
  }
  return 0;
}

int SC68config_load(config68* c) {
  SC68config_default(c);
  istream68* is = SC68rsc_open(SC68rsc_config, kConfigName, ISTREAM68_READ);
  int err = -1;
  if (is) {
    err = SC68config_read(c, is);
    istream68_destroy(is);
  }
  SC68config_valid(c);
  return err;
}

int SC68config_save(const config68* c) {
  istream68* is = SC68rsc_open(SC68rsc_config, kConfigName, ISTREAM68_WRITE);
  if (!is) return -1;
  int err = SC68config_write(c, is);
  if (err) is->failed = true;
  if (istream68_close(is)) err = -1;
  istream68_destroy(is);
  return err ? SC68error_add("SC68config_save() : write failed") : 0;
}
