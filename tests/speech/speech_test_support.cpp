// The speech tests' shared set-up.
#include "tests/speech/speech_test_support.h"

#include <algorithm>

#include "app/shell.h"
#include "common/com_ptr.h"
#include "common/settings.h"
#include "speech/pronunciation.h"
#include "speech/sound_workers.h"
#include "speech/speech_settings.h"

std::string ToneMp3()
{
    wchar_t path[MAX_PATH];
    GetProgramFolder(path);
    return ReadFileBytes(std::wstring(path) + L"\\tone.mp3");
}

std::vector<std::wstring> FileNames(const std::wstring &folder)
{
    std::vector<std::wstring> names = FindNames(folder + L"\\*");
    std::sort(names.begin(), names.end());
    return names;
}

void SpeechTest::SetUp()
{
    static ComApartment com;
    static RegistrySandbox registry;
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_TRUE(WriteSettingText(L"SpeechEndpoint", server.Base().c_str()));
    ASSERT_TRUE(WriteSettingText(L"SpanishDictEndpoint", (server.Base() + L"/dict").c_str()));
    SetCacheParentFolder(folder.path.c_str());
    UseEngine(0);
}

void SpeechTest::TearDown()
{
    EXPECT_TRUE(WaitForSoundWorkers(30000)) << "every sound worker ends";
    SetCacheParentFolder(nullptr);
}

void SpeechTest::UseEngine(DWORD engine)
{
    ASSERT_TRUE(WriteSettingDword(kEngineValue, engine));
    LoadSpeechSettings();
    ASSERT_EQ(CurrentSpeechEngine(), static_cast<int>(engine));
}
