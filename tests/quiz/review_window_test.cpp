// The review in the quiz window, created from the real dialog resource and driven with window
// messages: each rating lands in the store the moment it is earned, and a quiz stores none.
#include "tests/speech/speech_test_support.h"

#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/dialogs.h"
#include "common/settings.h"
#include "quiz/quiz_window.h"
#include "resources/resource_ids.h"
#include "review/review_store.h"
#include "tests/review/stored_rating.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/app/window_fixture.h"

namespace {

const std::wstring kReview = L"\u8907\u7FD2 - ";    // "Review - "

// What the store keeps of one pair's review.
struct Kept {
    bool found;
    double stability, difficulty;
    long long due, last;
    int reps, lapses;
};

Kept KeptOf(sqlite3 *db, int phraseId)
{
    Kept kept = {};
    sqlite3_stmt *statement = nullptr;
    std::string sql = "SELECT STABILITY,DIFFICULTY,DUE,LAST,REPS,LAPSES FROM REVIEW WHERE PHRASEID=" +
                      std::to_string(phraseId);
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return kept;
    if (sqlite3_step(statement) == SQLITE_ROW)
        kept = {true, sqlite3_column_double(statement, 0), sqlite3_column_double(statement, 1),
                sqlite3_column_int64(statement, 2), sqlite3_column_int64(statement, 3),
                sqlite3_column_int(statement, 4), sqlite3_column_int(statement, 5)};
    sqlite3_finalize(statement);
    return kept;
}

// The log's ratings in the order given: "phraseId:rating:elapsed" with elapsed "-" for NULL.
std::vector<std::string> LoggedRatings(sqlite3 *db)
{
    std::vector<std::string> ratings;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT PHRASEID,RATING,ELAPSED IS NULL FROM REVIEWLOG ORDER BY ID", -1,
                           &statement, nullptr) != SQLITE_OK)
        return ratings;
    while (sqlite3_step(statement) == SQLITE_ROW)
        ratings.push_back(std::to_string(sqlite3_column_int(statement, 0)) + ":" +
                          std::to_string(sqlite3_column_int(statement, 1)) + ":" +
                          (sqlite3_column_int(statement, 2) ? "-" : "t"));
    sqlite3_finalize(statement);
    return ratings;
}

bool HasReviewTables(sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM sqlite_master WHERE name IN ('REVIEW','REVIEWLOG')", -1,
                       &statement, nullptr);
    bool any = sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) > 0;
    sqlite3_finalize(statement);
    return any;
}

class ReviewWindowTest : public SpeechTest {
protected:
    sqlite3 *db = nullptr;
    std::vector<ReviewPair> pairs;
    QuizState state = {};
    HWND dialog = nullptr;
    int category = 0;

    void SetUp() override
    {
        SpeechTest::SetUp();
        db = OpenPhraseStore(folder.File(L"Review.db").c_str(), true);
        server.Answer(404, "");
        // 30 new pairs: "texto 00" answered by "palabra 00", and so on.
        category = GetOrCreateCategory(db, L"Palabras");
        RunStatement(db, L"BEGIN");
        for (int i = 0; i < 30; i++) {
            wchar_t source[16], target[16];
            _snwprintf(source, 16, L"texto %02d", i);
            _snwprintf(target, 16, L"palabra %02d", i);
            InsertPhrase(db, category, 1, 2, source, target);
        }
        RunStatement(db, L"COMMIT");
    }
    void TearDown() override
    {
        Close();
        sqlite3_close(db);
        SpeechTest::TearDown();
    }
    void Open(bool review)
    {
        Close();
        state = QuizState();
        state.db = db;
        state.categoryId = category;
        if (review) {
            pairs.clear();
            ASSERT_TRUE(ChooseReviewPairs(db, category, UnixNow(), &pairs));
            state.review = &pairs;
        }
        dialog = CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(IDD_QUIZ), nullptr, QuizWindowProc,
                                    reinterpret_cast<LPARAM>(&state));
        ASSERT_NE(dialog, nullptr);
    }
    void Close()
    {
        if (dialog)
            DestroyWindow(dialog);
        dialog = nullptr;
    }
    std::wstring Text(HWND window)
    {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        return text;
    }
    HWND Control(int row, QuizControl kind) { return QuizRowControl(dialog, row, kind); }
    // The pair row r asks, by its number in "texto NN".
    int Number(int row) { return _wtoi(Text(Control(row, QuizLabel)).c_str() + 6); }
    int PhraseId(int row) { return state.table->rows[row].phraseId; }
    void Type(int row, const std::wstring &text)
    {
        for (wchar_t c : text)
            SendMessageW(Control(row, QuizAnswerBox), WM_CHAR, c, 1);
    }
    void Answer(int row)
    {
        wchar_t target[16];
        _snwprintf(target, 16, L"palabra %02d", Number(row));
        Type(row, target);
    }
    void Click(HWND button)
    {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
};

TEST_F(ReviewWindowTest, EachRatingIsStoredTheMomentItIsEarned)
{
    Open(true);
    ASSERT_EQ(state.rows, 20);
    EXPECT_EQ(Text(dialog), kReview + L"Palabras (0 / 20) - 00:00:00");
    EXPECT_FALSE(HasReviewTables(db)) << "opening the review changes nothing";

    // Typed right without Show: Good, with the first review's stability and difficulty.
    int good = PhraseId(0);
    Answer(0);
    Kept kept = KeptOf(db, good);
    ASSERT_TRUE(kept.found);
    EXPECT_NEAR(kept.stability, 2.3065, 1e-9);
    EXPECT_NEAR(kept.difficulty, 2.118103970459015, 1e-9);
    EXPECT_EQ(kept.due, LearningDayStart(LearningDay(kept.last) + 2))
        << "due when recall falls to 90%, at the start of a learning day";
    EXPECT_EQ(kept.reps, 1);
    EXPECT_EQ(LoggedRatings(db), (std::vector<std::string>{std::to_string(good) + ":3:-"}));

    // Show on a row not yet answered: Again, due at once. Showing it again, hiding it and then
    // typing it right rates nothing more.
    int again = PhraseId(1);
    Click(Control(1, QuizShow));
    kept = KeptOf(db, again);
    ASSERT_TRUE(kept.found);
    EXPECT_NEAR(kept.stability, 0.212, 1e-9);
    EXPECT_NEAR(kept.difficulty, 6.4133, 1e-9);
    EXPECT_EQ(kept.due, LearningDayStart(LearningDay(kept.last))) << "due again today";
    Click(Control(1, QuizShow));
    Click(Control(1, QuizShow));
    Answer(1);
    // F2 in an answer box is the keyboard's Show: Again, stored at once.
    int keyed = PhraseId(3);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(3, QuizAnswerBox)), TRUE);
    SendMessageW(Control(3, QuizAnswerBox), WM_KEYDOWN, VK_F2, 0);
    EXPECT_EQ(GetFocus(), Control(3, QuizShow));
    kept = KeptOf(db, keyed);
    ASSERT_TRUE(kept.found);
    EXPECT_NEAR(kept.stability, 0.212, 1e-9);
    EXPECT_EQ(Text(dialog), kReview + L"Palabras (2 / 20) - 00:00:00");

    // A row answered wrongly, or left alone, is not rated; neither is Show on a row already right.
    int wrong = PhraseId(2);
    Type(2, L"nada");
    Click(Control(0, QuizShow));
    Close();
    EXPECT_EQ(LoggedRatings(db), (std::vector<std::string>{std::to_string(good) + ":3:-", std::to_string(again) + ":1:-",
                                                            std::to_string(keyed) + ":1:-"}));
    EXPECT_FALSE(KeptOf(db, wrong).found);

    // Reopened the same day: the two Again pairs and the day's other 17 new pairs.
    Open(true);
    EXPECT_EQ(state.rows, 19);
    for (int r = 0; r < 2; r++) {
        EXPECT_TRUE(pairs[r].phraseId == again || pairs[r].phraseId == keyed) << "due pairs come first";
        EXPECT_TRUE(PhraseId(r) == again || PhraseId(r) == keyed) << "and are asked first";
    }
    for (const ReviewPair &pair : pairs)
        EXPECT_NE(pair.phraseId, good);
}

TEST_F(ReviewWindowTest, AQuizStoresNothing)
{
    Open(false);
    ASSERT_EQ(state.rows, 30);
    Answer(0);
    Click(Control(1, QuizShow));
    Close();
    EXPECT_FALSE(HasReviewTables(db));
}

// The command in the main window: the review opens on the selected category, or a message says
// when the next pair is due.
class ReviewCommandTest : public MainWindowTest {
protected:
    int category = 0;
    int phrase = 0;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        sqlite3 *db = CreateStore();
        category = GetOrCreateCategory(db, L"Palabras");
        phrase = InsertPhrase(db, category, 1, 2, L"texto", L"palabra");
        sqlite3_close(db);
    }
};

TEST_F(ReviewCommandTest, OpensOnTheDuePairsOrSaysWhenTheNextIsDue)
{
    OpenWindow();
    std::wstring title;
    {
        DialogDriver driver([&](HWND review) {
            wchar_t text[128] = {};
            GetWindowTextW(review, text, 128);
            title = text;
            PostMessageW(review, WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_REVIEW);
    }
    EXPECT_EQ(title, kReview + L"Palabras (0 / 1) - 00:00:00");

    // Rated Good now, the pair is due in two learning days: nothing today, and the message says
    // on which date.
    sqlite3 *db = OpenPhraseStore(dbPath.c_str(), false);
    UnixTime now = UnixNow();
    ASSERT_EQ(RateAsShown(db, phrase, 3, now), SQLITE_OK);
    sqlite3_close(db);
    MessageBoxAnswerer answerer(IDOK);
    Command(IDM_REVIEW);
    ASSERT_EQ(answerer.seen().size(), 1u);
    CalendarDate due = LearningDayDate(LearningDay(now) + 2);
    SYSTEMTIME date = {};
    date.wYear = static_cast<WORD>(due.year);
    date.wMonth = static_cast<WORD>(due.month);
    date.wDay = static_cast<WORD>(due.day);
    wchar_t dateText[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, dateText, 80);
    const std::wstring &said = answerer.seen()[0].text;
    EXPECT_NE(said.find(dateText), std::wstring::npos) << "said: " << std::string(said.begin(), said.end());
}

}  // namespace

namespace {

// A due time beyond what local time knows (a damaged or foreign store) still gives a date.
TEST_F(ReviewCommandTest, ADueTimeFarAwayStillGivesADate)
{
    OpenWindow();
    sqlite3 *db = OpenPhraseStore(dbPath.c_str(), false);
    ASSERT_EQ(RateAsShown(db, phrase, 3, UnixNow()), SQLITE_OK);
    ASSERT_EQ(RunStatement(db, L"UPDATE REVIEW SET DUE=99999999999999"), SQLITE_DONE);
    sqlite3_close(db);
    MessageBoxAnswerer answerer(IDOK);
    Command(IDM_REVIEW);
    ASSERT_EQ(answerer.seen().size(), 1u);
    const std::wstring &said = answerer.seen()[0].text;
    EXPECT_NE(said.find(L"3000"), std::wstring::npos) << "said: " << std::string(said.begin(), said.end());
}

}  // namespace

namespace {

// What the command says instead of opening a review: the day's new pairs are used up by another
// category, or the review tables are another program's. Either way it is one message and no
// review window.
TEST_F(ReviewCommandTest, SaysWhyNoReviewOpens)
{
    sqlite3 *db = OpenPhraseStore(dbPath.c_str(), false);
    int other = GetOrCreateCategory(db, L"Frases");
    UnixTime now = UnixNow();
    for (int i = 0; i < kNewPairsPerDay; i++) {
        std::wstring n = std::to_wstring(i);
        RecordId pair = InsertPhrase(db, other, 1, 2, (L"frase " + n).c_str(), (L"phrase " + n).c_str());
        ASSERT_EQ(RateAsShown(db, pair, 3, now - 1), SQLITE_OK);
    }
    sqlite3_close(db);
    ASSERT_TRUE(WriteSettingDword(kLastCategoryValue, static_cast<DWORD>(category)));
    OpenWindow();
    bool opened = false;
    DialogDriver driver([&](HWND shown) {
        wchar_t title[128] = {};
        GetWindowTextW(shown, title, 128);
        if (std::wstring(title).rfind(kReview, 0) == 0) {
            opened = true;
            PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
        }
    });
    {
        MessageBoxAnswerer answerer(IDOK);
        Command(IDM_REVIEW);
        ASSERT_EQ(answerer.seen().size(), 1u);
        std::wstring said = LoadedString(IDS_NEW_PAIRS_USED_UP);
        EXPECT_EQ(answerer.seen()[0].text.substr(0, said.find(L"%s")), said.substr(0, said.find(L"%s")));
    }
    db = OpenPhraseStore(dbPath.c_str(), false);
    ASSERT_EQ(RunStatement(db, L"DROP TABLE REVIEW"), SQLITE_DONE);
    ASSERT_EQ(RunStatement(db, L"CREATE TABLE REVIEW(PHRASEID INTEGER, STABILITY REAL, DIFFICULTY REAL, DUE INTEGER, "
                               L"LAST INTEGER, REPS INTEGER, LAPSES INTEGER)"),
              SQLITE_DONE);
    sqlite3_close(db);
    {
        MessageBoxAnswerer answerer(IDOK);
        Command(IDM_REVIEW);
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].text, LoadedString(IDS_REVIEW_FOREIGN_TABLES));
    }
    EXPECT_FALSE(opened);
}

}  // namespace
