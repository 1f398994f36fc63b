#include "sc68/gzip68.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

#include "sc68/base68.h"
#include "sc68/file68.h"

namespace {

constexpr unsigned kGzipWindow = 15 + 16;   // zlib's "gzip header" window form

// Grows the output by doubling up to the cap; the result is trimmed to size.
struct grow_buffer {
  unsigned char* data = nullptr;
  std::size_t size = 0;
  std::size_t cap = 0;
};

bool grow(grow_buffer& b) {
  std::size_t want = b.cap ? b.cap * 2 : 64 * 1024;
  if (want > SC68_MAX_FILE) want = SC68_MAX_FILE;
  if (want <= b.cap) return false;
  auto* p = static_cast<unsigned char*>(SC68alloc(want));
  if (!p) return false;
  if (b.size) std::memcpy(p, b.data, b.size);
  SC68free(b.data);
  b.data = p;
  b.cap = want;
  return true;
}

}  // namespace

void* gzip_depack(const char* name, const void* data, std::size_t len, int* ulen) {
  if (ulen) *ulen = 0;
  if (!name) name = "<nil>";
  if (!data || len > SC68_MAX_FILE) return nullptr;
  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (inflateInit2(&z, kGzipWindow) != Z_OK) {
    SC68error_add("gzip_load(%s) : zlib init failed", name);
    return nullptr;
  }
  z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  z.avail_in = static_cast<uInt>(len);
  grow_buffer out;
  int ret = Z_OK;
  while (ret != Z_STREAM_END) {
    if (out.size == out.cap && !grow(out)) {
      ret = out.cap >= SC68_MAX_FILE ? Z_BUF_ERROR : Z_MEM_ERROR;
      break;
    }
    z.next_out = out.data + out.size;
    z.avail_out = static_cast<uInt>(out.cap - out.size);
    ret = inflate(&z, Z_NO_FLUSH);
    out.size = out.cap - z.avail_out;
    if (ret == Z_BUF_ERROR && z.avail_in == 0) break;   // truncated input
    if (ret != Z_OK && ret != Z_STREAM_END) break;
  }
  inflateEnd(&z);
  if (ret != Z_STREAM_END) {
    SC68free(out.data);
    if (ret == Z_MEM_ERROR) SC68error_add("gzip_load(%s) : out of memory", name);
    else if (out.cap >= SC68_MAX_FILE && out.size == out.cap)
      SC68error_add("gzip_load(%s) : unpacked data too large", name);
    else SC68error_add("gzip_load(%s) : corrupted data", name);
    return nullptr;
  }
  if (ulen) *ulen = static_cast<int>(out.size);
  return out.data;
}

void* gzip_load(const char* path, int* ulen) {
  if (ulen) *ulen = 0;
  std::FILE* f = path ? std::fopen(path, "rb") : nullptr;
  if (!f) {
    SC68error_add("gzip_load(%s) : open failure", path ? path : "<nil>");
    return nullptr;
  }
  grow_buffer in;
  bool ok = true;
  for (;;) {
    if (in.size == in.cap && !grow(in)) {
      ok = false;
      break;
    }
    std::size_t got = std::fread(in.data + in.size, 1, in.cap - in.size, f);
    in.size += got;
    if (got == 0) break;
  }
  ok = ok && !std::ferror(f);
  std::fclose(f);
  if (!ok) {
    SC68free(in.data);
    SC68error_add("gzip_load(%s) : read failed", path);
    return nullptr;
  }
  void* out = gzip_depack(path, in.data, in.size, ulen);
  SC68free(in.data);
  return out;
}
