// Exam pages: self-contained HTML files with the pairs of one category or of the whole store,
// made from the exam page template (RCDATA 1 of the program). Main thread. A page that cannot be
// written whole is not written at all, and the export commands tell the user so.
#pragma once

#include <windows.h>

#include <string>

struct sqlite3;

// Writes the page of categoryId (0 = all) to a file chosen in the save dialog. reversed puts the
// target side first.
void ExportExamPage(HWND owner, sqlite3 *db, int categoryId, bool reversed);

// Writes the page to path; true when the file was written whole. False, with whatever was at path
// left untouched, when the file cannot be written or the store cannot be read to the end.
bool WriteExamPage(sqlite3 *db, int categoryId, bool reversed, const std::wstring &path);

// Writes one page per category into folder (ending in a backslash), named by the category's
// escaped description and ".htm"; a name too long for a path is shortened, keeping ".htm".
// False when any page could not be written; the others are written all the same.
bool WriteExamPagesToFolder(sqlite3 *db, const wchar_t *folder, bool reversed);
// The same, telling the user when a page could not be written.
void ExportExamPagesToFolder(HWND owner, sqlite3 *db, const wchar_t *folder, bool reversed);

// The path of a category's page in folder, or an empty text when the folder leaves no room.
std::wstring ExamPagePath(const wchar_t *folder, const wchar_t *description);

// A text as a JavaScript string literal's contents: quotes, backslashes and line breaks escaped,
// and '<' written as \u003C so that no text can end the page's script.
std::wstring JavaScriptStringContents(const wchar_t *text);
