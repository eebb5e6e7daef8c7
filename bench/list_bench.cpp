// Prints what the phrase list costs at different sizes: start-up on a store whose selected category
// holds 100,000 pairs; choosing a category of 10 to 100,000 pairs and leaving it again, the first
// time and once more (its rows kept), against choosing between two of 10; the memory the rows take
// against their texts, and that of the rows kept; Find over them; and moving them all at once.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/phrase_list.h"
#include "app/phrase_rows.h"
#include "app/shell.h"
#include "bench/clock.h"
#include "common/list_rows.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/selected_rows.h"
#include "store/statement.h"

namespace {

// Selects a category in the selector as the user does, and returns the seconds until the window
// has painted the list.
double Choose(HWND window, int category)
{
    HWND combo = GetDlgItem(window, IDC_CATEGORY);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++)
        if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == category)
            SendMessageW(combo, CB_SETCURSEL, i, 0);
    double start = Now();
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_CATEGORY, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    UpdateWindow(window);
    return Now() - start;
}

}  // namespace

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
    const int sizes[] = {10, 10, 1000, 10000, 100000};
    const int kinds = sizeof sizes / sizeof sizes[0];
    int categories[kinds];
    RunStatement(db, L"BEGIN");
    for (int c = 0; c < kinds; c++) {
        categories[c] = GetOrCreateCategory(db, (L"Size " + std::to_wstring(sizes[c]) + L" " + std::to_wstring(c)).c_str());
        for (int i = 0; i < sizes[c]; i++) {
            // Mixed case and accents, out of order, as typed over the years.
            int number = static_cast<int>((static_cast<long long>(i) * 7919) % sizes[c]);
            std::wstring source = (i % 3 == 0 ? L"\u00C1rbol " : i % 3 == 1 ? L"casa " : L"Zorro ") + std::to_wstring(number);
            InsertPhrase(db, categories[c], 1, 2, source.c_str(), (L"translation " + std::to_wstring(number)).c_str());
        }
    }
    RunStatement(db, L"COMMIT");
    sqlite3_close(db);

    RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sandbox, nullptr);
    RegCloseKey(sandbox);
    WriteSettingText(kLastDatabaseValue, path.c_str());
    WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(categories[kinds - 1]));

    ShellState shell = {};
    double start = Now();
    HWND window = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                                     reinterpret_cast<LPARAM>(&shell));
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    printf("start-up with 100000 pairs in the selected category: %.3f s\n", Now() - start);
    HWND list = GetDlgItem(window, IDC_PHRASE_LIST);

    size_t textBytes = 0;
    size_t rowBytes = PhraseRowsBytes(list, &textBytes);
    printf("rows of 100000 pairs: %.1f MiB for %.1f MiB of texts (%.2f times)\n", rowBytes / 1048576.0,
           textBytes / 1048576.0, static_cast<double>(rowBytes) / textBytes);

    start = Now();
    int found = FindPhraseRow(list, L"TRANSLATION 77777", false, -1);
    double ignoringCase = Now() - start;
    start = Now();
    int none = FindPhraseRow(list, L"not there", true, -1);
    printf("find in 100000 rows: %.1f ms case ignored (row %d), %.1f ms through all with case (row %d)\n",
           ignoringCase * 1000, found, (Now() - start) * 1000, none);

    // Again from a window that has shown none of them, so that each is first read here.
    DestroyWindow(window);
    sqlite3_close(shell.db);
    shell = {};
    WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(categories[0]));
    window = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                                reinterpret_cast<LPARAM>(&shell));
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    list = GetDlgItem(window, IDC_PHRASE_LIST);

    double baseline = Choose(window, categories[1]);
    Choose(window, categories[0]);
    printf("choosing a category of %6d pairs after one of 10: %.3f s\n", 10, baseline);
    for (int c = 2; c < kinds; c++) {
        double entering = Choose(window, categories[c]);
        double leaving = Choose(window, categories[0]);
        double again = Choose(window, categories[c]);
        double leavingAgain = Choose(window, categories[0]);
        printf("choosing a category of %6d pairs after one of 10: %.3f s, leaving it %.3f s; "
               "once more, its rows kept: %.3f s, leaving %.3f s\n",
               sizes[c], entering, leaving, again, leavingAgain);
    }
    printf("rows kept of the categories left: %.1f MiB\n", KeptPhraseRowsBytes(list) / 1048576.0);

    // Adding a pair to the largest category, with none of its rows selected and with all of them:
    // the selection moves down with its rows.
    Choose(window, categories[kinds - 1]);
    LVITEMW all = {};
    all.stateMask = LVIS_SELECTED;
    double adding[2] = {};
    for (int selected = 0; selected < 2; selected++) {
        all.state = selected ? LVIS_SELECTED : 0;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
        SetDlgItemTextW(window, IDC_PHRASE, selected ? L"aa added, all selected" : L"aa added");
        SetDlgItemTextW(window, IDC_TRANSLATION, L"x");
        start = Now();
        SendMessageW(window, WM_COMMAND, IDC_ADD, 0);
        adding[selected] = Now() - start;
    }
    printf("adding a pair to %d pairs: %.3f s with none selected, %.3f s with all selected (%.2f times)\n",
           sizes[kinds - 1], adding[0], adding[1], adding[1] / adding[0]);

    // The context menu's Move on every row of the largest category: the selection read, then the move.
    all.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
    start = Now();
    std::vector<long long> ids = SelectedRowIds(list, false);
    printf("the ids of %zu selected rows: %.3f s\n", ids.size(), Now() - start);
    start = Now();
    ForEachSelectedRow(shell.db, list, MovePhrase, categories[kinds - 2], FALSE);
    printf("moving all %d rows of a category, as the context menu does: %.3f s\n", sizes[kinds - 1], Now() - start);
    DestroyWindow(window);
    sqlite3_close(shell.db);
    DeleteFileW(path.c_str());
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\LingotroveBench");
    return 0;
}
