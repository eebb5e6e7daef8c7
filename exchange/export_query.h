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

// The number of rows the export query gives for categoryId, counted without sorting them;
// 0 when the count cannot be made.
unsigned CountExportRows(sqlite3 *db, int categoryId);
