// Spreadsheet workbooks (XML Spreadsheet 2003, UTF-8): exporting phrase pairs and importing them.
// Main thread. The commands tell the user when a file could not be written or stored; the
// functions below only return it.
#pragma once

#include <windows.h>

#include <string>

struct sqlite3;

// Asks for a file and writes the pairs of categoryId (0 = all) into it, target side first when
// reversed.
void ExportWorkbook(HWND owner, sqlite3 *db, int categoryId, bool reversed);

// Writes the workbook to path; true when the file was written whole. A file that cannot be
// written, or a store that cannot be read to the end, leaves whatever was at path untouched.
bool WriteWorkbook(sqlite3 *db, int categoryId, bool reversed, const std::wstring &path);

// Asks for a workbook and adds its rows to the store; a message then says how many pairs were
// added, how many the store held already and how many rows were of no use, or why nothing was
// stored. Returns whether the store took any rows.
bool ImportWorkbook(HWND owner, sqlite3 *db);

// Where an import's time goes, in seconds. The rows are stored while the file is parsed, so the
// store's time overlaps the parse's.
struct ImportTimings {
    double read;    // reading the file's bytes
    double parse;   // expat's parse, rows and cells collected and handed over as it goes
    double store;   // the store worker's own time: lookups, inserts and the commit
};

// What ImportWorkbookFile returns when nothing was stored.
constexpr int kImportUnreadable = -1;   // the file could not be read, or is not well-formed
constexpr int kImportNotStored = -2;    // the store failed (locked by another program past the
                                        // busy timeout, a full disk, already in a transaction)

// What an import did.
struct ImportCounts {
    int added;      // pairs stored
    int held;       // rows whose pair the store held already (the same category, language codes
                    // and both texts): not stored again
    int unusable;   // rows with cells, but not the five a pair needs
};

// Adds every five-cell row of the workbook at path to the store, in one transaction, but for
// pairs the store holds already (an earlier row of the same file included). A file that cannot
// be read or parsed changes nothing, and neither does a store that fails at any step: the import
// stops there and leaves the store as it was. Returns the number of rows stored, or one of the
// two results above. timings, when given, receives where the time went; cause, when given,
// SQLite's code for why the store failed; counts, when given, what the import did.
int ImportWorkbookFile(sqlite3 *db, const std::wstring &path, ImportTimings *timings = nullptr, int *cause = nullptr,
                       ImportCounts *counts = nullptr);
