// Runs the real Lingotrove.exe as a process of its own, for tests that drive it from outside.
#pragma once

#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_folder.h"

// The path of a file of the build tree, given from the build folder (two folders up from the
// test programs).
std::wstring BuiltFile(const std::wstring &fromBuild);

// Copies the built Lingotrove.exe (two folders up from the test programs, in bin) into folder as
// Lingotrove.exe. Returns its path, or an empty text when the copy failed.
std::wstring CopyBuiltProgram(const std::wstring &folder);

// Starts the program's settings afresh in the prefix's own HKEY_CURRENT_USER (which a started
// program reads): "LastDB" names store and the online services are reached at serviceBase.
// False when the settings could not be written.
bool StartProgramSettings(const std::wstring &store, const std::wstring &serviceBase);

struct ProgramProcess {
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;      // the program's visible top-level window once started

    ProgramProcess() = default;
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess &) = delete;
    ProgramProcess &operator=(const ProgramProcess &) = delete;

    // Starts program with folder as its current folder, waits until it waits for input and finds
    // its window. False when any of that fails.
    bool Start(const std::wstring &program, const std::wstring &folder);

    // Waits up to 30 s for a visible dialog window of the program, owned by another one (so not
    // the main window), that wanted accepts. Wine tells no other process when a window is shown
    // (an out-of-context EVENT_OBJECT_SHOW hook never fires), so the windows are looked at every
    // 50 ms. Null when none came.
    HWND WaitForDialog(bool (*wanted)(HWND)) const;

    // Waits for the process to end; its exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD milliseconds);
};

// For tests of the real program: a folder with a copy of it, a loopback server for its online
// services, and the prefix's program settings removed afterwards.
class ProgramTest : public ::testing::Test {
protected:
    TempFolder folder;
    LoopbackServer server;
    std::wstring program;                           // the copy of Lingotrove.exe in folder
    std::wstring store = folder.File(L"Words.db");  // where a test keeps its phrase store

    void SetUp() override;
    void TearDown() override;
    // Copies a file of the build tree (a path from the build folder) into folder under name.
    bool CopyBuilt(const std::wstring &fromBuild, const std::wstring &name);
};
