// Unique file names beside a target. GetTempFileNameW is not used: it refuses folders of more
// than 246 characters on Windows, which leaves targets that fit MAX_PATH without a file.
#include "common/temporary_file.h"

#include <stdio.h>

#include <algorithm>

namespace {

std::wstring Hex(unsigned value, size_t digits)
{
    wchar_t text[16];
    _snwprintf(text, 16, L"%08X", value);
    text[15] = 0;
    std::wstring all = text;
    return all.substr(all.size() - std::min(digits, all.size()));
}

}  // namespace

HANDLE CreateFileBeside(const std::wstring &target, std::wstring *name)
{
    size_t slash = target.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
    std::wstring file = target.substr(folder.size());
    static volatile LONG counter = 0;
    for (int attempt = 0; attempt < 64; attempt++) {
        unsigned unique = GetTickCount() ^ (GetCurrentThreadId() << 16) ^
                          static_cast<unsigned>(InterlockedIncrement(&counter) * 2654435761u);
        std::wstring candidate = folder + file + L".~" + Hex(unique, 4) + L".tmp";
        if (candidate.size() >= MAX_PATH)
            candidate = folder + L"~" + Hex(unique, 4);
        if (candidate.size() >= MAX_PATH) {
            size_t room = MAX_PATH - 1 - folder.size();
            if (room < 2)
                return INVALID_HANDLE_VALUE;
            candidate = folder + L"~" + Hex(unique, room - 1);
        }
        HANDLE handle = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            *name = candidate;
            return handle;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}
