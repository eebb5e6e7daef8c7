// A Lingotrove.exe.mui beside the program replaces its dialogs and strings, not its icon; an
// optional DarkMode.dll is taken from beside the program, never from the current folder or PATH.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/shell.h"
#include "tests/support/temp_folder.h"

namespace {

// Runs the probe, in currentFolder when one is given, and returns its report.
std::string RunProbe(const std::wstring &probe, const std::wstring &report, const wchar_t *currentFolder = nullptr)
{
    std::wstring command = L"\"" + probe + L"\" \"" + report + L"\"";
    SetEnvironmentVariableW(L"LINGOTROVE_DARK_MODE_CALLS", nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(probe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, currentFolder,
                        &startup, &process))
        return "cannot start";
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ReadFileBytes(report);
}

TEST(ResourceModule, TranslatedModuleReplacesDialogsAndStringsButNotTheIcon)
{
    wchar_t built[MAX_PATH];
    GetProgramFolder(built);
    TempFolder folder;
    std::wstring probe = folder.File(L"prog.exe");
    ASSERT_TRUE(CopyFileW((std::wstring(built) + L"\\mui_probe.exe").c_str(), probe.c_str(), FALSE));

    EXPECT_EQ(RunProbe(probe, folder.File(L"own.txt")),
              "own module: yes\n"
              "string 1: %s - Lingotrove\n"
              "dialog 1 translated: no\n"
              "dialog 1 has the phrase list: yes\n"
              "icon: yes\n"
              "the same module every time: yes\n"
              "DarkMode.dll export 1 calls: 0\n");

    ASSERT_TRUE(CopyFileW((std::wstring(built) + L"\\mui_sample.dll").c_str(),
                          folder.File(L"prog.exe.mui").c_str(), FALSE));
    EXPECT_EQ(RunProbe(probe, folder.File(L"mui.txt")),
              "own module: no\n"
              "string 1: %s - Translated\n"
              "dialog 1 translated: yes\n"
              "dialog 1 has the phrase list: no\n"
              "icon: yes\n"
              "the same module every time: yes\n"
              "DarkMode.dll export 1 calls: 0\n");

    // An optional DarkMode.dll in the current folder or on PATH (where a download may have left
    // one) is never loaded: the probe runs in that folder, with it first on PATH.
    TempFolder elsewhere;
    ASSERT_TRUE(CopyFileW((std::wstring(built) + L"\\extras\\DarkMode.dll").c_str(),
                          elsewhere.File(L"DarkMode.dll").c_str(), FALSE));
    DWORD pathSize = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(pathSize, L'\0');
    GetEnvironmentVariableW(L"PATH", &path[0], pathSize);
    path.resize(pathSize ? pathSize - 1 : 0);
    SetEnvironmentVariableW(L"PATH", (elsewhere.path + L";" + path).c_str());
    std::string report = RunProbe(probe, folder.File(L"elsewhere.txt"), elsewhere.path.c_str());
    SetEnvironmentVariableW(L"PATH", path.c_str());
    EXPECT_NE(report.find("string 1: %s - Translated\n"), std::string::npos) << report;
    EXPECT_NE(report.find("DarkMode.dll export 1 calls: 0\n"), std::string::npos) << report;

    // One beside the program: loaded at the first request and kept, so its export 1 runs once
    // however often the resource module is asked for.
    ASSERT_TRUE(CopyFileW((std::wstring(built) + L"\\extras\\DarkMode.dll").c_str(),
                          folder.File(L"DarkMode.dll").c_str(), FALSE));
    report = RunProbe(probe, folder.File(L"dark.txt"));
    EXPECT_NE(report.find("string 1: %s - Translated\n"), std::string::npos) << report;
    EXPECT_NE(report.find("DarkMode.dll export 1 calls: 1\n"), std::string::npos) << report;
}

}  // namespace
