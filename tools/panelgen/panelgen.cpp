// panelgen FONTDIR PANEL.bin — draws the magazine's panel picture (palette, then indices).
#include <cstdio>
#include <string>
#include <vector>

#include "tools/panelgen/panel.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: panelgen FONTDIR PANEL.bin\n");
        return 2;
    }
    std::string dir = argv[1], error;
    pcf::Font title, small;
    if (!pcf::load(dir + "/9x18B.pcf.gz", title, error) || !pcf::load(dir + "/7x13B.pcf.gz", small, error)) {
        std::fprintf(stderr, "panelgen: %s\n", error.c_str());
        return 1;
    }
    panelgen::Canvas canvas = panelgen::draw_panel(title, small);
    std::vector<uint8_t> out(panelgen::palette_bytes, 0);
    panelgen::palette(out.data());
    out.insert(out.end(), canvas.pixels.begin(), canvas.pixels.end());
    FILE* f = std::fopen(argv[2], "wb");
    bool ok = f && std::fwrite(out.data(), 1, out.size(), f) == out.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "panelgen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
