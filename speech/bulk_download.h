// The bulk pronunciation download (command 102): dialog resource 4 shows the progress of one
// worker thread that asks for the pronunciation of every phrase of the store with playing off,
// pausing after every download it caused so that the online service is not flooded.
//
// One pass runs at a time. Escape ends the dialog at once and stops the pass after the phrase in
// progress; the worker never touches the dialog once it has been told to stop. The connection
// stays in use until the worker has ended: whoever closes or replaces it, or starts another
// pass, waits with WaitForBulkDownload first.
#pragma once

#include <windows.h>

struct sqlite3;

// Dialog procedure of dialog resource 4; its creation parameter is the connection. Holding Ctrl
// as it opens fetches the source texts in their source languages instead of the target texts.
INT_PTR CALLBACK BulkDownloadDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally over db, owned by owner, after any earlier pass has ended; a pass that
// goes to its end then says in a message box how many pronunciations were downloaded, were
// there already, and failed to download.
void DownloadAllPronunciations(HWND owner, sqlite3 *db);

// Returns once no bulk download worker runs. The wait is bounded by the download in progress
// (about ten seconds at most); messages sent to this thread meanwhile are handled.
void WaitForBulkDownload();

// The pause after each attempted download: 3000 ms. Tests shorten or count it; the function is
// given the stop event, which ends a pause early when set. Null restores the real pause.
typedef void (*BulkDownloadPause)(HANDLE stopEvent, DWORD milliseconds);
void SetBulkDownloadPause(BulkDownloadPause pause);
