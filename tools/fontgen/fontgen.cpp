// fontgen FONTDIR TEXTFONT.bin INTROFONT.bin
// Builds the text font strip (two shaded styles of code page 437) and the intro font strip
// from the X11 "fixed" bitmap fonts, drawing box, block and shade characters from their shapes.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/common/cp437.h"
#include "tools/common/pcf.h"
#include "tools/fontgen/glyphs.h"

static bool write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: fontgen FONTDIR TEXTFONT.bin INTROFONT.bin\n");
        return 2;
    }
    std::string dir = argv[1];
    pcf::Font regular, bold, intro;
    std::string error;
    if (!pcf::load(dir + "/" + fontgen::text_regular_file, regular, error) ||
        !pcf::load(dir + "/" + fontgen::text_bold_file, bold, error) ||
        !pcf::load(dir + "/" + fontgen::intro_file, intro, error)) {
        std::fprintf(stderr, "fontgen: %s\n", error.c_str());
        return 1;
    }
    std::vector<uint8_t> text, big;
    if (!fontgen::build_text_strip(regular, bold, text, error) || !fontgen::build_intro_strip(intro, big, error)) {
        std::fprintf(stderr, "fontgen: %s\n", error.c_str());
        return 1;
    }
    if (!write_file(argv[2], text) || !write_file(argv[3], big)) {
        std::fprintf(stderr, "fontgen: cannot write the output files\n");
        return 1;
    }
    return 0;
}
