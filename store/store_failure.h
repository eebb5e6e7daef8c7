// Telling the user why the store did not take a change, or could not be read. Main thread only.
#pragma once

#include <windows.h>

// Shows string what of the resource module in an error message box owned by window, with the
// cause that SQLite's result code (primary or extended) stands for on a line after it: another
// program holds the store, the disk is full, the file is read-only or damaged, or a plain
// failure to write (writing) or read. A detail (a file's name, say), when given, goes on a last
// line of its own.
void ShowStoreFailure(HWND window, UINT what, int code, bool writing, const wchar_t *detail = nullptr);
