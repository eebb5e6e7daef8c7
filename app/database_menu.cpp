// The File menu's list of the databases beside the program.
#include "app/main_window.h"

#include <shlwapi.h>

#include "resources/resource_ids.h"
#include "store/text.h"

void RebuildDatabaseMenu(HMENU fileMenu, const wchar_t *folder)
{
    for (UINT command = IDM_DATABASE_FIRST; DeleteMenu(fileMenu, command, MF_BYCOMMAND); command++) {
    }

    wchar_t pattern[MAX_PATH];
    CopyBounded(pattern, folder, MAX_PATH);
    if (!PathAppendW(pattern, L"*.db"))
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    UINT command = IDM_DATABASE_FIRST;
    do {
        wchar_t name[MAX_PATH];
        CopyBounded(name, found.cFileName, MAX_PATH);
        PathRemoveExtensionW(name);
        AppendMenuW(fileMenu, MF_STRING, command++, name);
    } while (command <= IDM_DATABASE_LAST && FindNextFileW(search, &found));
    FindClose(search);
}
