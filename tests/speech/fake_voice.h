// A stand-in for the speech API's voice: Wine lists voices but cannot speak. Installed behind
// SetVoiceFactory for the life of a VoiceRecorder, it records what the program asks of each
// voice object, on which thread, and when the last reference goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SpokenRequest {
    std::wstring text;
    DWORD flags = 0;
    std::wstring voiceId;           // id of the token given to SetVoice; empty when none was
    ULONG waitTimeout = 0;          // argument of WaitUntilDone, 0 when it was not called
    DWORD waitThread = 0;
    DWORD releaseThread = 0;        // thread of the final Release, 0 while the voice lives
};

class VoiceRecorder {
public:
    VoiceRecorder();
    ~VoiceRecorder();
    VoiceRecorder(const VoiceRecorder &) = delete;
    VoiceRecorder &operator=(const VoiceRecorder &) = delete;

    // One entry per voice object the program created, in creation order.
    std::vector<SpokenRequest> Requests() const;
    // Makes every following voice creation fail.
    void RefuseVoices() { refuse_ = true; }
    // How many voice creations were refused.
    unsigned Refused() const { return refused_; }
    bool refuse_ = false;
    volatile unsigned refused_ = 0;
};
