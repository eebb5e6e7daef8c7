// Prints how long the main window takes to fill its phrase list with a category of 1,000, 10,000
// and 100,000 pairs, and to start up on a store whose selected category holds 100,000 pairs.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include <string>

#include "app/main_window.h"
#include "app/phrase_list.h"
#include "app/shell.h"
#include "bench/clock.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"

int wmain()
{
    InitCommonControls();
    // A registry key of the benchmark's own stands in for HKEY_CURRENT_USER.
    HKEY sandbox = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\LingotroveBench", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &sandbox, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, sandbox);

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"lingotrove-list-bench.db";
    DeleteFileW(path.c_str());
    sqlite3 *db = OpenPhraseStore(path.c_str(), true);
    int categories[3];
    const int sizes[3] = {1000, 10000, 100000};
    BeginTransaction(db);
    for (int c = 0; c < 3; c++) {
        categories[c] = GetOrCreateCategory(db, (L"Size " + std::to_wstring(sizes[c])).c_str());
        for (int i = 0; i < sizes[c]; i++) {
            // Mixed case and accents, out of order, as typed over the years.
            std::wstring source = (i % 3 == 0 ? L"\u00C1rbol " : i % 3 == 1 ? L"casa " : L"Zorro ") +
                                  std::to_wstring((i * 7919) % sizes[c]);
            InsertPhrase(db, categories[c], 1, 2, source.c_str(), L"translation");
        }
    }
    CommitTransaction(db);
    sqlite3_close(db);

    RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sandbox, nullptr);
    RegCloseKey(sandbox);
    WriteSettingText(kLastDatabaseValue, path.c_str());
    WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(categories[2]));

    ShellState shell = {};
    double start = Now();
    HWND window = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                                     reinterpret_cast<LPARAM>(&shell));
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    printf("start-up with 100000 pairs in the selected category: %.2f s\n", Now() - start);

    HWND combo = GetDlgItem(window, IDC_CATEGORY);
    for (int c = 0; c < 3; c++) {
        LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; i++)
            if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == categories[c])
                SendMessageW(combo, CB_SETCURSEL, i, 0);
        start = Now();
        SendDlgItemMessageW(window, IDC_PHRASE_LIST, LVM_DELETEALLITEMS, 0, 0);
        double emptied = Now() - start;
        start = Now();
        FillPhraseList(window, shell.db);
        UpdateWindow(window);
        int rows = static_cast<int>(SendDlgItemMessageW(window, IDC_PHRASE_LIST, LVM_GETITEMCOUNT, 0, 0));
        printf("phrase list of %6d pairs filled in %.3f s (emptying the list before: %.3f s)\n", rows, Now() - start,
               emptied);
    }
    DestroyWindow(window);
    sqlite3_close(shell.db);
    DeleteFileW(path.c_str());
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\LingotroveBench");
    return 0;
}
