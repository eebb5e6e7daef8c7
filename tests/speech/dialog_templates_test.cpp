// The speech dialogs' templates as the resource module defines them: controls in order, their
// kinds, styles and places in dialog units.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell.h"
#include "resources/resource_ids.h"

namespace {

struct ControlShape {
    int id;
    const wchar_t *className;
    DWORD style;                // bits that must be set
    DWORD absent;               // bits that must not be set
    RECT units;                 // left, top, width, height in dialog units; height 0: not checked
};

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

void ExpectTemplate(int dialogId, SIZE client, DWORD style, DWORD absent, const std::vector<ControlShape> &controls)
{
    HWND dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(dialogId), nullptr, Inert, 0);
    ASSERT_NE(dialog, nullptr);
    DWORD dialogStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    EXPECT_EQ(dialogStyle & style, style);
    EXPECT_EQ(dialogStyle & absent, 0u);
    RECT size = {0, 0, client.cx, client.cy};
    MapDialogRect(dialog, &size);
    RECT inside;
    GetClientRect(dialog, &inside);
    // A vertical scroll bar takes its width from the client area.
    int scrollBar = (dialogStyle & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    EXPECT_EQ(inside.right + scrollBar, size.right);
    EXPECT_EQ(inside.bottom, size.bottom);

    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlShape &shape : controls) {
        SCOPED_TRACE(shape.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), shape.id);
        wchar_t className[64] = {};
        GetClassNameW(child, className, 64);
        EXPECT_EQ(_wcsicmp(className, shape.className), 0) << testing::PrintToString(std::wstring(className));
        DWORD childStyle = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        EXPECT_EQ(childStyle & shape.style, shape.style);
        EXPECT_EQ(childStyle & shape.absent, 0u);
        // Places and sizes are turned into pixels apart, as the dialog manager does.
        RECT place = {shape.units.left, shape.units.top, 0, 0};
        RECT extent = {0, 0, shape.units.right, shape.units.bottom};
        MapDialogRect(dialog, &place);
        MapDialogRect(dialog, &extent);
        RECT expected = {place.left, place.top, place.left + extent.right, place.top + extent.bottom};
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        if (shape.units.bottom != 0) {
            EXPECT_EQ(actual.bottom, expected.bottom);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no further controls";
    DestroyWindow(dialog);
}

TEST(DialogTemplates, SpeechSettings)
{
    const DWORD radio = BS_AUTORADIOBUTTON;
    ExpectTemplate(IDD_SPEECH, {236, 112}, WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_THICKFRAME,
                   {
                       {-1, L"Button", BS_GROUPBOX, 0, {4, 4, 227, 62}},
                       {20, L"Button", radio | WS_GROUP | WS_TABSTOP, 0, {9, 16, 171, 10}},
                       {21, L"Button", radio, WS_GROUP | WS_TABSTOP, {9, 28, 95, 10}},
                       {22, L"Button", radio, WS_GROUP | WS_TABSTOP, {9, 40, 160, 10}},
                       {-1, L"Static", WS_GROUP, 0, {4, 69, 87, 8}},
                       {30, L"ComboBox", CBS_DROPDOWNLIST | WS_TABSTOP, CBS_SORT, {4, 78, 227, 0}},
                       {11, L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, {170, 95, 28, 12}},
                       {2, L"Button", WS_TABSTOP, BS_DEFPUSHBUTTON, {202, 95, 29, 12}},
                       {23, L"Button", radio, 0, {9, 52, 133, 10}},
                   });
}

TEST(DialogTemplates, DownloadProgressHasNoCloseBox)
{
    ExpectTemplate(IDD_DOWNLOAD, {307, 27}, WS_CAPTION | DS_MODALFRAME, WS_SYSMENU | WS_THICKFRAME,
                   {
                       {10, L"Static", SS_NOPREFIX, SS_RIGHT, {5, 4, 244, 10}},
                       {11, L"Static", SS_RIGHT, 0, {253, 4, 47, 10}},
                       {12, PROGRESS_CLASSW, 0, 0, {4, 15, 297, 9}},
                   });
}

TEST(DialogTemplates, QuizRowTemplates)
{
    const DWORD label = SS_SUNKEN | SS_CENTERIMAGE;
    // 321 dialog units: with its 16-point font the window fits a screen 1024 pixels wide. Show is a
    // tab stop; Speak has F1.
    ExpectTemplate(IDD_QUIZ, {321, 168},
                   WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | WS_VSCROLL, WS_THICKFRAME,
                   {
                       {10, L"Static", label | WS_VISIBLE, 0, {4, 5, 125, 11}},
                       {510, L"Edit", ES_AUTOHSCROLL | WS_TABSTOP | WS_VISIBLE, 0, {134, 5, 125, 12}},
                       {1010, L"Button", WS_VISIBLE | WS_TABSTOP, BS_DEFPUSHBUTTON, {263, 5, 22, 12}},
                       {1510, L"Button", WS_VISIBLE, WS_TABSTOP | BS_DEFPUSHBUTTON, {288, 5, 22, 12}},
                       {2010, L"Static", label, WS_VISIBLE, {134, 5, 125, 12}},
                   });
}

}  // namespace
