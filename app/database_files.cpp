// Creating and opening database files from the File menu.
#include "app/database_files.h"

#include <shlwapi.h>

#include "app/phrase_list.h"
#include "app/shell.h"
#include "common/dialogs.h"
#include "common/file_names.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "review/review_tables.h"
#include "speech/bulk_download.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/text.h"

namespace {

// Finds the path for mode; false when there is nothing to open.
bool ChooseDatabase(HWND window, int mode, wchar_t *path)
{
    if (mode == kOpenFromDialog)
        return AskFileName(window, path, FALSE, L"db", IDS_FILTER_DB) != 0;
    if (mode == kOpenNewDatabase) {
        if (DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_NEW_DATABASE), window,
                            NewDatabaseDialog, reinterpret_cast<LPARAM>(path)) != 1)
            return false;
        sqlite3_close(OpenPhraseStore(path, true));
        return true;
    }
    wchar_t name[MAX_PATH] = {};
    if (!GetMenuStringW(GetSubMenu(GetMenu(window), 0), mode, name, MAX_PATH, MF_BYCOMMAND))
        return false;
    GetProgramFolder(path);
    return PathAppendW(path, name) && wcslen(path) + 4 < MAX_PATH && lstrcatW(path, L".db");
}

void OnNewDatabaseOk(HWND dialog)
{
    std::wstring name = DialogItemText(dialog, IDC_NEW_DB_NAME);
    wchar_t path[MAX_PATH];
    GetProgramFolder(path);
    // A name Windows cannot hold is refused before anything is made (a file system that is more
    // lenient, or a device name, would take it); then creating the file is the test of the name:
    // it refuses an existing file and what the file system does not allow.
    HANDLE file = INVALID_HANDLE_VALUE;
    if (IsWindowsFileName(name.c_str()) && PathAppendW(path, name.c_str()) && wcslen(path) + 4 < MAX_PATH &&
        lstrcatW(path, L".db"))
        file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ShowErrorMessage(dialog, IDS_DB_REFUSED);
        return;
    }
    CloseHandle(file);
    DeleteFileW(path);
    CopyBounded(reinterpret_cast<wchar_t *>(GetWindowLongPtrW(dialog, DWLP_USER)), path, MAX_PATH);
    EndDialog(dialog, 1);
}

}  // namespace

void ReportNotAStore(HWND window, const wchar_t *path)
{
    ShowErrorMessage(window, IDS_NOT_A_STORE, path, L"Lingotrove");
}

void OpenDatabase(HWND window, ShellState *shell, int mode)
{
    wchar_t path[MAX_PATH] = {};
    if (!ChooseDatabase(window, mode, path))
        return;
    bool existed = GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
    sqlite3 *db = OpenStoreConnection(path);
    if (!db || !IsPhraseStore(db)) {
        sqlite3_close(db);
        // Opening a missing file makes an empty one: it goes again.
        if (!existed)
            DeleteFileW(path);
        ReportNotAStore(window, path);
        return;
    }
    WriteSettingText(kLastDatabaseValue, path);
    // A bulk download stopped by Escape may still be finishing its phrase on this connection.
    WaitForBulkDownload();
    sqlite3_close(shell->db);
    shell->db = db;
    // As at start-up: the review's tables are put right before any pair is deleted.
    RepairReviewTables(db);
    SetMainWindowTitle(window, path);
    FillSelectors(window, db);
    FillPhraseList(window, db);
}

INT_PTR CALLBACK NewDatabaseDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SendDlgItemMessageW(dialog, IDC_NEW_DB_NAME, EM_LIMITTEXT, 127, 0);
        SetDialogIcon(dialog);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEW_DB_NAME:
            if (HIWORD(wParam) == EN_CHANGE)
                EnableWindow(GetDlgItem(dialog, IDC_NEW_DB_OK),
                             SendDlgItemMessageW(dialog, IDC_NEW_DB_NAME, WM_GETTEXTLENGTH, 0, 0) != 0);
            break;
        case IDC_NEW_DB_OK:
            OnNewDatabaseOk(dialog);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        default:
            break;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
