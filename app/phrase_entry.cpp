// Adding and updating phrase pairs from the main window's fields.
#include "app/phrase_entry.h"

#include <commctrl.h>

#include "app/phrase_rows.h"
#include "app/shell.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "store/store_failure.h"
#include "translate/translate.h"

namespace {

// Language codes have at most 15 characters; a longer stored code is cut.
constexpr size_t kCodeUnits = 16;

void LookupLanguageCode(sqlite3 *db, RecordId languageId, wchar_t *code)
{
    wchar_t sql[128];
    code[0] = 0;
    if (FormatStatement(sql, 128, L"SELECT CODE FROM LANGUAGE WHERE ID=%lld", languageId))
        QueryFirstText(db, sql, code, kCodeUnits);
}

RecordId ComboId(HWND window, int control)
{
    return GetComboSelectionData(window, control);
}

void SelectByDescription(HWND window, int control, const wchar_t *description)
{
    LRESULT index = SendDlgItemMessageW(window, control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(description));
    if (index != CB_ERR)
        SendDlgItemMessageW(window, control, CB_SETCURSEL, index, 0);
}

}  // namespace

bool AddPhrase(HWND window, sqlite3 *db)
{
    wchar_t phrase[256];
    wchar_t translation[256];
    GetDlgItemTextW(window, IDC_PHRASE, phrase, 256);
    GetDlgItemTextW(window, IDC_TRANSLATION, translation, 256);
    if (phrase[0] == 0 && translation[0] == 0)
        return true;

    RecordId category = ComboId(window, IDC_CATEGORY);
    RecordId target = ComboId(window, IDC_TARGET_LANGUAGE);
    RecordId source = ComboId(window, IDC_SOURCE_LANGUAGE);
    bool bothFilled = phrase[0] != 0 && translation[0] != 0;
    // The codes are read only for a translation: a store another program holds is then waited
    // for once, by the insert.
    if (!bothFilled) {
        wchar_t sourceCode[kCodeUnits];
        wchar_t targetCode[kCodeUnits];
        LookupLanguageCode(db, source, sourceCode);
        LookupLanguageCode(db, target, targetCode);
        if (phrase[0] == 0)
            TranslateText(targetCode, sourceCode, translation, phrase);
        else
            TranslateText(sourceCode, targetCode, phrase, translation);
    }

    RecordId id = InsertPhrase(db, category, source, target, phrase, translation);
    if (id == 0) {
        int cause = sqlite3_errcode(db);
        // A translation fetched for the pair goes into its field, so that nothing is asked twice.
        SetDlgItemTextW(window, IDC_PHRASE, phrase);
        SetDlgItemTextW(window, IDC_TRANSLATION, translation);
        ShowStoreFailure(window, IDS_NOT_STORED, cause, true);
        return false;
    }

    HWND list = GetDlgItem(window, IDC_PHRASE_LIST);
    int row = InsertPhraseRow(list, id, phrase, translation);
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);

    if (bothFilled)
        SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_PHRASE)), TRUE);
    return true;
}

bool UpdateSelectedPhrase(HWND window, sqlite3 *db)
{
    HWND list = GetDlgItem(window, IDC_PHRASE_LIST);
    int row = FirstSelectedRow(list);
    if (row == -1)
        return true;
    wchar_t phrase[128];
    wchar_t translation[128];
    GetDlgItemTextW(window, IDC_PHRASE, phrase, 128);
    GetDlgItemTextW(window, IDC_TRANSLATION, translation, 128);
    if (phrase[0] == 0 || translation[0] == 0)
        return true;

    // A pair deleted meanwhile (by another program) is not stored either.
    if (!UpdatePhrase(db, PhraseRowId(list, row), ComboId(window, IDC_SOURCE_LANGUAGE),
                      ComboId(window, IDC_TARGET_LANGUAGE), phrase, translation) ||
        sqlite3_changes(db) == 0) {
        ShowStoreFailure(window, IDS_NOT_STORED, sqlite3_errcode(db), true);
        return false;
    }
    row = SetPhraseRowTexts(list, row, phrase, translation);
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
    return true;
}

void ShowSelectedPhrase(sqlite3 *db, HWND window, HWND list, int index)
{
    if (index == -1) {
        SetDlgItemTextW(window, IDC_PHRASE, L"");
        SetDlgItemTextW(window, IDC_TRANSLATION, L"");
        return;
    }
    wchar_t text[128];
    GetRowText(list, index, 0, text, 128);
    SetDlgItemTextW(window, IDC_PHRASE, text);
    GetRowText(list, index, 1, text, 128);
    SetDlgItemTextW(window, IDC_TRANSLATION, text);

    PhraseLanguages languages;
    if (!ReadPhraseLanguages(db, PhraseRowId(list, index), &languages))
        return;
    SelectByDescription(window, IDC_SOURCE_LANGUAGE, languages.sourceDescription);
    SelectByDescription(window, IDC_TARGET_LANGUAGE, languages.targetDescription);
}
