// Record operations on a real database file.
#include <windows.h>

#include <gtest/gtest.h>

#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/support/temp_folder.h"

namespace {

class Records : public ::testing::Test {
protected:
    TempFolder folder;
    sqlite3 *db = nullptr;

    void SetUp() override
    {
        db = OpenPhraseStore(folder.File(L"Records.db").c_str(), true);
        ASSERT_NE(db, nullptr);
    }
    void TearDown() override
    {
        SetScratchRefused(false);
        sqlite3_close(db);
    }
    Rows Pairs()
    {
        return QueryRows(db, L"SELECT ID,CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET "
                             L"FROM PHRASE ORDER BY ID");
    }
};

TEST_F(Records, ApostrophesAreStoredOnceAndFoundAgain)
{
    int id = GetOrCreateCategory(db, L"O'Neil's ''quotes''");
    ASSERT_NE(id, 0);
    EXPECT_EQ(GetOrCreateCategory(db, L"O'Neil's ''quotes''"), id);
    EXPECT_EQ(QueryRows(db, L"SELECT DESCRIPTION FROM CATEGORY"), Rows{{L"O'Neil's ''quotes''"}});

    int language = GetOrCreateLanguage(db, L"x'y", L"It's");
    EXPECT_EQ(GetOrCreateLanguage(db, L"x'y", L"other"), language);
    int pair = InsertPhrase(db, id, language, 1, L"don't", L"'");
    UpdatePhrase(db, pair, 1, language, L"can't", L"won't");
    EXPECT_EQ(QueryRows(db, L"SELECT SOURCE,TARGET FROM PHRASE"), (Rows{{L"can't", L"won't"}}));
}

TEST_F(Records, GetOrCreateIsExactAndCaseSensitive)
{
    int food = GetOrCreateCategory(db, L"Food");
    EXPECT_EQ(food, 1);
    EXPECT_EQ(GetOrCreateCategory(db, L"food"), 2);
    EXPECT_EQ(GetOrCreateCategory(db, L"Food "), 3);
    EXPECT_EQ(GetOrCreateCategory(db, L"Food"), food);

    EXPECT_EQ(GetOrCreateLanguage(db, L"en", L"Englisch"), 1);
    EXPECT_EQ(GetOrCreateLanguage(db, L"EN", L"Upper"), 3);
    EXPECT_EQ(QueryRows(db, L"SELECT DESCRIPTION FROM LANGUAGE WHERE ID=1"), Rows{{L"English"}});
}

TEST_F(Records, LongestTextsFullOfApostrophesAreStoredWhole)
{
    std::wstring quotes(259, L'\'');
    std::wstring chinese(259, L'\u5B57');
    int pair = InsertPhrase(db, 0x7FFFFFFF, -2147483647 - 1, 2, quotes.c_str(), quotes.c_str());
    ASSERT_NE(pair, 0);
    EXPECT_EQ(Pairs(), (Rows{{std::to_wstring(pair), L"2147483647", L"-2147483648", L"2",
                              quotes, quotes}}));

    EXPECT_TRUE(UpdatePhrase(db, pair, 1, 2, chinese.c_str(), quotes.c_str()));
    EXPECT_EQ(QueryRows(db, L"SELECT SOURCE,TARGET FROM PHRASE"), (Rows{{chinese, quotes}}));

    int category = GetOrCreateCategory(db, quotes.c_str());
    EXPECT_NE(category, 0);
    EXPECT_EQ(GetOrCreateCategory(db, quotes.c_str()), category);
    EXPECT_TRUE(UpdateLanguage(db, 1, quotes.c_str(), quotes.c_str()));
    EXPECT_EQ(GetOrCreateLanguage(db, quotes.c_str(), L"x"), 1);
}

TEST_F(Records, TextsTooLongForAStatementStoreNothing)
{
    std::wstring huge(600, L'\'');
    EXPECT_EQ(InsertPhrase(db, 0, 1, 2, huge.c_str(), L"x"), 0);
    EXPECT_EQ(GetOrCreateCategory(db, huge.c_str()), 0);
    EXPECT_EQ(GetOrCreateLanguage(db, L"xx", huge.c_str()), 0);
    EXPECT_TRUE(Pairs().empty());
    EXPECT_TRUE(QueryRows(db, L"SELECT * FROM CATEGORY").empty());
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM LANGUAGE"), Rows{{L"2"}});

    int pair = InsertPhrase(db, 0, 1, 2, L"keep", L"me");
    EXPECT_FALSE(UpdatePhrase(db, pair, 2, 1, huge.c_str(), L"lost"));
    EXPECT_EQ(QueryRows(db, L"SELECT SOURCE,TARGET FROM PHRASE"), (Rows{{L"keep", L"me"}}));
}

TEST_F(Records, RefusedScratchBlockLeavesTheDatabaseAlone)
{
    int pair = InsertPhrase(db, 0, 1, 2, L"hello", L"hola");
    int changes = sqlite3_total_changes(db);
    SetScratchRefused(true);
    EXPECT_EQ(GetOrCreateCategory(db, L"Travel"), 0);
    EXPECT_EQ(GetOrCreateLanguage(db, L"de", L"Deutsch"), 0);
    EXPECT_EQ(InsertPhrase(db, 0, 1, 2, L"a", L"b"), 0);
    EXPECT_FALSE(UpdatePhrase(db, pair, 2, 1, L"x", L"y"));
    EXPECT_FALSE(UpdateCategory(db, 1, L"x"));
    EXPECT_FALSE(UpdateLanguage(db, 1, L"x", L"y"));
    CopyPhrase(db, pair, 0);
    SwapLanguages(db, 0);
    EXPECT_EQ(sqlite3_total_changes(db), changes);
    SetScratchRefused(false);
    EXPECT_EQ(Pairs(), (Rows{{std::to_wstring(pair), L"0", L"1", L"2", L"hello", L"hola"}}));
}

// The import's prepared inserts store what InsertPhrase stores, value for value and type for type.
TEST_F(Records, PreparedInsertsStoreWhatInsertPhraseStores)
{
    std::wstring longest(259, L'\'');
    const wchar_t *texts[] = {L"", L"plain", L"O'Neil ''x''", L"  blanks  ", L"line\r\nbreak\ttab", L"123",
                              L"1e5", L"NULL", L"\u4F60\u597D \U0001F600", L"%s %d \\", longest.c_str()};
    PhraseInserter inserter;
    ASSERT_TRUE(BeginPhraseInserts(db, &inserter));
    int n = 0;
    for (const wchar_t *text : texts) {
        n++;
        int byHelper = InsertPhrase(db, n, 0, n + 1, text, L"t");
        int prepared = InsertPhraseWith(&inserter, n, 0, n + 1, text, L"t");
        EXPECT_NE(byHelper, 0);
        EXPECT_EQ(prepared, byHelper + 1);
    }
    EndPhraseInserts(&inserter);
    Rows rows = QueryRows(db, L"SELECT CATEGORYID,typeof(CATEGORYID),SLANGUAGEID,typeof(SLANGUAGEID),TLANGUAGEID,"
                              L"typeof(TLANGUAGEID),hex(SOURCE),typeof(SOURCE),hex(TARGET) FROM PHRASE ORDER BY ID");
    ASSERT_EQ(rows.size(), 2 * std::size(texts));
    for (size_t i = 0; i < rows.size(); i += 2)
        EXPECT_EQ(rows[i], rows[i + 1]) << "pair " << i / 2;
}

TEST_F(Records, UpdatesChangeOnlyTheirColumns)
{
    int travel = GetOrCreateCategory(db, L"Travel");
    int pair = InsertPhrase(db, travel, 1, 2, L"hello", L"hola");
    EXPECT_TRUE(UpdatePhrase(db, pair, 2, 1, L"", L"hi"));
    EXPECT_EQ(Pairs(), (Rows{{std::to_wstring(pair), std::to_wstring(travel), L"2", L"1", L"", L"hi"}}));

    EXPECT_TRUE(UpdateCategory(db, travel, L"Trips"));
    EXPECT_TRUE(UpdateLanguage(db, 2, L"fr", L"Fran\u00E7ais"));
    EXPECT_EQ(QueryRows(db, L"SELECT ID,DESCRIPTION FROM CATEGORY"), (Rows{{L"1", L"Trips"}}));
    EXPECT_EQ(QueryRows(db, L"SELECT CODE,DESCRIPTION FROM LANGUAGE ORDER BY ID"),
              (Rows{{L"en", L"English"}, {L"fr", L"Fran\u00E7ais"}}));

    EXPECT_TRUE(UpdatePhrase(db, 999, 1, 1, L"no", L"row"));
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM PHRASE"), Rows{{L"1"}});
}

TEST_F(Records, DeletingALanguageRemovesItsPairsOnEitherSideInEveryCategory)
{
    int de = GetOrCreateLanguage(db, L"de", L"Deutsch");
    int a = GetOrCreateCategory(db, L"A");
    int b = GetOrCreateCategory(db, L"B");
    InsertPhrase(db, a, de, 1, L"Hallo", L"hello");
    InsertPhrase(db, b, 1, de, L"bye", L"Tsch\u00FCss");
    int kept = InsertPhrase(db, b, 1, 2, L"yes", L"s\u00ED");
    DeleteLanguage(db, de, 0);
    EXPECT_EQ(QueryRows(db, L"SELECT ID FROM PHRASE"), Rows{{std::to_wstring(kept)}});
    EXPECT_EQ(QueryRows(db, L"SELECT CODE FROM LANGUAGE ORDER BY ID"), (Rows{{L"en"}, {L"es"}}));
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM CATEGORY"), Rows{{L"2"}});
}

TEST_F(Records, DeletingACategoryRemovesOnlyItsPairs)
{
    int a = GetOrCreateCategory(db, L"A");
    int b = GetOrCreateCategory(db, L"B");
    InsertPhrase(db, a, 1, 2, L"one", L"uno");
    int kept = InsertPhrase(db, b, 1, 2, L"two", L"dos");
    DeleteCategory(db, a, 0);
    EXPECT_EQ(QueryRows(db, L"SELECT ID FROM CATEGORY"), Rows{{std::to_wstring(b)}});
    EXPECT_EQ(QueryRows(db, L"SELECT ID FROM PHRASE"), Rows{{std::to_wstring(kept)}});
    EXPECT_EQ(QueryRows(db, L"SELECT COUNT(*) FROM LANGUAGE"), Rows{{L"2"}});

    DeletePhrase(db, kept, 0);
    EXPECT_TRUE(Pairs().empty());
    EXPECT_EQ(QueryRows(db, L"SELECT ID FROM CATEGORY"), Rows{{std::to_wstring(b)}});
}

TEST_F(Records, RowOperationsOnMissingIdsChangeNothing)
{
    int a = GetOrCreateCategory(db, L"A");
    InsertPhrase(db, a, 1, 2, L"one", L"uno");
    Rows before = Pairs();
    int changes = sqlite3_total_changes(db);
    RowOperation operations[] = {DeletePhrase, DeleteLanguage, DeleteCategory, MovePhrase};
    for (RowOperation operation : operations)
        operation(db, 77, a);
    CopyPhrase(db, 77, a);
    EXPECT_EQ(Pairs(), before);
    EXPECT_EQ(sqlite3_total_changes(db), changes);
}

TEST_F(Records, MoveAndCopy)
{
    int a = GetOrCreateCategory(db, L"A");
    int b = GetOrCreateCategory(db, L"B");
    int pair = InsertPhrase(db, a, 1, 2, L"one", L"uno");
    MovePhrase(db, pair, b);
    CopyPhrase(db, pair, b);
    CopyPhrase(db, pair, a);
    EXPECT_EQ(Pairs(), (Rows{{L"1", L"2", L"1", L"2", L"one", L"uno"},
                             {L"2", L"2", L"1", L"2", L"one", L"uno"},
                             {L"3", L"1", L"1", L"2", L"one", L"uno"}}));
}

TEST_F(Records, SwapLanguagesByCategoryAndForAll)
{
    int a = GetOrCreateCategory(db, L"A");
    int b = GetOrCreateCategory(db, L"B");
    InsertPhrase(db, a, 1, 2, L"one", L"uno");
    InsertPhrase(db, b, 2, 1, L"dos", L"two");
    InsertPhrase(db, a, 0, 2, L"", L"tres");
    Rows original = Pairs();

    SwapLanguages(db, a);
    EXPECT_EQ(Pairs(), (Rows{{L"1", L"1", L"2", L"1", L"uno", L"one"},
                             {L"2", L"2", L"2", L"1", L"dos", L"two"},
                             {L"3", L"1", L"2", L"0", L"tres", L""}}));
    SwapLanguages(db, a);
    EXPECT_EQ(Pairs(), original);

    SwapLanguages(db, 0);
    EXPECT_EQ(Pairs(), (Rows{{L"1", L"1", L"2", L"1", L"uno", L"one"},
                             {L"2", L"2", L"1", L"2", L"two", L"dos"},
                             {L"3", L"1", L"2", L"0", L"tres", L""}}));
    SwapLanguages(db, -5);
    EXPECT_EQ(Pairs(), original);
}

TEST_F(Records, PhraseLanguageCodesComeFromEachSide)
{
    int de = GetOrCreateLanguage(db, L"de", L"Deutsch");
    int pair = InsertPhrase(db, 0, de, 2, L"Hallo", L"hola");
    wchar_t source[128] = L"?";
    wchar_t target[128] = L"?";
    GetPhraseLanguageCodes(db, pair, source, target);
    EXPECT_STREQ(source, L"de");
    EXPECT_STREQ(target, L"es");

    wchar_t onlyTarget[128] = L"?";
    GetPhraseLanguageCodes(db, pair, nullptr, onlyTarget);
    EXPECT_STREQ(onlyTarget, L"es");

    int noLanguage = InsertPhrase(db, 0, 0, 2, L"x", L"y");
    wcscpy(source, L"untouched");
    wcscpy(target, L"untouched");
    GetPhraseLanguageCodes(db, noLanguage, source, target);
    EXPECT_STREQ(source, L"untouched");
    EXPECT_STREQ(target, L"untouched");
}

}  // namespace

namespace {

// Once another program has stored a record with an ID beyond 32 bits, every record made after it
// gets one too: each is still found, updated and used by its whole ID.
TEST_F(Records, IdsBeyondThirtyTwoBitsAreKeptWhole)
{
    const RecordId big = 4294967296LL + 7;   // 2^32 + 7: cut to 32 bits it would be 7
    ASSERT_EQ(RunStatement(db, L"INSERT INTO CATEGORY VALUES (4294967303,'Far')"), SQLITE_DONE);
    ASSERT_EQ(RunStatement(db, L"INSERT INTO LANGUAGE VALUES (4294967303,'fr','Fran\u00E7ais')"), SQLITE_DONE);
    EXPECT_EQ(GetOrCreateCategory(db, L"Far"), big);
    EXPECT_EQ(GetOrCreateLanguage(db, L"fr", L"x"), big);
    EXPECT_EQ(GetOrCreateCategory(db, L"Next"), big + 1);
    EXPECT_TRUE(UpdateCategory(db, big + 1, L"Renamed"));
    RecordId pair = InsertPhrase(db, big + 1, big, 2, L"oui", L"s\u00ED");
    PhraseInserter inserter = {};
    ASSERT_TRUE(BeginPhraseInserts(db, &inserter));
    RecordId imported = InsertPhraseWith(&inserter, big, big, 2, L"non", L"no");
    EndPhraseInserts(&inserter);
    EXPECT_EQ(imported, pair + 1);
    EXPECT_TRUE(MovePhrase(db, pair, big));
    EXPECT_EQ(QueryRows(db, L"SELECT C.DESCRIPTION,P.SOURCE,P.SLANGUAGEID FROM PHRASE P JOIN CATEGORY C "
                            L"ON C.ID=P.CATEGORYID ORDER BY P.ID"),
              (Rows{{L"Far", L"oui", L"4294967303"}, {L"Far", L"non", L"4294967303"}}));
    EXPECT_EQ(QueryRows(db, L"SELECT ID,DESCRIPTION FROM CATEGORY WHERE ID>4294967303"),
              (Rows{{L"4294967304", L"Renamed"}}));
}

}  // namespace
