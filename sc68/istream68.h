#pragma once
// Streams the loader and the resource layer read and write through:
// a file stream over stdio, and a memory stream over a caller's block.
#include <cstdio>

enum : int { ISTREAM68_READ = 1, ISTREAM68_WRITE = 2 };

struct istream68 {
  enum kind_t { FILE_STREAM, MEM_STREAM } kind;
  int mode;               // ISTREAM68_READ and/or ISTREAM68_WRITE
  char* name;
  std::FILE* file;        // file stream, null while closed
  const unsigned char* mem;   // memory stream block
  int size;               // memory stream length
  int pos;                // memory stream position
  bool is_open;
  bool failed;            // a write came up short: the file is not committed
  char* temp;             // write-only file stream: the new file while open
};

// Null on bad arguments or no memory. The stream starts closed. A file
// opened for writing only is written to a new file beside the path, created
// exclusively under an unpredictable name (so no planted file or link is
// written through), and renamed over the path when it is closed after
// complete writes, so an interrupted save never leaves a truncated file.
istream68* istream68_file_create(const char* path, int mode);
istream68* istream68_mem_create(const void* block, int size, int mode);
void istream68_destroy(istream68* is);

const char* istream68_name(const istream68* is);   // null for no stream
int istream68_open(istream68* is);                 // 0 or -1
int istream68_close(istream68* is);
// Bytes moved (a memory read stops at the block's end), -1 on error.
int istream68_read(istream68* is, void* data, int n);
int istream68_write(istream68* is, const void* data, int n);
int istream68_length(istream68* is);               // -1 when unknown
int istream68_tell(istream68* is);
int istream68_seek_to(istream68* is, int pos);     // 0 or -1
// Reads one line of at most max - 1 bytes, newline kept, zero-terminated.
// Bytes stored, 0 at the end of the stream, -1 on error.
int istream68_gets(istream68* is, char* buf, int max);
