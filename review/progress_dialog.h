// The progress dialog (dialog resource 8): the counts of a category and a chart of what falls due
// on each of the next days. Main thread only.
#pragma once

#include <windows.h>

#include "review/progress.h"

struct sqlite3;

// What the caller hands the dialog as its parameter; counts is filled while it starts, unless
// countsRead says the caller has read them already.
struct ProgressDialogState {
    sqlite3 *db;
    int categoryId;   // 0: every category
    UnixTime now;     // the moment the counts are read at
    ProgressCounts counts;
    bool countsRead;
};

// The bars' colour: distinct from the dialog's own colours so a rendering can be measured.
constexpr COLORREF kForecastBarColor = RGB(46, 125, 192);

// Dialog procedure; lParam of WM_INITDIALOG is a ProgressDialogState that outlives the dialog.
// Ends with 0 on OK, Escape or the close box; with -1 before it is seen when the store cannot be
// read, which a message box owned by the dialog's owner says.
INT_PTR CALLBACK ProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the dialog modally, owned by owner, for category categoryId (0: every category) as the
// store stands now. The counts are read first: when they cannot be, a message box says so and
// no dialog is made.
void ShowProgress(HWND owner, sqlite3 *db, int categoryId);

// Draws the forecast of counts into bounds of dc with font for its labels: one bar a day,
// scaled so the busiest day fills the height, over a day axis.
void DrawForecast(HDC dc, const RECT &bounds, HFONT font, const ProgressCounts &counts);
