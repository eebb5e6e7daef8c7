// Shows one of the program's dialogs on the screen until it is closed, for looking at it:
// show_dialog DIALOG_ID DATABASE [CATEGORY_ID [reverse]]. Dialogs 2, 3 and 4 work on the
// database; 5, the quiz window, and 8, the progress dialog, on one of its categories; 6 and 7
// need none.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

#include "app/database_files.h"
#include "app/shell.h"
#include "quiz/quiz_window.h"
#include "review/progress_dialog.h"
#include "resources/resource_ids.h"
#include "speech/bulk_download.h"
#include "speech/speech_dialog.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/settings_dialogs.h"

int wmain(int argc, wchar_t **argv)
{
    if (argc < 3)
        return 2;
    InitCommonControls();
    CoInitialize(nullptr);
    int id = _wtoi(argv[1]);
    sqlite3 *db = OpenPhraseStore(argv[2], false);
    wchar_t path[MAX_PATH] = {};
    DLGPROC procedure = id == IDD_CATEGORIES ? CategorySettingsDialog
                      : id == IDD_LANGUAGES  ? LanguageSettingsDialog
                      : id == IDD_SPEECH     ? SpeechSettingsDialog
                      : id == IDD_DOWNLOAD   ? BulkDownloadDialog
                      : id == IDD_QUIZ       ? QuizWindowProc
                      : id == IDD_PROGRESS   ? ProgressDialog
                                             : NewDatabaseDialog;
    QuizState quiz = {};
    quiz.db = db;
    quiz.categoryId = argc > 3 ? _wtoi(argv[3]) : 0;
    quiz.reverse = argc > 4;
    ProgressDialogState progress = {};
    progress.db = db;
    progress.categoryId = quiz.categoryId;
    progress.now = UnixNow();
    LPARAM parameter = id == IDD_NEW_DATABASE ? reinterpret_cast<LPARAM>(path)
                     : id == IDD_QUIZ         ? reinterpret_cast<LPARAM>(&quiz)
                     : id == IDD_PROGRESS     ? reinterpret_cast<LPARAM>(&progress)
                                              : reinterpret_cast<LPARAM>(db);
    INT_PTR result = DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(id), nullptr, procedure, parameter);
    WaitForBulkDownload();
    sqlite3_close(db);
    CoUninitialize();
    return static_cast<int>(result);
}
