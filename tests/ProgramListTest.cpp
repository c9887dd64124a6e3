// The program list's rules on real folders, without any window: listing, switching, the words.
#include <gtest/gtest.h>

#include "platform/Handle.h"
#include "platform/SystemError.h"
#include "programs/ProgramList.h"
#include "support/TestSupport.h"

#include <map>
#include <set>
#include <string>

namespace {

// "size state error" per listed name; state A(bsent), O(urs), F(oreign), U(nreadable),
// P(resent, bytes not read yet), D (a folder), X (a path the system refuses).
std::map<std::string, std::string> Listed(const CArray<ProgramEntry>& entries)
{
    std::map<std::string, std::string> listed;
    for (int i = 0; i < entries.GetSize(); ++i) {
        const ProgramEntry& entry = entries[i];
        listed[entry.name.GetString()] = std::to_string(entry.size) + " " +
                                         "AOFUPDX"[static_cast<int>(entry.manifest.state)] + " " +
                                         std::to_string(entry.manifest.error);
    }
    return listed;
}

TEST(ProgramListTest, ListsEveryExeWithTheSearchedSizeAndWhatStandsAtItsManifestPath)
{
    test::TempFolder folder;
    folder.CreateFileOfSize("app.exe", 10);
    folder.CreateFileOfSize("TOOL.EXE", 1024);
    folder.CreateFileWith("TOOL.EXE.manifest", test::OurManifest());
    // The manifest found whatever the case of its name, as Windows and Wine's loader find it.
    folder.CreateFileOfSize("Mixed.Exe", 3000);
    folder.CreateFileWith("mixed.exe.MANIFEST", "hand-written");
    folder.CreateFileOfSize("busy.exe", 10);
    const std::string busy = folder.CreateFileWith("busy.exe.manifest", test::OurManifest());
    folder.CreateFolder("folder.exe");
    folder.CreateFileOfSize("dir.exe", 10);
    folder.CreateFolder("dir.exe.manifest"); // told apart when listed, not only once switched
    for (const char* other : { "app.exe.bak", "readme.txt", "gone.exe.manifest", "exe" })
        folder.CreateFileWith(other, "not a program");
    // A name outside the ANSI code page comes back from the search with '?' and is left alone,
    // even with a manifest beside it.
    const std::wstring wide = std::wstring(folder.Path().begin(), folder.Path().end()) + L"\x4E2D";
    for (const wchar_t* suffix : { L".exe", L".exe.manifest" }) {
        const FileHandle made(::CreateFileW((wide + suffix).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(made.IsValid()) << "error " << ::GetLastError();
    }

    const FileHandle held(::CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());
    CArray<ProgramEntry> entries;
    // Without the trailing backslash too.
    EXPECT_EQ(DWORD(ERROR_SUCCESS),
              ListProgramEntries(folder.Path().substr(0, folder.Path().size() - 1).c_str(),
                                 entries));
    std::map<std::string, std::string> expected = {
        { "app.exe", "10 A 0" },
        { "TOOL.EXE", "1024 P 0" },
        { "Mixed.Exe", "3000 P 0" },
        { "busy.exe", "10 U " + std::to_string(ERROR_SHARING_VIOLATION) },
        { "folder.exe", "0 A 0" },
        { "dir.exe", "10 D " + std::to_string(ERROR_ACCESS_DENIED) },
        { "?.exe", "0 A 0" },
    };
    EXPECT_EQ(expected, Listed(entries));
    // Whose bytes they are is read with the own manifest, when the row is first shown.
    for (int i = 0; i < entries.GetSize(); ++i)
        ClassifyProgram(folder.Path().c_str(), entries[i]);
    expected["TOOL.EXE"] = "1024 O 0";
    expected["Mixed.Exe"] = "3000 F 0";
    EXPECT_EQ(expected, Listed(entries));
    for (int i = 0; i < entries.GetSize(); ++i)
        EXPECT_EQ(entries[i].name == "?.exe", entries[i].IsUnspellable()) << entries[i].name;
}

TEST(ProgramListTest, SwitchingFollowsTheDiskAndWordsWhatDidNotTake)
{
    test::TempFolder folder;
    CArray<ProgramEntry> entries;
    for (const char* name : { "a.exe", "blocked.exe", "?.exe" }) {
        ProgramEntry entry;
        entry.name = name;
        entries.Add(std::move(entry));
    }
    const CString path = folder.Path().c_str();
    EXPECT_TRUE(SwitchProgram(path, entries[0], TRUE));
    EXPECT_EQ(test::OurManifest(), test::ReadWholeFile(folder / "a.exe.manifest"));
    EXPECT_EQ(ManifestState::Ours, entries[0].manifest.state);
    EXPECT_TRUE(SwitchProgram(path, entries[0], FALSE));
    EXPECT_FALSE(test::FileExists(folder / "a.exe.manifest"));
    EXPECT_TRUE(entries[0].failure.IsEmpty());

    // A folder where the manifest would go: the create fails with the system's reason, which
    // stays until a switch of that row takes.
    folder.CreateFolder("blocked.exe.manifest");
    EXPECT_FALSE(SwitchProgram(path, entries[1], TRUE));
    const std::string failure = entries[1].failure.GetString();
    EXPECT_EQ(0u, failure.find("Could not create blocked.exe.manifest: ")) << failure;
    EXPECT_GT(failure.size(), std::string("Could not create blocked.exe.manifest: ").size());
    // The folder is the whole story.
    EXPECT_STREQ("blocked.exe.manifest is a folder, not a manifest; Veneerkit leaves it alone.",
                 DescribeProgram(entries[1]));
    ::RemoveDirectoryA((folder / "blocked.exe.manifest").c_str());
    EXPECT_TRUE(SwitchProgram(path, entries[1], TRUE));
    EXPECT_TRUE(entries[1].failure.IsEmpty());

    // A name that cannot be spelt is never opened, so nothing is created for it.
    EXPECT_FALSE(SwitchProgram(path, entries[2], TRUE));
    EXPECT_FALSE(entries[2].manifest.IsPresent());
}

TEST(ProgramListTest, TipsSayWhatTheMarkCannotShow)
{
    ProgramEntry entry;
    entry.name = "App.exe";
    EXPECT_STREQ("", DescribeProgram(entry));
    entry.manifest.state = ManifestState::Ours;
    EXPECT_STREQ("", DescribeProgram(entry));

    entry.own = OwnManifest::Themed;
    EXPECT_STREQ("App.exe carries its own manifest, which already asks for the themed controls. "
                 "Windows ignores App.exe.manifest.",
                 DescribeProgram(entry));
    entry.own = OwnManifest::Classic;
    entry.manifest.state = ManifestState::Foreign;
    EXPECT_STREQ("App.exe carries its own manifest, which does not ask for the themed controls. "
                 "Windows ignores App.exe.manifest.\r\n"
                 "App.exe.manifest was not written by Veneerkit; switching off moves it to the "
                 "Recycle Bin.",
                 DescribeProgram(entry));

    entry.own = OwnManifest::None;
    entry.manifest.state = ManifestState::Unreadable;
    entry.manifest.error = ERROR_SHARING_VIOLATION;
    const std::string reason = SystemErrorText(ERROR_SHARING_VIOLATION).GetString();
    EXPECT_FALSE(reason.empty() || reason.back() == '\n');
    EXPECT_EQ("App.exe.manifest is there but cannot be read: " + reason,
              DescribeProgram(entry).GetString());

    entry.name = "?.exe";
    entry.manifest = ManifestProbe();
    EXPECT_STREQ("?.exe: this name cannot be spelt in the system code page, so its manifest "
                 "cannot be switched.",
                 DescribeProgram(entry));
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
    ASSERT_EQ(DWORD(ERROR_SUCCESS), programs.List(folder.Path().c_str()));
    ASSERT_EQ(4, programs.GetCount());
    const auto names = [&programs](const CArray<int>& rows) {
        std::set<std::string> named;
        for (int i = 0; i < rows.GetSize(); ++i)
            named.insert(programs[rows[i]].name.GetString());
        return named;
    };
    // A step, the rows it answers with, and the rows marked after it. c.exe's manifest was only
    // seen to be there when listed: switching it on reads its bytes, which changes its tip.
    const struct {
        const char* row; // null for All ON/OFF
        BOOL bOn;
        std::set<std::string> changed, marked;
    } steps[] = {
        { "a.exe", TRUE, { "a.exe", "A.EXE" }, { "a.exe", "A.EXE", "c.exe" } },
        { "b.exe",
          FALSE,
          { "b.exe" },
          { "a.exe", "A.EXE", "c.exe" } }, // its mark shows the outcome
        { nullptr, TRUE, { "b.exe", "c.exe" }, { "a.exe", "A.EXE", "b.exe", "c.exe" } },
        { nullptr, FALSE, { "a.exe", "A.EXE", "b.exe", "c.exe" }, {} },
        { nullptr, FALSE, {}, {} },
    };
    for (const auto& step : steps) {
        CArray<int> changed, marked;
        if (step.row)
            programs.Switch(programs.FindName(step.row), step.bOn, changed);
        else
            programs.SwitchAll(step.bOn, changed);
        for (int row = 0; row < programs.GetCount(); ++row) {
            if (programs[row].manifest.IsPresent())
                marked.Add(row);
        }
        const std::string what = std::string(step.row ? step.row : "all") +
                                 (step.bOn ? " on" : " off");
        EXPECT_EQ(step.changed, names(changed)) << what;
        EXPECT_EQ(step.marked, names(marked)) << what;
    }
}

} // namespace
