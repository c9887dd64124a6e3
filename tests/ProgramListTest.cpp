// The program list on real folders, without any window: listing, switching, starting, the words.
#include <gtest/gtest.h>

#include "platform/FileCalls.h"
#include "platform/Handle.h"
#include "platform/SystemError.h"
#include "programs/ProgramList.h"
#include "support/TestSupport.h"

#include <map>
#include <set>
#include <string>

namespace {

// "size +" (checked) or "size -", with " grey" where the row is drawn grey, per listed name.
std::map<std::string, std::string> Rows(CProgramList& programs)
{
    std::map<std::string, std::string> rows;
    for (int row = 0; row < programs.GetCount(); ++row) {
        programs.Classify(row);
        rows[programs.GetName(row).GetString()] = std::to_string(programs.GetSize(row)) +
                                                  (programs.IsChecked(row) ? " +" : " -") +
                                                  (programs.IsGrey(row) ? " grey" : "");
    }
    return rows;
}

std::string Tip(CProgramList& programs, const char* name)
{
    const int row = programs.FindName(name);
    return row < 0 ? "(no row)" : programs.Describe(row).GetString();
}

std::set<std::string> Manifests(const test::TempFolder& folder)
{
    std::set<std::string> names;
    for (const auto& entry : test::FindEntries(folder / "*.manifest"))
        names.insert(entry.first);
    return names;
}

// Names Windows cannot make are made on the Unix side: device names, a backslash, a control
// character, pipes. None of them is ever opened (a serial port's read would never return),
// switched or started; a folder or a name that matches "*.EXE" only by its short name is no
// program at all.
TEST(ProgramListTest, ListsOnlyProgramFilesAndActsOnlyOnOrdinaryNames)
{
    test::TempFolder folder;
    folder.CreateFileOfSize("app.exe", 10);
    folder.CreateFileOfSize("TOOL.EXE", 1024);
    folder.CreateFileWith("TOOL.EXE.manifest", test::OurManifest());
    // The manifest found whatever the case of its name, beyond ASCII too, as the file system
    // and the loader find it.
    folder.CreateFileOfSize("Mixed.Exe", 3000);
    folder.CreateFileWith("mixed.exe.MANIFEST", "hand-written");
    folder.CreateFileOfSize("\xC9mile.exe", 10);
    folder.CreateFileWith("\xE9mile.exe.manifest", "hand-written");
    folder.CreateFileOfSize("busy.exe", 10);
    const std::string busy = folder.CreateFileWith("busy.exe.manifest", test::OurManifest());
    folder.CreateFileOfSize("dir.exe", 10);
    folder.CreateFolder("dir.exe.manifest"); // told apart when listed, not only once switched
    folder.CreateFolder("folder.exe");
    folder.CreateFolder("x");
    for (const char* other : { "app.exe.bak", "readme.txt", "gone.exe.manifest", "exe" })
        folder.CreateFileWith(other, "not a program");
    const std::wstring wide = std::wstring(folder.Path().begin(), folder.Path().end()) + L"\x4E2D";
    for (const wchar_t* suffix : { L".exe", L".exe.manifest" }) {
        const FileHandle made(::CreateFileW((wide + suffix).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(made.IsValid()) << "error " << ::GetLastError();
    }
    std::string unix = "cd " + test::Quoted(folder.Path()) + " && touch aux.exe nul.exe " +
                       "nul.exe.manifest com1.setup.exe 'LPT9 .exe' tool.exe1 'x\\y.exe' " +
                       "ctl$(printf '\\001').exe 'a?b.exe' && mkfifo fifo.exe piped.exe.manifest";
    if (!test::RunOnUnixSide(unix))
        GTEST_SKIP() << "no Unix side to make names Windows cannot";
    folder.CreateFileOfSize("piped.exe", 10);

    const FileHandle held(::CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());
    CProgramList programs;
    programs.List(folder.Path().c_str());
    const std::map<std::string, std::string> expected = {
        { "app.exe", "10 -" },         { "TOOL.EXE", "1024 +" },
        { "Mixed.Exe", "3000 +" },     { "\xC9mile.exe", "10 +" },
        { "busy.exe", "10 -" },        { "dir.exe", "10 -" },
        { "?.exe", "0 - grey" },       { "aux.exe", "0 - grey" },
        { "nul.exe", "0 - grey" },     { "com1.setup.exe", "0 - grey" },
        { "LPT9 .exe", "0 - grey" },   { "x\\y.exe", "0 - grey" },
        { "ctl\x01.exe", "0 - grey" }, { "a?b.exe", "0 - grey" },
        { "fifo.exe", "0 -" },         { "piped.exe", "10 -" },
    };
    EXPECT_EQ(expected, Rows(programs));
    const std::string reason = SystemErrorText(ERROR_SHARING_VIOLATION).GetString();
    const std::map<std::string, std::string> tips = {
        { "TOOL.EXE", "" },
        { "busy.exe", "busy.exe.manifest is there but cannot be read: " + reason },
        { "?.exe", "?.exe: this name cannot be spelt in the system code page, so its manifest "
                   "cannot be switched." },
        { "nul.exe", "nul.exe is a name Windows keeps for a device; Veneerkit leaves it alone." },
        { "x\\y.exe", "x\\y.exe: this name holds a character Windows does not allow in a file "
                      "name, so it cannot be used." },
        { "piped.exe",
          "piped.exe.manifest is a device or a pipe, not a manifest; Veneerkit leaves it alone." },
    };
    for (const auto& tip : tips)
        EXPECT_EQ(tip.second, Tip(programs, tip.first.c_str())) << tip.first;

    // Only the ordinary names get manifests, and lose them again; the hand-written one goes to
    // the Recycle Bin whatever the case of its name.
    CArray<int> changed;
    programs.SwitchAll(true, changed);
    std::set<std::string> kept = { "busy.exe.manifest", "dir.exe.manifest",   "gone.exe.manifest",
                                   "nul.exe.manifest",  "piped.exe.manifest", "?.exe.manifest" };
    std::set<std::string> all = kept;
    all.insert({ "app.exe.manifest", "fifo.exe.manifest", "mixed.exe.MANIFEST", "TOOL.EXE.manifest",
                 "\xE9mile.exe.manifest" });
    EXPECT_EQ(all, Manifests(folder));
    EXPECT_TRUE(test::FindEntries(folder / "x\\*").empty());
    programs.SwitchAll(false, changed);
    EXPECT_EQ(kept, Manifests(folder));
    EXPECT_FALSE(programs.Start(programs.FindName("nul.exe"), nullptr));
    EXPECT_FALSE(programs.Start(programs.FindName("x\\y.exe"), nullptr));
}

// A program deleted, renamed or replaced by a folder since the listing gets no manifest, and
// cannot be started; the row says so, and switching off still works.
TEST(ProgramListTest, ProgramsGoneSinceTheListingAreNeitherSwitchedOnNorStarted)
{
    test::TempFolder folder;
    for (const char* name : { "del.exe", "ren.exe", "dir.exe", "kept.exe" })
        folder.CreateFileOfSize(name, 10);
    folder.CreateFileWith("del.exe.manifest", test::OurManifest());
    CProgramList programs;
    programs.List(folder.Path().c_str());
    ASSERT_EQ(4, programs.GetCount());
    ASSERT_TRUE(::DeleteFileA((folder / "del.exe").c_str()));
    ASSERT_TRUE(::MoveFileA((folder / "ren.exe").c_str(), (folder / "ren2.exe").c_str()));
    ASSERT_TRUE(::DeleteFileA((folder / "dir.exe").c_str()));
    folder.CreateFolder("dir.exe");

    CArray<int> changed;
    programs.SwitchAll(false, changed);
    programs.SwitchAll(true, changed);
    EXPECT_EQ(std::set<std::string>({ "kept.exe.manifest" }), Manifests(folder));
    const std::string notFound = SystemErrorText(ERROR_FILE_NOT_FOUND).GetString();
    for (const char* name : { "del.exe", "ren.exe", "dir.exe" }) {
        EXPECT_EQ(std::string(name) + " is no longer in this folder; press F5 to list it again.",
                  Tip(programs, name));
        EXPECT_FALSE(programs.IsChecked(programs.FindName(name))) << name;
        EXPECT_FALSE(programs.Start(programs.FindName(name), nullptr)) << name;
        EXPECT_EQ("Could not start " + std::string(name) + ": " + notFound, Tip(programs, name));
    }
}

TEST(ProgramListTest, SwitchingFollowsTheDiskAndWordsWhatDidNotTake)
{
    test::TempFolder folder;
    folder.CreateFileOfSize("a.exe", 10);
    folder.CreateFileOfSize("blocked.exe", 10);
    CProgramList programs;
    programs.List(folder.Path().c_str());
    const int a = programs.FindName("a.exe"), blocked = programs.FindName("blocked.exe");
    CArray<int> changed;
    programs.Switch(a, true, changed);
    EXPECT_EQ(test::OurManifest(), test::ReadWholeFile(folder / "a.exe.manifest"));
    EXPECT_TRUE(programs.IsChecked(a));
    programs.Switch(a, false, changed);
    EXPECT_FALSE(test::FileExists(folder / "a.exe.manifest"));
    EXPECT_FALSE(programs.HasFailure(a));

    // A folder where the manifest would go: the create fails with the system's reason, which
    // stays until a switch of that row takes; the folder is the whole story of the tip.
    folder.CreateFolder("blocked.exe.manifest");
    programs.Switch(blocked, true, changed);
    EXPECT_TRUE(programs.HasFailure(blocked));
    EXPECT_EQ("blocked.exe.manifest is a folder, not a manifest; Veneerkit leaves it alone.",
              Tip(programs, "blocked.exe"));
    ::RemoveDirectoryA((folder / "blocked.exe.manifest").c_str());
    programs.Switch(blocked, true, changed);
    EXPECT_FALSE(programs.HasFailure(blocked));
    EXPECT_TRUE(programs.IsChecked(blocked));
}

TEST(ProgramListTest, TipsSayWhatTheMarkCannotShow)
{
    test::TempFolder folder;
    for (const char* kind : { "themed", "classic" })
        ASSERT_TRUE(::CopyFileA(test::FixturePath(kind).c_str(),
                                (folder / (std::string(kind) + ".exe")).c_str(), FALSE));
    folder.CreateFileWith("classic.exe.manifest", "hand-written");
    CProgramList programs;
    programs.List(folder.Path().c_str());
    EXPECT_EQ("themed.exe carries its own manifest, which already asks for the themed controls. "
              "Windows ignores themed.exe.manifest.",
              Tip(programs, "themed.exe"));
    EXPECT_EQ("classic.exe carries its own manifest, which does not ask for the themed controls. "
              "Windows ignores classic.exe.manifest.\r\n"
              "classic.exe.manifest was not written by Veneerkit; switching off moves it to the "
              "Recycle Bin.",
              Tip(programs, "classic.exe"));
}

// A folder search that the system refuses, or cuts short after its first entry; a search for one
// name goes on as ever.
FileCalls s_system;
HANDLE WINAPI RefusePatterns(LPCWSTR pattern, LPWIN32_FIND_DATAW data)
{
    if (::wcschr(pattern, L'*')) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return s_system.FindFirstFileW(pattern, data);
}
BOOL WINAPI CutShort(HANDLE, LPWIN32_FIND_DATAW)
{
    ::SetLastError(ERROR_NETNAME_DELETED);
    return FALSE;
}

// All OFF learns which manifests there are from one search of the folder, not from the listing:
// one deleted elsewhere since leaves its row unticked, one made since goes too. A search that
// fails or is cut short tells nothing, and then every row is switched off one by one.
TEST(ProgramListTest, AllOffFollowsTheDiskWhateverTheSearchAnswers)
{
    s_system = Files();
    FileCalls refused = s_system, cut = s_system;
    refused.FindFirstFileW = RefusePatterns;
    cut.FindNextFileW = CutShort;
    const struct {
        const char* search;
        const FileCalls& calls;
    } cases[] = { { "as it is", s_system }, { "refused", refused }, { "cut short", cut } };
    for (const auto& c : cases) {
        test::TempFolder folder;
        for (const char* name : { "a.exe", "b.exe", "deleted.exe", "made.exe" })
            folder.CreateFileOfSize(name, 10);
        for (const char* name : { "a.exe.manifest", "b.exe.manifest", "deleted.exe.manifest" })
            folder.CreateFileWith(name, test::OurManifest());
        CProgramList programs;
        programs.List(folder.Path().c_str());
        ::DeleteFileA((folder / "deleted.exe.manifest").c_str());
        folder.CreateFileWith("made.exe.manifest", test::OurManifest());

        CFileCallsOverride answers(c.calls);
        CArray<int> changed;
        programs.SwitchAll(false, changed);
        EXPECT_EQ(std::set<std::string>(), Manifests(folder)) << c.search;
        for (int row = 0; row < programs.GetCount(); ++row)
            EXPECT_FALSE(programs.IsChecked(row)) << c.search << " " << programs.GetName(row);
        EXPECT_EQ(3, changed.GetSize()) << c.search;
    }
}

// Wine on Linux keeps names that differ only in case in one folder, and opens either one's
// manifest by the other's name: a switch answers with every row it changed, and only those.
TEST(ProgramListTest, SwitchingAnswersWithTheRowsItChanged)
{
    test::TempFolder folder;
    std::string touch = "touch";
    for (const char* name : { "a.exe", "A.EXE", "b.exe", "c.exe", "c.exe.manifest" })
        touch += " " + test::Quoted(folder / name);
    if (!test::RunOnUnixSide(touch))
        GTEST_SKIP() << "no case-sensitive folder here";
    CProgramList programs;
    programs.List(folder.Path().c_str());
    ASSERT_EQ(4, programs.GetCount());
    const auto names = [&programs](const CArray<int>& rows) {
        std::set<std::string> named;
        for (int i = 0; i < rows.GetSize(); ++i)
            named.insert(programs.GetName(rows[i]).GetString());
        return named;
    };
    // A step, the rows it answers with, and the rows marked after it. c.exe's manifest was only
    // seen to be there when listed: switching it on reads its bytes, which changes its tip.
    const struct {
        const char* row; // null for All ON/OFF
        bool bOn;
        std::set<std::string> changed, marked;
    } steps[] = {
        { "a.exe", true, { "a.exe", "A.EXE" }, { "a.exe", "A.EXE", "c.exe" } },
        { "b.exe",
          false,
          { "b.exe" },
          { "a.exe", "A.EXE", "c.exe" } }, // its mark shows the outcome
        { nullptr, true, { "b.exe", "c.exe" }, { "a.exe", "A.EXE", "b.exe", "c.exe" } },
        { nullptr, false, { "a.exe", "A.EXE", "b.exe", "c.exe" }, {} },
        { nullptr, false, {}, {} },
    };
    for (const auto& step : steps) {
        CArray<int> changed, marked;
        if (step.row)
            programs.Switch(programs.FindName(step.row), step.bOn, changed);
        else
            programs.SwitchAll(step.bOn, changed);
        for (int row = 0; row < programs.GetCount(); ++row) {
            if (programs.IsChecked(row))
                marked.Add(row);
        }
        const std::string what = std::string(step.row ? step.row : "all") +
                                 (step.bOn ? " on" : " off");
        EXPECT_EQ(step.changed, names(changed)) << what;
        EXPECT_EQ(step.marked, names(marked)) << what;
    }
}

} // namespace
