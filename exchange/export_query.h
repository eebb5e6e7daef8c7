// The query that selects the pairs to export, shared by the workbook and the exam page exports.
#pragma once

struct sqlite3;
struct sqlite3_stmt;

// Prepares the export query: one row per pair whose languages both exist, with the columns
// category description, first text, second text, first language code, second language code and
// category id, ordered by category description and then the first text. The first side is the
// source side, or the target side when reversed. categoryId 0 selects every pair, those of no
// existing category first (with a null description and id); any other id the pairs of that
// category.
// Returns null when the statement cannot be prepared; the caller steps and finalizes it.
sqlite3_stmt *PrepareExportQuery(sqlite3 *db, int categoryId, bool reversed);

// Counts, without sorting them, the rows the export query gives for categoryId. False when the
// count cannot be made (the store locked by another program past the busy timeout, say); rows is
// then 0. Run both in one ReadTransaction for the count to match the rows.
bool CountExportRows(sqlite3 *db, int categoryId, unsigned *rows);
