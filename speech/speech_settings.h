// The speech engine setting and the chosen Microsoft Speech voice: one process-wide copy, loaded
// from the per-user registry at start-up and again after the speech settings dialog's OK.
// Written on the main thread only (LoadSpeechSettings); read without a lock by any thread.
#pragma once

#include <windows.h>

// Values of the speech engine setting. A stored value outside 0..3 is kept as it is and makes a
// pronunciation request do nothing.
enum SpeechEngine {
    EngineGoogleOnly = 0,           // cached file, downloaded from Google Text-To-Speech first
    EngineMicrosoftOnly = 1,        // a Microsoft Speech voice; never downloads
    EngineMicrosoftFallback = 2,    // the cached file when there is one, else the voice
    EngineSpanishDictOnly = 3,      // as EngineGoogleOnly, from SpanishDict
};

// Reads "Engine" and "Voice" into memory. A value that cannot be read gives engine 0 or an empty
// voice; when the key itself cannot be opened the previous values stay.
void LoadSpeechSettings();

// The in-memory engine setting.
int CurrentSpeechEngine();

// The in-memory voice token id (at most 259 units), empty for the system's default voice.
const wchar_t *CurrentSpeechVoice();
