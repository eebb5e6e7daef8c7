// Writing exam pages: the template's two halves around its "~" marker, with the words array
// between them, streamed to the file.
#include "exchange/exam_page.h"

#include <shlwapi.h>

#include "common/dialogs.h"
#include "exchange/export_query.h"
#include "exchange/output_file.h"
#include "resources/resource_ids.h"
#include "speech/file_names.h"
#include "sqlite3.h"
#include "store/statement.h"
#include "store/text.h"

namespace {

void WriteText(OutputFile *file, sqlite3_stmt *statement, int column)
{
    file->Write(ToUtf8(JavaScriptStringContents(ColumnText(statement, column)).c_str(), false));
}

// A pair text as the page reads it: a leading "-" marks a heading there, so a text that starts
// with "-", or with the backslash that escapes it, gets a backslash in front, which the page
// takes away again.
void WritePairText(OutputFile *file, sqlite3_stmt *statement, int column)
{
    std::wstring text = ColumnText(statement, column);
    if (!text.empty() && (text[0] == L'-' || text[0] == L'\\'))
        text.insert(text.begin(), L'\\');
    file->Write(ToUtf8(JavaScriptStringContents(text.c_str()).c_str(), false));
}

// False when the store could not be read to the end: a page with some words missing is no page.
bool WriteWords(OutputFile *file, sqlite3 *db, int categoryId, bool reversed)
{
    sqlite3_stmt *statement = PrepareExportQuery(db, categoryId, reversed);
    if (!statement)
        return false;
    long long previous = 0;
    bool first = true;
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        // Pairs of no existing category come first, under a heading without a description.
        long long category = sqlite3_column_int64(statement, 5);
        if (first || category != previous) {
            file->Write(first ? "\"-" : ",\"-");
            first = false;
            WriteText(file, statement, 0);
            file->Write("\"\r\n");
            previous = category;
        }
        file->Write(",\"");
        WritePairText(file, statement, 1);
        file->Write("\",\"");
        WritePairText(file, statement, 2);
        file->Write("\"\r\n");
    }
    sqlite3_finalize(statement);
    return step == SQLITE_DONE;
}

}  // namespace

std::wstring JavaScriptStringContents(const wchar_t *text)
{
    std::wstring out;
    for (const wchar_t *p = text; *p != 0; p++) {
        switch (*p) {
        case L'"': out += L"\\\""; break;
        case L'\\': out += L"\\\\"; break;
        case L'\r': out += L"\\r"; break;
        case L'\n': out += L"\\n"; break;
        case L'<': out += L"\\u003C"; break;
        case 0x2028: out += L"\\u2028"; break;
        case 0x2029: out += L"\\u2029"; break;
        default: out += *p; break;
        }
    }
    return out;
}

bool WriteExamPage(sqlite3 *db, int categoryId, bool reversed, const std::wstring &path)
{
    HMODULE program = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(IDR_EXAM_PAGE), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
    const char *page = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
    if (!page)
        return false;
    size_t size = SizeofResource(program, found);
    size_t marker = 0;
    while (marker < size && page[marker] != '~' && page[marker] != 0)
        marker++;
    if (marker == size || page[marker] != '~')
        return false;

    OutputFile file(path);
    if (!file.IsOpen())
        return false;
    file.Write(page, marker);
    if (!WriteWords(&file, db, categoryId, reversed))
        return false;
    file.Write(page + marker + 1, size - marker - 1);
    return file.Finish();
}

void ExportExamPage(HWND owner, sqlite3 *db, int categoryId, bool reversed)
{
    wchar_t file[MAX_PATH];
    if (!AskFileName(owner, file, TRUE, L"htm", IDS_FILTER_HTML))
        return;
    if (WriteExamPage(db, categoryId, reversed, file))
        ShowTextMessage(owner, IDS_EXPORTED, file);
    else
        ShowErrorMessage(owner, IDS_NOT_EXPORTED, file);
}

std::wstring ExamPagePath(const wchar_t *folder, const wchar_t *description)
{
    wchar_t name[3 * 260 + 2];
    CopyBounded(name, description, 260);
    EscapeFileName(name);
    // A category called "con" or "lpt1" would otherwise write its page to a device.
    AvoidDeviceName(name);
    std::wstring path = folder;
    size_t room = MAX_PATH - 1 - 4;   // the path, then ".htm"
    if (path.size() >= room)
        return std::wstring();
    size_t keep = wcslen(name);
    if (path.size() + keep > room) {
        keep = room - path.size();
        if (keep > 0 && IS_HIGH_SURROGATE(name[keep - 1]))
            keep--;
    }
    path.append(name, keep);
    return path + L".htm";
}

bool WriteExamPagesToFolder(sqlite3 *db, const wchar_t *folder, bool reversed)
{
    // The categories and their pages come from one state of the file.
    ReadTransaction snapshot(db);
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, L"SELECT ID,DESCRIPTION FROM CATEGORY ORDER BY DESCRIPTION", -1, &statement,
                             nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return false;
    }
    bool all = true;
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        std::wstring path = ExamPagePath(folder, ColumnText(statement, 1));
        if (!path.empty())
            all = WriteExamPage(db, sqlite3_column_int(statement, 0), reversed, path) && all;
    }
    sqlite3_finalize(statement);
    return all && step == SQLITE_DONE;
}

void ExportExamPagesToFolder(HWND owner, sqlite3 *db, const wchar_t *folder, bool reversed)
{
    // One message for the whole folder, not one for every page.
    if (WriteExamPagesToFolder(db, folder, reversed))
        ShowTextMessage(owner, IDS_EXPORTED, folder);
    else
        ShowErrorMessage(owner, IDS_NOT_EXPORTED, folder);
}
