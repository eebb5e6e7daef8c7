// The built program, its English module and the example plug-ins carry the project's version as
// their file and product version, as Windows reads it (Explorer's Details, the installer).
#include "tests/support/program_process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "version.h"

namespace {

struct Version {
    bool found = false;
    DWORD fileMS = 0, fileLS = 0, productMS = 0, productLS = 0;
    std::wstring fileText, productText;
};

std::wstring QueryText(std::vector<BYTE> &data, const wchar_t *name)
{
    struct Translation { WORD language, codePage; } *translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translations), &size) ||
        size < sizeof(Translation))
        return L"";
    wchar_t path[128];
    wsprintfW(path, L"\\StringFileInfo\\%04x%04x\\%s", translations[0].language, translations[0].codePage, name);
    wchar_t *text = nullptr;
    if (!VerQueryValueW(data.data(), path, reinterpret_cast<void **>(&text), &size) || !text)
        return L"";
    return text;
}

Version ReadVersion(const std::wstring &file)
{
    Version version;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0)
        return version;
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT fixedSize = 0;
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void **>(&fixed), &fixedSize) || !fixed)
        return version;
    version.found = true;
    version.fileMS = fixed->dwFileVersionMS;
    version.fileLS = fixed->dwFileVersionLS;
    version.productMS = fixed->dwProductVersionMS;
    version.productLS = fixed->dwProductVersionLS;
    version.fileText = QueryText(data, L"FileVersion");
    version.productText = QueryText(data, L"ProductVersion");
    return version;
}

TEST(Version, EveryShippedFileCarriesTheProjectVersion)
{
    const DWORD parts[] = {LINGOTROVE_VERSION_BINARY};
    const DWORD high = MAKELONG(parts[1], parts[0]), low = MAKELONG(parts[3], parts[2]);
    const std::string text = LINGOTROVE_VERSION_TEXT;
    const std::wstring expected(text.begin(), text.end());
    for (const wchar_t *shipped : {L"bin\\Lingotrove.exe", L"english\\Lingotrove.exe.mui",
                                   L"plugins\\copy_pair.plugin", L"plugins\\speak_pair.plugin"}) {
        SCOPED_TRACE(shipped);
        Version version = ReadVersion(BuiltFile(shipped));
        ASSERT_TRUE(version.found);
        EXPECT_EQ(version.fileMS, high);
        EXPECT_EQ(version.fileLS, low);
        EXPECT_EQ(version.productMS, high);
        EXPECT_EQ(version.productLS, low);
        EXPECT_EQ(version.fileText, expected);
        EXPECT_EQ(version.productText, expected);
    }
}

}  // namespace
