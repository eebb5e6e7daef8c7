// The progress dialog and the chart it draws itself.
#include "review/progress_dialog.h"

#include <algorithm>
#include <string>

#include "common/dialogs.h"
#include "resources/resource_ids.h"
#include "review/review_tables.h"
#include "sqlite3.h"
#include "store/store_failure.h"

namespace {

// Every this many days the axis gets a tick and the day's number.
constexpr int kDayLabelStep = 5;

void SetNumber(HWND dialog, int control, int value)
{
    SetDlgItemInt(dialog, control, static_cast<UINT>(value), TRUE);
}

// Why the counts could not be read.
void ReportProgressUnread(HWND owner, int cause)
{
    if (cause == kForeignReviewTables)
        ShowErrorMessage(owner, IDS_REVIEW_FOREIGN_TABLES);
    else
        ShowStoreFailure(owner, IDS_PROGRESS_NOT_READ, cause, false);
}

void OnInitDialog(HWND dialog, ProgressDialogState *state)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    // Counts that could not be read are said, never shown as zeros: the dialog ends unseen.
    int cause = SQLITE_OK;
    if (!state->countsRead && !ReadProgress(state->db, state->categoryId, state->now, &state->counts, &cause)) {
        HWND owner = GetWindow(dialog, GW_OWNER);
        ReportProgressUnread(owner ? owner : dialog, cause);
        EndDialog(dialog, -1);
        return;
    }
    const ProgressCounts &counts = state->counts;
    SetNumber(dialog, IDC_PROGRESS_NEW, counts.newPairs);
    SetNumber(dialog, IDC_PROGRESS_LEARNING, counts.learning);
    SetNumber(dialog, IDC_PROGRESS_MATURE, counts.mature);
    SetNumber(dialog, IDC_PROGRESS_DUE, counts.dueToday);
    SetNumber(dialog, IDC_PROGRESS_RATED, counts.ratedToday);
    wchar_t retention[16];
    FormatRetention(counts, retention, 16);
    SetDlgItemTextW(dialog, IDC_PROGRESS_RETENTION, retention);
    SetDialogIcon(dialog);
}

void Label(HDC dc, int x, int y, const std::wstring &text, UINT align)
{
    SetTextAlign(dc, align);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

void DrawForecast(HDC dc, const RECT &bounds, HFONT font, const ProgressCounts &counts)
{
    int saved = SaveDC(dc);
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_WINDOW));
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    // Every length comes from the font, so the chart grows with the DPI and the font size.
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    int line = static_cast<int>(metrics.tmHeight);
    int tick = std::max(2, line / 4);
    int gap = std::max(1, static_cast<int>(metrics.tmAveCharWidth) / 2);

    int busiest = *std::max_element(counts.dueOnDay, counts.dueOnDay + kForecastDays);
    std::wstring top = std::to_wstring(busiest);
    SIZE topSize = {};
    GetTextExtentPoint32W(dc, top.c_str(), static_cast<int>(top.size()), &topSize);

    RECT plot = bounds;
    plot.left += topSize.cx + 2 * gap;
    plot.right -= gap + static_cast<int>(metrics.tmAveCharWidth);    // room for the last day's label
    plot.top += line / 2 + gap;
    plot.bottom -= line + tick + gap;
    if (plot.right - plot.left < kForecastDays || plot.bottom <= plot.top) {
        RestoreDC(dc, saved);
        return;
    }
    int width = plot.right - plot.left;
    int height = plot.bottom - plot.top;

    if (busiest > 0) {
        HBRUSH bar = CreateSolidBrush(kForecastBarColor);
        for (int day = 0; day < kForecastDays; day++) {
            if (counts.dueOnDay[day] == 0)
                continue;
            int left = plot.left + width * day / kForecastDays;
            int right = plot.left + width * (day + 1) / kForecastDays;
            int space = std::max(1, (right - left) / 5);
            // Rounded up so a single pair never vanishes beside a busy day.
            int barHeight = static_cast<int>((static_cast<long long>(height) * counts.dueOnDay[day] + busiest - 1) / busiest);
            RECT rect = {left + space, plot.bottom - barHeight, right - space, plot.bottom};
            FillRect(dc, &rect, bar);
        }
        DeleteObject(bar);
    }

    HPEN pen = CreatePen(PS_SOLID, std::max(1, line / 16), GetSysColor(COLOR_WINDOWTEXT));
    SelectObject(dc, pen);
    MoveToEx(dc, plot.left, plot.top, nullptr);
    LineTo(dc, plot.left, plot.bottom);
    LineTo(dc, plot.right, plot.bottom);
    for (int day = 0; day < kForecastDays; day += kDayLabelStep) {
        int x = plot.left + width * (2 * day + 1) / (2 * kForecastDays);
        MoveToEx(dc, x, plot.bottom, nullptr);
        LineTo(dc, x, plot.bottom + tick);
        Label(dc, x, plot.bottom + tick, std::to_wstring(day), TA_CENTER | TA_TOP);
    }
    // The scale: the busiest day's count at the top, 0 at the axis.
    if (busiest > 0)
        Label(dc, plot.left - gap, plot.top - line / 2, top, TA_RIGHT | TA_TOP);
    Label(dc, plot.left - gap, plot.bottom - line / 2, L"0", TA_RIGHT | TA_TOP);
    RestoreDC(dc, saved);
    DeleteObject(pen);
}

INT_PTR CALLBACK ProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, reinterpret_cast<ProgressDialogState *>(lParam));
        return TRUE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        auto *state = reinterpret_cast<ProgressDialogState *>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (wParam != IDC_PROGRESS_CHART || !state)
            return FALSE;
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
        DrawForecast(item->hDC, item->rcItem, font, state->counts);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void ShowProgress(HWND owner, sqlite3 *db, int categoryId)
{
    ProgressDialogState progress = {};
    progress.db = db;
    progress.categoryId = categoryId;
    progress.now = UnixNow();
    int cause = SQLITE_OK;
    if (!ReadProgress(db, categoryId, progress.now, &progress.counts, &cause)) {
        ReportProgressUnread(owner, cause);
        return;
    }
    progress.countsRead = true;
    DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_PROGRESS), owner, ProgressDialog,
                    reinterpret_cast<LPARAM>(&progress));
}
