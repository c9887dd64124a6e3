// The tests' and the benchmark's host window.
#include "support/HostWindow.h"

#include <commctrl.h>

namespace test {

CHostWindow::CHostWindow(int width, int height)
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES };
    ::InitCommonControlsEx(&icc);
    SubclassWindow(::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, width, height,
                                     nullptr, nullptr, nullptr, nullptr));
}

CHostWindow::~CHostWindow()
{
    ::DestroyWindow(m_hWnd);
}

HWND CHostWindow::AddControl(CWnd& control, const char* className, DWORD style, int width,
                             int height, int id)
{
    HWND hControl = ::CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, width,
                                      height, m_hWnd, reinterpret_cast<HMENU>(INT_PTR(id)), nullptr,
                                      nullptr);
    control.SubclassWindow(hControl);
    return hControl;
}

} // namespace test
