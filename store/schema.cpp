// Opening a phrase store, and creating a new one with its schema and default languages.
#include <windows.h>

#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "store/text.h"

sqlite3 *OpenPhraseStore(const wchar_t *path, bool createNew)
{
    wchar_t file[MAX_PATH];
    CopyBounded(file, path, MAX_PATH);
    bool existed = GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES;
    if (createNew && existed)
        return nullptr;

    sqlite3 *db = OpenStoreConnection(file);
    if (!db)
        return nullptr;
    if (existed) {
        if (IsPhraseStore(db))
            return db;
        sqlite3_close(db);
        return nullptr;
    }

    // A store that could not be made whole (a full disk, a folder that cannot be written) is not
    // left behind: an empty file would be refused as no phrase store from then on.
    int created = RunWriteTransaction(db, [db] {
        return RunStatement(db, L"CREATE TABLE CATEGORY(ID INTEGER PRIMARY KEY ASC, DESCRIPTION TEXT)") == SQLITE_DONE &&
               RunStatement(db, L"CREATE TABLE LANGUAGE(ID INTEGER PRIMARY KEY ASC, CODE TEXT, DESCRIPTION TEXT)") ==
                   SQLITE_DONE &&
               RunStatement(db, L"CREATE TABLE PHRASE(ID INTEGER PRIMARY KEY ASC, CATEGORYID INTEGER, "
                                L"SLANGUAGEID INTEGER, TLANGUAGEID INTEGER, SOURCE TEXT, TARGET TEXT)") == SQLITE_DONE &&
               GetOrCreateLanguage(db, L"en", L"English") != 0 && GetOrCreateLanguage(db, L"es", L"Espa\u00F1ol") != 0;
    });
    if (created != SQLITE_OK) {
        sqlite3_close(db);
        DeleteFileW(file);
        return nullptr;
    }
    return db;
}

sqlite3 *OpenStoreConnection(const wchar_t *path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open16(path, &db) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    // Without a timeout a statement fails at once while another connection holds the lock, and
    // an import's commit would be lost to any reader that happens to be open.
    sqlite3_busy_timeout(db, kBusyTimeoutMilliseconds);
    return db;
}

bool IsPhraseStore(sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, L"SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND "
                                 L"upper(name) IN ('CATEGORY','LANGUAGE','PHRASE')",
                             -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        // A store another program holds locked cannot be read now; it is not refused for that.
        int error = sqlite3_errcode(db);
        return error == SQLITE_BUSY || error == SQLITE_LOCKED;
    }
    int step = sqlite3_step(statement);
    bool store = step == SQLITE_ROW ? sqlite3_column_int(statement, 0) == 3
                                    : step == SQLITE_BUSY || step == SQLITE_LOCKED;
    sqlite3_finalize(statement);
    return store;
}
