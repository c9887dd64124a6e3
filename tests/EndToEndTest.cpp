// Veneerkit.exe run as a user runs it: real mouse and keyboard input to the running program,
// and the files on disk checked after each step.
#include "res/resource.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

// Memory inside the program under test, for the control messages that take a pointer.
class RemoteMemory {
public:
    RemoteMemory(HANDLE hProcess, SIZE_T size) : m_hProcess(hProcess), m_size(size)
    {
        m_p = ::VirtualAllocEx(hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory()
    {
        if (m_p)
            ::VirtualFreeEx(m_hProcess, m_p, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    LPARAM Address(SIZE_T offset = 0) const
    {
        return reinterpret_cast<LPARAM>(static_cast<char*>(m_p) + offset);
    }
    void Write(const void* data, SIZE_T size, SIZE_T offset = 0) const
    {
        ::WriteProcessMemory(m_hProcess, static_cast<char*>(m_p) + offset, data, size, nullptr);
    }
    void Read(void* data, SIZE_T size, SIZE_T offset = 0) const
    {
        ::ReadProcessMemory(m_hProcess, static_cast<char*>(m_p) + offset, data, size, nullptr);
    }

private:
    HANDLE m_hProcess;
    SIZE_T m_size;
    void* m_p;
};

std::string ExeFolder()
{
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

struct FindWindowOfProcess {
    DWORD pid;
    HWND hWnd;
};

BOOL CALLBACK MatchProcessWindow(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<FindWindowOfProcess*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    char title[64] = {};
    ::GetWindowTextA(hWnd, title, sizeof(title));
    if (pid == search->pid && ::IsWindowVisible(hWnd) && std::string(title) == "Veneerkit") {
        search->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A running Veneerkit.exe and the controls of its dialog.
class Veneerkit {
public:
    bool Start()
    {
        std::string exe = ExeFolder() + "Veneerkit.exe";
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        std::vector<char> commandLine(exe.begin(), exe.end());
        commandLine.push_back('\0');
        if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &si, &m_pi))
            return false;
        FindWindowOfProcess search = { m_pi.dwProcessId, nullptr };
        for (int i = 0; i < 200 && !search.hWnd; ++i) {
            ::Sleep(50);
            ::EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
        }
        m_hDlg = search.hWnd;
        if (!m_hDlg)
            return false;
        m_hTree = ::GetDlgItem(m_hDlg, IDC_FOLDER_TREE);
        m_hList = ::GetDlgItem(m_hDlg, IDC_PROGRAM_LIST);
        ::SetForegroundWindow(m_hDlg);
        test::PumpMessages(200);
        return m_hTree && m_hList;
    }

    ~Veneerkit()
    {
        if (!m_pi.hProcess)
            return;
        if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
            if (m_hDlg)
                ::PostMessageA(m_hDlg, WM_CLOSE, 0, 0);
            if (::WaitForSingleObject(m_pi.hProcess, 5000) == WAIT_TIMEOUT)
                ::TerminateProcess(m_pi.hProcess, 1);
        }
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }

    bool HasEnded(DWORD ms) const { return ::WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0; }

    std::string PathField() const
    {
        // GetWindowText does not ask a control of another process; WM_GETTEXT does.
        char text[MAX_PATH * 2] = {};
        ::SendMessageA(::GetDlgItem(m_hDlg, IDC_FOLDER_PATH), WM_GETTEXT, sizeof(text),
                       reinterpret_cast<LPARAM>(text));
        return text;
    }

    // Tree items, read through the program's own memory.
    std::string TreeItemText(HTREEITEM hItem) const
    {
        RemoteMemory remote(m_pi.hProcess, sizeof(TVITEMA) + MAX_PATH);
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = reinterpret_cast<char*>(remote.Address(sizeof(TVITEMA)));
        item.cchTextMax = MAX_PATH;
        remote.Write(&item, sizeof(item));
        ::SendMessageA(m_hTree, TVM_GETITEMA, 0, remote.Address());
        char text[MAX_PATH] = {};
        remote.Read(text, MAX_PATH - 1, sizeof(TVITEMA));
        return text;
    }

    HTREEITEM FindTreeChild(HTREEITEM hParent, const std::string& text) const
    {
        UINT code = hParent ? TVGN_CHILD : TVGN_ROOT;
        auto hItem = reinterpret_cast<HTREEITEM>(
            ::SendMessageA(m_hTree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(hParent)));
        for (; hItem; hItem = reinterpret_cast<HTREEITEM>(::SendMessageA(
                          m_hTree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(hItem)))) {
            if (::lstrcmpiA(TreeItemText(hItem).c_str(), text.c_str()) == 0)
                return hItem;
        }
        return nullptr;
    }

    // Centre of an item's label on the screen, scrolled into view first.
    POINT TreeItemLabel(HTREEITEM hItem) const
    {
        ::SendMessageA(m_hTree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem));
        RemoteMemory remote(m_pi.hProcess, sizeof(RECT));
        // TVM_GETITEMRECT takes the item in the rectangle it fills.
        RECT rect = {};
        remote.Write(&hItem, sizeof(hItem));
        ::SendMessageA(m_hTree, TVM_GETITEMRECT, TRUE, remote.Address());
        remote.Read(&rect, sizeof(rect));
        POINT centre = { (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 };
        return test::ClientToScreenPoint(m_hTree, centre);
    }

    bool IsExpanded(HTREEITEM hItem) const
    {
        return (::SendMessageA(m_hTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem),
                               TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    }

    HTREEITEM SelectedItem() const
    {
        return reinterpret_cast<HTREEITEM>(::SendMessageA(m_hTree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    }

    int RowCount() const { return static_cast<int>(::SendMessageA(m_hList, LVM_GETITEMCOUNT, 0, 0)); }

    std::string RowText(int row, int column) const
    {
        RemoteMemory remote(m_pi.hProcess, sizeof(LVITEMA) + MAX_PATH);
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<char*>(remote.Address(sizeof(LVITEMA)));
        item.cchTextMax = MAX_PATH;
        remote.Write(&item, sizeof(item));
        ::SendMessageA(m_hList, LVM_GETITEMTEXTA, row, remote.Address());
        char text[MAX_PATH] = {};
        remote.Read(text, MAX_PATH - 1, sizeof(LVITEMA));
        return text;
    }

    int FindRow(const std::string& name) const
    {
        for (int row = 0; row < RowCount(); ++row) {
            if (RowText(row, 1) == name)
                return row;
        }
        return -1;
    }

    bool IsChecked(int row) const
    {
        return ((::SendMessageA(m_hList, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) & 0xF) == 2;
    }

    // A point on the row's check box, found by asking the list what lies under it.
    bool CheckBoxOf(int row, POINT* screen) const
    {
        RemoteMemory remote(m_pi.hProcess, sizeof(LVHITTESTINFO));
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        remote.Write(&bounds, sizeof(bounds));
        ::SendMessageA(m_hList, LVM_GETITEMRECT, row, remote.Address());
        remote.Read(&bounds, sizeof(bounds));
        for (int x = bounds.left; x < bounds.left + 40; ++x) {
            LVHITTESTINFO info = {};
            info.pt = { x, (bounds.top + bounds.bottom) / 2 };
            remote.Write(&info, sizeof(info));
            ::SendMessageA(m_hList, LVM_HITTEST, 0, remote.Address());
            remote.Read(&info, sizeof(info));
            if (info.iItem == row && (info.flags & LVHT_ONITEMSTATEICON)) {
                *screen = test::ClientToScreenPoint(m_hList, { x + 4, info.pt.y });
                return true;
            }
        }
        return false;
    }

    POINT ButtonCentre(int id) const
    {
        RECT rect;
        ::GetWindowRect(::GetDlgItem(m_hDlg, id), &rect);
        return { (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 };
    }

    HWND m_hDlg = nullptr;
    HWND m_hTree = nullptr;
    HWND m_hList = nullptr;

private:
    PROCESS_INFORMATION m_pi = {};
};

// A folder of programs under Z:\tmp, reachable in the tree as Z: > tmp > name.
class ProgramFolder {
public:
    ProgramFolder()
    {
        char name[64];
        wsprintfA(name, "vk-e2e-%lu", ::GetCurrentProcessId());
        m_name = name;
        m_path = "Z:\\tmp\\" + m_name + "\\";
        ::CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~ProgramFolder() { test::RemoveTree(m_path); }

    std::string Add(const std::string& name, const std::string& content = std::string(2048, 'x')) const
    {
        std::string path = m_path + name;
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        ::CloseHandle(h);
        return path;
    }
    std::string Manifest(const std::string& program) const { return m_path + program + ".manifest"; }

    std::string m_name;
    std::string m_path;
};

bool IsDependencyManifest(const std::string& path)
{
    std::string content = test::ReadWholeFile(path);
    return content.size() == 500 &&
           content.find("name=\"Microsoft.Windows.Common-Controls\"") != std::string::npos;
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.Add("alpha.exe");
        m_folder.Add("Beta.EXE");
        m_folder.Add("gamma.exe");
        m_folder.Add("readme.txt");
        m_folder.Add("gamma.exe.manifest", "<hand-written manifest/>\r\n");
        ASSERT_TRUE(m_app.Start()) << "Veneerkit.exe did not show its dialog";
    }

    // Opens a tree item with a double-click on its label, as a user opens a folder.
    HTREEITEM Open(HTREEITEM hParent, const std::string& text)
    {
        HTREEITEM hItem = m_app.FindTreeChild(hParent, text);
        EXPECT_NE(nullptr, hItem) << text << " is not in the tree";
        if (!hItem)
            return nullptr;
        test::ClickAt(m_app.TreeItemLabel(hItem), true);
        test::PumpMessages(300);
        EXPECT_TRUE(m_app.IsExpanded(hItem)) << text << " did not open";
        return hItem;
    }

    // Opens Z: and tmp, then selects the test folder with one click.
    void BrowseToFolder()
    {
        HTREEITEM hTmp = Open(Open(nullptr, "Z:"), "tmp");
        ASSERT_NE(nullptr, hTmp);
        HTREEITEM hFolder = m_app.FindTreeChild(hTmp, m_folder.m_name);
        ASSERT_NE(nullptr, hFolder) << "the new folder is not listed under tmp";
        test::ClickAt(m_app.TreeItemLabel(hFolder));
        test::PumpMessages(300);
        ASSERT_EQ(hFolder, m_app.SelectedItem());
    }

    void ClickCheckBox(const std::string& program)
    {
        int row = m_app.FindRow(program);
        ASSERT_GE(row, 0) << program << " is not listed";
        POINT box;
        ASSERT_TRUE(m_app.CheckBoxOf(row, &box));
        test::ClickAt(box);
        // Wait out the double-click time, so that the next click is a click of its own.
        test::PumpMessages(::GetDoubleClickTime() + 100);
    }

    ProgramFolder m_folder;
    Veneerkit m_app;
};

TEST_F(EndToEndTest, OpeningAndSelectingAFolderListsItsPrograms)
{
    BrowseToFolder();
    EXPECT_EQ(m_folder.m_path, m_app.PathField());

    ASSERT_EQ(3, m_app.RowCount());
    int alpha = m_app.FindRow("alpha.exe");
    int beta = m_app.FindRow("Beta.EXE");
    int gamma = m_app.FindRow("gamma.exe");
    ASSERT_GE(alpha, 0);
    ASSERT_GE(beta, 0);
    ASSERT_GE(gamma, 0);
    EXPECT_EQ("2 KB", m_app.RowText(alpha, 2));
    EXPECT_FALSE(m_app.IsChecked(alpha));
    EXPECT_FALSE(m_app.IsChecked(beta));
    EXPECT_TRUE(m_app.IsChecked(gamma));

    // Browsing reads and lists; it never writes.
    EXPECT_FALSE(test::FileExists(m_folder.Manifest("alpha.exe")));
    EXPECT_FALSE(test::FileExists(m_folder.Manifest("Beta.EXE")));
    EXPECT_EQ("<hand-written manifest/>\r\n", test::ReadWholeFile(m_folder.Manifest("gamma.exe")));
}

TEST_F(EndToEndTest, ClickingACheckBoxCreatesAndDeletesThatProgramsManifest)
{
    BrowseToFolder();

    ClickCheckBox("alpha.exe");
    EXPECT_TRUE(IsDependencyManifest(m_folder.Manifest("alpha.exe")));
    EXPECT_TRUE(m_app.IsChecked(m_app.FindRow("alpha.exe")));
    EXPECT_FALSE(test::FileExists(m_folder.Manifest("Beta.EXE")));

    ClickCheckBox("alpha.exe");
    EXPECT_FALSE(test::FileExists(m_folder.Manifest("alpha.exe")));
    EXPECT_FALSE(m_app.IsChecked(m_app.FindRow("alpha.exe")));
    EXPECT_EQ("<hand-written manifest/>\r\n", test::ReadWholeFile(m_folder.Manifest("gamma.exe")));
}

TEST_F(EndToEndTest, AllOnThenAllOffSwitchEveryListedProgram)
{
    BrowseToFolder();

    test::ClickAt(m_app.ButtonCentre(IDC_ALL_ON));
    test::PumpMessages(300);
    EXPECT_TRUE(IsDependencyManifest(m_folder.Manifest("alpha.exe")));
    EXPECT_TRUE(IsDependencyManifest(m_folder.Manifest("Beta.EXE")));
    // A manifest that was there already stays as the user wrote it.
    EXPECT_EQ("<hand-written manifest/>\r\n", test::ReadWholeFile(m_folder.Manifest("gamma.exe")));
    EXPECT_FALSE(test::FileExists(m_folder.Manifest("readme.txt")));
    for (int row = 0; row < m_app.RowCount(); ++row)
        EXPECT_TRUE(m_app.IsChecked(row)) << "row " << row;

    test::ClickAt(m_app.ButtonCentre(IDC_ALL_OFF));
    test::PumpMessages(300);
    EXPECT_FALSE(test::FileExists(m_folder.Manifest("alpha.exe")));
    EXPECT_FALSE(test::FileExists(m_folder.Manifest("Beta.EXE")));
    EXPECT_FALSE(test::FileExists(m_folder.Manifest("gamma.exe")));
    for (int row = 0; row < m_app.RowCount(); ++row)
        EXPECT_FALSE(m_app.IsChecked(row)) << "row " << row;

    // The programs themselves are never touched.
    EXPECT_EQ(std::string(2048, 'x'), test::ReadWholeFile(m_folder.m_path + "alpha.exe"));
}

TEST_F(EndToEndTest, EnterKeepsTheProgramRunningAndEscapeEndsIt)
{
    ::SetForegroundWindow(m_app.m_hDlg);
    test::PressKey(VK_RETURN);
    EXPECT_FALSE(m_app.HasEnded(500));
    ::SetForegroundWindow(m_app.m_hDlg);
    test::PressKey(VK_ESCAPE);
    EXPECT_TRUE(m_app.HasEnded(5000));
}

} // namespace
