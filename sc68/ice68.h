#pragma once
// ICE depacker (the Atari ST packer): a 12-byte header "ICE!", packed size
// (header included) and unpacked size, all big-endian, then a bit stream
// that is read from its last byte backwards.
#include <cstddef>
#include <cstdint>

#include "sc68/istream68.h"

constexpr int ICE_HEADER_SIZE = 12;
constexpr uint32_t ICE_MAX_UNPACKED = 16u << 20;   // larger output is refused

// Unpacked size when header holds an ICE header, else 0.
int32_t ice_unpacked_size(const void* header, std::size_t len);

// Depacks the bit stream src[0..srclen) (the bytes after the header) into
// exactly dstlen bytes. 0 on success, -1 when the stream is inconsistent;
// never reads or writes outside the two blocks.
int ice_depack(const uint8_t* src, std::size_t srclen, uint8_t* dst, std::size_t dstlen);

// Reads an ICE file from the stream's position and depacks it. The buffer
// comes from SC68alloc (caller frees it); null with an error message.
void* ice_load(istream68* is, int* ulen);
