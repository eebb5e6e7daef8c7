// Loading and running plug-ins.
#include "app/plugins.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <vector>

#include "app/phrase_rows.h"
#include "app/plugin_api.h"
#include "app/shell.h"
#include "common/list_rows.h"
#include "resources/resource_ids.h"
#include "store/phrase_store.h"
#include "store/text.h"

namespace {

constexpr unsigned kMostPlugins = 50;
constexpr size_t kTextUnits = 1024;
constexpr size_t kCodeUnits = 128;

wchar_t g_folder[MAX_PATH] = {};

// Calls function with count 32-bit arguments and returns what it leaves in EAX. The stack pointer
// is put back afterwards, so a function built as __cdecl (which leaves its arguments on the
// stack) does the program no harm where __stdcall was expected.
UINT_PTR CallKeepingStack(FARPROC function, const UINT_PTR *arguments, int count)
{
    UINT_PTR result = 0;
#if defined(_WIN64)
    // x64 has one calling convention, in which the caller owns the stack: nothing to restore.
    typedef UINT_PTR(WINAPI * Two)(UINT_PTR, UINT_PTR);
    typedef UINT_PTR(WINAPI * Five)(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR);
    void *address = reinterpret_cast<void *>(function);
    if (count == 2)
        result = reinterpret_cast<Two>(address)(arguments[0], arguments[1]);
    else if (count == 5)
        result = reinterpret_cast<Five>(address)(arguments[0], arguments[1], arguments[2], arguments[3], arguments[4]);
#elif defined(__GNUC__) && defined(__i386__)
    asm volatile(
        "movl %%esp, %%esi\n\t"
        "1:\n\t"
        "testl %%ecx, %%ecx\n\t"
        "jz 2f\n\t"
        "pushl -4(%%edx,%%ecx,4)\n\t"
        "decl %%ecx\n\t"
        "jmp 1b\n\t"
        "2:\n\t"
        "call *%%edi\n\t"
        "movl %%esi, %%esp\n\t"
        : "=a"(result), "+c"(count), "+d"(arguments)
        : "D"(function)
        : "esi", "memory", "cc");
#elif defined(_MSC_VER) && defined(_M_IX86)
    __asm {
        mov esi, esp
        mov ecx, count
        mov edx, arguments
    next:
        test ecx, ecx
        jz call_it
        push dword ptr [edx + ecx * 4 - 4]
        dec ecx
        jmp next
    call_it:
        call function
        mov esp, esi
        mov result, eax
    }
#else
#error "plug-ins are x86 or x64 libraries"
#endif
    return result;
}

// The folder searched for plug-ins, with a trailing backslash, in a MAX_PATH buffer.
void PluginFolder(wchar_t *folder)
{
    if (g_folder[0] != 0)
        lstrcpynW(folder, g_folder, MAX_PATH);
    else
        GetProgramFolder(folder);
    PathAddBackslashW(folder);
}

// Whether a page of this region can be read without a fault.
bool IsReadableRegion(const MEMORY_BASIC_INFORMATION &region)
{
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return region.State == MEM_COMMIT && (region.Protect & readable) != 0 &&
           (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) == 0;
}

// The end of the readable region that holds address at, or 0 when the page there cannot be read.
UINT_PTR ReadableEnd(UINT_PTR at)
{
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(reinterpret_cast<const void *>(at), &region, sizeof region) != sizeof region ||
        !IsReadableRegion(region))
        return 0;
    UINT_PTR end = reinterpret_cast<UINT_PTR>(region.BaseAddress) + region.RegionSize;
    return end > at ? end : 0;
}

// Whether size bytes from address can all be read, region by region.
bool IsReadable(const void *address, size_t size)
{
    UINT_PTR at = reinterpret_cast<UINT_PTR>(address);
    UINT_PTR end = at + size;
    if (end < at)
        return false;
    while (at < end) {
        at = ReadableEnd(at);
        if (at == 0)
            return false;
    }
    return true;
}

// Whether text and its terminator can be read. It is walked unit by unit, and the next region is
// looked up only when a unit reaches past the part already found readable.
bool IsReadableText(const wchar_t *text)
{
    UINT_PTR readableEnd = reinterpret_cast<UINT_PTR>(text);   // every byte before it is readable
    for (const wchar_t *at = text;; at++) {
        UINT_PTR last = reinterpret_cast<UINT_PTR>(at) + sizeof *at - 1;
        while (last >= readableEnd) {
            readableEnd = ReadableEnd(readableEnd);
            if (readableEnd == 0)
                return false;
        }
        if (*at == 0)
            return true;
    }
}

// The plug-in's menu caption, or null when it cannot be loaded as one or declines. A record or
// caption that cannot be read counts as declining: a plug-in whose information function was
// declared void returns whatever its last call left in EAX.
const wchar_t *AskCaption(HMODULE module)
{
    FARPROC info = GetProcAddress(module, "LingotrovePluginInfo");
    if (!info)
        return nullptr;
    const UINT_PTR arguments[2] = {LINGOTROVE_PLUGIN_VERSION, LINGOTROVE_PLUGIN_NINE};
    const LingotrovePluginInfoRecord *record =
        reinterpret_cast<const LingotrovePluginInfoRecord *>(CallKeepingStack(info, arguments, 2));
    if (!record || !IsReadable(record, sizeof *record))
        return nullptr;
    if (!record->caption)
        return L"";
    return IsReadableText(record->caption) ? record->caption : nullptr;
}

}  // namespace

void SetPluginFolder(const wchar_t *folder)
{
    g_folder[0] = 0;
    if (folder)
        lstrcpynW(g_folder, folder, MAX_PATH);
}

void LoadPlugins(HWND window, ShellState *shell)
{
    shell->pluginCount = 0;
    shell->pluginModules = nullptr;
    HMENU popup = GetSubMenu(GetMenu(window), 4);
    if (!popup)
        return;
    // The resource compiler keeps the popup only with an item in it: a placeholder with ID 0.
    DeleteMenu(popup, 0, MF_BYCOMMAND);
    HMODULE *modules = static_cast<HMODULE *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                        kMostPlugins * sizeof(HMODULE)));
    if (!modules)
        return;

    wchar_t folder[MAX_PATH];
    PluginFolder(folder);
    wchar_t pattern[MAX_PATH];
    lstrcpynW(pattern, folder, MAX_PATH);
    PathAppendW(pattern, L"*.plugin");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        HeapFree(GetProcessHeap(), 0, modules);
        return;
    }
    unsigned count = 0;
    do {
        // By its full path, so that a file that cannot be mapped (a 64-bit build, say) is never
        // replaced by a library of the same name found elsewhere, and its own libraries are
        // looked for beside it first.
        wchar_t path[MAX_PATH];
        lstrcpynW(path, folder, MAX_PATH);
        if (!PathAppendW(path, found.cFileName))
            continue;
        HMODULE module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!module)
            continue;
        if (!GetProcAddress(module, "LingotrovePluginInfo") || count == kMostPlugins) {
            FreeLibrary(module);
            continue;
        }
        const wchar_t *caption = AskCaption(module);
        if (!caption) {
            FreeLibrary(module);
            continue;
        }
        AppendMenuW(popup, MF_STRING, IDM_PLUGIN_FIRST + count, caption);
        modules[count++] = module;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    shell->pluginCount = count;
    shell->pluginModules = modules;
}

void RunPlugin(HWND window, ShellState *shell, int n)
{
    if (n < 0 || static_cast<unsigned>(n) >= shell->pluginCount || !shell->pluginModules)
        return;
    FARPROC execute = GetProcAddress(shell->pluginModules[n], "LingotrovePluginExecute");
    if (!execute)
        return;

    // Copies of the pair for the plug-in: what it writes into them goes nowhere. The texts get
    // 1024 units each and the codes 128, as plug-ins have always been given.
    std::vector<wchar_t> texts(2 * kTextUnits + 2 * kCodeUnits, L'\0');
    wchar_t *sourceText = texts.data();
    wchar_t *targetText = sourceText + kTextUnits;
    wchar_t *sourceCode = targetText + kTextUnits;
    wchar_t *targetCode = sourceCode + kCodeUnits;
    HWND list = GetDlgItem(window, IDC_PHRASE_LIST);
    int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row != -1) {
        CopyBounded(targetText, RowText(list, row, 1).c_str(), kTextUnits);
        CopyBounded(sourceText, RowText(list, row, 0).c_str(), kTextUnits);
        GetPhraseLanguageCodes(shell->db, PhraseRowId(list, row), sourceCode, targetCode);
    }
    const UINT_PTR arguments[5] = {
        reinterpret_cast<UINT_PTR>(window),     reinterpret_cast<UINT_PTR>(sourceCode),
        reinterpret_cast<UINT_PTR>(sourceText), reinterpret_cast<UINT_PTR>(targetCode),
        reinterpret_cast<UINT_PTR>(targetText),
    };
    // The services answer only while this flag is set; the previous value is put back, since a
    // plug-in that runs a message loop may let the user start another one.
    bool wasRunning = shell->pluginRunning;
    shell->pluginRunning = true;
    CallKeepingStack(execute, arguments, 5);
    shell->pluginRunning = wasRunning;
}
