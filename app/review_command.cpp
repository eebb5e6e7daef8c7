#include "app/review_command.h"

#include <string>
#include <vector>

#include "common/dialogs.h"
#include "quiz/quiz_window.h"
#include "resources/resource_ids.h"
#include "review/review_store.h"

namespace {

// The date of the learning day holding moment, as the user's locale writes it in short.
std::wstring LearningDateText(UnixTime moment)
{
    CalendarDate date = LearningDayDate(LearningDay(moment));
    SYSTEMTIME day = {};
    day.wYear = static_cast<WORD>(date.year);
    day.wMonth = static_cast<WORD>(date.month);
    day.wDay = static_cast<WORD>(date.day);
    wchar_t text[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &day, nullptr, text, 80);
    return text;
}

void SayNothingDue(HWND window, sqlite3 *db, int categoryId, UnixTime now)
{
    UnixTime next = 0;
    if (!NextReviewTime(db, categoryId, now, &next)) {
        ShowErrorMessage(window, IDS_REVIEW_UNREAD);
        return;
    }
    ShowTextMessage(window, next ? IDS_NOTHING_DUE : IDS_NO_REVIEW_PAIRS, LearningDateText(next).c_str());
}

}  // namespace

void RunReview(HWND window, sqlite3 *db, int categoryId)
{
    UnixTime now = UnixNow();
    std::vector<ReviewPair> pairs;
    if (!ChooseReviewPairs(db, categoryId, now, &pairs)) {
        ShowErrorMessage(window, IDS_REVIEW_UNREAD);
        return;
    }
    if (pairs.empty()) {
        SayNothingDue(window, db, categoryId, now);
        return;
    }
    QuizState review = {};
    review.db = db;
    review.categoryId = categoryId;
    review.review = &pairs;
    DialogBoxParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_QUIZ), window, QuizWindowProc,
                    reinterpret_cast<LPARAM>(&review));
}
