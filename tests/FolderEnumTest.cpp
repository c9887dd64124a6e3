// Sorting of names, folder listing, expand-button look-ahead, path cutting and the drive filter.
#include <gtest/gtest.h>

#include <windows.h>
#include <mbctype.h>
#include <mbstring.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "folders/FolderEnum.h"
#include "folders/SortStringArray.h"
#include "tests/TestSupport.h"

namespace {

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

void Fill(CSortStringArray& array, const std::vector<std::string>& names)
{
    array.RemoveAll();
    for (const std::string& name : names)
        array.Add(name.c_str());
}

std::vector<std::string> Contents(const CStringArray& array)
{
    std::vector<std::string> names;
    for (int i = 0; i < array.GetSize(); ++i)
        names.push_back(array.GetAt(i).GetString());
    return names;
}

std::vector<std::string> Sorted(const std::vector<std::string>& names)
{
    CSortStringArray array;
    Fill(array, names);
    array.Sort();
    return Contents(array);
}

// The exchange sort the folder tree has always shown its entries in: passes of neighbour
// exchanges under _mbsicmp until one pass changes nothing.
std::vector<std::string> ExchangeSorted(std::vector<std::string> names)
{
    bool swapped = true;
    while (names.size() >= 2 && swapped) {
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

// Random names built from characters that stress the comparison: letters in both cases (so
// many names are equal but for case), "_" and digits, punctuation between the capitals and
// the small letters, and characters whose bytes lie above 0x7F.
std::vector<std::string> RandomNames(std::mt19937& random, const std::vector<std::string>& alphabet)
{
    std::uniform_int_distribution<int> count(0, 40);
    std::uniform_int_distribution<int> length(1, 5);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::vector<std::string> names(count(random));
    for (std::string& name : names) {
        for (int n = length(random); n > 0; --n)
            name += alphabet[pick(random)];
    }
    return names;
}

void ExpectSortMatchesExchangeSort(const std::vector<std::string>& alphabet, unsigned seed)
{
    std::mt19937 random(seed);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> names = RandomNames(random, alphabet);
        ASSERT_EQ(ExchangeSorted(names), Sorted(names)) << "round " << round;
    }
}

std::vector<std::string> SingleByteAlphabet()
{
    std::vector<std::string> alphabet = { "a", "A", "b", "B", "z", "Z", "_", "0", "9",
                                          "[", "^", "`", "{", "~", " ", "." };
    for (int byte : { 0x80, 0x8A, 0x9A, 0xC0, 0xC9, 0xE0, 0xE9, 0xFF })
        alphabet.push_back(std::string(1, static_cast<char>(byte)));
    return alphabet;
}

} // namespace

// ---- Sorting ---------------------------------------------------------------------------------

TEST(SortStringArray, OrdersByNameWithoutRegardToCase)
{
    EXPECT_EQ((std::vector<std::string>{ "A", "b", "c" }), Sorted({ "b", "A", "c" }));
    // Underscore (0x5F) lies between the capitals and the small letters; folding to small
    // letters puts it, and the digits, before every letter.
    EXPECT_EQ((std::vector<std::string>{ "1x", "_a", "A", "b", "Zed" }),
              Sorted({ "Zed", "b", "_a", "A", "1x" }));
    EXPECT_EQ((std::vector<std::string>{}), Sorted({}));
    EXPECT_EQ((std::vector<std::string>{ "only" }), Sorted({ "only" }));
}

TEST(SortStringArray, NamesEqualButForCaseKeepTheirOrder)
{
    EXPECT_EQ((std::vector<std::string>{ "abc", "ABC" }), Sorted({ "abc", "ABC" }));
    EXPECT_EQ((std::vector<std::string>{ "ABC", "abc" }), Sorted({ "ABC", "abc" }));
    EXPECT_EQ((std::vector<std::string>{ "a", "Abc", "aBc", "ABC", "abC", "b" }),
              Sorted({ "Abc", "b", "aBc", "ABC", "a", "abC" }));
}

TEST(SortStringArray, CompareAndSwapExchangesOnlyAnOutOfOrderPair)
{
    CSortStringArray array;
    Fill(array, { "b", "A", "a", "c" });

    EXPECT_TRUE(array.CompareAndSwap(0));
    EXPECT_EQ((std::vector<std::string>{ "A", "b", "a", "c" }), Contents(array));
    EXPECT_FALSE(array.CompareAndSwap(0)); // in order now
    EXPECT_TRUE(array.CompareAndSwap(1));
    EXPECT_EQ((std::vector<std::string>{ "A", "a", "b", "c" }), Contents(array));
    EXPECT_FALSE(array.CompareAndSwap(0)); // equal but for case: never exchanged
    EXPECT_FALSE(array.CompareAndSwap(2));

    // Indices without a right-hand neighbour leave the array alone.
    EXPECT_FALSE(array.CompareAndSwap(3));
    EXPECT_FALSE(array.CompareAndSwap(-1));
    EXPECT_EQ((std::vector<std::string>{ "A", "a", "b", "c" }), Contents(array));
}

TEST(SortStringArray, ElementCopySurvivesReordering)
{
    CSortStringArray array;
    Fill(array, { "b", "a" });
    CString first = array.GetAt(0);
    array.Sort();
    EXPECT_STREQ("b", first);
    EXPECT_STREQ("a", array.GetAt(0));
}

TEST(SortStringArray, MatchesTheExchangeSortOnRandomSingleByteNames)
{
    MultibyteCodePage codePage(1252);
    ASSERT_TRUE(codePage.Ok());
    ExpectSortMatchesExchangeSort(SingleByteAlphabet(), 1);
}

TEST(SortStringArray, MatchesTheExchangeSortOnRandomNamesInTheStartupCodePage)
{
    // Whatever the process runs with (the ANSI code page, set at start-up).
    ExpectSortMatchesExchangeSort(SingleByteAlphabet(), 2);
}

TEST(SortStringArray, MatchesTheExchangeSortOnRandomDoubleByteNames)
{
    MultibyteCodePage codePage(932);
    ASSERT_TRUE(codePage.Ok());
    // Shift-JIS: full-width capital and small A (folded as one unit), a kanji whose trail
    // byte is 0x5C, katakana in both widths, and the ASCII characters that matter.
    const std::vector<std::string> alphabet = { "a", "A", "b", "_", "0", "[", "~",
                                                "\x82\x60", "\x82\x81", "\x82\x61", "\x95\x5C",
                                                "\x83\x41", "\xB1", "\xDF", "\x81\x40" };
    ExpectSortMatchesExchangeSort(alphabet, 3);
}

// ---- Listing a folder ------------------------------------------------------------------------

namespace {

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

TEST(FolderListing, FolderWithOnlyDotsGivesNothing)
{
    test::TempFolder temp;
    CSortStringArray folders, files;
    folders.Add("stale");
    files.Add("stale");
    ListFolder(temp.Path().c_str(), TRUE, folders, files);
    EXPECT_EQ(0, folders.GetSize());
    EXPECT_EQ(0, files.GetSize());
    EXPECT_FALSE(HasSubFolders(temp.Path().c_str(), TRUE));
    EXPECT_FALSE(HasSubFolders(WithoutSlash(temp.Path()).c_str(), FALSE));
}

TEST(FolderListing, ListsEveryFolderSortedAndFilesOnlyWhenAsked)
{
    test::TempFolder temp;
    temp.CreateFolder("b");
    temp.CreateFolder("A");
    temp.CreateFolder("c.dir");
    temp.CreateFolder("NoDot");
    SetAttributes(temp.CreateFolder("hidden"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(temp.CreateFolder("system"), FILE_ATTRIBUTE_SYSTEM);
    temp.CreateFileOfSize("z.exe", 1);
    temp.CreateFileOfSize("README", 1);
    std::string hiddenFile = temp.CreateFileOfSize("Secret.txt", 1);
    SetAttributes(hiddenFile, FILE_ATTRIBUTE_HIDDEN);

    const std::string base = temp.Path();
    const std::vector<std::string> expectedFolders = { base + "A", base + "b", base + "c.dir",
                                                       base + "hidden", base + "NoDot",
                                                       base + "system" };

    CSortStringArray folders, files;
    ListFolder(WithoutSlash(base).c_str(), FALSE, folders, files);
    EXPECT_EQ(expectedFolders, Contents(folders));
    EXPECT_EQ(0, files.GetSize());

    ListFolder(base.c_str(), TRUE, folders, files);
    EXPECT_EQ(expectedFolders, Contents(folders));
    EXPECT_EQ((std::vector<std::string>{ base + "README", base + "Secret.txt", base + "z.exe" }),
              Contents(files));
}

TEST(FolderListing, MissingFolderGivesNothing)
{
    test::TempFolder temp;
    CSortStringArray folders, files;
    ListFolder((temp / "absent").c_str(), TRUE, folders, files);
    EXPECT_EQ(0, folders.GetSize());
    EXPECT_EQ(0, files.GetSize());
    EXPECT_FALSE(HasSubFolders((temp / "absent").c_str(), TRUE));
}

// ---- Expand-button look-ahead ----------------------------------------------------------------

TEST(HasSubFolders, AHiddenFolderCounts)
{
    test::TempFolder temp;
    SetAttributes(temp.CreateFolder("hidden"), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(HasSubFolders(temp.Path().c_str(), FALSE));
    EXPECT_TRUE(HasSubFolders(WithoutSlash(temp.Path()).c_str(), TRUE));
}

TEST(HasSubFolders, AHiddenFileDoesNotCountAlthoughTheListingShowsIt)
{
    test::TempFolder temp;
    SetAttributes(temp.CreateFileOfSize("hidden.txt", 1), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(HasSubFolders(temp.Path().c_str(), TRUE));

    CSortStringArray folders, files;
    ListFolder(temp.Path().c_str(), TRUE, folders, files);
    EXPECT_EQ((std::vector<std::string>{ temp / "hidden.txt" }), Contents(files));
}

TEST(HasSubFolders, FilesCountOnlyWhenFilesAreShown)
{
    test::TempFolder temp;
    temp.CreateFileOfSize("README", 1); // no dot: "*.*" must still match it
    EXPECT_FALSE(HasSubFolders(temp.Path().c_str(), FALSE));
    EXPECT_TRUE(HasSubFolders(temp.Path().c_str(), TRUE));
}

TEST(HasSubFolders, AFolderNameWithoutADotCounts)
{
    test::TempFolder temp;
    temp.CreateFolder("Windows");
    EXPECT_TRUE(HasSubFolders(WithoutSlash(temp.Path()).c_str(), FALSE));
}

// ---- Item text from a path -------------------------------------------------------------------

TEST(GetSubPath, GivesTheLastComponent)
{
    EXPECT_STREQ("B", GetSubPath("C:\\A\\B\\"));
    EXPECT_STREQ("B", GetSubPath("C:\\A\\B"));
    EXPECT_STREQ("C:", GetSubPath("C:\\"));
    EXPECT_STREQ("C:", GetSubPath("C:"));
    EXPECT_STREQ("name", GetSubPath("name"));
    EXPECT_STREQ("", GetSubPath(""));
}

TEST(GetSubPath, SharesOneBufferAndAcceptsItsOwnResult)
{
    const char* first = GetSubPath("C:\\A\\B");
    EXPECT_EQ(first, GetSubPath("C:\\X\\Y"));
    EXPECT_STREQ("Y", first);
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
    std::vector<std::string> asked;
};
FakeMachine s_machine;

DWORD WINAPI FakeGetLogicalDriveStrings(DWORD size, LPSTR buffer)
{
    if (s_machine.fails)
        return 0;
    std::string strings = s_machine.driveStrings + '\0';
    if (strings.size() > size)
        return static_cast<DWORD>(strings.size());
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

std::vector<std::string> ShownDrives(BOOL* ok)
{
    CStringArray drives;
    drives.Add("stale");
    *ok = GetShownDrives(drives, DriveQueries{ FakeGetLogicalDriveStrings, FakeGetDriveType });
    return Contents(drives);
}

} // namespace

TEST(DriveFilter, FloppiesAndCdRomsAloneShowNothing)
{
    s_machine = FakeMachine{};
    s_machine.driveStrings = std::string("A:\\\0B:\\\0E:\\\0", 12);
    s_machine.types = { { "A:\\", DRIVE_REMOVABLE }, { "B:\\", DRIVE_REMOVABLE },
                        { "E:\\", DRIVE_CDROM } };
    BOOL ok = FALSE;
    EXPECT_EQ((std::vector<std::string>{}), ShownDrives(&ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ((std::vector<std::string>{ "A:\\", "B:\\", "E:\\" }), s_machine.asked);
}

TEST(DriveFilter, KeepsEveryOtherDriveInPlatformOrder)
{
    s_machine = FakeMachine{};
    s_machine.driveStrings = std::string("A:\\\0C:\\\0Z:\\\0D:\\\0F:\\\0G:\\\0H:\\\0R:\\\0", 32);
    s_machine.types = { { "A:\\", DRIVE_REMOVABLE }, { "C:\\", DRIVE_FIXED },
                        { "Z:\\", DRIVE_FIXED },     { "D:\\", DRIVE_CDROM },
                        { "F:\\", DRIVE_REMOTE },    { "G:\\", DRIVE_REMOVABLE },
                        { "H:\\", DRIVE_UNKNOWN },   { "R:\\", DRIVE_RAMDISK } };
    BOOL ok = FALSE;
    EXPECT_EQ((std::vector<std::string>{ "C:\\", "Z:\\", "F:\\", "G:\\", "H:\\", "R:\\" }),
              ShownDrives(&ok));
    EXPECT_TRUE(ok);
}

TEST(DriveFilter, AFailedDriveQueryIsReported)
{
    s_machine = FakeMachine{};
    s_machine.driveStrings = std::string("C:\\\0", 4);
    s_machine.fails = true;
    BOOL ok = TRUE;
    EXPECT_EQ((std::vector<std::string>{}), ShownDrives(&ok));
    EXPECT_FALSE(ok);
    EXPECT_TRUE(s_machine.asked.empty());
}

TEST(DriveFilter, ThisMachineShowsItsSystemDrive)
{
    CStringArray drives;
    ASSERT_TRUE(GetShownDrives(drives));
    std::vector<std::string> shown = Contents(drives);
    EXPECT_NE(shown.end(), std::find(shown.begin(), shown.end(), "C:\\"));
    for (const std::string& root : shown) {
        EXPECT_NE(DRIVE_CDROM, ::GetDriveTypeA(root.c_str())) << root;
        EXPECT_TRUE(root[0] != 'A' && root[0] != 'B') << root;
    }
}
