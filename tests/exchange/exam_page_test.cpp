// Exam page files: the template halves, the words array, file names.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "exchange/exam_page.h"
#include "resources/resource_ids.h"
#include "speech/file_names.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/support/temp_folder.h"

namespace {

std::string Template()
{
    HMODULE program = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(IDR_EXAM_PAGE), RT_RCDATA);
    const char *bytes = static_cast<const char *>(LockResource(LoadResource(program, found)));
    return std::string(bytes, SizeofResource(program, found));
}

// The page a words array gives.
std::string Page(const std::string &words)
{
    std::string page = Template();
    size_t marker = page.find('~');
    return page.substr(0, marker) + words + page.substr(marker + 1);
}

class ExamPageTest : public ::testing::Test {
protected:
    TempFolder folder;
    sqlite3 *db = nullptr;
    std::wstring page = folder.File(L"page.htm");
    int saludos = 0, viaje = 0;

    void SetUp() override
    {
        db = OpenPhraseStore(folder.File(L"exam.db").c_str(), true);
        viaje = GetOrCreateCategory(db, L"Viaje");
        saludos = GetOrCreateCategory(db, L"Saludos");
        InsertPhrase(db, saludos, 1, 2, L"hello", L"hola");
        InsertPhrase(db, viaje, 1, 2, L"ticket", L"billete");
        InsertPhrase(db, saludos, 1, 2, L"good morning", L"buenos d\u00EDas");
    }
    void TearDown() override { sqlite3_close(db); }
};

TEST(ExamPageTemplate, IsAsciiWithCrLfAndOneMarkerAfterTheWordsLine)
{
    std::string page = Template();
    ASSERT_GT(page.size(), 1000u);
    EXPECT_EQ(std::count(page.begin(), page.end(), '~'), 1);
    EXPECT_NE(page.find("var words=[\r\n~];\r\n"), std::string::npos);
    for (size_t i = 0; i < page.size(); i++) {
        ASSERT_LT(static_cast<unsigned char>(page[i]), 0x80u) << "at " << i;
        if (page[i] == '\n') {
            ASSERT_EQ(page[i - 1], '\r') << "at " << i;
        }
    }
    EXPECT_EQ(page.compare(0, 15, "<!DOCTYPE html>"), 0);
}

TEST_F(ExamPageTest, WordsArrayHasACategoryEntryBeforeEachCategorysPairs)
{
    ASSERT_TRUE(WriteExamPage(db, 0, false, page));
    EXPECT_EQ(ReadFileBytes(page), Page("\"-Saludos\"\r\n"
                                        ",\"good morning\",\"buenos d\xC3\xAD" "as\"\r\n"
                                        ",\"hello\",\"hola\"\r\n"
                                        ",\"-Viaje\"\r\n"
                                        ",\"ticket\",\"billete\"\r\n"));

    ASSERT_TRUE(WriteExamPage(db, saludos, true, page));
    EXPECT_EQ(ReadFileBytes(page), Page("\"-Saludos\"\r\n"
                                        ",\"buenos d\xC3\xAD" "as\",\"good morning\"\r\n"
                                        ",\"hola\",\"hello\"\r\n"));

    int empty = GetOrCreateCategory(db, L"Empty");
    for (int category : {empty, -1}) {
        ASSERT_TRUE(WriteExamPage(db, category, false, page));
        EXPECT_EQ(ReadFileBytes(page), Page(""));
    }

    // Pairs of no existing category (0, or an id that names none) come first in the page of all
    // categories, under a heading without a description.
    InsertPhrase(db, 0, 1, 2, L"first", L"primero");
    InsertPhrase(db, 404, 1, 2, L"lost", L"perdido");
    ASSERT_TRUE(WriteExamPage(db, 0, false, page));
    EXPECT_EQ(ReadFileBytes(page), Page("\"-\"\r\n"
                                        ",\"first\",\"primero\"\r\n"
                                        ",\"lost\",\"perdido\"\r\n"
                                        ",\"-Saludos\"\r\n"
                                        ",\"good morning\",\"buenos d\xC3\xAD" "as\"\r\n"
                                        ",\"hello\",\"hola\"\r\n"
                                        ",\"-Viaje\"\r\n"
                                        ",\"ticket\",\"billete\"\r\n"));
}

TEST_F(ExamPageTest, CategoriesSharingADescriptionStartARunAtEveryChange)
{
    RunStatement(db, L"INSERT INTO CATEGORY (ID,DESCRIPTION) VALUES (10,'Same')");
    RunStatement(db, L"INSERT INTO CATEGORY (ID,DESCRIPTION) VALUES (11,'Same')");
    InsertPhrase(db, 10, 1, 2, L"a1", L"x");
    InsertPhrase(db, 11, 1, 2, L"b1", L"y");
    InsertPhrase(db, 10, 1, 2, L"c1", L"z");
    ASSERT_TRUE(WriteExamPage(db, 0, false, page));
    std::string written = ReadFileBytes(page);
    EXPECT_NE(written.find(",\"-Same\"\r\n,\"a1\",\"x\"\r\n,\"-Same\"\r\n,\"b1\",\"y\"\r\n"
                           ",\"-Same\"\r\n,\"c1\",\"z\"\r\n,\"-Viaje\""),
              std::string::npos);
}

TEST_F(ExamPageTest, TextsAreWrittenAsSafeStringLiterals)
{
    int tricky = GetOrCreateCategory(db, L"A \"quoted\" \\ category");
    std::wstring longText(1000, L'\u5B57');
    InsertPhrase(db, tricky, 1, 2, L"</script><script>alert(1)</script>", L"line\r\nbreak\u2028\u2029");
    InsertPhrase(db, tricky, 1, 2, longText.c_str(), L"\U0001F600");
    ASSERT_EQ(tricky, 3);
    RunStatement(db, L"INSERT INTO PHRASE (CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET) VALUES (3,1,2,'zz',NULL)");
    ASSERT_TRUE(WriteExamPage(db, tricky, false, page));
    // The store sorts UTF-16 text by its bytes: "<" (3C 00), then U+5B57 (57 5B), then "z" (7A 00).
    std::string longUtf8;
    for (int i = 0; i < 1000; i++)
        longUtf8 += "\xE5\xAD\x97";
    EXPECT_EQ(ReadFileBytes(page),
              Page("\"-A \\\"quoted\\\" \\\\ category\"\r\n"
                   ",\"\\u003C/script>\\u003Cscript>alert(1)\\u003C/script>\",\"line\\r\\nbreak\\u2028\\u2029\"\r\n"
                   ",\"" + longUtf8 + "\",\"\xF0\x9F\x98\x80\"\r\n"
                   ",\"zz\",\"\"\r\n"));
}

TEST(EscapeFileName, WritesForbiddenCharactersAsPercentCodes)
{
    struct Case { std::wstring text, escaped; };
    const Case cases[] = {
        {L"A/B", L"A%2FB"},
        {L"\"*/:<>?\\|", L"%22%2A%2F%3A%3C%3E%3F%5C%7C"},
        {L"50% d\u00EDas \u65C5\u884C\t.", L"50% d\u00EDas \u65C5\u884C\t."},
        {std::wstring(300, L'a'), std::wstring(259, L'a')},
        {std::wstring(259, L'?'), [] { std::wstring s; for (int i = 0; i < 259; i++) s += L"%3F"; return s; }()},
    };
    for (const Case &c : cases) {
        std::wstring buffer = c.text;
        buffer.resize(3 * 260, L'\0');
        EscapeFileName(&buffer[0]);
        EXPECT_EQ(std::wstring(buffer.c_str()), c.escaped);
    }
}

TEST(ExamPagePath, KeepsTheExtensionWhenTheNameMustBeShortened)
{
    EXPECT_EQ(ExamPagePath(L"C:\\pages\\", L"Verbs/Nouns"), L"C:\\pages\\Verbs%2FNouns.htm");
    std::wstring folder = L"C:\\" + std::wstring(200, L'f') + L"\\";
    std::wstring path = ExamPagePath(folder.c_str(), std::wstring(100, L'?').c_str());
    EXPECT_EQ(path.size(), 259u);
    EXPECT_EQ(path.substr(path.size() - 4), L".htm");
    EXPECT_EQ(path.compare(0, folder.size(), folder), 0);
    std::wstring emoji = ExamPagePath(folder.c_str(), (std::wstring(49, L'e') + L"\U0001F600\U0001F600").c_str());
    EXPECT_FALSE(IS_HIGH_SURROGATE(emoji[emoji.size() - 5])) << "no half character before .htm";
    EXPECT_EQ(ExamPagePath((L"C:\\" + std::wstring(260, L'f') + L"\\").c_str(), L"x"), L"");
    EXPECT_EQ(ExamPagePath(folder.c_str(), L"Con"), folder + L"%43on.htm") << "not the console device";
    EXPECT_EQ(ExamPagePath(folder.c_str(), L"aux.x"), folder + L"%61ux.x.htm");
}

TEST_F(ExamPageTest, OnePagePerCategoryIntoAFolder)
{
    int slash = GetOrCreateCategory(db, L"Verbs/Nouns");
    InsertPhrase(db, slash, 1, 2, L"run", L"correr");
    GetOrCreateCategory(db, L"Empty");
    std::wstring pages = folder.File(L"pages\\");
    CreateDirectoryW(pages.c_str(), nullptr);
    EXPECT_TRUE(WriteExamPagesToFolder(db, pages.c_str(), false));
    EXPECT_EQ(ReadFileBytes(pages + L"Verbs%2FNouns.htm"), Page("\"-Verbs/Nouns\"\r\n,\"run\",\"correr\"\r\n"));
    EXPECT_EQ(ReadFileBytes(pages + L"Viaje.htm"), Page("\"-Viaje\"\r\n,\"ticket\",\"billete\"\r\n"));
    EXPECT_EQ(ReadFileBytes(pages + L"Empty.htm"), Page(""));
    EXPECT_TRUE(FileExists(pages + L"Saludos.htm"));
}

}  // namespace
