// Writes the exam pages the browser tests open: exam_page_fixture FOLDER.
// FOLDER\page.htm holds two categories of pairs and one pair that tries to run a script;
// FOLDER\empty.htm has no pairs; FOLDER\dash.htm has texts that start with "-" or "\".
#include <windows.h>

#include <string>

#include "exchange/exam_page.h"
#include "sqlite3.h"
#include "store/phrase_store.h"

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    std::wstring folder = argv[1];
    std::wstring store = folder + L"\\exam.db";
    DeleteFileW(store.c_str());
    sqlite3 *db = OpenPhraseStore(store.c_str(), true);
    if (!db)
        return 1;
    int saludos = GetOrCreateCategory(db, L"Saludos");
    int peligro = GetOrCreateCategory(db, L"Peligro");
    InsertPhrase(db, saludos, 1, 2, L"hello", L"hola");
    InsertPhrase(db, saludos, 1, 2, L"good morning", L"buenos d\u00EDas");
    InsertPhrase(db, saludos, 1, 2, L"thank you", L"gracias");
    InsertPhrase(db, peligro, 1, 2, L"</script><script>window.hacked=1</script>", L"say \"hi\" \\ bye");
    bool written = WriteExamPage(db, 0, false, folder + L"\\page.htm") &&
                   WriteExamPage(db, -1, false, folder + L"\\empty.htm");
    int sufijos = GetOrCreateCategory(db, L"Sufijos");
    InsertPhrase(db, sufijos, 2, 1, L"-ito", L"-let");
    InsertPhrase(db, sufijos, 2, 1, L"\\n", L"-\\");
    InsertPhrase(db, sufijos, 2, 1, L"mente", L"-ly");
    written = written && WriteExamPage(db, sufijos, false, folder + L"\\dash.htm");
    sqlite3_close(db);
    return written ? 0 : 1;
}
