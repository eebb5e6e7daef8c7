// Text helpers: bounded copies, quote doubling, statement formatting, forbidden file-name units.
#include <gtest/gtest.h>

#include <string>

#include "store/statement.h"
#include "store/text.h"

namespace {

TEST(CopyBounded, CopiesAtMostSizeMinusOneUnitsAndTerminates)
{
    struct Case { std::wstring source; size_t size; std::wstring expected; };
    const Case cases[] = {
        {std::wstring(200, L'a'), 128, std::wstring(127, L'a')},
        {L"short", 128, L"short"},
        {L"abc", 4, L"abc"},
        {L"abcd", 4, L"abc"},
        {L"abc", 1, L""},
        {L"", 8, L""},
    };
    for (const Case &c : cases) {
        std::wstring buffer(300, L'#');
        CopyBounded(&buffer[0], c.source.c_str(), c.size);
        EXPECT_EQ(std::wstring(buffer.c_str()), c.expected) << "size " << c.size;
        EXPECT_EQ(buffer[c.size], L'#') << "wrote past size " << c.size;
    }
}

TEST(DoubleQuotes, DoublesEveryApostropheAndNothingElse)
{
    struct Case { const wchar_t *source; const wchar_t *expected; };
    const Case cases[] = {
        {L"", L""},
        {L"plain \"text\"", L"plain \"text\""},
        {L"'", L"''"},
        {L"O'Neil's", L"O''Neil''s"},
        {L"''", L"''''"},
        {L"\u4E2D'\u6587", L"\u4E2D''\u6587"},
    };
    for (const Case &c : cases) {
        wchar_t buffer[32];
        DoubleQuotes(c.source, buffer);
        EXPECT_STREQ(buffer, c.expected);
        EXPECT_EQ(DoubledLength(c.source), wcslen(c.expected));
    }
}

TEST(FormatStatement, FormatsIdsAndTextsAndRefusesToCut)
{
    wchar_t buffer[64];
    ASSERT_TRUE(FormatStatement(buffer, 64, L"SELECT %d,%d,'%s' 100%", -2147483647 - 1, 42, L"x"));
    EXPECT_STREQ(buffer, L"SELECT -2147483648,42,'x' 100%");

    ASSERT_TRUE(FormatStatement(buffer, 6, L"ab%s", L"cde"));
    EXPECT_STREQ(buffer, L"abcde");
    EXPECT_FALSE(FormatStatement(buffer, 5, L"ab%s", L"cde"));
    EXPECT_STREQ(buffer, L"");
    EXPECT_FALSE(FormatStatement(buffer, 3, L"%d", 1234));
    EXPECT_STREQ(buffer, L"");
}

TEST(IsForbiddenFileNameChar, FindsExactlyTheNineCharactersOverAllUnits)
{
    const std::wstring forbidden = L"\"*/:<>?\\|";
    for (unsigned unit = 0; unit <= 0xFFFF; unit++) {
        bool expected = forbidden.find(static_cast<wchar_t>(unit)) != std::wstring::npos;
        ASSERT_EQ(IsForbiddenFileNameChar(static_cast<wchar_t>(unit), 0, 8), expected)
            << "unit " << unit;
    }
}

TEST(IsForbiddenFileNameChar, SearchesOnlyTheGivenIndexRange)
{
    const std::wstring table = L"\"*/:<>?\\|";
    for (int first = 0; first <= 8; first++)
        for (int last = first - 1; last <= 8; last++)
            for (int index = 0; index <= 8; index++)
                EXPECT_EQ(IsForbiddenFileNameChar(table[index], first, last),
                          index >= first && index <= last)
                    << first << ".." << last << " index " << index;
}

}  // namespace
