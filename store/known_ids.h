// Categories and languages found or created by key during a bulk insert (an import). The keys
// already in the store are read once at the start and the new ones are kept as they are made, so
// finding one costs no query: the tables have no index, and a query for every new key made an
// import of many categories take quadratic time.
// Each id given is the one GetOrCreateCategory / GetOrCreateLanguage would give for the same key
// at that moment: the lowest id of a row whose DESCRIPTION (or CODE) is exactly that text.
// Same thread and transaction as the inserts; nothing else may change the two tables meanwhile.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

struct KnownIds {
    sqlite3 *db = nullptr;
    std::unordered_map<std::wstring, long long> categories;   // DESCRIPTION -> ID
    std::unordered_map<std::wstring, long long> languages;    // CODE -> ID
    sqlite3_stmt *insertCategory = nullptr;
    sqlite3_stmt *insertLanguage = nullptr;
};

// Reads the existing keys and prepares the inserts. False when the store cannot be read; End must
// follow either way.
bool BeginKnownIds(sqlite3 *db, KnownIds *known);

// The id of the category or language with this key, stored first when there is none (a new
// language gets description). 0 when it could not be stored.
long long KnownCategoryId(KnownIds *known, const std::wstring &description);
long long KnownLanguageId(KnownIds *known, const std::wstring &code, const wchar_t *description);

void EndKnownIds(KnownIds *known);

// The pairs of the store during a bulk insert, to tell which rows are there already: the same
// category, languages and both texts, exactly. Only a hash of each pair is kept in memory, with
// its ID; a pair whose hash is known is compared with the store's row by that ID.
struct KnownPairs {
    std::unordered_multimap<std::uint64_t, long long> ids;
    sqlite3_stmt *read = nullptr;
};

// Reads every pair of the store once. False when the store cannot be read; End must follow
// either way.
bool BeginKnownPairs(sqlite3 *db, KnownPairs *pairs);

// Whether the store holds the pair. False when that could not be read.
bool KnownPairHeld(KnownPairs *pairs, long long categoryId, long long sourceLanguageId, long long targetLanguageId,
                   const std::wstring &source, const std::wstring &target, bool *held);

// Notes a pair stored since, so that the same row later in the same file is held too.
void AddKnownPair(KnownPairs *pairs, long long id, long long categoryId, long long sourceLanguageId,
                  long long targetLanguageId, const std::wstring &source, const std::wstring &target);

void EndKnownPairs(KnownPairs *pairs);
