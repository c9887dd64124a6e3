// Names and paths under the system code page: what cannot be spelt is shown with '?' and never
// acted on, look-alikes stay apart, and limits count characters, not bytes. Runs under 1252 and
// under 932.
#include <gtest/gtest.h>

#include "platform/FileFind.h"
#include "platform/SystemError.h"
#include "programs/ProgramList.h"
#include "support/TestSupport.h"

#include <string.h>

#include <set>
#include <string>

namespace {

std::wstring Wide(const std::string& ansi)
{
    return std::wstring(ansi.begin(), ansi.end()); // the temporary folder's path is ASCII
}

bool CreateWide(const std::wstring& path, const std::string& content = "program")
{
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    const bool ok = h != INVALID_HANDLE_VALUE &&
                    ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written,
                                nullptr);
    if (h != INVALID_HANDLE_VALUE)
        ::CloseHandle(h);
    return ok;
}

std::set<std::wstring> WideNames(const std::wstring& pattern)
{
    std::set<std::wstring> names;
    for (const auto& entry : test::FindEntries(pattern))
        names.insert(entry.first);
    return names;
}

bool Is932()
{
    return ::GetACP() == 932;
}

// A text in the code page.
std::string Ansi(const wchar_t* text)
{
    char ansi[1024] = {};
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof(ansi), nullptr, nullptr);
    return ansi;
}

// What the list shows under each code page, '?' where it cannot spell; no name here holds a '?'.
struct NameCase {
    const wchar_t* wide;
    const char *shown1252, *shown932;
    const char* shown() const { return Is932() ? shown932 : shown1252; }
    bool exact() const { return !::strchr(shown(), '?'); }
};

// Omega.exe and cafe.exe are real files beside the names Windows would turn into them.
const NameCase kNames[] = {
    { L"\x03A9mega.exe", "?mega.exe", "\x83\xB6mega.exe" },
    { L"\x0142\x00F3\x0064\x017A.exe", "?\xF3\x64?.exe", "??d?.exe" },
    { L"caf\x00E9.exe", "caf\xE9.exe", "caf?.exe" },
    { L"\x8868\x30BD\x80FD.exe", "???.exe", "\x95\x5C\x83\x5C\x94\x5C.exe" },
    { L"Omega.exe", "Omega.exe", "Omega.exe" },
    { L"cafe.exe", "cafe.exe", "cafe.exe" },
};

TEST(ListingCodePageTest, UnspellableNamesAreShownWithQuestionMarksAndNeverSwitched)
{
    test::TempFolder folder;
    const std::wstring path = Wide(folder.Path());
    for (const NameCase& name : kNames)
        ASSERT_TRUE(CreateWide(path + name.wide));
    for (const wchar_t* manifest :
         { L"Omega.exe.manifest", L"cafe.exe.manifest", L"caf\x00E9.exe.manifest" })
        ASSERT_TRUE(CreateWide(path + manifest, "hand-written"));

    CProgramList programs;
    programs.List(folder.Path().c_str());
    std::set<std::string> listed, expected;
    for (int i = 0; i < programs.GetCount(); ++i)
        listed.insert(std::string(programs.GetName(i)) + (programs.IsGrey(i) ? " grey" : ""));
    for (const NameCase& name : kNames)
        expected.insert(std::string(name.shown()) + (name.exact() ? "" : " grey"));
    EXPECT_EQ(expected, listed);

    // All OFF, then All ON: only the spellable rows' own manifests come and go.
    CArray<int> changed;
    programs.SwitchAll(false, changed);
    std::set<std::wstring> kept;
    if (Is932())
        kept.insert(L"caf\x00E9.exe.manifest"); // its program cannot be switched
    EXPECT_EQ(kept, WideNames(path + L"*.manifest"));
    programs.SwitchAll(true, changed);
    for (const NameCase& name : kNames) {
        if (name.exact())
            kept.insert(std::wstring(name.wide) + L".manifest");
    }
    EXPECT_EQ(kept, WideNames(path + L"*.manifest"));
    for (const NameCase& name : kNames) {
        if (name.exact()) {
            EXPECT_EQ(test::OurManifest(),
                      test::ReadWholeFile(folder.Path() + name.shown() + ".manifest"));
        }
    }
}

// 172 characters: over 300 bytes under 932, within the limit of 259 characters. Folders of
// 40 characters each, since Linux takes at most 255 bytes of UTF-8 for one name.
TEST(ListingCodePageTest, LongPathsCountCharactersNotBytes)
{
    test::TempFolder folder;
    const wchar_t letter = Is932() ? L'\x8868' : L'\x00E9';
    std::wstring wideDeep = Wide(folder.Path());
    std::string deep = folder.Path();
    for (int left = 172 - static_cast<int>(deep.size()); left > 1;) {
        const int length = left - 1 < 40 ? left - 1 : 40;
        wideDeep += std::wstring(length, letter) + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(wideDeep.c_str(), nullptr));
        CFileFind finder;
        ASSERT_TRUE(finder.FindFile((deep + "*").c_str()));
        while (finder.FindNextFile() && finder.IsDots()) {
        }
        ASSERT_TRUE(finder.IsNameExact());
        deep = std::string(finder.GetFilePath()) + "\\";
        left -= length + 1;
    }
    ASSERT_EQ(172u, wideDeep.size());
    EXPECT_GT(deep.size(), Is932() ? 300u : 171u); // bytes
    ASSERT_TRUE(CreateWide(wideDeep + L"a.exe"));
    ASSERT_TRUE(CreateWide(wideDeep + L"a.exe.manifest", "hand-written"));

    CProgramList programs;
    programs.List(deep.c_str());
    ASSERT_EQ(1, programs.GetCount());
    EXPECT_TRUE(programs.IsChecked(0));
    CArray<int> changed;
    programs.Switch(0, false, changed);
    EXPECT_FALSE(programs.HasFailure(0)) << programs.Describe(0).GetString();
    EXPECT_TRUE(WideNames(wideDeep + L"*.manifest").empty());
    programs.Switch(0, true, changed);
    EXPECT_FALSE(programs.HasFailure(0)) << programs.Describe(0).GetString();
    EXPECT_EQ(test::OurManifest(), test::ReadWholeFile(deep + "a.exe.manifest"));
}

// The sentences are Japanese where the user's Windows is: Wine's ja_JP locale gives both the
// Japanese interface and code page 932. With no folder chosen (the one shown went) the list says
// that it is gone.
TEST(ListingCodePageTest, AnEmptyListSaysWhy)
{
    test::TempFolder folder;
    const std::string gone = folder.CreateFolder("gone") + "\\";
    ::RemoveDirectoryA(gone.c_str());
    // 259 characters with the backslash: the search pattern inside passes the limit.
    const std::string deep = folder.Path() + std::string(258 - folder.Path().size(), 'x') + "\\";
    ASSERT_TRUE(::CreateDirectoryW(Wide(deep).c_str(), nullptr));
    const std::string tooLong = SystemErrorText(ERROR_FILENAME_EXCED_RANGE).GetString();
    const struct {
        std::string folder;
        const wchar_t *english, *japanese;
        std::string reason;
    } cases[] = {
        { folder.Path(), L"No programs in this folder.",
          L"このフォルダーにはプログラムがありません。", "" },
        { gone, L"This folder is no longer there.", L"このフォルダーはもう存在しません。", "" },
        { "", L"This folder is no longer there.", L"このフォルダーはもう存在しません。", "" },
        { folder.Path() + "caf?\\",
          L"This folder's name cannot be spelt in the system code page, so its programs cannot "
          L"be listed.",
          L"このフォルダーの名前はシステムのコード ページで表せないため、プログラムを一覧表示"
          L"できません。",
          "" },
        { deep, L"Could not read this folder: ", L"このフォルダーを読み取れませんでした: ",
          tooLong },
    };
    for (const auto& c : cases) {
        CProgramList programs;
        programs.List(c.folder.c_str());
        EXPECT_EQ(0, programs.GetCount()) << c.folder;
        EXPECT_EQ(Ansi(Is932() ? c.japanese : c.english) + c.reason,
                  programs.DescribeEmpty().GetString())
            << c.folder;
    }
}

} // namespace
