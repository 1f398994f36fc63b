#pragma once
// gzip-compressed input, depacked through zlib with the same size cap as
// the other packed forms.
#include <cstddef>

// Depacks the gzip file at path; the buffer comes from SC68alloc.
void* gzip_load(const char* path, int* ulen);
// Depacks a gzip block held in memory; name is used in messages.
void* gzip_depack(const char* name, const void* data, std::size_t len, int* ulen);
