// Backups of real store files: a checked copy under its backup's name, nothing left of one that
// failed, names read back, and the thinning rule as one table of dated backups.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backup/backups.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "tests/support/temp_folder.h"

namespace {

BackupTime At(const char *text)
{
    BackupTime time = {};
    sscanf(text, "%d-%d-%d %d:%d", &time.year, &time.month, &time.day, &time.hour, &time.minute);
    return time;
}

TEST(BackupThinning, KeepsTodayYesterdayThenTwelveDaysTenWeeksNineMonths)
{
    const struct {
        const char *time;
        bool kept;
    } backups[] = {
        {"2026-12-11 09:00", true},  {"2026-12-11 07:00", true},    // today
        {"2026-12-10 20:00", true},  {"2026-12-10 08:00", true},    // yesterday
        {"2026-12-09 22:00", true},  {"2026-12-09 10:00", false},   // daily 1; the same day again
        {"2026-12-08 12:00", true},  {"2026-12-07 12:00", true},  {"2026-12-06 12:00", true},
        {"2026-12-05 12:00", true},  {"2026-12-04 12:00", true},  {"2026-12-03 12:00", true},
        {"2026-12-02 12:00", true},  {"2026-12-01 12:00", true},  {"2026-11-30 12:00", true},
        {"2026-11-28 12:00", true},                                 // daily 11
        {"2026-11-27 12:00", true},                                 // daily 12, in week 48
        {"2026-11-26 12:00", false},                                // week 48 again
        {"2026-11-22 12:00", true},  {"2026-11-21 12:00", false},   // weekly 1 (week 47); week 47 again
        {"2026-11-15 12:00", true},  {"2026-11-08 12:00", true},  {"2026-11-01 12:00", true},
        {"2026-10-25 12:00", true},  {"2026-10-18 12:00", true},  {"2026-10-11 12:00", true},
        {"2026-10-04 12:00", true},  {"2026-09-27 12:00", true},  {"2026-09-20 12:00", true},   // weekly 10
        {"2026-09-13 12:00", false},                                // September again
        {"2026-08-30 12:00", true},  {"2026-08-15 12:00", false},   // monthly 1; August again
        {"2026-07-01 12:00", true},  {"2026-06-01 12:00", true},  {"2026-05-01 12:00", true},
        {"2026-04-01 12:00", true},  {"2026-03-01 12:00", true},  {"2026-02-01 12:00", true},
        {"2026-01-01 12:00", true},  {"2025-12-01 12:00", true},    // monthly 9
        {"2025-11-01 12:00", false}, {"2020-01-01 12:00", false},   // beyond every kind
    };
    std::vector<BackupTime> times;
    std::vector<size_t> expected;
    for (size_t i = 0; i < sizeof backups / sizeof backups[0]; i++) {
        times.push_back(At(backups[i].time));
        if (!backups[i].kept)
            expected.push_back(i);
    }
    EXPECT_EQ(BackupsToThin(times, At("2026-12-11 10:00")), expected);
    EXPECT_TRUE(BackupsToThin({}, At("2026-12-11 10:00")).empty());
}

TEST(BackupNames, AreReadBackExactly)
{
    const std::wstring store = L"C:\\Learn\\Words.db";
    EXPECT_EQ(BackupFolder(store), L"C:\\Learn\\Backups");
    EXPECT_EQ(BackupFileName(store, {2026, 3, 7, 9, 5, 1}), L"Words-20260307-090501.db");
    const struct {
        const wchar_t *name;
        bool backup;
    } names[] = {
        {L"Words-20260307-090501.db", true},  {L"words-20260307-090501.DB", true},
        {L"Words-20260307-090501.db.partial", false}, {L"Other-20260307-090501.db", false},
        {L"Words-2026037-090501.db", false},  {L"Words-20261307-090501.db", false},
        {L"Words-20260307-250501.db", false}, {L"Words-2026a307-090501.db", false},
        {L"Words.db", false},
    };
    for (const auto &name : names) {
        BackupTime time = {};
        EXPECT_EQ(ReadBackupFileName(store, name.name, &time), name.backup) << std::string(name.name, name.name + wcslen(name.name));
    }
    BackupTime time = {};
    ASSERT_TRUE(ReadBackupFileName(store, L"Words-20260307-090501.db", &time));
    EXPECT_EQ(time.year * 10000 + time.month * 100 + time.day, 20260307);
    EXPECT_EQ(time.hour * 10000 + time.minute * 100 + time.second, 90501);
}

class Backups : public ::testing::Test {
protected:
    TempFolder folder;
    std::wstring store = folder.File(L"Words.db");
    sqlite3 *db = nullptr;

    void SetUp() override
    {
        db = OpenPhraseStore(store.c_str(), true);
        ASSERT_NE(db, nullptr);
        int category = GetOrCreateCategory(db, L"Base");
        for (int i = 0; i < 100; i++)
            InsertPhrase(db, category, 1, 2, (L"word " + std::to_wstring(i)).c_str(), L"palabra");
    }
    void TearDown() override { sqlite3_close(db); }
};

// A backup holds the store whole and passes its check, under its name, with nothing else left in
// the folder; the store itself is not changed by it.
TEST_F(Backups, ACopyIsCheckedAndNamedAndTheStoreStaysAsItWas)
{
    std::string before = ReadFileBytes(store);
    std::wstring made;
    ASSERT_EQ(TakeBackup(db, store, {2026, 12, 11, 10, 30, 5}, &made), SQLITE_OK);
    EXPECT_EQ(made, folder.File(L"Backups\\Words-20261211-103005.db"));
    EXPECT_EQ(ReadFileBytes(store), before);
    sqlite3 *copy = nullptr;
    ASSERT_EQ(sqlite3_open16(made.c_str(), &copy), SQLITE_OK);
    EXPECT_EQ(QueryRows(copy, L"SELECT COUNT(*) FROM PHRASE"), (Rows{{L"100"}}));
    EXPECT_EQ(QueryRows(copy, L"PRAGMA quick_check"), (Rows{{L"ok"}}));
    sqlite3_close(copy);
    EXPECT_FALSE(FileExists(made + L".partial"));

    // A second one is listed first.
    ASSERT_EQ(TakeBackup(db, store, {2026, 12, 11, 11, 0, 0}, &made), SQLITE_OK);
    std::vector<BackupFile> listed = ListBackups(store);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].path, made);
    EXPECT_EQ(listed[1].time.hour, 10);
}

// A folder that cannot be made (a file holds its name) fails the backup and leaves nothing; so
// does a store inside an open transaction, where SQLite makes no copy.
TEST_F(Backups, AFailedBackupLeavesNoBackup)
{
    WriteFileBytes(folder.File(L"Backups"), "a file, not a folder");
    std::wstring made = L"left";
    EXPECT_EQ(TakeBackup(db, store, {2026, 12, 11, 10, 30, 5}, &made), SQLITE_CANTOPEN);
    EXPECT_TRUE(made.empty());
    DeleteFileW(folder.File(L"Backups").c_str());

    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_NE(TakeBackup(db, store, {2026, 12, 11, 10, 30, 5}, &made), SQLITE_OK);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_TRUE(ListBackups(store).empty());
    EXPECT_FALSE(FileExists(folder.File(L"Backups\\Words-20261211-103005.db.partial")));
}

}  // namespace
