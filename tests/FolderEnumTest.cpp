// Sorting of names, folder listing, expand-button look-ahead, the folder tests, path cutting and
// the drive filter.
#include <gtest/gtest.h>

#include <windows.h>
#include <mbstring.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "folders/FolderEnum.h"
#include "support/TestSupport.h"

namespace {

using Names = std::vector<std::string>;
using namespace std::string_literals;

Names Contents(const CStringArray& array)
{
    Names names;
    for (int i = 0; i < array.GetSize(); ++i)
        names.push_back(array[i].GetString());
    return names;
}

Names Sorted(const Names& names)
{
    CSortStringArray array;
    for (const std::string& name : names)
        array.Add(name.c_str());
    array.Sort();
    return Contents(array);
}

// The order the folder tree has always shown: passes of neighbour exchanges under _mbsicmp.
Names ExchangeSorted(Names names)
{
    for (size_t pass = 1; pass < names.size(); ++pass) {
        for (size_t i = 0; i + 1 < names.size(); ++i) {
            if (_mbsicmp(reinterpret_cast<const unsigned char*>(names[i].c_str()),
                         reinterpret_cast<const unsigned char*>(names[i + 1].c_str())) > 0)
                names[i].swap(names[i + 1]);
        }
    }
    return names;
}

// The fake machine: its drive strings, A:, B: and G: removable, D: and E: CD-ROMs.
std::string s_driveStrings;

DWORD WINAPI FakeGetLogicalDriveStrings(DWORD, LPSTR buffer)
{
    memcpy(buffer, s_driveStrings.c_str(), s_driveStrings.size() + 1);
    return static_cast<DWORD>(s_driveStrings.size()); // 0 for none, as for a failed query
}

UINT WINAPI FakeGetDriveType(LPCSTR root)
{
    if (strchr("DE", root[0]))
        return DRIVE_CDROM;
    return strchr("ABG", root[0]) ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

} // namespace

TEST(SortStringArray, GivesTheExchangeSortsOrder)
{
    // Letters in both cases make many names equal but for case; "_" and "[" lie between the
    // capitals and the small letters. Shift-JIS adds full-width letters, folded as one unit, a
    // kanji whose trail byte is 0x5C, and a single byte above 0x7F.
    const Names alphabet = { "a",        "A",        "b",        "_",        "0",
                             "[",        "~",        "\x82\x60", "\x82\x81", "\x82\x61",
                             "\x95\x5C", "\x83\x41", "\xB1",     "\x81\x40" };
    test::CodePage shiftJis(932);
    ASSERT_TRUE(shiftJis.ok);
    std::mt19937 random(932);
    for (int round = 0; round < 4000; ++round) {
        Names names(random() % 41);
        for (std::string& name : names) {
            for (size_t n = 1 + random() % 5; n > 0; --n)
                name += alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(ExchangeSorted(names), Sorted(names)) << round;
    }
}

TEST(FolderListing, ListsHiddenAndSystemFoldersFilesWhenAskedAndLooksAhead)
{
    test::TempFolder temp;
    const std::string base = temp.Path();
    CSortStringArray folders, files;

    // Names without a dot, which the search for every entry must match all the same.
    for (const char* folder : { "A", "b", "b\\Windows", "hidden", "system" })
        temp.CreateFolder(folder);
    for (const char* file : { "z.exe", "Secret", "hidden\\Secret", "system\\README" })
        temp.CreateFileOfSize(file, 1);
    const std::pair<const char*, DWORD> attributes[] = { { "b\\Windows", FILE_ATTRIBUTE_HIDDEN },
                                                         { "hidden", FILE_ATTRIBUTE_HIDDEN },
                                                         { "system", FILE_ATTRIBUTE_SYSTEM },
                                                         { "Secret", FILE_ATTRIBUTE_HIDDEN },
                                                         { "hidden\\Secret",
                                                           FILE_ATTRIBUTE_HIDDEN } };
    for (const auto& [name, attribute] : attributes) {
        ::SetFileAttributesA((temp / name).c_str(), attribute);
        // Wine keeps DOS attributes in extended attributes; without them nothing here means much.
        ASSERT_TRUE(::GetFileAttributesA((temp / name).c_str()) & attribute) << name;
    }
    const Names expected = { base + "A", base + "b", base + "hidden", base + "system" };
    ListFolder(base.substr(0, base.size() - 1).c_str(), FALSE, folders, files);
    EXPECT_EQ(expected, Contents(folders));
    EXPECT_EQ(Names{}, Contents(files));
    ListFolder(base.c_str(), TRUE, folders, files);
    EXPECT_EQ(expected, Contents(folders));
    EXPECT_EQ((Names{ base + "Secret", base + "z.exe" }), Contents(files));

    // A hidden folder gives an expand button; a hidden file never; a plain one when files show.
    EXPECT_FALSE(HasSubFolders((temp / "A").c_str(), TRUE));
    EXPECT_TRUE(HasSubFolders((temp / "b\\").c_str(), FALSE));
    EXPECT_FALSE(HasSubFolders((temp / "hidden").c_str(), TRUE));
    EXPECT_FALSE(HasSubFolders((temp / "system").c_str(), FALSE));
    EXPECT_TRUE(HasSubFolders((temp / "system").c_str(), TRUE));

    // A folder of 257 characters, whose sub-folder of 259 is within the limit: searching it with
    // "\\*.*" would pass the limit, "\\*" does not.
    const std::string longest = temp.CreateFolder(std::string(257 - base.size(), 'L'));
    temp.CreateFolder(longest.substr(base.size()) + "\\x");
    EXPECT_TRUE(HasSubFolders(longest.c_str(), FALSE));
    ListFolder(longest.c_str(), FALSE, folders, files);
    EXPECT_EQ(Names{ longest + "\\x" }, Contents(folders));
}

TEST(FolderTests, ExistenceAndPlainnessFollowTheFoldersOwnEntry)
{
    test::TempFolder temp;
    const std::string file = temp.CreateFileOfSize("file", 1);
    for (const char* name : { "plain", "ini", "system" })
        temp.CreateFolder(name);
    temp.CreateFileOfSize("ini\\desktop.ini", 0);
    // Wine keeps no read-only mark on a folder, so only the system mark is tried here.
    ::SetFileAttributesA((temp / "system").c_str(), FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(::GetFileAttributesA((temp / "system").c_str()) & FILE_ATTRIBUTE_SYSTEM);

    // A drive letter alone is the drive's root. A wildcard names no folder, though a directory
    // search would find one by it, and the empty path is not the current drive's root.
    const std::string plain = temp / "plain";
    for (const std::string& path : { plain, plain + "\\", plain + "\\\\\\", "C:"s, "C:\\"s })
        EXPECT_TRUE(FolderExists(path.c_str())) << path;
    for (const std::string& path :
         { file, file + "\\", temp / "missing", temp / "pla*", ""s, "\\"s })
        EXPECT_FALSE(FolderExists(path.c_str())) << path;

    // desktop.ini is looked for inside the folder, whether or not the path ends in a backslash.
    EXPECT_TRUE(IsPlainFolder(plain.c_str()));
    EXPECT_TRUE(IsPlainFolder((plain + "\\").c_str()));
    for (const char* name : { "ini", "ini\\", "system", "system\\", "file", "missing" })
        EXPECT_FALSE(IsPlainFolder((temp / name).c_str())) << name;
}

TEST(GetSubPath, GivesTheLastComponent)
{
    EXPECT_STREQ("B", GetSubPath("C:\\A\\B\\"));
    EXPECT_STREQ("B", GetSubPath("C:\\A\\B"));
    EXPECT_STREQ("C:", GetSubPath("C:\\"));
    EXPECT_STREQ("C:", GetSubPath("C:"));
    // In Shift-JIS 0x95 0x5C is one kanji whose trail byte is the code of a backslash.
    test::CodePage shiftJis(932);
    ASSERT_TRUE(shiftJis.ok);
    EXPECT_STREQ("\x95\x5C"
                 "B",
                 GetSubPath("C:\\A\\\x95\x5C"
                            "B"));
    EXPECT_STREQ("\x95\x5C", GetSubPath("C:\\A\\\x95\x5C"));
    EXPECT_STREQ("x\x95\x5Cy", GetSubPath("C:\\\x95\x5C\\x\x95\x5Cy\\"));
}

TEST(DriveFilter, LeavesOutFloppiesAndCdRomsAndKeepsThePlatformsOrder)
{
    const struct {
        std::string strings;
        BOOL result;
        Names shown;
    } cases[] = {
        { "", FALSE, {} },
        { "A:\\\0B:\\\0E:\\\0"s, TRUE, {} },
        { "A:\\\0C:\\\0Z:\\\0D:\\\0G:\\\0H:\\\0"s, TRUE, { "C:\\", "Z:\\", "G:\\", "H:\\" } }
    };
    for (const auto& c : cases) {
        s_driveStrings = c.strings;
        CStringArray drives;
        const DriveQueries fake = { FakeGetLogicalDriveStrings, FakeGetDriveType };
        EXPECT_EQ(c.result, GetShownDrives(drives, fake));
        EXPECT_EQ(c.shown, Contents(drives));
    }
}
