// xmrender: renders an XM module to a 44,100 Hz 16-bit stereo WAV file with
// the player's own engine and mixer, or prints the module's header facts.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "xm/xm.h"

namespace {

constexpr double kMaxSeconds = 20 * 60;

const char kUsage[] =
    "usage: xmrender IN.xm -o OUT.wav [--seconds S | --loops N]\n"
    "       xmrender IN.xm --info\n"
    "Renders until the song first returns to an order it has already played\n"
    "(or after N such returns with --loops), at most 20 minutes, unless\n"
    "--seconds gives the length.\n";

struct options {
    std::string in, out;
    double seconds = 0;  // 0: until the song repeats
    int loops = 1;
    bool info = false;
};

bool parse_number(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = strtod(text, &end);
    return errno == 0 && end != text && *end == 0;
}

bool parse(int argc, char** argv, options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        double v = 0;
        if (a == "--info") {
            o.info = true;
        } else if (a == "-o" && i + 1 < argc) {
            o.out = argv[++i];
        } else if (a == "--seconds" && i + 1 < argc) {
            if (!parse_number(argv[++i], v) || v <= 0 || v > kMaxSeconds) {
                fprintf(stderr, "xmrender: --seconds takes a length from 0 to %.0f\n", kMaxSeconds);
                return false;
            }
            o.seconds = v;
        } else if (a == "--loops" && i + 1 < argc) {
            if (!parse_number(argv[++i], v) || v < 1 || v > 1000 || v != static_cast<int>(v)) {
                fprintf(stderr, "xmrender: --loops takes a whole number from 1 to 1000\n");
                return false;
            }
            o.loops = static_cast<int>(v);
        } else if (a == "-h" || a == "--help") {
            fputs(kUsage, stdout);
            exit(0);
        } else if (!a.empty() && a[0] != '-' && o.in.empty()) {
            o.in = a;
        } else {
            fputs(kUsage, stderr);
            return false;
        }
    }
    if (o.in.empty() || (!o.info && o.out.empty())) {
        fputs(kUsage, stderr);
        return false;
    }
    return true;
}

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

std::vector<uint8_t> wav_header(uint32_t frames) {
    std::vector<uint8_t> h;
    uint32_t data = frames * 4;
    for (char c : std::string("RIFF")) h.push_back(static_cast<uint8_t>(c));
    put32(h, 36 + data);
    for (char c : std::string("WAVEfmt ")) h.push_back(static_cast<uint8_t>(c));
    put32(h, 16);
    put16(h, 1);  // PCM
    put16(h, 2);
    put32(h, XM_OUTPUT_RATE);
    put32(h, XM_OUTPUT_RATE * 4);
    put16(h, 4);
    put16(h, 16);
    for (char c : std::string("data")) h.push_back(static_cast<uint8_t>(c));
    put32(h, data);
    return h;
}

// Counts the song's returns to orders it has already played; order changes
// happen only at row ticks that take a pending next order.
struct repeat_watch {
    bool played[XM_MAX_ORDERS];
    int returns;
    int loops;
} watch;

void enter_order(int order) {
    if (watch.played[order]) {
        ++watch.returns;
        std::fill(std::begin(watch.played), std::end(watch.played), false);
    }
    watch.played[order] = true;
}

void watched_tick(xm_song* song) {
    if (song->tick == 0 && song->next_order >= 0) enter_order(song->next_order);
    xm_song_tick(song);
}

void print_info(const xm_song* s, const std::vector<uint8_t>& bytes) {
    int samples = 0;
    for (int i = 0; i < s->instrument_count; ++i) samples += static_cast<int>(s->instruments[i].sample_count);
    std::string name(bytes.begin() + 17, bytes.begin() + 37);
    name = name.substr(0, name.find('\0'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    printf("name: %s\n", name.c_str());
    printf("channels: %d\n", s->channel_count);
    printf("song length: %d\n", s->song_length);
    printf("restart: %d\n", s->restart_position);
    printf("patterns: %d\n", s->pattern_table_size);
    printf("instruments: %d\n", s->instrument_count);
    printf("samples: %d\n", samples);
    printf("flags: %u (%s)\n", s->flags, s->flags & 1 ? "linear" : "Amiga");
    printf("tempo: %d\n", s->default_tempo);
    printf("bpm: %d\n", s->default_bpm);
}

// Without a fixed length the bar measures against the 20-minute limit.
void progress(uint32_t done, uint32_t total) {
    int width = 40, filled = static_cast<int>(static_cast<double>(done) / total * width);
    if (filled > width) filled = width;
    fprintf(stderr, "\r[%.*s%*s] %6.1f s", filled, "########################################", width - filled, "",
            static_cast<double>(done) / XM_OUTPUT_RATE);
}

}  // namespace

int main(int argc, char** argv) {
    options o;
    if (!parse(argc, argv, o)) return 2;

    std::ifstream in(o.in, std::ios::binary);
    std::vector<uint8_t> bytes;
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in || bytes.size() > 0xFFFFFFFFu) {
        fprintf(stderr, "xmrender: cannot read %s\n", o.in.c_str());
        return 1;
    }
    mem_source = {bytes.data(), static_cast<uint32_t>(bytes.size())};
    xm_set_file_callbacks(mem_open, mem_close, mem_read, mem_seek, mem_tell);
    xm_song* song = xm_load_song(nullptr, nullptr);
    if (!song) {
        fprintf(stderr, "xmrender: %s is not a module this player can load\n", o.in.c_str());
        return 1;
    }
    if (song->missing_sample_bytes)
        fprintf(stderr, "xmrender: warning: %s is cut short; its last %llu bytes of sample data play as silence\n",
                o.in.c_str(), static_cast<unsigned long long>(song->missing_sample_bytes));
    if (o.info) {
        print_info(song, bytes);
        xm_free_song(song);
        return 0;
    }

    FILE* out = fopen(o.out.c_str(), "wb");
    if (!out) {
        fprintf(stderr, "xmrender: cannot write %s: %s\n", o.out.c_str(), strerror(errno));
        xm_free_song(song);
        return 1;
    }
    if (!xm_render_start(song)) {
        fprintf(stderr, "xmrender: out of memory\n");
        fclose(out);
        xm_free_song(song);
        return 1;
    }
    std::vector<uint8_t> header = wav_header(0);
    fwrite(header.data(), 1, header.size(), out);

    double limit = (o.seconds > 0 ? o.seconds : kMaxSeconds) * XM_OUTPUT_RATE;
    uint32_t total = static_cast<uint32_t>(limit);
    bool bar = isatty(fileno(stderr));
    watch = {};
    watch.loops = o.loops;
    enter_order(0);
    song->tick_routine = watched_tick;
    uint32_t frames = 0;
    bool ok = true;
    while (frames < total) {
        const int16_t* block = xm_render_block();
        uint32_t n = total - frames < XM_BLOCK_FRAMES ? total - frames : XM_BLOCK_FRAMES;
        std::vector<uint8_t> pcm(n * 4);
        for (uint32_t i = 0; i < n * 2; ++i) {
            pcm[2 * i] = static_cast<uint8_t>(block[i]);
            pcm[2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(block[i]) >> 8);
        }
        ok = ok && fwrite(pcm.data(), 1, pcm.size(), out) == pcm.size();
        frames += n;
        if (bar && frames % (XM_BLOCK_FRAMES * 25) < XM_BLOCK_FRAMES) progress(frames, total);
        if (o.seconds == 0 && watch.returns >= watch.loops) break;
    }
    if (bar) fputc('\n', stderr);
    header = wav_header(frames);
    ok = ok && fseek(out, 0, SEEK_SET) == 0 && fwrite(header.data(), 1, header.size(), out) == header.size();
    ok = fclose(out) == 0 && ok;
    xm_free_song(song);
    if (!ok) {
        fprintf(stderr, "xmrender: writing %s failed\n", o.out.c_str());
        return 1;
    }
    return 0;
}
