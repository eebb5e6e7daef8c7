// Imports and exports on a store that other connections hold, and on a disk that fills up: the
// import waits its turn or changes nothing and says so, an export never writes a file that lacks
// rows. Every connection goes through the fault-injecting file system.
#include <windows.h>

#include <gtest/gtest.h>

#include "exchange/exam_page.h"
#include "exchange/workbook.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"
#include "tests/support/fault_vfs.h"
#include "tests/support/temp_folder.h"

namespace {

std::string Workbook(int rows, size_t textLength = 1, int categories = 1)
{
    std::string book = "<Workbook><Worksheet><Table>";
    std::string text(textLength, 'x');
    for (int n = 0; n < rows; n++) {
        book += "<Row><Cell><Data>c" + std::to_string(n % categories) + "</Data></Cell><Cell><Data>" + text +
                std::to_string(n) + "</Data></Cell><Cell><Data>y</Data></Cell><Cell><Data>en</Data></Cell>"
                "<Cell><Data>es</Data></Cell></Row>";
    }
    return book + "</Table></Worksheet></Workbook>";
}

class SharedStoreTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::wstring storePath = folder.File(L"shared.db");
    std::wstring book = folder.File(L"book.xml");
    sqlite3 *db = nullptr;      // the program's connection
    sqlite3 *other = nullptr;   // another program's

    void SetUp() override
    {
        InstallFaultVfs();
        SetDiskSpace(-1, false);
        SetInstantLockWaits(false);
        ResetEvent(LockWaitEvent());
        db = OpenPhraseStore(storePath.c_str(), true);
        ASSERT_NE(db, nullptr);
        InsertPhrase(db, GetOrCreateCategory(db, L"Old"), 1, 2, L"hello", L"hola");
        ASSERT_EQ(sqlite3_open16(storePath.c_str(), &other), SQLITE_OK);
    }
    void TearDown() override
    {
        SetDiskSpace(-1, false);
        SetInstantLockWaits(false);
        sqlite3_close(other);
        sqlite3_close(db);
    }
    // Every row of the store, and the next ids it would give.
    Rows Everything()
    {
        Rows rows;
        for (const wchar_t *sql : {L"SELECT * FROM PHRASE ORDER BY ID", L"SELECT * FROM CATEGORY ORDER BY ID",
                                   L"SELECT * FROM LANGUAGE ORDER BY ID", L"SELECT MAX(ID) FROM PHRASE",
                                   L"SELECT MAX(ID) FROM CATEGORY"})
            for (auto &row : QueryRows(db, sql))
                rows.push_back(row);
        return rows;
    }
};

struct ImportRun {
    sqlite3 *db;
    std::wstring path;
    int result;
};

DWORD WINAPI RunImport(void *parameter)
{
    ImportRun *run = static_cast<ImportRun *>(parameter);
    run->result = ImportWorkbookFile(run->db, run->path);
    return 0;
}

TEST_F(SharedStoreTest, AnImportWaitsForAnOpenReaderAndThenCommits)
{
    WriteFileBytes(book, Workbook(500));
    // The other program is in the middle of reading: it holds the file's shared lock.
    sqlite3_stmt *reading = nullptr;
    ASSERT_EQ(RunStatement(other, L"BEGIN"), SQLITE_DONE);
    ASSERT_EQ(sqlite3_prepare16_v2(other, L"SELECT * FROM PHRASE", -1, &reading, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(reading), SQLITE_ROW);

    ImportRun run = {db, book, 0};
    HANDLE importer = CreateThread(nullptr, 0, RunImport, &run, 0, nullptr);
    HANDLE either[2] = {LockWaitEvent(), importer};
    DWORD first = WaitForMultipleObjects(2, either, FALSE, 60000);
    sqlite3_finalize(reading);
    RunStatement(other, L"COMMIT");
    WaitForSingleObject(importer, INFINITE);
    CloseHandle(importer);

    EXPECT_EQ(first, WAIT_OBJECT_0) << "the import waited for the reader rather than ending";
    EXPECT_EQ(run.result, 500);
    EXPECT_EQ(QueryRows(other, L"SELECT COUNT(*) FROM PHRASE"), (Rows{{L"501"}}));
}

TEST_F(SharedStoreTest, AnImportThatCannotGetTheStoreChangesNothingAndSaysSo)
{
    WriteFileBytes(book, Workbook(100));
    Rows before = Everything();
    // Another program writes and keeps the store for longer than the import waits.
    ASSERT_EQ(RunStatement(other, L"BEGIN EXCLUSIVE"), SQLITE_DONE);
    SetInstantLockWaits(true);
    EXPECT_EQ(ImportWorkbookFile(db, book), kImportNotStored);
    EXPECT_EQ(WaitForSingleObject(LockWaitEvent(), 0), WAIT_OBJECT_0) << "it waited before giving up";
    RunStatement(other, L"ROLLBACK");
    SetInstantLockWaits(false);
    EXPECT_EQ(Everything(), before);
    EXPECT_EQ(ImportWorkbookFile(db, book), 100) << "the store is usable again";
}

// A disk that fills in the middle of an import: once (space comes back when SQLite rolls back and
// removes its journal) or for good. The rows are long enough for SQLite to write pages to the file
// before the end, so the failure comes among the rows, not at the commit.
TEST_F(SharedStoreTest, AFullDiskStopsTheImportAndLeavesTheStoreAsItWas)
{
    WriteFileBytes(book, Workbook(9000, 250, 3000));
    Rows before = Everything();
    for (bool stillFull : {false, true}) {
        SCOPED_TRACE(stillFull ? "full for good" : "full once");
        SetDiskSpace(1 << 20, stillFull);
        EXPECT_EQ(ImportWorkbookFile(db, book), kImportNotStored);
        SetDiskSpace(-1, false);
        Rows after = Everything();
        EXPECT_TRUE(after == before) << after.size() - before.size() << " rows more than before";
        EXPECT_EQ(sqlite3_get_autocommit(db), 1) << "no transaction is left open";
    }
    EXPECT_EQ(ImportWorkbookFile(db, book), 9000);
}

// Exports while another program holds the store past the busy timeout: no file is written, and
// what the user had at the path stays.
TEST_F(SharedStoreTest, AnExportThatCannotReadTheStoreWritesNothing)
{
    std::wstring target = folder.File(L"mine.out");
    ASSERT_EQ(RunStatement(other, L"BEGIN EXCLUSIVE"), SQLITE_DONE);
    SetInstantLockWaits(true);
    struct Export {
        const char *name;
        bool (*write)(sqlite3 *, int, bool, const std::wstring &);
    };
    for (const Export &exporter : {Export{"workbook", WriteWorkbook}, Export{"exam page", WriteExamPage}}) {
        for (int category : {0, 1}) {
            SCOPED_TRACE(std::string(exporter.name) + ", category " + std::to_string(category));
            WriteFileBytes(target, "the user's own file");
            EXPECT_FALSE(exporter.write(db, category, false, target));
            EXPECT_EQ(ReadFileBytes(target), "the user's own file");
            EXPECT_EQ(FindNames(folder.File(L"*"), true).size(), 2u) << "no temporary file is left";
        }
    }
    EXPECT_FALSE(WriteExamPagesToFolder(db, (folder.path + L"\\").c_str(), false));
    RunStatement(other, L"ROLLBACK");
    SetInstantLockWaits(false);
    EXPECT_TRUE(WriteWorkbook(db, 0, false, target));
    EXPECT_NE(ReadFileBytes(target).find("hola"), std::string::npos);
}

}  // namespace
