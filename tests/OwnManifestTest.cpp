// Own manifests: fixture programs of both architectures against Wine's loader, damaged and cut
// copies of them, what reading leaves behind, and manifest text of every legal shape.
#include <gtest/gtest.h>

#include "programs/OwnManifest.h"
#include "support/TestSupport.h"

#include <string.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

void PrintTo(OwnManifest value, std::ostream* out)
{
    *out << (value == OwnManifest::None     ? "None"
             : value == OwnManifest::Themed ? "Themed"
                                            : "Classic");
}

namespace {

// This build's architecture and the other, whose fixtures a build on Windows may lack. No 32-bit
// fixture runs where 32-bit programs start only under an emulator.
std::vector<const char*> Architectures()
{
    const char* own = sizeof(void*) == 8 ? "x64" : "x86";
    const char* other = sizeof(void*) == 8 ? "x86" : "x64";
    std::vector<const char*> built;
    for (const char* architecture : { own, other }) {
        if ((architecture == own || test::FileExists(test::FixturePath("themed", other))) &&
            !(::strcmp(architecture, "x86") == 0 && test::Emulates32BitPrograms()))
            built.push_back(architecture);
    }
    return built;
}

DWORD At(const std::string& bytes, size_t offset, int width = 4)
{
    DWORD value = 0;
    memcpy(&value, bytes.data() + offset, width);
    return value;
}

void Put(std::string& bytes, size_t offset, DWORD value, int width = 4)
{
    memcpy(&bytes[offset], &value, width);
}

// Where the parts of a fixture's image lie in its file, found the plain way for this one image:
// the manifest is its only resource, so every directory has one entry.
struct Layout {
    explicit Layout(const std::string& bytes)
    {
        nt = At(bytes, 0x3C);
        optional = nt + 24;
        const bool pe32 = At(bytes, optional, 2) == IMAGE_NT_OPTIONAL_HDR32_MAGIC;
        directoryCount = optional + (pe32 ? 92 : 108);
        resourceEntry = optional + (pe32 ? 96 : 112) + 2 * 8;
        const DWORD rva = At(bytes, resourceEntry);
        section = optional + At(bytes, nt + 20, 2);
        for (DWORD i = At(bytes, nt + 6, 2); i > 1 && rva >= At(bytes, section + 40 + 12); --i)
            section += 40; // sections ascend; the resources' is the last to start at or before
        const DWORD header = section;
        root = At(bytes, header + 20) + rva - At(bytes, header + 12);
        typeEntry = root + 16;
        nameEntry = root + (At(bytes, typeEntry + 4) & 0x7FFFFFFF) + 16;
        languageEntry = root + (At(bytes, nameEntry + 4) & 0x7FFFFFFF) + 16;
        dataEntry = root + At(bytes, languageEntry + 4);
        const DWORD textInSection = At(bytes, dataEntry) - At(bytes, header + 12);
        textEnd = At(bytes, header + 20) + textInSection + At(bytes, dataEntry + 4);
        // Bytes of the section's image from the manifest's start to the section's end.
        sectionRest = std::min(At(bytes, header + 8), At(bytes, header + 16)) - textInSection;
    }
    size_t nt, optional, directoryCount, resourceEntry, section, root, typeEntry, nameEntry,
        languageEntry, dataEntry, textEnd;
    DWORD sectionRest;
};

// A copy whose headers move to the file's end with `extra` more sections ahead of its own: empty
// ones, and one that ends where the resources' section begins while its file bytes run on.
std::string WithMoreSections(const std::string& bytes, const Layout& at, int extra)
{
    const DWORD count = At(bytes, at.nt + 6, 2);
    const size_t table = at.optional + At(bytes, at.nt + 20, 2);
    std::string before(40, '\0');
    Put(before, 8, 0x1000);
    Put(before, 12, At(bytes, at.section + 12) - 0x1000);
    Put(before, 16, 0x2000);
    std::string headers = bytes.substr(at.nt, table - at.nt) + std::string(40 * (extra - 1), '\0') +
                          before + bytes.substr(table, 40 * count);
    Put(headers, 6, count + extra, 2);
    std::string moved = bytes + std::string(8 - bytes.size() % 8, '\0');
    Put(moved, 0x3C, static_cast<DWORD>(moved.size()));
    return moved + headers;
}

// A copy whose manifest is `text`, put at the file's end, the resources' section grown to hold it.
std::string WithManifestText(const std::string& bytes, const Layout& at, const std::string& text)
{
    std::string changed = bytes;
    const DWORD inSection = static_cast<DWORD>(bytes.size()) - At(bytes, at.section + 20);
    Put(changed, at.dataEntry, At(bytes, at.section + 12) + inSection);
    Put(changed, at.dataEntry + 4, static_cast<DWORD>(text.size()));
    for (size_t size : { at.section + 8, at.section + 16 })
        Put(changed, size, inSection + static_cast<DWORD>(text.size()));
    return changed + text;
}

} // namespace

TEST(OwnManifestTest, FixturesOfBothArchitecturesReadAsTheLoaderTreatsThem)
{
    const struct {
        const char* kind;
        OwnManifest expected;
    } kinds[] = {
        { "themed", OwnManifest::Themed },  { "utf16le", OwnManifest::Themed },
        { "utf16be", OwnManifest::Themed }, { "classic", OwnManifest::Classic },
        { "broken", OwnManifest::Classic }, { "id2", OwnManifest::None },
        { "plain", OwnManifest::None },
    };
    // Each fixture runs beside a side manifest and without one, all at once. It exits with 6 when
    // it got the common controls 6, with 5 when not.
    test::TempFolder folder;
    struct Run {
        std::string label;
        DWORD expected;
        PROCESS_INFORMATION pi;
    };
    std::vector<Run> runs;
    for (const char* architecture : Architectures()) {
        for (const auto& kind : kinds) {
            const std::string fixture = test::FixturePath(kind.kind, architecture);
            ASSERT_TRUE(test::FileExists(fixture)) << fixture;
            EXPECT_EQ(kind.expected, ReadOwnManifest(fixture.c_str())) << fixture;
            for (bool bSide : { false, true }) {
                Run run{ std::string(kind.kind) + "-" + architecture + (bSide ? "-side" : ""),
                         kind.expected == OwnManifest::Themed    ? 6UL
                         : kind.expected == OwnManifest::Classic ? 5UL
                         : bSide                                 ? 6UL
                                                                 : 5UL,
                         {} };
                const std::string copy = folder / (run.label + ".exe");
                ASSERT_TRUE(::CopyFileA(fixture.c_str(), copy.c_str(), FALSE));
                if (bSide)
                    folder.CreateFileWith(run.label + ".exe.manifest", test::OurManifest());
                STARTUPINFOA si = {};
                si.cb = sizeof si;
                ASSERT_TRUE(::CreateProcessA(copy.c_str(), nullptr, nullptr, nullptr, FALSE, 0,
                                             nullptr, folder.Path().c_str(), &si, &run.pi))
                    << copy;
                runs.push_back(run);
            }
        }
    }
    for (Run& run : runs) {
        DWORD code = 0;
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(run.pi.hProcess, 60000)) << run.label;
        ::GetExitCodeProcess(run.pi.hProcess, &code);
        EXPECT_EQ(run.expected, code) << run.label;
        ::CloseHandle(run.pi.hProcess);
        ::CloseHandle(run.pi.hThread);
    }
    // A real program, its manifest behind an icon: the text lies beyond the first reads.
    EXPECT_EQ(OwnManifest::Themed, ReadOwnManifest(test::ProductPath().c_str()));
}

TEST(OwnManifestTest, ReadingNeitherChangesNorHoldsTheProgram)
{
    test::TempFolder folder;
    const std::string path = folder / "app.exe";
    ASSERT_TRUE(::CopyFileA(test::FixturePath("themed", "x64").c_str(), path.c_str(), FALSE));
    FILETIME written = { 0x12345600, 0x01C00000 }, after = {};
    HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    ASSERT_TRUE(::SetFileTime(h, nullptr, nullptr, &written));
    ::CloseHandle(h);

    // Open elsewhere for writing, or shared for reading only as Windows holds a running program.
    const DWORD holders[][2] = {
        { GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE },
        { GENERIC_READ, FILE_SHARE_READ },
    };
    for (const auto& holder : holders) {
        h = ::CreateFileA(path.c_str(), holder[0], holder[1], nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        EXPECT_EQ(OwnManifest::Themed, ReadOwnManifest(path.c_str())) << holder[1];
        ::CloseHandle(h);
    }

    h = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << "a handle was left open";
    ::GetFileTime(h, nullptr, nullptr, &after);
    ::CloseHandle(h);
    EXPECT_EQ(0, ::CompareFileTime(&written, &after));
    EXPECT_TRUE(::DeleteFileA(path.c_str()));
    EXPECT_FALSE(test::FileExists(path));
}

TEST(OwnManifestTest, FilesThatAreNoProgramsAndProgramsCutShortAreNone)
{
    test::TempFolder folder;
    EXPECT_EQ(OwnManifest::None, ReadOwnManifest(nullptr));
    EXPECT_EQ(OwnManifest::None, ReadOwnManifest((folder / "missing.exe").c_str()));
    EXPECT_EQ(OwnManifest::None, ReadOwnManifest(folder.CreateFolder("dir.exe").c_str()));
    EXPECT_EQ(OwnManifest::None, ReadOwnManifest(folder.CreateFileWith("empty.exe", "").c_str()));
    EXPECT_EQ(OwnManifest::None,
              ReadOwnManifest(folder.CreateFileWith("notes.exe", "MZ is all it has\r\n").c_str()));

    // Every cut that leaves part of the manifest's text unread gives None, every other Themed.
    for (const char* architecture : Architectures()) {
        const std::string bytes = test::ReadWholeFile(test::FixturePath("themed", architecture));
        const size_t manifestEnd = Layout(bytes).textEnd;
        ASSERT_LT(manifestEnd, bytes.size());
        const std::string path = folder.CreateFileWith("cut.exe", bytes);
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        // Cut ever shorter, in steps that fall on every field's bytes somewhere.
        std::vector<size_t> cuts = { manifestEnd, manifestEnd - 1 };
        for (size_t cut = 0; cut < bytes.size(); cut += 29)
            cuts.push_back(cut);
        std::sort(cuts.begin(), cuts.end(), std::greater<size_t>());
        for (size_t cut : cuts) {
            ::SetFilePointer(h, static_cast<LONG>(cut), nullptr, FILE_BEGIN);
            ::SetEndOfFile(h);
            EXPECT_EQ(cut >= manifestEnd ? OwnManifest::Themed : OwnManifest::None,
                      ReadOwnManifest(path.c_str()))
                << architecture << " cut at " << cut;
        }
        ::CloseHandle(h);
    }
}

TEST(OwnManifestTest, DamagedHeadersAndResourceDirectoriesAreNone)
{
    test::TempFolder folder;
    for (const char* architecture : Architectures()) {
        const std::string bytes = test::ReadWholeFile(test::FixturePath("themed", architecture));
        const Layout at(bytes);
        const struct {
            const char* damage;
            size_t offset;
            DWORD value;
            int width;
        } patches[] = {
            { "no MZ", 0, 0x5A5A, 2 },
            { "PE header at a negative offset", 0x3C, 0xFFFFFFF0, 4 },
            { "no PE signature", at.nt, 0x4551, 4 },
            { "unknown optional header", at.optional, 0x107, 2 },
            { "optional header too short for the resources", at.nt + 20, 0x60, 2 },
            { "two data directories", at.directoryCount, 2, 4 },
            { "more sections than the file holds", at.nt + 6, 0xFFFF, 2 },
            { "resources outside every section", at.resourceEntry, 0x7FFF0000, 4 },
            { "section data past the end, wrapping 32 bits", at.section + 20, 0xFFFFFFF0, 4 },
            { "more root entries than the section holds", at.root + 14, 0xFFFF, 2 },
            { "type directory is the root", at.typeEntry + 4, 0x80000000, 4 },
            { "type leads to a directory not marked as one", at.typeEntry + 4,
              DWORD(at.nameEntry - 16 - at.root), 4 },
            { "name directory contains itself", at.nameEntry + 4,
              DWORD(0x80000000 | (at.nameEntry - 16 - at.root)), 4 },
            { "language leads to the root", at.languageEntry + 4, 0x80000000, 4 },
            { "language data past the section", at.languageEntry + 4, 0x7FFFFFF0, 4 },
            { "manifest outside every section", at.dataEntry, 0x7FFF0000, 4 },
            { "manifest one byte past its section", at.dataEntry + 4, at.sectionRest + 1, 4 },
        };
        EXPECT_EQ(OwnManifest::Themed,
                  ReadOwnManifest(folder.CreateFileWith("whole.exe", bytes).c_str()));
        for (const auto& patch : patches) {
            std::string damaged = bytes;
            Put(damaged, patch.offset, patch.value, patch.width);
            const std::string path = folder.CreateFileWith("damaged.exe", damaged);
            EXPECT_EQ(OwnManifest::None, ReadOwnManifest(path.c_str()))
                << architecture << ": " << patch.damage;
        }

        // A long manifest is judged whole, whatever stands before its dependency; past a few
        // megabytes it is not judged at all. The section table is read whatever its length,
        // each section ending where it ends: ahead of the program's own, empty ones and one whose
        // file bytes run on past its end into where the resources' section begins.
        const auto read = [&](const std::string& program) {
            return ReadOwnManifest(folder.CreateFileWith("changed.exe", program).c_str());
        };
        const DWORD size = At(bytes, at.dataEntry + 4);
        std::string text = bytes.substr(at.textEnd - size, size);
        EXPECT_EQ(OwnManifest::None,
                  read(WithManifestText(bytes, at, text + std::string(5 << 20, ' '))));
        text.insert(text.find("?>") + 2, "<!--" + std::string(70 * 1024, 'x') + "-->");
        EXPECT_EQ(OwnManifest::Themed, read(WithManifestText(bytes, at, text))) << architecture;
        EXPECT_EQ(OwnManifest::Themed, read(WithMoreSections(bytes, at, 97))) << architecture;
    }
}

namespace {

// A manifest whose one dependency has these identity attributes, between `before` and `after`.
std::string WithIdentity(const std::string& attributes, const std::string& before = "",
                         const std::string& after = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n" +
           before + "<dependency><dependentAssembly><assemblyIdentity " + attributes +
           "/></dependentAssembly></dependency>" + after + "\n</assembly>\n";
}

const std::string kIdentity =
    "type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
    "processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"";

std::string Utf16(const std::string& text, bool bBigEndian)
{
    std::string out = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (unsigned char c : text) {
        // Units whose one byte is '<' or '>' stand for characters beyond ASCII.
        const unsigned unit = c == 0xA7 ? 0x013C : c == 0xB6 ? 0x3E3E : c;
        out += static_cast<char>(bBigEndian ? unit >> 8 : unit & 0xFF);
        out += static_cast<char>(bBigEndian ? unit & 0xFF : unit >> 8);
    }
    return out;
}

OwnManifest Classify(const std::string& text)
{
    return ClassifyManifestText(text.data(), static_cast<DWORD>(text.size()));
}

} // namespace

TEST(OwnManifestTest, TextAskingForTheCommonControls6InAnyLegalShapeIsThemed)
{
    const std::string name = "name=\"Microsoft.Windows.Common-Controls\"";
    const std::string themed[] = {
        WithIdentity(kIdentity),
        // Names without regard to case, and every 6.0 build: the loader binds by 6.0 alone.
        WithIdentity("name='MICROSOFT.WINDOWS.COMMON-CONTROLS' version='6.0.2600.2982'"),
        // Wine reads missing parts as 0; Windows documents the version as four parts.
        WithIdentity(name + " version=\"6.0\""),
        "<asmv1:assembly xmlns:asmv1='urn:schemas-microsoft-com:asm.v1'><asmv1:dependency>"
        "<asmv1:dependentAssembly><asmv1:assemblyIdentity " +
            name +
            " version='6.0.0.0'/>"
            "</asmv1:dependentAssembly></asmv1:dependency></asmv1:assembly>",
        WithIdentity("\r\n\tname\t=\r\n'Microsoft.Windows.Common-Controls'\n"
                     " version =\"6.0.0.0\"\n"),
        // Markup characters where XML allows them, and look-alikes where it hides them.
        "<!DOCTYPE assembly [ <!ENTITY e \"]>\"> ]><?pi <dependency> ?>" +
            WithIdentity(kIdentity, "<description a='1 > 0 />'>x > y<![CDATA[</assembly>]]>"
                                    "</description><!-- it's not </assembly> -->"),
        WithIdentity(kIdentity, "<dependency><dependentAssembly><assemblyIdentity name="
                                "'Microsoft.VC90.CRT' version='9.0.21022.8'/></dependentAssembly>"
                                "</dependency>"),
        "\xEF\xBB\xBF" + WithIdentity(kIdentity, "<description>\xC3\x9C\xE3\x81\x82</description>"),
        Utf16(WithIdentity(kIdentity, "<description>\xA7 \xB6</description>"), false),
        Utf16(WithIdentity(kIdentity, "<description>\xA7 \xB6</description>"), true),
        // Text that ends right where a comment does.
        WithIdentity(kIdentity) + "<!-- end -->",
    };
    for (const std::string& text : themed)
        EXPECT_EQ(OwnManifest::Themed, Classify(text)) << text;
}

TEST(OwnManifestTest, TextAskingForAnythingElseOrUnreadableIsClassic)
{
    const std::string name = "name=\"Microsoft.Windows.Common-Controls\" ";
    const std::string identity = "<assemblyIdentity " + kIdentity + "/>";
    std::string openSubset = WithIdentity(kIdentity);
    openSubset.insert(openSubset.find("<assembly"), "<!DOCTYPE assembly [ <!ENTITY e 'open'> >");
    const std::string classic[] = {
        "",
        "<?xml version=\"1.0\"?>\n<assembly><trustInfo/></assembly>",
        WithIdentity(name + "version=\"5.82.0.0\""),
        WithIdentity(name + "version=\"6.1.0.0\""),
        WithIdentity(name + "version=\"6.0.65536.0\""),
        WithIdentity(name),
        // The identity in the wrong place: the program's own, or outside the nesting.
        "<assembly>" + identity + "</assembly>",
        "<assembly><dependentAssembly>" + identity + "</dependentAssembly></assembly>",
        "<assembly><dependency></dependency><other><dependentAssembly>" + identity +
            "</dependentAssembly></other></assembly>",
        "<assembly><dependency><other><dependentAssembly>" + identity +
            "</dependentAssembly></other></dependency></assembly>",
        "<manifest><dependency><dependentAssembly>" + identity +
            "</dependentAssembly></dependency></manifest>",
        "<assembly><!-- <dependency><dependentAssembly>" + identity +
            "</dependentAssembly></dependency> --></assembly>",
        // Not well-formed: the loader refuses it and takes no side file either.
        WithIdentity(kIdentity).substr(0, WithIdentity(kIdentity).size() - 12),
        "<assembly><dependency><dependentAssembly>" + identity +
            "</dependency></dependentAssembly></assembly>",
        WithIdentity(kIdentity) + "<assembly/>",
        WithIdentity(kIdentity, "<!-- never closed"),
        openSubset,
        WithIdentity("name=Microsoft.Windows.Common-Controls version=\"6.0.0.0\""),
        WithIdentity(name + "version=\"6.0.0.0\"type=\"win32\""),
        // UTF-16 without a byte order mark is taken for UTF-8, as the loader takes it.
        Utf16(WithIdentity(kIdentity), false).substr(2),
    };
    for (const std::string& text : classic)
        EXPECT_EQ(OwnManifest::Classic, Classify(text)) << text;
}
