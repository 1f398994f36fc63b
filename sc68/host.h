#pragma once
// Intro music host: streams the embedded SC68 tune to the wave device
// while the intro screen runs.

// Loads the image (or, with from_file non-zero, the file named by data),
// queues two rendered buffers on a paused device. 1 = queued or skipped,
// 0 = the engine could not be created or the tune not loaded.
int intro_music_start(const void* data, unsigned size, int from_file);
// Lets the queued sound play.
void intro_music_resume();
// Stops the device and shuts the engine down; called once per run.
void intro_music_stop();
