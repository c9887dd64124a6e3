// Manifest paths and the switching operations on real files: what is written and what is kept,
// where a removed manifest goes, and what links, refusals and a full disk make of them; on this
// system, as on XP without the calls of Vista and later, and with answers other systems give.
#include <gtest/gtest.h>

#include "platform/FileCalls.h"
#include "platform/Handle.h"
#include "programs/ManifestFile.h"
#include "support/TestSupport.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

const std::string kHandWritten = "<!-- mine -->\r\n" + std::string(700, 'x');

// "ours", "foreign link", "unreadable 32" and so on.
std::string Probe(const std::string& path)
{
    const ManifestProbe probe = ProbeManifest(path.c_str());
    const char* states[] = { "absent",  "ours",   "foreign",  "unreadable",
                             "present", "folder", "unusable", "device" };
    std::string text = states[static_cast<int>(probe.state)];
    if (probe.state == ManifestState::Unreadable || probe.state == ManifestState::Unusable)
        text += " " + std::to_string(probe.error);
    return probe.bLink ? text + " link" : text;
}

// The names in a folder, so that a helper file left behind shows.
std::string Names(const std::string& folder)
{
    std::string names;
    for (const auto& entry : test::FindEntries(folder + "*")) {
        if (entry.first[0] != '.')
            names += (names.empty() ? "" : " ") + entry.first;
    }
    return names;
}

// What the folder's names went through while `change` ran: " +name" came, " *name" was written,
// " -name" went.
std::string NameChanges(const std::string& folder, const std::function<void()>& change)
{
    const FileHandle watch(::CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                         nullptr));
    OVERLAPPED overlapped = {};
    overlapped.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD buffer[1024], got = 0;
    const DWORD kNamesSizesWrites = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                    FILE_NOTIFY_CHANGE_LAST_WRITE;
    const auto listen = [&] {
        return ::ReadDirectoryChangesW(watch.Get(), buffer, sizeof(buffer), FALSE,
                                       kNamesSizesWrites, nullptr, &overlapped, nullptr);
    };
    std::string changes = listen() ? "" : "(not watched)";
    change();
    while (::WaitForSingleObject(overlapped.hEvent, 300) == WAIT_OBJECT_0 &&
           ::GetOverlappedResult(watch.Get(), &overlapped, &got, FALSE)) {
        for (auto* p = reinterpret_cast<BYTE*>(buffer); got;
             p += reinterpret_cast<FILE_NOTIFY_INFORMATION*>(p)->NextEntryOffset) {
            const auto* info = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(p);
            changes += std::string(" ") + " +-*-+"[info->Action % 6] +
                       std::string(info->FileName, info->FileName + info->FileNameLength / 2);
            got = info->NextEntryOffset;
        }
        if (!listen())
            break;
    }
    ::CloseHandle(overlapped.hEvent);
    return changes;
}

// Wine's Recycle Bin, the freedesktop.org trash in $XDG_DATA_HOME, which the tests' command line
// points into the build tree; empty where there is no such thing.
std::string RecycleBin()
{
    char home[MAX_PATH] = {};
    if (!::GetEnvironmentVariableA("XDG_DATA_HOME", home, MAX_PATH))
        return std::string();
    return test::DosPath(std::string(home) + "/Trash");
}

// The bytes the Recycle Bin holds for the file that was at `path`, taken out again; "(none)" if
// it holds none. Each file there comes with a note of where it was.
std::string TakeFromRecycleBin(const std::string& path)
{
    const std::string info = RecycleBin() + "\\info\\";
    // The test paths hold none of the characters the note escapes.
    const std::string origin = "\nPath=" + test::UnixPath(path) + "\n";
    std::string content = "(none)";
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((info + "*.trashinfo").c_str(), &data);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &data)) {
        const std::string note = info + data.cFileName, name = data.cFileName;
        if (test::ReadWholeFile(note).find(origin) == std::string::npos)
            continue;
        const std::string file = RecycleBin() + "\\files\\" +
                                 name.substr(0, name.size() - strlen(".trashinfo"));
        content = test::ReadWholeFile(file);
        ::DeleteFileA(file.c_str());
        ::DeleteFileA(note.c_str());
    }
    ::FindClose(find);
    return content;
}

// A file system of its own mounted on `folder`, filled up or not.
test::UnixCommands SmallFileSystem(const std::string& folder, bool bFull)
{
    const std::string fill = " && (cat /dev/zero >" + test::Quoted(folder + "fill") +
                             " 2>/dev/null; true)";
    return { "mount -t tmpfs -o size=64k tmpfs " + test::Quoted(folder) + (bFull ? fill : ""),
             "umount -l " + test::Quoted(folder) };
}
const char kNoMount[] = "no file system of its own can be mounted here (not root)";

// Every test below runs twice: with the calls Vista and later have, and with them hidden as XP
// has none (no final path of an open file, no marking it for deletion).
class ManifestFileTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!IsXP())
            return;
        FileCalls xp = Files();
        xp.GetFinalPathNameByHandleW = nullptr;
        xp.SetFileInformationByHandle = nullptr;
        m_xp = std::make_unique<CFileCallsOverride>(xp);
    }
    static bool IsXP() { return GetParam(); }

    std::unique_ptr<CFileCallsOverride> m_xp;
};

INSTANTIATE_TEST_SUITE_P(Windows, ManifestFileTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "XP" : "VistaAndLater";
});

TEST(ManifestFilePathTest, PathAppendsTheSuffixToTheWholeName)
{
    EXPECT_STREQ("C:\\T\\app.exe.manifest", ManifestPath("C:\\T", "app.exe"));
    EXPECT_STREQ("C:\\T\\setup.2.Exe.manifest", ManifestPath("C:\\T\\", "setup.2.Exe"));
}

TEST_P(ManifestFileTest, SwitchingOnWritesOursOnlyWhereNoneIsPresentAndTellsOursApart)
{
    test::TempFolder folder;
    const std::string fresh = folder / "app.exe.manifest";
    EXPECT_EQ("absent", Probe(fresh));
    // The name comes once, for the whole file: a crash on the way leaves no part of it there.
    const std::string changes = NameChanges(folder.Path(), [&] {
        EXPECT_EQ(DWORD(ERROR_SUCCESS), EnsureManifest(fresh.c_str()));
    });
    EXPECT_NE(std::string::npos, changes.find(" +app.exe.manifest")) << changes;
    EXPECT_EQ(std::string::npos, changes.find(" *app.exe.manifest")) << changes;
    EXPECT_EQ("app.exe.manifest", Names(folder.Path()));
    // The 500 bytes and no more: neither the literal's zero nor a CR from a text-mode write.
    const std::string written = test::ReadWholeFile(fresh);
    EXPECT_EQ(test::OurManifest(), written);
    EXPECT_EQ("ours", Probe(fresh));
    // What the loader matches on, checked apart from the product's constant.
    for (const char* part : { "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                              "publicKeyToken=\"6595b64144ccf1df\"", "type=\"win32\"" })
        EXPECT_NE(std::string::npos, written.find(part)) << part;

    // Empty still counts as present; a longer one shows a rewrite and a truncation alike. One
    // byte more or less than ours, at either end, is someone else's, which switching off must not
    // delete.
    const std::string& ours = test::OurManifest();
    for (const std::string& own : { std::string(), kHandWritten, ours + "\n", ours.substr(1),
                                    ours.substr(0, ours.size() - 1) }) {
        const std::string path = folder.CreateFileWith("own.exe.manifest", own);
        EXPECT_EQ("foreign", Probe(path)) << own.size();
        EXPECT_EQ(DWORD(ERROR_SUCCESS), EnsureManifest(path.c_str()));
        EXPECT_EQ(own, test::ReadWholeFile(path));
    }
}

TEST_P(ManifestFileTest, AManifestHeldOpenElsewhereIsUnreadableAndKept)
{
    test::TempFolder folder;
    const std::string path = folder.CreateFileWith("busy.exe.manifest", "held");
    // Whatever the other handle shares, the exclusive open fails.
    for (DWORD share : { 0UL, DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) }) {
        HANDLE other = ::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, other);
        EXPECT_FALSE(ManifestExists(path.c_str())) << share;
        EXPECT_EQ("unreadable 32", Probe(path)) << share; // ERROR_SHARING_VIOLATION
        EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), EnsureManifest(path.c_str()));
        EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), RemoveManifest(path.c_str()));
        ::CloseHandle(other);
        EXPECT_EQ("held", test::ReadWholeFile(path)) << share;
    }
}

TEST_P(ManifestFileTest, SwitchingOffDeletesOursAndSendsAnyOtherToTheRecycleBin)
{
    test::TempFolder folder;
    if (RecycleBin().empty())
        GTEST_SKIP() << "no Recycle Bin of Wine's kind to look into";
    EXPECT_EQ(DWORD(ERROR_SUCCESS), RemoveManifest((folder / "none.exe.manifest").c_str()));

    const std::string ours = folder / "ours.exe.manifest";
    EnsureManifest(ours.c_str());
    EXPECT_EQ(DWORD(ERROR_SUCCESS), RemoveManifest(ours.c_str()));
    EXPECT_EQ("(none)", TakeFromRecycleBin(ours));

    // Also from another file system, which Wine's trash copies from rather than moves.
    const std::string mounted = folder.CreateFolder("small") + "\\";
    test::UnixChange small(SmallFileSystem(mounted, false));
    for (const std::string& place : { folder.Path(), mounted }) {
        if (place == mounted && !small.Made()) {
            std::printf("[  NOTE    ] %s: left out\n", kNoMount);
            continue;
        }
        const std::string path = place + "foreign.exe.manifest";
        folder.CreateFileWith(path.substr(folder.Path().size()), kHandWritten);
        EXPECT_EQ(DWORD(ERROR_SUCCESS), RemoveManifest(path.c_str())) << place;
        EXPECT_EQ(kHandWritten, TakeFromRecycleBin(path)) << place;
        EXPECT_EQ(place == mounted ? "" : "small", Names(place)) << place;
    }

    // Read-only is the owner's "keep this"; the shell itself asks before recycling such a file.
    const std::string kept = folder.CreateFileWith("kept.exe.manifest", kHandWritten);
    ASSERT_TRUE(::SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), RemoveManifest(kept.c_str()));
    EXPECT_EQ(kHandWritten, test::ReadWholeFile(kept));
    EXPECT_EQ("kept.exe.manifest small", Names(folder.Path()));
}

// What is no manifest stays as it is: a folder at the manifest path, a path too long for any
// file, where nothing can be and nothing is said to be, and what would open a device or a pipe
// (a file of that name made on the Unix side, which Windows would take for the device NUL; a
// FIFO, whose read would wait for a writer).
TEST_P(ManifestFileTest, AFolderAPathTooLongAndDevicesAreNoManifestsAndNeverTouched)
{
    test::TempFolder folder;
    const std::string tooLong(MAX_PATH - folder.Path().size(), 'x');
    const bool bUnix = test::RunOnUnixSide("cd " + test::Quoted(folder.Path()) +
                                           " && echo mine >nul.exe.manifest && mkfifo "
                                           "fifo.exe.manifest");
    const struct {
        std::string path, probe;
        DWORD error;
    } cases[] = {
        { folder.CreateFolder("dir.exe.manifest"), "folder", kIsFolder },
        { folder / tooLong + ".exe.manifest", "unusable 206", ERROR_FILENAME_EXCED_RANGE },
        { folder / "nul.exe.manifest", "device", kIsDevice },
        { folder / "fifo.exe.manifest", "device", kIsDevice },
    };
    for (const auto& c : cases) {
        if (!bUnix && c.probe == "device")
            continue;
        EXPECT_EQ(c.error, EnsureManifest(c.path.c_str())) << c.path;
        EXPECT_EQ(c.error, RemoveManifest(c.path.c_str())) << c.path;
        EXPECT_EQ(c.probe, Probe(c.path)) << c.path;
    }
    EXPECT_EQ(bUnix ? "dir.exe.manifest fifo.exe.manifest nul.exe.manifest" : "dir.exe.manifest",
              Names(folder.Path()));
}

// SHFileOperation deletes for good what the Recycle Bin will not take, or leaves it, and reports
// success either way. Wine's bin refuses with either of its folders closed to changes.
TEST_P(ManifestFileTest, AManifestTheRecycleBinRefusesStaysAndTheRefusalIsReported)
{
    test::TempFolder folder;
    const std::string trash = RecycleBin();
    if (trash.empty())
        GTEST_SKIP() << "no Recycle Bin of Wine's kind to make refuse";
    for (const char* made : { "", "\\files", "\\info" })
        ::CreateDirectoryA((trash + made).c_str(), nullptr);
    for (const char* part : { "\\files", "\\info" }) {
        test::UnixChange immutable(test::Immutable(trash + part));
        if (!immutable.Made())
            GTEST_SKIP() << test::kNoImmutable;
        const std::string path = folder.CreateFileWith("foreign.exe.manifest", kHandWritten);
        EXPECT_EQ(kNotRemoved, RemoveManifest(path.c_str())) << part;
        EXPECT_EQ(kHandWritten, test::ReadWholeFile(path)) << part;
        EXPECT_EQ("foreign.exe.manifest", Names(folder.Path())) << part;
        EXPECT_EQ("(none)", TakeFromRecycleBin(path)) << part;
    }
}

// Wine reports a delete in such a folder as done while the file stays: only a second look tells.
TEST_P(ManifestFileTest, AFolderThatRefusesChangesKeepsEveryManifest)
{
    test::TempFolder folder;
    const std::string ours = folder.CreateFileWith("ours.exe.manifest", test::OurManifest());
    const std::string foreign = folder.CreateFileWith("foreign.exe.manifest", kHandWritten);
    test::UnixChange immutable(test::Immutable(folder.Path()));
    if (!immutable.Made())
        GTEST_SKIP() << test::kNoImmutable;

    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), EnsureManifest((folder / "new.exe.manifest").c_str()));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), RemoveManifest(ours.c_str()));
    EXPECT_EQ("ours", Probe(ours));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), RemoveManifest(foreign.c_str()));
    EXPECT_EQ(kHandWritten, test::ReadWholeFile(foreign));
    EXPECT_EQ("foreign.exe.manifest ours.exe.manifest", Names(folder.Path()));
}

TEST_P(ManifestFileTest, AWriteThatFallsShortLeavesNoManifest)
{
    test::TempFolder folder;
    const std::string full = folder.CreateFolder("full") + "\\";
    test::UnixChange small(SmallFileSystem(full, true));
    if (!small.Made())
        GTEST_SKIP() << kNoMount;
    const std::string path = full + "app.exe.manifest";
    EXPECT_EQ(DWORD(ERROR_DISK_FULL), EnsureManifest(path.c_str()));
    EXPECT_EQ("absent", Probe(path));
    EXPECT_EQ("fill", Names(full));
}

// Links made on the Unix side: one beside its target, one to a file in another folder, one to
// nothing. Wine 8 follows links in every call, so there switching off can only refuse; Windows
// removes the link itself. The file a link points to never changes.
TEST_P(ManifestFileTest, LinksAreSwitchedAsLinksAndTheirTargetsNeverChange)
{
    test::TempFolder folder, elsewhere;
    const std::string target = folder.CreateFileWith("target.txt", test::OurManifest());
    const std::string cased = folder.CreateFileWith("CASED.EXE.manifest", kHandWritten);
    const std::string other = elsewhere.CreateFileWith("other.txt", kHandWritten);
    const std::string same = folder / "same.exe.manifest", away = folder / "away.exe.manifest";
    const std::string dangling = folder / "dangling.exe.manifest";
    const std::string byCase = folder / "cased.exe.manifest";
    // The Unix name of `byCase` would be its target's: Wine looks names up without regard to case.
    const std::string inFolder = "cd " + test::Quoted(folder.Path()) + " && ";
    // Removed on the Unix side too: Wine's DeleteFileA would delete the targets and keep them.
    const std::string links = test::Quoted(same) + " " + test::Quoted(away) + " " +
                              test::Quoted(dangling);
    if (IsXP())
        GTEST_SKIP() << "XP has no symbolic links to files";
    test::UnixChange linked({ "ln -s target.txt " + test::Quoted(same) + " && ln -s " +
                                  test::Quoted(other) + " " + test::Quoted(away) +
                                  " && ln -s missing.txt " + test::Quoted(dangling) + " && " +
                                  inFolder + "ln -s CASED.EXE.manifest cased.exe.manifest",
                              "rm -f " + links + "; " + inFolder + "rm -f cased.exe.manifest" });
    if (!linked.Made())
        GTEST_SKIP() << "no symbolic links can be made here";

    // A plain file named in another case is no link.
    EXPECT_EQ("ours", Probe(folder / "TARGET.TXT"));
    EXPECT_EQ("ours link", Probe(same));
    EXPECT_EQ("foreign link", Probe(byCase));
    EXPECT_EQ("foreign link", Probe(away));
    EXPECT_EQ("absent", Probe(dangling));
    EXPECT_EQ(DWORD(ERROR_FILE_EXISTS), EnsureManifest(dangling.c_str()));
    EXPECT_FALSE(test::FileExists(folder / "missing.txt"));

    for (const std::string& link : { same, away, byCase }) {
        const std::string before = Probe(link);
        const DWORD result = RemoveManifest(link.c_str());
        EXPECT_TRUE(result == ERROR_SUCCESS || result == kNotRemoved) << link << " " << result;
        EXPECT_EQ(result == ERROR_SUCCESS ? "absent" : before, Probe(link)) << link;
    }
    EXPECT_EQ(test::OurManifest(), test::ReadWholeFile(target));
    EXPECT_EQ(kHandWritten, test::ReadWholeFile(cased));
    EXPECT_EQ(kHandWritten, test::ReadWholeFile(other));
}

// The calls as other systems answer them, or failing, one at a time.
FileCalls s_system;         // the calls the fakes below pass on to
std::string s_takenName;    // the first name of our own that a file took before we could
std::string s_takenContent; // what that file holds

// FAT, exFAT and network shares may give a name opened in another case in that case, not in
// the case it is stored in.
DWORD WINAPI FinalPathInCapitals(HANDLE h, LPWSTR path, DWORD size, DWORD flags)
{
    const DWORD length = s_system.GetFinalPathNameByHandleW(h, path, size, flags);
    if (length > 0 && length < size)
        ::CharUpperBuffW(path, length);
    return length;
}

BOOL WINAPI WriteHalf(HANDLE h, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    return s_system.WriteFile(h, data, size / 2, written, overlapped);
}

// Someone else's file takes the first name of Veneerkit's own just before it is created.
HANDLE WINAPI TakeOurName(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE hTemplate)
{
    if (s_takenName.empty() && std::strstr(name, "~vk")) {
        s_takenName = name;
        HANDLE other = s_system.CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                                            nullptr);
        DWORD written = 0;
        s_system.WriteFile(other, kHandWritten.data(), DWORD(kHandWritten.size()), &written,
                           nullptr);
        ::CloseHandle(other);
    }
    return s_system.CreateFileA(name, access, share, security, disposition, flags, hTemplate);
}

TEST(ManifestFileCallsTest, OtherSystemsAnswersAndFailingCallsLoseNothing)
{
    s_system = Files();
    test::TempFolder folder;
    {
        // A.EXE beside app.exe.manifest: the manifest is no link, and can be switched off.
        if (!s_system.GetFinalPathNameByHandleW)
            GTEST_SKIP() << "no final path of an open file to play another answer of";
        FileCalls calls = s_system;
        calls.GetFinalPathNameByHandleW = FinalPathInCapitals;
        CFileCallsOverride fat(calls);
        const std::string ours = folder.CreateFileWith("app.exe.manifest", test::OurManifest());
        EXPECT_EQ("ours", Probe(folder / "APP.EXE.manifest"));
        EXPECT_EQ(DWORD(ERROR_SUCCESS), RemoveManifest((folder / "APP.EXE.manifest").c_str()));
        EXPECT_FALSE(test::FileExists(ours));
    }
    {
        FileCalls calls = s_system;
        calls.WriteFile = WriteHalf;
        CFileCallsOverride full(calls);
        EXPECT_EQ(DWORD(ERROR_DISK_FULL), EnsureManifest((folder / "a.exe.manifest").c_str()));
        EXPECT_EQ("", Names(folder.Path()));
    }
    {
        FileCalls calls = s_system;
        calls.CreateFileA = TakeOurName;
        CFileCallsOverride taken(calls);
        EXPECT_EQ(DWORD(ERROR_SUCCESS), EnsureManifest((folder / "a.exe.manifest").c_str()));
        ASSERT_FALSE(s_takenName.empty());
        EXPECT_EQ(kHandWritten, test::ReadWholeFile(s_takenName));
        EXPECT_EQ(test::OurManifest(), test::ReadWholeFile(folder / "a.exe.manifest"));
        EXPECT_EQ("a.exe.manifest " + s_takenName.substr(folder.Path().size()),
                  Names(folder.Path()));
    }
}

// Limits count characters: under code page 932 a character may take two bytes, the second a
// backslash, and a manifest path of 259 characters still works for every operation.
TEST(ManifestFileCodePageTest, AManifestPathAtTheLimitInCharactersWorks)
{
    const WCHAR wide = ::GetACP() == 932 ? L'\x8868' : L'\xE9'; // two bytes in 932, one in 1252
    char c[3] = {};
    ASSERT_LT(0, ::WideCharToMultiByte(CP_ACP, 0, &wide, 1, c, 2, nullptr, nullptr));
    // Folders of 40 characters at most, within a Unix name's 255 bytes, up to where the name fits.
    test::TempFolder root;
    std::string folder = root.Path();
    for (size_t left = MAX_PATH - 1 - 14 - folder.size(); left > 0; left -= left > 42 ? 41 : left) {
        for (size_t i = left > 42 ? 40 : left - 1; i > 0; --i)
            folder += c;
        ASSERT_TRUE(::CreateDirectoryA((folder += "\\").c_str(), nullptr));
    }
    const std::string path = folder + c + ".exe.manifest";
    ASSERT_EQ(MAX_PATH, ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0));
    // Ours made and deleted, someone else's recycled, and no file of our own left behind.
    EXPECT_EQ(DWORD(ERROR_SUCCESS), EnsureManifest(path.c_str()));
    EXPECT_EQ("ours", Probe(path));
    EXPECT_EQ(DWORD(ERROR_SUCCESS), RemoveManifest(path.c_str()));
    root.CreateFileWith(path.substr(root.Path().size()), kHandWritten);
    EXPECT_EQ(DWORD(ERROR_SUCCESS), RemoveManifest(path.c_str()));
    EXPECT_EQ("", Names(folder));
}

} // namespace
