// Escaping texts for file names.
#include "speech/file_names.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "store/text.h"

namespace {

// Device names of every folder. CLOCK$ is left out: since Windows NT it names an ordinary file,
// and a cache file of that name already works.
const wchar_t *const kDevices[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"};

// The second half of COMn and LPTn: 1 to 9, and the superscripts Windows takes for 1, 2 and 3.
bool IsPortNumber(wchar_t unit)
{
    return (unit >= L'1' && unit <= L'9') || unit == 0x00B9 || unit == 0x00B2 || unit == 0x00B3;
}

// Whether the first length units of text equal word (lower-case ASCII), ignoring ASCII case.
bool IsWord(const wchar_t *text, size_t length, const wchar_t *word)
{
    if (wcslen(word) != length)
        return false;
    for (size_t i = 0; i < length; i++) {
        wchar_t unit = text[i] >= L'A' && text[i] <= L'Z' ? text[i] - L'A' + L'a' : text[i];
        if (unit != word[i])
            return false;
    }
    return true;
}

}  // namespace

const wchar_t kDeviceNameFolder[] = L"devices";

// Windows reads a name as a device by its part before the first dot, blanks at its end dropped.
bool IsDeviceName(const wchar_t *name)
{
    size_t length = wcscspn(name, L".");
    while (length > 0 && name[length - 1] == L' ')
        length--;
    for (const wchar_t *device : kDevices)
        if (IsWord(name, length, device))
            return true;
    return length == 4 && (IsWord(name, 3, L"com") || IsWord(name, 3, L"lpt")) && IsPortNumber(name[3]);
}

void EscapeFileName(wchar_t *text)
{
    wchar_t copy[260];
    CopyBounded(copy, text, 260);
    wchar_t *out = text;
    for (const wchar_t *p = copy; *p != 0; p++) {
        // The table is sorted: " * / lie below the colon, < > ? \ | above it.
        bool forbidden = *p == L':' || (*p < L':' ? IsForbiddenFileNameChar(*p, 0, 2)
                                                  : IsForbiddenFileNameChar(*p, 4, 8));
        if (forbidden)
            out += _snwprintf(out, 3, L"%%%.2lX", static_cast<unsigned long>(*p));
        else
            *out++ = *p;
    }
    *out = 0;
}

void AvoidDeviceName(wchar_t *name)
{
    if (!IsDeviceName(name))
        return;
    wchar_t first[4];
    _snwprintf(first, 4, L"%%%.2lX", static_cast<unsigned long>(name[0]));
    memmove(name + 3, name + 1, (wcslen(name + 1) + 1) * sizeof(wchar_t));
    wmemcpy(name, first, 3);
}
