// The magazine's background music: one current song chosen from the four
// compiled-in XM modules, switched by the panel's music and tune buttons.
#pragma once

#include <cstdint>

struct xm_song;

constexpr int MUSIC_TUNES = 4;

struct music_state {
    xm_song* current_song;        // null before the first load, after a failed load and after music_free
    int channel_count;            // channel count of the current tune, read by the music bars
    const unsigned char* tune_data[MUSIC_TUNES + 1];  // entry 0 unused
    unsigned long tune_size[MUSIC_TUNES + 1];
};
extern music_state music;

// Records tune k's (1..4) module bytes; the main routine does this at start-up.
void music_set_tune(int tune, const unsigned char* data, unsigned long size);

int music_load_memory(const void* address, uint32_t size);  // 1 loaded, 0 not
bool music_play();
bool music_stop();
bool music_free();
int music_channel_count();
// Note (low byte) and instrument (high byte) of the channel's cell in the row being heard.
uint16_t music_heard_cell(int channel);

void play_tune_1();
void play_tune_2();
void play_tune_3();
void play_tune_4();
