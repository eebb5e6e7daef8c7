// Plug-ins loaded by the real main window from a folder of the test's own, and run on the focused
// row. The plug-ins are built by the tests from one source in several variants.
#include "tests/support/http_server.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>

#include "app/plugin_api.h"
#include "app/plugins.h"
#include "common/settings.h"
#include "resources/resource_ids.h"
#include "speech/pronunciation.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/app/window_fixture.h"

namespace {

std::wstring BuiltPlugin(const wchar_t *name)
{
    wchar_t folder[MAX_PATH];
    GetProgramFolder(folder);
    return std::wstring(folder) + L"\\..\\plugins\\" + name + L".plugin";
}

// The *.plugin files of a folder in the order the file system lists them.
std::vector<std::wstring> SearchOrder(const std::wstring &folder)
{
    return FindNames(folder + L"\\*.plugin");
}

// Sends message to window from a thread of its own, letting the sent message in on this thread
// meanwhile as the window's own loop would.
void SendFromAnotherThread(HWND window, UINT message, const void *request)
{
    struct Send {
        HWND window;
        UINT message;
        const void *request;
        static DWORD WINAPI Run(void *self)
        {
            Send *send = static_cast<Send *>(self);
            SendMessageW(send->window, send->message, kPluginServiceTag, reinterpret_cast<LPARAM>(send->request));
            return 0;
        }
    } send = {window, message, request};
    HANDLE thread = CreateThread(nullptr, 0, Send::Run, &send, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    MSG ignored;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 60000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
        PeekMessageW(&ignored, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    CloseHandle(thread);
}

// Makes folder the current folder and the first folder of PATH while it lives.
class CurrentFolderAndPath {
public:
    explicit CurrentFolderAndPath(const std::wstring &folder)
    {
        GetCurrentDirectoryW(MAX_PATH, folder_);
        DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
        path_.resize(size);
        GetEnvironmentVariableW(L"PATH", &path_[0], size);
        path_.resize(size ? size - 1 : 0);
        SetCurrentDirectoryW(folder.c_str());
        SetEnvironmentVariableW(L"PATH", (folder + L";" + path_).c_str());
    }
    ~CurrentFolderAndPath()
    {
        SetCurrentDirectoryW(folder_);
        SetEnvironmentVariableW(L"PATH", path_.c_str());
    }

private:
    wchar_t folder_[MAX_PATH] = {};
    std::wstring path_;
};

class PluginTest : public MainWindowTest {
protected:
    TempFolder plugins;
    LoopbackServer server;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        SetPluginFolder(plugins.path.c_str());
        SetCacheParentFolder(folder.path.c_str());
        ASSERT_TRUE(WriteSettingText(L"TranslateEndpoint", server.Base().c_str()));
        ASSERT_TRUE(WriteSettingText(L"SpeechEndpoint", server.Base().c_str()));
        server.Answer(404, "");
    }
    void TearDown() override
    {
        if (window)
            DestroyWindow(window);
        window = nullptr;
        // The program keeps its plug-ins to the end; the test lets go of them with its folder.
        for (unsigned i = 0; i < shell.pluginCount; i++)
            FreeLibrary(shell.pluginModules[i]);
        SetPluginFolder(nullptr);
        SetCacheParentFolder(nullptr);
        MainWindowTest::TearDown();
    }
    void Install(const wchar_t *built, const std::wstring &as)
    {
        ASSERT_TRUE(CopyFileW(BuiltPlugin(built).c_str(), plugins.File(as + L".plugin").c_str(), FALSE));
    }
    void OpenWithPairs()
    {
        sqlite3 *db = CreateStore();
        int category = GetOrCreateCategory(db, L"Animals");
        InsertPhrase(db, category, 1, 2, L"cat", L"gato");
        InsertPhrase(db, category, 1, 2, L"dog", L"perro");
        InsertPhrase(db, category, 2, 1, L"pez", L"fish");
        sqlite3_close(db);
        OpenWindow();
    }
    HMENU AddOns() { return GetSubMenu(GetMenu(window), 4); }
    // The menu items expected for the plug-ins of the folder that pass accepts, in search order.
    template <typename Accepts>
    std::vector<std::pair<UINT, std::wstring>> ExpectedItems(Accepts accepts, const std::wstring &suffix = L"")
    {
        std::vector<std::pair<UINT, std::wstring>> expected;
        for (const std::wstring &name : SearchOrder(plugins.path))
            if (accepts(name))
                expected.push_back({static_cast<UINT>(IDM_PLUGIN_FIRST + expected.size()), name + L" 1000000 9" + suffix});
        return expected;
    }
    std::vector<std::pair<UINT, std::wstring>> MenuItems()
    {
        std::vector<std::pair<UINT, std::wstring>> items;
        HMENU popup = AddOns();
        for (int i = 0; i < GetMenuItemCount(popup); i++) {
            wchar_t text[MAX_PATH] = {};
            GetMenuStringW(popup, i, text, MAX_PATH, MF_BYPOSITION);
            items.push_back({GetMenuItemID(popup, i), text});
        }
        return items;
    }
    // What the plug-in loaded as name received at its last run.
    std::wstring LastCall(const wchar_t *name)
    {
        HMODULE module = GetModuleHandleW((std::wstring(name) + L".plugin").c_str());
        typedef const wchar_t *(__cdecl * LastCallFunction)();
        LastCallFunction last = reinterpret_cast<LastCallFunction>(
            reinterpret_cast<void *>(GetProcAddress(module, "TestPluginLastCall")));
        return last ? last() : L"<not loaded>";
    }
    void FocusWithCtrlDown(int from, int steps)
    {
        HWND list = Item(IDC_PHRASE_LIST);
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, from, reinterpret_cast<LPARAM>(&item));
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        for (int i = 0; i < steps; i++)
            SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
};

TEST_F(PluginTest, NoPluginFilesLeaveAnEmptyPopup)
{
    OpenWithPairs();
    EXPECT_TRUE(MenuItems().empty()) << "not even the placeholder";
    EXPECT_EQ(shell.pluginCount, 0u);
    EXPECT_EQ(shell.pluginModules, nullptr);
}

TEST_F(PluginTest, OnlyLibrariesThatAcceptAreListedAndKept)
{
    WriteFileBytes(plugins.File(L"text.plugin"), "not a library");
    Install(L"without_info", L"without_info");
    Install(L"declining", L"declining");
    Install(L"accepting", L"accepting");
    Install(L"cdecl_built", L"cdecl_built");
    Install(L"without_execute", L"without_execute");
    OpenWithPairs();

    std::vector<std::pair<UINT, std::wstring>> expected = ExpectedItems([](const std::wstring &name) {
        return name == L"accepting.plugin" || name == L"cdecl_built.plugin" || name == L"without_execute.plugin";
    });
    EXPECT_EQ(MenuItems(), expected) << "caption at offset 12, given 0x01000000 and 9";
    EXPECT_EQ(shell.pluginCount, 3u);
    EXPECT_EQ(GetModuleHandleW(L"declining.plugin"), nullptr) << "freed";
    EXPECT_EQ(GetModuleHandleW(L"without_info.plugin"), nullptr) << "freed";
    EXPECT_NE(GetModuleHandleW(L"accepting.plugin"), nullptr);
    EXPECT_EQ(shell.pluginModules[0], GetModuleHandleW(expected[0].second.substr(0, expected[0].second.find(L' ')).c_str()));
}

// What a plug-in whose information function was declared void might return: an address that
// cannot be read, a record that runs into memory that cannot be, a caption likewise. Each is
// declined without harm; a caption that crosses from one readable region into another is fine.
TEST_F(PluginTest, AnUnreadableRecordOrCaptionIsDeclined)
{
    const std::vector<std::wstring> declined = {
        L"low_address", L"freed", L"reserved", L"guard", L"no_access", L"straddling",
        L"caption_low_address", L"caption_unterminated", L"caption_odd_unterminated"};
    const std::vector<std::wstring> accepted = {L"caption_across", L"caption_odd_across"};
    for (const std::vector<std::wstring> *names : {&declined, &accepted})
        for (const std::wstring &name : *names)
            Install(L"unreadable", name);
    OpenWithPairs();
    EXPECT_EQ(MenuItems(), ExpectedItems([&accepted](const std::wstring &name) {
        return std::find(accepted.begin(), accepted.end(), name.substr(0, name.find(L'.'))) != accepted.end();
    }));
    for (const std::wstring &name : declined)
        EXPECT_EQ(GetModuleHandleW((name + L".plugin").c_str()), nullptr) << "freed: " << testing::PrintToString(name);
}

TEST_F(PluginTest, APluginsOwnLibraryIsFoundBesideIt)
{
    Install(L"with_helper", L"with_helper");
    wchar_t built[MAX_PATH];
    GetProgramFolder(built);
    ASSERT_TRUE(CopyFileW((std::wstring(built) + L"\\..\\plugins\\plugin_helper.dll").c_str(),
                          plugins.File(L"plugin_helper.dll").c_str(), FALSE));
    OpenWithPairs();
    EXPECT_EQ(MenuItems(), (std::vector<std::pair<UINT, std::wstring>>{
                               {IDM_PLUGIN_FIRST, L"with_helper.plugin 1000000 9 with helper"}}));
}

// A library of the other architecture (64-bit beside a 32-bit program) cannot be mapped; a
// loadable one of the same name in the current folder or on PATH must not be taken in its place.
TEST_F(PluginTest, AnUnmappablePluginIsNotReplacedByOneOfTheSameNameElsewhere)
{
    ASSERT_TRUE(FileExists(BuiltPlugin(L"foreign"))) << "built with the other architecture's MinGW";
    Install(L"foreign", L"same_name");
    TempFolder elsewhere;
    ASSERT_TRUE(CopyFileW(BuiltPlugin(L"accepting").c_str(), elsewhere.File(L"same_name.plugin").c_str(), FALSE));
    CurrentFolderAndPath there(elsewhere.path);
    OpenWithPairs();
    EXPECT_TRUE(MenuItems().empty());
    EXPECT_EQ(GetModuleHandleW(L"same_name.plugin"), nullptr);
}

TEST_F(PluginTest, FiftyPluginsAtMost)
{
    for (int i = 0; i < 51; i++) {
        wchar_t name[16];
        _snwprintf(name, 16, L"p%02d", i);
        Install(L"accepting", name);
    }
    OpenWithPairs();
    std::vector<std::wstring> order = SearchOrder(plugins.path);
    ASSERT_EQ(order.size(), 51u);
    std::vector<std::pair<UINT, std::wstring>> items = MenuItems();
    ASSERT_EQ(items.size(), 50u);
    for (int i = 0; i < 50; i++)
        EXPECT_EQ(items[i], std::make_pair(static_cast<UINT>(400 + i), order[i] + L" 1000000 9"));
    EXPECT_EQ(GetModuleHandleW(order[50].c_str()), nullptr) << "the fifty-first is loaded and freed";
    EXPECT_NE(GetModuleHandleW(order[49].c_str()), nullptr);
}

TEST_F(PluginTest, APluginGetsTheFocusedPairAndBothServices)
{
    Install(L"accepting", L"accepting");
    OpenWithPairs();
    std::string longTranslation(200, 'T');
    server.Answer(200, "[[[\"" + longTranslation + "\",\"x\"]]]");
    FocusWithCtrlDown(0, 2);
    ASSERT_EQ(ListRows()[0].selected, true);
    ASSERT_EQ(ListRows()[2].selected, false);

    Command(IDM_PLUGIN_FIRST);
    EXPECT_EQ(LastCall(L"accepting"), L"es|pez|en|fish|" + std::wstring(127, L'T') + L"|0 0 0")
        << "the focused row, not the selected one; the translation cut at 127; both services answer 0";
    std::vector<std::string> requests = server.RequestLines();
    EXPECT_EQ(std::count(requests.begin(), requests.end(),
                         "GET /translate_a/single?client=gtx&sl=es&tl=en&dt=t&q=pez HTTP/1.1"), 1);
    EXPECT_EQ(std::count(requests.begin(), requests.end(),
                         "GET /translate_tts?tl=en&client=tw-ob&q=fish HTTP/1.1"), 1)
        << "spoken once: the request with wParam 0 is ignored";
}

// The services answer a running plug-in on the window's own thread only: a request sent while
// nothing runs, or by another thread while a plug-in runs, points into memory the program cannot
// trust.
TEST_F(PluginTest, ServicesAnswerOnlyARunningPluginOnTheWindowsThread)
{
    Install(L"other_thread", L"other_thread");
    OpenWithPairs();
    server.Answer(200, "[[[\"minino\",\"cat\"]]]");
    for (bool otherThread : {false, true}) {
        wchar_t result[128] = L"untouched";
        PluginTranslateRequest translate = {L"en", L"owl", L"es", result};
        PluginSpeakRequest speak = {L"en", L"owl"};
        if (otherThread) {
            SendFromAnotherThread(window, WM_PLUGIN_TRANSLATE, &translate);
            SendFromAnotherThread(window, WM_PLUGIN_SPEAK, &speak);
        } else {
            SendMessageW(window, WM_PLUGIN_TRANSLATE, kPluginServiceTag, reinterpret_cast<LPARAM>(&translate));
            SendMessageW(window, WM_PLUGIN_SPEAK, kPluginServiceTag, reinterpret_cast<LPARAM>(&speak));
        }
        EXPECT_STREQ(result, L"untouched") << "nothing runs; from another thread: " << otherThread;
    }
    EXPECT_TRUE(server.RequestLines().empty());

    FocusWithCtrlDown(0, 0);
    Command(IDM_PLUGIN_FIRST);
    EXPECT_EQ(LastCall(L"other_thread"), L"en|cat|es|gato|minino|0 0 0|other thread: untouched 0 0");
    EXPECT_EQ(server.RequestLines(), (std::vector<std::string>{
                                         "GET /translate_a/single?client=gtx&sl=en&tl=es&dt=t&q=cat HTTP/1.1",
                                         "GET /translate_tts?tl=es&client=tw-ob&q=gato HTTP/1.1"}))
        << "the plug-in's own requests only";
}

TEST_F(PluginTest, AnEmptyListGivesFourEmptyStrings)
{
    Install(L"accepting", L"accepting");
    sqlite3_close(CreateStore());
    OpenWindow();
    Command(IDM_PLUGIN_FIRST);
    std::wstring call = LastCall(L"accepting");
    EXPECT_EQ(call.substr(0, 4), L"||||") << testing::PrintToString(call);
}

TEST_F(PluginTest, WritingIntoItsStringsChangesNothing)
{
    Install(L"scribbling", L"scribbling");
    OpenWithPairs();
    FocusWithCtrlDown(1, 0);
    std::vector<ListRow> before = ListRows();
    Command(IDM_PLUGIN_FIRST);
    EXPECT_EQ(LastCall(L"scribbling").substr(0, 16), L"en|dog|es|perro|");
    EXPECT_EQ(ListRows(), before);
    EXPECT_EQ(QueryRows(shell.db, L"SELECT SOURCE,TARGET FROM PHRASE ORDER BY ID"),
              (::Rows{{L"cat", L"gato"}, {L"dog", L"perro"}, {L"pez", L"fish"}}));
    Command(IDM_PLUGIN_FIRST);
    EXPECT_EQ(LastCall(L"scribbling").substr(0, 16), L"en|dog|es|perro|") << "a fresh copy at each run";
}

TEST_F(PluginTest, ACdeclPluginRunsAndTheProgramKeepsWorking)
{
    Install(L"cdecl_built", L"cdecl_built");
    Install(L"without_execute", L"without_execute");
    OpenWithPairs();
    // Its information function leaves its two arguments on the stack, under the loader's own
    // values: the whole list must come out right.
    ASSERT_EQ(MenuItems(), ExpectedItems([](const std::wstring &) { return true; }));
    ASSERT_EQ(shell.pluginCount, 2u);
    int cdeclItem = MenuItems()[0].second.rfind(L"cdecl_built", 0) == 0 ? 0 : 1;
    FocusWithCtrlDown(0, 0);
    for (int run = 0; run < 20; run++) {
        Command(IDM_PLUGIN_FIRST + cdeclItem);
        Command(IDM_PLUGIN_FIRST + 1 - cdeclItem);   // no LingotrovePluginExecute: nothing happens
        Command(IDM_PLUGIN_FIRST + 2);           // no such plug-in
    }
    EXPECT_EQ(LastCall(L"cdecl_built").substr(0, 15), L"en|cat|es|gato|");
    // Still working: a pair can be added as usual.
    SetDlgItemTextW(window, IDC_PHRASE, L"owl");
    SetDlgItemTextW(window, IDC_TRANSLATION, L"b\u00FAho");
    Command(IDC_ADD);
    EXPECT_EQ(ListRows().size(), 4u);
}

}  // namespace
