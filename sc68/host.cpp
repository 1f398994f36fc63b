#include "sc68/host.h"

int intro_music_start(const void*, unsigned, int) { return 0; }
void intro_music_resume() {}
void intro_music_stop() {}
