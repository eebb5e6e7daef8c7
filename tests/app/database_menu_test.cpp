// The File menu's list of databases.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_window.h"
#include "app/shell.h"
#include "resources/resource_ids.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<std::wstring> ItemTexts(HMENU menu, int from)
{
    std::vector<std::wstring> texts;
    for (int i = from; i < GetMenuItemCount(menu); i++) {
        wchar_t text[300] = {};
        GetMenuStringW(menu, i, text, 300, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

TEST(DatabaseMenu, ListsAtMostFiftyDatabasesAfterTheLastSeparator)
{
    TempFolder folder;
    for (int i = 0; i < 51; i++) {
        wchar_t name[32];
        _snwprintf(name, 32, L"db%02d.db", i);
        WriteFileBytes(folder.File(name), "");
    }
    WriteFileBytes(folder.File(L"notes.txt"), "");

    HMENU bar = LoadMenuW(GetResourceModule(), MAKEINTRESOURCEW(IDR_MAIN_MENU));
    HMENU file = GetSubMenu(bar, 0);
    const int fixed = GetMenuItemCount(file);
    ASSERT_EQ(fixed, 9);
    EXPECT_EQ(GetMenuItemID(file, fixed - 1), 0u) << "the list follows a separator";

    for (int round = 0; round < 2; round++) {
        RebuildDatabaseMenu(file, folder.path.c_str());
        ASSERT_EQ(GetMenuItemCount(file), fixed + 50);
        for (int i = 0; i < 50; i++) {
            EXPECT_EQ(GetMenuItemID(file, fixed + i), static_cast<UINT>(IDM_DATABASE_FIRST + i));
            std::wstring text = ItemTexts(file, fixed + i)[0];
            EXPECT_EQ(text.size(), 4u) << "no extension";
            EXPECT_EQ(text.substr(0, 2), L"db");
        }
    }

    TempFolder other;
    WriteFileBytes(other.File(L"a.b.db"), "");
    WriteFileBytes(other.File(L"\u8A5E\u5EAB.db"), "");
    RebuildDatabaseMenu(file, other.path.c_str());
    std::vector<std::wstring> texts = ItemTexts(file, fixed);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"a.b", L"\u8A5E\u5EAB"}));

    TempFolder empty;
    RebuildDatabaseMenu(file, empty.path.c_str());
    EXPECT_EQ(GetMenuItemCount(file), fixed);
    DestroyMenu(bar);
}

}  // namespace
