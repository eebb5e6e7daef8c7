// Categories and languages of a bulk insert, kept in memory by key.
#include "store/known_ids.h"

#include "sqlite3.h"

namespace {

// Reads id and key of every row whose key is a text, lowest id first, keeping the first id of a
// key that several rows share: the row a lookup by "WHERE KEY='...'" finds. NULL and blob keys
// equal no text.
bool ReadKeys(sqlite3 *db, const wchar_t *sql, std::unordered_map<std::wstring, long long> *ids)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return false;
    }
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        const wchar_t *key = static_cast<const wchar_t *>(sqlite3_column_text16(statement, 1));
        int bytes = sqlite3_column_bytes16(statement, 1);
        ids->emplace(std::wstring(key ? key : L"", static_cast<size_t>(bytes) / sizeof(wchar_t)),
                     sqlite3_column_int64(statement, 0));
    }
    sqlite3_finalize(statement);
    return step == SQLITE_DONE;
}

// Runs an insert with its texts bound; the new row's id, or 0.
long long Insert(sqlite3_stmt *statement, const std::wstring &key, const wchar_t *description)
{
    sqlite3_reset(statement);
    bool bound = sqlite3_bind_text16(statement, 1, key.c_str(), -1, SQLITE_STATIC) == SQLITE_OK &&
                 (!description || sqlite3_bind_text16(statement, 2, description, -1, SQLITE_STATIC) == SQLITE_OK);
    long long id = bound && sqlite3_step(statement) == SQLITE_DONE ? sqlite3_last_insert_rowid(sqlite3_db_handle(statement)) : 0;
    sqlite3_clear_bindings(statement);
    return id;
}

// The id kept for key, or the id of a row inserted for it (and kept from then on); 0 when the
// insert failed.
long long FindOrInsert(std::unordered_map<std::wstring, long long> *ids, sqlite3_stmt *insert, const std::wstring &key,
                 const wchar_t *description)
{
    auto found = ids->find(key);
    if (found != ids->end())
        return found->second;
    long long id = Insert(insert, key, description);
    if (id != 0)
        ids->emplace(key, id);
    return id;
}

}  // namespace

bool BeginKnownIds(sqlite3 *db, KnownIds *known)
{
    known->db = db;
    return ReadKeys(db, L"SELECT ID,DESCRIPTION FROM CATEGORY WHERE typeof(DESCRIPTION)='text' ORDER BY ID",
                    &known->categories) &&
           ReadKeys(db, L"SELECT ID,CODE FROM LANGUAGE WHERE typeof(CODE)='text' ORDER BY ID", &known->languages) &&
           sqlite3_prepare16_v2(db, L"INSERT INTO CATEGORY (DESCRIPTION) VALUES (?)", -1, &known->insertCategory,
                                nullptr) == SQLITE_OK &&
           sqlite3_prepare16_v2(db, L"INSERT INTO LANGUAGE (CODE,DESCRIPTION) VALUES (?,?)", -1,
                                &known->insertLanguage, nullptr) == SQLITE_OK;
}

long long KnownCategoryId(KnownIds *known, const std::wstring &description)
{
    return FindOrInsert(&known->categories, known->insertCategory, description, nullptr);
}

long long KnownLanguageId(KnownIds *known, const std::wstring &code, const wchar_t *description)
{
    return FindOrInsert(&known->languages, known->insertLanguage, code, description);
}

void EndKnownIds(KnownIds *known)
{
    sqlite3_finalize(known->insertCategory);
    sqlite3_finalize(known->insertLanguage);
    known->insertCategory = nullptr;
    known->insertLanguage = nullptr;
    known->categories.clear();
    known->languages.clear();
}
