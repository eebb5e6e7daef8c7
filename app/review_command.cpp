#include "app/review_command.h"

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "common/dialogs.h"
#include "quiz/quiz_window.h"
#include "resources/resource_ids.h"
#include "review/review_store.h"

namespace {

// The local date of moment as the user's locale writes it in short. A moment beyond what the C
// runtime's local time knows (after the year 3000, or before 1970), which a damaged or foreign
// store may give, is shown as the nearest date it knows.
std::wstring LocalDateText(UnixTime moment)
{
    constexpr UnixTime kFirst = 2 * 86400, kLast = 32535215999 - 2 * 86400;
    __time64_t seconds = static_cast<__time64_t>(std::min(std::max(moment, kFirst), kLast));
    tm local = {};
    if (_localtime64_s(&local, &seconds) != 0)
        return std::wstring();
    SYSTEMTIME date = {};
    date.wYear = static_cast<WORD>(local.tm_year + 1900);
    date.wMonth = static_cast<WORD>(local.tm_mon + 1);
    date.wDay = static_cast<WORD>(local.tm_mday);
    date.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    wchar_t text[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, 80);
    return text;
}

void SayNothingDue(HWND window, sqlite3 *db, int categoryId, UnixTime now)
{
    UnixTime next = 0;
    if (!NextReviewTime(db, categoryId, now, &next)) {
        ShowErrorMessage(window, IDS_REVIEW_UNREAD);
        return;
    }
    ShowTextMessage(window, next ? IDS_NOTHING_DUE : IDS_NO_REVIEW_PAIRS, LocalDateText(next).c_str());
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
