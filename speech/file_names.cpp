// Escaping texts for file names.
#include "speech/file_names.h"

#include <stdio.h>

#include "store/text.h"

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
