// Prints how long the quiz window takes to open on categories of 500, 2,000 and 5,000 phrases,
// and to jump to the last row, with the real dialog resource.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include <string>

#include "app/shell.h"
#include "bench/clock.h"
#include "quiz/quiz_window.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"

int wmain()
{
    InitCommonControls();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"lingotrove-quiz-bench.db";
    DeleteFileW(path.c_str());
    sqlite3 *db = OpenPhraseStore(path.c_str(), true);
    for (int size : {500, 2000, 5000}) {
        int category = GetOrCreateCategory(db, (L"Size " + std::to_wstring(size)).c_str());
        RunStatement(db, L"BEGIN");
        for (int i = 0; i < size; i++) {
            std::wstring source = L"question number " + std::to_wstring(i);
            std::wstring target = L"respuesta n\u00FAmero " + std::to_wstring(i);
            InsertPhrase(db, category, 1, 2, source.c_str(), target.c_str());
        }
        RunStatement(db, L"COMMIT");

        QuizState state = {};
        state.db = db;
        state.categoryId = category;
        double start = Now();
        HWND dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_QUIZ), nullptr, QuizWindowProc,
                                         reinterpret_cast<LPARAM>(&state));
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        double opened = Now() - start;
        start = Now();
        SendMessageW(dialog, WM_VSCROLL, SB_BOTTOM, 0);
        UpdateWindow(dialog);
        double bottom = Now() - start;
        printf("quiz window, %5d rows: opens in %.3f s, jumps to the last row in %.3f s\n", state.rows, opened, bottom);
        DestroyWindow(dialog);
    }
    sqlite3_close(db);
    DeleteFileW(path.c_str());
    return 0;
}
