// Manifest paths, writing and presence on real files; the program list tests check removal.
#include <gtest/gtest.h>

#include "programs/ManifestFile.h"
#include "tests/TestSupport.h"

#include <string>

TEST(ManifestFileTest, PathAppendsTheSuffixToTheWholeName)
{
    EXPECT_STREQ("C:\\T\\app.exe.manifest", ManifestPath("C:\\T", "app.exe"));
    EXPECT_STREQ("C:\\T\\setup.2.Exe.manifest", ManifestPath("C:\\T\\", "setup.2.Exe"));
}

TEST(ManifestFileTest, EnsureWritesTheManifestOnlyWhereNoneIsPresent)
{
    test::TempFolder folder;
    const std::string fresh = folder / "app.exe.manifest";
    EXPECT_FALSE(ManifestExists(fresh.c_str()));
    EnsureManifest(fresh.c_str());
    EXPECT_TRUE(ManifestExists(fresh.c_str()));
    // The 500 bytes and no more: neither the literal's zero nor a CR from a text-mode write.
    const std::string written = test::ReadWholeFile(fresh);
    EXPECT_EQ(std::string(kDependencyManifest, 500), written);
    // What the loader matches on, checked apart from the product's constant.
    for (const char* part : { "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "publicKeyToken=\"6595b64144ccf1df\"", "type=\"win32\"" })
        EXPECT_NE(std::string::npos, written.find(part)) << part;

    // Empty still counts as present; a longer one shows a rewrite and a truncation alike.
    for (const std::string& own : { std::string(), "<!-- mine -->\r\n" + std::string(700, 'x') }) {
        const std::string path = folder.CreateFileWith("own.exe.manifest", own);
        EnsureManifest(path.c_str());
        EXPECT_EQ(own, test::ReadWholeFile(path));
    }
}

TEST(ManifestFileTest, AManifestHeldOpenElsewhereCountsAsAbsentAndIsKept)
{
    test::TempFolder folder;
    const std::string path = folder.CreateFileWith("busy.exe.manifest", "held");
    // Whatever the other handle shares, the exclusive open fails.
    for (DWORD share : { 0UL, DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) }) {
        HANDLE other = ::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, other);
        EXPECT_FALSE(ManifestExists(path.c_str())) << share;
        EnsureManifest(path.c_str());
        ::CloseHandle(other);
        EXPECT_EQ("held", test::ReadWholeFile(path)) << share;
    }
}
