// Speaking through SAPI 5 and the speech worker that outlives the request.
#include "speech/speaker.h"

#include <sapi.h>

#include "speech/sound_workers.h"
#include "speech/speech_settings.h"

namespace {

constexpr ULONG kLongestSpeechMs = 60000;

// Handed to the speech worker, which owns and frees it. token may be null.
struct SpeechHandOff {
    ISpVoice *voice;
    ISpObjectToken *token;
};

HRESULT CreateSystemVoice(ISpVoice **voice)
{
    return CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_INPROC_SERVER, IID_ISpVoice,
                            reinterpret_cast<void **>(voice));
}

VoiceFactory g_createVoice = CreateSystemVoice;

void Release(SpeechHandOff *handOff)
{
    handOff->voice->Release();
    if (handOff->token)
        handOff->token->Release();
}

DWORD WINAPI SpeechWorker(void *block)
{
    SpeechHandOff *handOff = static_cast<SpeechHandOff *>(block);
    handOff->voice->WaitUntilDone(kLongestSpeechMs);
    Release(handOff);
    GlobalFree(handOff);
    EndSoundWorker();
    return 0;
}

}  // namespace

void SetVoiceFactory(VoiceFactory factory)
{
    g_createVoice = factory ? factory : CreateSystemVoice;
}

void SpeakText(const wchar_t *text)
{
    SpeechHandOff speech = {};
    if (FAILED(g_createVoice(&speech.voice)) || !speech.voice)
        return;
    if (SUCCEEDED(CoCreateInstance(CLSID_SpObjectToken, nullptr, CLSCTX_INPROC_SERVER, IID_ISpObjectToken,
                                   reinterpret_cast<void **>(&speech.token))) && speech.token) {
        if (SUCCEEDED(speech.token->SetId(nullptr, CurrentSpeechVoice(), FALSE)))
            speech.voice->SetVoice(speech.token);
    } else {
        speech.token = nullptr;
    }
    speech.voice->Speak(text, SPF_ASYNC, nullptr);

    SpeechHandOff *handOff = static_cast<SpeechHandOff *>(GlobalAlloc(GMEM_FIXED, sizeof(SpeechHandOff)));
    if (handOff) {
        *handOff = speech;
        if (StartSoundWorker(SpeechWorker, handOff))
            return;
        GlobalFree(handOff);
    }
    // No worker to hand the voice to: it is released here, which ends the speech early.
    Release(&speech);
}
