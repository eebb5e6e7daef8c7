// Sort keys made on a worker while rows are read, each batch of rows sorted there as its keys are
// done, and the sorted batches merged once the last row has come.
#include "app/row_order.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr size_t kBatchUnits = 32768;
// A sort key takes a few bytes for each unit of its text (its weights) and a few more (separators).
constexpr int kKeyBytesPerUnit = 6;
constexpr int kKeyBytesMore = 16;
// Longer texts have their key's size asked for: the room guessed would be too much to set aside.
constexpr int kLongestGuessed = 4096;
// Below this many rows a second thread costs more than it saves.
constexpr UINT kRowsWorthAThread = 2048;

}  // namespace

struct RowOrder {
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE changed;
    std::vector<std::wstring> batches;  // texts waiting for their keys, each with its terminator
    std::wstring filling;               // the batch being filled by the reader
    bool finished;                      // no more rows come
    HANDLE worker;
    LCID locale;                        // the reader's thread locale, which the keys follow
    // Written by whichever thread makes the keys, read once it is done.
    std::vector<char> keys;             // the keys one after another, in row order
    std::vector<size_t> starts;         // where each row's key starts
    std::vector<UINT> lengths;          // each row's key bytes
    std::vector<UINT> rows;             // row numbers, each batch's sorted by key
    std::vector<UINT> runEnds;          // where each batch's rows end in rows
};

namespace {

// The order of two rows' keys as bytes, a key before its longer ones; rows alike compare equal.
struct KeyOrder {
    const char *keys;
    const size_t *starts;
    const UINT *lengths;

    bool operator()(UINT a, UINT b) const
    {
        int order = memcmp(keys + starts[a], keys + starts[b], std::min(lengths[a], lengths[b]));
        return order != 0 ? order < 0 : lengths[a] < lengths[b];
    }
};

KeyOrder KeyOrderOf(const RowOrder *order)
{
    return {order->keys.data(), order->starts.data(), order->lengths.data()};
}

// Makes the keys of a batch of texts and sorts its rows by them, as one more run.
void KeyBatch(RowOrder *order, const std::wstring &batch)
{
    UINT first = static_cast<UINT>(order->starts.size());
    for (size_t at = 0; at < batch.size();) {
        const wchar_t *text = batch.c_str() + at;
        int length = static_cast<int>(wcslen(text));
        size_t start = order->keys.size();
        // Made straight into room that nearly every key fits, asking for the size only when it does not.
        int size = 0;
        if (length < kLongestGuessed) {
            int room = length * kKeyBytesPerUnit + kKeyBytesMore;
            order->keys.resize(start + room);
            size = LCMapStringW(order->locale, LCMAP_SORTKEY, text, length + 1,
                                reinterpret_cast<LPWSTR>(order->keys.data() + start), room);
        }
        if (size == 0) {
            int room = LCMapStringW(order->locale, LCMAP_SORTKEY, text, length + 1, nullptr, 0);
            order->keys.resize(start + std::max(room, 0));
            size = room > 0 ? LCMapStringW(order->locale, LCMAP_SORTKEY, text, length + 1,
                                           reinterpret_cast<LPWSTR>(order->keys.data() + start), room)
                            : 0;
        }
        order->keys.resize(start + std::max(size, 0));
        order->starts.push_back(start);
        order->lengths.push_back(static_cast<UINT>(std::max(size, 0)));
        at += length + 1;
    }
    UINT last = static_cast<UINT>(order->starts.size());
    for (UINT row = first; row < last; row++)
        order->rows.push_back(row);
    std::sort(order->rows.begin() + first, order->rows.end(), KeyOrderOf(order));
    order->runEnds.push_back(last);
}

DWORD WINAPI MakeKeys(void *parameter)
{
    RowOrder *order = static_cast<RowOrder *>(parameter);
    EnterCriticalSection(&order->lock);
    for (;;) {
        while (order->batches.empty() && !order->finished)
            SleepConditionVariableCS(&order->changed, &order->lock, INFINITE);
        if (order->batches.empty())
            break;
        std::wstring batch;
        batch.swap(order->batches.front());
        order->batches.erase(order->batches.begin());
        LeaveCriticalSection(&order->lock);
        KeyBatch(order, batch);
        EnterCriticalSection(&order->lock);
    }
    LeaveCriticalSection(&order->lock);
    return 0;
}

void PassBatch(RowOrder *order)
{
    if (order->filling.empty())
        return;
    if (!order->worker) {
        KeyBatch(order, order->filling);
        order->filling.clear();
        return;
    }
    EnterCriticalSection(&order->lock);
    order->batches.push_back(std::move(order->filling));
    LeaveCriticalSection(&order->lock);
    WakeConditionVariable(&order->changed);
    order->filling.clear();
}

// Sorted runs of rows, merged in pairs until one is left.
struct Runs {
    KeyOrder less;
    std::vector<UINT> rows, spare;
    std::vector<UINT> ends;     // where each run ends in rows
};

DWORD WINAPI MergeRuns(void *parameter)
{
    Runs &runs = *static_cast<Runs *>(parameter);
    runs.spare.resize(runs.rows.size());
    while (runs.ends.size() > 1) {
        std::vector<UINT> merged;
        UINT start = 0;
        for (size_t run = 0; run < runs.ends.size(); run += 2) {
            UINT middle = runs.ends[run];
            UINT end = run + 1 < runs.ends.size() ? runs.ends[run + 1] : middle;
            std::merge(runs.rows.begin() + start, runs.rows.begin() + middle, runs.rows.begin() + middle,
                       runs.rows.begin() + end, runs.spare.begin() + start, runs.less);
            merged.push_back(end);
            start = end;
        }
        runs.rows.swap(runs.spare);
        runs.ends.swap(merged);
    }
    return 0;
}

// Rows whose keys are alike end up side by side in some order: put each such group in the
// caller's order.
void OrderAlikeRows(std::vector<UINT> &sorted, const KeyOrder &less, TieBefore tieBefore, const void *context)
{
    for (size_t first = 0; first < sorted.size();) {
        size_t end = first + 1;
        while (end < sorted.size() && !less(sorted[first], sorted[end]))
            end++;
        if (end - first > 1)
            std::sort(sorted.begin() + first, sorted.begin() + end,
                      [tieBefore, context](UINT a, UINT b) { return tieBefore(context, a, b); });
        first = end;
    }
}

}  // namespace

RowOrder *StartRowOrder()
{
    RowOrder *order = new RowOrder();
    InitializeCriticalSection(&order->lock);
    InitializeConditionVariable(&order->changed);
    order->locale = GetThreadLocale();
    order->worker = nullptr;
    return order;
}

void AddRowText(RowOrder *order, const wchar_t *text, size_t length)
{
    order->filling.append(text, length);
    order->filling.push_back(L'\0');
    if (order->filling.size() < kBatchUnits)
        return;
    // A worker only once the rows are many enough to be worth one.
    if (!order->worker)
        order->worker = CreateThread(nullptr, 0, MakeKeys, order, 0, nullptr);
    PassBatch(order);
}

std::vector<UINT> FinishRowOrder(RowOrder *order, TieBefore tieBefore, const void *context)
{
    PassBatch(order);
    if (order->worker) {
        EnterCriticalSection(&order->lock);
        order->finished = true;
        LeaveCriticalSection(&order->lock);
        WakeConditionVariable(&order->changed);
        WaitForSingleObject(order->worker, INFINITE);
        CloseHandle(order->worker);
    }

    // The first half of the runs merged on a helper thread, the second here, then the two.
    KeyOrder less = KeyOrderOf(order);
    size_t half = order->runEnds.size() / 2;
    UINT split = half > 0 ? order->runEnds[half - 1] : 0;
    Runs first = {less, std::vector<UINT>(order->rows.begin(), order->rows.begin() + split), {},
                  std::vector<UINT>(order->runEnds.begin(), order->runEnds.begin() + half)};
    Runs second = {less, std::vector<UINT>(order->rows.begin() + split, order->rows.end()), {}, {}};
    for (size_t run = half; run < order->runEnds.size(); run++)
        second.ends.push_back(order->runEnds[run] - split);
    HANDLE helper = order->rows.size() >= kRowsWorthAThread ? CreateThread(nullptr, 0, MergeRuns, &first, 0, nullptr)
                                                            : nullptr;
    if (!helper)
        MergeRuns(&first);
    MergeRuns(&second);
    if (helper) {
        WaitForSingleObject(helper, INFINITE);
        CloseHandle(helper);
    }
    std::vector<UINT> sorted(order->rows.size());
    std::merge(first.rows.begin(), first.rows.end(), second.rows.begin(), second.rows.end(), sorted.begin(), less);
    OrderAlikeRows(sorted, less, tieBefore, context);
    DeleteCriticalSection(&order->lock);
    delete order;
    return sorted;
}
