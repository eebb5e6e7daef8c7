// Find and Find Next on the phrase list (commands 122 and 123): the system's Find dialog, modeless
// and one at a time, and the keys Ctrl+F and F3 anywhere in the main window. Main thread only.
#pragma once

#include <windows.h>

// Installs what lets the main window's modal loop serve the Find dialog and the two keys; called
// once the main window exists. EndPhraseFind undoes it as the window goes.
void BeginPhraseFind(HWND window);
void EndPhraseFind(HWND window);

// Command 122: opens the Find dialog, or brings the open one forward.
void OpenFindDialog(HWND window);

// Command 123: the last search again from the focused row; the Find dialog when there was none.
void FindNextPhrase(HWND window);

// The message the Find dialog sends its owner (FINDMSGSTRING).
UINT FindDialogMessage();

// Handles that message: a search asked for, or the dialog closing. Only the program's own Find
// dialog is heard: a request is ignored unless it is that dialog's record, sent by this thread.
void OnFindDialogMessage(HWND window, const FINDREPLACEW *request);

// Forgets the last search and the Match case choice, which otherwise outlive the main window:
// tests start from none, whatever ran before them in the process.
void ForgetPhraseFind();
