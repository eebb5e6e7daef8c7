// The small user-interface routines every part of the program uses: the module its dialogs,
// menus and strings come from, the dialog icon, the file dialogs, combo selections, the
// program's folder and a safe one-text format. Everything here runs on the main thread, except
// GetProgramFolder and FormatWithText, which any thread may call.
#pragma once

#include <windows.h>

#include <string>

// Module that dialogs, menus and strings are loaded from: Lingotrove.exe.mui beside the program
// when it exists and loads, else the program itself. Callers never keep the handle.
HMODULE GetResourceModule();

// Gives a dialog the program icon (always from the program itself) and shows keyboard cues.
void SetDialogIcon(HWND dialog);

// Runs the common open (save == FALSE) or save dialog. fileName holds MAX_PATH units and receives
// the chosen path; the filter comes from string filterId with '|' as separator.
// Returns non-zero when a file was chosen.
BOOL AskFileName(HWND owner, wchar_t *fileName, BOOL save, const wchar_t *defaultExtension,
                 UINT filterId);

// Shows string stringId of the resource module in an error message box owned by window, with
// detail (when given) on a line of its own after it. The caption is window's title, or caption
// when one is given.
void ShowErrorMessage(HWND window, UINT stringId, const wchar_t *detail = nullptr, const wchar_t *caption = nullptr);

// Shows string stringId of the resource module, its first "%s" replaced by text, in an
// information message box owned by window. The caption is window's title, or caption when given.
void ShowTextMessage(HWND window, UINT stringId, const wchar_t *text, const wchar_t *caption = nullptr);

// The whole text of a window or control, however long.
std::wstring ControlText(HWND window);
std::wstring DialogItemText(HWND dialog, int controlId);

// Item data of the combo box's selection, or 0 when nothing is selected.
LPARAM GetComboSelectionData(HWND dialog, int controlId);

// The folder of the program (no trailing backslash) in a MAX_PATH buffer.
void GetProgramFolder(wchar_t *folder);

// Writes format into buffer (size units) with its first "%s" replaced by text. Any other '%'
// is copied as it stands, so a translated format string cannot make it read missing arguments.
// The result is cut to fit.
void FormatWithText(wchar_t *buffer, size_t size, const wchar_t *format, const wchar_t *text);
