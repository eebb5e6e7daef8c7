// Prints the time of a bulk download pass (the real dialog and worker) over 100,000 phrases whose
// pronunciations are all cached already: the cost of the pass itself, without any download.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include <string>

#include "app/shell.h"
#include "bench/clock.h"
#include "resources/resource_ids.h"
#include "speech/bulk_download.h"
#include "speech/pronunciation.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"

namespace {

constexpr int kPhrases = 100000;
constexpr int kDistinct = 1000;

}  // namespace

int wmain()
{
    InitCommonControls();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"lingotrove-bulk-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\Cache").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\Cache\\es").c_str(), nullptr);
    SetCacheParentFolder(folder.c_str());

    std::wstring path = folder + L"\\Bench.db";
    DeleteFileW(path.c_str());
    sqlite3 *db = OpenPhraseStore(path.c_str(), true);
    int category = GetOrCreateCategory(db, L"Bench");
    RunStatement(db, L"BEGIN");
    for (int i = 0; i < kPhrases; i++) {
        wchar_t source[32], target[32];
        _snwprintf(source, 32, L"phrase %d", i);
        _snwprintf(target, 32, L"frase %d", i % kDistinct);
        InsertPhrase(db, category, 1, 2, source, target);
    }
    RunStatement(db, L"COMMIT");
    for (int i = 0; i < kDistinct; i++) {
        wchar_t file[MAX_PATH];
        _snwprintf(file, MAX_PATH, L"%ls\\Cache\\es\\frase %d.mp3", folder.c_str(), i);
        HANDLE handle = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(handle);
    }

    double start = Now();
    HWND dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_DOWNLOAD), nullptr,
                                     BulkDownloadDialog, reinterpret_cast<LPARAM>(db));
    WaitForBulkDownload();
    double seconds = Now() - start;
    wchar_t counter[64] = {};
    GetDlgItemTextW(dialog, IDC_DOWNLOAD_COUNTER, counter, 64);
    int position = static_cast<int>(SendDlgItemMessageW(dialog, IDC_DOWNLOAD_PROGRESS, PBM_GETPOS, 0, 0));
    DestroyWindow(dialog);
    printf("bulk download pass, %d phrases (%d distinct texts), all cached: %.2f s "
           "(counter \"%ls\", bar at %d)\n", kPhrases, kDistinct, seconds, counter, position);
    sqlite3_close(db);
    return 0;
}
