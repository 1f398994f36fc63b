// Feeds arbitrary bytes to the disk loader: SC68, SNDH, ICE and gzip input.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "sc68/base68.h"
#include "sc68/file68.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  disk68* d = SC68file_load_mem(data, int(size));
  if (d) {
    // Every text of a loaded disk is terminated and every data block lies inside it.
    volatile size_t sum = 0;
    for (int i = 0; i < d->nb_six; ++i) {
      const music68& m = d->mus[i];
      for (const char* s : {m.name, m.author, m.composer, m.replay})
        if (s)
          while (*s) sum = sum + size_t(*s++);
      for (unsigned k = 0; k < m.datasz; ++k) sum = sum + size_t(m.data[k]);
    }
  }
  SC68file_free(d);
  SC68error_flush();
  return 0;
}
