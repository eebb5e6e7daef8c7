// Test helpers: a fresh folder under the temporary folder, removed with its contents at the end,
// and small readers of what a database file holds.
#pragma once

#include <string>
#include <vector>

struct sqlite3;

struct TempFolder {
    std::wstring path;   // without a trailing backslash

    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    std::wstring File(const std::wstring &name) const { return path + L"\\" + name; }
};

bool FileExists(const std::wstring &path);

// The names FindFirstFileW finds for pattern (such as folder + L"\\*"), in the order the file
// system gives them, without "." and ".."; with filesOnly, without folders.
std::vector<std::wstring> FindNames(const std::wstring &pattern, bool filesOnly = false);
std::string ReadFileBytes(const std::wstring &path);
void WriteFileBytes(const std::wstring &path, const std::string &bytes);

// Every row of a query, each column as text ("<null>" for NULL).
typedef std::vector<std::vector<std::wstring>> Rows;
Rows QueryRows(sqlite3 *db, const wchar_t *sql);
