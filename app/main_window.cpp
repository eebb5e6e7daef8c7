// The main window: opening the last database, the selectors and phrase list, the menu commands,
// and remembering the selected category when it closes.
#include "app/main_window.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "app/database_files.h"
#include "app/phrase_entry.h"
#include "app/phrase_find.h"
#include "app/phrase_list.h"
#include "app/phrase_rows.h"
#include "app/plugin_api.h"
#include "app/plugins.h"
#include "app/review_command.h"
#include "app/shell.h"
#include "common/list_rows.h"
#include "common/settings.h"
#include "exchange/exam_page.h"
#include "exchange/workbook.h"
#include "quiz/quiz_window.h"
#include "resources/resource_ids.h"
#include "review/progress_dialog.h"
#include "review/review_tables.h"
#include "speech/bulk_download.h"
#include "speech/pronunciation.h"
#include "speech/speech_dialog.h"
#include "speech/speech_settings.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/settings_dialogs.h"
#include "store/store_failure.h"
#include "translate/translate.h"

static ShellState *ShellOf(HWND window)
{
    return reinterpret_cast<ShellState *>(GetWindowLongPtrW(window, DWLP_USER));
}

static void SelectLastCategory(HWND window)
{
    DWORD last = 0;
    ReadSettingDword(kLastCategoryValue, &last);
    if (static_cast<int>(last) <= 0)
        return;
    HWND combo = GetDlgItem(window, IDC_CATEGORY);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == static_cast<LRESULT>(last)) {
            SendMessageW(combo, CB_SETCURSEL, i, 0);
            return;
        }
    }
}

static BOOL OnInitDialog(HWND window, ShellState *shell)
{
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(shell));

    wchar_t path[MAX_PATH];
    ReadSettingText(kLastDatabaseValue, path, MAX_PATH);
    if (path[0] == 0) {
        GetProgramFolder(path);
        PathAppendW(path, L"Default.db");
    }
    shell->db = OpenPhraseStore(path, false);
    wchar_t fallback[MAX_PATH];
    GetProgramFolder(fallback);
    PathAppendW(fallback, L"Default.db");
    // A file that is there but is no phrase store: said, and Default.db is opened instead.
    if (!shell->db && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES && lstrcmpiW(path, fallback) != 0) {
        ReportNotAStore(window, path);
        wcscpy(path, fallback);
        shell->db = OpenPhraseStore(path, false);
        // Said once: the next start opens Default.db without the message.
        if (shell->db)
            WriteSettingText(kLastDatabaseValue, path);
    }
    SetMainWindowTitle(window, path);
    if (!shell->db) {
        EndDialog(window, 0);
        return FALSE;
    }
    // A review table left alone by another program is matched at once, so that deleting a pair
    // never fails on the one that is gone; a store that cannot be written stays as it is.
    RepairReviewTables(shell->db);

    SendDlgItemMessageW(window, IDC_PHRASE, EM_LIMITTEXT, 120, 0);
    SendDlgItemMessageW(window, IDC_TRANSLATION, EM_LIMITTEXT, 120, 0);
    FillSelectors(window, shell->db);
    SelectLastCategory(window);
    const UINT headings[2] = {IDS_COLUMN_PHRASE, IDS_COLUMN_TRANSLATION};
    PrepareListColumns(GetDlgItem(window, IDC_PHRASE_LIST), 2, headings);
    AttachPhraseRows(GetDlgItem(window, IDC_PHRASE_LIST));
    FillPhraseList(window, shell->db);
    BeginPhraseFind(window);
    SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_PHRASE)), TRUE);
    LoadPlugins(window, shell);
    SetDialogIcon(window);
    return FALSE;
}

static void OnDestroy(HWND window)
{
    EndPhraseFind(window);
    LPARAM category = GetComboSelectionData(window, IDC_CATEGORY);
    WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(category));
}

// Whether Ctrl is held while the command is handled: it reverses an export.
static bool CtrlHeld()
{
    return (GetKeyState(VK_CONTROL) & 0x80) != 0;
}

// One exam page per category, into a folder the user picks.
static void ExportExamPagesToChosenFolder(HWND window, sqlite3 *db)
{
    bool reversed = CtrlHeld();
    wchar_t displayName[MAX_PATH];
    BROWSEINFOW browse = {};
    browse.hwndOwner = window;
    browse.pszDisplayName = displayName;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (!chosen)
        return;
    wchar_t folder[MAX_PATH] = {};
    BOOL named = SHGetPathFromIDListW(chosen, folder);
    CoTaskMemFree(chosen);
    if (named && PathAddBackslashW(folder))
        ExportExamPagesToFolder(window, db, folder, reversed);
}

// An exam on the selected category in the quiz window; reverse asks the target texts.
static void RunQuiz(HWND window, sqlite3 *db, bool reverse)
{
    QuizState quiz = {};
    quiz.db = db;
    quiz.categoryId = static_cast<int>(GetComboSelectionData(window, IDC_CATEGORY));
    quiz.reverse = reverse ? 1 : 0;
    DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_QUIZ), window, QuizWindowProc,
                    reinterpret_cast<LPARAM>(&quiz));
}

// Swaps the sides of the category's pairs (0: every pair; the entry of the pairs of no category:
// those) and shows them so.
static void SwapSides(HWND window, sqlite3 *db, RecordId category)
{
    bool swapped = category == kNoCategoryItem ? SwapLanguagesOfNoCategory(db) : SwapLanguages(db, category);
    if (!swapped) {
        ShowStoreFailure(window, IDS_NOT_SWAPPED, sqlite3_errcode(db), true);
        return;
    }
    FillPhraseList(window, db);
}

static void EmptyEntryFields(HWND window)
{
    SendDlgItemMessageW(window, IDC_PHRASE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    SendDlgItemMessageW(window, IDC_TRANSLATION, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
}

static void OnCommand(HWND window, ShellState *shell, UINT command, UINT notification)
{
    sqlite3 *db = shell->db;
    switch (command) {
    case IDC_ADD:
        // What was typed stays in the fields when it could not be stored.
        if (AddPhrase(window, db))
            EmptyEntryFields(window);
        break;
    case IDC_UPDATE:
        if (UpdateSelectedPhrase(window, db))
            EmptyEntryFields(window);
        break;
    case IDCANCEL:
        EndDialog(window, 0);
        break;
    case IDC_CATEGORY:
        // A category that cannot be read is not shown as empty: the list and the selector stay
        // on the category shown.
        if (notification == CBN_SELCHANGE)
            FillPhraseList(window, db, true);
        break;
    case IDM_CATEGORY_SETTINGS:
        DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_CATEGORIES), window,
                        CategorySettingsDialog, reinterpret_cast<LPARAM>(db));
        RefillSelector(window, db, TRUE, IDC_CATEGORY, TRUE);
        // Deleting a category or a language deletes pairs: the list shows what is left.
        FillPhraseList(window, db);
        break;
    case IDM_LANGUAGE_SETTINGS:
        DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_LANGUAGES), window,
                        LanguageSettingsDialog, reinterpret_cast<LPARAM>(db));
        RefillLanguageSelectors(window, db, TRUE);
        FillPhraseList(window, db);
        break;
    case IDM_SPEECH_SETTINGS:
        if (DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_SPEECH), window,
                            SpeechSettingsDialog, 0) > 0)
            LoadSpeechSettings();
        break;
    case IDM_QUIZ:
    case IDM_QUIZ_REVERSE:
        RunQuiz(window, db, command == IDM_QUIZ_REVERSE);
        break;
    case IDM_REVIEW:
        RunReview(window, db, static_cast<int>(GetComboSelectionData(window, IDC_CATEGORY)));
        break;
    case IDM_PROGRESS:
        ShowProgress(window, db, static_cast<int>(GetComboSelectionData(window, IDC_CATEGORY)));
        break;
    case IDM_DOWNLOAD_VOICES:
        DownloadAllPronunciations(window, db);
        break;
    case IDM_EXPORT_WORKBOOK:
        ExportWorkbook(window, db, 0, CtrlHeld());
        break;
    case IDM_EXPORT_CATEGORY: {
        bool reversed = CtrlHeld();
        ExportWorkbook(window, db, SelectedCategoryOrNone(window), reversed);
        break;
    }
    case IDM_EXAM_CATEGORY: {
        bool reversed = CtrlHeld();
        ExportExamPage(window, db, SelectedCategoryOrNone(window), reversed);
        break;
    }
    case IDM_EXAM_ALL:
        ExportExamPage(window, db, 0, CtrlHeld());
        break;
    case IDM_EXAM_PER_CATEGORY:
        ExportExamPagesToChosenFolder(window, db);
        break;
    case IDM_IMPORT_WORKBOOK:
        // An import that stored nothing changed nothing to show.
        if (!ImportWorkbook(window, db))
            break;
        RefillSelector(window, db, TRUE, IDC_CATEGORY, TRUE);
        RefillLanguageSelectors(window, db, TRUE);
        FillPhraseList(window, db);
        break;
    case IDM_OPEN_DATABASE:
        OpenDatabase(window, shell, kOpenFromDialog);
        break;
    case IDM_NEW_DATABASE:
        OpenDatabase(window, shell, kOpenNewDatabase);
        break;
    case IDM_SWAP_CATEGORY:
    case IDM_SWAP_ALL:
        SwapSides(window, db, command == IDM_SWAP_ALL ? 0 : GetComboSelectionData(window, IDC_CATEGORY));
        break;
    case IDM_FIND:
        OpenFindDialog(window);
        break;
    case IDM_FIND_NEXT:
        FindNextPhrase(window);
        break;
    default:
        if (command >= IDM_DATABASE_FIRST && command <= IDM_DATABASE_LAST)
            OpenDatabase(window, shell, static_cast<int>(command));
        else if (command >= IDM_PLUGIN_FIRST && command <= IDM_PLUGIN_LAST)
            RunPlugin(window, shell, static_cast<int>(command - IDM_PLUGIN_FIRST));
        break;
    }
}

// Says the target text of a double-clicked row in the pair's target language. A pair whose
// languages cannot be read is not spoken.
static void SpeakRow(sqlite3 *db, HWND list, int row)
{
    std::wstring text = RowText(list, row, 1);
    PhraseLanguages languages;
    if (ReadPhraseLanguages(db, PhraseRowId(list, row), &languages))
        RequestPronunciation(languages.targetCode, text.c_str(), true, nullptr);
}

static void OnPhraseListNotify(HWND window, ShellState *shell, NMHDR *header)
{
    switch (header->code) {
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN *>(header)->wVKey == VK_DELETE)
            ForEachSelectedRow(shell->db, header->hwndFrom, DeletePhrase, 0, TRUE);
        break;
    case LVN_ITEMCHANGED: {
        NMLISTVIEW *change = reinterpret_cast<NMLISTVIEW *>(header);
        if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED))
            ShowSelectedPhrase(shell->db, window, header->hwndFrom, change->iItem);
        break;
    }
    case NM_RCLICK:
        ShowPhraseListMenu(shell->db, window, header->hwndFrom);
        break;
    case NM_DBLCLK: {
        int row = reinterpret_cast<NMITEMACTIVATE *>(header)->iItem;
        if (row != -1)
            SpeakRow(shell->db, header->hwndFrom, row);
        break;
    }
    default:
        break;
    }
}

// Whether a service request comes from a running plug-in: sent while one runs, by this thread.
// The request points into the sender's memory and the translation writes through it: honoured for
// another thread or process, it would have the program read and write wherever that points.
// Inside a message that another thread sent (a command sent by another program, say) the system
// reports the plug-in's own requests as sent from there too, so a plug-in run that way gets none.
static bool FromRunningPlugin(const ShellState *shell)
{
    return shell->pluginRunning && InSendMessageEx(nullptr) == ISMEX_NOSEND;
}

// The services plug-ins ask for while they run; requests without the service tag are ignored.
static void OnPluginService(const ShellState *shell, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (wParam != kPluginServiceTag || !lParam || !FromRunningPlugin(shell))
        return;
    if (message == WM_PLUGIN_SPEAK) {
        PluginSpeakRequest *request = reinterpret_cast<PluginSpeakRequest *>(lParam);
        if (request->code && request->text)
            RequestPronunciation(request->code, request->text, true, nullptr);
    } else {
        PluginTranslateRequest *request = reinterpret_cast<PluginTranslateRequest *>(lParam);
        if (request->sourceCode && request->targetCode && request->text && request->result)
            TranslateText(request->sourceCode, request->targetCode, request->text, request->result);
    }
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitDialog(window, reinterpret_cast<ShellState *>(lParam));
    ShellState *shell = ShellOf(window);
    if (!shell)
        return FALSE;
    if (message == FindDialogMessage()) {
        OnFindDialogMessage(window, reinterpret_cast<const FINDREPLACEW *>(lParam));
        return TRUE;
    }
    switch (message) {
    case WM_DESTROY:
        OnDestroy(window);
        break;
    case WM_COMMAND:
        OnCommand(window, shell, LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_NOTIFY:
        if (wParam != IDC_PHRASE_LIST)
            break;
        if (LRESULT result = 0; AnswerPhraseListNotify(reinterpret_cast<NMHDR *>(lParam), &result)) {
            SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
            return TRUE;
        }
        // Emptying the list needs no word per row: with thousands of rows those notes alone
        // take seconds.
        if (reinterpret_cast<NMHDR *>(lParam)->code == LVN_DELETEALLITEMS) {
            SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        OnPhraseListNotify(window, shell, reinterpret_cast<NMHDR *>(lParam));
        break;
    case WM_CONTEXTMENU:
        // Shift+F10 and the Menu key (no position): a right click has shown the menu already,
        // on NM_RCLICK.
        if (reinterpret_cast<HWND>(wParam) != GetDlgItem(window, IDC_PHRASE_LIST) || lParam != -1)
            return FALSE;
        ShowPhraseListMenuFromKeyboard(shell->db, window, reinterpret_cast<HWND>(wParam));
        break;
    case WM_PLUGIN_SPEAK:
    case WM_PLUGIN_TRANSLATE:
        OnPluginService(shell, message, wParam, lParam);
        // The dialog manager reads these numbers as DM_SETDEFID and DM_REPOSITION: answered here,
        // they never reach it, so a plug-in cannot change the default button or move the window.
        SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_INITMENU: {
        wchar_t folder[MAX_PATH];
        GetProgramFolder(folder);
        RebuildDatabaseMenu(GetSubMenu(reinterpret_cast<HMENU>(wParam), 0), folder);
        break;
    }
    default:
        break;
    }
    return FALSE;
}
