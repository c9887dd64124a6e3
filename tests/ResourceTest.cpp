// Reads the resources back from the built Veneerkit.exe and compares them with what they must be.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/TestSupport.h"

namespace {

const WORD kLanguage = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN); // 0x0411

// Loaded once for the whole run and never freed: the data stays valid for every test.
HMODULE Product()
{
    static HMODULE module = LoadLibraryExA(test::ProductPath().c_str(), NULL,
                                           LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

// The bytes of one resource, asked for in 0x0411 (a lookup may fall back to another language;
// the enumeration below checks them). Without the product module the lookup would find the test
// exe's own copy, so that fails instead.
std::string ResourceBytes(LPCSTR type, int id)
{
    HMODULE module = Product();
    HRSRC info = module ? FindResourceExA(module, type, MAKEINTRESOURCEA(id), kLanguage) : NULL;
    const char* data = info ? static_cast<const char*>(LockResource(LoadResource(module, info)))
                            : NULL;
    return data ? std::string(data, SizeofResource(module, info)) : "(missing)";
}

// Reads fields in the order the format names them and writes each as text, one space apart:
// b byte, w word, d dword, x dword in hex, s zero-ended UTF-16 text in quotes, n the same or
// #ordinal after 0xFFFF, | skip to the next DWORD boundary. Past the end every field reads 0.
// With `next`, reading starts there and moves it on.
std::string Decode(const std::string& bytes, const char* format, size_t* next = nullptr)
{
    size_t start = 0;
    size_t& pos = next ? *next : start;
    auto read = [&](size_t size) {
        DWORD value = 0;
        if (pos + size <= bytes.size())
            memcpy(&value, bytes.data() + pos, size);
        pos += size;
        return value;
    };
    std::ostringstream out;
    for (const char* field = format; *field; ++field) {
        if (*field == '|') {
            pos = (pos + 3) & ~static_cast<size_t>(3);
            continue;
        }
        if (out.tellp() > 0)
            out << ' ';
        if (*field == 'b' || *field == 'w' || *field == 'd')
            out << read(*field == 'b' ? 1 : *field == 'w' ? 2 : 4);
        else if (*field == 'x')
            out << std::hex << read(4) << std::dec;
        else if (*field == 'n' && read(2) == 0xFFFF)
            out << '#' << read(2);
        else {
            pos -= *field == 'n' ? 2 : 0;
            out << '\'';
            for (DWORD c = read(2); c != 0; c = read(2))
                out << static_cast<char>(c < 0x80 ? c : '?');
            out << '\'';
        }
    }
    return out.str();
}

struct Layout {
    LPCSTR type;
    int id;
    size_t size;                                             // of the whole resource
    std::vector<std::pair<const char*, const char*>> fields; // format and text, read in turn
};

const Layout kLayouts[] = {
    // DLGTEMPLATEEX: version, signature, help id, extended style, style, control count, x, y,
    // cx, cy, menu, class, title; point size, weight, italic, charset, typeface. Then each
    // control on a DWORD boundary: help id, extended style, style, x, y, cx, cy, id, class
    // (#129 edit, #128 button), title, creation data size. 330 bytes: nothing after the last.
    // Styles: 90cf0040 a resizable popup with a caption, system menu, minimize and maximize boxes
    // and DS_SETFONT; the controls WS_CHILD | WS_VISIBLE | WS_TABSTOP, edit, list and tree with
    // WS_BORDER, plus ES_READONLY | ES_AUTOHSCROLL, LVS_REPORT, the tree's buttons and lines.
    { RT_DIALOG,
      IDD_MAIN_DIALOG,
      330,
      { { "wwdxxwwwwwnnn", "1 65535 0 40000 90cf0040 5 0 0 330 242 '' '' 'Veneerkit'" },
        { "wwbbs", "9 0 0 1 'Tahoma'" },
        { "|dxxwwwwdnnw", "0 0 50810880 7 7 215 14 1001 #129 '' 0" },
        { "|dxxwwwwdnnw", "0 0 50810001 163 32 160 203 1003 'SysListView32' 'List2' 0" },
        { "|dxxwwwwdnnw", "0 0 50010000 225 7 47 14 1007 #128 'All ON' 0" },
        { "|dxxwwwwdnnw", "0 0 50010000 276 7 47 14 1008 #128 'All OFF' 0" },
        { "|dxxwwwwdnnw", "0 0 50810007 7 32 153 203 1009 'SysTreeView32' 'Tree1' 0" } } },
    // GRPICONDIR: reserved, 1 for icons, image count; then per image width, height, colour
    // count (0 for 256), reserved, planes, bits per pixel, bytes, RT_ICON id.
    { RT_GROUP_ICON,
      IDR_MAINFRAME,
      6 + 2 * 14,
      { { "www", "0 1 2" },
        { "bbbbwwdw", "32 32 0 0 1 8 2216 1" },
        { "bbbbwwdw", "16 16 16 0 1 4 296 2" } } },
    // Each image is a DIB of twice its height (colour bits, then the AND mask) with a full
    // palette: 40 + 256 * 4 + 32 * 32 + 32 * 4 and 40 + 16 * 4 + 16 * 8 + 16 * 4 bytes. Header:
    // size, width, height, planes, bits per pixel, compression.
    { RT_ICON, 1, 2216, { { "dddwwd", "40 32 64 1 8 0" } } },
    { RT_ICON, 2, 296, { { "dddwwd", "40 16 32 1 4 0" } } },
};

TEST(ResourceTest, BinaryResourcesDecodeFieldByField)
{
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(testing::Message() << "resource " << layout.id);
        std::string bytes = ResourceBytes(layout.type, layout.id);
        EXPECT_EQ(layout.size, bytes.size());
        size_t pos = 0;
        for (const auto& field : layout.fields)
            EXPECT_EQ(field.second, Decode(bytes, field.first, &pos));
    }
}

// The dependency lines the program writes beside programs, here with CR LF ends, an empty line
// after the opening assembly element and one at the end, and a request to run as the invoker:
// without one Windows virtualizes a write into Program Files, so that it fakes success there.
const char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n\r\n"
    "<description></description>\r\n<dependency>\r\n    <dependentAssembly>\r\n"
    "        <assemblyIdentity\r\n            type=\"win32\"\r\n"
    "            name=\"Microsoft.Windows.Common-Controls\"\r\n"
    "            version=\"6.0.0.0\"\r\n            processorArchitecture=\"*\"\r\n"
    "            publicKeyToken=\"6595b64144ccf1df\"\r\n            language=\"*\"\r\n"
    "        />\r\n    </dependentAssembly>\r\n</dependency>\r\n"
    "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">\r\n    <security>\r\n"
    "        <requestedPrivileges>\r\n"
    "            <requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>\r\n"
    "        </requestedPrivileges>\r\n    </security>\r\n</trustInfo>\r\n"
    "</assembly>\r\n\r\n";
static_assert(sizeof kManifest - 1 == 759, "manifest size");

TEST(ResourceTest, OwnManifestIsTheDependencyManifestRunAsInvoker)
{
    EXPECT_EQ(kManifest, ResourceBytes(RT_MANIFEST, 1));
}

TEST(ResourceTest, VersionValues)
{
    const std::string path = test::ProductPath();
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeA(path.c_str(), &ignored), '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, block.size(), &block[0])) << GetLastError();
    auto query = [&block](const std::string& key) -> std::string {
        char* value = NULL;
        UINT length = 0;
        if (!VerQueryValueA(&block[0], key.c_str(), reinterpret_cast<void**>(&value), &length))
            return "(missing)";
        return std::string(value, length);
    };

    // VS_FIXEDFILEINFO: signature, structure version, file version high and low, product
    // version high and low, flags mask, flags, OS (VOS__WINDOWS32), type (VFT_APP), subtype,
    // date high and low.
    EXPECT_EQ("feef04bd 10000 10000 40000 10000 40000 3f 0 4 1 0 0 0",
              Decode(query("\\"), "xxxxxxxxxxxxx"));
    // One pair only: language neutral (0x400), Unicode (1200).
    EXPECT_EQ("1024 1200", Decode(query("\\VarFileInfo\\Translation"), "ww"));

    const std::pair<const char*, const char*> strings[] = {
        { "Comments", "Switches the themed common controls on or off for each program." },
        { "CompanyName", "Veneerkit developers" },
        { "FileDescription", "Veneerkit" },
        { "FileVersion", "1, 0, 4, 0" },
        { "InternalName", "Veneerkit" },
        { "LegalCopyright", "Copyright (C) 2026 Veneerkit developers" },
        { "LegalTrademarks", "" },
        { "OriginalFilename", "Veneerkit.exe" },
        { "PrivateBuild", "" },
        { "ProductName", "Veneerkit" },
        { "ProductVersion", "1, 0, 4, 0" },
        { "SpecialBuild", "" },
    };
    for (const auto& entry : strings) {
        std::string key = std::string("\\StringFileInfo\\040004b0\\") + entry.first;
        EXPECT_STREQ(entry.second, query(key).c_str()) << entry.first;
    }
}

// Collects "type/name/language" of every resource.
BOOL CALLBACK AddLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR found)
{
    char text[64];
    // A resource named by a string shows as a stray number here, and fails all the same.
    wsprintfA(text, "%u/%u/%04x", LOWORD(type), LOWORD(name), language);
    reinterpret_cast<std::set<std::string>*>(found)->insert(text);
    return TRUE;
}
BOOL CALLBACK AddName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found)
{
    return EnumResourceLanguagesA(module, type, name, AddLanguage, found);
}
BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR found)
{
    return EnumResourceNamesA(module, type, AddName, found);
}

// Also catches a resource that a toolchain adds on its own (a default manifest, say). The string
// tables, blocks of sixteen, come in Japanese and in English; everything else in 0x0411 alone.
TEST(ResourceTest, TheseResourcesAndNoOthersAllInLanguage0411)
{
    ASSERT_TRUE(Product() != NULL) << "cannot load " << test::ProductPath() << " as a data file";
    std::set<std::string> found;
    EnumResourceTypesA(Product(), AddType, reinterpret_cast<LONG_PTR>(&found));
    // Two RT_ICON images, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST and RT_STRING.
    std::set<std::string> expected = { "3/1/0411",    "3/2/0411",  "5/102/0411",
                                       "14/128/0411", "16/1/0411", "24/1/0411" };
    for (int block = IDS_PROGRAMS / 16 + 1; block <= IDS_REASON_STILL_THERE / 16 + 1; ++block) {
        for (const char* language : { "0409", "0411" })
            expected.insert("6/" + std::to_string(block) + "/" + language);
    }
    EXPECT_EQ(expected, found);
}

// The strings of a string table block in one language, by id; UTF-16 as stored.
std::map<int, std::wstring> StringBlock(int block, WORD language)
{
    std::map<int, std::wstring> strings;
    HRSRC info = FindResourceExA(Product(), MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block), language);
    const auto* p = info ? static_cast<const WCHAR*>(LockResource(LoadResource(Product(), info)))
                         : nullptr;
    for (int i = 0; p && i < 16; ++i, p += 1 + *p) {
        if (*p)
            strings[(block - 1) * 16 + i] = std::wstring(p + 1, *p);
    }
    return strings;
}

// "%1 %2" for a sentence with both, in the order they stand.
std::string Placeholders(const std::wstring& text)
{
    std::string found;
    for (size_t i = text.find(L'%'); i != std::wstring::npos; i = text.find(L'%', i + 1))
        found += std::string(found.empty() ? "" : " ") + "%" + static_cast<char>(text[i + 1]);
    return found;
}

// Every sentence is in both languages, with the same names and reasons filled in, in the same
// order; and each Japanese one can be shown in code page 932.
TEST(ResourceTest, JapaneseAndEnglishStringTablesMatch)
{
    std::map<int, std::string> japanese, english;
    for (int block = IDS_PROGRAMS / 16 + 1; block <= IDS_REASON_STILL_THERE / 16 + 1; ++block) {
        for (const auto& string : StringBlock(block, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)))
            english[string.first] = Placeholders(string.second);
        for (const auto& string : StringBlock(block, kLanguage)) {
            japanese[string.first] = Placeholders(string.second);
            BOOL lost = FALSE;
            char ansi[1024];
            EXPECT_LT(0, WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, string.second.c_str(), -1,
                                             ansi, sizeof(ansi), "?", &lost));
            EXPECT_FALSE(lost) << "string " << string.first;
        }
    }
    EXPECT_EQ(IDS_REASON_STILL_THERE - IDS_PROGRAMS + 1, static_cast<int>(english.size()));
    EXPECT_EQ(english, japanese);
}

// The test exe links the same resources, so its own manifest decides which comctl32 the process
// gets. Wine's side-by-side comctl32 reports version 5.81 like the system32 copy, so the version
// number cannot tell them apart there; the folder the DLL was loaded from can.
TEST(ResourceTest, ProcessGetsCommonControlsVersion6)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), path, MAX_PATH);
    const char assembly[] = "_microsoft.windows.common-controls_6595b64144ccf1df_6.0.";
    EXPECT_TRUE(strstr(CharLowerA(path), assembly)) << path;
}

} // namespace
