// Adding and updating phrase pairs from the main window's fields.
#include "app/phrase_entry.h"

#include <commctrl.h>

#include <string>

#include "app/phrase_list.h"
#include "app/phrase_rows.h"
#include "app/shell.h"
#include "common/dialogs.h"
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

// The category a new pair goes into: the one selected, or when there is none (a first start, a
// new store, the entry of the pairs of no category) the category "General", created when
// missing and selected with its pairs listed. 0 when it could not be stored.
RecordId CategoryForNewPair(HWND window, sqlite3 *db)
{
    LPARAM selected = GetComboSelectionData(window, IDC_CATEGORY);
    if (selected != 0 && selected != kNoCategoryItem)
        return selected;
    wchar_t name[64] = {};
    LoadStringW(GetResourceModule(), IDS_GENERAL_CATEGORY, name, 64);
    RecordId id = GetOrCreateCategory(db, name);
    if (id == 0 || !FitsItemData(id))
        return 0;
    RefillSelector(window, db, FALSE, IDC_CATEGORY, TRUE);
    HWND combo = GetDlgItem(window, IDC_CATEGORY);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++)
        if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == static_cast<LRESULT>(id))
            SendMessageW(combo, CB_SETCURSEL, i, 0);
    FillPhraseList(window, db);
    return id;
}

// Selects row id of the list alone, focused and in view.
void SelectPhraseRow(HWND list, RecordId id)
{
    if (!FitsItemData(id))
        return;
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(id);
    int row = static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (row < 0)
        return;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}

}  // namespace

bool AddPhrase(HWND window, sqlite3 *db)
{
    std::wstring phrase = DialogItemText(window, IDC_PHRASE);
    std::wstring translation = DialogItemText(window, IDC_TRANSLATION);
    if (phrase.empty() && translation.empty())
        return true;

    RecordId target = ComboId(window, IDC_TARGET_LANGUAGE);
    RecordId source = ComboId(window, IDC_SOURCE_LANGUAGE);
    bool bothFilled = !phrase.empty() && !translation.empty();
    // The codes are read only for a translation: a store another program holds is then waited
    // for once, by the insert.
    bool untranslated = false;
    if (!bothFilled) {
        wchar_t sourceCode[kCodeUnits];
        wchar_t targetCode[kCodeUnits];
        LookupLanguageCode(db, source, sourceCode);
        LookupLanguageCode(db, target, targetCode);
        wchar_t translated[128] = {};
        if (phrase.empty())
            TranslateText(targetCode, sourceCode, translation.c_str(), translated);
        else
            TranslateText(sourceCode, targetCode, phrase.c_str(), translated);
        (phrase.empty() ? phrase : translation) = translated;
        untranslated = translated[0] == 0;
    }
    // A translation fetched for the pair goes into its field, so that nothing is asked twice.
    SetDlgItemTextW(window, IDC_PHRASE, phrase.c_str());
    SetDlgItemTextW(window, IDC_TRANSLATION, translation.c_str());

    RecordId category = CategoryForNewPair(window, db);
    HWND list = GetDlgItem(window, IDC_PHRASE_LIST);
    RecordId existing = 0;
    if (category != 0 &&
        FindPhrase(db, category, source, target, phrase.c_str(), translation.c_str(), &existing) && existing != 0) {
        // The same pair again (Enter on a row's texts, say) is shown, not stored twice.
        SelectPhraseRow(list, existing);
        ShowErrorMessage(window, IDS_PAIR_EXISTS);
        return false;
    }
    RecordId id = category == 0 ? 0 : InsertPhrase(db, category, source, target, phrase.c_str(), translation.c_str());
    if (id == 0) {
        ShowStoreFailure(window, IDS_NOT_STORED, sqlite3_errcode(db), true);
        return false;
    }

    int row = InsertPhraseRow(list, id, phrase.c_str(), translation.c_str());
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
    if (untranslated)
        ShowErrorMessage(window, IDS_NOT_TRANSLATED);

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
    std::wstring phrase = DialogItemText(window, IDC_PHRASE);
    std::wstring translation = DialogItemText(window, IDC_TRANSLATION);
    if (phrase.empty() || translation.empty())
        return true;

    // A pair deleted meanwhile (by another program) is not stored either.
    if (!UpdatePhrase(db, PhraseRowId(list, row), ComboId(window, IDC_SOURCE_LANGUAGE),
                      ComboId(window, IDC_TARGET_LANGUAGE), phrase.c_str(), translation.c_str()) ||
        sqlite3_changes(db) == 0) {
        ShowStoreFailure(window, IDS_NOT_STORED, sqlite3_errcode(db), true);
        return false;
    }
    row = SetPhraseRowTexts(list, row, phrase.c_str(), translation.c_str());
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
    SetDlgItemTextW(window, IDC_PHRASE, RowText(list, index, 0).c_str());
    SetDlgItemTextW(window, IDC_TRANSLATION, RowText(list, index, 1).c_str());

    PhraseLanguages languages;
    if (!ReadPhraseLanguages(db, PhraseRowId(list, index), &languages))
        return;
    SelectByDescription(window, IDC_SOURCE_LANGUAGE, languages.sourceDescription);
    SelectByDescription(window, IDC_TARGET_LANGUAGE, languages.targetDescription);
}
