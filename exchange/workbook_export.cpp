// Writing a workbook. The file is streamed: rows go to the file as the query steps, in exactly
// the bytes that MSXML's save writes for the workbook document (measured under Wine).
#include "exchange/workbook.h"

#include "common/dialogs.h"
#include "exchange/export_query.h"
#include "exchange/output_file.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"
#include "store/statement.h"

namespace {

const char kHead[] =
    "<?xml version='1.0'?>\n"
    "<?mso-application progid='Excel.Sheet'?>\n"
    "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\""
    " xmlns:o=\"urn:schemas-microsoft-com:office:office\""
    " xmlns:x=\"urn:schemas-microsoft-com:office:excel\""
    " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\""
    " xmlns:html=\"http://www.w3.org/TR/REC-html40\">"
    "<Worksheet ss:Name=\"Lingotrove\">"
    "<Table ss:ExpandedColumnCount=\"5\" ss:ExpandedRowCount=\"";

const char kTableAttributesEnd[] = "\" x:FullColumns=\"1\" x:FullRows=\"1\"";

const char kTail[] =
    "<WorksheetOptions xmlns=\"urn:schemas-microsoft-com:office:excel\">"
    "<PageSetup><Header x:Margin=\"0\"/><Footer x:Margin=\"0\"/>"
    "<PageMargins x:Bottom=\"0.25\" x:Left=\"0.25\" x:Right=\"0.25\" x:Top=\"0.25\"/>"
    "</PageSetup></WorksheetOptions></Worksheet></Workbook>\n";

// Character data as MSXML writes it, in UTF-8: markup characters and carriage returns escaped,
// characters XML cannot hold replaced.
void AppendCharacterData(std::string *out, const wchar_t *text)
{
    while (*text != 0) {
        wchar_t unit = *text;
        switch (unit) {
        case L'&': *out += "&amp;"; break;
        case L'<': *out += "&lt;"; break;
        case L'>': *out += "&gt;"; break;
        case L'\r': *out += "&#13;"; break;
        default:
            if (unit >= 0x20 && unit < 0x80) {
                out->push_back(static_cast<char>(unit));
                break;
            }
            text = AppendUtf8Character(out, text, true);
            continue;
        }
        text++;
    }
}

// One row, appended to row (which the caller reuses, so that its memory is kept).
void WriteRow(OutputFile *file, sqlite3_stmt *statement, std::string *row)
{
    row->assign("<Row>");
    for (int column = 0; column < 5; column++) {
        const wchar_t *text = ColumnText(statement, column);
        if (*text == 0) {
            *row += "<Cell><Data ss:Type=\"String\"/></Cell>";
        } else {
            *row += "<Cell><Data ss:Type=\"String\">";
            AppendCharacterData(row, text);
            *row += "</Data></Cell>";
        }
    }
    *row += "</Row>";
    file->Write(*row);
}

// Writes the rows of the prepared query, which must be exactly rows many. False when a step fails
// or the query gives more or fewer rows than counted.
bool WriteRows(OutputFile *file, sqlite3_stmt *statement, unsigned rows)
{
    std::string row;
    for (unsigned written = 0; written < rows; written++) {
        if (sqlite3_step(statement) != SQLITE_ROW)
            return false;
        WriteRow(file, statement, &row);
    }
    return sqlite3_step(statement) == SQLITE_DONE;
}

}  // namespace

bool WriteWorkbook(sqlite3 *db, int categoryId, bool reversed, const std::wstring &path)
{
    OutputFile file(path);
    if (!file.IsOpen())
        return false;
    // The count and the rows come from one state of the file, even while another program writes.
    ReadTransaction snapshot(db);
    sqlite3_stmt *statement = PrepareExportQuery(db, categoryId, reversed);
    if (!statement)
        return false;
    // The row count stands before the rows: it is counted first, without the sort. A store that
    // cannot be read writes nothing: an empty workbook must never replace the user's file.
    unsigned rows = 0;
    bool whole = CountExportRows(db, categoryId, &rows);
    if (whole) {
        file.Write(kHead, sizeof kHead - 1);
        file.Write(std::to_string(rows));
        file.Write(kTableAttributesEnd, sizeof kTableAttributesEnd - 1);
        // A table without rows is an empty element, as MSXML writes it.
        file.Write(rows > 0 ? ">" : "/>");
        whole = WriteRows(&file, statement, rows);
    }
    sqlite3_finalize(statement);
    if (!whole)
        return false;
    if (rows > 0)
        file.Write("</Table>");
    file.Write(kTail, sizeof kTail - 1);
    return file.Finish();
}

void ExportWorkbook(HWND owner, sqlite3 *db, int categoryId, bool reversed)
{
    wchar_t path[MAX_PATH];
    if (!AskFileName(owner, path, TRUE, L"xml", IDS_FILTER_XML))
        return;
    if (WriteWorkbook(db, categoryId, reversed, path))
        ShowTextMessage(owner, IDS_EXPORTED, path);
    else
        ShowErrorMessage(owner, IDS_NOT_EXPORTED, path);
}
