// The category and language settings dialogs. Both show one list of records above their edit
// fields; they differ in the number of fields, their limits, the query and the operations, which
// each dialog's procedure hands to the shared handlers below.
#include "store/settings_dialogs.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "common/dialogs.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/selected_rows.h"
#include "store/settings_list.h"
#include "store/statement.h"
#include "store/store_failure.h"

namespace {

struct SettingsKind {
    int fields;                 // 1: description; 2: code and description
    int limits[2];              // characters per field
    const wchar_t *query;       // id, then one text per field
    RecordId (*add)(sqlite3 *db, const wchar_t *first, const wchar_t *second);
    bool (*update)(sqlite3 *db, RecordId id, const wchar_t *first, const wchar_t *second);
    RowOperation remove;
    // The pairs a delete takes with the records: "%s" stands for the list of their IDs.
    const wchar_t *pairsGone;
    int nameColumn;             // the column that names a record in a question
    UINT headings[2];           // the list's column headings
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
    L"SELECT COUNT(*) FROM PHRASE WHERE CATEGORYID IN (%s)",
    0,
    {IDS_COLUMN_CATEGORY, 0},
};

const SettingsKind kLanguages = {
    2,
    {15, 120},
    L"SELECT ID,CODE,DESCRIPTION FROM LANGUAGE ORDER BY CODE",
    GetOrCreateLanguage,
    UpdateLanguage,
    DeleteLanguage,
    L"SELECT COUNT(*) FROM PHRASE WHERE SLANGUAGEID IN (%s) OR TLANGUAGEID IN (%s)",
    1,
    {IDS_COLUMN_CODE, IDS_COLUMN_NAME},
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
    PrepareListColumns(list, kind.fields, kind.headings);
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

// Asks before a delete, naming what goes: the record (or how many) and the pairs that go with
// it. When the pairs cannot be counted, the question asked of any delete. True for Yes.
bool ConfirmSettingsDelete(HWND dialog, const SettingsKind &kind, HWND list)
{
    std::vector<long long> ids = SelectedRowIds(list, false);
    if (ids.empty())
        return false;
    std::wstring idList;
    for (long long id : ids)
        idList += (idList.empty() ? L"" : L",") + std::to_wstring(id);
    std::wstring sql = kind.pairsGone;
    for (size_t at; (at = sql.find(L"%s")) != std::wstring::npos;)
        sql.replace(at, 2, idList);
    wchar_t count[24] = {};
    wchar_t caption[128] = {}, format[128] = {};
    GetWindowTextW(dialog, caption, 128);
    std::vector<wchar_t> question(512 + 1024, L'\0');
    if (!QueryFirstText(Connection(dialog), sql.c_str(), count, 24)) {
        LoadStringW(GetResourceModule(), IDS_CONFIRM_DELETE, question.data(), static_cast<int>(question.size()));
    } else if (ids.size() == 1) {
        int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        std::wstring name = RowText(list, row, kind.nameColumn).substr(0, 1024);
        LoadStringW(GetResourceModule(), IDS_DELETE_ONE, format, 128);
        _snwprintf(question.data(), question.size() - 1, format, name.c_str(), _wtoi(count));
    } else {
        LoadStringW(GetResourceModule(), IDS_DELETE_SEVERAL, format, 128);
        _snwprintf(question.data(), question.size() - 1, format, static_cast<int>(ids.size()), _wtoi(count));
    }
    return MessageBoxW(list, question.data(), caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
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
        if (ConfirmSettingsDelete(dialog, kind, header->hwndFrom))
            ForEachSelectedRow(Connection(dialog), header->hwndFrom, kind.remove, 0, FALSE);
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
