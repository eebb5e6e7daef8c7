// Prints the phrase store's throughput on a store of 100,000 pairs: inserts inside one
// transaction, category lookups, and one swap of every pair.
#include <windows.h>
#include <stdio.h>

#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"

static double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

int main()
{
    const int kPairs = 100000;
    const int kCategories = 100;
    const int kLookups = 20000;

    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, path);
    wcscat(path, L"lingotrove-bench.db");
    DeleteFileW(path);
    sqlite3 *db = OpenPhraseStore(path, true);
    if (!db) {
        fprintf(stderr, "cannot create the benchmark store\n");
        return 1;
    }
    LARGE_INTEGER t0, t1;

    RunStatement(db, L"BEGIN");
    for (int i = 1; i <= kCategories; i++) {
        wchar_t name[32];
        _snwprintf(name, 32, L"Category %d", i);
        GetOrCreateCategory(db, name);
    }
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < kPairs; i++) {
        wchar_t source[64], target[64];
        _snwprintf(source, 64, L"phrase number %d isn't short", i);
        _snwprintf(target, 64, L"frase n\u00FAmero %d", i);
        InsertPhrase(db, 1 + i % kCategories, 1, 2, source, target);
    }
    RunStatement(db, L"COMMIT");
    QueryPerformanceCounter(&t1);
    double insert = Seconds(t0, t1);
    printf("InsertPhrase (one transaction): %d pairs in %.2f s = %.0f pairs/s\n",
           kPairs, insert, kPairs / insert);

    // Alone, each lookup is its own transaction and takes the file lock; an import runs its
    // lookups inside one transaction.
    for (int inTransaction = 0; inTransaction <= 1; inTransaction++) {
        if (inTransaction)
            RunStatement(db, L"BEGIN");
        QueryPerformanceCounter(&t0);
        for (int i = 0; i < kLookups; i++) {
            wchar_t name[32];
            _snwprintf(name, 32, L"Category %d", 1 + i % kCategories);
            GetOrCreateCategory(db, name);
        }
        QueryPerformanceCounter(&t1);
        if (inTransaction)
            RunStatement(db, L"COMMIT");
        double lookup = Seconds(t0, t1);
        printf("GetOrCreateCategory lookups (%d categories, %s): %d in %.2f s = %.0f lookups/s\n",
               kCategories, inTransaction ? "one transaction" : "each alone", kLookups, lookup,
               kLookups / lookup);
    }

    QueryPerformanceCounter(&t0);
    SwapLanguages(db, 0);
    QueryPerformanceCounter(&t1);
    printf("SwapLanguages over all %d pairs: %.3f s\n", kPairs, Seconds(t0, t1));

    sqlite3_close(db);
    DeleteFileW(path);
    return 0;
}
