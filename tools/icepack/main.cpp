// icepack IN OUT [--planes N]: packs a file in the ICE format.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "tools/icepack/icepack.h"

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && !std::strcmp(argv[3], "--planes"))) {
    std::fprintf(stderr, "usage: icepack IN OUT [--planes GROUPS]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "icepack: cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ice_pack_options opt;
  if (argc == 5) opt.plane_groups = std::atoi(argv[4]);
  std::vector<uint8_t> packed = ice_pack(data.data(), data.size(), opt);
  if (packed.empty()) {
    std::fprintf(stderr, "icepack: %s cannot be packed\n", argv[1]);
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(packed.data()), std::streamsize(packed.size()));
  if (!out) {
    std::fprintf(stderr, "icepack: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("%s: %zu -> %zu bytes\n", argv[1], data.size(), packed.size());
  return 0;
}
