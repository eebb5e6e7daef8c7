// Opening and creating phrase store files.
#include <windows.h>

#include <gtest/gtest.h>

#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/fault_vfs.h"
#include "tests/support/temp_folder.h"

namespace {

struct Connection {
    sqlite3 *db;
    explicit Connection(sqlite3 *opened) : db(opened) {}
    ~Connection() { sqlite3_close(db); }
};

TEST(OpenPhraseStore, NewFileHasTheSchemaAndTheTwoDefaultLanguages)
{
    TempFolder folder;
    std::wstring path = folder.File(L"Words.db");
    Connection store(OpenPhraseStore(path.c_str(), false));
    ASSERT_NE(store.db, nullptr);
    EXPECT_TRUE(FileExists(path));

    Rows schema = QueryRows(store.db, L"SELECT type,name,sql FROM sqlite_master ORDER BY rowid");
    Rows expected = {
        {L"table", L"CATEGORY", L"CREATE TABLE CATEGORY(ID INTEGER PRIMARY KEY ASC, DESCRIPTION TEXT)"},
        {L"table", L"LANGUAGE",
         L"CREATE TABLE LANGUAGE(ID INTEGER PRIMARY KEY ASC, CODE TEXT, DESCRIPTION TEXT)"},
        {L"table", L"PHRASE",
         L"CREATE TABLE PHRASE(ID INTEGER PRIMARY KEY ASC, CATEGORYID INTEGER, SLANGUAGEID INTEGER, "
         L"TLANGUAGEID INTEGER, SOURCE TEXT, TARGET TEXT)"},
    };
    EXPECT_EQ(schema, expected);

    Rows languages = QueryRows(store.db, L"SELECT ID,CODE,DESCRIPTION FROM LANGUAGE ORDER BY ID");
    Rows defaults = {{L"1", L"en", L"English"}, {L"2", L"es", L"Espa\u00F1ol"}};
    EXPECT_EQ(languages, defaults);
    EXPECT_TRUE(QueryRows(store.db, L"SELECT * FROM CATEGORY").empty());
    EXPECT_TRUE(QueryRows(store.db, L"SELECT * FROM PHRASE").empty());
    EXPECT_EQ(QueryRows(store.db, L"PRAGMA encoding"), Rows{{L"UTF-16le"}});
}

TEST(OpenPhraseStore, ExistingDatabaseIsOpenedAsItIs)
{
    TempFolder folder;
    std::wstring path = folder.File(L"Words.db");
    {
        Connection first(OpenPhraseStore(path.c_str(), false));
        ASSERT_NE(first.db, nullptr);
        EXPECT_NE(GetOrCreateCategory(first.db, L"Travel"), 0);
    }
    Connection again(OpenPhraseStore(path.c_str(), false));
    ASSERT_NE(again.db, nullptr);
    EXPECT_EQ(QueryRows(again.db, L"SELECT DESCRIPTION FROM CATEGORY"), Rows{{L"Travel"}});
    EXPECT_EQ(QueryRows(again.db, L"SELECT COUNT(*) FROM LANGUAGE"), Rows{{L"2"}});
}

TEST(OpenPhraseStore, CreateNewIsRefusedWhereSomethingExists)
{
    TempFolder folder;
    std::wstring file = folder.File(L"Taken.db");
    WriteFileBytes(file, "not a database");
    EXPECT_EQ(OpenPhraseStore(file.c_str(), true), nullptr);
    EXPECT_EQ(ReadFileBytes(file), "not a database");

    std::wstring subfolder = folder.File(L"Folder.db");
    ASSERT_TRUE(CreateDirectoryW(subfolder.c_str(), nullptr));
    EXPECT_EQ(OpenPhraseStore(subfolder.c_str(), true), nullptr);

    std::wstring fresh = folder.File(L"Fresh.db");
    sqlite3 *created = OpenPhraseStore(fresh.c_str(), true);
    EXPECT_NE(created, nullptr);
    sqlite3_close(created);
}

// Files that are no phrase store are refused and left as they are: an empty file, bytes SQLite
// cannot read, a database without the three tables.
TEST(OpenPhraseStore, FilesThatAreNoPhraseStoreAreRefused)
{
    TempFolder folder;
    std::wstring empty = folder.File(L"Empty.db");
    WriteFileBytes(empty, "");
    std::wstring noise = folder.File(L"Noise.db");
    WriteFileBytes(noise, std::string(3000, '\x5A'));
    std::wstring partial = folder.File(L"Partial.db");
    sqlite3 *db = nullptr;
    sqlite3_open16(partial.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE CATEGORY(ID INTEGER PRIMARY KEY ASC, DESCRIPTION TEXT)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    for (const std::wstring &path : {empty, noise, partial}) {
        std::string before = ReadFileBytes(path);
        EXPECT_EQ(OpenPhraseStore(path.c_str(), false), nullptr) << testing::PrintToString(path);
        EXPECT_EQ(ReadFileBytes(path), before);
    }
}

// A store another connection holds locked cannot be read at the moment, but is no stranger.
TEST(OpenPhraseStore, ALockedStoreIsNotRefused)
{
    TempFolder folder;
    std::wstring path = folder.File(L"Busy.db");
    sqlite3_close(OpenPhraseStore(path.c_str(), true));
    sqlite3 *locker = nullptr;
    ASSERT_EQ(sqlite3_open16(path.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    // It waits for the lock as long as any statement does; without the wall time here.
    InstallFaultVfs();
    SetInstantLockWaits(true);
    ResetEvent(LockWaitEvent());
    sqlite3 *db = OpenPhraseStore(path.c_str(), false);
    SetInstantLockWaits(false);
    EXPECT_NE(db, nullptr);
    EXPECT_EQ(WaitForSingleObject(LockWaitEvent(), 0), WAIT_OBJECT_0) << "it waited for the lock";
    sqlite3_close(db);
    sqlite3_exec(locker, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
}

// A new store the disk has no room for is not made at all, rather than left without its tables.
TEST(OpenPhraseStore, ANewStoreThatCannotBeWrittenLeavesNoFile)
{
    TempFolder folder;
    std::wstring path = folder.File(L"Full.db");
    InstallFaultVfs();
    SetDiskSpace(0, true);
    sqlite3 *db = OpenPhraseStore(path.c_str(), true);
    SetDiskSpace(-1, false);
    EXPECT_EQ(db, nullptr);
    EXPECT_FALSE(FileExists(path));
    Connection store(OpenPhraseStore(path.c_str(), true));
    ASSERT_NE(store.db, nullptr) << "made once there is room";
    EXPECT_EQ(QueryRows(store.db, L"SELECT COUNT(*) FROM LANGUAGE"), Rows{{L"2"}});
}

TEST(OpenPhraseStore, FileInAMissingFolderCannotBeOpened)
{
    TempFolder folder;
    std::wstring path = folder.File(L"missing\\Words.db");
    EXPECT_EQ(OpenPhraseStore(path.c_str(), false), nullptr);
    EXPECT_FALSE(FileExists(path));
}

TEST(OpenPhraseStore, PathIsCutTo259Characters)
{
    TempFolder folder;
    std::wstring prefix = folder.path + L"\\";
    ASSERT_LT(prefix.size(), 200u);
    std::wstring cut = prefix + std::wstring(259 - prefix.size(), L'w');
    std::wstring full = cut + L".db";
    ASSERT_EQ(cut.size(), 259u);

    Connection store(OpenPhraseStore(full.c_str(), false));
    ASSERT_NE(store.db, nullptr);
    EXPECT_TRUE(FileExists(cut));
    EXPECT_FALSE(FileExists(full));
    EXPECT_EQ(QueryRows(store.db, L"SELECT COUNT(*) FROM LANGUAGE"), Rows{{L"2"}});
}

TEST(OpenPhraseStore, NonAsciiFileNamesAndTexts)
{
    TempFolder folder;
    std::wstring path = folder.File(L"\u8A5E\u5EAB d\u00EDas \U0001F600.db");
    {
        Connection store(OpenPhraseStore(path.c_str(), true));
        ASSERT_NE(store.db, nullptr);
        int category = GetOrCreateCategory(store.db, L"\u65C5\u884C \U0001F30D");
        EXPECT_NE(InsertPhrase(store.db, category, 1, 2, L"\u00BFqu\u00E9 tal?", L"\u4F60\u597D"), 0);
    }
    ASSERT_TRUE(FileExists(path));
    Connection store(OpenPhraseStore(path.c_str(), false));
    EXPECT_EQ(QueryRows(store.db,
                        L"SELECT C.DESCRIPTION,P.SOURCE,P.TARGET FROM PHRASE P JOIN CATEGORY C "
                        L"ON C.ID=P.CATEGORYID"),
              (Rows{{L"\u65C5\u884C \U0001F30D", L"\u00BFqu\u00E9 tal?", L"\u4F60\u597D"}}));
}

}  // namespace
