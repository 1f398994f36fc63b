#include "sc68/base68.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct base68_state {
  sc68_alloc_t alloc = nullptr;
  sc68_free_t release = nullptr;
  char errors[SC68_ERROR_MAX][SC68_ERROR_LEN] = {};
  int first = 0;   // index of the oldest message
  int count = 0;
  char popped[SC68_ERROR_LEN] = {};   // storage of the last message handed out
  debugmsg68_t debug = nullptr;
  void* cookie = nullptr;
};

base68_state g_base;

}  // namespace

void SC68alloc_set(sc68_alloc_t alloc, sc68_free_t release) {
  g_base.alloc = alloc;
  g_base.release = release;
}

void* SC68alloc(std::size_t size) {
  if (size > 0xFFFFFFFFu) return nullptr;
  if (g_base.alloc) return g_base.alloc(static_cast<unsigned>(size));
  return std::malloc(size ? size : 1);
}

void SC68free(void* ptr) {
  if (!ptr) return;
  if (g_base.release) g_base.release(ptr);
  else std::free(ptr);
}

int SC68error_addv(const char* fmt, va_list list) {
  if (g_base.count == SC68_ERROR_MAX) {
    g_base.first = (g_base.first + 1) % SC68_ERROR_MAX;
    --g_base.count;
  }
  char* slot = g_base.errors[(g_base.first + g_base.count) % SC68_ERROR_MAX];
  std::vsnprintf(slot, SC68_ERROR_LEN, fmt, list);
  ++g_base.count;
  return -1;
}

int SC68error_add(const char* fmt, ...) {
  va_list list;
  va_start(list, fmt);
  SC68error_addv(fmt, list);
  va_end(list);
  return -1;
}

const char* SC68error_peek() {
  if (!g_base.count) return nullptr;
  return g_base.errors[(g_base.first + g_base.count - 1) % SC68_ERROR_MAX];
}

const char* SC68error_get() {
  const char* newest = SC68error_peek();
  if (!newest) return nullptr;
  std::snprintf(g_base.popped, sizeof g_base.popped, "%s", newest);
  --g_base.count;
  return g_base.popped;
}

int SC68error_count() { return g_base.count; }

void SC68error_flush() {
  g_base.first = 0;
  g_base.count = 0;
}

void SC68debug_set_handler(debugmsg68_t handler, void* cookie) {
  g_base.debug = handler;
  g_base.cookie = cookie;
}

void SC68debug(const char* fmt, ...) {
  if (!g_base.debug) return;
  va_list list;
  va_start(list, fmt);
  g_base.debug(g_base.cookie, fmt, list);
  va_end(list);
}
