// The phrase store: a SQLite file with the tables CATEGORY, LANGUAGE and PHRASE, and every
// operation that changes it. All operations take the open connection first, run on the thread
// that owns it, keep no state and report failure only through their result (0 as an id, false).
#pragma once

struct sqlite3;
struct sqlite3_stmt;

// A record's ID as SQLite keeps it: 64 bits, so that a pair another program stored with a large ID
// is never taken for another.
typedef long long RecordId;

// Opens the database at path (only its first 259 characters are used). A missing file is created
// with the three tables and the languages en/English and es/Español. With createNew set the call
// fails when anything exists at the path and leaves it untouched. Returns null when nothing could
// be opened, or a new store could not be written whole (no file is left then); otherwise the
// caller owns the connection and closes it with sqlite3_close.
// An existing file must be a phrase store (IsPhraseStore); any other file is refused with null.
sqlite3 *OpenPhraseStore(const wchar_t *path, bool createNew);

// How long a statement waits for another connection (a second copy of the program, a spreadsheet
// tool, a backup) that holds the file's lock, before it gives up with SQLITE_BUSY.
constexpr int kBusyTimeoutMilliseconds = 10000;

// sqlite3_open16 with the busy timeout set. Returns null, with nothing left open, when the file
// cannot be opened.
sqlite3 *OpenStoreConnection(const wchar_t *path);

// Whether the open database is a phrase store: SQLite can read it and it holds the tables
// CATEGORY, LANGUAGE and PHRASE (other tables of its own do not matter).
bool IsPhraseStore(sqlite3 *db);

// Get-or-create by exact, case-sensitive DESCRIPTION (category) or CODE (language). Return the
// found or new id, or 0 when nothing could be stored. An existing language keeps its description.
RecordId GetOrCreateCategory(sqlite3 *db, const wchar_t *description);
RecordId GetOrCreateLanguage(sqlite3 *db, const wchar_t *code, const wchar_t *description);

// Stores a pair as given (ids of 0 included). Returns the new pair's id or 0; the cause of a
// failure is the connection's (sqlite3_errcode).
RecordId InsertPhrase(sqlite3 *db, RecordId categoryId, RecordId sourceLanguageId, RecordId targetLanguageId,
                      const wchar_t *source, const wchar_t *target);

// Finds a pair of the category with these languages and exactly these texts: found is its ID, 0
// when there is none. False when the store could not be read.
bool FindPhrase(sqlite3 *db, RecordId categoryId, RecordId sourceLanguageId, RecordId targetLanguageId,
                const wchar_t *source, const wchar_t *target, RecordId *found);

// Many pairs stored through one prepared statement with bound values, for an import: each row
// stored is exactly what InsertPhrase stores for the same values. Begin fails (false) when the
// statement cannot be prepared; End must follow a Begin that succeeded.
struct PhraseInserter {
    sqlite3_stmt *statement;
};
bool BeginPhraseInserts(sqlite3 *db, PhraseInserter *inserter);
// The new pair's id or 0.
RecordId InsertPhraseWith(PhraseInserter *inserter, RecordId categoryId, RecordId sourceLanguageId,
                          RecordId targetLanguageId, const wchar_t *source, const wchar_t *target);
void EndPhraseInserts(PhraseInserter *inserter);

// Updates return true when the statement ran to its end (a missing id changes nothing and is
// still true); false when it was not run.
bool UpdatePhrase(sqlite3 *db, RecordId phraseId, RecordId sourceLanguageId, RecordId targetLanguageId,
                  const wchar_t *source, const wchar_t *target);
bool UpdateCategory(sqlite3 *db, RecordId categoryId, const wchar_t *description);
bool UpdateLanguage(sqlite3 *db, RecordId languageId, const wchar_t *code, const wchar_t *description);

// The languages of a pair, each text cut to 127 units.
struct PhraseLanguages {
    wchar_t sourceCode[128];
    wchar_t targetCode[128];
    wchar_t sourceDescription[128];
    wchar_t targetDescription[128];
};

// Reads the languages of a pair. Returns false, leaving languages untouched, when the pair or
// one of its languages does not exist (a language id of 0 included).
bool ReadPhraseLanguages(sqlite3 *db, RecordId phraseId, PhraseLanguages *languages);

// Copies the source and target language codes of a pair into buffers of 128 units (either may be
// null). Leaves them untouched when the pair or one of its languages does not exist.
void GetPhraseLanguageCodes(sqlite3 *db, RecordId phraseId, wchar_t *sourceCode, wchar_t *targetCode);

// Per-row operations, run over the selected rows of a list inside one transaction. Each returns
// false when one of its statements failed (an ID that names no record changes nothing and is
// no failure); the cause is the connection's.
typedef bool (*RowOperation)(sqlite3 *db, RecordId rowId, RecordId extra);
bool DeletePhrase(sqlite3 *db, RecordId phraseId, RecordId unused);
bool DeleteLanguage(sqlite3 *db, RecordId languageId, RecordId unused);   // and every pair using it
bool DeleteCategory(sqlite3 *db, RecordId categoryId, RecordId unused);   // and its pairs
bool MovePhrase(sqlite3 *db, RecordId phraseId, RecordId categoryId);

// Adds a copy of the pair to categoryId (its own category included). False as a row operation.
bool CopyPhrase(sqlite3 *db, RecordId phraseId, RecordId categoryId);

// Exchanges the two sides of every pair of the category, or of the whole store when
// categoryId <= 0. False when the store did not take it (nothing changed: one statement).
bool SwapLanguages(sqlite3 *db, RecordId categoryId);
// The same for the pairs that belong to no existing category.
bool SwapLanguagesOfNoCategory(sqlite3 *db);
