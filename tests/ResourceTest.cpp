// Reads the resources back from the built Veneerkit.exe and checks them field by field.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "res/resource.h"

namespace {

const WORD kLanguage = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
static_assert(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN) == 0x0411, "language id");

std::string ExeFolder()
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string ProductPath()
{
    return ExeFolder() + "Veneerkit.exe";
}

// The bytes of one resource in exactly the given language; empty if there is none.
std::vector<BYTE> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name, WORD language)
{
    HRSRC info = FindResourceExA(module, type, name, language);
    if (!info)
        return {};
    HGLOBAL loaded = LoadResource(module, info);
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    if (!data)
        return {};
    return std::vector<BYTE>(data, data + SizeofResource(module, info));
}

// The dependency manifest's 16 lines as indentation and text; each file form is built from them.
const std::pair<int, const char*> kManifestLines[] = {
    {0, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"},
    {0, "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"},
    {0, "<description></description>"},
    {0, "<dependency>"},
    {4, "<dependentAssembly>"},
    {8, "<assemblyIdentity"},
    {12, "type=\"win32\""},
    {12, "name=\"Microsoft.Windows.Common-Controls\""},
    {12, "version=\"6.0.0.0\""},
    {12, "processorArchitecture=\"*\""},
    {12, "publicKeyToken=\"6595b64144ccf1df\""},
    {12, "language=\"*\""},
    {8, "/>"},
    {4, "</dependentAssembly>"},
    {0, "</dependency>"},
    {0, "</assembly>"},
};

std::string ManifestText(const char* lineEnd, bool extraEmptyLines)
{
    std::string text;
    int number = 0;
    for (const auto& line : kManifestLines) {
        text += std::string(line.first, ' ') + line.second + lineEnd;
        if (extraEmptyLines && ++number == 2)
            text += lineEnd;
    }
    if (extraEmptyLines)
        text += lineEnd;
    return text;
}

// Reads a DLGTEMPLATEEX in the order the dialog manager does; a read past the end yields zeros
// and marks the reader as overrun, so a short template fails the checks instead of crashing.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<BYTE>& bytes) : m_bytes(bytes) {}

    WORD Word()
    {
        WORD value = 0;
        Copy(&value, sizeof value);
        return value;
    }
    DWORD Dword()
    {
        DWORD value = 0;
        Copy(&value, sizeof value);
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte()
    {
        BYTE value = 0;
        Copy(&value, sizeof value);
        return value;
    }

    std::string String()
    {
        std::string text;
        for (WORD c = Word(); c != 0 && !m_overrun; c = Word())
            text += c < 0x80 ? static_cast<char>(c) : '?';
        return text;
    }

    // A menu, class or title field: "#<n>" for an ordinal, otherwise the text.
    std::string NameOrOrdinal()
    {
        size_t start = m_pos;
        if (Word() == 0xFFFF)
            return "#" + std::to_string(Word());
        m_pos = start;
        return String();
    }

    void AlignDword() { m_pos = (m_pos + 3) & ~static_cast<size_t>(3); }
    size_t Remaining() const { return m_overrun ? 0 : m_bytes.size() - m_pos; }
    bool Overrun() const { return m_overrun; }

private:
    void Copy(void* out, size_t size)
    {
        if (m_pos + size > m_bytes.size()) {
            m_overrun = true;
            m_pos = m_bytes.size();
            return;
        }
        memcpy(out, m_bytes.data() + m_pos, size);
        m_pos += size;
    }

    const std::vector<BYTE>& m_bytes;
    size_t m_pos = 0;
    bool m_overrun = false;
};

struct ExpectedControl {
    DWORD id;
    const char* className;
    const char* title;
    short x, y, cx, cy;
    DWORD style;
};

const char kEditAtom[] = "#129";   // 0x0081
const char kButtonAtom[] = "#128"; // 0x0080

const ExpectedControl kControls[] = {
    {IDC_FOLDER_PATH, kEditAtom, "", 7, 7, 215, 14, 0x50810880},
    {IDC_PROGRAM_LIST, "SysListView32", "List2", 163, 32, 160, 203, 0x50810001},
    {IDC_ALL_ON, kButtonAtom, "All ON", 225, 7, 47, 14, 0x50010000},
    {IDC_ALL_OFF, kButtonAtom, "All OFF", 276, 7, 47, 14, 0x50010000},
    {IDC_FOLDER_TREE, "SysTreeView32", "Tree1", 7, 32, 153, 203, 0x50810007},
};

// The literal style words are exactly what their flag names add up to.
static_assert((WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL) ==
                  0x50810880, "edit style");
static_assert((WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT) == 0x50810001,
              "list style");
static_assert((WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON) == 0x50010000, "button style");
static_assert((WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
               TVS_LINESATROOT) == 0x50810007, "tree style");
static_assert((WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
               WS_MAXIMIZEBOX | DS_SETFONT) == 0x90CF0040, "dialog style");

class ResourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_module = LoadLibraryExA(ProductPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite()
    {
        if (s_module)
            FreeLibrary(s_module);
        s_module = NULL;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_module != NULL) << "cannot load " << ProductPath() << " as a data file";
    }

    static HMODULE s_module;
};

HMODULE ResourceTest::s_module = NULL;

TEST_F(ResourceTest, ManifestIsTheDependencyManifestWithCrLfAndTwoEmptyLines)
{
    // The table itself must add up to the 500-byte file the program writes next to programs.
    ASSERT_EQ(500u, ManifestText("\n", false).size());

    std::string expected = ManifestText("\r\n", true);
    ASSERT_EQ(520u, expected.size());
    std::vector<BYTE> bytes =
        ResourceBytes(s_module, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), kLanguage);
    EXPECT_EQ(expected, std::string(bytes.begin(), bytes.end()));
}

TEST_F(ResourceTest, DialogTemplateDecodesFieldByField)
{
    std::vector<BYTE> bytes =
        ResourceBytes(s_module, RT_DIALOG, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), kLanguage);
    ASSERT_FALSE(bytes.empty());
    TemplateReader in(bytes);

    EXPECT_EQ(1, in.Word()) << "dlgVer";
    EXPECT_EQ(0xFFFF, in.Word()) << "signature of an extended template";
    EXPECT_EQ(0u, in.Dword()) << "helpID";
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), in.Dword()) << "exStyle";
    EXPECT_EQ(0x90CF0040u, in.Dword()) << "style";
    WORD count = in.Word();
    EXPECT_EQ(5, count) << "cDlgItems";
    EXPECT_EQ(0, in.Short()) << "x";
    EXPECT_EQ(0, in.Short()) << "y";
    EXPECT_EQ(330, in.Short()) << "cx";
    EXPECT_EQ(242, in.Short()) << "cy";
    EXPECT_EQ("", in.NameOrOrdinal()) << "menu";
    EXPECT_EQ("", in.NameOrOrdinal()) << "windowClass";
    EXPECT_EQ("Veneerkit", in.NameOrOrdinal()) << "title";
    EXPECT_EQ(9, in.Word()) << "pointsize";
    EXPECT_EQ(0, in.Word()) << "weight";
    EXPECT_EQ(0, in.Byte()) << "italic";
    EXPECT_EQ(DEFAULT_CHARSET, in.Byte()) << "charset";
    EXPECT_EQ("Tahoma", in.String()) << "typeface";
    ASSERT_EQ(5, count);

    for (const ExpectedControl& control : kControls) {
        SCOPED_TRACE("control " + std::to_string(control.id));
        in.AlignDword();
        EXPECT_EQ(0u, in.Dword()) << "helpID";
        EXPECT_EQ(0u, in.Dword()) << "exStyle";
        EXPECT_EQ(control.style, in.Dword()) << "style";
        EXPECT_EQ(control.x, in.Short()) << "x";
        EXPECT_EQ(control.y, in.Short()) << "y";
        EXPECT_EQ(control.cx, in.Short()) << "cx";
        EXPECT_EQ(control.cy, in.Short()) << "cy";
        EXPECT_EQ(control.id, in.Dword()) << "id";
        EXPECT_EQ(control.className, in.NameOrOrdinal()) << "windowClass";
        EXPECT_EQ(control.title, in.NameOrOrdinal()) << "title";
        EXPECT_EQ(0, in.Word()) << "extraCount";
    }
    EXPECT_FALSE(in.Overrun());
    EXPECT_EQ(0u, in.Remaining()) << "bytes after the last control";
}

INT_PTR CALLBACK IgnoreDialogMessages(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// The decoder above and the template were written by the same hand; the dialog manager is the
// independent reader. It must build all five controls from the bytes, with the right classes.
TEST_F(ResourceTest, DialogManagerBuildsTheTemplate)
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    std::vector<BYTE> bytes =
        ResourceBytes(s_module, RT_DIALOG, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), kLanguage);
    ASSERT_FALSE(bytes.empty());

    HWND dialog = CreateDialogIndirectParamA(
        GetModuleHandleA(NULL), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), NULL,
        IgnoreDialogMessages, 0);
    ASSERT_TRUE(dialog != NULL) << "error " << GetLastError();

    char text[64] = {};
    GetWindowTextA(dialog, text, sizeof text);
    EXPECT_STREQ("Veneerkit", text);
    const char* classNames[] = {"Edit", "SysListView32", "Button", "Button", "SysTreeView32"};
    HWND expectedChild = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE("control " + std::to_string(kControls[i].id));
        HWND child = GetDlgItem(dialog, kControls[i].id);
        ASSERT_TRUE(child != NULL);
        EXPECT_EQ(expectedChild, child) << "template order is the window order";
        expectedChild = GetWindow(child, GW_HWNDNEXT);
        char className[64] = {};
        GetClassNameA(child, className, sizeof className);
        EXPECT_EQ(0, lstrcmpiA(classNames[i], className)) << className;
        GetWindowTextA(child, text, sizeof text);
        EXPECT_STREQ(kControls[i].title, text);
    }
    DestroyWindow(dialog);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14, "GRPICONDIRENTRY layout");

TEST_F(ResourceTest, IconGroupHas32x32In256ColoursAnd16x16In16Colours)
{
    std::vector<BYTE> group =
        ResourceBytes(s_module, RT_GROUP_ICON, MAKEINTRESOURCEA(IDR_MAINFRAME), kLanguage);
    ASSERT_EQ(6u + 2 * sizeof(GroupIconEntry), group.size());
    const WORD* header = reinterpret_cast<const WORD*>(group.data());
    EXPECT_EQ(0, header[0]);
    EXPECT_EQ(1, header[1]) << "icon, not cursor";
    EXPECT_EQ(2, header[2]) << "image count";

    struct Expected {
        int size;
        int colourCount; // as stored: 0 stands for 256
        int bitCount;
    } const expected[] = {{32, 0, 8}, {16, 16, 4}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE("image " + std::to_string(expected[i].size));
        GroupIconEntry entry;
        memcpy(&entry, group.data() + 6 + i * sizeof entry, sizeof entry);
        EXPECT_EQ(expected[i].size, entry.width);
        EXPECT_EQ(expected[i].size, entry.height);
        EXPECT_EQ(expected[i].colourCount, entry.colorCount);
        EXPECT_EQ(0, entry.reserved);
        EXPECT_EQ(1, entry.planes);
        EXPECT_EQ(expected[i].bitCount, entry.bitCount);

        // The image itself: a DIB of twice the height (colour bits, then the AND mask) with a
        // full palette, and nothing missing at the end.
        std::vector<BYTE> image =
            ResourceBytes(s_module, RT_ICON, MAKEINTRESOURCEA(entry.id), kLanguage);
        ASSERT_EQ(entry.bytesInRes, image.size());
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER info;
        memcpy(&info, image.data(), sizeof info);
        int size = expected[i].size;
        EXPECT_EQ(static_cast<DWORD>(sizeof info), info.biSize);
        EXPECT_EQ(size, info.biWidth);
        EXPECT_EQ(2 * size, info.biHeight);
        EXPECT_EQ(expected[i].bitCount, info.biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), info.biCompression);
        size_t palette = (size_t(1) << expected[i].bitCount) * sizeof(RGBQUAD);
        size_t colourBits = size_t(size) * ((size * expected[i].bitCount + 31) / 32 * 4);
        size_t maskBits = size_t(size) * ((size + 31) / 32 * 4);
        EXPECT_EQ(sizeof info + palette + colourBits + maskBits, image.size());

        HICON icon = static_cast<HICON>(LoadImageA(
            s_module, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        ASSERT_TRUE(icon != NULL) << "error " << GetLastError();
        ICONINFO parts = {};
        ASSERT_TRUE(GetIconInfo(icon, &parts));
        BITMAP mask = {};
        GetObjectA(parts.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(size, mask.bmWidth);
        if (parts.hbmColor)
            DeleteObject(parts.hbmColor);
        DeleteObject(parts.hbmMask);
        DestroyIcon(icon);
    }
}

// Walks a VS_VERSIONINFO tree: each node is length, value length, type, key, value, children.
struct VersionNode {
    std::string key;
    std::vector<VersionNode> children;
};

bool ReadVersionNode(const BYTE* base, size_t offset, size_t end, VersionNode& node, size_t& next)
{
    if (offset + 6 > end)
        return false;
    WORD length, valueLength, type;
    memcpy(&length, base + offset, 2);
    memcpy(&valueLength, base + offset + 2, 2);
    memcpy(&type, base + offset + 4, 2);
    size_t nodeEnd = offset + length;
    if (length < 6 || nodeEnd > end)
        return false;
    size_t pos = offset + 6;
    for (WCHAR c; pos + 2 <= nodeEnd; pos += 2) {
        memcpy(&c, base + pos, 2);
        if (c == 0)
            break;
        node.key += c < 0x80 ? static_cast<char>(c) : '?';
    }
    pos = (pos + 2 + 3) & ~static_cast<size_t>(3);
    pos += type == 1 ? valueLength * 2u : valueLength;
    pos = (pos + 3) & ~static_cast<size_t>(3);
    while (pos < nodeEnd) {
        VersionNode child;
        if (!ReadVersionNode(base, pos, nodeEnd, child, pos))
            return false;
        node.children.push_back(child);
    }
    next = (nodeEnd + 3) & ~static_cast<size_t>(3);
    return true;
}

TEST_F(ResourceTest, VersionBlockHasOneStringTableWithEveryEntry)
{
    std::vector<BYTE> bytes =
        ResourceBytes(s_module, RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), kLanguage);
    ASSERT_FALSE(bytes.empty());
    VersionNode root;
    size_t next = 0;
    ASSERT_TRUE(ReadVersionNode(bytes.data(), 0, bytes.size(), root, next));
    EXPECT_EQ("VS_VERSION_INFO", root.key);

    std::vector<std::string> blocks, tables;
    std::set<std::string> keys;
    for (const VersionNode& block : root.children) {
        blocks.push_back(block.key);
        if (block.key != "StringFileInfo")
            continue;
        for (const VersionNode& table : block.children) {
            tables.push_back(table.key);
            for (const VersionNode& entry : table.children)
                keys.insert(entry.key);
        }
    }
    EXPECT_EQ((std::vector<std::string>{"StringFileInfo", "VarFileInfo"}), blocks);
    EXPECT_EQ(std::vector<std::string>{"040004b0"}, tables);
    EXPECT_EQ((std::set<std::string>{"Comments", "CompanyName", "FileDescription", "FileVersion",
                                     "InternalName", "LegalCopyright", "LegalTrademarks",
                                     "OriginalFilename", "PrivateBuild", "ProductName",
                                     "ProductVersion", "SpecialBuild"}),
              keys);
}

TEST_F(ResourceTest, VersionValuesReadThroughTheVersionApi)
{
    std::string path = ProductPath();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_NE(0u, size) << "error " << GetLastError();
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(0x00010000u, fixed->dwStrucVersion);
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00040000u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00040000u, fixed->dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);
    EXPECT_EQ(0u, fixed->dwFileDateMS);
    EXPECT_EQ(0u, fixed->dwFileDateLS);

    WORD* translation = NULL;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(4u, length) << "exactly one language and code page pair";
    EXPECT_EQ(0x0400, translation[0]);
    EXPECT_EQ(1200, translation[1]);

    const std::pair<const char*, const char*> strings[] = {
        {"Comments", "Switches the themed common controls on or off for each program."},
        {"CompanyName", "Veneerkit developers"},
        {"FileDescription", "Veneerkit"},
        {"FileVersion", "1, 0, 4, 0"},
        {"InternalName", "Veneerkit"},
        {"LegalCopyright", "Copyright (C) 2026 Veneerkit developers"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "Veneerkit.exe"},
        {"PrivateBuild", ""},
        {"ProductName", "Veneerkit"},
        {"ProductVersion", "1, 0, 4, 0"},
        {"SpecialBuild", ""},
    };
    for (const auto& entry : strings) {
        SCOPED_TRACE(entry.first);
        std::string query = std::string("\\StringFileInfo\\040004b0\\") + entry.first;
        char* value = NULL;
        length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value),
                                   &length));
        ASSERT_TRUE(value != NULL);
        EXPECT_STREQ(entry.second, value);
    }
}

// Type, name and language of one resource, each as the enumeration reports it.
using ResourceEntry = std::tuple<std::string, std::string, WORD>;

std::string ResourceName(LPCSTR name)
{
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
    return name;
}

struct Enumeration {
    std::set<ResourceEntry> entries;
    LPCSTR type;
    LPCSTR name;
};

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param)
{
    Enumeration* found = reinterpret_cast<Enumeration*>(param);
    found->entries.insert(
        ResourceEntry(ResourceName(found->type), ResourceName(found->name), language));
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param)
{
    Enumeration* found = reinterpret_cast<Enumeration*>(param);
    found->name = name;
    EnumResourceLanguagesA(module, type, name, AddLanguage, param);
    return TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR param)
{
    Enumeration* found = reinterpret_cast<Enumeration*>(param);
    found->type = type;
    EnumResourceNamesA(module, type, AddName, param);
    return TRUE;
}

// Also catches a resource that a toolchain adds on its own (a default manifest, say).
TEST_F(ResourceTest, EveryResourceIsTaggedWithLanguage0411)
{
    Enumeration found = {};
    EnumResourceTypesA(s_module, AddType, reinterpret_cast<LONG_PTR>(&found));
    std::set<ResourceEntry> expected = {
        {"#3", "#1", kLanguage},    // RT_ICON, 32x32
        {"#3", "#2", kLanguage},    // RT_ICON, 16x16
        {"#5", "#102", kLanguage},  // RT_DIALOG
        {"#14", "#128", kLanguage}, // RT_GROUP_ICON
        {"#16", "#1", kLanguage},   // RT_VERSION
        {"#24", "#1", kLanguage},   // RT_MANIFEST
    };
    EXPECT_EQ(expected, found.entries);
}

// The test exe links the same resources, so its own manifest, tagged 0x0411 like the rest,
// decides which comctl32 the process gets. Wine differs from Windows in one respect here: its
// side-by-side comctl32 answers DllGetVersion (and carries a file version) of 5.81 like the
// system32 copy, so the version number cannot tell the two apart. What both platforms show is
// where the DLL came from and how a version 6 control behaves.
TEST(ResourceManifestTest, ProcessGetsCommonControlsVersion6)
{
    ACTCTX_SECTION_KEYED_DATA redirect = {};
    redirect.cbSize = sizeof redirect;
    EXPECT_TRUE(FindActCtxSectionStringA(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         "comctl32.dll", &redirect))
        << "the process's activation context does not redirect comctl32.dll";

    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_TRUE(comctl != NULL);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(comctl, path, MAX_PATH);
    CharLowerA(path);
    EXPECT_TRUE(strstr(path, "\\winsxs\\") &&
                strstr(path, "microsoft.windows.common-controls_6595b64144ccf1df_6.0."))
        << path;
    FreeLibrary(comctl);

    // Only the version 6 button knows its ideal size; the older one ignores the message.
    HWND button = CreateWindowA("Button", "All ON", WS_POPUP | BS_PUSHBUTTON, 0, 0, 80, 24, NULL,
                                NULL, GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(button != NULL);
    SIZE ideal = {};
    EXPECT_TRUE(SendMessageA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
    EXPECT_GT(ideal.cx, 0);
    DestroyWindow(button);
}

} // namespace
