// Prints the times and memory of the exchange formats on a store of 100,000 pairs: the workbook
// export, its import into an empty store (with where the time goes), and the exam page.
// Given a file name, it also writes the workbook's rows there as CSV, for comparing the import
// with other tools on the same rows.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>

#include <string>

#include "bench/clock.h"
#include "common/com_ptr.h"
#include "exchange/exam_page.h"
#include "exchange/workbook.h"
#include "sqlite3.h"
#include "store/phrase_store.h"
#include "store/statement.h"

namespace {

// Private bytes committed now and at the most, in MiB.
void Memory(double *now, double *peak)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    *now = counters.PagefileUsage / 1048576.0;
    *peak = counters.PeakPagefileUsage / 1048576.0;
}

sqlite3 *FilledStore(const std::wstring &path, int pairs)
{
    DeleteFileW(path.c_str());
    sqlite3 *db = OpenPhraseStore(path.c_str(), true);
    RunStatement(db, L"BEGIN");
    for (int i = 1; i <= 50; i++) {
        wchar_t name[32];
        _snwprintf(name, 32, L"Category %d", i);
        GetOrCreateCategory(db, name);
    }
    for (int i = 0; i < pairs; i++) {
        wchar_t source[64], target[64];
        _snwprintf(source, 64, L"phrase number %d <isn't> short & sweet", i);
        _snwprintf(target, 64, L"frase n\u00FAmero %d \u4F60\u597D", i);
        InsertPhrase(db, 1 + i % 50, 1, 2, source, target);
    }
    RunStatement(db, L"COMMIT");
    return db;
}

void TimeExport(sqlite3 *db, const std::wstring &path, int pairs)
{
    double before, peakBefore, after, peakAfter;
    Memory(&before, &peakBefore);
    double start = Now();
    WriteWorkbook(db, 0, false, path);
    double seconds = Now() - start;
    Memory(&after, &peakAfter);
    printf("workbook export, %6d pairs: %.3f s, peak private memory %.1f MiB (%.1f MiB before)\n", pairs,
           seconds, peakAfter, peakBefore);
}

// The rows of the export, as RFC 4180 CSV in UTF-8.
void WriteCsv(sqlite3 *db, const std::wstring &path)
{
    std::string csv;
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare16_v2(db, L"select c.description, p.source, p.target, s.code, t.code from phrase p "
                             L"left join category c on p.categoryid = c.id join language s on p.slanguageid = s.id "
                             L"join language t on p.tlanguageid = t.id", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int column = 0; column < 5; column++) {
            const char *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
            csv += column ? ",\"" : "\"";
            for (const char *c = text ? text : ""; *c; c++)
                csv += *c == '"' ? std::string("\"\"") : std::string(1, *c);
            csv += "\"";
        }
        csv += "\r\n";
    }
    sqlite3_finalize(statement);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, csv.data(), static_cast<DWORD>(csv.size()), &written, nullptr);
    CloseHandle(file);
}

// Imports a workbook of rows rows made by row(n) inside a root element that starts with
// rootAttributes, into an emptied store, and prints how long it took.
void TimeImport(sqlite3 *target, const std::wstring &book, const char *what, const std::string &rootAttributes,
                int rows, std::string (*row)(int))
{
    RunStatement(target, L"DELETE FROM PHRASE");
    RunStatement(target, L"DELETE FROM CATEGORY");
    std::string file = "<Workbook" + rootAttributes + "><Worksheet><Table>";
    for (int n = 0; n < rows; n++)
        file += row(n);
    file += "</Table></Worksheet></Workbook>";
    HANDLE handle = CreateFileW(book.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(handle);
    double start = Now();
    int stored = ImportWorkbookFile(target, book);
    printf("workbook import, %d pairs, %s: %.3f s\n", stored, what, Now() - start);
}

std::string RowOfItsOwnCategory(int n)
{
    std::string text = std::to_string(n);
    return "<Row><Cell><Data>category " + text + "</Data></Cell><Cell><Data>w" + text +
           "</Data></Cell><Cell><Data>p</Data></Cell><Cell><Data>en</Data></Cell><Cell><Data>es</Data></Cell></Row>";
}

std::string PrefixedRow(int n)
{
    std::string text = std::to_string(n);
    return "<ss:Row><ss:Cell><ss:Data ss:Type=\"String\">c</ss:Data></ss:Cell><ss:Cell><ss:Data ss:Type=\"String\">w" +
           text + "</ss:Data></ss:Cell><ss:Cell><ss:Data ss:Type=\"String\">p</ss:Data></ss:Cell>"
           "<ss:Cell><ss:Data ss:Type=\"String\">en</ss:Data></ss:Cell><ss:Cell><ss:Data ss:Type=\"String\">es</ss:Data>"
           "</ss:Cell></ss:Row>";
}

}  // namespace

int wmain(int argc, wchar_t **argv)
{
    ComApartment com;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = temp;
    std::wstring book = folder + L"lingotrove-bench.xml";
    std::wstring page = folder + L"lingotrove-bench.htm";

    // Memory flat in the row count: the small export runs first, the large one must not need more.
    sqlite3 *small = FilledStore(folder + L"lingotrove-bench-small.db", 10000);
    TimeExport(small, book, 10000);
    sqlite3_close(small);
    sqlite3 *db = FilledStore(folder + L"lingotrove-bench.db", 100000);
    TimeExport(db, book, 100000);

    double start = Now();
    WriteExamPage(db, 0, false, page);
    printf("exam page, 100000 pairs: %.3f s\n", Now() - start);

    sqlite3 *target = OpenPhraseStore((folder + L"lingotrove-bench-import.db").c_str(), false);
    RunStatement(target, L"DELETE FROM PHRASE");
    RunStatement(target, L"DELETE FROM CATEGORY");
    ImportTimings timings;
    start = Now();
    int stored = ImportWorkbookFile(target, book, &timings);
    double total = Now() - start;
    double now, peak;
    Memory(&now, &peak);
    WIN32_FILE_ATTRIBUTE_DATA file = {};
    GetFileAttributesExW(book.c_str(), GetFileExInfoStandard, &file);
    printf("workbook import, %d pairs: %.3f s (read %.3f, parse %.3f, store %.3f alongside the parse); "
           "peak private memory %.1f MiB, the file being %.1f MiB\n", stored, total, timings.read, timings.parse,
           timings.store, peak, file.nFileSizeLow / 1048576.0);
    if (argc > 1)
        WriteCsv(db, argv[1]);

    // Every row a new category: each must cost the same, however many came before.
    TimeImport(target, book, "each of its own category", "", 100000, RowOfItsOwnCategory);
    // Many namespace declarations on the root, the spreadsheet's own prefix first, then every
    // element and attribute prefixed.
    std::string declarations = " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"";
    for (int n = 0; n < 100000; n++)
        declarations += " xmlns:p" + std::to_string(n) + "=\"urn:x-" + std::to_string(n) + "\"";
    TimeImport(target, book, "100000 namespace declarations on the root", declarations, 100000, PrefixedRow);

    sqlite3_close(target);
    sqlite3_close(db);
    for (const wchar_t *name : {L"lingotrove-bench.xml", L"lingotrove-bench.htm", L"lingotrove-bench.db",
                                L"lingotrove-bench-small.db", L"lingotrove-bench-import.db"})
        DeleteFileW((folder + name).c_str());
    return 0;
}
