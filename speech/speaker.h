// Speaking a text with a Microsoft Speech (SAPI 5) voice. Called on the main thread, where COM is
// initialised; returns as soon as the speaking has started. A speech worker waits for the end
// (60 seconds at most) and releases the voice. Nothing is reported: without the speech API or a
// voice, nothing is heard.
#pragma once

#include <windows.h>

struct ISpVoice;

// Speaks text, whole, with the chosen voice of the speech settings (the system's default voice
// when none is chosen or it no longer exists). Each call has its own voice object.
void SpeakText(const wchar_t *text);

// Creates the voice object. Tests put a stand-in voice behind this; null restores the speech
// API's own (CLSID_SpVoice).
typedef HRESULT (*VoiceFactory)(ISpVoice **voice);
void SetVoiceFactory(VoiceFactory factory);
