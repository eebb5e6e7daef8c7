// Shared set-up of the speech tests: a private registry, a private pronunciation cache, the
// online services on a loopback server and a stand-in voice.
#pragma once

#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/speech/fake_voice.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/temp_folder.h"

// The bytes of tone.mp3, a third of a second of a sine tone, copied beside the test programs.
std::string ToneMp3();

// Names of the files in folder, sorted; empty when the folder does not exist.
std::vector<std::wstring> FileNames(const std::wstring &folder);

// The registry sandbox and COM last as long as the test process: Wine's audio output keeps the
// registry keys it opened under the first HKEY_CURRENT_USER it saw, and renders nothing once
// that key has been deleted. Each test starts from an empty program key instead.
class SpeechTest : public ::testing::Test {
protected:
    TempFolder folder;          // holds the cache: folder\Cache\<code>\...
    LoopbackServer server;
    VoiceRecorder voices;

    void SetUp() override;
    void TearDown() override;

    // Stores the engine setting and loads it, as the dialog's OK does.
    void UseEngine(DWORD engine);
    // The services answer every request with body as an MP3 file (audio/mpeg).
    void AnswerAudio(const std::string &body) { server.AnswerTyped(200, "audio/mpeg", body); }
    std::wstring CacheFolder(const wchar_t *code) const { return folder.path + L"\\Cache\\" + code; }
};
