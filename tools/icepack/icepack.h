#pragma once
// ICE packer: writes the bit stream the engine's depacker reads (the data
// is packed from its end, with literal runs and back references).
#include <cstddef>
#include <cstdint>
#include <vector>

struct ice_pack_options {
  // Groups of 8 bytes, counted from the end, stored through the bitplane
  // post-pass; 0 for none, 4000 uses the stream's short default form.
  int plane_groups = 0;
  // Longest back reference searched (the format allows up to 1,033 bytes).
  int max_match = 1033;
};

// Complete ICE file (header and stream); empty when the data cannot be
// expressed (empty input, or a literal run longer than the format allows).
std::vector<uint8_t> ice_pack(const uint8_t* data, std::size_t size, const ice_pack_options& opt = {});
