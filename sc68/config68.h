#pragma once
// The engine's seven configuration values and their text file.
#include "sc68/istream68.h"

enum config68_key : int {
  CONFIG68_VERSION,
  CONFIG68_SAMPLING_RATE,
  CONFIG68_AMIGA_BLEND,
  CONFIG68_FORCE_TRACK,
  CONFIG68_SKIP_TIME,
  CONFIG68_DEFAULT_TIME,
  CONFIG68_TOTAL_TIME,
  CONFIG68_COUNT
};

struct config68_entry {
  const char* name;
  const char* desc;
  int min, max, def;
};

extern const config68_entry SC68config_table[CONFIG68_COUNT];
constexpr int CONFIG68_LINE_MAX = 1024;
// Bytes of the file read at most: a real one is under 2 KB, and this keeps
// a file linked to an endless device from stalling the start.
constexpr int CONFIG68_FILE_MAX = 64 * 1024;

struct config68 {
  int value[CONFIG68_COUNT];
};

void SC68config_default(config68* c);
// Brings every value into its range (see the table's rules).
void SC68config_valid(config68* c);
// Key index of name (ASCII case ignored), -1 when unknown.
int SC68config_find(const char* name);
// Reads "key = value" lines from an opened stream, at most CONFIG68_FILE_MAX
// bytes (the rest is ignored, with a message); 0, or -1 on a read error.
int SC68config_read(config68* c, istream68* is);
// Writes the comment block and one line per key; 0, or -1 on a short write.
int SC68config_write(const config68* c, istream68* is);
// Defaults, then the "config" resource, then clamping; 0 when the file was read.
int SC68config_load(config68* c);
// Replaces the "config" resource (user path only).
int SC68config_save(const config68* c);
