// Bounded copies, quote doubling and the forbidden file-name character table.
#include "store/text.h"

void CopyBounded(wchar_t *destination, const wchar_t *source, size_t size)
{
    size_t i = 0;
    for (; i + 1 < size && source[i] != 0; i++)
        destination[i] = source[i];
    destination[i] = 0;
}

size_t DoubledLength(const wchar_t *source)
{
    size_t length = 0;
    for (; *source != 0; source++)
        length += (*source == L'\'') ? 2 : 1;
    return length;
}

void DoubleQuotes(const wchar_t *source, wchar_t *destination)
{
    for (; *source != 0; source++) {
        *destination++ = *source;
        if (*source == L'\'')
            *destination++ = L'\'';
    }
    *destination = 0;
}

static const wchar_t kForbiddenFileNameChars[9] = {
    L'"', L'*', L'/', L':', L'<', L'>', L'?', L'\\', L'|',
};

bool IsForbiddenFileNameChar(wchar_t unit, int first, int last)
{
    while (first <= last) {
        int middle = (first + last) / 2;
        unsigned short entry = kForbiddenFileNameChars[middle];
        if (entry < static_cast<unsigned short>(unit))
            first = middle + 1;
        else if (entry > static_cast<unsigned short>(unit))
            last = middle - 1;
        else
            return true;
    }
    return false;
}
