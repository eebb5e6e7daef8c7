// The quiz window (dialog resource 5): an exam on the phrases of one category, one row per
// phrase in random order, with typed answers, a running clock in the title and spoken answers.
// Main thread only; the main window runs it modally with a QuizState as creation parameter.
//
// Rows are made as they come into view and let go again (their state kept) once far from it: a
// category of thousands of phrases opens at once, and the windows in use stay a few hundred rows'
// worth, well within what Windows allows a process. Row r's controls keep the IDs 10 + r (asked text),
// 510 + r (answer box), 1010 + r (Show), 1510 + r (Speak) and 2010 + r (expected answer) for the
// first 500 rows; later rows take five IDs each from 3000 on (QuizControlId).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "review/review_store.h"

struct sqlite3;

// What is kept of one template control of the dialog resource.
struct ControlTemplate {
    int x, y, width, height;    // client coordinates of the dialog, pixels
    DWORD style, exStyle;
    HFONT font;
    wchar_t text[64];
};

// Index of the five controls of a row, in creation and tab order.
enum QuizControl { QuizLabel, QuizAnswerBox, QuizShow, QuizSpeak, QuizAnswer, QuizControlCount };

struct QuizRow {
    long long phraseId;             // the pair asked, for the review's ratings
    std::wstring asked, expected;   // as shown: line breaks made spaces (QuizLineText)
    std::wstring source;            // the SOURCE text as stored, which a rating checks
    std::wstring target;            // the TARGET text as stored, which is what is spoken
    int targetLanguage;             // TLANGUAGEID of the phrase
    HWND controls[QuizControlCount];// null while the row is out of view
    bool made;                      // the controls have been created (one may have failed)
    bool done;                      // answered correctly
    bool peeked;                    // the answer was shown with Show (kept while the row is away)
    std::wstring typed;             // the answer box's text (kept while the row is away)
    bool rated;                     // the review has stored its rating
};

// The rows of an open quiz window and what they are made from. Owned by the window.
struct QuizRows {
    ControlTemplate templates[QuizControlCount];
    std::vector<QuizRow> rows;
    std::wstring baseTitle;
    int firstTop;                   // the first row's top in content coordinates
    int made;                       // rows whose controls exist
    bool restoring;                 // a row's typed text is being put back, not typed
    int checking;                   // the row whose answer is being checked, or -1
    int focusRow;                   // the row whose answer box last had the focus, or -1
    HWND tips;                      // the tooltips that show the statics' texts whole
};

struct QuizState {
    sqlite3 *db;                    // the open phrase store; never closed here
    int categoryId;                 // 0 when no category is selected
    int rowPitch;                   // pixels between rows, also the line step of scrolling
    int titleLength;                // length of the base title, where the counter starts
    int rows;
    int correct;
    int elapsed;                    // seconds counted by the clock
    int reverse;                    // 0: the source is asked; 1: the target is asked
    // The daily review's pairs, or null for a quiz on the whole category. A review stores a rating
    // the moment a row earns it: Good when typed right without Show, Again when shown first.
    const std::vector<ReviewPair> *review;
    QuizRows *table;                // set by the window for its life
};

INT_PTR CALLBACK QuizWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The ID of one control of row r.
int QuizControlId(int row, QuizControl control);

// Captures a template control of the dialog and destroys it.
void CaptureTemplateControl(HWND dialog, int controlId, ControlTemplate *captured);
void BuildQuizRows(HWND dialog, QuizState *state);
void UpdateQuizTitle(HWND dialog, QuizState *state);
void ToggleAnswer(HWND dialog, int row);
// Says row r's TARGET text (the asked text in reverse mode, the answer otherwise), as stored.
void SpeakRowAnswer(sqlite3 *db, HWND dialog, int row);
void ScrollQuiz(HWND dialog, int request);

// A phrase's text as a one-line row shows it and the answer box takes it: each run of CR and LF
// becomes one space.
std::wstring QuizLineText(const std::wstring &text);

// The controls of row r, made first when the row has not come into view yet. Null when r is out
// of range.
HWND QuizRowControl(HWND dialog, int row, QuizControl control);
