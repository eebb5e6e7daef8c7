// The speech settings: loading them, the voice listing over the speech API's token categories,
// the settings dialog from the real resources, and the voice a request speaks with. Voices are
// token keys that the test writes into the Wine prefix's HKEY_LOCAL_MACHINE (Wine has none of
// its own), so these tests never run side by side.
#include "tests/speech/speech_test_support.h"

#include <commctrl.h>

#include <algorithm>

#include "app/main_window.h"
#include "app/shell.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "speech/pronunciation.h"
#include "speech/sound_workers.h"
#include "speech/speech_dialog.h"
#include "speech/speech_settings.h"
#include "sqlite3.h"
#include "tests/app/window_fixture.h"

namespace {

const wchar_t kDesktop[] = L"SOFTWARE\\Microsoft\\Speech\\Voices";
const wchar_t kServer10[] = L"SOFTWARE\\Microsoft\\Speech Server\\v10.0\\Voices";
const wchar_t kServer11[] = L"SOFTWARE\\Microsoft\\Speech Server\\v11.0\\Voices";

struct VoiceToken {
    const wchar_t *category;
    const wchar_t *key;
    const wchar_t *name;
};

// In the order the test expects them: desktop voices first, each category in the speech API's
// order. Wine's own "Wine Default Voice" is listed among the desktop voices too.
const VoiceToken kVoices[] = {
    {kDesktop, L"LingotroveTestAnna", L"Anna (desktop)"},
    {kDesktop, L"LingotroveTestBruno", L"Bruno (desktop)"},
    {kServer10, L"LingotroveTestServer10", L"Anna (Server 10)"},
    {kServer11, L"LingotroveTestServer11", L"Carla (Server 11)"},
};

// Whether a listed token id names the voice. What an id looks like is the speech API's: Windows
// gives the token's full registry path, Wine 8 its key name alone.
bool IdNames(const std::wstring &id, const VoiceToken &voice)
{
    std::wstring key = voice.key;
    return id == key || (id.size() > key.size() && id.compare(id.size() - key.size(), key.size(), key) == 0 &&
                         id[id.size() - key.size() - 1] == L'\\');
}

// The id under which the speech API opens a token given its full registry path.
std::wstring FullTokenId(const VoiceToken &voice)
{
    return std::wstring(L"HKEY_LOCAL_MACHINE\\") + voice.category + L"\\Tokens\\" + voice.key;
}

void RemoveVoices()
{
    for (const VoiceToken &voice : kVoices)
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(voice.category) + L"\\Tokens\\" + voice.key).c_str());
}

void InstallVoices()
{
    RemoveVoices();
    for (const VoiceToken &voice : kVoices) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(voice.category) + L"\\Tokens\\" + voice.key).c_str(),
                                  0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(voice.name),
                       static_cast<DWORD>((wcslen(voice.name) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

class SpeechSettingsTest : public SpeechTest {
protected:
    HWND dialog = nullptr;

    void SetUp() override
    {
        SpeechTest::SetUp();
        InstallVoices();
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        RemoveVoices();
        SpeechTest::TearDown();
    }
    void OpenDialog()
    {
        dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_SPEECH), nullptr,
                                    SpeechSettingsDialog, 0);
        ASSERT_NE(dialog, nullptr);
    }
    std::vector<std::wstring> VoiceNames() { return ComboItemTexts(GetDlgItem(dialog, IDC_VOICE)); }
    std::vector<std::wstring> ListedIds()
    {
        std::vector<std::wstring> ids;
        LRESULT count = SendDlgItemMessageW(dialog, IDC_VOICE, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; i++) {
            const wchar_t *id = reinterpret_cast<const wchar_t *>(SendDlgItemMessageW(dialog, IDC_VOICE, CB_GETITEMDATA, i, 0));
            ids.push_back(id ? id : L"<null>");
        }
        return ids;
    }
    // The combo index of a test voice, -1 when it is not listed.
    int IndexOf(const VoiceToken &voice)
    {
        std::vector<std::wstring> ids = ListedIds();
        for (size_t i = 0; i < ids.size(); i++)
            if (IdNames(ids[i], voice))
                return static_cast<int>(i);
        return -1;
    }
    std::wstring ListedId(const VoiceToken &voice) { return ListedIds().at(IndexOf(voice)); }
    int SelectedVoice() { return static_cast<int>(SendDlgItemMessageW(dialog, IDC_VOICE, CB_GETCURSEL, 0, 0)); }
    // The engine values whose radio buttons are checked.
    std::vector<int> CheckedEngines()
    {
        std::vector<int> checked;
        for (int id = IDC_ENGINE_FIRST; id <= IDC_ENGINE_LAST; id++)
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
                checked.push_back(id - IDC_ENGINE_FIRST);
        return checked;
    }
    void Click(int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }
    void Press(int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    std::wstring StoredVoice()
    {
        wchar_t voice[MAX_PATH];
        ReadSettingText(kVoiceValue, voice, MAX_PATH);
        return voice;
    }
    DWORD StoredEngine()
    {
        DWORD engine = 1234;
        ReadSettingDword(kEngineValue, &engine);
        return engine;
    }
};

TEST_F(SpeechSettingsTest, FirstStartCreatesTheKeyWithEngine0AndNoVoice)
{
    // Settings of an earlier user in memory: a first start must not keep them.
    ASSERT_TRUE(WriteSettingDword(kEngineValue, 2));
    ASSERT_TRUE(WriteSettingText(kVoiceValue, FullTokenId(kVoices[1]).c_str()));
    LoadSpeechSettings();
    ASSERT_EQ(CurrentSpeechEngine(), 2);

    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    LoadSpeechSettings();
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 1234;
    EXPECT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(values, 0u) << "the key is created empty";
    EXPECT_EQ(CurrentSpeechEngine(), 0);
    EXPECT_STREQ(CurrentSpeechVoice(), L"");

    OpenDialog();
    EXPECT_EQ(CheckedEngines(), std::vector<int>{0});
    EXPECT_EQ(SelectedVoice(), 0);
    std::wstring first = ListedIds().at(0);
    Press(IDC_SPEECH_OK);
    DWORD engine = 1234;
    EXPECT_TRUE(ReadSettingDword(kEngineValue, &engine)) << "OK wrote the engine";
    EXPECT_EQ(engine, 0u);
    EXPECT_EQ(StoredVoice(), first);
}

TEST_F(SpeechSettingsTest, LoadingReadsBothValuesAndDropsAVoiceThatDoesNotFit)
{
    ASSERT_TRUE(WriteSettingDword(kEngineValue, 2));
    ASSERT_TRUE(WriteSettingText(kVoiceValue, FullTokenId(kVoices[1]).c_str()));
    LoadSpeechSettings();
    EXPECT_EQ(CurrentSpeechEngine(), 2);
    EXPECT_EQ(std::wstring(CurrentSpeechVoice()), FullTokenId(kVoices[1]));

    ASSERT_TRUE(WriteSettingText(kVoiceValue, std::wstring(260, L'v').c_str()));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kEngineValue);
    LoadSpeechSettings();
    EXPECT_EQ(CurrentSpeechEngine(), 0);
    EXPECT_STREQ(CurrentSpeechVoice(), L"");
}

TEST_F(SpeechSettingsTest, VoicesOfTheThreeCategoriesAreListedInOrder)
{
    OpenDialog();
    std::vector<std::wstring> names = VoiceNames();
    std::vector<std::wstring> ids = ListedIds();
    ASSERT_EQ(names.size(), ids.size());
    ASSERT_FALSE(names.empty());
    // The test voices as listed, in the listed order: their texts and which voices they are.
    std::vector<std::wstring> listed;
    std::vector<std::wstring> expected;
    for (size_t i = 0; i < ids.size(); i++)
        for (const VoiceToken &voice : kVoices)
            if (IdNames(ids[i], voice))
                listed.push_back(names[i]);
    for (const VoiceToken &voice : kVoices)
        expected.push_back(voice.name);
    EXPECT_EQ(listed, expected) << "display names, desktop voices first, then v10.0, then v11.0";
    EXPECT_EQ(names.back(), kVoices[3].name) << "the server voices come last";
}

TEST_F(SpeechSettingsTest, TheStoredVoiceIsSelectedWhenItMatchesExactly)
{
    OpenDialog();
    std::wstring server10 = ListedId(kVoices[2]);
    std::wstring first = ListedIds()[0];
    DestroyWindow(dialog);

    ASSERT_TRUE(WriteSettingText(kVoiceValue, server10.c_str()));
    OpenDialog();
    EXPECT_EQ(SelectedVoice(), IndexOf(kVoices[2]));
    DestroyWindow(dialog);

    std::wstring otherCase = server10;
    otherCase.back() = L'O';
    ASSERT_TRUE(WriteSettingText(kVoiceValue, otherCase.c_str()));
    OpenDialog();
    EXPECT_EQ(SelectedVoice(), 0) << "compared case-sensitively";
    Press(IDC_SPEECH_OK);
    EXPECT_EQ(StoredVoice(), first) << "OK stores the first voice";
    EXPECT_EQ(StoredEngine(), 0u);
}

TEST_F(SpeechSettingsTest, TheFourEnginesAreExclusiveAndOkStoresTheChecked)
{
    ASSERT_TRUE(WriteSettingDword(kEngineValue, 1));
    OpenDialog();
    EXPECT_EQ(CheckedEngines(), std::vector<int>{1});
    Click(IDC_ENGINE_FIRST + 3);
    EXPECT_EQ(CheckedEngines(), std::vector<int>{3});
    Click(IDC_ENGINE_FIRST + 2);
    EXPECT_EQ(CheckedEngines(), std::vector<int>{2});
    Click(IDC_ENGINE_FIRST + 3);
    SendDlgItemMessageW(dialog, IDC_VOICE, CB_SETCURSEL, IndexOf(kVoices[3]), 0);
    Press(IDC_SPEECH_OK);
    EXPECT_EQ(StoredEngine(), 3u);
    EXPECT_EQ(StoredVoice(), ListedId(kVoices[3]));
    EXPECT_EQ(CurrentSpeechEngine(), 0) << "the dialog itself leaves the loaded settings alone";
}

TEST_F(SpeechSettingsTest, AnUnknownEngineChecksNothingAndOkKeepsIt)
{
    ASSERT_TRUE(WriteSettingDword(kEngineValue, 7));
    OpenDialog();
    EXPECT_TRUE(CheckedEngines().empty());
    SendDlgItemMessageW(dialog, IDC_VOICE, CB_SETCURSEL, IndexOf(kVoices[1]), 0);
    Press(IDC_SPEECH_OK);
    EXPECT_EQ(StoredEngine(), 7u);
    EXPECT_EQ(StoredVoice(), ListedId(kVoices[1]));
}

// Command 115 of the main window runs the dialog modally and reloads the settings after OK only.
class SpeechCommandTest : public SpeechSettingsTest {
protected:
    TempFolder store;
    ShellState shell = {};
    HWND window = nullptr;

    void SetUp() override
    {
        SpeechSettingsTest::SetUp();
        std::wstring path = store.File(L"Words.db");
        ASSERT_TRUE(WriteSettingText(kLastDatabaseValue, path.c_str()));
        window = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                                    reinterpret_cast<LPARAM>(&shell));
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(window);
        sqlite3_close(shell.db);
        SpeechSettingsTest::TearDown();
    }
};

TEST_F(SpeechCommandTest, OkReloadsTheSettingsAndCancelDoesNot)
{
    ASSERT_EQ(CurrentSpeechEngine(), 0);
    {
        DialogDriver driver([](HWND shown) {
            PostMessageW(GetDlgItem(shown, IDC_ENGINE_FIRST + 1), BM_CLICK, 0, 0);
            PostMessageW(GetDlgItem(shown, IDC_VOICE), CB_SETCURSEL, 2, 0);
            PostMessageW(shown, WM_COMMAND, IDC_SPEECH_OK, 0);
        });
        SendMessageW(window, WM_COMMAND, IDM_SPEECH_SETTINGS, 0);
    }
    EXPECT_EQ(CurrentSpeechEngine(), 1);
    EXPECT_EQ(std::wstring(CurrentSpeechVoice()), StoredVoice());
    EXPECT_NE(StoredVoice(), L"");

    {
        DialogDriver driver([](HWND shown) {
            PostMessageW(GetDlgItem(shown, IDC_ENGINE_FIRST + 2), BM_CLICK, 0, 0);
            PostMessageW(GetDlgItem(shown, IDC_VOICE), CB_SETCURSEL, 0, 0);
            PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
        });
        SendMessageW(window, WM_COMMAND, IDM_SPEECH_SETTINGS, 0);
    }
    EXPECT_EQ(StoredEngine(), 1u);
    EXPECT_EQ(StoredVoice(), CurrentSpeechVoice()) << "Cancel keeps the voice too";
    // A value changed behind the program's back shows that Cancel did not reload.
    ASSERT_TRUE(WriteSettingDword(kEngineValue, 3));
    {
        DialogDriver driver([](HWND shown) { PostMessageW(shown, WM_COMMAND, IDCANCEL, 0); });
        SendMessageW(window, WM_COMMAND, IDM_SPEECH_SETTINGS, 0);
    }
    EXPECT_EQ(CurrentSpeechEngine(), 1);
}

TEST_F(SpeechSettingsTest, TheVoiceSpeaksWithTheStoredToken)
{
    UseEngine(1);
    ASSERT_TRUE(WriteSettingText(kVoiceValue, FullTokenId(kVoices[3]).c_str()));
    LoadSpeechSettings();
    RequestPronunciation(L"en", L"hello", true, nullptr);

    ASSERT_TRUE(WriteSettingText(kVoiceValue, L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\Gone"));
    LoadSpeechSettings();
    RequestPronunciation(L"en", L"bye", true, nullptr);

    ASSERT_TRUE(WaitForSoundWorkers(10000));
    std::vector<SpokenRequest> spoken = voices.Requests();
    ASSERT_EQ(spoken.size(), 2u);
    EXPECT_EQ(spoken[0].voiceId, FullTokenId(kVoices[3]));
    EXPECT_EQ(spoken[1].text, L"bye");
    EXPECT_EQ(spoken[1].voiceId, L"") << "a voice that is gone leaves the default voice";
}

}  // namespace
