#include "common/file_names.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

bool IsDeviceName(const std::wstring &stem)
{
    static const wchar_t *const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (const wchar_t *device : kDevices)
        if (CompareStringOrdinal(stem.c_str(), -1, device, -1, TRUE) == CSTR_EQUAL)
            return true;
    if (stem.size() != 4)
        return false;
    bool port = CompareStringOrdinal(stem.c_str(), 3, L"COM", 3, TRUE) == CSTR_EQUAL ||
                CompareStringOrdinal(stem.c_str(), 3, L"LPT", 3, TRUE) == CSTR_EQUAL;
    wchar_t digit = stem[3];
    return port && ((digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3');
}

}  // namespace

bool IsWindowsFileName(const wchar_t *name)
{
    size_t length = wcslen(name);
    if (length == 0 || name[length - 1] == L'.' || name[length - 1] == L' ')
        return false;
    for (size_t i = 0; i < length; i++)
        if (name[i] < 32 || wcschr(L"<>:\"/\\|?*", name[i]))
            return false;
    // A device name stays one with an extension ("nul.db") and with blanks before it.
    std::wstring stem(name, wcscspn(name, L"."));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    return !IsDeviceName(stem);
}
