// The program list in the real dialog: listing, the All ON/OFF commands, and toggles by real input.
#include <gtest/gtest.h>

#include "app/ManifestDlg.h"
#include "programs/ManifestFile.h"
#include "tests/TestSupport.h"

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr DWORD kManifestBytes = 500;

// Every entry of a folder: file content, or a mark for a sub-folder.
std::map<std::string, std::string> Snapshot(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    WIN32_FIND_DATAA data;
    HANDLE h = ::FindFirstFileA((folder + "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return entries;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        entries[name] = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                            ? std::string("<folder>")
                            : test::ReadWholeFile(folder + name);
    } while (::FindNextFileA(h, &data));
    ::FindClose(h);
    return entries;
}

// A file of `size` bytes made by moving its end, so that a large one takes no disk space where
// the file system keeps holes (ext4 and tmpfs under Wine, NTFS only once marked sparse).
bool CreateLargeFile(const std::string& path, ULONGLONG size)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    ::DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    bool ok = ::SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(h);
    ::CloseHandle(h);
    if (!ok)
        ::DeleteFileA(path.c_str());
    return ok;
}

HANDLE HoldOpen(const std::string& path)
{
    return ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

class ProgramListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create());
        ::ShowWindow(m_dlg.m_hWnd, SW_SHOWNORMAL);
        ::SetForegroundWindow(m_dlg.m_hWnd);
        test::PumpMessages(100);
        m_hList = m_dlg.GetDlgItem(IDC_PROGRAM_LIST);
        ASSERT_TRUE(m_hList);
    }

    int ListFolder(const std::string& folder)
    {
        m_dlg.m_strFolder = folder.c_str();
        return m_dlg.ListPrograms();
    }
    int ListFolder() { return ListFolder(m_folder.Path()); }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hList, message, wParam, lParam);
    }
    int RowCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }

    std::string Text(int row, int column) const
    {
        char buffer[MAX_PATH] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.cchTextMax = MAX_PATH;
        item.pszText = buffer;
        Send(LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    UINT StateImage(int row) const
    {
        return static_cast<UINT>(Send(LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK)) >> 12;
    }
    bool IsChecked(int row) const { return StateImage(row) == 2; }

    int RowOf(const std::string& name) const
    {
        for (int row = 0; row < RowCount(); ++row) {
            if (Text(row, 1) == name)
                return row;
        }
        return -1;
    }

    // Name to "size text" plus "+" when checked or "-" when not, for whole-list comparisons.
    std::map<std::string, std::string> Rows() const
    {
        std::map<std::string, std::string> rows;
        for (int row = 0; row < RowCount(); ++row)
            rows[Text(row, 1)] = Text(row, 2) + (IsChecked(row) ? " +" : " -");
        return rows;
    }

    void Command(int id) const
    {
        ::SendMessageA(m_dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(m_dlg.GetDlgItem(id)));
    }

    POINT ScreenPoint(POINT client) const { return test::ClientToScreenPoint(m_hList, client); }

    // Centre of the row's check box, found by hit-testing along the row's first column.
    POINT CheckBoxPoint(int row) const
    {
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        Send(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        const int y = (bounds.top + bounds.bottom) / 2;
        int first = -1;
        int last = -1;
        for (int x = bounds.left; x < bounds.left + 40; ++x) {
            LVHITTESTINFO info = {};
            info.pt = { x, y };
            Send(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&info));
            if (info.iItem == row && (info.flags & LVHT_ONITEMSTATEICON)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        EXPECT_GE(first, 0) << "no check box found on row " << row;
        return ScreenPoint({ (first + last) / 2, y });
    }

    // Centre of the row's name cell.
    POINT NamePoint(int row) const
    {
        RECT cell = {};
        cell.top = 1;
        cell.left = LVIR_BOUNDS;
        Send(LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        return ScreenPoint({ (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2 });
    }

    // Clicks apart by more than the double-click time, so two clicks never make a double-click.
    static void Click(POINT screen)
    {
        ::Sleep(::GetDoubleClickTime() + 50);
        test::ClickAt(screen);
    }

    test::TempFolder m_folder;
    CManifestDlg m_dlg;
    HWND m_hList = nullptr;
};

// ---- Listing ----

TEST_F(ProgramListTest, ListsEveryNameMatchingExeWithoutRegardToCase)
{
    for (const char* name : { "app.exe", "TOOL.EXE", "Mixed.Exe", "setup.2.exe", "a.b.c.exe" })
        m_folder.CreateFileOfSize(name, 10);
    for (const char* name : { "app.exe.bak", "readme.txt", "exe", "app.ex", "app.exe.manifest" })
        m_folder.CreateFileOfSize(name, 10);
    const std::string hidden = m_folder.CreateFileOfSize("hidden.exe", 10);
    ASSERT_TRUE(::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));

    EXPECT_EQ(6, ListFolder());
    const std::map<std::string, std::string> expected = {
        { "app.exe", "0 KB +" },     { "TOOL.EXE", "0 KB -" }, { "Mixed.Exe", "0 KB -" },
        { "setup.2.exe", "0 KB -" }, { "a.b.c.exe", "0 KB -" }, { "hidden.exe", "0 KB -" },
    };
    EXPECT_EQ(expected, Rows());
    // Column 0 holds the check box only.
    EXPECT_EQ("", Text(0, 0));
}

TEST_F(ProgramListTest, ShowsTheLow32BitsOfTheSizeInWholeKilobytes)
{
    m_folder.CreateFileOfSize("k1023.exe", 1023);
    m_folder.CreateFileOfSize("k1024.exe", 1024);
    m_folder.CreateFileOfSize("k2047.exe", 2047);
    m_folder.CreateFileOfSize("empty.exe", 0);
    std::map<std::string, std::string> expected = {
        { "k1023.exe", "0 KB -" },
        { "k1024.exe", "1 KB -" },
        { "k2047.exe", "1 KB -" },
        { "empty.exe", "0 KB -" },
    };

    // 5 GiB shows as 1 GiB; 4 GiB less one byte is the largest text, and never negative.
    const bool large = CreateLargeFile(m_folder / "five.exe", 5ull << 30) &&
                       CreateLargeFile(m_folder / "almost4.exe", (4ull << 30) - 1);
    if (large) {
        expected["five.exe"] = "1048576 KB -";
        expected["almost4.exe"] = "4194303 KB -";
    } else {
        std::printf("[  NOTE    ] no sparse files here: the sizes past 4 GiB are not checked\n");
        ::DeleteFileA((m_folder / "five.exe").c_str());
    }

    EXPECT_EQ(static_cast<int>(expected.size()), ListFolder());
    EXPECT_EQ(expected, Rows());
}

TEST_F(ProgramListTest, CheckMarkFollowsThePresenceTestOnly)
{
    m_folder.CreateFileOfSize("plain.exe", 10);
    m_folder.CreateFileOfSize("ours.exe", 10);
    m_folder.CreateFileOfSize("empty.exe", 10);
    m_folder.CreateFileOfSize("busy.exe", 10);
    m_folder.CreateFileOfSize("orphan.txt.exe", 10);
    EnsureManifest((m_folder / "ours.exe.manifest").c_str());
    m_folder.CreateFileWith("empty.exe.manifest", "");
    m_folder.CreateFileWith("busy.exe.manifest", "anything");
    m_folder.CreateFileWith("gone.exe.manifest", "no program of that name");

    // A manifest someone holds open fails the exclusive open, so it reads as absent.
    HANDLE held = HoldOpen(m_folder / "busy.exe.manifest");
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(5, ListFolder());
    ::CloseHandle(held);

    const std::map<std::string, std::string> expected = {
        { "plain.exe", "0 KB -" }, { "ours.exe", "0 KB +" },       { "empty.exe", "0 KB +" },
        { "busy.exe", "0 KB -" },  { "orphan.txt.exe", "0 KB -" },
    };
    EXPECT_EQ(expected, Rows());
}

// Windows refuses the exclusive open of a running program; Wine allows it, so the test holds
// the file open with share mode 0 instead, which fails the open on both.
TEST_F(ProgramListTest, EntriesThatCannotBeOpenedKeepTheirRowsAndTheListGoesOn)
{
    for (const char* name : { "a.exe", "b.exe", "c.exe", "d.exe" })
        m_folder.CreateFileOfSize(name, 10);
    m_folder.CreateFileOfSize("running.exe", 3000);
    m_folder.CreateFileWith("running.exe.manifest", "x");
    m_folder.CreateFolder("folder.exe");
    m_folder.CreateFileWith("folder.exe.manifest", "x");

    HANDLE held = HoldOpen(m_folder / "running.exe");
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(6, ListFolder());
    ::CloseHandle(held);

    const std::map<std::string, std::string> expected = {
        { "a.exe", "0 KB -" },       { "b.exe", "0 KB -" },      { "c.exe", "0 KB -" },
        { "d.exe", "0 KB -" },       { "running.exe", "2 KB +" }, { "folder.exe", "0 KB +" },
    };
    EXPECT_EQ(expected, Rows());
    EXPECT_EQ(6, RowCount());
}

TEST_F(ProgramListTest, EachListingReplacesTheRowsAndChangesNoFile)
{
    m_folder.CreateFileOfSize("one.exe", 10);
    m_folder.CreateFileOfSize("two.exe", 10);
    m_folder.CreateFileWith("two.exe.manifest", "hand-written");
    const auto before = Snapshot(m_folder.Path());

    // Both spellings of the folder list the same rows.
    std::string bare = m_folder.Path();
    bare.pop_back();
    EXPECT_EQ(2, ListFolder(bare));
    EXPECT_EQ(2, ListFolder());
    EXPECT_EQ(2, RowCount());
    EXPECT_EQ(before, Snapshot(m_folder.Path()));

    test::TempFolder empty;
    EXPECT_EQ(0, ListFolder(empty.Path()));
    EXPECT_EQ(0, RowCount());
    EXPECT_EQ(0, ListFolder(m_folder / "missing\\"));
}

// ---- All ON and All OFF ----

TEST_F(ProgramListTest, AllOnAndAllOffOnAnEmptyListDoNothing)
{
    m_folder.CreateFileWith("readme.txt", "not a program");
    const auto before = Snapshot(m_folder.Path());
    EXPECT_EQ(0, ListFolder());

    Command(IDC_ALL_ON);
    EXPECT_EQ(before, Snapshot(m_folder.Path()));
    Command(IDC_ALL_OFF);
    EXPECT_EQ(before, Snapshot(m_folder.Path()));
    EXPECT_EQ(0, RowCount());
}

TEST_F(ProgramListTest, AllOnCreatesOnlyMissingManifestsAndAllOffRemovesThemAll)
{
    const std::string handWritten = "<!-- kept as it is -->";
    m_folder.CreateFileOfSize("a.exe", 10);
    m_folder.CreateFileOfSize("b.exe", 2048);
    m_folder.CreateFileOfSize("c.exe", 10);
    m_folder.CreateFileWith("b.exe.manifest", handWritten);
    m_folder.CreateFileWith("notes.txt", "untouched");
    ASSERT_EQ(3, ListFolder());
    auto programs = Snapshot(m_folder.Path());
    programs.erase("b.exe.manifest");

    using RowMap = std::map<std::string, std::string>;
    Command(IDC_ALL_ON);
    const RowMap allOn = { { "a.exe", "0 KB +" }, { "b.exe", "2 KB +" }, { "c.exe", "0 KB +" } };
    EXPECT_EQ(allOn, Rows());
    EXPECT_EQ(handWritten, test::ReadWholeFile(m_folder / "b.exe.manifest"));
    EXPECT_EQ(kManifestBytes, test::ReadWholeFile(m_folder / "a.exe.manifest").size());
    EXPECT_EQ(std::string(kDependencyManifest), test::ReadWholeFile(m_folder / "c.exe.manifest"));

    Command(IDC_ALL_OFF);
    const RowMap allOff = { { "a.exe", "0 KB -" }, { "b.exe", "2 KB -" }, { "c.exe", "0 KB -" } };
    EXPECT_EQ(allOff, Rows());
    // Only the manifests went; programs and other files are as they were.
    EXPECT_EQ(programs, Snapshot(m_folder.Path()));
}

// As root, permission bits do not stop a write; a folder where the manifest would go makes the
// create fail everywhere, and a read-only manifest makes the delete fail.
TEST_F(ProgramListTest, AfterAllOnAndAllOffTheMarksShowWhatTheDiskHolds)
{
    m_folder.CreateFileOfSize("fine.exe", 10);
    m_folder.CreateFileOfSize("blocked.exe", 10);
    m_folder.CreateFolder("blocked.exe.manifest");
    m_folder.CreateFileOfSize("stuck.exe", 10);
    const std::string stuck = m_folder.CreateFileWith("stuck.exe.manifest", "read-only");
    ASSERT_TRUE(::SetFileAttributesA(stuck.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(3, ListFolder());

    Command(IDC_ALL_ON);
    EXPECT_TRUE(IsChecked(RowOf("fine.exe")));
    EXPECT_FALSE(IsChecked(RowOf("blocked.exe")));
    EXPECT_TRUE(IsChecked(RowOf("stuck.exe")));

    Command(IDC_ALL_OFF);
    EXPECT_FALSE(IsChecked(RowOf("fine.exe")));
    EXPECT_FALSE(IsChecked(RowOf("blocked.exe")));
    EXPECT_TRUE(test::FileExists(stuck));
    EXPECT_TRUE(IsChecked(RowOf("stuck.exe")));
    EXPECT_EQ("read-only", test::ReadWholeFile(stuck));
}

TEST_F(ProgramListTest, AllOnByMouseOnTheButton)
{
    m_folder.CreateFileOfSize("a.exe", 10);
    ASSERT_EQ(1, ListFolder());

    HWND button = m_dlg.GetDlgItem(IDC_ALL_ON);
    RECT rect;
    ::GetClientRect(button, &rect);
    Click(test::ClientToScreenPoint(button, { rect.right / 2, rect.bottom / 2 }));
    EXPECT_TRUE(ManifestExists((m_folder / "a.exe.manifest").c_str()));
    EXPECT_TRUE(IsChecked(0));
}

// ---- Toggles by the user's hand ----

TEST_F(ProgramListTest, ClickingACheckBoxSwitchesThatRowsProgramOnly)
{
    m_folder.CreateFileOfSize("a.exe", 10);
    m_folder.CreateFileOfSize("b.exe", 10);
    m_folder.CreateFileWith("b.exe.manifest", "hand-written");
    m_folder.CreateFileOfSize("c.exe", 10);
    ASSERT_EQ(3, ListFolder());
    const int a = RowOf("a.exe");
    const int b = RowOf("b.exe");

    Click(CheckBoxPoint(a));
    EXPECT_TRUE(IsChecked(a));
    EXPECT_EQ(std::string(kDependencyManifest), test::ReadWholeFile(m_folder / "a.exe.manifest"));
    EXPECT_EQ("hand-written", test::ReadWholeFile(m_folder / "b.exe.manifest"));
    EXPECT_FALSE(test::FileExists(m_folder / "c.exe.manifest"));

    Click(CheckBoxPoint(b));
    EXPECT_FALSE(IsChecked(b));
    EXPECT_FALSE(test::FileExists(m_folder / "b.exe.manifest"));
    EXPECT_TRUE(test::FileExists(m_folder / "a.exe.manifest"));

    Click(CheckBoxPoint(a));
    EXPECT_FALSE(IsChecked(a));
    EXPECT_FALSE(test::FileExists(m_folder / "a.exe.manifest"));
    EXPECT_FALSE(test::FileExists(m_folder / "c.exe.manifest"));
}

TEST_F(ProgramListTest, SpaceBarSwitchesTheFocusedRowWhereverThePointerRests)
{
    m_folder.CreateFileOfSize("a.exe", 10);
    m_folder.CreateFileOfSize("b.exe", 10);
    ASSERT_EQ(2, ListFolder());
    const int a = RowOf("a.exe");
    const int b = RowOf("b.exe");
    // b's manifest appears after the listing, so b's mark (unchecked) and its disk disagree:
    // anything that made b's file follow b's mark would delete it.
    const std::string bManifest = m_folder.CreateFileWith("b.exe.manifest", "b's own");

    Click(NamePoint(a));
    ASSERT_EQ(a, static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
    ::SetFocus(m_hList);

    test::MoveMouseTo(NamePoint(b));
    test::PressKey(VK_SPACE);
    EXPECT_TRUE(IsChecked(a));
    EXPECT_EQ(kManifestBytes, test::ReadWholeFile(m_folder / "a.exe.manifest").size());
    EXPECT_EQ("b's own", test::ReadWholeFile(bManifest));
    EXPECT_FALSE(IsChecked(b));

    // With the pointer outside the list the focused row still follows its box.
    RECT window;
    ::GetWindowRect(m_hList, &window);
    test::MoveMouseTo({ window.left - 20, window.top - 20 });
    test::PressKey(VK_SPACE);
    EXPECT_FALSE(IsChecked(a));
    EXPECT_FALSE(test::FileExists(m_folder / "a.exe.manifest"));
    EXPECT_EQ("b's own", test::ReadWholeFile(bManifest));
}

TEST_F(ProgramListTest, SelectionAndFocusChangesTouchNoFile)
{
    m_folder.CreateFileOfSize("a.exe", 10);
    m_folder.CreateFileOfSize("b.exe", 10);
    m_folder.CreateFileOfSize("c.exe", 10);
    m_folder.CreateFileWith("c.exe.manifest", "c's own");
    ASSERT_EQ(3, ListFolder());
    // Disk and marks disagree from here on: a and b gain manifests, c loses its own.
    m_folder.CreateFileWith("a.exe.manifest", "a's own");
    m_folder.CreateFileWith("b.exe.manifest", "b's own");
    ::DeleteFileA((m_folder / "c.exe.manifest").c_str());
    const auto before = Snapshot(m_folder.Path());

    Click(NamePoint(RowOf("a.exe")));
    Click(NamePoint(RowOf("c.exe")));
    ::SetFocus(m_hList);
    test::PressKey(VK_UP);
    test::PressKey(VK_HOME);
    RECT client;
    ::GetClientRect(m_hList, &client);
    Click(ScreenPoint({ client.right / 2, client.bottom - 5 })); // empty space below the rows

    EXPECT_EQ(before, Snapshot(m_folder.Path()));
    EXPECT_FALSE(IsChecked(RowOf("a.exe")));
    EXPECT_FALSE(IsChecked(RowOf("b.exe")));
    EXPECT_TRUE(IsChecked(RowOf("c.exe")));
}

TEST_F(ProgramListTest, AFailedToggleLeavesTheMarkShowingTheDisk)
{
    m_folder.CreateFileOfSize("blocked.exe", 10);
    m_folder.CreateFolder("blocked.exe.manifest");
    m_folder.CreateFileOfSize("stuck.exe", 10);
    const std::string stuck = m_folder.CreateFileWith("stuck.exe.manifest", "read-only");
    ASSERT_TRUE(::SetFileAttributesA(stuck.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(2, ListFolder());
    const int blocked = RowOf("blocked.exe");
    const int stuckRow = RowOf("stuck.exe");
    ASSERT_TRUE(IsChecked(stuckRow));

    Click(CheckBoxPoint(blocked));
    EXPECT_FALSE(IsChecked(blocked));

    Click(CheckBoxPoint(stuckRow));
    EXPECT_TRUE(test::FileExists(stuck));
    EXPECT_TRUE(IsChecked(stuckRow));
}

// ---- Double-click ----

// Runs only as the program a double-click starts (the parent sets the variable and a filter
// naming this test): it leaves "<its own path>.started" beside itself.
TEST(ProgramListProbe, MarksThatItWasStarted)
{
    char flag[8] = {};
    if (!::GetEnvironmentVariableA("VENEERKIT_PROBE", flag, sizeof(flag)))
        GTEST_SKIP() << "runs only when started by the double-click test";
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    HANDLE h = ::CreateFileA((std::string(self) + ".started").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ::CloseHandle(h);
}

bool WaitForFile(const std::string& path, DWORD ms)
{
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < ms;) {
        if (test::FileExists(path))
            return true;
        test::PumpMessages(100);
    }
    return test::FileExists(path);
}

class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const char* value) : m_name(name)
    {
        ::SetEnvironmentVariableA(name, value);
    }
    ~EnvironmentVariable() { ::SetEnvironmentVariableA(m_name, nullptr); }

private:
    const char* m_name;
};

TEST_F(ProgramListTest, DoubleClickStartsTheProgramUnderThePointer)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string first = m_folder / "first.exe";
    const std::string second = m_folder / "second.exe";
    ASSERT_TRUE(::CopyFileA(self, first.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA(self, second.c_str(), FALSE));
    ASSERT_EQ(2, ListFolder());

    EnvironmentVariable probe("VENEERKIT_PROBE", "1");
    EnvironmentVariable filter("GTEST_FILTER", "ProgramListProbe.*");

    // With the first row focused, a double-click on empty space starts nothing; then the
    // second row is started, and only that one.
    Click(NamePoint(RowOf("first.exe")));
    RECT client;
    ::GetClientRect(m_hList, &client);
    ::Sleep(::GetDoubleClickTime() + 50);
    test::ClickAt(ScreenPoint({ client.right / 2, client.bottom - 5 }), true);
    ::Sleep(::GetDoubleClickTime() + 50);
    test::ClickAt(NamePoint(RowOf("second.exe")), true);

    EXPECT_TRUE(WaitForFile(second + ".started", 20000));
    test::PumpMessages(2000);
    EXPECT_FALSE(test::FileExists(first + ".started"));

    // Let the started copy end so the folder can be removed.
    for (DWORD start = ::GetTickCount();
         !::DeleteFileA(second.c_str()) && ::GetTickCount() - start < 10000;)
        test::PumpMessages(100);
}

} // namespace
