// The bulk download: the real dialog (resource 4) and its worker against a loopback server.
#include "tests/speech/speech_test_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "app/main_window.h"
#include "app/shell.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "tests/app/window_fixture.h"
#include "speech/bulk_download.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/support/keys.h"

namespace {

// The message a finished pass ends with.
std::wstring Summary(int fetched, int held, int failed)
{
    wchar_t text[256] = {};
    _snwprintf(text, 255, LoadedString(IDS_DOWNLOAD_SUMMARY).c_str(), fetched, held, failed);
    return text;
}


std::vector<DWORD> g_pauses;
HWND g_dialog = nullptr;
std::vector<std::wstring> g_shownAtPauses;

void RecordPause(HANDLE, DWORD milliseconds)
{
    g_pauses.push_back(milliseconds);
    // What the dialog shows right after a download: asked of the main thread, which handles it
    // while it waits for the worker.
    if (g_dialog) {
        wchar_t text[128] = {}, counter[64] = {};
        GetDlgItemTextW(g_dialog, IDC_DOWNLOAD_TEXT, text, 128);
        GetDlgItemTextW(g_dialog, IDC_DOWNLOAD_COUNTER, counter, 64);
        g_shownAtPauses.push_back(std::wstring(text) + L" " + counter);
    }
}


class BulkDownloadTest : public SpeechTest {
protected:
    sqlite3 *db = nullptr;
    HWND dialog = nullptr;

    void SetUp() override
    {
        SpeechTest::SetUp();
        db = OpenPhraseStore(folder.File(L"Store.db").c_str(), true);
        g_pauses.clear();
        SetBulkDownloadPause(RecordPause);
        AnswerAudio(ToneMp3());
    }
    void TearDown() override
    {
        WaitForBulkDownload();
        SetBulkDownloadPause(nullptr);
        if (dialog)
            DestroyWindow(dialog);
        sqlite3_close(db);
        SpeechTest::TearDown();
    }
    void Seed()
    {
        int category = GetOrCreateCategory(db, L"Mixed");
        InsertPhrase(db, category, 1, 2, L"hello", L"Hola");           // en -> es
        InsertPhrase(db, category, 2, 1, L"gato", L"Cat");             // es -> en
        InsertPhrase(db, category, 1, 2, L"bye", L"Adi\u00F3s");
        InsertPhrase(db, category, 1, 99, L"orphan", L"hu\u00E9rfano"); // no such target language
    }
    // Runs a pass in a modeless dialog, so that its controls can be read afterwards.
    void RunVisiblePass()
    {
        g_shownAtPauses.clear();
        dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_DOWNLOAD), nullptr, BulkDownloadDialog,
                                    reinterpret_cast<LPARAM>(db));
        ASSERT_NE(dialog, nullptr);
        g_dialog = dialog;
        WaitForBulkDownload();
        g_dialog = nullptr;
    }
    std::wstring Text(int id)
    {
        wchar_t text[300] = {};
        GetDlgItemTextW(dialog, id, text, 300);
        return text;
    }
    LRESULT Progress(UINT message, WPARAM wParam = 0)
    {
        return SendDlgItemMessageW(dialog, IDC_DOWNLOAD_PROGRESS, message, wParam, 0);
    }
    std::vector<std::string> SortedRequests()
    {
        std::vector<std::string> lines = server.RequestLines();
        std::sort(lines.begin(), lines.end());
        return lines;
    }
};

TEST_F(BulkDownloadTest, APassFetchesEveryTargetOnceAndPausesAfterEach)
{
    Seed();
    RunVisiblePass();
    EXPECT_EQ(SortedRequests(), (std::vector<std::string>{
                                    "GET /translate_tts?tl=en&client=tw-ob&q=cat HTTP/1.1",
                                    "GET /translate_tts?tl=es&client=tw-ob&q=adi%C3%B3s HTTP/1.1",
                                    "GET /translate_tts?tl=es&client=tw-ob&q=hola HTTP/1.1",
                                }));
    EXPECT_EQ(g_pauses, (std::vector<DWORD>{3000, 3000, 3000}));
    EXPECT_EQ(FileNames(CacheFolder(L"es")), (std::vector<std::wstring>{L"adi\u00F3s.mp3", L"hola.mp3"}));
    EXPECT_EQ(FileNames(CacheFolder(L"en")), std::vector<std::wstring>{L"cat.mp3"});
    // The pair without its language is not walked: the counter ends below the total.
    EXPECT_EQ(Text(IDC_DOWNLOAD_COUNTER), L"3 / 4");
    EXPECT_EQ(Progress(PBM_GETPOS), 3);
    EXPECT_EQ(Progress(PBM_GETRANGE, FALSE), 4);

    // Run again through the command, modally: everything is cached, so no request and no pause,
    // and the worker closes the dialog by itself.
    g_pauses.clear();
    MessageBoxAnswerer ok(IDOK);
    DownloadAllPronunciations(nullptr, db);
    EXPECT_EQ(server.RequestLines().size(), 3u);
    EXPECT_TRUE(g_pauses.empty());
    ASSERT_EQ(ok.seen().size(), 1u);
    EXPECT_EQ(ok.seen()[0].text, Summary(0, 3, 0)) << "three there already";
}

TEST_F(BulkDownloadTest, CtrlFetchesTheSourcesInTheirLanguages)
{
    Seed();
    {
        KeyDown ctrl;
        MessageBoxAnswerer ok(IDOK);
        DownloadAllPronunciations(nullptr, db);
    }
    EXPECT_EQ(SortedRequests(), (std::vector<std::string>{
                                    "GET /translate_tts?tl=en&client=tw-ob&q=bye HTTP/1.1",
                                    "GET /translate_tts?tl=en&client=tw-ob&q=hello HTTP/1.1",
                                    "GET /translate_tts?tl=en&client=tw-ob&q=orphan HTTP/1.1",
                                    "GET /translate_tts?tl=es&client=tw-ob&q=gato HTTP/1.1",
                                }));
}

TEST_F(BulkDownloadTest, FailedDownloadsArePausedForAndLeaveNothing)
{
    Seed();
    server.Answer(503, "busy");
    RunVisiblePass();
    EXPECT_EQ(server.RequestLines().size(), 3u);
    EXPECT_EQ(g_pauses.size(), 3u);
    EXPECT_TRUE(FileNames(CacheFolder(L"es")).empty());
    EXPECT_TRUE(FileNames(CacheFolder(L"en")).empty());
    // Through the command, the pass ends by saying how many failed.
    g_pauses.clear();
    MessageBoxAnswerer ok(IDOK);
    DownloadAllPronunciations(nullptr, db);
    ASSERT_EQ(ok.seen().size(), 1u);
    EXPECT_EQ(ok.seen()[0].text, Summary(0, 0, 3));
}

// Watches the download dialog run modally: records whether the worker asked it to close and
// what its controls were told, and closes it itself (as Escape would) only when nothing else has
// after a long while, so that a dialog that never closes fails the test instead of hanging it.
class DialogWatch {
public:
    static constexpr UINT_PTR kGiveUpTimer = 0x5157;
    DialogWatch()
    {
        watch_ = this;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
    }
    ~DialogWatch()
    {
        UnhookWindowsHookEx(hook_);
        watch_ = nullptr;
    }
    bool closeRequested = false;    // WM_CLOSE reached the dialog from the worker
    bool gaveUp = false;            // the watch had to close it
    std::vector<UINT> updates;      // progress updates the worker sent the dialog's controls

private:
    static bool IsUpdate(UINT message)
    {
        return message == WM_SETTEXT || message == PBM_SETRANGE || message == PBM_SETRANGE32 ||
               message == PBM_SETPOS || message == PBM_STEPIT || message == PBM_DELTAPOS;
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
        if (code == HC_ACTION && watch_) {
            HWND parent = GetParent(call->hwnd);
            if (call->message == WM_INITDIALOG && GetDlgItem(call->hwnd, IDC_DOWNLOAD_PROGRESS))
                SetTimer(call->hwnd, kGiveUpTimer, 60000, GiveUp);
            else if (call->message == WM_CLOSE && GetDlgItem(call->hwnd, IDC_DOWNLOAD_PROGRESS))
                watch_->closeRequested = watch_->closeRequested || InSendMessage();
            else if (parent && GetDlgItem(parent, IDC_DOWNLOAD_PROGRESS) && InSendMessage() && IsUpdate(call->message))
                watch_->updates.push_back(call->message);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void CALLBACK GiveUp(HWND dialog, UINT, UINT_PTR, DWORD)
    {
        KillTimer(dialog, kGiveUpTimer);
        watch_->gaveUp = true;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    static DialogWatch *watch_;
    HHOOK hook_;
};
DialogWatch *DialogWatch::watch_ = nullptr;

TEST_F(BulkDownloadTest, AnEmptyStoreClosesAtOnce)
{
    DialogWatch watch;
    MessageBoxAnswerer ok(IDOK);
    DownloadAllPronunciations(nullptr, db);
    EXPECT_TRUE(watch.closeRequested) << "the worker closed the dialog";
    EXPECT_FALSE(watch.gaveUp);
    EXPECT_EQ(watch.updates, std::vector<UINT>{PBM_SETRANGE32}) << "a range of 0 to 0, and no row shown";
    EXPECT_TRUE(server.RequestLines().empty());
    EXPECT_TRUE(g_pauses.empty());
}

// The cache cannot hold a file ("Cache" is a file here): no request goes out, so the pass makes
// no pause, and ends by itself.
TEST_F(BulkDownloadTest, NoPauseWhenNoFileCanBeMade)
{
    Seed();
    WriteFileBytes(folder.path + L"\\Cache", "not a folder");
    DialogWatch watch;
    MessageBoxAnswerer ok(IDOK);
    DownloadAllPronunciations(nullptr, db);
    EXPECT_TRUE(watch.closeRequested);
    EXPECT_FALSE(watch.gaveUp);
    EXPECT_TRUE(server.RequestLines().empty());
    EXPECT_TRUE(g_pauses.empty());
}

TEST_F(BulkDownloadTest, MoreThan65535PhrasesFillTheBar)
{
    const int total = 70000;
    int category = GetOrCreateCategory(db, L"Many");
    RunStatement(db, L"BEGIN");
    for (int i = 0; i < total; i++)
        InsertPhrase(db, category, 1, 2, L"hello", L"hola");
    RunStatement(db, L"COMMIT");
    ASSERT_TRUE(SHCreateDirectoryExW(nullptr, CacheFolder(L"es").c_str(), nullptr) == ERROR_SUCCESS);
    WriteFileBytes(CacheFolder(L"es") + L"\\hola.mp3", "cached");

    RunVisiblePass();
    EXPECT_EQ(Text(IDC_DOWNLOAD_COUNTER), L"70000 / 70000");
    EXPECT_EQ(Text(IDC_DOWNLOAD_TEXT), L"hola");
    EXPECT_EQ(Progress(PBM_GETRANGE, FALSE), total);
    EXPECT_EQ(Progress(PBM_GETPOS), total);
    EXPECT_TRUE(server.RequestLines().empty());
    EXPECT_TRUE(g_pauses.empty());
}

// Cached rows pass by without being shown one by one, but the row being fetched is on view.
TEST_F(BulkDownloadTest, TheRowBeingFetchedIsShown)
{
    int category = GetOrCreateCategory(db, L"Many");
    RunStatement(db, L"BEGIN");
    for (int i = 0; i < 300; i++)
        InsertPhrase(db, category, 1, 2, L"hello", L"hola");
    InsertPhrase(db, category, 1, 2, L"new", L"nuevo");
    RunStatement(db, L"COMMIT");
    ASSERT_TRUE(SHCreateDirectoryExW(nullptr, CacheFolder(L"es").c_str(), nullptr) == ERROR_SUCCESS);
    WriteFileBytes(CacheFolder(L"es") + L"\\hola.mp3", "cached");
    // Read on the server's thread while the request is in hand; the main thread answers it while
    // it waits for the worker.
    std::wstring shownDuringFetch;
    server.OnRequest([&shownDuringFetch]() {
        wchar_t text[128] = {}, counter[64] = {};
        GetDlgItemTextW(g_dialog, IDC_DOWNLOAD_TEXT, text, 128);
        GetDlgItemTextW(g_dialog, IDC_DOWNLOAD_COUNTER, counter, 64);
        shownDuringFetch = std::wstring(text) + L" " + counter;
    });
    RunVisiblePass();
    server.OnRequest(nullptr);
    EXPECT_EQ(shownDuringFetch, L"nuevo 301 / 301");
    EXPECT_EQ(g_shownAtPauses, std::vector<std::wstring>{L"nuevo 301 / 301"});
}

// Presses Escape in the download dialog as soon as its counter shows the first phrase: the
// worker is then about to fetch that phrase.
class EscapeAtFirstPhrase {
public:
    EscapeAtFirstPhrase() { hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId()); }
    ~EscapeAtFirstPhrase() { UnhookWindowsHookEx(hook_); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
        if (code == HC_ACTION && call->message == WM_SETTEXT &&
            GetDlgCtrlID(call->hwnd) == IDC_DOWNLOAD_COUNTER && call->lParam &&
            wcsncmp(reinterpret_cast<const wchar_t *>(call->lParam), L"1 /", 3) == 0)
            PostMessageW(GetParent(call->hwnd), WM_COMMAND, IDCANCEL, 0);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

TEST_F(BulkDownloadTest, EscapeStopsAfterThePhraseInProgressAndTheStoreCanBeReplaced)
{
    Seed();
    SetBulkDownloadPause(nullptr);      // the real pause, which Escape cuts short
    sqlite3_close(db);
    db = nullptr;

    wchar_t programFolder[MAX_PATH];
    GetProgramFolder(programFolder);
    std::wstring other = std::wstring(programFolder) + L"\\BulkOther.db";
    DeleteFileW(other.c_str());
    sqlite3_close(OpenPhraseStore(other.c_str(), true));

    ASSERT_TRUE(WriteSettingText(kLastDatabaseValue, folder.File(L"Store.db").c_str()));
    ShellState shell = {};
    HWND window = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                                     reinterpret_cast<LPARAM>(&shell));
    ASSERT_NE(window, nullptr);
    sqlite3 *first = shell.db;
    {
        EscapeAtFirstPhrase escape;
        SendMessageW(window, WM_COMMAND, IDM_DOWNLOAD_VOICES, 0);
    }
    // Open BulkOther.db from the File menu right away: it waits for the stopping worker.
    SendMessageW(window, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(window)), 0);
    HMENU file = GetSubMenu(GetMenu(window), 0);
    wchar_t item[MAX_PATH];
    UINT command = IDM_DATABASE_FIRST;
    while (GetMenuStringW(file, command, item, MAX_PATH, MF_BYCOMMAND) && wcscmp(item, L"BulkOther") != 0)
        command++;
    SendMessageW(window, WM_COMMAND, command, 0);
    EXPECT_NE(shell.db, first);

    EXPECT_EQ(server.RequestLines().size(), 1u) << "no request after the stop";
    std::vector<std::wstring> files = FileNames(CacheFolder(L"es"));
    std::vector<std::wstring> english = FileNames(CacheFolder(L"en"));
    files.insert(files.end(), english.begin(), english.end());
    EXPECT_EQ(files.size(), 1u) << "the phrase in progress was fetched whole, and nothing else";

    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    DestroyWindow(window);
    sqlite3_close(shell.db);
    DeleteFileW(other.c_str());
}

}  // namespace
