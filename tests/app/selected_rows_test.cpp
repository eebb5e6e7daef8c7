// The phrase list answers SelectedRowIds itself, without a message per row: it must give the same
// ids and leave the same rows, selection and focus as a list view asked row by row.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/phrase_rows.h"
#include "common/list_rows.h"
#include "tests/app/window_fixture.h"

namespace {

struct ListState {
    std::vector<long long> ids;           // what SelectedRowIds gave
    std::vector<std::wstring> rows;    // then the rows, "id:source|target"
    std::vector<int> selected;
    int focused;
};

HWND MakeList(DWORD style)
{
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT | LVS_SHOWSELALWAYS | style, 0, 0,
                                300, 300, nullptr, nullptr, nullptr, nullptr);
    PrepareListColumns(list, 2);
    return list;
}

void SetState(HWND list, int row, UINT mask, UINT state)
{
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

ListState FillSelectAndAsk(HWND list, const std::vector<int> &select, int focus, bool remove)
{
    const wchar_t *const sources[] = {L"kiwi", L"apple", L"fig", L"banana", L"cherry", L"grape", L"date", L"lemon"};
    int id = 1;
    for (const wchar_t *source : sources)
        AppendRow(list, id++, source, (std::wstring(source) + L" t").c_str());
    for (int row : select)
        SetState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    if (focus >= 0)
        SetState(list, focus, LVIS_FOCUSED, LVIS_FOCUSED);

    ListState state;
    state.ids = SelectedRowIds(list, remove);
    std::vector<std::wstring> texts = ListTexts(list);
    for (size_t row = 0; row < texts.size(); row++)
        state.rows.push_back(std::to_wstring(RowId(list, static_cast<int>(row))) + L":" + texts[row]);
    for (int row = FirstSelectedRow(list); row != -1;
         row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED)))
        state.selected.push_back(row);
    state.focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    return state;
}

LRESULT CALLBACK PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(SelectedRowsTest, ThePhraseListAnswersAsAListAskedRowByRow)
{
    // Rows in list order: apple banana cherry date fig grape kiwi lemon.
    struct Case {
        std::vector<int> select;
        int focus;
    } cases[] = {
        {{}, -1},
        {{}, 2},
        {{0, 1, 2, 3, 4, 5, 6, 7}, 3},
        {{0}, 0},
        {{7}, 7},
        {{1, 3, 4, 7}, 4},
        {{2, 3, 4, 5}, 6},
        {{2, 3, 4, 5}, 1},
        {{5, 6}, 6},
    };
    for (const Case &c : cases)
        for (bool remove : {false, true})
        for (bool subclassedFirst : {false, true}) {
            SCOPED_TRACE(testing::Message() << "selected " << c.select.size() << " rows from "
                                            << (c.select.empty() ? -1 : c.select[0]) << ", focus " << c.focus
                                            << (remove ? ", removed" : "")
                                            << (subclassedFirst ? ", the list subclassed before" : ""));
            HWND plain = MakeList(LVS_SORTASCENDING);
            HWND phrases = MakeList(LVS_OWNERDATA);
            if (subclassedFirst)
                SetWindowSubclass(phrases, PassOn, 1, 0);
            AttachPhraseRows(phrases);
            ListState expected = FillSelectAndAsk(plain, c.select, c.focus, remove);
            ListState answered = FillSelectAndAsk(phrases, c.select, c.focus, remove);
            EXPECT_EQ(answered.ids, expected.ids);
            EXPECT_EQ(answered.rows, expected.rows);
            EXPECT_EQ(answered.selected, expected.selected);
            EXPECT_EQ(answered.focused, expected.focused);
            EXPECT_EQ(expected.ids.size(), c.select.size());

            std::vector<long long> ids;
            EXPECT_TRUE(SendMessageW(phrases, SelectedRowsMessage(), FALSE, reinterpret_cast<LPARAM>(&ids)))
                << "the phrase list answers in one message";
            EXPECT_FALSE(SendMessageW(plain, SelectedRowsMessage(), FALSE, reinterpret_cast<LPARAM>(&ids)));
            DestroyWindow(plain);
            DestroyWindow(phrases);
        }
}

struct Request {
    HWND list;
    std::vector<long long> ids;
    LRESULT answer;
};

DWORD WINAPI AskFromAnotherThread(void *parameter)
{
    Request *request = static_cast<Request *>(parameter);
    request->answer = SendMessageW(request->list, SelectedRowsMessage(), TRUE, reinterpret_cast<LPARAM>(&request->ids));
    return 0;
}

TEST(SelectedRowsTest, OnlyTheListsOwnThreadIsAnswered)
{
    // The request carries a pointer into the sender's memory, which from another thread or
    // process could point anywhere.
    HWND phrases = MakeList(LVS_OWNERDATA);
    AttachPhraseRows(phrases);
    AppendRow(phrases, 1, L"apple", L"manzana");
    SetState(phrases, 0, LVIS_SELECTED, LVIS_SELECTED);
    Request request = {phrases, {}, -1};
    HANDLE thread = CreateThread(nullptr, 0, AskFromAnotherThread, &request, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
    CloseHandle(thread);
    EXPECT_EQ(request.answer, 0);
    EXPECT_TRUE(request.ids.empty());
    EXPECT_EQ(ListTexts(phrases), (std::vector<std::wstring>{L"apple|manzana"}));
    DestroyWindow(phrases);
}

}  // namespace
