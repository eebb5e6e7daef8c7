// The example plug-ins beside the real Lingotrove.exe: copy_pair puts the focused pair on the
// clipboard (translating a missing side first), speak_pair says the translation. The program reads
// the prefix's own HKEY_CURRENT_USER, so this runs in the one process of the program tests.
#include "tests/support/http_server.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include "common/settings.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_folder.h"

namespace {

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return L"<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t *>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// Tells when the clipboard changes: a message-only window on the clipboard's listener list.
class ClipboardWatcher {
public:
    ClipboardWatcher()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = L"LingotroveClipboardWatcher";
        RegisterClassW(&windowClass);
        window_ = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        AddClipboardFormatListener(window_);
    }
    ~ClipboardWatcher()
    {
        RemoveClipboardFormatListener(window_);
        DestroyWindow(window_);
    }
    ClipboardWatcher(const ClipboardWatcher &) = delete;
    ClipboardWatcher &operator=(const ClipboardWatcher &) = delete;

    // Waits at most milliseconds for the clipboard to hold expected; the text it holds then.
    std::wstring WaitForText(const std::wstring &expected, DWORD milliseconds)
    {
        DWORD end = GetTickCount() + milliseconds;
        std::wstring text = ClipboardText();
        while (text != expected) {
            int left = static_cast<int>(end - GetTickCount());
            if (left <= 0)
                break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
            MSG message;
            changed_ = false;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            if (changed_)
                text = ClipboardText();
        }
        return text;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_CLIPBOARDUPDATE)
            changed_ = true;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    static bool changed_;
    HWND window_ = nullptr;
};
bool ClipboardWatcher::changed_ = false;

class ExamplePluginTest : public ProgramTest {
protected:
    void Install(const wchar_t *name) { ASSERT_TRUE(CopyBuilt(std::wstring(L"plugins\\") + name, name)); }
};

// Chooses plug-in command 400 + n as a user does, through the window's own message loop: the
// program answers the services only on its own thread, so a command sent from this process would
// leave the plug-in without them.
void Choose(const ProgramProcess &process, int n)
{
    PostMessageW(process.window, WM_COMMAND, 400 + n, 0);
}

TEST_F(ExamplePluginTest, CopyAndSpeakTheFocusedPair)
{
    Install(L"copy_pair.plugin");
    Install(L"speak_pair.plugin");
    sqlite3 *db = OpenPhraseStore(store.c_str(), true);
    int category = GetOrCreateCategory(db, L"Animals");
    InsertPhrase(db, category, 1, 2, L"cat", L"gato");
    InsertPhrase(db, category, 1, 2, L"zebra", L"");
    sqlite3_close(db);
    ASSERT_TRUE(StartProgramSettings(store, server.Base()));
    ASSERT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(category)));

    // The menu lists them in the order the folder does.
    std::vector<std::wstring> plugins = FindNames(folder.File(L"*.plugin"));
    ASSERT_EQ(plugins.size(), 2u);
    int copy = plugins[0] == L"copy_pair.plugin" ? 0 : 1;

    ProgramProcess process;
    ASSERT_TRUE(process.Start(program, folder.path));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    ClipboardWatcher clipboard;
    HWND list = GetDlgItem(process.window, 12);
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);     // the focus to the first row, "cat"
    Choose(process, copy);
    EXPECT_EQ(clipboard.WaitForText(L"cat\tgato", 60000), L"cat\tgato");

    server.Answer(200, "[[[\"cebra\",\"zebra\"]]]");
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);     // "zebra", stored without its translation
    Choose(process, copy);
    EXPECT_EQ(clipboard.WaitForText(L"zebra\tcebra", 60000), L"zebra\tcebra");

    server.Answer(404, "");
    SendMessageW(list, WM_KEYDOWN, VK_UP, 0);       // back to "cat"
    Choose(process, 1 - copy);
    ASSERT_TRUE(server.WaitForRequests(2, 60000));
    EXPECT_EQ(server.RequestLines(), (std::vector<std::string>{
                                         "GET /translate_a/single?client=gtx&sl=en&tl=es&dt=t&q=zebra HTTP/1.1",
                                         "GET /translate_tts?tl=es&client=tw-ob&q=gato HTTP/1.1"}));

    PostMessageW(process.window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(process.WaitForExit(60000), 0u);
}

// At start the program takes the current folder and PATH out of its library search: a plug-in
// whose own library is found only there is not loaded; with the library beside it, it is.
TEST_F(ExamplePluginTest, APluginsLibraryIsNotTakenFromTheCurrentFolderOrPath)
{
    ASSERT_TRUE(CopyBuilt(L"tests\\plugins\\with_helper.plugin", L"with_helper.plugin"));
    TempFolder elsewhere;
    ASSERT_TRUE(CopyFileW(BuiltFile(L"tests\\plugins\\plugin_helper.dll").c_str(),
                          elsewhere.File(L"plugin_helper.dll").c_str(), FALSE));
    sqlite3_close(OpenPhraseStore(store.c_str(), true));
    ASSERT_TRUE(StartProgramSettings(store, server.Base()));
    const std::wstring asked = folder.File(L"with_helper.plugin.asked");

    DWORD pathSize = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(pathSize, L'\0');
    GetEnvironmentVariableW(L"PATH", &path[0], pathSize);
    path.resize(pathSize ? pathSize - 1 : 0);
    SetEnvironmentVariableW(L"PATH", (elsewhere.path + L";" + path).c_str());
    for (bool beside : {false, true}) {
        if (beside) {
            ASSERT_TRUE(CopyBuilt(L"tests\\plugins\\plugin_helper.dll", L"plugin_helper.dll"));
        }
        ProgramProcess process;
        ASSERT_TRUE(process.Start(program, elsewhere.path));
        EXPECT_EQ(FileExists(asked), beside) << "the library beside the program: " << beside;
        PostMessageW(process.window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(process.WaitForExit(60000), 0u);
    }
    SetEnvironmentVariableW(L"PATH", path.c_str());
}

}  // namespace
