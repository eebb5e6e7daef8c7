// Find and Find Next on the phrase list.
#include "app/phrase_find.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string>

#include "app/phrase_rows.h"
#include "common/dialogs.h"
#include "resources/resource_ids.h"

namespace {

constexpr WORD kFindTextUnits = 128;

// The one Find dialog of the process, and what it searches for.
struct PhraseFind {
    HWND owner;                     // the main window, while it exists
    HWND dialog;                    // the open Find dialog, or null
    HHOOK filter;
    bool filtering;                 // inside the filter: IsDialogMessageW runs the filters again
    FINDREPLACEW request;
    wchar_t text[kFindTextUnits];
};

PhraseFind g_find = {};

bool InMainWindow(HWND window)
{
    return g_find.owner && window && (window == g_find.owner || IsChild(g_find.owner, window));
}

// The main window is a modal dialog: its loop passes every message through this filter before it
// dispatches it. Here the Find dialog gets its keyboard handling (Tab, Enter, Escape), as a
// modeless dialog needs, and Ctrl+F and F3 become the two commands wherever the focus is in the
// main window.
LRESULT CALLBACK FilterMessages(int code, WPARAM wParam, LPARAM lParam)
{
    MSG *message = reinterpret_cast<MSG *>(lParam);
    if (code >= 0 && message && !g_find.filtering) {
        g_find.filtering = true;
        bool handled = g_find.dialog && IsDialogMessageW(g_find.dialog, message);
        g_find.filtering = false;
        if (handled)
            return TRUE;
        if (message->message == WM_KEYDOWN && InMainWindow(message->hwnd)) {
            bool control = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0;
            if (message->wParam == VK_F3 && !control) {
                SendMessageW(g_find.owner, WM_COMMAND, IDM_FIND_NEXT, 0);
                return TRUE;
            }
            if (message->wParam == 'F' && control) {
                SendMessageW(g_find.owner, WM_COMMAND, IDM_FIND, 0);
                return TRUE;
            }
        }
    }
    return CallNextHookEx(g_find.filter, code, wParam, lParam);
}

void SelectOnly(HWND list, int row)
{
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    LVITEMW chosen = {};
    chosen.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    chosen.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&chosen));
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}

void SayNotFound()
{
    wchar_t caption[121] = {};
    GetWindowTextW(g_find.owner, caption, 121);
    ShowTextMessage(g_find.dialog ? g_find.dialog : g_find.owner, IDS_NOT_FOUND, g_find.text, caption);
}

void SearchFromFocus(HWND window)
{
    HWND list = GetDlgItem(window, IDC_PHRASE_LIST);
    int focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    int found = FindPhraseRow(list, g_find.text, (g_find.request.Flags & FR_MATCHCASE) != 0, focused);
    if (found == -1)
        SayNotFound();
    else
        SelectOnly(list, found);
}

// Places the Find dialog where it hides no row of the list: beside the main window, else below
// or above it, on the main window's monitor; when none of those has room, over the main
// window's fields below the list.
void PlaceFindDialog(HWND dialog, HWND window)
{
    RECT main, own, list;
    GetWindowRect(window, &main);
    GetWindowRect(dialog, &own);
    GetWindowRect(GetDlgItem(window, IDC_PHRASE_LIST), &list);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT &area = monitor.rcWork;
    int width = own.right - own.left, height = own.bottom - own.top;
    const POINT candidates[] = {
        {main.right, main.top},
        {main.left - width, main.top},
        {main.left, main.bottom},
        {main.left, main.top - height},
    };
    for (const POINT &at : candidates) {
        if (at.x >= area.left && at.y >= area.top && at.x + width <= area.right && at.y + height <= area.bottom) {
            SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return;
        }
    }
    LONG x = std::max(area.left, std::min(main.right - width, area.right - width));
    LONG y = std::max(area.top, std::min(list.bottom, area.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void BeginPhraseFind(HWND window)
{
    g_find.owner = window;
    if (!g_find.filter)
        g_find.filter = SetWindowsHookExW(WH_MSGFILTER, FilterMessages, nullptr, GetCurrentThreadId());
}

void EndPhraseFind(HWND window)
{
    if (g_find.owner != window)
        return;
    if (g_find.dialog)
        DestroyWindow(g_find.dialog);
    if (g_find.filter)
        UnhookWindowsHookEx(g_find.filter);
    // The text and the Match case choice are kept for the next main window.
    g_find.owner = nullptr;
    g_find.dialog = nullptr;
    g_find.filter = nullptr;
}

UINT FindDialogMessage()
{
    static UINT message = RegisterWindowMessageW(FINDMSGSTRINGW);
    return message;
}

void OpenFindDialog(HWND window)
{
    if (g_find.dialog) {
        SetActiveWindow(g_find.dialog);
        return;
    }
    DWORD kept = g_find.request.Flags & FR_MATCHCASE;
    g_find.request = {};
    g_find.request.lStructSize = sizeof(g_find.request);
    g_find.request.hwndOwner = window;
    g_find.request.lpstrFindWhat = g_find.text;
    g_find.request.wFindWhatLen = kFindTextUnits;
    g_find.request.Flags = kept | FR_DOWN | FR_HIDEWHOLEWORD | FR_HIDEUPDOWN;
    g_find.dialog = FindTextW(&g_find.request);
    if (g_find.dialog)
        PlaceFindDialog(g_find.dialog, window);
}

void FindNextPhrase(HWND window)
{
    if (g_find.text[0] == 0)
        OpenFindDialog(window);
    else
        SearchFromFocus(window);
}

void OnFindDialogMessage(HWND window, const FINDREPLACEW *request)
{
    // The message is registered and any program may send it: only the Find dialog's own record,
    // which it hands back, is taken.
    if (request != &g_find.request || InSendMessageEx(nullptr) != ISMEX_NOSEND)
        return;
    if (request->Flags & FR_DIALOGTERM) {
        g_find.dialog = nullptr;
        // Back in the main window, the focus goes to the list, whose found row then shows
        // selected in the selection colour rather than grey.
        HWND list = GetDlgItem(window, IDC_PHRASE_LIST);
        if (SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) != -1)
            SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
        return;
    }
    if (request->Flags & FR_FINDNEXT)
        SearchFromFocus(window);
}

void ForgetPhraseFind()
{
    g_find.text[0] = 0;
    g_find.request.Flags &= ~static_cast<DWORD>(FR_MATCHCASE);
}
