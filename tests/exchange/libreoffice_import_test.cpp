// A workbook saved by LibreOffice (its "MS Excel 2003 XML" filter, from libreoffice/book.csv) is
// imported: LibreOffice writes some elements with the ss: prefix, which are read, and leaves empty
// cells out, so rows with an empty cell have fewer than five cells and are skipped.
// libreoffice/run.sh converts the file and passes its path in LIBREOFFICE_BOOK.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include "exchange/workbook.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(LibreOffice, SavedWorkbookImportsEveryFullRow)
{
    const wchar_t *book = _wgetenv(L"LIBREOFFICE_BOOK");
    ASSERT_NE(book, nullptr) << "run through libreoffice/run.sh";
    TempFolder folder;
    sqlite3 *db = OpenPhraseStore(folder.File(L"imported.db").c_str(), true);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(ImportWorkbookFile(db, book), 5);
    EXPECT_EQ(QueryRows(db, L"SELECT C.DESCRIPTION,P.SOURCE,P.TARGET,S.CODE,T.CODE FROM PHRASE P "
                            L"JOIN CATEGORY C ON C.ID=P.CATEGORYID JOIN LANGUAGE S ON S.ID=P.SLANGUAGEID "
                            L"JOIN LANGUAGE T ON T.ID=P.TLANGUAGEID ORDER BY P.ID"),
              (Rows{{L"Saludos", L"hello", L"hola", L"en", L"es"},
                    {L"Viaje & <m\u00E1s>", L"say \"hi\"", L"\u4F60\u597D \U0001F600", L"en", L"zh"},
                    {L"N\u00FAmeros", L"123", L"0042", L"en", L"es"},
                    {L"multi\nline", L"a  b ", L"c", L"en", L"es"},
                    {L"O'Neil", L"it's", L"es", L"en", L"es"}}));
    sqlite3_close(db);
}

}  // namespace
