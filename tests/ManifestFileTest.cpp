// Manifest paths and the three manifest file operations, on real files in a temporary folder.
#include <gtest/gtest.h>

#include "programs/ManifestFile.h"
#include "tests/TestSupport.h"

#include <string>
#include <utility>

namespace {

// The manifest rebuilt from its lines and indentation, independently of the product's constant.
std::string ExpectedManifest()
{
    const std::pair<int, const char*> lines[] = {
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
    std::string text;
    for (const auto& line : lines)
        text += std::string(line.first, ' ') + line.second + '\n';
    return text;
}

HANDLE OpenShared(const std::string& path, DWORD share)
{
    return ::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

TEST(ManifestPathTest, AppendsSuffixToTheNameWithOrWithoutTrailingBackslash)
{
    EXPECT_STREQ("C:\\Tools\\app.exe.manifest", ManifestPath("C:\\Tools\\", "app.exe"));
    EXPECT_STREQ("C:\\Tools\\app.exe.manifest", ManifestPath("C:\\Tools", "app.exe"));
    // The suffix is appended, never substituted for the extension; the case stays as given.
    EXPECT_STREQ("C:\\Tools\\setup.2.exe.manifest", ManifestPath("C:\\Tools", "setup.2.exe"));
    EXPECT_STREQ("C:\\Tools\\App.Exe.manifest", ManifestPath("C:\\Tools\\", "App.Exe"));
    EXPECT_STREQ("C:\\app.exe.manifest", ManifestPath("C:\\", "app.exe"));
}

TEST(ManifestFileTest, EnsureWritesExactlyTheDependencyManifest)
{
    test::TempFolder folder;
    const std::string path = folder / "app.exe.manifest";

    EXPECT_FALSE(ManifestExists(path.c_str()));
    EnsureManifest(path.c_str());

    const std::string written = test::ReadWholeFile(path);
    ASSERT_EQ(500u, written.size());
    EXPECT_EQ(ExpectedManifest(), written);
    EXPECT_EQ(std::string::npos, written.find('\r'));
    EXPECT_EQ(std::string::npos, written.find('\0'));
    EXPECT_TRUE(ManifestExists(path.c_str()));
}

TEST(ManifestFileTest, EnsureLeavesAPresentManifestByteForByte)
{
    test::TempFolder folder;
    // Longer than ours, so a rewrite from offset 0 or a truncation would both show.
    const std::string handWritten = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- mine -->\r\n" +
                                    std::string(700, 'x') + "\r\n";
    const std::string path = folder.CreateFileWith("tool.exe.manifest", handWritten);

    EnsureManifest(path.c_str());
    EXPECT_EQ(handWritten, test::ReadWholeFile(path));

    // An empty file is present too: it is left empty.
    const std::string empty = folder.CreateFileWith("empty.exe.manifest", "");
    EnsureManifest(empty.c_str());
    EXPECT_EQ("", test::ReadWholeFile(empty));
}

TEST(ManifestFileTest, ManifestHeldOpenElsewhereCountsAsAbsentAndIsNotOverwritten)
{
    test::TempFolder folder;
    const std::string content = "held by someone else";
    const std::string path = folder.CreateFileWith("busy.exe.manifest", content);

    // Whatever the other handle shares, the exclusive open fails.
    for (DWORD share : { DWORD(0), DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) }) {
        SCOPED_TRACE(share);
        HANDLE other = OpenShared(path, share);
        ASSERT_NE(INVALID_HANDLE_VALUE, other);
        EXPECT_FALSE(ManifestExists(path.c_str()));
        EnsureManifest(path.c_str());
        ::CloseHandle(other);

        EXPECT_EQ(content, test::ReadWholeFile(path));
        EXPECT_TRUE(ManifestExists(path.c_str()));
    }
}

TEST(ManifestFileTest, RemoveDeletesThePresentManifestAndIgnoresAMissingOne)
{
    test::TempFolder folder;
    const std::string path = folder.CreateFileWith("app.exe.manifest", "x");
    const std::string program = folder.CreateFileOfSize("app.exe", 10);

    RemoveManifest(path.c_str());
    EXPECT_FALSE(test::FileExists(path));
    EXPECT_TRUE(test::FileExists(program));

    RemoveManifest(path.c_str());
    EXPECT_FALSE(test::FileExists(path));
    EXPECT_FALSE(ManifestExists(path.c_str()));
}

TEST(ManifestFileTest, EnsureFailsQuietlyWhereAFolderStandsInTheWay)
{
    test::TempFolder folder;
    const std::string path = folder.CreateFolder("app.exe.manifest");

    EnsureManifest(path.c_str());
    EXPECT_FALSE(ManifestExists(path.c_str()));
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

    RemoveManifest(path.c_str());
    EXPECT_TRUE(test::FileExists(path));
}
