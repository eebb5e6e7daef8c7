// Reports where the program's resources come from, for the resource module test: written into
// the file named by the first argument, one fact a line.
#include <windows.h>
#include <stdio.h>

#include "app/shell.h"
#include "resources/resource_ids.h"

static INT_PTR CALLBACK Dialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    FILE *out = _wfopen(argv[1], L"wb");
    if (!out)
        return 3;
    HMODULE resources = GetResourceModule();
    fprintf(out, "own module: %s\n", resources == GetModuleHandleW(nullptr) ? "yes" : "no");

    wchar_t text[128] = {};
    LoadStringW(GetResourceModule(), IDS_TITLE_FORMAT, text, 128);
    fprintf(out, "string 1: %ls\n", text);

    HWND dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, Dialog, 0);
    fprintf(out, "dialog 1 translated: %s\n", GetDlgItem(dialog, 1000) ? "yes" : "no");
    fprintf(out, "dialog 1 has the phrase list: %s\n", GetDlgItem(dialog, IDC_PHRASE_LIST) ? "yes" : "no");
    SetDialogIcon(dialog);
    fprintf(out, "icon: %s\n", SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) ? "yes" : "no");
    DestroyWindow(dialog);
    fprintf(out, "the same module every time: %s\n", GetResourceModule() == resources ? "yes" : "no");
    wchar_t calls[16] = L"0";
    GetEnvironmentVariableW(L"LINGOTROVE_DARK_MODE_CALLS", calls, 16);
    fprintf(out, "DarkMode.dll export 1 calls: %ls\n", calls);
    fclose(out);
    return 0;
}
