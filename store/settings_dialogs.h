// The category (dialog 2) and language (dialog 3) settings dialogs. Their creation parameter is
// the phrase store connection, which they use and never close. Every add, update and delete is
// stored at once. Main thread only.
#pragma once

#include <windows.h>

INT_PTR CALLBACK CategorySettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LanguageSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
