// The program list in the real dialog: listing, the All ON/OFF commands, and toggles by real input.
#include <gtest/gtest.h>

#include "app/ManifestDlg.h"
#include "platform/Handle.h"
#include "platform/SystemError.h"
#include "programs/ManifestFile.h"
#include "programs/ProgramList.h"
#include "support/ModelessDialog.h"
#include "support/TestSupport.h"

#include <cstdio>
#include <map>
#include <string>

namespace {

using Entries = std::map<std::string, std::string>;

// Moving the end makes gigabytes that take no disk space where the file system keeps holes
// (ext4 and tmpfs under Wine; NTFS only once the file is marked sparse). Nothing is left behind
// where it fails.
bool CreateSparseFile(const std::string& path, LONGLONG size)
{
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD returned = 0;
    ::DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    if (::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get()))
        return true;
    file.Reset();
    ::DeleteFileA(path.c_str());
    return false;
}

// "name size mark" for each row by name, "+" marking a checked row.
std::string Join(const Entries& rows)
{
    std::string text;
    for (const auto& row : rows)
        text += (text.empty() ? "" : ", ") + row.first + " " + row.second;
    return text;
}

class ProgramRowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create());
        m_list.m_hWnd = m_dlg.GetDlgItem(IDC_PROGRAM_LIST);
        ::ShowWindow(m_dlg.m_hWnd, SW_SHOWNORMAL);
        ::SetForegroundWindow(m_dlg.m_hWnd);
        test::PumpMessages(100);
    }

    HWND Tree() const { return m_dlg.GetDlgItem(IDC_FOLDER_TREE); }
    // Chooses the folder in the tree, by way of its parent so that choosing the folder shown
    // lists it again; the number of rows listed.
    int ListFolder(const std::string& folder)
    {
        const std::string parent = folder.substr(0, folder.find_last_of('\\', folder.size() - 2));
        EXPECT_TRUE(test::SelectFolder(Tree(), parent));
        EXPECT_TRUE(test::SelectFolder(Tree(), folder)) << folder;
        return m_list.GetItemCount();
    }
    // The folder the path field shows.
    std::string ShownFolder() const
    {
        char text[MAX_PATH] = {};
        ::GetDlgItemTextA(m_dlg, IDC_FOLDER_PATH, text, sizeof(text));
        return text;
    }
    // Every entry of the folder: a file's content, or a mark for a sub-folder.
    Entries Disk() const
    {
        Entries entries;
        for (const auto& entry : test::FindEntries(m_folder / "*"))
            entries[entry.first] = (entry.second & FILE_ATTRIBUTE_DIRECTORY)
                                       ? "<folder>"
                                       : test::ReadWholeFile(m_folder / entry.first);
        return entries;
    }
    // The rows as the user sees them: drawn, which reads what the listing left to the rows on
    // screen.
    std::string Rows() const
    {
        ::UpdateWindow(m_list.m_hWnd);
        Entries rows;
        for (int row = 0; row < m_list.GetItemCount(); ++row) {
            const bool checked = (m_list.GetItemState(row, LVIS_STATEIMAGEMASK) >> 12) == 2;
            rows[Name(row)] = std::string(m_list.GetItemText(row, 2)) + (checked ? " +" : " -");
        }
        return Join(rows);
    }
    std::string Name(int row) const { return std::string(m_list.GetItemText(row, 1)); }
    int RowOf(const std::string& name) const
    {
        int row = 0;
        while (row < m_list.GetItemCount() && Name(row) != name)
            ++row;
        return row;
    }
    // A real click, made after the test's last step as a user's would be: input made before the
    // list last changed switches nothing.
    void Press(int button) const
    {
        RECT rect;
        ::GetWindowRect(m_dlg.GetDlgItem(button), &rect);
        test::ClickAt({ (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 });
    }

    // As root no permission bit stops a write, but a folder where the manifest would go fails
    // the create everywhere, and the read-only attribute fails the delete.
    Entries CreateMixedFolder() const
    {
        for (const char* name : { "a.exe", "b.exe", "blocked.exe", "stuck.exe" })
            m_folder.CreateFileOfSize(name, 10);
        m_folder.CreateFileWith("b.exe.manifest", "hand-written");
        m_folder.CreateFolder("blocked.exe.manifest");
        const std::string stuck = m_folder.CreateFileWith("stuck.exe.manifest", "read-only");
        EXPECT_TRUE(::SetFileAttributesA(stuck.c_str(), FILE_ATTRIBUTE_READONLY));
        return Disk();
    }

    // A point x pixels into the row, halfway down, or near the bottom of the list for row -1.
    // Column 0 holds the check box alone.
    POINT RowPoint(int row, int x) const
    {
        RECT r = { LVIR_BOUNDS, 0, 0, 0 };
        if (row < 0)
            ::GetClientRect(m_list.m_hWnd, &r), r.top = r.bottom - 10;
        else
            m_list.SendMessage(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        return test::ClientToScreenPoint(m_list.m_hWnd, { r.left + x, (r.top + r.bottom) / 2 });
    }
    POINT CheckBoxPoint(int row) const { return RowPoint(row, m_list.GetColumnWidth(0) / 2); }
    POINT NamePoint(int row) const { return RowPoint(row, m_list.GetColumnWidth(0) + 20); }
    // Apart by more than the double-click time, so that two clicks never make a double-click.
    static void Click(POINT screen, bool doubleClick = false)
    {
        ::Sleep(::GetDoubleClickTime() + 50);
        test::ClickAt(screen, doubleClick);
    }

    // The text of a tooltip of the dialog's that shows now; empty if none does.
    std::string ShownTip() const
    {
        for (HWND tip = nullptr; (tip = ::FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr));) {
            char text[1024] = {};
            if (::GetWindow(tip, GW_OWNER) == m_dlg.m_hWnd && ::IsWindowVisible(tip) &&
                ::SendMessageA(tip, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text)))
                return text;
        }
        return "";
    }
    // The text of the dialog's tooltip once it shows, with the pointer resting on the point;
    // empty if none shows.
    std::string TipAt(POINT screen) const
    {
        // Moves of their own, as a hand's would be: the tooltip waits for the pointer to rest.
        for (int dx : { 3, 0 }) {
            INPUT input = {};
            input.type = INPUT_MOUSE;
            input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
            input.mi.dx = ((screen.x + dx) * 65536 + 65535) / ::GetSystemMetrics(SM_CXSCREEN);
            input.mi.dy = (screen.y * 65536 + 65535) / ::GetSystemMetrics(SM_CYSCREEN);
            ::SendInput(1, &input, sizeof(input));
            test::PumpMessages(30);
        }
        std::string text;
        test::WaitFor([&] { return !(text = ShownTip()).empty(); }, 3000);
        return text;
    }

    test::TempFolder m_folder;
    CModelessDialog<CManifestDlg> m_dlg;
    CListCtrl m_list; // a view of the dialog's list, as the user sees it
    // The dialog sees each message before it is dispatched, as in its own loop.
    test::RouteThrough m_route{ m_dlg };
};

TEST_F(ProgramRowsTest, ListsEveryExeWithItsSizeAndAMarkWhereTheManifestIsPresent)
{
    // A program, the manifest beside it (null for none) and the row it gives. Sizes past 4 GiB
    // count whole. A folder named like a program is no program.
    struct Program {
        const char* name;
        LONGLONG size;
        const char* manifest;
        const char* row;
    };
    const Program programs[] = {
        { "app.exe", 10, nullptr, "0 KB -" },
        { "TOOL.EXE", 1023, "", "0 KB +" },
        { "Mixed.Exe", 1024, "x", "1 KB +" },
        { "setup.2.exe", 10, "x", "0 KB +" },
        { "hidden.a.b.exe", 10, nullptr, "0 KB -" },
        { "busy.exe", 10, "x", "0 KB -" },
        { "running.exe", 3000, "x", "2 KB +" },
        { "five.exe", 5LL << 30, nullptr, "5242880 KB -" },
        { "four.exe", 4LL << 30, nullptr, "4194304 KB -" },
        { "almost4.exe", (4LL << 30) - 1, nullptr, "4194303 KB -" },
    };
    Entries expected;
    for (const auto& program : programs) {
        if (!CreateSparseFile(m_folder / program.name, program.size)) {
            ASSERT_GT(program.size, 1LL << 30) << program.name;
            std::printf("[  NOTE    ] no sparse files here: %s is left out\n", program.name);
            continue;
        }
        // An empty manifest is present all the same.
        if (program.manifest)
            m_folder.CreateFileWith(std::string(program.name) + ".manifest", program.manifest);
        expected[program.name] = program.row;
    }
    for (const char* other : { "app.exe.bak", "readme.txt", "exe", "app.ex", "gone.exe.manifest" })
        m_folder.CreateFileWith(other, "not a program");
    ASSERT_TRUE(::SetFileAttributesA((m_folder / "hidden.a.b.exe").c_str(), FILE_ATTRIBUTE_HIDDEN));
    m_folder.CreateFolder("folder.exe");

    // Windows refuses the exclusive open of a running program and Wine allows it, so the test
    // holds the file with share mode 0, which fails that open on both. A held manifest is absent;
    // a held program keeps the size the directory search gave.
    const auto hold = [this](const char* name) {
        return FileHandle(::CreateFileA((m_folder / name).c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    const FileHandle running = hold("running.exe"), busy = hold("busy.exe.manifest");
    ASSERT_TRUE(running.IsValid() && busy.IsValid());
    // Without the trailing backslash first; the second listing replaces the first one's rows.
    const std::string folder = m_folder.Path();
    const int count = static_cast<int>(expected.size());
    EXPECT_EQ(count, ListFolder(folder.substr(0, folder.size() - 1)));
    EXPECT_EQ(count, ListFolder(folder));
    EXPECT_EQ(count, m_list.GetItemCount());
    EXPECT_EQ(Join(expected), Rows());
}

// Screen readers and the keyboard read rows never drawn: each carries its mark from the listing.
TEST_F(ProgramRowsTest, RowsBelowTheVisibleOnesCarryTheirMarksToo)
{
    Entries expected;
    for (int i = 0; i < 60; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "p%02d.exe", i);
        m_folder.CreateFileOfSize(name, 10);
        if (i % 3 == 0)
            m_folder.CreateFileWith(std::string(name) + ".manifest", "x");
        expected[name] = i % 3 == 0 ? "0 KB +" : "0 KB -";
    }
    ASSERT_EQ(60, ListFolder(m_folder.Path()));
    ASSERT_LT(m_list.GetCountPerPage(), 50);
    EXPECT_EQ(Join(expected), Rows());
}

TEST_F(ProgramRowsTest, AllOnAndAllOffLeaveMarksShowingTheDisk)
{
    m_folder.CreateFileWith("notes.txt", "not a program");
    ASSERT_EQ(0, ListFolder(m_folder.Path()));
    EXPECT_STREQ("No programs in this folder.", m_list.GetWindowText());
    Press(IDC_ALL_ON);
    Press(IDC_ALL_OFF);
    EXPECT_EQ(Entries({ { "notes.txt", "not a program" } }), Disk());

    Entries disk = CreateMixedFolder();
    ASSERT_EQ(4, ListFolder(m_folder.Path()));
    EXPECT_EQ(disk, Disk());

    Press(IDC_ALL_ON);
    disk["a.exe.manifest"] = test::OurManifest();
    EXPECT_EQ(disk, Disk());
    EXPECT_EQ("a.exe 0 KB +, b.exe 0 KB +, blocked.exe 0 KB -, stuck.exe 0 KB +", Rows());

    Press(IDC_ALL_OFF);
    disk.erase("a.exe.manifest");
    disk.erase("b.exe.manifest");
    EXPECT_EQ(disk, Disk());
    EXPECT_EQ("a.exe 0 KB -, b.exe 0 KB -, blocked.exe 0 KB -, stuck.exe 0 KB +", Rows());
    // Screen readers name the controls by their texts.
    EXPECT_STREQ("Programs", m_list.GetWindowText());
    char tree[64] = {};
    ::GetWindowTextA(Tree(), tree, sizeof(tree));
    EXPECT_STREQ("Folders", tree);

    // The selection goes with its folder's drive, as F5 finds it: then no folder is chosen,
    // and the buttons act nowhere.
    ASSERT_TRUE(TreeView_SelectItem(Tree(), nullptr));
    EXPECT_EQ("", ShownFolder());
    EXPECT_EQ(0, m_list.GetItemCount());
    EXPECT_STREQ("This folder is no longer there.", m_list.GetWindowText());
    Press(IDC_ALL_ON);
    EXPECT_EQ(disk, Disk());
}

TEST_F(ProgramRowsTest, ClicksAndTheSpaceBarSwitchTheToggledRowAndSelectingSwitchesNone)
{
    Entries disk = CreateMixedFolder();
    ASSERT_EQ(4, ListFolder(m_folder.Path()));
    for (const char* name : { "a.exe", "b.exe", "blocked.exe", "stuck.exe" })
        Click(CheckBoxPoint(RowOf(name)));
    disk["a.exe.manifest"] = test::OurManifest();
    disk.erase("b.exe.manifest");
    EXPECT_EQ(disk, Disk());
    EXPECT_EQ("a.exe 0 KB +, b.exe 0 KB -, blocked.exe 0 KB -, stuck.exe 0 KB +", Rows());

    // From here b's mark disagrees with the disk, so anything that makes a file follow its
    // row's mark, on selecting b or with the pointer on b, deletes b's manifest.
    disk["b.exe.manifest"] = "b's own";
    m_folder.CreateFileWith("b.exe.manifest", "b's own");
    Click(NamePoint(-1));
    Click(NamePoint(RowOf("b.exe")));
    Click(NamePoint(RowOf("a.exe")));
    EXPECT_EQ(disk, Disk());
    ASSERT_EQ(RowOf("a.exe"), m_list.SendMessage(LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));

    // The space bar toggles the focused a while the pointer rests on b.
    test::MoveMouseTo(NamePoint(RowOf("b.exe")));
    test::PressKey(VK_SPACE);
    disk.erase("a.exe.manifest");
    EXPECT_EQ(disk, Disk());
    EXPECT_EQ("a.exe 0 KB -, b.exe 0 KB -, blocked.exe 0 KB -, stuck.exe 0 KB +", Rows());
}

// A click made while a folder is being listed lands after the listing, on whatever row is under
// the pointer by then: one the user never saw.
TEST_F(ProgramRowsTest, InputQueuedDuringAListingSwitchesNothing)
{
    for (const char* name : { "a.exe", "b.exe" })
        m_folder.CreateFileOfSize(name, 10);
    ASSERT_EQ(2, ListFolder(m_folder.Path()));
    const POINT box = CheckBoxPoint(RowOf("a.exe"));
    test::MoveMouseTo(box);
    ::Sleep(::GetDoubleClickTime() + 50);
    test::QueueClicks(1); // queued, not yet handled
    ::Sleep(20);
    ASSERT_EQ(2, ListFolder(m_folder.Path()));
    test::PumpMessages(300);
    EXPECT_FALSE(test::FileExists(m_folder / "a.exe.manifest"));
    EXPECT_EQ("a.exe 0 KB -, b.exe 0 KB -", Rows());
    // The same for All ON.
    RECT button;
    ::GetWindowRect(m_dlg.GetDlgItem(IDC_ALL_ON), &button);
    test::MoveMouseTo({ (button.left + button.right) / 2, (button.top + button.bottom) / 2 });
    test::QueueClicks(1);
    ::Sleep(20);
    ASSERT_EQ(2, ListFolder(m_folder.Path()));
    test::PumpMessages(300);
    EXPECT_EQ("a.exe 0 KB -, b.exe 0 KB -", Rows());

    // The same click made after the listing switches.
    Click(box);
    EXPECT_EQ(test::OurManifest(), test::ReadWholeFile(m_folder / "a.exe.manifest"));
    EXPECT_EQ("a.exe 0 KB +, b.exe 0 KB -", Rows());
}

TEST_F(ProgramRowsTest, F5ListsTheFolderAgainKeepingTheSelectedRowAndTheScrollPosition)
{
    for (int i = 0; i < 60; ++i)
        m_folder.CreateFileOfSize("p" + std::to_string(100 + i) + ".exe", 10);
    ASSERT_EQ(60, ListFolder(m_folder.Path()));
    const int top = 20, selected = RowOf("p125.exe"), changed = RowOf("p130.exe");
    RECT row = { LVIR_BOUNDS, 0, 0, 0 };
    m_list.SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    m_list.SendMessage(LVM_SCROLL, 0, top * (row.bottom - row.top));
    ASSERT_EQ(top, m_list.GetTopIndex());
    const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
    m_list.SetItemState(selected, state, state);
    ASSERT_EQ(DWORD(ERROR_SUCCESS), EnsureManifest((m_folder / "p130.exe.manifest").c_str()));

    // F5 works wherever the focus is in the dialog, here on a button.
    ::SetFocus(m_dlg.GetDlgItem(IDC_ALL_ON));
    test::PressKey(VK_F5);
    EXPECT_TRUE(m_list.GetCheck(changed));
    EXPECT_EQ(top, m_list.GetTopIndex());
    EXPECT_EQ(selected, m_list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(selected, m_list.GetNextItem(-1, LVNI_FOCUSED));

    // A shown folder removed elsewhere: F5 selects what is left of its path, and the list follows.
    const std::string inner = m_folder.CreateFolder("inner");
    ASSERT_TRUE(test::SelectFolder(Tree(), inner));
    ASSERT_EQ(inner + "\\", ShownFolder());
    ASSERT_TRUE(::RemoveDirectoryA(inner.c_str()));
    test::PressKey(VK_F5);
    EXPECT_STRCASEEQ(m_folder.Path().c_str(), ShownFolder().c_str());
    EXPECT_EQ(60, m_list.GetItemCount());
}

// Run under code page 1252 and again under 932, where Wine's ja_JP locale makes the user's
// Windows Japanese: the dialog's sentences are then Japanese.
class ProgramRowsCodePageTest : public ProgramRowsTest {};

TEST_F(ProgramRowsCodePageTest, SentencesAreInTheUsersLanguage)
{
    m_folder.CreateFileOfSize("b.exe", 10);
    m_folder.CreateFileWith("b.exe.manifest", "hand-written");
    ASSERT_EQ(1, ListFolder(m_folder.Path()));
    const bool is932 = ::GetACP() == 932;
    const auto ansi = [](const wchar_t* text) {
        char spelt[512] = {};
        ::WideCharToMultiByte(CP_ACP, 0, text, -1, spelt, sizeof(spelt), nullptr, nullptr);
        return std::string(spelt);
    };
    EXPECT_EQ(ansi(is932
                       ? L"b.exe.manifest は Veneerkit が作成したものではありません。オフにすると、"
                         L"ごみ箱に移動します。"
                       : L"b.exe.manifest was not written by Veneerkit; switching off moves it "
                         L"to the Recycle Bin."),
              TipAt(NamePoint(0)));
    EXPECT_EQ(ansi(is932 ? L"プログラム" : L"Programs"), std::string(m_list.GetWindowText()));
}

// At the keyboard, a row's reason shows beside it as the focus reaches the row, and at once after
// a command on it that did not take; it goes when the pointer moves. Coming back into the list
// with Shift+Tab keeps the row the user had.
TEST_F(ProgramRowsTest, TheKeyboardShowsEachRowsReasonBesideIt)
{
    for (const char* name : { "a.exe", "b.exe", "c.exe", "d.exe" })
        m_folder.CreateFileOfSize(name, 10);
    m_folder.CreateFileWith("b.exe.manifest", "hand-written");
    m_folder.CreateFolder("c.exe.manifest");
    const std::map<std::string, std::string> tips = {
        { "a.exe", "" },
        { "b.exe", "b.exe.manifest was not written by Veneerkit; switching off moves it to the "
                   "Recycle Bin." },
        { "c.exe", "c.exe.manifest is a folder, not a manifest; Veneerkit leaves it alone." },
        { "d.exe", "" },
    };
    ASSERT_EQ(4, ListFolder(m_folder.Path()));
    test::MoveMouseTo(NamePoint(-1));
    ::SetFocus(m_dlg.GetDlgItem(IDC_FOLDER_PATH));
    test::PressKey(VK_TAB);
    EXPECT_EQ(tips.at(Name(0)), ShownTip());
    for (int row = 1; row < 4; ++row) {
        test::PressKey(VK_DOWN);
        EXPECT_EQ(tips.at(Name(row)), ShownTip()) << Name(row);
    }
    test::PressKey(VK_HOME);
    for (int row = 0; row < RowOf("c.exe"); ++row)
        test::PressKey(VK_DOWN);
    EXPECT_EQ(tips.at("c.exe"), ShownTip());
    test::MoveMouseTo(RowPoint(-1, 5));
    EXPECT_EQ("", ShownTip());
    test::PressKey(VK_SPACE); // a folder where the manifest would go refuses it
    EXPECT_EQ(tips.at("c.exe"), ShownTip());

    test::PressKey(VK_END);
    test::PressKey(VK_TAB);
    EXPECT_EQ("", ShownTip());
    test::QueueKeys({ VK_SHIFT, VK_TAB });
    test::PumpMessages(100);
    EXPECT_EQ(m_list.m_hWnd, ::GetFocus());
    EXPECT_EQ(3, m_list.GetNextItem(-1, LVNI_FOCUSED));
    EXPECT_EQ(tips.at(Name(3)), ShownTip());
}

// Copies of the fixture programs: one whose own manifest asks for the themed controls, one whose
// own manifest does not, and plain ones.
TEST_F(ProgramRowsTest, GreyRowsAndTipsSayWhatTheMarkCannotShow)
{
    for (const char* kind : { "themed", "classic", "plain" })
        ASSERT_TRUE(::CopyFileA(test::FixturePath(kind).c_str(),
                                (m_folder / (std::string(kind) + ".exe")).c_str(), FALSE));
    ASSERT_TRUE(
        ::CopyFileA(test::FixturePath("plain").c_str(), (m_folder / "foreign.exe").c_str(), FALSE));
    m_folder.CreateFileWith("foreign.exe.manifest", "hand-written");
    ASSERT_EQ(4, ListFolder(m_folder.Path()));
    ::UpdateWindow(m_list.m_hWnd);

    // The name's text is drawn grey where the program ignores its side file.
    const auto drawnIn = [this](int row, COLORREF colour) {
        RECT cell = { LVIR_BOUNDS, 1, 0, 0 }; // the name's cell
        m_list.SendMessage(LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        HDC dc = ::GetDC(m_list.m_hWnd);
        bool found = false;
        for (int y = cell.top; y < cell.bottom && !found; ++y) {
            for (int x = cell.left; x < cell.right && !found; ++x)
                found = ::GetPixel(dc, x, y) == colour;
        }
        ::ReleaseDC(m_list.m_hWnd, dc);
        return found;
    };
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT), black = ::GetSysColor(COLOR_WINDOWTEXT);
    for (const char* name : { "themed.exe", "classic.exe" }) {
        EXPECT_TRUE(drawnIn(RowOf(name), grey)) << name;
        EXPECT_FALSE(drawnIn(RowOf(name), black)) << name;
    }
    EXPECT_TRUE(drawnIn(RowOf("plain.exe"), black));
    EXPECT_FALSE(drawnIn(RowOf("plain.exe"), grey));

    // Each row's tip, asked afresh as the pointer moves from row to row.
    EXPECT_EQ("themed.exe carries its own manifest, which already asks for the themed controls. "
              "Windows ignores themed.exe.manifest.",
              TipAt(NamePoint(RowOf("themed.exe"))));
    EXPECT_EQ("foreign.exe.manifest was not written by Veneerkit; switching off moves it to the "
              "Recycle Bin.",
              TipAt(NamePoint(RowOf("foreign.exe"))));
    EXPECT_EQ("classic.exe carries its own manifest, which does not ask for the themed "
              "controls. Windows ignores classic.exe.manifest.",
              TipAt(NamePoint(RowOf("classic.exe"))));
    EXPECT_EQ("", TipAt(NamePoint(RowOf("plain.exe"))));
}

// As root, a folder made immutable refuses new files, and Wine reports a delete there as done
// while the file stays. The mark keeps showing the disk and the tip says why.
TEST_F(ProgramRowsTest, SwitchesAFolderRefusesAreShownAndExplained)
{
    for (const char* name : { "on.exe", "off.exe" })
        m_folder.CreateFileOfSize(name, 10);
    m_folder.CreateFileWith("on.exe.manifest", test::OurManifest());
    test::UnixChange immutable(test::Immutable(m_folder.Path()));
    if (!immutable.Made())
        GTEST_SKIP() << test::kNoImmutable;
    ASSERT_EQ(2, ListFolder(m_folder.Path()));

    Press(IDC_ALL_OFF);
    Press(IDC_ALL_ON);
    EXPECT_EQ("off.exe 0 KB -, on.exe 0 KB +", Rows());
    EXPECT_EQ("Could not create off.exe.manifest: " +
                  std::string(SystemErrorText(ERROR_ACCESS_DENIED)),
              TipAt(NamePoint(RowOf("off.exe"))));
    Click(CheckBoxPoint(RowOf("on.exe")));
    EXPECT_EQ("off.exe 0 KB -, on.exe 0 KB +", Rows());
    EXPECT_EQ("Could not delete on.exe.manifest: " +
                  std::string(SystemErrorText(ERROR_ACCESS_DENIED)),
              TipAt(NamePoint(RowOf("on.exe"))));
}

// Wine on Linux keeps both names in one folder; its loader, like Windows, finds a manifest
// without regard to case, so switching one row switches the other too.
TEST_F(ProgramRowsTest, RowsWhoseNamesDifferOnlyInCaseShowOneManifest)
{
    if (!test::RunOnUnixSide("touch " + test::Quoted(m_folder / "UPPER.EXE") + " " +
                             test::Quoted(m_folder / "upper.exe")))
        GTEST_SKIP() << "no case-sensitive folder here";
    ASSERT_EQ(2, ListFolder(m_folder.Path()));
    Click(CheckBoxPoint(RowOf("upper.exe")));
    EXPECT_EQ("UPPER.EXE 0 KB +, upper.exe 0 KB +", Rows());
    Click(CheckBoxPoint(RowOf("UPPER.EXE")));
    EXPECT_EQ("UPPER.EXE 0 KB -, upper.exe 0 KB -", Rows());
}

TEST_F(ProgramRowsTest, DoubleClickAndEnterStartTheProgramOfTheirRow)
{
    // Copies of this exe; started, one runs no test and leaves "<its name>.xml" in the folder.
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (const char* name : { "first.exe", "second.exe", "third.exe" })
        ASSERT_TRUE(::CopyFileA(self, (m_folder / name).c_str(), FALSE));
    ASSERT_EQ(3, ListFolder(m_folder.Path()));
    // Tab into the list focuses its first row without selecting it, and Space switches it.
    ::SetFocus(m_dlg.GetDlgItem(IDC_FOLDER_PATH));
    test::PressKey(VK_TAB);
    EXPECT_EQ(LVIS_FOCUSED, m_list.GetItemState(0, LVIS_FOCUSED | LVIS_SELECTED));
    test::PressKey(VK_SPACE);
    EXPECT_EQ(test::OurManifest(), test::ReadWholeFile(m_folder / (Name(0) + ".manifest")));
    ::SetEnvironmentVariableA("GTEST_FILTER", "-*");
    ::SetEnvironmentVariableA("GTEST_OUTPUT", ("xml:" + m_folder.Path()).c_str());

    // Enter starts the focused row's program.
    Click(NamePoint(RowOf("third.exe")));
    test::PressKey(VK_RETURN);
    EXPECT_TRUE(test::WaitFor([&] { return test::FileExists(m_folder / "third.xml"); }));

    // With the first row focused, a double-click on empty space starts nothing, nor does one on
    // its check box, which toggles it, nor Enter in the tree or the path field.
    Click(NamePoint(RowOf("first.exe")));
    Click(NamePoint(-1), true);
    Click(CheckBoxPoint(RowOf("first.exe")), true);
    for (int id : { IDC_FOLDER_TREE, IDC_FOLDER_PATH }) {
        ::SetFocus(m_dlg.GetDlgItem(id));
        test::PressKey(VK_RETURN);
    }
    // Nor a double-click or Enter made while the folder was listed again: aimed at rows the user
    // had not seen, whatever now sits there. F5 keeps the focused row.
    ::SetFocus(m_list.m_hWnd);
    test::QueueKeys({ VK_RETURN });
    ::Sleep(20);
    ::PostMessageA(m_list.m_hWnd, WM_KEYDOWN, VK_F5, 0); // handled before the input queued earlier
    test::PumpMessages(200);
    ASSERT_EQ(RowOf("first.exe"), m_list.GetNextItem(-1, LVNI_FOCUSED));
    test::MoveMouseTo(NamePoint(RowOf("first.exe")));
    ::Sleep(::GetDoubleClickTime() + 50);
    test::QueueClicks(2);
    ::Sleep(20);
    ASSERT_EQ(3, ListFolder(m_folder.Path()));
    test::PumpMessages(200);
    Click(NamePoint(RowOf("second.exe")), true);
    ::SetEnvironmentVariableA("GTEST_FILTER", nullptr);
    ::SetEnvironmentVariableA("GTEST_OUTPUT", nullptr);

    EXPECT_TRUE(test::WaitFor([&] { return test::FileExists(m_folder / "second.xml"); }));
    // Once the second copy has ended, a first one started before it would have ended too.
    test::WaitFor([&] { return ::DeleteFileA((m_folder / "second.exe").c_str()) != FALSE; });
    EXPECT_FALSE(test::FileExists(m_folder / "first.xml"));
}

} // namespace
