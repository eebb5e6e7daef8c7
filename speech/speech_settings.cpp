// The in-memory speech settings and their loading from the registry.
#include "speech/speech_settings.h"

#include "common/settings.h"

namespace {

// Read by the bulk download worker while the main thread may reload it; an aligned 32-bit
// value is read whole, and a voice being rewritten at that moment only affects which voice a
// later request picks.
volatile LONG g_engine = EngineGoogleOnly;
wchar_t g_voice[MAX_PATH] = {};

}  // namespace

void LoadSpeechSettings()
{
    if (!CanReadSettings())
        return;
    DWORD engine = 0;
    ReadSettingDword(kEngineValue, &engine);
    InterlockedExchange(&g_engine, static_cast<LONG>(engine));
    ReadSettingText(kVoiceValue, g_voice, MAX_PATH);
}

int CurrentSpeechEngine()
{
    return static_cast<int>(g_engine);
}

const wchar_t *CurrentSpeechVoice()
{
    return g_voice;
}
