// Starting the real program and finding its window.
#include "tests/support/program_process.h"

#include <shlwapi.h>

#include "common/settings.h"

namespace {

struct Search {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM lParam)
{
    Search *search = reinterpret_cast<Search *>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process && IsWindowVisible(window)) {
        search->window = window;
        return FALSE;
    }
    return TRUE;
}

struct Found {
    DWORD process;
    bool (*wanted)(HWND);
    HWND window;
};

BOOL CALLBACK FindWanted(HWND window, LPARAM parameter)
{
    Found *found = reinterpret_cast<Found *>(parameter);
    DWORD owner = 0;
    wchar_t className[32] = {};
    GetWindowThreadProcessId(window, &owner);
    GetClassNameW(window, className, 32);
    if (owner == found->process && IsWindowVisible(window) && wcscmp(className, L"#32770") == 0 &&
        GetWindow(window, GW_OWNER) && found->wanted(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(DWORD processId, bool (*wanted)(HWND))
{
    Found found = {processId, wanted, nullptr};
    EnumWindows(FindWanted, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

}  // namespace

std::wstring BuiltFile(const std::wstring &fromBuild)
{
    wchar_t built[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, built, MAX_PATH);
    PathRemoveFileSpecW(built);
    return std::wstring(built) + L"\\..\\..\\" + fromBuild;
}

static bool CopyFromBuild(const std::wstring &fromBuild, const std::wstring &target)
{
    return CopyFileW(BuiltFile(fromBuild).c_str(), target.c_str(), FALSE) != 0;
}

std::wstring CopyBuiltProgram(const std::wstring &folder)
{
    std::wstring program = folder + L"\\Lingotrove.exe";
    return CopyFromBuild(L"bin\\Lingotrove.exe", program) ? program : std::wstring();
}

bool StartProgramSettings(const std::wstring &store, const std::wstring &serviceBase)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    return CanReadSettings() && WriteSettingText(kLastDatabaseValue, store.c_str()) &&
           WriteSettingText(L"TranslateEndpoint", serviceBase.c_str()) &&
           WriteSettingText(L"SpeechEndpoint", serviceBase.c_str());
}

ProgramProcess::~ProgramProcess()
{
    if (info.hProcess) {
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}

bool ProgramProcess::Start(const std::wstring &program, const std::wstring &folder)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info))
        return false;
    if (WaitForInputIdle(info.hProcess, 60000) != 0)
        return false;
    Search search = {info.dwProcessId, nullptr};
    EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    window = search.window;
    return window != nullptr;
}

DWORD ProgramProcess::WaitForExit(DWORD milliseconds)
{
    if (WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

void ProgramTest::SetUp()
{
    program = CopyBuiltProgram(folder.path);
    ASSERT_FALSE(program.empty());
}

void ProgramTest::TearDown()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

bool ProgramTest::CopyBuilt(const std::wstring &fromBuild, const std::wstring &name)
{
    return CopyFromBuild(fromBuild, folder.File(name));
}

HWND ProgramProcess::WaitForDialog(bool (*wanted)(HWND)) const
{
    HWND found = FindDialog(info.dwProcessId, wanted);
    for (DWORD start = GetTickCount(); !found && GetTickCount() - start < 30000; found = FindDialog(info.dwProcessId, wanted))
        Sleep(50);
    return found;
}
