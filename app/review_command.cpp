#include "app/review_command.h"

#include <string>
#include <vector>

#include "common/dialogs.h"
#include "quiz/quiz_window.h"
#include "resources/resource_ids.h"
#include "review/review_store.h"
#include "sqlite3.h"
#include "store/store_failure.h"

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

// Why the pairs to review could not be read.
void ReportReviewUnread(HWND window, int cause)
{
    if (cause == kForeignReviewTables)
        ShowErrorMessage(window, IDS_REVIEW_FOREIGN_TABLES);
    else
        ShowStoreFailure(window, IDS_REVIEW_UNREAD, cause, false);
}

void SayNothingDue(HWND window, sqlite3 *db, int categoryId, UnixTime now)
{
    UnixTime next = 0;
    int cause = SQLITE_OK;
    bool newWaiting = false;
    if (!NextReviewTime(db, categoryId, now, &next, &cause, &newWaiting)) {
        ReportReviewUnread(window, cause);
        return;
    }
    // New pairs left while nothing is offered: the day's new pairs are used up, whichever
    // categories they came from.
    UINT said = !next ? IDS_NO_REVIEW_PAIRS : newWaiting ? IDS_NEW_PAIRS_USED_UP : IDS_NOTHING_DUE;
    ShowTextMessage(window, said, LearningDateText(next).c_str());
}

}  // namespace

void RunReview(HWND window, sqlite3 *db, int categoryId)
{
    // A store with one review table left gets the other before anything is read; foreign
    // tables stop the review here.
    if (RepairReviewTables(db) == kForeignReviewTables) {
        ShowErrorMessage(window, IDS_REVIEW_FOREIGN_TABLES);
        return;
    }
    UnixTime now = UnixNow();
    std::vector<ReviewPair> pairs;
    int cause = SQLITE_OK;
    if (!ChooseReviewPairs(db, categoryId, now, &pairs, &cause)) {
        ReportReviewUnread(window, cause);
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
