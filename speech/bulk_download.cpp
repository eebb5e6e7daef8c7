// The bulk download dialog and its worker.
#include "speech/bulk_download.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <stdio.h>

#include "common/dialogs.h"
#include "resources/resource_ids.h"
#include "speech/pronunciation.h"
#include "speech/speech_settings.h"
#include "sqlite3.h"
#include "store/statement.h"

namespace {

constexpr DWORD kPauseMs = 3000;
constexpr DWORD kRefreshMs = 50;

// The one pass that may run. Set by the dialog on the main thread before the worker starts;
// the worker only reads it.
struct BulkPass {
    HANDLE worker = nullptr;    // kept so that the main window can wait for the end
    HANDLE stop = nullptr;      // manual-reset event: set when the dialog goes away; it ends a pause
    volatile LONG stopping = 0; // the same, read once per phrase without a call into the system
    sqlite3 *db = nullptr;
    HWND dialog = nullptr;
    bool sources = false;
    // What the pass did, read by the main thread once the worker has ended.
    int fetched = 0, held = 0, failed = 0;
    bool finished = false;      // it went through every phrase, unstopped
};

BulkPass g_pass;

void WaitOrStop(HANDLE stopEvent, DWORD milliseconds)
{
    WaitForSingleObject(stopEvent, milliseconds);
}

BulkDownloadPause g_pause = WaitOrStop;

bool Stopping()
{
    return g_pass.stopping != 0;
}

// Progress goes to the dialog only while it is there: once it has been told to stop, the
// dialog may be gone.
void Show(int control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Stopping())
        SendDlgItemMessageW(g_pass.dialog, control, message, wParam, lParam);
}

unsigned CountPhrases(sqlite3 *db)
{
    wchar_t count[16];
    QueryFirstText(db, L"SELECT COUNT(*) FROM PHRASE", count, 16);
    return static_cast<unsigned>(StrToIntW(count));
}

// What the dialog shows of the pass: the phrase in hand, the bar and the counter.
void ShowProgress(const wchar_t *text, int counter, unsigned total)
{
    Show(IDC_DOWNLOAD_TEXT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    Show(IDC_DOWNLOAD_PROGRESS, PBM_SETPOS, counter, 0);
    wchar_t shown[64];
    _snwprintf(shown, 64, L"%d / %u", counter, total);
    shown[63] = 0;
    Show(IDC_DOWNLOAD_COUNTER, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown));
}

void WalkPhrases(unsigned total)
{
    const wchar_t *query = g_pass.sources
        ? L"SELECT L.CODE,P.SOURCE FROM PHRASE P JOIN LANGUAGE L ON P.SLANGUAGEID=L.ID"
        : L"SELECT L.CODE,P.TARGET FROM PHRASE P JOIN LANGUAGE L ON P.TLANGUAGEID=L.ID";
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(g_pass.db, query, -1, &statement, nullptr) != SQLITE_OK)
        return;
    int counter = 0;
    wchar_t last[128] = {};
    bool shown = true;
    DWORD shownAt = GetTickCount() - kRefreshMs;
    while (!Stopping() && sqlite3_step(statement) == SQLITE_ROW) {
        wchar_t code[16];
        lstrcpynW(code, ColumnText(statement, 0), 16);
        const wchar_t *text = ColumnText(statement, 1);
        counter++;
        Pronunciation pronunciation;
        int engine = CurrentSpeechEngine();
        PreparePronunciation(code, text, engine, &pronunciation);
        bool fetches = (engine == EngineGoogleOnly || engine == EngineSpanishDictOnly) && !pronunciation.exists &&
                       pronunciation.path[0] != 0;
        // Each update is a message the main thread must handle: rows that are already cached
        // pass by far faster than anyone can read, so they are shown a few times a second. A row
        // about to be fetched is always shown while it is.
        shown = GetTickCount() - shownAt >= kRefreshMs || fetches;
        if (shown) {
            ShowProgress(text, counter, total);
            shownAt = GetTickCount();
        } else {
            lstrcpynW(last, text, 128);
        }
        int attempted = 0;
        bool had = pronunciation.exists;
        CompletePronunciation(&pronunciation, false, &attempted);
        if (attempted && GetFileAttributesW(pronunciation.path) != INVALID_FILE_ATTRIBUTES)
            g_pass.fetched++;
        else if (attempted)
            g_pass.failed++;
        else if (had)
            g_pass.held++;
        if (attempted) {
            g_pause(g_pass.stop, kPauseMs);
            shownAt = GetTickCount() - kRefreshMs;
        }
    }
    if (!shown)
        ShowProgress(last, counter, total);
    sqlite3_finalize(statement);
}

DWORD WINAPI BulkDownloadWorker(void *)
{
    unsigned total = CountPhrases(g_pass.db);
    // The 32-bit range: a store of more than 65535 phrases still fills the bar to its end.
    Show(IDC_DOWNLOAD_PROGRESS, PBM_SETRANGE32, 0, total);
    WalkPhrases(total);
    if (!Stopping()) {
        g_pass.finished = true;
        SendMessageW(g_pass.dialog, WM_CLOSE, 0, 0);
    }
    return 0;
}

void OnInitDialog(HWND dialog, sqlite3 *db)
{
    SetDialogIcon(dialog);
    WaitForBulkDownload();
    if (!g_pass.stop)
        g_pass.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!g_pass.stop)
        return;
    ResetEvent(g_pass.stop);
    InterlockedExchange(&g_pass.stopping, 0);
    g_pass.db = db;
    g_pass.dialog = dialog;
    g_pass.fetched = g_pass.held = g_pass.failed = 0;
    g_pass.finished = false;
    g_pass.sources = (GetKeyState(VK_CONTROL) & 0x80) != 0;
    g_pass.worker = CreateThread(nullptr, 0, BulkDownloadWorker, nullptr, 0, nullptr);
}

}  // namespace

void SetBulkDownloadPause(BulkDownloadPause pause)
{
    g_pause = pause ? pause : WaitOrStop;
}

void WaitForBulkDownload()
{
    if (!g_pass.worker)
        return;
    // The worker may be sending this thread a progress update: those are handled while waiting.
    while (MsgWaitForMultipleObjects(1, &g_pass.worker, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(g_pass.worker);
    g_pass.worker = nullptr;
}

void DownloadAllPronunciations(HWND owner, sqlite3 *db)
{
    WaitForBulkDownload();
    g_pass.finished = false;
    DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_DOWNLOAD), owner, BulkDownloadDialog,
                    reinterpret_cast<LPARAM>(db));
    // A pass that went to its end says what it did, failed downloads included; one stopped with
    // Escape was the user's own choice.
    WaitForBulkDownload();
    if (!g_pass.finished)
        return;
    wchar_t title[128] = {}, format[128] = {}, text[256] = {};
    if (owner)
        GetWindowTextW(owner, title, 128);
    LoadStringW(GetResourceModule(), IDS_DOWNLOAD_SUMMARY, format, 128);
    _snwprintf(text, 255, format, g_pass.fetched, g_pass.held, g_pass.failed);
    MessageBoxW(owner, text, title, MB_OK | (g_pass.failed ? MB_ICONWARNING : MB_ICONINFORMATION));
}

INT_PTR CALLBACK BulkDownloadDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog, reinterpret_cast<sqlite3 *>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            // Told before the dialog goes: from now on the worker leaves it alone.
            if (g_pass.stop && g_pass.dialog == dialog) {
                InterlockedExchange(&g_pass.stopping, 1);
                SetEvent(g_pass.stop);
            }
            EndDialog(dialog, 0);
        }
        return TRUE;
    default:
        return FALSE;
    }
}
