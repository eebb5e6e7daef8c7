// The quiz window: rows built from one category, the answer check, the clock and scrolling.
#include "quiz/quiz_window.h"

#include <stdio.h>

#include <algorithm>
#include <random>

#include <commctrl.h>

#include "common/dialogs.h"
#include "review/fsrs.h"
#include "resources/resource_ids.h"
#include "speech/pronunciation.h"
#include "sqlite3.h"
#include "store/statement.h"
#include "store/store_failure.h"

namespace {

constexpr UINT_PTR kClock = 723;
// The text colour of an answer shown rather than typed.
constexpr COLORREF kShownAnswerColor = RGB(178, 34, 34);
constexpr UINT kClockMs = 1000;
constexpr int kBases[QuizControlCount] = {10, 510, 1010, 1510, 2010};
constexpr const wchar_t *kClasses[QuizControlCount] = {L"Static", L"Edit", L"Button", L"Button", L"Static"};
// The first 500 rows keep IDs base + r; later rows take five IDs each from here, within the 16
// bits that WM_COMMAND carries. Controls are told apart by handle, so a repeated ID beyond
// 13,000 rows harms nothing.
constexpr int kFirstRows = 500;
constexpr int kLaterIds = 3000;
// Rows kept made at most, and how far from the view a row must be to be let go.
constexpr int kMostMadeRows = 24;
constexpr int kKeptAround = 4;

QuizState *StateOf(HWND dialog)
{
    return reinterpret_cast<QuizState *>(GetWindowLongPtrW(dialog, DWLP_USER));
}

bool FindControl(QuizState *state, HWND control, int *row, QuizControl *kind);

bool HasStyle(HWND window, DWORD style)
{
    return (GetWindowLongPtrW(window, GWL_STYLE) & style) != 0;
}

// The content is scrolled by this many pixels: the scroll position less its minimum, 1.
int ScrollOffset(HWND dialog)
{
    SCROLLINFO info = {sizeof info, SIF_POS, 0, 0, 0, 1, 0};
    if (!HasStyle(dialog, WS_VSCROLL) || !GetScrollInfo(dialog, SB_VERT, &info))
        return 0;
    return info.nPos - 1;
}

// The whole text of a static as its tooltip, for when the static shows it cut.
void AddTip(HWND tips, HWND dialog, HWND control, const std::wstring &text)
{
    if (!tips || !control)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t *>(text.c_str());
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void RemoveTip(HWND tips, HWND control)
{
    if (!tips)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// F2 in an answer box does what the row's Show button does, and leaves the focus on that button
// (the box goes out of sight); the dialog gets the button's click as from the mouse.
LRESULT CALLBACK AnswerBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == WM_KEYDOWN && wParam == VK_F2) {
        HWND dialog = reinterpret_cast<HWND>(data);
        QuizState *state = StateOf(dialog);
        int row = 0;
        QuizControl kind = QuizLabel;
        if (state && FindControl(state, box, &row, &kind)) {
            HWND show = state->table->rows[row].controls[QuizShow];
            if (show && HasStyle(show, WS_VISIBLE)) {
                SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(show), BN_CLICKED), reinterpret_cast<LPARAM>(show));
                SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(show), TRUE);
            }
        }
        return 0;
    }
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(box, AnswerBoxProc, 0);
    return DefSubclassProc(box, message, wParam, lParam);
}

void MakeRow(HWND dialog, QuizState *state, int r)
{
    QuizRows *table = state->table;
    QuizRow &row = table->rows[r];
    if (row.made)
        return;
    row.made = true;
    // Tab order is window order: the row goes right after the nearest row above it that exists.
    HWND after = HWND_TOP;
    for (int above = r - 1; above >= 0 && after == HWND_TOP; above--) {
        for (int k = QuizControlCount - 1; k >= 0; k--) {
            if (table->rows[above].controls[k]) {
                after = table->rows[above].controls[k];
                break;
            }
        }
    }
    int top = table->firstTop + r * state->rowPitch - ScrollOffset(dialog);
    for (int k = 0; k < QuizControlCount; k++) {
        const ControlTemplate &shape = table->templates[k];
        // The statics show phrases, where "&" is text, never a mnemonic ("R&D" is no "RD" with an
        // underlined D), whatever resource module the templates came from; a phrase too long for
        // its static ends in an ellipsis, and the static answers the mouse so that its tooltip
        // can show it whole. Show is a tab stop, so that the keyboard reaches it.
        bool text = k == QuizLabel || k == QuizAnswer;
        DWORD style = shape.style | (text ? SS_NOPREFIX | SS_ENDELLIPSIS | SS_NOTIFY : 0) | (k == QuizShow ? WS_TABSTOP : 0);
        HWND control = CreateWindowExW(shape.exStyle, kClasses[k], shape.text, style, shape.x, top,
                                       shape.width, shape.height, dialog,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(QuizControlId(r, static_cast<QuizControl>(k)))),
                                       GetResourceModule(), nullptr);
        row.controls[k] = control;
        if (!control)
            continue;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(shape.font), FALSE);
        SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = control;
        // The expected answer holds the target language; the others know their row.
        SetWindowLongPtrW(control, GWLP_USERDATA, k == QuizAnswer ? row.targetLanguage : r + 1);
    }
    SendMessageW(row.controls[QuizLabel], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.asked.c_str()));
    SendMessageW(row.controls[QuizAnswer], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.expected.c_str()));
    AddTip(table->tips, dialog, row.controls[QuizLabel], row.asked);
    AddTip(table->tips, dialog, row.controls[QuizAnswer], row.expected);
    if (row.controls[QuizAnswerBox])
        SetWindowSubclass(row.controls[QuizAnswerBox], AnswerBoxProc, 0, reinterpret_cast<DWORD_PTR>(dialog));
    table->made++;

    // A row made again shows what it showed when it was let go.
    if (row.done || row.peeked) {
        ShowWindow(row.controls[QuizAnswerBox], SW_HIDE);
        ShowWindow(row.controls[QuizAnswer], SW_SHOWNOACTIVATE);
    }
    if (row.done)
        ShowWindow(row.controls[QuizShow], SW_HIDE);
    if (!row.typed.empty()) {
        table->restoring = true;
        SetWindowTextW(row.controls[QuizAnswerBox], row.typed.c_str());
        table->restoring = false;
    }
}

// Lets go of the controls of a row, keeping what the user did with it.
void ReleaseRow(QuizRows *table, int r)
{
    QuizRow &row = table->rows[r];
    HWND box = row.controls[QuizAnswerBox];
    if (box) {
        int length = GetWindowTextLengthW(box);
        std::wstring typed(length + 1, L'\0');
        GetWindowTextW(box, &typed[0], length + 1);
        typed.resize(length);
        row.typed = typed;
        row.peeked = !row.done && !HasStyle(box, WS_VISIBLE);
    }
    for (HWND &control : row.controls) {
        if (control) {
            RemoveTip(table->tips, control);
            DestroyWindow(control);
        }
        control = nullptr;
    }
    row.made = false;
    table->made--;
}

// Once many rows are made, lets go of those far from rows first..last, except the row that has
// the keyboard focus and the one whose answer box had it last: while the window is inactive
// (the wheel scrolls it all the same) nothing of it has the focus, and its row is where the user
// goes on when the window is active again.
void ReleaseFarRows(QuizState *state, int first, int last)
{
    QuizRows *table = state->table;
    if (table->made <= kMostMadeRows)
        return;
    HWND focus = GetFocus();
    for (int r = 0; r < state->rows; r++) {
        QuizRow &row = table->rows[r];
        // The row whose answer is being checked is inside its own notification: it stays.
        if (!row.made || (r >= first - kKeptAround && r <= last + kKeptAround) || r == table->checking ||
            r == table->focusRow)
            continue;
        bool focused = false;
        for (HWND control : row.controls)
            focused = focused || (control && control == focus);
        if (!focused)
            ReleaseRow(table, r);
    }
}

// Makes the rows that are in view, and one more on either side so that the keyboard can move
// on from the rows shown.
void MakeRowsInView(HWND dialog, QuizState *state)
{
    if (state->rows == 0)
        return;
    RECT client;
    GetClientRect(dialog, &client);
    int offset = ScrollOffset(dialog);
    int first = (offset - state->table->firstTop) / state->rowPitch - 1;
    int last = (offset + client.bottom - state->table->firstTop) / state->rowPitch + 1;
    if (first < 0)
        first = 0;
    if (last > state->rows - 1)
        last = state->rows - 1;
    for (int r = first; r <= last; r++)
        MakeRow(dialog, state, r);
    ReleaseFarRows(state, first, last);
}

// Moves the content by dy pixels and makes the rows that come into view.
void MoveContent(HWND dialog, QuizState *state, int dy)
{
    ScrollWindow(dialog, 0, dy, nullptr, nullptr);
    MakeRowsInView(dialog, state);
}

std::wstring CategoryDescription(sqlite3 *db, int categoryId)
{
    wchar_t sql[128];
    std::wstring description;
    sqlite3_stmt *statement = nullptr;
    if (FormatStatement(sql, 128, L"SELECT DESCRIPTION FROM CATEGORY WHERE ID=%d", categoryId) &&
        sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK) {
        if (sqlite3_step(statement) == SQLITE_ROW)
            description = ColumnText(statement, 0);
        sqlite3_finalize(statement);
    }
    return description;
}

QuizRow MakeQuizRow(const QuizState *state, long long phraseId, const std::wstring &source, const std::wstring &target,
                   int targetLanguage)
{
    QuizRow row = {};
    row.phraseId = phraseId;
    row.source = source;
    row.target = target;
    row.asked = QuizLineText(state->reverse ? target : source);
    row.expected = QuizLineText(state->reverse ? source : target);
    row.targetLanguage = targetLanguage;
    return row;
}

// The review's pairs come chosen by what is due: the due pairs are asked first, then the new ones,
// each group in random order, as the quiz asks its rows.
void LoadReviewRows(QuizState *state)
{
    std::vector<QuizRow> &rows = state->table->rows;
    size_t due = 0;
    for (const ReviewPair &pair : *state->review) {
        rows.push_back(MakeQuizRow(state, pair.phraseId, pair.source, pair.target, pair.targetLanguage));
        due += pair.due ? 1 : 0;
    }
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    std::mt19937 random(static_cast<unsigned>(counter.QuadPart ^ GetTickCount()));
    // The pairs come due ones first.
    std::shuffle(rows.begin(), rows.begin() + due, random);
    std::shuffle(rows.begin() + due, rows.end(), random);
}

void LoadRows(QuizState *state)
{
    const ControlTemplate &label = state->table->templates[QuizLabel];
    // A resource module without the label template would give no pitch at all.
    state->rowPitch = std::max(1, label.y + label.height);
    if (state->review) {
        LoadReviewRows(state);
        return;
    }
    wchar_t sql[128];
    sqlite3_stmt *statement = nullptr;
    if (!FormatStatement(sql, 128,
                         L"SELECT ID,SOURCE,TARGET,TLANGUAGEID FROM PHRASE WHERE CATEGORYID=%d ORDER BY RANDOM()",
                         state->categoryId) ||
        sqlite3_prepare16_v2(state->db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::wstring source = ColumnText(statement, 1);
        state->table->rows.push_back(MakeQuizRow(state, sqlite3_column_int64(statement, 0), source,
                                                 ColumnText(statement, 2), sqlite3_column_int(statement, 3)));
    }
    sqlite3_finalize(statement);
}

void SetUpScrollBar(HWND dialog, QuizState *state)
{
    RECT client;
    GetClientRect(dialog, &client);
    int content = state->table->firstTop + state->rows * state->rowPitch;
    if (state->rows > 0 && content > client.bottom) {
        SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 1, content,
                           static_cast<UINT>(client.bottom), 1, 0};
        SetScrollInfo(dialog, SB_VERT, &info, FALSE);
    } else {
        ShowScrollBar(dialog, SB_VERT, FALSE);
    }
}

// The row a control belongs to and which of its controls it is; false for other windows.
bool FindControl(QuizState *state, HWND control, int *row, QuizControl *kind)
{
    if (!state->table || !control)
        return false;
    int r = static_cast<int>(GetWindowLongPtrW(control, GWLP_USERDATA)) - 1;
    if (r < 0 || r >= state->rows)
        return false;
    for (int k = 0; k < QuizControlCount; k++) {
        if (state->table->rows[r].controls[k] == control) {
            *row = r;
            *kind = static_cast<QuizControl>(k);
            return true;
        }
    }
    return false;
}

// Whether the row's answer box is shown, so that it can be typed into and is in the tab order.
bool CanAnswer(const QuizRow &row)
{
    if (row.done)
        return false;
    if (!row.made)
        return !row.peeked;
    return row.controls[QuizAnswerBox] && HasStyle(row.controls[QuizAnswerBox], WS_VISIBLE);
}

// Focus to the first answer box that can be answered going from row r by step (1 or -1) over the
// whole quiz and around, made first when it has not come into view yet; r itself comes last.
// False when no row can be answered.
bool FocusOpenRow(HWND dialog, QuizState *state, int r, int step)
{
    for (int i = 1; i <= state->rows; i++) {
        int next = ((r + i * step) % state->rows + state->rows) % state->rows;
        if (!CanAnswer(state->table->rows[next]))
            continue;
        HWND box = QuizRowControl(dialog, next, QuizAnswerBox);
        if (!box)
            continue;
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
        return true;
    }
    return false;
}

// A review stores each row's first rating at once; a quiz stores nothing. A rating that cannot be
// stored is said, and not tried again: the row's next event would rate it differently.
void RateRow(HWND dialog, QuizState *state, int r, int rating)
{
    QuizRow &row = state->table->rows[r];
    if (!state->review || row.rated)
        return;
    row.rated = true;
    int result = RecordRating(state->db, row.phraseId, row.source, row.target, rating, UnixNow());
    if (result == kPairChanged)
        ShowErrorMessage(dialog, IDS_PAIR_CHANGED);
    else if (result == kForeignReviewTables)
        ShowErrorMessage(dialog, IDS_REVIEW_FOREIGN_TABLES);
    else if (result != SQLITE_OK)
        ShowStoreFailure(dialog, IDS_NOT_RATED, result, true);
}

void CheckAnswer(HWND dialog, QuizState *state, int r)
{
    QuizRow &row = state->table->rows[r];
    if (row.done || state->table->restoring)
        return;
    std::wstring typed = ControlText(row.controls[QuizAnswerBox]);
    std::wstring expected = ControlText(row.controls[QuizAnswer]);
    if (lstrcmpiW(typed.c_str(), expected.c_str()) != 0)
        return;
    // Done before the focus moves on, so that the focus never comes back to it.
    row.done = true;
    state->table->checking = r;
    FocusOpenRow(dialog, state, r, 1);
    state->table->checking = -1;
    ToggleAnswer(dialog, r);
    ShowWindow(row.controls[QuizShow], SW_HIDE);
    state->correct++;
    UpdateQuizTitle(dialog, state);
    RateRow(dialog, state, r, kRatingGood);
    SpeakRowAnswer(state->db, dialog, r);
}

// Scrolls the content so that the answer box is wholly in view.
void ScrollIntoView(HWND dialog, QuizState *state, HWND box)
{
    if (!HasStyle(dialog, WS_VSCROLL))
        return;
    RECT rect, client;
    GetWindowRect(box, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
    GetClientRect(dialog, &client);
    int d = 0;
    if (rect.top < 0)
        d = -rect.top;
    else if (rect.bottom > client.bottom)
        d = client.bottom - rect.bottom;
    if (d == 0)
        return;
    SCROLLINFO info = {sizeof info, SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(dialog, SB_VERT, &info);
    info.nPos -= d;
    SetScrollInfo(dialog, SB_VERT, &info, TRUE);
    MoveContent(dialog, state, d);
}

void OnAnswerBoxFocus(HWND dialog, QuizState *state, int row)
{
    state->table->focusRow = row;
    ScrollIntoView(dialog, state, state->table->rows[row].controls[QuizAnswerBox]);
}

void OnCommand(HWND dialog, QuizState *state, WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return;
    }
    int row = 0;
    QuizControl kind = QuizLabel;
    if (!FindControl(state, reinterpret_cast<HWND>(lParam), &row, &kind))
        return;
    UINT code = HIWORD(wParam);
    if (kind == QuizAnswerBox && code == EN_CHANGE)
        CheckAnswer(dialog, state, row);
    else if (kind == QuizAnswerBox && code == EN_SETFOCUS)
        OnAnswerBoxFocus(dialog, state, row);
    else if (kind == QuizShow) {
        if (!state->table->rows[row].done)
            RateRow(dialog, state, row, kRatingAgain);
        ToggleAnswer(dialog, row);
    }
    else if (kind == QuizSpeak)
        SpeakRowAnswer(state->db, dialog, row);
}

// Tab and Shift+Tab (the dialog manager's WM_NEXTDLGCTL with a direction) go over the rows of the
// whole quiz, not only over those made so far: from the focused row to the next or previous
// row that can be answered, around the ends. A button of a row counts as after its answer box.
// False when the focus is not in a row, to leave the move to the dialog manager.
bool OnNextControl(HWND dialog, QuizState *state, bool backward)
{
    int row = 0;
    QuizControl kind = QuizLabel;
    if (!FindControl(state, GetFocus(), &row, &kind))
        return false;
    // Each row has two stops, its answer box while it can be answered and its Show button until
    // it is answered right, in that order; the stops are gone through over the whole quiz.
    int count = state->rows * 2;
    int at = row * 2 + (kind == QuizAnswerBox ? 0 : 1);
    for (int i = 1; i <= count; i++) {
        int stop = ((at + (backward ? -i : i)) % count + count) % count;
        const QuizRow &candidate = state->table->rows[stop / 2];
        bool open = stop % 2 == 0 ? CanAnswer(candidate) : !candidate.done;
        if (!open)
            continue;
        HWND control = QuizRowControl(dialog, stop / 2, stop % 2 == 0 ? QuizAnswerBox : QuizShow);
        if (!control)
            continue;
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        // A box scrolls itself into view as it gets the focus; a button is scrolled here.
        ScrollIntoView(dialog, state, control);
        return true;
    }
    return true;
}

// Back in the window, the focus goes where the user left it: the row kept for it may have been
// scrolled far away meanwhile, and a button that had the focus may have been let go with its row.
bool OnActivate(HWND dialog, QuizState *state, WPARAM wParam)
{
    if (LOWORD(wParam) == WA_INACTIVE || HIWORD(wParam) || !state->table || state->table->focusRow < 0)
        return false;
    const QuizRow &row = state->table->rows[state->table->focusRow];
    if (!row.made || !CanAnswer(row))
        return false;
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(row.controls[QuizAnswerBox]), TRUE);
    return true;
}

void OnInitDialog(HWND dialog, QuizState *state)
{
    SetTimer(dialog, kClock, kClockMs, nullptr);
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    BuildQuizRows(dialog, state);
    SetDialogIcon(dialog);
    if (state->rows > 0)
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(QuizRowControl(dialog, 0, QuizAnswerBox)), TRUE);
}

}  // namespace

std::wstring QuizLineText(const std::wstring &text)
{
    std::wstring line;
    for (size_t i = 0; i < text.size(); i++) {
        bool lineBreak = text[i] == L'\r' || text[i] == L'\n';
        if (!lineBreak)
            line += text[i];
        else if (i == 0 || (text[i - 1] != L'\r' && text[i - 1] != L'\n'))
            line += L' ';
    }
    return line;
}

int QuizControlId(int row, QuizControl control)
{
    if (row < kFirstRows)
        return kBases[control] + row;
    return kLaterIds + ((row - kFirstRows) * QuizControlCount + control) % (0x10000 - kLaterIds);
}

HWND QuizRowControl(HWND dialog, int row, QuizControl control)
{
    QuizState *state = StateOf(dialog);
    if (!state || !state->table || row < 0 || row >= state->rows)
        return nullptr;
    MakeRow(dialog, state, row);
    return state->table->rows[row].controls[control];
}

void CaptureTemplateControl(HWND dialog, int controlId, ControlTemplate *captured)
{
    *captured = ControlTemplate();
    HWND control = GetDlgItem(dialog, controlId);
    if (!control)
        return;
    GetWindowTextW(control, captured->text, 64);
    captured->style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    captured->exStyle = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_EXSTYLE));
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
    captured->x = rect.left;
    captured->y = rect.top;
    captured->width = rect.right - rect.left;
    captured->height = rect.bottom - rect.top;
    captured->font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    DestroyWindow(control);
}

void BuildQuizRows(HWND dialog, QuizState *state)
{
    state->correct = 0;
    state->elapsed = 0;
    std::wstring description = CategoryDescription(state->db, state->categoryId);
    state->rowPitch = 1;
    if (state->table && state->table->tips)
        DestroyWindow(state->table->tips);
    delete state->table;
    state->table = new QuizRows();
    state->table->checking = -1;
    state->table->focusRow = -1;
    state->table->tips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                         nullptr, nullptr);
    if (state->table->tips)
        SendMessageW(state->table->tips, TTM_SETMAXTIPWIDTH, 0, 600);
    for (int k = 0; k < QuizControlCount; k++)
        CaptureTemplateControl(dialog, kBases[k], &state->table->templates[k]);
    state->table->firstTop = state->table->templates[QuizLabel].y;
    LoadRows(state);
    state->rows = static_cast<int>(state->table->rows.size());
    SetUpScrollBar(dialog, state);

    wchar_t format[64] = {};
    LoadStringW(GetResourceModule(), state->review ? IDS_REVIEW_TITLE : IDS_QUIZ_TITLE, format, 64);
    // The whole description, however long.
    std::vector<wchar_t> title(wcslen(format) + description.size() + 1);
    FormatWithText(title.data(), title.size(), format, description.c_str());
    state->table->baseTitle = title.data();
    state->titleLength = static_cast<int>(state->table->baseTitle.size());
    SetWindowTextW(dialog, state->table->baseTitle.c_str());
    MakeRowsInView(dialog, state);
    UpdateQuizTitle(dialog, state);
}

void UpdateQuizTitle(HWND dialog, QuizState *state)
{
    unsigned elapsed = static_cast<unsigned>(state->elapsed);
    wchar_t suffix[96];
    _snwprintf(suffix, 96, L" (%d / %d) - %.2u:%.2u:%.2u", state->correct, state->rows, elapsed / 3600,
               (elapsed / 60) % 60, elapsed % 60);
    suffix[95] = 0;
    std::wstring title = state->table ? state->table->baseTitle : std::wstring();
    SetWindowTextW(dialog, (title + suffix).c_str());
    if (state->correct >= state->rows)
        KillTimer(dialog, kClock);
}

void ToggleAnswer(HWND dialog, int row)
{
    HWND box = QuizRowControl(dialog, row, QuizAnswerBox);
    HWND answer = QuizRowControl(dialog, row, QuizAnswer);
    if (!box || !answer)
        return;
    bool open = HasStyle(box, WS_VISIBLE);
    ShowWindow(box, open ? SW_HIDE : SW_SHOWNOACTIVATE);
    ShowWindow(answer, open ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void SpeakRowAnswer(sqlite3 *db, HWND dialog, int row)
{
    QuizState *state = StateOf(dialog);
    if (!state || !state->table || row < 0 || row >= state->rows)
        return;
    const QuizRow &phrase = state->table->rows[row];
    // The target as stored, not as the row shows it: its pronunciation is cached under that text.
    std::wstring text = phrase.target.substr(0, 127);
    wchar_t sql[128];
    wchar_t code[128] = {};
    if (FormatStatement(sql, 128, L"SELECT CODE FROM LANGUAGE WHERE ID=%d", phrase.targetLanguage))
        QueryFirstText(db, sql, code, 128);
    RequestPronunciation(code, text.c_str(), true, nullptr);
}

void ScrollQuiz(HWND dialog, int request)
{
    QuizState *state = StateOf(dialog);
    SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    if (!state || !GetScrollInfo(dialog, SB_VERT, &info))
        return;
    int largest = info.nMax - static_cast<int>(info.nPage) + 1;
    int page = static_cast<int>(info.nPage);
    int pos = info.nPos;
    int next = pos;
    switch (request) {
    case SB_LINEUP: next = pos > state->rowPitch ? pos - state->rowPitch : 1; break;
    case SB_LINEDOWN: next = std::min(pos + state->rowPitch, largest); break;
    case SB_PAGEUP: next = pos > page ? pos - page : 1; break;
    case SB_PAGEDOWN: next = std::min(pos + page, largest); break;
    case SB_THUMBTRACK: next = info.nTrackPos; break;
    case SB_TOP: next = info.nMin; break;
    case SB_BOTTOM: next = largest; break;
    default: return;
    }
    if (next == pos)
        return;
    info.fMask = SIF_POS;
    info.nPos = next;
    SetScrollInfo(dialog, SB_VERT, &info, TRUE);
    MoveContent(dialog, state, pos - next);
}

INT_PTR CALLBACK QuizWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        OnInitDialog(dialog, reinterpret_cast<QuizState *>(lParam));
        return FALSE;
    }
    QuizState *state = StateOf(dialog);
    if (!state)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        OnCommand(dialog, state, wParam, lParam);
        break;
    case WM_TIMER:
        if (wParam != kClock)
            return FALSE;
        state->elapsed++;
        UpdateQuizTitle(dialog, state);
        break;
    case WM_VSCROLL:
        ScrollQuiz(dialog, LOWORD(wParam));
        break;
    case WM_MOUSEWHEEL:
        // Only while the window has its scroll bar: rows that all fit never move.
        if (!HasStyle(dialog, WS_VSCROLL))
            break;
        if (GET_WHEEL_DELTA_WPARAM(wParam) != 0)
            ScrollQuiz(dialog, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN);
        break;
    case WM_CTLCOLORSTATIC: {
        // An answer shown with Show, not earned, is drawn in a colour of its own. (The answer static
        // keeps its row's language rather than its row: the made rows are looked through.)
        HWND control = reinterpret_cast<HWND>(lParam);
        bool shown = false;
        if (state->table) {
            for (const QuizRow &row : state->table->rows)
                if (row.made && row.controls[QuizAnswer] == control)
                    shown = !row.done;
        }
        if (!shown)
            return FALSE;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kShownAnswerColor);
        SetBkColor(dc, GetSysColor(COLOR_3DFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
    }
    case WM_HELP: {
        const HELPINFO *help = reinterpret_cast<const HELPINFO *>(lParam);
        int row = 0;
        QuizControl kind = QuizLabel;
        if (help && FindControl(state, static_cast<HWND>(help->hItemHandle), &row, &kind) && kind == QuizAnswerBox)
            SpeakRowAnswer(state->db, dialog, row);
        break;
    }
    case WM_NEXTDLGCTL:
        // A window to go to (lParam set) is the dialog manager's to handle.
        if (lParam || !OnNextControl(dialog, state, wParam != 0))
            return FALSE;
        break;
    case WM_ACTIVATE:
        if (!OnActivate(dialog, state, wParam))
            return FALSE;
        break;
    case WM_DESTROY:
        KillTimer(dialog, kClock);
        delete state->table;
        state->table = nullptr;
        break;
    default:
        return FALSE;
    }
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
    return TRUE;
}
