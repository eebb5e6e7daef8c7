// Record operations of the phrase store: get-or-create, insert, update, copy, move, delete, swap.
#include <windows.h>
#include <stdlib.h>

#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "store/text.h"

// Statements that carry only ids are built in a local buffer of this size.
constexpr size_t kIdStatementUnits = 128;

static RecordId LookupId(sqlite3 *db, const wchar_t *sql)
{
    wchar_t id[24];
    QueryFirstText(db, sql, id, 24);
    return id[0] != 0 ? _wtoi64(id) : 0;
}

static RecordId InsertRow(sqlite3 *db, const wchar_t *sql)
{
    if (RunStatement(db, sql) != SQLITE_DONE)
        return 0;
    return sqlite3_last_insert_rowid(db);
}

static bool RunToEnd(sqlite3 *db, const wchar_t *sql)
{
    return RunStatement(db, sql) == SQLITE_DONE;
}

RecordId GetOrCreateCategory(sqlite3 *db, const wchar_t *description)
{
    ScratchBlock block;
    if (!block.statement || !QuoteInto(block.first, description))
        return 0;
    if (!FormatStatement(block.statement, kStatementUnits,
                         L"SELECT ID FROM CATEGORY WHERE DESCRIPTION='%s'", block.first))
        return 0;
    if (RecordId id = LookupId(db, block.statement))
        return id;
    if (!FormatStatement(block.statement, kStatementUnits,
                         L"INSERT INTO CATEGORY (DESCRIPTION) VALUES ('%s')", block.first))
        return 0;
    return InsertRow(db, block.statement);
}

RecordId GetOrCreateLanguage(sqlite3 *db, const wchar_t *code, const wchar_t *description)
{
    ScratchBlock block;
    if (!block.statement || !QuoteInto(block.first, code))
        return 0;
    if (!FormatStatement(block.statement, kStatementUnits,
                         L"SELECT ID FROM LANGUAGE WHERE CODE='%s'", block.first))
        return 0;
    if (RecordId id = LookupId(db, block.statement))
        return id;
    if (!QuoteInto(block.second, description) ||
        !FormatStatement(block.statement, kStatementUnits,
                         L"INSERT INTO LANGUAGE (CODE,DESCRIPTION) VALUES ('%s','%s')",
                         block.first, block.second))
        return 0;
    return InsertRow(db, block.statement);
}

RecordId InsertPhrase(sqlite3 *db, RecordId categoryId, RecordId sourceLanguageId, RecordId targetLanguageId,
                      const wchar_t *source, const wchar_t *target)
{
    ScratchBlock block;
    if (!block.statement || !QuoteInto(block.first, source) || !QuoteInto(block.second, target))
        return 0;
    if (!FormatStatement(block.statement, kStatementUnits,
                         L"INSERT INTO PHRASE (CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET) "
                         L"VALUES (%lld,%lld,%lld,'%s','%s')",
                         categoryId, sourceLanguageId, targetLanguageId, block.first, block.second))
        return 0;
    return InsertRow(db, block.statement);
}

bool BeginPhraseInserts(sqlite3 *db, PhraseInserter *inserter)
{
    inserter->statement = nullptr;
    return sqlite3_prepare16_v2(db,
                                L"INSERT INTO PHRASE (CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET) "
                                L"VALUES (?,?,?,?,?)",
                                -1, &inserter->statement, nullptr) == SQLITE_OK;
}

RecordId InsertPhraseWith(PhraseInserter *inserter, RecordId categoryId, RecordId sourceLanguageId,
                          RecordId targetLanguageId, const wchar_t *source, const wchar_t *target)
{
    sqlite3_stmt *statement = inserter->statement;
    sqlite3_reset(statement);
    bool bound = sqlite3_bind_int64(statement, 1, categoryId) == SQLITE_OK &&
                 sqlite3_bind_int64(statement, 2, sourceLanguageId) == SQLITE_OK &&
                 sqlite3_bind_int64(statement, 3, targetLanguageId) == SQLITE_OK &&
                 sqlite3_bind_text16(statement, 4, source, -1, SQLITE_STATIC) == SQLITE_OK &&
                 sqlite3_bind_text16(statement, 5, target, -1, SQLITE_STATIC) == SQLITE_OK;
    RecordId id = bound && sqlite3_step(statement) == SQLITE_DONE ? sqlite3_last_insert_rowid(sqlite3_db_handle(statement)) : 0;
    sqlite3_clear_bindings(statement);
    return id;
}

void EndPhraseInserts(PhraseInserter *inserter)
{
    sqlite3_finalize(inserter->statement);
    inserter->statement = nullptr;
}

bool UpdatePhrase(sqlite3 *db, RecordId phraseId, RecordId sourceLanguageId, RecordId targetLanguageId,
                  const wchar_t *source, const wchar_t *target)
{
    ScratchBlock block;
    if (!block.statement || !QuoteInto(block.first, source) || !QuoteInto(block.second, target))
        return false;
    if (!FormatStatement(block.statement, kStatementUnits,
                         L"UPDATE PHRASE SET SLANGUAGEID=%lld,TLANGUAGEID=%lld,SOURCE='%s',TARGET='%s' "
                         L"WHERE ID=%lld",
                         sourceLanguageId, targetLanguageId, block.first, block.second, phraseId))
        return false;
    return RunToEnd(db, block.statement);
}

bool UpdateCategory(sqlite3 *db, RecordId categoryId, const wchar_t *description)
{
    ScratchBlock block;
    if (!block.statement || !QuoteInto(block.first, description))
        return false;
    if (!FormatStatement(block.statement, kStatementUnits,
                         L"UPDATE CATEGORY SET DESCRIPTION='%s' WHERE ID=%lld", block.first, categoryId))
        return false;
    return RunToEnd(db, block.statement);
}

bool UpdateLanguage(sqlite3 *db, RecordId languageId, const wchar_t *code, const wchar_t *description)
{
    ScratchBlock block;
    if (!block.statement || !QuoteInto(block.first, code) || !QuoteInto(block.second, description))
        return false;
    if (!FormatStatement(block.statement, kStatementUnits,
                         L"UPDATE LANGUAGE SET CODE='%s',DESCRIPTION='%s' WHERE ID=%lld",
                         block.first, block.second, languageId))
        return false;
    return RunToEnd(db, block.statement);
}

static void CopyColumn(sqlite3_stmt *statement, int column, wchar_t *text)
{
    CopyBounded(text, ColumnText(statement, column), 128);
}

bool ReadPhraseLanguages(sqlite3 *db, RecordId phraseId, PhraseLanguages *languages)
{
    // Each ON names the other join's alias; SQLite applies both terms to the whole inner join,
    // so S is the source language and T the target language.
    wchar_t sql[256];
    if (!FormatStatement(sql, 256,
                         L"SELECT S.CODE,T.CODE,S.DESCRIPTION,T.DESCRIPTION FROM PHRASE P "
                         L"JOIN LANGUAGE S ON P.TLANGUAGEID=T.ID JOIN LANGUAGE T ON P.SLANGUAGEID=S.ID "
                         L"WHERE P.ID=%lld",
                         phraseId))
        return false;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    bool found = sqlite3_step(statement) == SQLITE_ROW;
    if (found) {
        CopyColumn(statement, 0, languages->sourceCode);
        CopyColumn(statement, 1, languages->targetCode);
        CopyColumn(statement, 2, languages->sourceDescription);
        CopyColumn(statement, 3, languages->targetDescription);
    }
    sqlite3_finalize(statement);
    return found;
}

void GetPhraseLanguageCodes(sqlite3 *db, RecordId phraseId, wchar_t *sourceCode, wchar_t *targetCode)
{
    PhraseLanguages languages;
    if (!ReadPhraseLanguages(db, phraseId, &languages))
        return;
    if (sourceCode)
        CopyBounded(sourceCode, languages.sourceCode, 128);
    if (targetCode)
        CopyBounded(targetCode, languages.targetCode, 128);
}

static bool RunIdStatement(sqlite3 *db, const wchar_t *format, RecordId first, RecordId second = 0)
{
    wchar_t sql[kIdStatementUnits];
    return FormatStatement(sql, kIdStatementUnits, format, first, second) && RunToEnd(db, sql);
}

bool DeletePhrase(sqlite3 *db, RecordId phraseId, RecordId)
{
    return RunIdStatement(db, L"DELETE FROM PHRASE WHERE ID=%lld", phraseId);
}

// Inside the caller's transaction, so a statement that fails undoes the ones before it too.
bool DeleteLanguage(sqlite3 *db, RecordId languageId, RecordId)
{
    return RunIdStatement(db, L"DELETE FROM LANGUAGE WHERE ID=%lld", languageId) &&
           RunIdStatement(db, L"DELETE FROM PHRASE WHERE TLANGUAGEID=%lld", languageId) &&
           RunIdStatement(db, L"DELETE FROM PHRASE WHERE SLANGUAGEID=%lld", languageId);
}

bool DeleteCategory(sqlite3 *db, RecordId categoryId, RecordId)
{
    return RunIdStatement(db, L"DELETE FROM CATEGORY WHERE ID=%lld", categoryId) &&
           RunIdStatement(db, L"DELETE FROM PHRASE WHERE CATEGORYID=%lld", categoryId);
}

bool MovePhrase(sqlite3 *db, RecordId phraseId, RecordId categoryId)
{
    return RunIdStatement(db, L"UPDATE PHRASE SET CATEGORYID=%lld WHERE ID=%lld", categoryId, phraseId);
}

bool CopyPhrase(sqlite3 *db, RecordId phraseId, RecordId categoryId)
{
    ScratchBlock block;
    return block.statement &&
           FormatStatement(block.statement, kStatementUnits,
                           L"INSERT INTO PHRASE (CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET) "
                           L"SELECT %lld,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET FROM PHRASE WHERE ID=%lld",
                           categoryId, phraseId) &&
           RunToEnd(db, block.statement);
}

bool SwapLanguages(sqlite3 *db, RecordId categoryId)
{
    // Every right-hand side of an UPDATE reads the row's old values, so the sides are exchanged.
    ScratchBlock block;
    if (!block.statement)
        return false;
    const wchar_t *update = L"UPDATE PHRASE SET SLANGUAGEID=TLANGUAGEID, TLANGUAGEID=SLANGUAGEID, "
                            L"SOURCE=TARGET, TARGET=SOURCE";
    block.first[0] = 0;
    if (categoryId > 0 &&
        !FormatStatement(block.first, kValueUnits, L" WHERE CATEGORYID=%lld", categoryId))
        return false;
    return FormatStatement(block.statement, kStatementUnits, L"%s%s", update, block.first) &&
           RunToEnd(db, block.statement);
}

bool SwapLanguagesOfNoCategory(sqlite3 *db)
{
    return RunToEnd(db, L"UPDATE PHRASE SET SLANGUAGEID=TLANGUAGEID, TLANGUAGEID=SLANGUAGEID, SOURCE=TARGET, "
                        L"TARGET=SOURCE WHERE CATEGORYID IS NULL OR CATEGORYID NOT IN (SELECT ID FROM CATEGORY)");
}

bool FindPhrase(sqlite3 *db, RecordId categoryId, RecordId sourceLanguageId, RecordId targetLanguageId,
                const wchar_t *source, const wchar_t *target, RecordId *found)
{
    *found = 0;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db,
                             L"SELECT ID FROM PHRASE WHERE CATEGORYID=? AND SLANGUAGEID=? AND TLANGUAGEID=? "
                             L"AND SOURCE=? AND TARGET=? LIMIT 1",
                             -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int step = sqlite3_bind_int64(statement, 1, categoryId) == SQLITE_OK &&
                       sqlite3_bind_int64(statement, 2, sourceLanguageId) == SQLITE_OK &&
                       sqlite3_bind_int64(statement, 3, targetLanguageId) == SQLITE_OK &&
                       sqlite3_bind_text16(statement, 4, source, -1, SQLITE_STATIC) == SQLITE_OK &&
                       sqlite3_bind_text16(statement, 5, target, -1, SQLITE_STATIC) == SQLITE_OK
                   ? sqlite3_step(statement)
                   : SQLITE_ERROR;
    if (step == SQLITE_ROW)
        *found = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return step == SQLITE_ROW || step == SQLITE_DONE;
}
