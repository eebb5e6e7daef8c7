// The review's two tables in a phrase store, REVIEW (each reviewed pair's memory and due time) and
// REVIEWLOG (every rating), and the trigger that forgets a deleted pair's review. A store never
// reviewed has neither; another program may have left tables of these names in a form of its
// own, which the review reads and writes nothing of.
#pragma once

struct sqlite3;

// The result when REVIEW or REVIEWLOG is not in the form this program keeps: a column missing or
// of another type, or no primary key where one belongs.
constexpr int kForeignReviewTables = -3;

// Which of the tables the store holds. present is true when both are there; the result is
// SQLITE_OK, kForeignReviewTables, or SQLite's code for why the schema could not be read.
int CheckReviewTables(sqlite3 *db, bool *present);

// Inside the caller's write transaction: creates whichever of the tables is missing, their
// indexes and the trigger. Returns SQLITE_OK, kForeignReviewTables (nothing created), or SQLite's
// code.
int CreateReviewTables(sqlite3 *db);

// Puts a store's review schema right when it is opened or reviewed: a store with one of the tables
// gets the other, and the trigger is there exactly when both tables are, so that deleting a pair
// never fails on a table that is gone. Writes only when something is missing or left over.
// Returns as CheckReviewTables does once it is done.
int RepairReviewTables(sqlite3 *db);
