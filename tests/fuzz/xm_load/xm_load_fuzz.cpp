// Loads arbitrary bytes as a module; the loader must refuse or accept them
// without reading outside the input.
#include <cstddef>
#include <cstdint>

#include "xm/xm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    mem_source = {data, static_cast<uint32_t>(size)};
    xm_set_file_callbacks(mem_open, mem_close, mem_read, mem_seek, mem_tell);
    xm_free_song(xm_load_song(nullptr, nullptr));
    return 0;
}
