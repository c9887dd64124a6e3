// The program list in the real dialog: listing, the All ON/OFF commands, and toggles by real input.
#include <gtest/gtest.h>

#include "app/ManifestDlg.h"
#include "platform/Handle.h"
#include "programs/ManifestFile.h"
#include "tests/TestSupport.h"

#include <cstdio>
#include <map>
#include <string>

namespace {

using Entries = std::map<std::string, std::string>;
const std::string kManifest(kDependencyManifest, kDependencyManifestSize);

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
        ::ShowWindow(m_dlg.m_hWnd, SW_SHOWNORMAL);
        ::SetForegroundWindow(m_dlg.m_hWnd);
        test::PumpMessages(100);
    }

    int ListFolder(const std::string& folder)
    {
        m_dlg.m_strFolder = folder.c_str();
        return m_dlg.ListPrograms();
    }
    // Every entry of the folder: a file's content, or a mark for a sub-folder.
    Entries Disk() const
    {
        Entries entries;
        WIN32_FIND_DATAA data;
        FindHandle find(::FindFirstFileA((m_folder / "*").c_str(), &data));
        for (bool more = find.IsValid(); more; more = ::FindNextFileA(find.Get(), &data)) {
            const std::string name = data.cFileName;
            if (name != "." && name != "..")
                entries[name] = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                    ? "<folder>" : test::ReadWholeFile(m_folder / name);
        }
        return entries;
    }
    std::string Rows() const
    {
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
    void Press(int button) const { ::SendMessageA(m_dlg.GetDlgItem(button), BM_CLICK, 0, 0); }

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

    test::TempFolder m_folder;
    CModelessDialog<CManifestDlg> m_dlg;
    const CListCtrl& m_list = m_dlg.m_listPrograms;
};

TEST_F(ProgramRowsTest, ListsEveryExeWithItsSizeAndAMarkWhereTheManifestIsPresent)
{
    // A program, the manifest beside it (null for none) and the row it gives. Past 4 GiB only the
    // low 32 bits of a size count, and the text is never negative.
    struct Program { const char* name; LONGLONG size; const char* manifest; const char* row; };
    const Program programs[] = {
        { "app.exe", 10, nullptr, "0 KB -" }, { "TOOL.EXE", 1023, "", "0 KB +" },
        { "Mixed.Exe", 1024, "x", "1 KB +" }, { "setup.2.exe", 10, "x", "0 KB +" },
        { "hidden.a.b.exe", 10, nullptr, "0 KB -" }, { "busy.exe", 10, "x", "0 KB -" },
        { "running.exe", 3000, "x", "2 KB +" },
        { "five.exe", 5LL << 30, nullptr, "1048576 KB -" },
        { "almost4.exe", (4LL << 30) - 1, nullptr, "4194303 KB -" },
    };
    Entries expected = { { "folder.exe", "0 KB -" } };
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

TEST_F(ProgramRowsTest, AllOnAndAllOffLeaveMarksShowingTheDisk)
{
    m_folder.CreateFileWith("notes.txt", "not a program");
    ASSERT_EQ(0, ListFolder(m_folder.Path()));
    Press(IDC_ALL_ON);
    Press(IDC_ALL_OFF);
    EXPECT_EQ(Entries({ { "notes.txt", "not a program" } }), Disk());

    Entries disk = CreateMixedFolder();
    ASSERT_EQ(4, ListFolder(m_folder.Path()));
    EXPECT_EQ(disk, Disk());

    Press(IDC_ALL_ON);
    disk["a.exe.manifest"] = kManifest;
    EXPECT_EQ(disk, Disk());
    EXPECT_EQ("a.exe 0 KB +, b.exe 0 KB +, blocked.exe 0 KB -, stuck.exe 0 KB +", Rows());

    Press(IDC_ALL_OFF);
    disk.erase("a.exe.manifest");
    disk.erase("b.exe.manifest");
    EXPECT_EQ(disk, Disk());
    EXPECT_EQ("a.exe 0 KB -, b.exe 0 KB -, blocked.exe 0 KB -, stuck.exe 0 KB +", Rows());
}

TEST_F(ProgramRowsTest, ClicksAndTheSpaceBarSwitchTheToggledRowAndSelectingSwitchesNone)
{
    Entries disk = CreateMixedFolder();
    ASSERT_EQ(4, ListFolder(m_folder.Path()));
    for (const char* name : { "a.exe", "b.exe", "blocked.exe", "stuck.exe" })
        Click(CheckBoxPoint(RowOf(name)));
    disk["a.exe.manifest"] = kManifest;
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

TEST_F(ProgramRowsTest, DoubleClickStartsTheProgramUnderThePointer)
{
    // Copies of this exe; started, one runs no test and leaves "<its name>.xml" in the folder.
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (const char* name : { "first.exe", "second.exe" })
        ASSERT_TRUE(::CopyFileA(self, (m_folder / name).c_str(), FALSE));
    ASSERT_EQ(2, ListFolder(m_folder.Path()));
    ::SetEnvironmentVariableA("GTEST_FILTER", "-*");
    ::SetEnvironmentVariableA("GTEST_OUTPUT", ("xml:" + m_folder.Path()).c_str());

    // With the first row focused, a double-click on empty space starts nothing.
    Click(NamePoint(RowOf("first.exe")));
    Click(NamePoint(-1), true);
    Click(NamePoint(RowOf("second.exe")), true);
    ::SetEnvironmentVariableA("GTEST_FILTER", nullptr);
    ::SetEnvironmentVariableA("GTEST_OUTPUT", nullptr);

    EXPECT_TRUE(test::WaitFor([&] { return test::FileExists(m_folder / "second.xml"); }));
    // Once the second copy has ended, a first one started before it would have ended too.
    test::WaitFor([&] { return ::DeleteFileA((m_folder / "second.exe").c_str()) != FALSE; });
    EXPECT_FALSE(test::FileExists(m_folder / "first.xml"));
}

} // namespace
