// Feeds arbitrary text to the configuration parser and checks the clamping.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sc68/config68.h"
#include "sc68/istream68.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  istream68* is = istream68_mem_create(data, int(size), ISTREAM68_READ);
  if (!is || istream68_open(is)) std::abort();
  config68 c;
  SC68config_default(&c);
  SC68config_read(&c, is);
  istream68_destroy(is);
  SC68config_valid(&c);
  for (int i = 0; i < CONFIG68_COUNT; ++i) {
    const config68_entry& e = SC68config_table[i];
    if ((e.min || e.max) && (c.value[i] < e.min || c.value[i] > e.max)) std::abort();
  }
  return 0;
}
