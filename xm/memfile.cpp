// In-memory module source: reads a module straight from the program's data.
#include "xm/xm.h"

#include <cstdlib>
#include <cstring>

memory_source mem_source;

namespace {

struct memory_file {
    uint32_t length;
    uint32_t position;
    const unsigned char* data;
};

}  // namespace

void* mem_open(const char*) {
    memory_file* f = static_cast<memory_file*>(malloc(sizeof(memory_file)));
    if (!f) return nullptr;
    *f = {mem_source.address ? mem_source.size : 0, 0, mem_source.address};
    return f;
}

void mem_close(void* handle) { free(handle); }

uint32_t mem_read(void* dst, uint32_t count, void* handle) {
    memory_file* f = static_cast<memory_file*>(handle);
    uint32_t left = f->length - f->position;
    uint32_t n = count < left ? count : left;
    if (n) memcpy(dst, f->data + f->position, n);
    f->position += n;
    return n;
}

void mem_seek(void* handle, int32_t offset, int mode) {
    memory_file* f = static_cast<memory_file*>(handle);
    int64_t base = mode == 0 ? 0 : mode == 1 ? f->position : f->length;
    int64_t target = base + offset;
    // A seek before the start lands at the start, one past the end at the end.
    if (target < 0) target = 0;
    if (target > f->length) target = f->length;
    f->position = static_cast<uint32_t>(target);
}

uint32_t mem_tell(void* handle) { return static_cast<memory_file*>(handle)->position; }
