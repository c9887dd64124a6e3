// Veneerkit.exe run as a user runs it: real mouse and keyboard input to the running program,
// and the files on disk checked after each step.
#include "res/resource.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <cstring>
#include <map>
#include <string>

namespace {

const std::string kOwnManifest = "<hand-written manifest/>\r\n";
const std::string kDependency = "name=\"Microsoft.Windows.Common-Controls\"";
using test::WaitFor;

// Veneerkit.exe showing a folder of programs, reached as a user reaches it: each folder on the
// way opened with a double-click on its label, the last one selected with a click.
class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : { "alpha.exe", "Beta.EXE", "gamma.exe", "readme.txt" })
            m_folder.CreateFileWith(name, std::string(2048, 'x'));
        m_folder.CreateFileWith("gamma.exe.manifest", kOwnManifest);

        m_hDlg = test::StartProduct(&m_pi);
        ASSERT_TRUE(m_hDlg && WaitFor(
                                  [this] {
            ::SetForegroundWindow(m_hDlg);
            return ::GetForegroundWindow() == m_hDlg;
        })) << "Veneerkit.exe did not show its dialog";
        m_hTree = ::GetDlgItem(m_hDlg, IDC_FOLDER_TREE);
        m_hList = ::GetDlgItem(m_hDlg, IDC_PROGRAM_LIST);

        const std::string& path = m_folder.Path();
        HTREEITEM hItem = nullptr;
        for (size_t start = 0, end; (end = path.find('\\', start)) != std::string::npos;
             start = end + 1) {
            POINT label;
            hItem = ShowTreeChild(hItem, path.substr(start, end - start), &label);
            ASSERT_NE(nullptr, hItem) << path.substr(0, end) << " is not in the tree";
            const bool open = end + 1 < path.size();
            test::ClickAt(label, open);
            ASSERT_TRUE(!open || WaitFor([&] {
                return TreeView_GetItemState(m_hTree, hItem, TVIS_EXPANDED) & TVIS_EXPANDED;
            })) << path.substr(0, end)
                << " did not open";
        }
        // The path field shows the folder with one trailing backslash. GetWindowText does not ask
        // a control of another process; WM_GETTEXT does.
        char field[MAX_PATH * 2] = {};
        ASSERT_TRUE(WaitFor([&] {
            ::SendMessageA(::GetDlgItem(m_hDlg, IDC_FOLDER_PATH), WM_GETTEXT, sizeof(field),
                           reinterpret_cast<LPARAM>(field));
            return field == path && ListView_GetItemCount(m_hList) == 3;
        })) << field;
    }

    void TearDown() override
    {
        if (m_pi.hProcess && !HasEnded(0))
            ::TerminateProcess(m_pi.hProcess, 1); // a test that failed half-way
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }

    bool HasEnded(DWORD ms) const
    {
        return ::WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0;
    }

    // Sends a control message that takes a pointer to `data`, through a copy in the program's
    // memory; `text`, when given, is the structure's text pointer and gets room after the copy.
    template <class T>
    std::string SendRemote(HWND hWnd, UINT message, WPARAM wParam, T& data,
                           char** text = nullptr) const
    {
        auto* remote = static_cast<char*>(::VirtualAllocEx(
            m_pi.hProcess, nullptr, sizeof(T) + MAX_PATH, MEM_COMMIT, PAGE_READWRITE));
        if (text)
            *text = remote + sizeof(T);
        char buffer[MAX_PATH] = {};
        ::WriteProcessMemory(m_pi.hProcess, remote, &data, sizeof(T), nullptr);
        ::SendMessageA(hWnd, message, wParam, reinterpret_cast<LPARAM>(remote));
        ::ReadProcessMemory(m_pi.hProcess, remote, &data, sizeof(T), nullptr);
        ::ReadProcessMemory(m_pi.hProcess, remote + sizeof(T), buffer, MAX_PATH - 1, nullptr);
        ::VirtualFreeEx(m_pi.hProcess, remote, 0, MEM_RELEASE);
        return buffer;
    }

    // The child of hParent (of the drives for null) named `text`, scrolled into view, and the
    // centre of its label on the screen.
    HTREEITEM ShowTreeChild(HTREEITEM hParent, const std::string& text, POINT* label) const
    {
        HTREEITEM hItem = hParent ? TreeView_GetChild(m_hTree, hParent) : TreeView_GetRoot(m_hTree);
        for (; hItem; hItem = TreeView_GetNextSibling(m_hTree, hItem)) {
            TVITEMA item = {};
            item.mask = TVIF_TEXT;
            item.hItem = hItem;
            item.cchTextMax = MAX_PATH;
            if (::lstrcmpiA(SendRemote(m_hTree, TVM_GETITEMA, 0, item, &item.pszText).c_str(),
                            text.c_str()) == 0)
                break;
        }
        TreeView_EnsureVisible(m_hTree, hItem);
        RECT rect = {};
        memcpy(&rect, &hItem, sizeof(hItem)); // the item goes in the rectangle it fills
        SendRemote(m_hTree, TVM_GETITEMRECT, TRUE, rect);
        *label = test::ClientToScreenPoint(m_hTree, { (rect.left + rect.right) / 2,
                                                      (rect.top + rect.bottom) / 2 });
        return hItem;
    }

    std::string RowName(int row) const
    {
        LVITEMA item = {};
        item.iSubItem = 1;
        item.cchTextMax = MAX_PATH;
        return SendRemote(m_hList, LVM_GETITEMTEXTA, row, item, &item.pszText);
    }

    // Each name's box in the list, "[x]" or "[ ]" (none when not listed), and its manifest on
    // disk: "-" none, "ours" the one Veneerkit writes, "own" the user's own.
    std::string State() const
    {
        std::map<std::string, std::string> boxes;
        for (int row = 0; row < ListView_GetItemCount(m_hList); ++row)
            boxes[RowName(row)] = ListView_GetCheckState(m_hList, row) ? "[x]" : "[ ]";
        std::string state;
        for (const char* name : { "alpha.exe", "Beta.EXE", "gamma.exe", "readme.txt" }) {
            const std::string manifest = test::ReadWholeFile(m_folder / name + ".manifest");
            const char* kind = manifest.empty() ? "-" : manifest == kOwnManifest ? "own" : "?";
            if (manifest.size() == 500 && manifest.find(kDependency) != std::string::npos)
                kind = "ours";
            state += std::string(state.empty() ? "" : " ") + name + boxes[name] + kind;
        }
        return state;
    }

    void ExpectState(const std::string& expected) const
    {
        EXPECT_TRUE(WaitFor([&] { return State() == expected; })) << State();
    }

    // A point well inside the button, whose size the dialog template fixes.
    void ClickButton(int id) const
    {
        test::ClickAt(test::ClientToScreenPoint(::GetDlgItem(m_hDlg, id), { 20, 10 }));
    }

    // Clicks the program's check box, found by asking the list what lies under each point.
    void ClickCheckBox(const std::string& program) const
    {
        int row = 0;
        while (row < ListView_GetItemCount(m_hList) && RowName(row) != program)
            ++row;
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        SendRemote(m_hList, LVM_GETITEMRECT, row, bounds);
        LVHITTESTINFO hit = {};
        for (hit.pt = { bounds.left, (bounds.top + bounds.bottom) / 2 };; ++hit.pt.x) {
            ASSERT_LT(hit.pt.x, bounds.left + 40) << "no check box for " << program;
            SendRemote(m_hList, LVM_HITTEST, 0, hit);
            if (hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON))
                break;
        }
        test::ClickAt(test::ClientToScreenPoint(m_hList, { hit.pt.x + 4, hit.pt.y }));
        // Wait out the double-click time, so that the next click is a click of its own: a
        // double-click on a row starts the program.
        test::PumpMessages(::GetDoubleClickTime() + 100);
    }

    test::TempFolder m_folder;
    PROCESS_INFORMATION m_pi = {};
    HWND m_hDlg = nullptr, m_hTree = nullptr, m_hList = nullptr;
};

// One run of the program, as a user's session: each step's files checked before the next.
TEST_F(EndToEnd, SelectEnterAllOnAllOffCheckBoxesAndEscape)
{
    const std::string none = "alpha.exe[ ]- Beta.EXE[ ]- gamma.exe[ ]- readme.txt-";
    EXPECT_EQ("alpha.exe[ ]- Beta.EXE[ ]- gamma.exe[x]own readme.txt-", State());
    test::PressKey(VK_RETURN); // the tree has the focus
    // Input is handled in order: All ON still working shows the dialog outlived the Enter key.
    // A manifest that was there already stays as the user wrote it.
    ClickButton(IDC_ALL_ON);
    ExpectState("alpha.exe[x]ours Beta.EXE[x]ours gamma.exe[x]own readme.txt-");
    ClickButton(IDC_ALL_OFF);
    ExpectState(none);
    ClickCheckBox("Beta.EXE");
    ExpectState("alpha.exe[ ]- Beta.EXE[x]ours gamma.exe[ ]- readme.txt-");
    ClickCheckBox("Beta.EXE");
    ExpectState(none);
    // A manifest made elsewhere shows once F5 lists the folder again, wherever the focus is.
    m_folder.CreateFileWith("alpha.exe.manifest", kOwnManifest);
    test::PressKey(VK_F5);
    ExpectState("alpha.exe[x]own Beta.EXE[ ]- gamma.exe[ ]- readme.txt-");
    // The programs themselves are never touched.
    EXPECT_EQ(std::string(2048, 'x'), test::ReadWholeFile(m_folder / "Beta.EXE"));
    EXPECT_FALSE(HasEnded(0));
    test::PressKey(VK_ESCAPE);
    EXPECT_TRUE(HasEnded(30000));
}

} // namespace
