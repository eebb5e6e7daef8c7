// Case folding by table, built once from the system's own linguistic casing. Main thread only: the
// table and the composing buffer are the process's.
#include "app/text_match.h"

#include <windows.h>

#include <vector>

namespace {

// Each UTF-16 unit's folded form (one unit, or two for ß) and whether it is a combining mark.
struct FoldTable {
    std::vector<wchar_t> single;    // the unit's folded form, or 0 when it folds to two
    std::vector<bool> mark;         // may compose with the unit before: the text may need composing
};

bool IsSurrogate(size_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

FoldTable MakeFoldTable()
{
    FoldTable table;
    constexpr int kUnits = 0x10000;
    std::vector<wchar_t> units(kUnits);
    for (size_t unit = 0; unit < units.size(); unit++)
        units[unit] = static_cast<wchar_t>(IsSurrogate(unit) ? L' ' : unit);
    table.single = units;
    // In one call: lower case as the user's language writes it, unit for unit.
    std::vector<wchar_t> lower(kUnits);
    if (LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING, units.data(), kUnits,
                      lower.data(), kUnits, nullptr, nullptr, 0) == kUnits) {
        for (size_t unit = 0; unit < units.size(); unit++) {
            if (!IsSurrogate(unit))
                table.single[unit] = lower[unit];
        }
    }
    std::vector<WORD> types(kUnits);
    table.mark.assign(kUnits, false);
    if (GetStringTypeW(CT_CTYPE3, units.data(), kUnits, types.data())) {
        for (size_t unit = 0; unit < units.size(); unit++)
            table.mark[unit] = !IsSurrogate(unit) && (types[unit] & (C3_NONSPACING | C3_DIACRITIC | C3_VOWELMARK)) != 0;
    }
    // The vowels and final consonants of Hangul written as jamo compose into syllables.
    for (size_t unit = 0x1160; unit <= 0x11FF; unit++)
        table.mark[unit] = true;
    for (size_t unit = 0xD800; unit <= 0xDFFF; unit++)
        table.single[unit] = static_cast<wchar_t>(unit);
    // What lower case alone leaves apart: the capital I with a dot is i, the final sigma is σ,
    // and the sharp s is ss (marked 0: two units).
    table.single[0x0130] = L'i';
    table.single[0x03C2] = 0x03C3;
    table.single[0x00DF] = 0;
    table.single[0x1E9E] = 0;
    return table;
}

const FoldTable &Table()
{
    static const FoldTable table = MakeFoldTable();
    return table;
}

bool HasMark(const FoldTable &table, const wchar_t *text, size_t length)
{
    for (size_t i = 0; i < length; i++) {
        // No mark comes before U+0300.
        if (text[i] >= 0x300 && table.mark[static_cast<unsigned short>(text[i])])
            return true;
    }
    return false;
}

}  // namespace

void FoldText(const wchar_t *text, size_t length, std::wstring *folded)
{
    const FoldTable &table = Table();
    // A letter and its accent become the one letter they write, as typed letters mostly are.
    // Composing rarely lengthens a text; a buffer of three times it does for any.
    static std::vector<wchar_t> composed;
    if (HasMark(table, text, length)) {
        composed.resize(3 * length + 8);
        int size = NormalizeString(NormalizationC, text, static_cast<int>(length), composed.data(),
                                   static_cast<int>(composed.size()));
        if (size > 0) {
            text = composed.data();
            length = static_cast<size_t>(size);
        }
    }
    // Every unit folds to at most two.
    folded->resize(2 * length);
    wchar_t *out = &(*folded)[0];
    const wchar_t *single = table.single.data();
    for (size_t i = 0; i < length; i++) {
        wchar_t unit = single[static_cast<unsigned short>(text[i])];
        if (unit != 0) {
            *out++ = unit;
        } else {
            *out++ = L's';
            *out++ = L's';
        }
    }
    folded->resize(static_cast<size_t>(out - folded->data()));
}

bool HoldsText(const wchar_t *text, const std::wstring &wanted, bool exact, std::wstring *scratch)
{
    if (exact)
        return wcsstr(text, wanted.c_str()) != nullptr;
    FoldText(text, wcslen(text), scratch);
    return scratch->find(wanted) != std::wstring::npos;
}

bool StartsOrEquals(const wchar_t *text, const std::wstring &wanted, bool partial, std::wstring *scratch)
{
    FoldText(text, wcslen(text), scratch);
    return partial ? scratch->compare(0, wanted.size(), wanted) == 0 : *scratch == wanted;
}
