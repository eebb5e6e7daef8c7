// The real Lingotrove.exe, started in a folder of its own: a double-clicked row plays its cached
// pronunciation, and a row without one has it downloaded into Cache\<code> first. The program
// reads the real HKEY_CURRENT_USER of the test prefix, so this test runs as one process.
#include "tests/support/http_server.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/speech/speech_test_support.h"
#include "common/settings.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/program_process.h"

namespace {

// Whether another process holds path open for playing: DirectShow's file source keeps the file
// it renders open, sharing it for reading only, as long as its graph lives.
bool OpenElsewhere(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return false;
}

// tone.mp3 over and over: MPEG frames follow one another, so this plays for about half a minute,
// long enough to find the file still open after the double-click has been handled.
std::string LongTone()
{
    std::string tone = ToneMp3();
    std::string sound;
    for (int i = 0; i < 90; i++)
        sound += tone;
    return sound;
}

// Double-clicks the first row of the list the way the mouse does, and returns once the program
// has handled it (download included).
void DoubleClickFirstRow(HWND list)
{
    RECT header = {};
    GetWindowRect(FindWindowExW(list, nullptr, WC_HEADERW, nullptr), &header);
    LPARAM point = MAKELPARAM(12, header.bottom - header.top + 4);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
}

using ProgramSpeechTest = ProgramTest;

TEST_F(ProgramSpeechTest, DoubleClickPlaysTheCachedFileOrDownloadsItFirst)
{
    sqlite3 *db = OpenPhraseStore(store.c_str(), true);
    int cached = GetOrCreateCategory(db, L"Cached");
    int fresh = GetOrCreateCategory(db, L"Fresh");
    InsertPhrase(db, cached, 1, 2, L"hello", L"Hola");
    InsertPhrase(db, fresh, 1, 2, L"good night", L"Buenas noches");
    sqlite3_close(db);
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"Cache").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"Cache\\es").c_str(), nullptr));
    std::string sound = LongTone();
    std::wstring hola = folder.File(L"Cache\\es\\hola.mp3");
    std::wstring night = folder.File(L"Cache\\es\\buenas noches.mp3");
    WriteFileBytes(hola, sound);

    ASSERT_TRUE(StartProgramSettings(store, server.Base()));
    ASSERT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(cached)));
    server.AnswerTyped(200, "audio/mpeg", sound);

    ProgramProcess process;
    ASSERT_TRUE(process.Start(program, folder.path));
    HWND list = GetDlgItem(process.window, 12);
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_FALSE(OpenElsewhere(hola)) << "nothing plays yet";

    DoubleClickFirstRow(list);
    EXPECT_TRUE(OpenElsewhere(hola)) << "the cached file is the one being played";
    EXPECT_TRUE(server.RequestLines().empty());

    HWND categories = GetDlgItem(process.window, 10);
    SendMessageW(categories, CB_SETCURSEL, 1, 0);
    SendMessageW(process.window, WM_COMMAND, MAKEWPARAM(10, CBN_SELCHANGE), reinterpret_cast<LPARAM>(categories));
    DoubleClickFirstRow(list);
    EXPECT_EQ(server.RequestLines(),
              std::vector<std::string>{"GET /translate_tts?tl=es&client=tw-ob&q=buenas%20noches HTTP/1.1"});
    EXPECT_EQ(FileNames(folder.File(L"Cache\\es")), (std::vector<std::wstring>{L"buenas noches.mp3", L"hola.mp3"}));
    EXPECT_TRUE(OpenElsewhere(night)) << "the downloaded file is played from the cache";
    EXPECT_EQ(ReadFileBytes(night), sound);

    PostMessageW(process.window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(process.WaitForExit(60000), 0u) << "ends normally, a sound having just played";
}

TEST_F(ProgramSpeechTest, EscapeDuringABulkDownloadThenExitEndsCleanly)
{
    sqlite3 *db = OpenPhraseStore(store.c_str(), true);
    int category = GetOrCreateCategory(db, L"Travel");
    for (const wchar_t *target : {L"uno", L"dos", L"tres"})
        InsertPhrase(db, category, 1, 2, L"number", target);
    sqlite3_close(db);
    ASSERT_TRUE(StartProgramSettings(store, server.Base()));
    server.AnswerTyped(200, "audio/mpeg", ToneMp3());

    ProgramProcess process;
    ASSERT_TRUE(process.Start(program, folder.path));
    PostMessageW(process.window, WM_COMMAND, 102, 0);
    // The first phrase is fetched; the worker then pauses for three seconds before the next.
    ASSERT_TRUE(server.WaitForRequests(1, 30000));
    HWND progress = FindWindowW(L"#32770", L"\u4E0B\u8F09\u8072\u5E36\u4E2D");
    ASSERT_NE(progress, nullptr);
    PostMessageW(progress, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(process.window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(process.WaitForExit(60000), 0u);
    EXPECT_EQ(server.RequestLines().size(), 1u) << "nothing is fetched after Escape";
    EXPECT_EQ(FileNames(folder.File(L"Cache\\es")).size(), 1u) << "one whole file, no partial one";
}

}  // namespace
