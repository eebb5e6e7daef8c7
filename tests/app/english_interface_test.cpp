// The English resource module against the program's own Chinese resources, resource by resource:
// the same dialogs with the same controls (ids, order, kinds and styles), the same menus with the
// same commands at the same places, the same strings with the same format codes, and no Chinese
// text left in the English one.
#include "tests/support/program_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace {

// Whether a text holds Han characters or full-width punctuation.
bool HasChinese(const std::wstring &text)
{
    for (wchar_t c : text)
        if ((c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF))
            return true;
    return false;
}

BOOL CALLBACK CollectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<WORD> *>(found)->push_back(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

std::vector<WORD> ResourceIds(HMODULE module, LPCWSTR type)
{
    std::vector<WORD> ids;
    EnumResourceNamesW(module, type, CollectId, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

const BYTE *ResourceBytes(HMODULE module, WORD id, LPCWSTR type)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    return found ? static_cast<const BYTE *>(LockResource(LoadResource(module, found))) : nullptr;
}

// An extended dialog template, read as far as the tests compare it.
struct Control {
    DWORD exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    std::wstring kind;    // the class name, or "#" and the number of a predefined class
    std::wstring text;
};
struct Dialog {
    DWORD exStyle, style;
    short cx, cy;
    std::wstring menu, kind, caption, font;
    WORD pointSize = 0;
    std::vector<Control> controls;
};

// A name or ordinal field: 0 (none), 0xFFFF and a number, or a text.
std::wstring NameOrOrdinal(const WORD **at)
{
    const WORD *p = *at;
    if (*p == 0) {
        *at = p + 1;
        return L"";
    }
    if (*p == 0xFFFF) {
        *at = p + 2;
        return L"#" + std::to_wstring(p[1]);
    }
    std::wstring text(reinterpret_cast<const wchar_t *>(p));
    *at = p + text.size() + 1;
    return text;
}

const WORD *AlignToDword(const WORD *p, const BYTE *base)
{
    size_t offset = reinterpret_cast<const BYTE *>(p) - base;
    return reinterpret_cast<const WORD *>(base + ((offset + 3) & ~size_t(3)));
}

bool ReadDialog(const BYTE *bytes, Dialog *dialog)
{
    const WORD *p = reinterpret_cast<const WORD *>(bytes);
    if (!bytes || p[0] != 1 || p[1] != 0xFFFF)
        return false;   // not an extended template
    auto dword = [](const WORD *at) { return DWORD(at[0]) | (DWORD(at[1]) << 16); };
    dialog->exStyle = dword(p + 4);
    dialog->style = dword(p + 6);
    WORD count = p[8];
    dialog->cx = static_cast<short>(p[11]);
    dialog->cy = static_cast<short>(p[12]);
    p += 13;
    dialog->menu = NameOrOrdinal(&p);
    dialog->kind = NameOrOrdinal(&p);
    dialog->caption = NameOrOrdinal(&p);
    if (dialog->style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog->pointSize = p[0];
        p += 3;   // point size, weight, italic and character set
        dialog->font = reinterpret_cast<const wchar_t *>(p);
        p += dialog->font.size() + 1;
    }
    for (WORD i = 0; i < count; i++) {
        p = AlignToDword(p, bytes);
        Control control;
        control.exStyle = dword(p + 2);
        control.style = dword(p + 4);
        control.x = static_cast<short>(p[6]);
        control.y = static_cast<short>(p[7]);
        control.cx = static_cast<short>(p[8]);
        control.cy = static_cast<short>(p[9]);
        control.id = dword(p + 10);
        p += 12;
        control.kind = NameOrOrdinal(&p);
        control.text = NameOrOrdinal(&p);
        WORD extra = *p++;
        p = reinterpret_cast<const WORD *>(reinterpret_cast<const BYTE *>(p) + extra);
        dialog->controls.push_back(control);
    }
    return true;
}

// A menu as a list of lines, one per item: its place, kind and command id. Texts go to texts.
void DescribeMenu(HMENU menu, const std::wstring &place, std::vector<std::wstring> *items,
                  std::vector<std::wstring> *texts)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 256;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        std::wstring here = place + L"/" + std::to_wstring(i);
        std::wstring kind = (info.fType & MFT_SEPARATOR) ? L"separator" : info.hSubMenu ? L"popup" : L"command";
        items->push_back(here + L" " + kind + L" " + std::to_wstring(info.hSubMenu ? 0 : info.wID) + L" type " +
                         std::to_wstring(info.fType) + L" state " + std::to_wstring(info.fState));
        texts->push_back(text);
        if (info.hSubMenu)
            DescribeMenu(info.hSubMenu, here, items, texts);
    }
}

// The printf conversions of a text in order, and the patterns of a file-dialog filter (every
// second field between "|").
std::vector<std::wstring> FormatCodes(const std::wstring &text)
{
    std::vector<std::wstring> codes;
    static const std::wregex conversion(L"%[-+ #0]*[0-9]*(\\.[0-9]+)?[a-zA-Z%]");
    for (std::wsregex_iterator it(text.begin(), text.end(), conversion), end; it != end; ++it)
        codes.push_back(it->str());
    if (text.find(L'|') != std::wstring::npos) {
        size_t field = 0, start = 0;
        for (size_t bar = text.find(L'|'); bar != std::wstring::npos; bar = text.find(L'|', start)) {
            if (field++ % 2 == 1)
                codes.push_back(L"pattern " + text.substr(start, bar - start));
            start = bar + 1;
        }
        codes.push_back(L"fields " + std::to_wstring(field));
    }
    return codes;
}

class EnglishInterface : public ::testing::Test {
protected:
    HMODULE chinese = LoadLibraryExW(BuiltFile(L"bin\\Lingotrove.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMODULE english = LoadLibraryExW(BuiltFile(L"english\\Lingotrove.exe.mui").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);

    void SetUp() override
    {
        ASSERT_NE(chinese, nullptr);
        ASSERT_NE(english, nullptr);
    }
    void TearDown() override
    {
        FreeLibrary(chinese);
        FreeLibrary(english);
    }
};

TEST_F(EnglishInterface, DialogsHaveTheSameControls)
{
    std::vector<WORD> ids = ResourceIds(chinese, RT_DIALOG);
    EXPECT_EQ(ids, (std::vector<WORD>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(ResourceIds(english, RT_DIALOG), ids);
    for (WORD id : ids) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        Dialog zh, en;
        ASSERT_TRUE(ReadDialog(ResourceBytes(chinese, id, RT_DIALOG), &zh));
        ASSERT_TRUE(ReadDialog(ResourceBytes(english, id, RT_DIALOG), &en));
        EXPECT_EQ(en.style, zh.style);
        EXPECT_EQ(en.exStyle, zh.exStyle);
        EXPECT_EQ(en.menu, zh.menu);
        EXPECT_EQ(en.kind, zh.kind);
        EXPECT_EQ(en.font, zh.font);
        EXPECT_EQ(en.pointSize, zh.pointSize);
        EXPECT_EQ(en.caption.empty(), zh.caption.empty());
        EXPECT_FALSE(HasChinese(en.caption)) << en.caption;
        ASSERT_EQ(en.controls.size(), zh.controls.size());
        for (size_t i = 0; i < zh.controls.size(); i++) {
            const Control &a = zh.controls[i], &b = en.controls[i];
            SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(a.id));
            EXPECT_EQ(b.id, a.id);
            EXPECT_EQ(b.kind, a.kind);
            EXPECT_EQ(b.style, a.style);
            EXPECT_EQ(b.exStyle, a.exStyle);
            EXPECT_EQ(b.text.empty(), a.text.empty());
            EXPECT_FALSE(HasChinese(b.text)) << b.text;
            // The quiz window's statics show phrases, where "&" is no mnemonic.
            if (id == 5 && (a.id == 10 || a.id == 2010)) {
                EXPECT_TRUE(a.style & SS_NOPREFIX);
                EXPECT_TRUE(b.style & SS_NOPREFIX);
            }
            // The quiz window lays out its rows from the template controls, and the main
            // window's list fills its width: those keep their places.
            if (id == 5 || a.id == 12) {
                EXPECT_EQ(b.x, a.x);
                EXPECT_EQ(b.y, a.y);
                EXPECT_EQ(b.cx, a.cx);
                EXPECT_EQ(b.cy, a.cy);
            }
        }
        if (id == 5) {
            EXPECT_EQ(en.cx, zh.cx);
            EXPECT_EQ(en.cy, zh.cy);
        }
    }
}

TEST_F(EnglishInterface, MenusHaveTheSameCommandsAtTheSamePlaces)
{
    std::vector<WORD> ids = ResourceIds(chinese, RT_MENU);
    EXPECT_EQ(ids, (std::vector<WORD>{1, 2}));
    EXPECT_EQ(ResourceIds(english, RT_MENU), ids);
    for (WORD id : ids) {
        SCOPED_TRACE("menu " + std::to_string(id));
        HMENU zhMenu = LoadMenuW(chinese, MAKEINTRESOURCEW(id));
        HMENU enMenu = LoadMenuW(english, MAKEINTRESOURCEW(id));
        ASSERT_NE(zhMenu, nullptr);
        ASSERT_NE(enMenu, nullptr);
        std::vector<std::wstring> zhItems, enItems, zhTexts, enTexts;
        DescribeMenu(zhMenu, L"", &zhItems, &zhTexts);
        DescribeMenu(enMenu, L"", &enItems, &enTexts);
        EXPECT_FALSE(zhItems.empty());
        EXPECT_EQ(enItems, zhItems);
        ASSERT_EQ(enTexts.size(), zhTexts.size());
        for (size_t i = 0; i < enTexts.size(); i++) {
            EXPECT_FALSE(HasChinese(enTexts[i])) << enTexts[i];
            EXPECT_EQ(enTexts[i].empty(), zhTexts[i].empty()) << enItems[i];
            // A mnemonic wherever the Chinese item has one.
            if (zhTexts[i].find(L'&') != std::wstring::npos) {
                EXPECT_NE(enTexts[i].find(L'&'), std::wstring::npos) << enTexts[i];
            }
        }
        if (id == 1) {
            wchar_t zhText[64] = {}, enText[64] = {};
            GetMenuStringW(zhMenu, 120, zhText, 64, MF_BYCOMMAND);
            GetMenuStringW(enMenu, 120, enText, 64, MF_BYCOMMAND);
            EXPECT_STREQ(zhText, L"\u8907\u7FD2");
            EXPECT_STREQ(enText, L"Re&view");
        }
        DestroyMenu(zhMenu);
        DestroyMenu(enMenu);
    }
}

TEST_F(EnglishInterface, TheExamMenuOffersTheProgressAfterTheQuizzes)
{
    for (HMODULE module : {chinese, english}) {
        SCOPED_TRACE(module == chinese ? "Chinese" : "English");
        HMENU bar = LoadMenuW(module, MAKEINTRESOURCEW(1));
        HMENU exam = GetSubMenu(bar, 3);
        std::vector<UINT> commands;
        for (int i = 0; exam && i < GetMenuItemCount(exam); i++)
            commands.push_back(GetMenuItemID(exam, i));
        auto at = [&](UINT command) { return std::find(commands.begin(), commands.end(), command) - commands.begin(); };
        EXPECT_EQ(at(107), 0);
        EXPECT_EQ(at(113), 1);
        EXPECT_LT(at(121), static_cast<ptrdiff_t>(commands.size()));
        EXPECT_GT(at(121), 1);
        wchar_t text[64] = {};
        GetMenuStringW(exam, 121, text, 64, MF_BYCOMMAND);
        EXPECT_STREQ(text, module == chinese ? L"\u5B78\u7FD2\u9032\u5EA6" : L"&Progress");
        DestroyMenu(bar);
    }
    Dialog dialog;
    ASSERT_TRUE(ReadDialog(ResourceBytes(english, 8, RT_DIALOG), &dialog));
    EXPECT_EQ(dialog.caption, L"Progress");
    std::vector<DWORD> ids;
    for (const Control &control : dialog.controls)
        if (control.id != static_cast<DWORD>(-1))
            ids.push_back(control.id);
    EXPECT_EQ(ids, (std::vector<DWORD>{10, 11, 12, 13, 14, 15, 20, IDOK}));
}

TEST_F(EnglishInterface, StringsHaveTheSameIdsAndFormatCodes)
{
    int compared = 0;
    for (UINT id = 0; id < 4096; id++) {
        wchar_t zh[512] = {}, en[512] = {};
        int zhLength = LoadStringW(chinese, id, zh, 512);
        int enLength = LoadStringW(english, id, en, 512);
        EXPECT_EQ(enLength > 0, zhLength > 0) << "string " << id;
        if (zhLength == 0 || enLength == 0)
            continue;
        compared++;
        EXPECT_EQ(FormatCodes(en), FormatCodes(zh)) << "string " << id;
        EXPECT_FALSE(HasChinese(en)) << "string " << id;
        // The program reads its messages into buffers of 120 units.
        EXPECT_LE(enLength, 120) << "string " << id;
    }
    EXPECT_EQ(compared, 48);
    wchar_t text[64] = {};
    LoadStringW(english, 5, text, 64);
    EXPECT_STREQ(text, L"Exam - %s");
    LoadStringW(english, 12, text, 64);
    EXPECT_STREQ(text, L"Review - %s");
    LoadStringW(chinese, 12, text, 64);
    EXPECT_STREQ(text, L"\u8907\u7FD2 - %s");
    LoadStringW(english, 1, text, 64);
    EXPECT_STREQ(text, L"%s - Lingotrove");
}

// The mnemonic of a text (the letter after "&", lowercased), or 0.
wchar_t Mnemonic(const std::wstring &text)
{
    for (size_t at = text.find(L'&'); at != std::wstring::npos && at + 1 < text.size(); at = text.find(L'&', at + 2))
        if (text[at + 1] != L'&')
            return static_cast<wchar_t>(towlower(text[at + 1]));
    return 0;
}

// Where one key would reach two places: within a dialog, within a menu, and between the main
// window's controls and its menu bar (the dialog manager would take the key from the menu).
void ExpectNoMnemonicTwice(const std::vector<std::wstring> &texts, const std::string &where)
{
    std::wstring seen;
    for (const std::wstring &text : texts) {
        wchar_t key = Mnemonic(text);
        if (key == 0)
            continue;
        EXPECT_EQ(seen.find(key), std::wstring::npos) << where << ": \"" << std::string(text.begin(), text.end())
                                                       << "\" shares its key";
        seen += key;
    }
}

TEST_F(EnglishInterface, NoKeyReachesTwoPlaces)
{
    for (HMODULE module : {chinese, english}) {
        SCOPED_TRACE(module == chinese ? "Chinese" : "English");
        for (WORD id : ResourceIds(module, RT_DIALOG)) {
            Dialog dialog;
            ASSERT_TRUE(ReadDialog(ResourceBytes(module, id, RT_DIALOG), &dialog));
            std::vector<std::wstring> texts;
            for (const Control &control : dialog.controls)
                texts.push_back(control.text);
            if (id == 1) {
                HMENU bar = LoadMenuW(module, MAKEINTRESOURCEW(1));
                for (int i = 0; i < GetMenuItemCount(bar); i++) {
                    wchar_t text[64] = {};
                    GetMenuStringW(bar, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
                    texts.push_back(text);
                }
                DestroyMenu(bar);
            }
            ExpectNoMnemonicTwice(texts, "dialog " + std::to_string(id));
        }
        for (WORD id : ResourceIds(module, RT_MENU)) {
            HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(id));
            for (int i = 0; i < GetMenuItemCount(menu); i++) {
                HMENU popup = GetSubMenu(menu, i);
                std::vector<std::wstring> texts;
                for (int j = 0; popup && j < GetMenuItemCount(popup); j++) {
                    wchar_t text[128] = {};
                    GetMenuStringW(popup, static_cast<UINT>(j), text, 128, MF_BYPOSITION);
                    texts.push_back(text);
                }
                ExpectNoMnemonicTwice(texts, "menu " + std::to_string(id) + " popup " + std::to_string(i));
            }
            DestroyMenu(menu);
        }
    }
}

TEST(FormatCodes, AreFoundInOrder)
{
    EXPECT_EQ(FormatCodes(L"%s - x %d %.2u 50%%"), (std::vector<std::wstring>{L"%s", L"%d", L"%.2u", L"%%"}));
    EXPECT_EQ(FormatCodes(L"XML Files|*.xml|"), (std::vector<std::wstring>{L"pattern *.xml", L"fields 2"}));
    EXPECT_NE(FormatCodes(L"XML|*.xml|"), FormatCodes(L"XML|*.htm|"));
}

}  // namespace
