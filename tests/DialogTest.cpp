// The main dialog created for real in the test process: set-up, layout, sizing and keys.
#include "app/ManifestApp.h"
#include "app/ManifestDlg.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <mbctype.h>

namespace {

RECT ChildRect(HWND hDlg, int id)
{
    RECT rect;
    HWND hChild = ::GetDlgItem(hDlg, id);
    ::GetWindowRect(hChild, &rect);
    ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectRect(HWND hDlg, int id, int x, int y, int cx, int cy)
{
    RECT r = ChildRect(hDlg, id);
    EXPECT_EQ(x, r.left) << "control " << id;
    EXPECT_EQ(y, r.top) << "control " << id;
    EXPECT_EQ(cx, r.right - r.left) << "control " << id;
    EXPECT_EQ(cy, r.bottom - r.top) << "control " << id;
}

void ExpectLaidOutFor(HWND hDlg, int cx, int cy)
{
    const int half = cx / 2;
    ExpectRect(hDlg, IDC_FOLDER_TREE, 10, 40, half - 15, cy - 50);
    ExpectRect(hDlg, IDC_PROGRAM_LIST, half + 5, 40, half - 15, cy - 50);
    ExpectRect(hDlg, IDC_ALL_ON, cx - 220, 10, 100, 22);
    ExpectRect(hDlg, IDC_ALL_OFF, cx - 110, 10, 100, 22);
    ExpectRect(hDlg, IDC_FOLDER_PATH, 5, 10, cx - 230, 22);
    EXPECT_EQ(half - ::GetSystemMetrics(SM_CXVSCROLL) - 123,
              ::SendMessageA(::GetDlgItem(hDlg, IDC_PROGRAM_LIST), LVM_GETCOLUMNWIDTH, 1, 0));
}

void ExpectLaidOutForClient(HWND hDlg)
{
    RECT client;
    ::GetClientRect(hDlg, &client);
    ExpectLaidOutFor(hDlg, client.right, client.bottom);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create());
        test::PumpMessages();
    }

    HWND Dlg() const { return m_dlg.m_hWnd; }

    CManifestDlg m_dlg;
};

TEST_F(DialogTest, SetsUpIconListAndFirstLayout)
{
    HICON hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, hIcon);
    EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), ::SendMessageA(Dlg(), WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), ::SendMessageA(Dlg(), WM_QUERYDRAGICON, 0, 0));

    EXPECT_EQ(0x25u, m_dlg.m_listPrograms.GetExtendedStyle() & 0x25u);
    HWND hHeader = reinterpret_cast<HWND>(m_dlg.m_listPrograms.SendMessage(LVM_GETHEADER));
    ASSERT_EQ(3, ::SendMessageA(hHeader, HDM_GETITEMCOUNT, 0, 0));
    const char* headings[] = { "", "Name", "Size" };
    const int formats[] = { LVCFMT_LEFT, LVCFMT_LEFT, LVCFMT_RIGHT };
    for (int i = 0; i < 3; ++i) {
        char text[32] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = sizeof(text);
        ASSERT_TRUE(m_dlg.m_listPrograms.SendMessage(LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(headings[i], text);
        EXPECT_EQ(formats[i], column.fmt & LVCFMT_JUSTIFYMASK);
    }
    EXPECT_EQ(22, m_dlg.m_listPrograms.GetColumnWidth(0));
    EXPECT_EQ(80, m_dlg.m_listPrograms.GetColumnWidth(2));

    // The controls are bound and the path field starts empty.
    EXPECT_EQ(::GetDlgItem(Dlg(), IDC_FOLDER_PATH), m_dlg.m_wndFolderPath.m_hWnd);
    EXPECT_EQ(::GetDlgItem(Dlg(), IDC_ALL_ON), m_dlg.m_btnAllOn.m_hWnd);
    EXPECT_EQ(::GetDlgItem(Dlg(), IDC_ALL_OFF), m_dlg.m_btnAllOff.m_hWnd);
    EXPECT_EQ(::GetDlgItem(Dlg(), IDC_PROGRAM_LIST), m_dlg.m_listPrograms.m_hWnd);
    EXPECT_EQ(0, ::GetWindowTextLengthA(::GetDlgItem(Dlg(), IDC_FOLDER_PATH)));

    ExpectLaidOutForClient(Dlg());
}

TEST_F(DialogTest, LayoutForWideAndSmallClientAreas)
{
    m_dlg.LayoutControls(800, 600);
    // Half of 800 is 400: tree at 10 and list at 405, both 385 wide; the buttons at 580 and
    // 690; the path field 570 wide.
    ExpectRect(Dlg(), IDC_FOLDER_TREE, 10, 40, 385, 550);
    ExpectRect(Dlg(), IDC_PROGRAM_LIST, 405, 40, 385, 550);
    ExpectRect(Dlg(), IDC_ALL_ON, 580, 10, 100, 22);
    ExpectRect(Dlg(), IDC_ALL_OFF, 690, 10, 100, 22);
    ExpectRect(Dlg(), IDC_FOLDER_PATH, 5, 10, 570, 22);

    // An odd width rounds half down; the smallest window still leaves every control visible.
    m_dlg.LayoutControls(385, 262);
    ExpectLaidOutFor(Dlg(), 385, 262);
    RECT path = ChildRect(Dlg(), IDC_FOLDER_PATH);
    EXPECT_GT(path.right - path.left, 0);
}

TEST_F(DialogTest, MinimumTrackingSizeIs400By300)
{
    MINMAXINFO info = {};
    ::SendMessageA(Dlg(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(400, info.ptMinTrackSize.x);
    EXPECT_EQ(300, info.ptMinTrackSize.y);
}

TEST_F(DialogTest, EveryResizeLaysOutIncludingTheFirst)
{
    // The first size change after creation is the user's first resize: it must lay out.
    ::SetWindowPos(Dlg(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    test::PumpMessages();
    ExpectLaidOutForClient(Dlg());

    ::SetWindowPos(Dlg(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    test::PumpMessages();
    ExpectLaidOutForClient(Dlg());

    ::ShowWindow(Dlg(), SW_MINIMIZE);
    test::PumpMessages();
    ::ShowWindow(Dlg(), SW_RESTORE);
    test::PumpMessages();
    ExpectLaidOutForClient(Dlg());
}

TEST_F(DialogTest, DataFlowsFromTheFolderStringToThePathField)
{
    m_dlg.m_strFolder = "Z:\\tmp\\";
    m_dlg.UpdateData(FALSE);
    EXPECT_STREQ("Z:\\tmp\\", m_dlg.m_wndFolderPath.GetWindowText());
    // The field is a read-only display.
    EXPECT_TRUE(::GetWindowLongPtrA(m_dlg.m_wndFolderPath, GWL_STYLE) & ES_READONLY);
}

TEST_F(DialogTest, HelpCommandReachesTheApplicationAndLeavesTheDialogOpen)
{
    ASSERT_NE(nullptr, CWinApp::GetApp());
    LRESULT result = 1;
    EXPECT_TRUE(CWinApp::GetApp()->OnWndMsg(WM_COMMAND, ID_HELP, 0, &result));
    ::SendMessageA(Dlg(), WM_COMMAND, ID_HELP, 0);
    test::PumpMessages();
    EXPECT_TRUE(::IsWindow(Dlg()));
}

// Runs the dialog modally while another thread types at it, as a user would.
struct KeyScript {
    bool openAfterEnter = false;
    bool sawWindow = false;
};

DWORD WINAPI TypeEnterThenEscape(void* param)
{
    auto* script = static_cast<KeyScript*>(param);
    HWND hDlg = nullptr;
    for (int i = 0; i < 200 && !hDlg; ++i) {
        ::Sleep(25);
        hDlg = ::FindWindowA(nullptr, "Veneerkit");
    }
    script->sawWindow = hDlg != nullptr;
    if (!hDlg)
        return 0;
    ::SetForegroundWindow(hDlg);
    ::Sleep(200);
    test::PressKey(VK_RETURN);
    ::Sleep(300);
    script->openAfterEnter = ::IsWindow(hDlg) && ::IsWindowVisible(hDlg);
    // Escape must end the dialog; repeat only in case the first key went nowhere.
    for (int i = 0; i < 10 && ::IsWindow(hDlg); ++i) {
        ::SetForegroundWindow(hDlg);
        test::PressKey(VK_ESCAPE);
        ::Sleep(300);
    }
    return 0;
}

TEST(ModalDialogTest, EnterKeepsTheDialogOpenAndEscapeEndsIt)
{
    KeyScript script;
    HANDLE hThread = ::CreateThread(nullptr, 0, TypeEnterThenEscape, &script, 0, nullptr);
    ASSERT_NE(nullptr, hThread);

    CManifestDlg dlg;
    INT_PTR result = dlg.DoModal();
    ::WaitForSingleObject(hThread, 10000);
    ::CloseHandle(hThread);

    EXPECT_TRUE(script.sawWindow);
    EXPECT_TRUE(script.openAfterEnter);
    EXPECT_EQ(IDCANCEL, result);
}

TEST(StartUpTest, MultibyteCodePageIsTheAnsiCodePage)
{
    // The application object of this process was built after the code page was set.
    ASSERT_NE(nullptr, CWinApp::GetApp());
    EXPECT_EQ(static_cast<int>(::GetACP()), _getmbcp());
}

} // namespace
