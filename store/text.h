// Text helpers shared by the store and the rest of the program: bounded copies, SQL quote
// doubling and the test for characters that file names may not contain.
#pragma once

#include <stddef.h>

// Copies at most size - 1 units of source into destination and always terminates it.
// size must be at least 1; with size 1 only the terminator is written.
void CopyBounded(wchar_t *destination, const wchar_t *source, size_t size);

// Copies source into destination with every apostrophe written twice. The destination must hold
// DoubledLength(source) + 1 units.
void DoubleQuotes(const wchar_t *source, wchar_t *destination);

// Number of units DoubleQuotes writes for source, terminator not counted.
size_t DoubledLength(const wchar_t *source);

// Whether unit equals one of the entries first..last (both included, 0..8) of the sorted table of
// the nine characters file names may not contain: " * / : < > ? \ |
bool IsForbiddenFileNameChar(wchar_t unit, int first, int last);
