// Speaking from the main window: a double-clicked row and the plug-in speak message.
#include "tests/speech/speech_test_support.h"

#include <commctrl.h>

#include "app/main_window.h"
#include "app/plugin_api.h"
#include "app/shell.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "speech/playback.h"
#include "speech/sound_workers.h"
#include "sqlite3.h"
#include "store/phrase_store.h"

namespace {

class SpeechWindowTest : public SpeechTest {
protected:
    ShellState shell = {};
    HWND window = nullptr;
    std::wstring longTarget = std::wstring(130, L'B') + L"!";

    void SetUp() override
    {
        SpeechTest::SetUp();
        std::wstring path = folder.File(L"Words.db");
        sqlite3 *db = OpenPhraseStore(path.c_str(), true);
        int category = GetOrCreateCategory(db, L"Greetings");
        InsertPhrase(db, category, 1, 2, L"hello", L"Hola");           // en -> es
        InsertPhrase(db, category, 2, 1, L"m\u00E1s", L"More");        // es -> en
        InsertPhrase(db, category, 1, 99, L"lost", L"perdido");        // its target language is gone
        InsertPhrase(db, category, 1, 2, L"long", longTarget.c_str());
        sqlite3_close(db);
        ASSERT_TRUE(WriteSettingText(kLastDatabaseValue, path.c_str()));
        window = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                                    reinterpret_cast<LPARAM>(&shell));
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        if (window)
            DestroyWindow(window);
        sqlite3_close(shell.db);
        SpeechTest::TearDown();
    }
    // The list's row showing source, -1 when there is none.
    int Row(const wchar_t *source)
    {
        LVFINDINFOW find = {};
        find.flags = LVFI_STRING;
        find.psz = source;
        return static_cast<int>(SendDlgItemMessageW(window, IDC_PHRASE_LIST, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(&find)));
    }
    void DoubleClick(int row)
    {
        NMITEMACTIVATE activate = {};
        activate.hdr.hwndFrom = GetDlgItem(window, IDC_PHRASE_LIST);
        activate.hdr.idFrom = IDC_PHRASE_LIST;
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = row;
        SendMessageW(window, WM_NOTIFY, IDC_PHRASE_LIST, reinterpret_cast<LPARAM>(&activate));
    }
    std::vector<std::wstring> Spoken()
    {
        EXPECT_TRUE(WaitForSoundWorkers(10000));
        std::vector<std::wstring> texts;
        for (const SpokenRequest &request : voices.Requests())
            texts.push_back(request.text);
        return texts;
    }
};

TEST_F(SpeechWindowTest, ADoubleClickedRowPlaysItsCachedTarget)
{
    CreateDirectoryW((folder.path + L"\\Cache").c_str(), nullptr);
    CreateDirectoryW(CacheFolder(L"es").c_str(), nullptr);
    WriteFileBytes(CacheFolder(L"es") + L"\\hola.mp3", ToneMp3());
    unsigned long played = PlaybacksStarted();
    DoubleClick(Row(L"hello"));
    EXPECT_EQ(PlaybacksStarted(), played + 1);
    EXPECT_TRUE(server.RequestLines().empty());
    ASSERT_TRUE(WaitForSoundWorkers(20000));
    EXPECT_EQ(LastPlaybackEventCode(), 1) << "EC_COMPLETE";
}

TEST_F(SpeechWindowTest, ADoubleClickedRowIsDownloadedInItsTargetLanguage)
{
    AnswerAudio(ToneMp3());
    DoubleClick(Row(L"m\u00E1s"));
    EXPECT_EQ(server.RequestLines(), std::vector<std::string>{"GET /translate_tts?tl=en&client=tw-ob&q=more HTTP/1.1"});
    EXPECT_EQ(FileNames(CacheFolder(L"en")), std::vector<std::wstring>{L"more.mp3"});
}

TEST_F(SpeechWindowTest, TheVoiceSaysTheWholeRow)
{
    UseEngine(1);
    DoubleClick(Row(L"hello"));
    DoubleClick(Row(L"long"));
    DoubleClick(Row(L"lost"));
    DoubleClick(-1);
    EXPECT_EQ(Spoken(), (std::vector<std::wstring>{L"Hola", longTarget}))
        << "the whole text; nothing for a pair without its languages or below the rows";
}

TEST_F(SpeechWindowTest, ThePluginSpeakMessageSaysTheText)
{
    UseEngine(1);
    PluginSpeakRequest request = {L"de", L"Guten Tag"};
    SendMessageW(window, WM_PLUGIN_SPEAK, kPluginServiceTag, reinterpret_cast<LPARAM>(&request));
    EXPECT_TRUE(Spoken().empty()) << "no plug-in runs: nobody is answered";
    shell.pluginRunning = true;   // as while a plug-in's execute call sends it
    EXPECT_EQ(SendMessageW(window, WM_PLUGIN_SPEAK, kPluginServiceTag, reinterpret_cast<LPARAM>(&request)), 0);
    EXPECT_EQ(SendMessageW(window, WM_PLUGIN_SPEAK, 0, reinterpret_cast<LPARAM>(&request)), 0);
    EXPECT_EQ(Spoken(), std::vector<std::wstring>{L"Guten Tag"});
    // Had the dialog manager taken it as DM_SETDEFID, Enter would no longer add a pair.
    EXPECT_EQ(LOWORD(SendMessageW(window, DM_GETDEFID, 0, 0)), IDC_ADD);

    UseEngine(0);
    AnswerAudio(ToneMp3());
    SendMessageW(window, WM_PLUGIN_SPEAK, kPluginServiceTag, reinterpret_cast<LPARAM>(&request));
    EXPECT_EQ(server.RequestLines(), std::vector<std::string>{"GET /translate_tts?tl=de&client=tw-ob&q=guten%20tag HTTP/1.1"});
    EXPECT_EQ(FileNames(CacheFolder(L"de")), std::vector<std::wstring>{L"guten tag.mp3"});
}

}  // namespace
