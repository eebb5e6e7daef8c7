// Drives the real main window (dialog 1 from the real resources) with window messages.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/shell.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/temp_folder.h"

// Answers every message box the test thread shows with one button and records what it said.
class MessageBoxAnswerer {
public:
    struct Seen { std::wstring caption, text; };

    explicit MessageBoxAnswerer(int answer);
    ~MessageBoxAnswerer();
    const std::vector<Seen> &seen() const { return seen_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    int answer_;
    std::vector<Seen> seen_;
    std::vector<HWND> answered_;    // a box is activated again when another window goes away
};

// Acts on every modal dialog of the test thread once it has been initialised: the action usually
// posts the messages that drive it, which its own message loop then delivers.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> action);
    ~DialogDriver();

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    std::function<void(HWND)> action_;
};

// String id of the resource module, as message boxes show it.
std::wstring LoadedString(UINT id);

// For a DialogDriver: in a category or language settings dialog, selects the first record, presses
// Delete there and closes the dialog; any other dialog (a message box) is left alone.
void DeleteFirstSettingsRecord(HWND dialog);

// The texts of a combo box's items, in order.
std::vector<std::wstring> ComboItemTexts(HWND combo);

// Reads the texts of a list view's rows in their shown order, columns 0 and 1 joined by '|'.
std::vector<std::wstring> ListTexts(HWND list);

struct ListRow {
    std::wstring source, target;
    LPARAM id;
    bool selected;
    bool operator==(const ListRow &o) const
    {
        return source == o.source && target == o.target && id == o.id && selected == o.selected;
    }
};
void PrintTo(const ListRow &row, std::ostream *out);

class MainWindowTest : public ::testing::Test {
protected:
    RegistrySandbox registry;
    TempFolder folder;
    std::wstring dbPath = folder.File(L"Words.db");
    ShellState shell = {};
    HWND window = nullptr;

    void SetUp() override;      // creates the program's registry key
    void TearDown() override;

    // Creates the database at dbPath (schema and default languages) and returns an open
    // connection for filling it; the test closes it before OpenWindow.
    sqlite3 *CreateStore();
    // Stores "LastDB" = dbPath and creates the main window modelessly.
    void OpenWindow();
    void CreateWindowOnly();

    HWND Item(int id) const { return GetDlgItem(window, id); }
    std::vector<std::wstring> ComboTexts(int id) const;
    int ComboSelection(int id) const;
    std::vector<ListRow> ListRows() const;
    void SelectRows(const std::vector<int> &indexes);
    void Command(int id, int notification = 0);
    void PressListKey(UINT key);
    void RightClickList();
    std::wstring Title() const;
};
