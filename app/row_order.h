// The order a sorted list view gives rows, found for many rows at once: by the sort key of each
// row's first text (SortedListKey), rows whose texts sort alike in the order the caller says (the
// list puts a row it is given before those alike, so that is the reverse of the order they would
// have been given in). The keys are made on a worker thread while the caller is still reading the
// rows, each batch of rows sorted there as its keys are done; the batches are merged at the end,
// two halves at once. Used by one thread at a time.
#pragma once

#include <windows.h>

#include <vector>

struct RowOrder;

RowOrder *StartRowOrder();

// Hands over the next row's text (length units, no terminator needed).
void AddRowText(RowOrder *order, const wchar_t *text, size_t length);

// Whether row a comes before row b (numbers from 0, in the order they were added) when their texts
// sort alike. Must order any two different rows.
typedef bool (*TieBefore)(const void *context, UINT a, UINT b);

// Waits for the keys and returns the rows' numbers in list order. order is freed.
std::vector<UINT> FinishRowOrder(RowOrder *order, TieBefore tieBefore, const void *context);
