#include "xm/tunes/tunes.h"

#include "xm/xm.h"

music_state music;

namespace {

void play_tune(int k) {
    music_stop();
    music_free();
    music_load_memory(music.tune_data[k], static_cast<uint32_t>(music.tune_size[k]));
    music_play();
    music.channel_count = music_channel_count();
}

}  // namespace

void music_set_tune(int tune, const unsigned char* data, unsigned long size) {
    if (tune < 1 || tune > MUSIC_TUNES) return;
    music.tune_data[tune] = data;
    music.tune_size[tune] = size;
}

int music_load_memory(const void* address, uint32_t size) {
    mem_source = {static_cast<const unsigned char*>(address), address ? size : 0};
    xm_set_file_callbacks(mem_open, mem_close, mem_read, mem_seek, mem_tell);
    music.current_song = xm_load_song(nullptr, nullptr);
    return music.current_song ? 1 : 0;
}

bool music_play() { return xm_play_song(music.current_song); }

bool music_stop() { return xm_stop_song(music.current_song); }

bool music_free() {
    bool freed = xm_free_song(music.current_song);
    music.current_song = nullptr;
    return freed;
}

int music_channel_count() { return music.current_song ? music.current_song->channel_count : 0; }

uint16_t music_heard_cell(int channel) {
    const xm_song* song = music.current_song;
    if (!song || channel < 0 || channel >= song->channel_count) return 0;
    int o = xm_get_order(song), r = xm_get_row(song);
    if (o >= song->song_length) return 0;
    int p = song->order_table[o];
    if (p >= song->pattern_table_size) return 0;
    const xm_pattern& pattern = song->patterns[p];
    if (!pattern.cells || static_cast<uint32_t>(r) >= pattern.rows) return 0;
    const uint8_t* cell = pattern.cells + (static_cast<size_t>(r) * song->channel_count + channel) * XM_CELL_BYTES;
    return static_cast<uint16_t>(cell[0] | cell[1] << 8);
}

void play_tune_1() { play_tune(1); }
void play_tune_2() { play_tune(2); }
void play_tune_3() { play_tune(3); }
void play_tune_4() { play_tune(4); }
