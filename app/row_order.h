// The order a sorted list view gives rows, found for many rows at once: by the sort key of each
// row's first text (SortedListKey), rows with equal texts in reverse order of arrival. The keys are
// made on a worker thread while the caller is still reading the rows, then sorted in two halves at
// once and merged. Used by one thread at a time.
#pragma once

#include <windows.h>

#include <vector>

struct RowOrder;

RowOrder *StartRowOrder();

// Hands over the next row's text (length units, no terminator needed).
void AddRowText(RowOrder *order, const wchar_t *text, size_t length);

// Waits for the keys and returns the rows' numbers (from 0, in the order they were added) in list
// order. order is freed.
std::vector<UINT> FinishRowOrder(RowOrder *order);
