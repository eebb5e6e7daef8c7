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

namespace {

// FNV-1a over the pair's values; a text is hashed with its length, so no two pairs' values run
// into each other.
struct PairHash {
    std::uint64_t value = 14695981039346656037ULL;

    void Add(const void *bytes, size_t size)
    {
        const unsigned char *byte = static_cast<const unsigned char *>(bytes);
        for (size_t i = 0; i < size; i++)
            value = (value ^ byte[i]) * 1099511628211ULL;
    }
    void AddNumber(long long number) { Add(&number, sizeof number); }
    void AddText(const wchar_t *text, size_t length)
    {
        AddNumber(static_cast<long long>(length));
        Add(text, length * sizeof(wchar_t));
    }
};

std::uint64_t HashOf(long long categoryId, long long sourceLanguageId, long long targetLanguageId, const wchar_t *source,
                     size_t sourceLength, const wchar_t *target, size_t targetLength)
{
    PairHash hash;
    hash.AddNumber(categoryId);
    hash.AddNumber(sourceLanguageId);
    hash.AddNumber(targetLanguageId);
    hash.AddText(source, sourceLength);
    hash.AddText(target, targetLength);
    return hash.value;
}

// A column as the text it holds; false for NULL or a blob, which equal no text.
bool ColumnAsText(sqlite3_stmt *statement, int column, const wchar_t **text, size_t *length)
{
    int type = sqlite3_column_type(statement, column);
    if (type == SQLITE_NULL || type == SQLITE_BLOB)
        return false;
    const void *value = sqlite3_column_text16(statement, column);
    *text = value ? static_cast<const wchar_t *>(value) : L"";
    *length = static_cast<size_t>(sqlite3_column_bytes16(statement, column)) / sizeof(wchar_t);
    return true;
}

}  // namespace

bool BeginKnownPairs(sqlite3 *db, KnownPairs *pairs)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, L"SELECT ID,CATEGORYID,SLANGUAGEID,TLANGUAGEID,SOURCE,TARGET FROM PHRASE", -1,
                             &statement, nullptr) != SQLITE_OK)
        return false;
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        const wchar_t *source = nullptr, *target = nullptr;
        size_t sourceLength = 0, targetLength = 0;
        if (!ColumnAsText(statement, 4, &source, &sourceLength) || !ColumnAsText(statement, 5, &target, &targetLength))
            continue;
        pairs->ids.emplace(HashOf(sqlite3_column_int64(statement, 1), sqlite3_column_int64(statement, 2),
                                  sqlite3_column_int64(statement, 3), source, sourceLength, target, targetLength),
                           sqlite3_column_int64(statement, 0));
    }
    sqlite3_finalize(statement);
    return step == SQLITE_DONE &&
           sqlite3_prepare16_v2(db,
                                L"SELECT 1 FROM PHRASE WHERE ID=? AND CATEGORYID=? AND SLANGUAGEID=? AND TLANGUAGEID=? "
                                L"AND SOURCE=? AND TARGET=?",
                                -1, &pairs->read, nullptr) == SQLITE_OK;
}

bool KnownPairHeld(KnownPairs *pairs, long long categoryId, long long sourceLanguageId, long long targetLanguageId,
                   const std::wstring &source, const std::wstring &target, bool *held)
{
    *held = false;
    auto range = pairs->ids.equal_range(HashOf(categoryId, sourceLanguageId, targetLanguageId, source.c_str(),
                                               source.size(), target.c_str(), target.size()));
    for (auto it = range.first; it != range.second && !*held; ++it) {
        sqlite3_stmt *read = pairs->read;
        sqlite3_reset(read);
        int step = sqlite3_bind_int64(read, 1, it->second) == SQLITE_OK &&
                           sqlite3_bind_int64(read, 2, categoryId) == SQLITE_OK &&
                           sqlite3_bind_int64(read, 3, sourceLanguageId) == SQLITE_OK &&
                           sqlite3_bind_int64(read, 4, targetLanguageId) == SQLITE_OK &&
                           sqlite3_bind_text16(read, 5, source.c_str(), -1, SQLITE_STATIC) == SQLITE_OK &&
                           sqlite3_bind_text16(read, 6, target.c_str(), -1, SQLITE_STATIC) == SQLITE_OK
                       ? sqlite3_step(read)
                       : SQLITE_ERROR;
        sqlite3_clear_bindings(read);
        if (step != SQLITE_ROW && step != SQLITE_DONE)
            return false;
        *held = step == SQLITE_ROW;
    }
    return true;
}

void AddKnownPair(KnownPairs *pairs, long long id, long long categoryId, long long sourceLanguageId,
                  long long targetLanguageId, const std::wstring &source, const std::wstring &target)
{
    pairs->ids.emplace(HashOf(categoryId, sourceLanguageId, targetLanguageId, source.c_str(), source.size(),
                              target.c_str(), target.size()),
                       id);
}

void EndKnownPairs(KnownPairs *pairs)
{
    sqlite3_finalize(pairs->read);
    pairs->read = nullptr;
    pairs->ids.clear();
}
