// Sort keys made on a worker while rows are read, and the rows sorted by them.
#include "app/row_order.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/list_rows.h"

namespace {

constexpr size_t kBatchUnits = 32768;
// Below this many rows a second thread costs more than it saves.
constexpr UINT kRowsWorthAThread = 2048;

bool KeyBefore(const std::vector<const char *> &key, const std::vector<UINT> &length, UINT a, UINT b)
{
    int order = memcmp(key[a], key[b], std::min(length[a], length[b]));
    if (order == 0 && length[a] != length[b])
        order = length[a] < length[b] ? -1 : 1;
    // Equal texts: the later row first, as the list's own insertion puts it.
    return order != 0 ? order < 0 : a > b;
}

}  // namespace

struct RowOrder {
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE changed;
    std::vector<std::wstring> batches;  // texts waiting for their keys, each with its terminator
    std::wstring filling;               // the batch being filled by the reader
    bool finished;                      // no more rows come
    HANDLE worker;
    LCID locale;                        // the reader's thread locale, which the keys follow
    std::vector<char> keys;             // the keys one after another, in row order
    std::vector<size_t> starts;         // where each row's key starts
};

namespace {

void KeyBatch(RowOrder *order, const std::wstring &batch)
{
    for (size_t at = 0; at < batch.size();) {
        const wchar_t *text = batch.c_str() + at;
        int length = static_cast<int>(wcslen(text));
        int size = LCMapStringW(order->locale, LCMAP_SORTKEY, text, length + 1, nullptr, 0);
        order->starts.push_back(order->keys.size());
        if (size > 0) {
            order->keys.resize(order->keys.size() + size);
            LCMapStringW(order->locale, LCMAP_SORTKEY, text, length + 1,
                         reinterpret_cast<LPWSTR>(order->keys.data() + order->keys.size() - size), size);
        }
        at += length + 1;
    }
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

struct SortedHalf {
    const std::vector<const char *> *key;
    const std::vector<UINT> *length;
    std::vector<UINT> rows;
};

DWORD WINAPI SortHalf(void *parameter)
{
    SortedHalf &half = *static_cast<SortedHalf *>(parameter);
    std::sort(half.rows.begin(), half.rows.end(),
              [&half](UINT a, UINT b) { return KeyBefore(*half.key, *half.length, a, b); });
    return 0;
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

std::vector<UINT> FinishRowOrder(RowOrder *order)
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
    UINT count = static_cast<UINT>(order->starts.size());
    std::vector<const char *> key(count);
    std::vector<UINT> length(count);
    for (UINT row = 0; row < count; row++) {
        size_t end = row + 1 < count ? order->starts[row + 1] : order->keys.size();
        key[row] = order->keys.data() + order->starts[row];
        length[row] = static_cast<UINT>(end - order->starts[row]);
    }

    SortedHalf halves[2] = {{&key, &length, {}}, {&key, &length, {}}};
    for (UINT row = 0; row < count; row++)
        halves[row < count / 2 ? 0 : 1].rows.push_back(row);
    HANDLE helper = count >= kRowsWorthAThread ? CreateThread(nullptr, 0, SortHalf, &halves[1], 0, nullptr) : nullptr;
    SortHalf(&halves[0]);
    if (helper) {
        WaitForSingleObject(helper, INFINITE);
        CloseHandle(helper);
    } else {
        SortHalf(&halves[1]);
    }
    std::vector<UINT> sorted(count);
    std::merge(halves[0].rows.begin(), halves[0].rows.end(), halves[1].rows.begin(), halves[1].rows.end(),
               sorted.begin(), [&key, &length](UINT a, UINT b) { return KeyBefore(key, length, a, b); });
    DeleteCriticalSection(&order->lock);
    delete order;
    return sorted;
}
