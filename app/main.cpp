// Lingotrove's start-up and shut-down: the main window is a modal dialog and its loop is the
// process's only message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/main_window.h"
#include "app/shell.h"
#include "resources/resource_ids.h"
#include "speech/bulk_download.h"
#include "speech/sound_workers.h"
#include "speech/speech_settings.h"
#include "sqlite3.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    RestrictLibrarySearch();
    InitCommonControls();
    if (SUCCEEDED(CoInitialize(nullptr))) {
        SelectPreferredKeyboardLayout();
        LoadSpeechSettings();
        ShellState shell = {};
        DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainWindowProc,
                        reinterpret_cast<LPARAM>(&shell));
        WaitForBulkDownload();
        sqlite3_close(shell.db);
        // A sound still playing keeps its objects on a worker: unloading COM's libraries under
        // it could crash the exit, and the process ends just below anyway.
        if (WaitForSoundWorkers(0))
            CoUninitialize();
    }
    ExitProcess(0);
}
