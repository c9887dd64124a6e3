// Sorting of names, folder listing, expand-button look-ahead, path cutting and the drive filter.
#include <gtest/gtest.h>

#include <windows.h>
#include <mbctype.h>
#include <mbstring.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "folders/FolderEnum.h"
#include "tests/TestSupport.h"

namespace {

using Names = std::vector<std::string>;

// Switches the multibyte code page of the string routines for one test and puts it back.
class MultibyteCodePage {
public:
    explicit MultibyteCodePage(int codePage) : m_previous(_getmbcp()), m_ok(_setmbcp(codePage) == 0) {}
    ~MultibyteCodePage() { _setmbcp(m_previous); }
    bool Ok() const { return m_ok; }

private:
    int m_previous;
    bool m_ok;
};

Names Contents(const CStringArray& array)
{
    Names names;
    for (int i = 0; i < array.GetSize(); ++i)
        names.push_back(array.GetAt(i).GetString());
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

// The exchange sort the folder tree has always shown its entries in: passes of neighbour
// exchanges under _mbsicmp until one pass changes nothing.
Names ExchangeSorted(Names names)
{
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (size_t i = 0; i + 1 < names.size(); ++i) {
            if (_mbsicmp(reinterpret_cast<const unsigned char*>(names[i].c_str()),
                         reinterpret_cast<const unsigned char*>(names[i + 1].c_str())) > 0) {
                std::swap(names[i], names[i + 1]);
                swapped = true;
            }
        }
    }
    return names;
}

std::string WithoutSlash(const std::string& path)
{
    return path.substr(0, path.size() - 1);
}

void SetAttributes(const std::string& path, DWORD attributes)
{
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes)) << path;
    // Wine keeps DOS attributes in extended attributes; without them nothing here means much.
    ASSERT_EQ(attributes, ::GetFileAttributesA(path.c_str()) & attributes) << path;
}

} // namespace

// ---- Sorting ---------------------------------------------------------------------------------

TEST(SortStringArray, OrdersByNameWithoutRegardToCaseKeepingEqualNamesInOrder)
{
    EXPECT_EQ((Names{ "A", "b", "c" }), Sorted({ "b", "A", "c" }));
    // Underscore (0x5F) lies between the capitals and the small letters; folding to small
    // letters puts it, and the digits, before every letter.
    EXPECT_EQ((Names{ "1x", "_a", "A", "b", "Zed" }), Sorted({ "Zed", "b", "_a", "A", "1x" }));
    EXPECT_EQ((Names{ "abc", "ABC" }), Sorted({ "abc", "ABC" }));
    EXPECT_EQ((Names{ "ABC", "abc" }), Sorted({ "ABC", "abc" }));
    EXPECT_EQ((Names{ "a", "Abc", "aBc", "ABC", "b" }), Sorted({ "Abc", "b", "aBc", "ABC", "a" }));
    EXPECT_EQ(Names{}, Sorted({}));
}

TEST(SortStringArray, CompareAndSwapExchangesOnlyAnOutOfOrderPair)
{
    CSortStringArray array;
    for (const char* name : { "b", "A", "a" })
        array.Add(name);
    EXPECT_TRUE(array.CompareAndSwap(0));
    EXPECT_EQ((Names{ "A", "b", "a" }), Contents(array));
    EXPECT_FALSE(array.CompareAndSwap(0));
    EXPECT_TRUE(array.CompareAndSwap(1));
    EXPECT_FALSE(array.CompareAndSwap(0)); // A and a: equal but for case, never exchanged
    // Indices without a right-hand neighbour leave the array alone.
    EXPECT_FALSE(array.CompareAndSwap(2));
    EXPECT_FALSE(array.CompareAndSwap(-1));
    EXPECT_EQ((Names{ "A", "a", "b" }), Contents(array));
}

// Random lists from characters that stress the comparison: letters in both cases (so many
// names are equal but for case), "_" and digits, punctuation between the capitals and the small
// letters, and bytes above 0x7F; in Shift-JIS also double-byte characters, full-width letters
// among them (folded as one unit) and a kanji whose trail byte is 0x5C.
TEST(SortStringArray, GivesTheExchangeSortsOrderOnRandomNames)
{
    Names singleByte = { "a", "A", "b", "B", "Z", "_", "0", "9", "[", "`", "{", "~", " ", "." };
    for (int byte : { 0x80, 0x8A, 0x9A, 0xC0, 0xC9, 0xE0, 0xE9, 0xFF })
        singleByte.push_back(std::string(1, char(byte)));
    const Names shiftJis = { "a", "A", "b", "_", "0", "[", "~", "\x82\x60", "\x82\x81", "\x82\x61",
                             "\x95\x5C", "\x83\x41", "\xB1", "\xDF", "\x81\x40" };
    // 0: the code page the process started with (the ANSI one).
    const std::pair<int, const Names*> cases[] = { { 0, &singleByte },
                                                   { 1252, &singleByte },
                                                   { 932, &shiftJis } };
    for (const auto& testCase : cases) {
        MultibyteCodePage codePage(testCase.first ? testCase.first : _getmbcp());
        ASSERT_TRUE(codePage.Ok()) << testCase.first;
        const Names& alphabet = *testCase.second;
        std::mt19937 random(testCase.first);
        std::uniform_int_distribution<int> count(0, 40), length(1, 5);
        std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
        for (int round = 0; round < 3000; ++round) {
            Names names(count(random));
            for (std::string& name : names) {
                for (int n = length(random); n > 0; --n)
                    name += alphabet[pick(random)];
            }
            ASSERT_EQ(ExchangeSorted(names), Sorted(names))
                << "code page " << testCase.first << ", round " << round;
        }
    }
}

// ---- Listing a folder and the look-ahead -----------------------------------------------------

TEST(FolderListing, FolderWithOnlyDotsOrMissingGivesNothing)
{
    test::TempFolder temp;
    CSortStringArray folders, files;
    for (const std::string& path : { temp.Path(), WithoutSlash(temp.Path()), temp / "absent" }) {
        folders.Add("stale");
        files.Add("stale");
        ListFolder(path.c_str(), TRUE, folders, files);
        EXPECT_EQ(Names{}, Contents(folders)) << path;
        EXPECT_EQ(Names{}, Contents(files)) << path;
        EXPECT_FALSE(HasSubFolders(path.c_str(), TRUE)) << path;
    }
}

TEST(FolderListing, ListsEveryFolderSortedAndFilesOnlyWhenAsked)
{
    test::TempFolder temp;
    for (const char* name : { "b", "A", "c.dir", "NoDot" })
        temp.CreateFolder(name);
    SetAttributes(temp.CreateFolder("hidden"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(temp.CreateFolder("system"), FILE_ATTRIBUTE_SYSTEM);
    temp.CreateFileOfSize("z.exe", 1);
    temp.CreateFileOfSize("README", 1);
    SetAttributes(temp.CreateFileOfSize("Secret.txt", 1), FILE_ATTRIBUTE_HIDDEN);

    const std::string base = temp.Path();
    const Names expectedFolders = { base + "A",      base + "b",     base + "c.dir",
                                    base + "hidden", base + "NoDot", base + "system" };
    CSortStringArray folders, files;
    ListFolder(WithoutSlash(base).c_str(), FALSE, folders, files);
    EXPECT_EQ(expectedFolders, Contents(folders));
    EXPECT_EQ(Names{}, Contents(files));

    ListFolder(base.c_str(), TRUE, folders, files);
    EXPECT_EQ(expectedFolders, Contents(folders));
    EXPECT_EQ((Names{ base + "README", base + "Secret.txt", base + "z.exe" }), Contents(files));
}

TEST(HasSubFolders, CountsHiddenFoldersAndVisibleFilesWhenFilesAreShown)
{
    test::TempFolder hiddenFolder, hiddenFile, plainFile;
    SetAttributes(hiddenFolder.CreateFolder("Windows"), FILE_ATTRIBUTE_HIDDEN); // no dot
    SetAttributes(hiddenFile.CreateFileOfSize("hidden.txt", 1), FILE_ATTRIBUTE_HIDDEN);
    plainFile.CreateFileOfSize("README", 1); // no dot: "*.*" must still match it

    EXPECT_TRUE(HasSubFolders(hiddenFolder.Path().c_str(), FALSE));
    EXPECT_TRUE(HasSubFolders(WithoutSlash(hiddenFolder.Path()).c_str(), TRUE));
    EXPECT_FALSE(HasSubFolders(hiddenFile.Path().c_str(), TRUE));
    EXPECT_FALSE(HasSubFolders(plainFile.Path().c_str(), FALSE));
    EXPECT_TRUE(HasSubFolders(plainFile.Path().c_str(), TRUE));

    // The listing shows the hidden file that gives no expand button.
    CSortStringArray folders, files;
    ListFolder(hiddenFile.Path().c_str(), TRUE, folders, files);
    EXPECT_EQ(Names{ hiddenFile / "hidden.txt" }, Contents(files));
}

// ---- Item text from a path -------------------------------------------------------------------

TEST(GetSubPath, GivesTheLastComponent)
{
    EXPECT_STREQ("B", GetSubPath("C:\\A\\B\\"));
    EXPECT_STREQ("B", GetSubPath("C:\\A\\B"));
    EXPECT_STREQ("C:", GetSubPath("C:\\"));
    EXPECT_STREQ("C:", GetSubPath("C:"));
    EXPECT_STREQ("", GetSubPath(""));
    // The argument may point into the very buffer the result is copied to.
    EXPECT_STREQ("Y", GetSubPath(GetSubPath("C:\\X\\Y\\")));
}

TEST(GetSubPath, ATrailByteOf0x5CIsNoSeparator)
{
    MultibyteCodePage codePage(932);
    ASSERT_TRUE(codePage.Ok());
    // 0x95 0x5C is one Shift-JIS kanji; its second byte is the code of a backslash.
    EXPECT_STREQ("\x95\x5C" "B", GetSubPath("C:\\A\\\x95\x5C" "B"));
    EXPECT_STREQ("\x95\x5C", GetSubPath("C:\\A\\\x95\x5C\\"));
    EXPECT_STREQ("x\x95\x5Cy", GetSubPath("C:\\\x95\x5C\\x\x95\x5Cy"));
}

// ---- Drive filter ----------------------------------------------------------------------------

namespace {

// The fake machine: its drive strings, each drive's type, and the drives asked about.
struct FakeMachine {
    std::string driveStrings; // roots each ended by a zero byte; the closing one is added
    bool fails = false;
    std::vector<std::pair<std::string, UINT>> types;
    Names asked;
} s_machine;

DWORD WINAPI FakeGetLogicalDriveStrings(DWORD size, LPSTR buffer)
{
    std::string strings = s_machine.driveStrings + '\0';
    if (s_machine.fails || strings.size() > size)
        return 0;
    memcpy(buffer, strings.data(), strings.size());
    return static_cast<DWORD>(strings.size() - 1);
}

UINT WINAPI FakeGetDriveType(LPCSTR root)
{
    s_machine.asked.push_back(root);
    for (const auto& drive : s_machine.types) {
        if (drive.first == root)
            return drive.second;
    }
    return DRIVE_NO_ROOT_DIR;
}

Names ShownDrives(const std::string& driveStrings, BOOL expectedResult)
{
    s_machine.driveStrings = driveStrings;
    s_machine.asked.clear();
    CStringArray drives;
    drives.Add("stale");
    EXPECT_EQ(expectedResult,
              GetShownDrives(drives, DriveQueries{ FakeGetLogicalDriveStrings, FakeGetDriveType }));
    return Contents(drives);
}

} // namespace

TEST(DriveFilter, LeavesOutFloppiesAndCdRomsAndKeepsThePlatformsOrder)
{
    s_machine = FakeMachine{};
    s_machine.types = { { "A:\\", DRIVE_REMOVABLE }, { "B:\\", DRIVE_REMOVABLE },
                        { "C:\\", DRIVE_FIXED },     { "Z:\\", DRIVE_FIXED },
                        { "D:\\", DRIVE_CDROM },     { "E:\\", DRIVE_CDROM },
                        { "F:\\", DRIVE_REMOTE },    { "G:\\", DRIVE_REMOVABLE },
                        { "H:\\", DRIVE_UNKNOWN },   { "R:\\", DRIVE_RAMDISK } };

    EXPECT_EQ(Names{}, ShownDrives(std::string("A:\\\0B:\\\0E:\\\0", 12), TRUE));
    // Every drive is asked for its type, A: and B: too.
    EXPECT_EQ((Names{ "A:\\", "B:\\", "E:\\" }), s_machine.asked);

    EXPECT_EQ((Names{ "C:\\", "Z:\\", "F:\\", "G:\\", "H:\\", "R:\\", "Q:\\" }),
              ShownDrives(std::string("A:\\\0C:\\\0Z:\\\0D:\\\0F:\\\0G:\\\0H:\\\0R:\\\0Q:\\\0", 36),
                          TRUE));
}

TEST(DriveFilter, AFailedDriveQueryIsReported)
{
    s_machine = FakeMachine{};
    s_machine.fails = true;
    EXPECT_EQ(Names{}, ShownDrives(std::string("C:\\\0", 4), FALSE));
    EXPECT_EQ(Names{}, s_machine.asked);
}
