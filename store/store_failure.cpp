// The causes of a store failure, in the user's words.
#include "store/store_failure.h"

#include <string>

#include "common/dialogs.h"
#include "resources/resource_ids.h"
#include "sqlite3.h"

static UINT CauseOf(int code, bool writing)
{
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        // Which program holds it cannot be told.
        return IDS_STORE_BUSY;
    case SQLITE_FULL:
        return IDS_STORE_FULL;
    case SQLITE_READONLY:
        return IDS_STORE_READ_ONLY;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return IDS_STORE_DAMAGED;
    default:
        return writing ? IDS_STORE_NOT_WRITTEN : IDS_STORE_NOT_READ;
    }
}

void ShowStoreFailure(HWND window, UINT what, int code, bool writing, const wchar_t *detail)
{
    wchar_t cause[128] = {};
    LoadStringW(GetResourceModule(), CauseOf(code, writing), cause, 128);
    std::wstring lines = cause;
    if (detail)
        lines = lines + L"\n" + detail;
    ShowErrorMessage(window, what, lines.c_str());
}
