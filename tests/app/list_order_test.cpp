// Rows added to a sorted list at once land exactly where adding them one by one puts them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/list_rows.h"

namespace {

class SortedList {
public:
    SortedList()
    {
        owner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
        list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SORTASCENDING, 0, 0,
                                300, 300, owner_, nullptr, nullptr, nullptr);
        PrepareListColumns(list_, 2);
    }
    ~SortedList() { DestroyWindow(owner_); }
    HWND list() const { return list_; }
    // Each row as "first|second#id", in list order.
    std::vector<std::wstring> Rows() const
    {
        std::vector<std::wstring> rows;
        int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; i++) {
            wchar_t first[300], second[300];
            GetRowText(list_, i, 0, first, 300);
            GetRowText(list_, i, 1, second, 300);
            rows.push_back(std::wstring(first) + L"|" + second + L"#" + std::to_wstring(RowId(list_, i)));
        }
        return rows;
    }

private:
    HWND owner_;
    HWND list_;
};

TEST(SortedRows, AtOnceAsOneByOne)
{
    // Case, accents, width, punctuation that word sorting skips, digits, blanks, duplicates,
    // surrogate pairs and combining marks.
    const std::vector<std::wstring> texts = {
        L"b", L"B", L"a", L"\u00E1", L"A", L"\u00C1", L"b", L"_x", L"-y", L"Z", L"z", L"\u00E4", L"ae",
        L"\u00C6", L"10", L"9", L"a b", L"ab", L"a-b", L"\uFF21\uFF22", L"\u00DF", L"ss", L"", L" a",
        L"co-op", L"coop", L"Coop", L"a'b", L"ab", L"\u4E2D", L"\u3042", L"\U0001F600", L"e\u0301",
        L"\u00E9", L"ABC", L"abc", L"Abc", L"-", L"--", L"a-", L"a", L"\u00F1", L"n", L"N\u0303",
    };
    std::vector<PendingRow> rows;
    SortedList oneByOne, atOnce;
    for (size_t i = 0; i < texts.size(); i++) {
        std::wstring second = L"s" + std::to_wstring(i);
        AppendRow(oneByOne.list(), static_cast<LPARAM>(i + 1), texts[i].c_str(), second.c_str());
        rows.push_back({static_cast<LPARAM>(i + 1), texts[i], second, true});
    }
    AppendRows(atOnce.list(), rows);
    ASSERT_EQ(atOnce.Rows().size(), texts.size());
    EXPECT_EQ(atOnce.Rows(), oneByOne.Rows());
    EXPECT_TRUE(GetWindowLongPtrW(atOnce.list(), GWL_STYLE) & LVS_SORTASCENDING) << "sorted again afterwards";

    // Rows added later take their sorted place in both.
    for (const wchar_t *later : {L"Ab", L"ab", L"\u00E1b", L"", L"zz"}) {
        int expected = AppendRow(oneByOne.list(), 999, later, L"later");
        EXPECT_EQ(AppendRow(atOnce.list(), 999, later, L"later"), expected) << testing::PrintToString(std::wstring(later));
    }
    EXPECT_EQ(atOnce.Rows(), oneByOne.Rows());
}

}  // namespace
