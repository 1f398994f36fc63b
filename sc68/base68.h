#pragma once
// Process-wide services of the SC68 engine: the memory handlers every
// allocation goes through, the list of the last error messages and the
// optional debug trace.
#include <cstdarg>
#include <cstddef>

using sc68_alloc_t = void* (*)(unsigned size);
using sc68_free_t = void (*)(void* ptr);
using debugmsg68_t = void (*)(void* cookie, const char* fmt, va_list list);

constexpr int SC68_ERROR_MAX = 8;      // messages kept
constexpr int SC68_ERROR_LEN = 256;    // bytes per message, terminator included

// Installs the memory handlers (null restores malloc/free).
void SC68alloc_set(sc68_alloc_t alloc, sc68_free_t release);
void* SC68alloc(std::size_t size);
void SC68free(void* ptr);

// Adds a message, dropping the oldest when the list is full; always -1.
int SC68error_add(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
int SC68error_addv(const char* fmt, va_list list);
// Newest message, removed from the list; null when the list is empty.
const char* SC68error_get();
// Newest message left in place; null when the list is empty.
const char* SC68error_peek();
int SC68error_count();
void SC68error_flush();

// The trace goes nowhere until a handler is installed.
void SC68debug_set_handler(debugmsg68_t handler, void* cookie);
void SC68debug(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
