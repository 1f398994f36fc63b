#pragma once
// SC68 disks: the in-memory form of an SC68 music file (or of an SNDH
// file), loaded from a stream.
#include <cstdint>

#include "sc68/istream68.h"

constexpr int SC68_MAX_TRACK = 99;
constexpr unsigned SC68_DEFAULT_LOAD = 0x8000;
constexpr unsigned SC68_DEFAULT_FREQ = 50;
constexpr uint32_t SC68_MAX_FILE = 16u << 20;   // biggest file or depacked image accepted

enum : unsigned { SC68_YM = 1, SC68_STE = 2, SC68_AMIGA = 4 };

// Identification string at the head of every SC68 file (56 bytes with its zero).
extern const char SC68file_idstr[56];

struct music68 {
  int d0;              // D0 for the init code
  unsigned a0;         // load address
  unsigned frq;        // replay frequency, Hz
  unsigned start_ms;   // sum of the times of the musics before
  unsigned time_ms;
  unsigned frames;
  unsigned hwflags;
  const char* name;
  const char* author;
  const char* composer;
  const char* replay;  // external replay resource, or null
  unsigned datasz;
  const char* data;
};

struct disk68 {
  int default_six;     // 0-based default track
  int nb_six;          // number of musics
  unsigned time_ms;
  unsigned hwflags;    // union of the musics' flags
  const char* name;
  music68 mus[SC68_MAX_TRACK];
  // the file bytes follow the record in the same allocation
};

// Recognition of a file's first 56 bytes: size of the chunk sequence, or
// one of these codes.
enum : int { SC68_IS_GZIP = -2, SC68_IS_ICE = -3, SC68_IS_SNDH = -4 };
int SC68file_recognise(istream68* is);

// Loads a disk from an opened-or-not stream (opened and closed here; the
// caller destroys the stream). Null with messages in the error list.
disk68* SC68file_load(istream68* is);
disk68* SC68file_load_mem(const void* data, int size);
disk68* SC68file_load_file(const char* path);
void SC68file_free(disk68* disk);

// Fills in the defaults after a walk; 0, or -1 with a message.
int SC68file_valid(disk68* disk);
