// The main dialog created for real: set-up, layout, sizing, and the keys it answers.
#include "app/ManifestDlg.h"
#include "support/ModelessDialog.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int kControls[] = { IDC_FOLDER_TREE, IDC_PROGRAM_LIST, IDC_ALL_ON, IDC_ALL_OFF,
                          IDC_FOLDER_PATH };

// x, y, cx and cy of each control above in the client area, then the name column's width plus a
// vertical scroll bar's, which the column leaves room for. Works on another process's dialog too.
std::vector<int> Placement(HWND hDlg)
{
    std::vector<int> placement;
    for (int id : kControls) {
        RECT r;
        ::GetWindowRect(::GetDlgItem(hDlg, id), &r);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&r), 2);
        placement.insert(placement.end(), { r.left, r.top, r.right - r.left, r.bottom - r.top });
    }
    LRESULT width = ::SendDlgItemMessageA(hDlg, IDC_PROGRAM_LIST, LVM_GETCOLUMNWIDTH, 1, 0);
    placement.push_back(static_cast<int>(width) + ::GetSystemMetrics(SM_CXVSCROLL));
    return placement;
}

// Tree and list share the width half and half, the buttons keep to the right edge and the path
// field takes what is left. A small client area with an odd width rounds half down (385: 192).
const struct {
    int cx, cy;
    std::vector<int> placement;
} kLayouts[] = {
    { 800, 600, { 10, 40,  385, 550, 405, 40, 385, 550, 580, 10, 100,
                  22, 690, 10,  100, 22,  5,  10,  570, 22,  277 } },
    { 385, 262, { 10, 40,  177, 212, 197, 40, 177, 212, 165, 10, 100,
                  22, 275, 10,  100, 22,  5,  10,  155, 22,  69 } },
};

// Lays the controls out for a client area of cx by cy, as the size handler does.
void SendSize(HWND hDlg, int cx, int cy)
{
    ::SendMessageA(hDlg, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cx, cy));
}

// The controls stand where the layout puts them for the dialog's present client area.
void ExpectLaidOutForClient(CManifestDlg& dlg)
{
    std::vector<int> placement = Placement(dlg);
    RECT client;
    ::GetClientRect(dlg, &client);
    SendSize(dlg, client.right, client.bottom);
    EXPECT_EQ(Placement(dlg), placement) << client.right << " by " << client.bottom;
}

TEST(DialogTest, SetsUpThenLaysOutOnEveryResizeAboveAMinimumSizeWideOrSmall)
{
    CModelessDialog<CManifestDlg> dlg;
    ASSERT_TRUE(dlg.Create());
    test::PumpMessages();
    HICON hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), ::SendMessageA(dlg, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), ::SendMessageA(dlg, WM_QUERYDRAGICON, 0, 0));
    const DWORD styles = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    EXPECT_EQ(styles,
              ::SendMessageA(dlg.GetDlgItem(IDC_PROGRAM_LIST), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                  styles);
    ExpectLaidOutForClient(dlg);

    MINMAXINFO info = {};
    ::SendMessageA(dlg, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(400, info.ptMinTrackSize.x);
    EXPECT_EQ(300, info.ptMinTrackSize.y);

    ::SetWindowPos(dlg, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    ExpectLaidOutForClient(dlg);
    // Minimizing lays out for an empty client area, so restoring must lay out again.
    ::ShowWindow(dlg, SW_MINIMIZE);
    ::ShowWindow(dlg, SW_RESTORE);
    test::PumpMessages();
    ExpectLaidOutForClient(dlg);

    for (const auto& layout : kLayouts) {
        SendSize(dlg, layout.cx, layout.cy);
        EXPECT_EQ(layout.placement, Placement(dlg)) << "client width " << layout.cx;
    }
}

// In a fresh process, where no dialog has been sized before, the user's first resize lays the
// controls out: the size handler skips the first WM_SIZE it sees, which must be the one the
// dialog procedure replays before OnInitDialog. EndToEndTest types Enter and Escape to such a
// process.
TEST(DialogProgramTest, FirstResizeLaysOut)
{
    PROCESS_INFORMATION pi = {};
    const HWND hDlg = test::StartProduct(&pi);
    EXPECT_TRUE(hDlg != nullptr) << "no dialog shown";
    if (hDlg) {
        RECT frame = { 0, 0, 800, 600 };
        ::AdjustWindowRectEx(&frame, ::GetWindowLongA(hDlg, GWL_STYLE), FALSE,
                             ::GetWindowLongA(hDlg, GWL_EXSTYLE));
        ::SetWindowPos(hDlg, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(kLayouts[0].placement, Placement(hDlg));
    }
    ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
}

// Enter reaches the dialog through the dialog manager's keyboard handling, as IDOK, and must
// leave it open; Escape, handled the same way, closes it, which shows the keys arrived.
TEST(DialogTest, EnterLeavesTheDialogOpenAndEscapeClosesIt)
{
    CModelessDialog<CManifestDlg> dlg;
    ASSERT_TRUE(dlg.Create());
    test::RouteThrough route(dlg);
    ASSERT_TRUE(test::WaitFor(
        [&] {
        ::SetForegroundWindow(dlg);
        return ::GetForegroundWindow() == dlg.m_hWnd;
        },
        5000));
    ::SetFocus(dlg.GetDlgItem(IDC_PROGRAM_LIST));

    test::PressKey(VK_RETURN);
    EXPECT_TRUE(dlg.m_hWnd && ::IsWindowVisible(dlg)) << "Enter closed the dialog";
    test::PressKey(VK_ESCAPE);
    EXPECT_EQ(nullptr, dlg.m_hWnd) << "Escape did not reach the dialog";
}

} // namespace
