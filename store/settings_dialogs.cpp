// The category and language settings dialogs. Both show one list of records above their edit
// fields; they differ in the number of fields, their limits, the query and the operations, which
// each dialog's procedure hands to the shared handlers below.
#include "store/settings_dialogs.h"

#include <commctrl.h>

#include <string>

#include "common/dialogs.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/selected_rows.h"
#include "store/settings_list.h"
#include "store/store_failure.h"

namespace {

struct SettingsKind {
    int fields;                 // 1: description; 2: code and description
    int limits[2];              // characters per field
    const wchar_t *query;       // id, then one text per field
    RecordId (*add)(sqlite3 *db, const wchar_t *first, const wchar_t *second);
    bool (*update)(sqlite3 *db, RecordId id, const wchar_t *first, const wchar_t *second);
    RowOperation remove;
};

const SettingsKind kCategories = {
    1,
    {120, 0},
    L"SELECT ID,DESCRIPTION FROM CATEGORY ORDER BY DESCRIPTION",
    [](sqlite3 *db, const wchar_t *description, const wchar_t *) {
        return GetOrCreateCategory(db, description);
    },
    [](sqlite3 *db, RecordId id, const wchar_t *description, const wchar_t *) {
        return UpdateCategory(db, id, description);
    },
    DeleteCategory,
};

const SettingsKind kLanguages = {
    2,
    {15, 120},
    L"SELECT ID,CODE,DESCRIPTION FROM LANGUAGE ORDER BY CODE",
    GetOrCreateLanguage,
    UpdateLanguage,
    DeleteLanguage,
};

sqlite3 *Connection(HWND dialog)
{
    return reinterpret_cast<sqlite3 *>(GetWindowLongPtrW(dialog, DWLP_USER));
}

const int kFieldIds[2] = {IDC_SETTINGS_FIRST, IDC_SETTINGS_SECOND};

// How the fields stand once read whole into texts.
enum class Fields { kEmpty, kPartly, kFilled };

Fields ReadFields(HWND dialog, const SettingsKind &kind, std::wstring texts[2])
{
    int filled = 0;
    for (int i = 0; i < kind.fields; i++) {
        texts[i] = DialogItemText(dialog, kFieldIds[i]);
        filled += texts[i].empty() ? 0 : 1;
    }
    return filled == kind.fields ? Fields::kFilled : filled == 0 ? Fields::kEmpty : Fields::kPartly;
}

void OnInitDialog(HWND dialog, const SettingsKind &kind, sqlite3 *db)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(db));
    for (int i = 0; i < kind.fields; i++)
        SendDlgItemMessageW(dialog, kFieldIds[i], EM_LIMITTEXT, kind.limits[i], 0);
    HWND list = GetDlgItem(dialog, IDC_SETTINGS_LIST);
    PrepareListColumns(list, kind.fields);
    int read = FillSettingsList(list, db, kind.query, kind.fields);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_SETTINGS_FIRST)), TRUE);
    SetDialogIcon(dialog);
    if (read != SQLITE_OK)
        ShowStoreFailure(dialog, IDS_RECORDS_NOT_READ, read, false);
}

void OnAdd(HWND dialog, const SettingsKind &kind)
{
    std::wstring texts[2];
    Fields fields = ReadFields(dialog, kind, texts);
    // Half an entry (a code without its name) is not dropped: the user is told what is missing.
    if (fields == Fields::kPartly) {
        ShowErrorMessage(dialog, IDS_ENTRY_INCOMPLETE);
        for (int i = 0; i < kind.fields; i++)
            if (texts[i].empty()) {
                SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kFieldIds[i])), TRUE);
                break;
            }
        return;
    }
    if (fields == Fields::kFilled) {
        sqlite3 *db = Connection(dialog);
        RecordId id = kind.add(db, texts[0].c_str(), texts[1].c_str());
        // Nothing stored shows no row, and what was typed stays.
        if (id == 0) {
            ShowStoreFailure(dialog, IDS_RECORD_NOT_STORED, sqlite3_errcode(db), true);
            return;
        }
        // A record the list cannot hold by its ID is left out, as when the list is filled.
        if (FitsItemData(id))
            ShowAddedRecord(GetDlgItem(dialog, IDC_SETTINGS_LIST), static_cast<LPARAM>(id), texts[0].c_str(),
                            kind.fields > 1 ? texts[1].c_str() : nullptr);
    }
    for (int i = 0; i < kind.fields; i++)
        SetDlgItemTextW(dialog, kFieldIds[i], L"");
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_SETTINGS_FIRST)), TRUE);
}

void OnUpdate(HWND dialog, const SettingsKind &kind)
{
    std::wstring texts[2];
    Fields fields = ReadFields(dialog, kind, texts);
    if (fields == Fields::kPartly)
        ShowErrorMessage(dialog, IDS_ENTRY_INCOMPLETE);
    if (fields != Fields::kFilled)
        return;
    HWND list = GetDlgItem(dialog, IDC_SETTINGS_LIST);
    int row = FirstSelectedRow(list);
    if (row == -1)
        return;
    sqlite3 *db = Connection(dialog);
    // A record another program deleted meanwhile is not shown as changed either.
    if (!kind.update(db, RowId(list, row), texts[0].c_str(), texts[1].c_str()) || sqlite3_changes(db) == 0) {
        ShowStoreFailure(dialog, IDS_RECORD_NOT_STORED, sqlite3_errcode(db), true);
        return;
    }
    SetRowTexts(list, row, texts[0].c_str(), kind.fields > 1 ? texts[1].c_str() : nullptr);
}

void OnListNotify(HWND dialog, const SettingsKind &kind, NMHDR *header)
{
    if (header->code == LVN_ITEMCHANGED) {
        NMLISTVIEW *change = reinterpret_cast<NMLISTVIEW *>(header);
        if (!(change->uChanged & LVIF_STATE) || !(change->uNewState & LVIS_SELECTED))
            return;
        for (int i = 0; i < kind.fields; i++) {
            std::wstring text = change->iItem != -1 ? RowText(header->hwndFrom, change->iItem, i) : std::wstring();
            SetDlgItemTextW(dialog, kFieldIds[i], text.c_str());
        }
    } else if (header->code == LVN_KEYDOWN &&
               reinterpret_cast<NMLVKEYDOWN *>(header)->wVKey == VK_DELETE) {
        ForEachSelectedRow(Connection(dialog), header->hwndFrom, kind.remove, 0, TRUE);
    }
}

INT_PTR SettingsDialog(const SettingsKind &kind, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, kind, reinterpret_cast<sqlite3 *>(lParam));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        case IDC_SETTINGS_ADD:
            OnAdd(dialog, kind);
            break;
        case IDC_SETTINGS_UPDATE:
            OnUpdate(dialog, kind);
            break;
        default:
            break;
        }
        return FALSE;
    case WM_NOTIFY:
        if (wParam == IDC_SETTINGS_LIST)
            OnListNotify(dialog, kind, reinterpret_cast<NMHDR *>(lParam));
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK CategorySettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SettingsDialog(kCategories, dialog, message, wParam, lParam);
}

INT_PTR CALLBACK LanguageSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SettingsDialog(kLanguages, dialog, message, wParam, lParam);
}
