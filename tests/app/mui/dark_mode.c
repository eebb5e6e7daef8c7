/* Stands in for the optional DarkMode.dll: its export 1 counts its calls in the environment
   variable LINGOTROVE_DARK_MODE_CALLS of the process that loaded it. */
#include <windows.h>
#include <stdio.h>

void WINAPI CountCall(void)
{
    wchar_t text[16] = L"0";
    GetEnvironmentVariableW(L"LINGOTROVE_DARK_MODE_CALLS", text, 16);
    _snwprintf(text, 16, L"%d", _wtoi(text) + 1);
    SetEnvironmentVariableW(L"LINGOTROVE_DARK_MODE_CALLS", text);
}
