// gzip input in builds without zlib (the web page): refused with a reason, as any other
// input the engine cannot read.
#include "sc68/gzip68.h"

#include "sc68/base68.h"

void* gzip_depack(const char* name, const void*, std::size_t, int* ulen) {
  if (ulen) *ulen = 0;
  SC68error_add("gzip_load(%s) : gzip input is not supported by this build", name ? name : "<nil>");
  return nullptr;
}

void* gzip_load(const char* path, int* ulen) { return gzip_depack(path, nullptr, 0, ulen); }
