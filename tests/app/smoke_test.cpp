// Starts the real Lingotrove.exe in a fresh folder (run in a fresh Wine prefix by smoke.sh),
// waits for its main window, checks what the first start leaves behind, and presses Escape.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/settings.h"
#include "app/shell.h"
#include "tests/support/temp_folder.h"

namespace {

struct Found {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM lParam)
{
    Found *found = reinterpret_cast<Found *>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found->process && IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

TEST(Smoke, FirstStartShowsTheMainWindowAndEscapeEndsIt)
{
    HKEY key;
    ASSERT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "the prefix must be fresh";

    wchar_t built[MAX_PATH];
    GetProgramFolder(built);
    TempFolder folder;
    std::wstring program = folder.File(L"Lingotrove.exe");
    // The program is built two folders up, in bin.
    ASSERT_TRUE(CopyFileW((std::wstring(built) + L"\\..\\..\\bin\\Lingotrove.exe").c_str(),
                          program.c_str(), FALSE));

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + program + L"\"";
    ASSERT_TRUE(CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               folder.path.c_str(), &startup, &process));
    ASSERT_EQ(WaitForInputIdle(process.hProcess, 60000), 0u);

    Found found = {process.dwProcessId, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
    ASSERT_NE(found.window, nullptr);
    wchar_t title[128] = {};
    GetWindowTextW(found.window, title, 128);
    EXPECT_STREQ(title, L"Default - Lingotrove");
    EXPECT_TRUE(FileExists(folder.File(L"Default.db")));
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);

    HWND focus = GetDlgItem(found.window, 20);
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 1234;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    DWORD category = 1234;
    EXPECT_TRUE(ReadSettingDword(kLastCategoryValue, &category));
    EXPECT_EQ(category, 0u);
    RegCloseKey(key);
}

}  // namespace
