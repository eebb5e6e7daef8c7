// The main window fixture and message-box answerer.
#include "tests/app/window_fixture.h"

#include <commctrl.h>

#include <algorithm>

#include "app/main_window.h"
#include "app/phrase_list.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/phrase_store.h"

static MessageBoxAnswerer *g_answerer = nullptr;

MessageBoxAnswerer::MessageBoxAnswerer(int answer) : answer_(answer)
{
    g_answerer = this;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    UnhookWindowsHookEx(hook_);
    g_answerer = nullptr;
}

LRESULT CALLBACK MessageBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_answerer) {
        HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t className[32] = {};
        GetClassNameW(box, className, 32);
        // A message box is a dialog whose procedure lives in user32: the program's own dialogs
        // and the common dialogs (Find) are activated too, and again when a box closes.
        HMODULE owner = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(GetWindowLongPtrW(box, DWLP_DLGPROC)), &owner);
        bool isMessageBox = owner == GetModuleHandleW(L"user32.dll");
        bool answered = std::find(g_answerer->answered_.begin(), g_answerer->answered_.end(), box) !=
                        g_answerer->answered_.end();
        if (wcscmp(className, L"#32770") == 0 && isMessageBox && !answered) {
            g_answerer->answered_.push_back(box);
            wchar_t caption[256] = {}, text[256] = {};
            GetWindowTextW(box, caption, 256);
            // The text is control 0xFFFF on Windows and 100 under Wine.
            if (!GetDlgItemTextW(box, 0xFFFF, text, 256))
                GetDlgItemTextW(box, 100, text, 256);
            g_answerer->seen_.push_back({caption, text});
            PostMessageW(box, WM_COMMAND, g_answerer->answer_, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static DialogDriver *g_driver = nullptr;

DialogDriver::DialogDriver(std::function<void(HWND)> action) : action_(std::move(action))
{
    g_driver = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId());
}

DialogDriver::~DialogDriver()
{
    UnhookWindowsHookEx(hook_);
    g_driver = nullptr;
}

LRESULT CALLBACK DialogDriver::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *call = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG && g_driver)
        g_driver->action_(call->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<std::wstring> ListTexts(HWND list)
{
    std::vector<std::wstring> texts;
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; i++) {
        std::wstring row;
        for (int column = 0; column < 2; column++) {
            wchar_t text[300] = {};
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 300;
            SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
            row += (column ? L"|" : L"") + std::wstring(text);
        }
        texts.push_back(row);
    }
    return texts;
}

void PrintTo(const ListRow &row, std::ostream *out)
{
    *out << "{" << ::testing::PrintToString(row.source) << ", "
         << ::testing::PrintToString(row.target) << ", id " << row.id
         << (row.selected ? ", selected}" : "}");
}

void MainWindowTest::TearDown()
{
    SetPopupMenuTracker(nullptr);
    if (window)
        DestroyWindow(window);
    sqlite3_close(shell.db);
}

sqlite3 *MainWindowTest::CreateStore()
{
    return OpenPhraseStore(dbPath.c_str(), true);
}

void MainWindowTest::CreateWindowOnly()
{
    window = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                MainWindowProc, reinterpret_cast<LPARAM>(&shell));
}

void MainWindowTest::SetUp()
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
}

void MainWindowTest::OpenWindow()
{
    ASSERT_TRUE(WriteSettingText(kLastDatabaseValue, dbPath.c_str()));
    CreateWindowOnly();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(shell.db, nullptr);
}

void DeleteFirstSettingsRecord(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_SETTINGS_LIST);
    if (!list)
        return;
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    // The delete asks first: a MessageBoxAnswerer answers, and the dialog closes after it.
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

std::wstring LoadedString(UINT id)
{
    wchar_t text[256] = {};
    LoadStringW(GetResourceModule(), id, text, 256);
    return text;
}

std::vector<std::wstring> ComboItemTexts(HWND combo)
{
    std::vector<std::wstring> texts;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        wchar_t text[300] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

std::vector<std::wstring> MainWindowTest::ComboTexts(int id) const
{
    return ComboItemTexts(Item(id));
}

int MainWindowTest::ComboSelection(int id) const
{
    return static_cast<int>(SendDlgItemMessageW(window, id, CB_GETCURSEL, 0, 0));
}

std::vector<ListRow> MainWindowTest::ListRows() const
{
    HWND list = Item(IDC_PHRASE_LIST);
    std::vector<ListRow> rows;
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; i++) {
        wchar_t source[300] = {}, target[300] = {};
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        item.stateMask = LVIS_SELECTED;
        item.iItem = i;
        item.pszText = source;
        item.cchTextMax = 300;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMW sub = {};
        sub.iSubItem = 1;
        sub.pszText = target;
        sub.cchTextMax = 300;
        SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&sub));
        rows.push_back({source, target, item.lParam, (item.state & LVIS_SELECTED) != 0});
    }
    return rows;
}

void MainWindowTest::SelectRows(const std::vector<int> &indexes)
{
    HWND list = Item(IDC_PHRASE_LIST);
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int index : indexes) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
    }
}

void MainWindowTest::Command(int id, int notification)
{
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, notification), 0);
}

void MainWindowTest::PressListKey(UINT key)
{
    HWND list = Item(IDC_PHRASE_LIST);
    SendMessageW(list, WM_KEYDOWN, key, 0);
    SendMessageW(list, WM_KEYUP, key, 0xC0000000);
}

void MainWindowTest::RightClickList()
{
    NMHDR header = {};
    header.hwndFrom = Item(IDC_PHRASE_LIST);
    header.idFrom = IDC_PHRASE_LIST;
    header.code = NM_RCLICK;
    SendMessageW(window, WM_NOTIFY, IDC_PHRASE_LIST, reinterpret_cast<LPARAM>(&header));
}

std::wstring MainWindowTest::Title() const
{
    wchar_t title[600] = {};
    GetWindowTextW(window, title, 600);
    return title;
}
