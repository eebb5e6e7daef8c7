// Starts the real Lingotrove.exe in a fresh folder (run in a fresh Wine prefix by smoke.sh),
// waits for its main window, checks what the first start leaves behind, and presses Escape.
#include "tests/support/program_process.h"

#include <gtest/gtest.h>

#include "common/settings.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(Smoke, FirstStartShowsTheMainWindowAndEscapeEndsIt)
{
    HKEY key;
    ASSERT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "the prefix must be fresh";

    TempFolder folder;
    std::wstring program = CopyBuiltProgram(folder.path);
    ASSERT_FALSE(program.empty());
    ProgramProcess process;
    ASSERT_TRUE(process.Start(program, folder.path));
    wchar_t title[128] = {};
    GetWindowTextW(process.window, title, 128);
    EXPECT_STREQ(title, L"Default - Lingotrove");
    EXPECT_TRUE(FileExists(folder.File(L"Default.db")));
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);

    HWND focus = GetDlgItem(process.window, 20);
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    EXPECT_EQ(process.WaitForExit(60000), 0u);

    DWORD category = 1234;
    EXPECT_TRUE(ReadSettingDword(kLastCategoryValue, &category));
    EXPECT_EQ(category, 0u);
    RegCloseKey(key);
}

}  // namespace
