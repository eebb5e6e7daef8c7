// One notion of "the same text, case ignored" for Find and for typing ahead in the phrase list:
// as the user's language reads it, so that İ and i, ß and SS, σ and ς, and a letter written
// composed (é) or as its base and an accent (e and U+0301) all match. Texts are folded once into
// a form compared unit by unit, which keeps a search over a whole large list fast. Main thread.
#pragma once

#include <stddef.h>

#include <string>

// Writes text (length units) folded into *folded, replacing what it held.
void FoldText(const wchar_t *text, size_t length, std::wstring *folded);

// Whether text holds wanted, both as they are when exact, or as folded otherwise. wanted must
// come from FoldText unless exact. scratch is the caller's, reused between calls. An empty
// wanted is held by every text.
bool HoldsText(const wchar_t *text, const std::wstring &wanted, bool exact, std::wstring *scratch);

// Whether text begins with wanted (partial) or equals it, case ignored as above. wanted must
// come from FoldText; scratch is the caller's, reused between calls.
bool StartsOrEquals(const wchar_t *text, const std::wstring &wanted, bool partial, std::wstring *scratch);
