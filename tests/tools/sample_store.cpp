// Writes a small phrase store for screenshots and demonstrations: sample_store PATH.
// Prints the id of the category the pictures should show.
#include <windows.h>
#include <stdio.h>

#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    DeleteFileW(argv[1]);
    sqlite3 *db = OpenPhraseStore(argv[1], true);
    if (!db)
        return 1;
    struct Pair { const wchar_t *source, *target; };
    const Pair travel[] = {
        {L"Good morning", L"Buenos d\u00EDas"},
        {L"Where is the station?", L"\u00BFD\u00F3nde est\u00E1 la estaci\u00F3n?"},
        {L"How much does it cost?", L"\u00BFCu\u00E1nto cuesta?"},
        {L"Thank you very much", L"Muchas gracias"},
        {L"I would like a coffee", L"Quisiera un caf\u00E9"},
        {L"The bill, please", L"La cuenta, por favor"},
    };
    RunStatement(db, L"BEGIN");
    GetOrCreateCategory(db, L"\u554F\u5019");                      // greetings
    int shown = GetOrCreateCategory(db, L"\u65C5\u884C");          // travel
    GetOrCreateCategory(db, L"\u98DF\u7269");                      // food
    for (const Pair &pair : travel)
        InsertPhrase(db, shown, 1, 2, pair.source, pair.target);
    RunStatement(db, L"COMMIT");
    sqlite3_close(db);
    printf("%d\n", shown);
    return 0;
}
