// Playing a sound file (an MP3 of the pronunciation cache) through DirectShow. Called on the main
// thread, where COM is initialised; returns as soon as the playing has started. A playback
// worker waits for the end, stops the graph and releases it. Nothing is reported: a file that
// cannot be rendered plays nothing.
#pragma once

#include <windows.h>

// Plays the file at path. Each call builds its own filter graph, so calls overlap.
void PlayAudioFile(const wchar_t *path);

// How many graphs have started running since the process started. Lets tests see whether a
// request played a file.
unsigned long PlaybacksStarted();

// The event code the most recent playback worker's wait ended with (EC_COMPLETE, 1, when the
// sound played to its end); 0 before any. Lets tests see a sound through to its end.
long LastPlaybackEventCode();
