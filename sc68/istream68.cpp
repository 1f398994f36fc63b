#include "sc68/istream68.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "sc68/base68.h"

namespace {

constexpr int kTempTries = 16;

// Creates "<path>.<16 random hex digits>" exclusively ("x" never opens an
// existing file or follows a link); the name goes to is->temp.
std::FILE* create_temp(istream68* is) {
  std::random_device entropy;
  for (int i = 0; i < kTempTries; ++i) {
    const uint64_t r = uint64_t(entropy()) << 32 | entropy();
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, ".%016llx", static_cast<unsigned long long>(r));
    std::string temp = std::string(is->name) + suffix;
    std::FILE* f = std::fopen(temp.c_str(), "wbx");
    if (!f) continue;
    is->temp = static_cast<char*>(SC68alloc(temp.size() + 1));
    if (!is->temp) {
      std::fclose(f);
      std::remove(temp.c_str());
      return nullptr;
    }
    std::memcpy(is->temp, temp.c_str(), temp.size() + 1);
    return f;
  }
  return nullptr;
}

istream68* stream_new(istream68::kind_t kind, const char* name, int mode) {
  auto* is = static_cast<istream68*>(SC68alloc(sizeof(istream68)));
  if (!is) return nullptr;
  std::memset(is, 0, sizeof *is);
  std::size_t len = std::strlen(name);
  is->name = static_cast<char*>(SC68alloc(len + 1));
  if (!is->name) {
    SC68free(is);
    return nullptr;
  }
  std::memcpy(is->name, name, len + 1);
  is->kind = kind;
  is->mode = mode;
  return is;
}

}  // namespace

istream68* istream68_file_create(const char* path, int mode) {
  if (!path || (mode & ~(ISTREAM68_READ | ISTREAM68_WRITE)) || !mode) return nullptr;
  return stream_new(istream68::FILE_STREAM, path, mode);
}

istream68* istream68_mem_create(const void* block, int size, int mode) {
  if ((!block && size) || size < 0 || mode != ISTREAM68_READ) return nullptr;
  char name[64];
  const auto* start = static_cast<const unsigned char*>(block);
  std::snprintf(name, sizeof name, "mem://%p:%p", block,
                static_cast<const void*>(start ? start + size : nullptr));
  istream68* is = stream_new(istream68::MEM_STREAM, name, mode);
  if (is) {
    is->mem = start;
    is->size = size;
  }
  return is;
}

void istream68_destroy(istream68* is) {
  if (!is) return;
  istream68_close(is);
  SC68free(is->name);
  SC68free(is);
}

const char* istream68_name(const istream68* is) { return is ? is->name : nullptr; }

int istream68_open(istream68* is) {
  if (!is || is->is_open) return -1;
  if (is->kind == istream68::FILE_STREAM) {
    if (is->mode == ISTREAM68_WRITE) {
      is->file = create_temp(is);
    } else {
      is->file = std::fopen(is->name, is->mode == ISTREAM68_READ ? "rb" : "r+b");
    }
    if (!is->file) return -1;
    is->failed = false;
  }
  is->pos = 0;
  is->is_open = true;
  return 0;
}

int istream68_close(istream68* is) {
  if (!is || !is->is_open) return -1;
  int err = 0;
  if (is->file) {
    if (std::fflush(is->file) || std::ferror(is->file)) is->failed = true;
    err = std::fclose(is->file) ? -1 : 0;
    is->file = nullptr;
    if (is->temp) {
      if (err || is->failed || std::rename(is->temp, is->name)) {
        std::remove(is->temp);
        err = -1;
      }
      SC68free(is->temp);
      is->temp = nullptr;
    }
  }
  is->is_open = false;
  return err;
}

int istream68_read(istream68* is, void* data, int n) {
  if (!is || !is->is_open || !(is->mode & ISTREAM68_READ) || n < 0 || (!data && n)) return -1;
  if (is->kind == istream68::FILE_STREAM) {
    std::size_t got = std::fread(data, 1, static_cast<std::size_t>(n), is->file);
    if (got < static_cast<std::size_t>(n) && std::ferror(is->file)) return -1;
    return static_cast<int>(got);
  }
  int left = is->size - is->pos;
  if (n > left) n = left;
  if (n > 0) std::memcpy(data, is->mem + is->pos, static_cast<std::size_t>(n));
  is->pos += n;
  return n;
}

int istream68_write(istream68* is, const void* data, int n) {
  if (!is || !is->is_open || !(is->mode & ISTREAM68_WRITE) || n < 0 || (!data && n)) return -1;
  if (is->kind != istream68::FILE_STREAM) return -1;
  std::size_t put = std::fwrite(data, 1, static_cast<std::size_t>(n), is->file);
  if (put < static_cast<std::size_t>(n)) is->failed = true;
  return static_cast<int>(put);
}

int istream68_length(istream68* is) {
  if (!is || !is->is_open) return -1;
  if (is->kind == istream68::MEM_STREAM) return is->size;
  long here = std::ftell(is->file);
  if (here < 0 || std::fseek(is->file, 0, SEEK_END)) return -1;
  long end = std::ftell(is->file);
  if (std::fseek(is->file, here, SEEK_SET) || end < 0 || end > INT_MAX) return -1;
  return static_cast<int>(end);
}

int istream68_tell(istream68* is) {
  if (!is || !is->is_open) return -1;
  if (is->kind == istream68::MEM_STREAM) return is->pos;
  long here = std::ftell(is->file);
  return here < 0 || here > INT_MAX ? -1 : static_cast<int>(here);
}

int istream68_seek_to(istream68* is, int pos) {
  if (!is || !is->is_open || pos < 0) return -1;
  if (is->kind == istream68::MEM_STREAM) {
    if (pos > is->size) return -1;
    is->pos = pos;
    return 0;
  }
  return std::fseek(is->file, pos, SEEK_SET) ? -1 : 0;
}

int istream68_gets(istream68* is, char* buf, int max) {
  if (!is || !buf || max < 1) return -1;
  int n = 0;
  while (n < max - 1) {
    char c;
    int got = istream68_read(is, &c, 1);
    if (got < 0) return -1;
    if (got == 0) break;
    buf[n++] = c;
    if (c == '\n') break;
  }
  buf[n] = 0;
  return n;
}
