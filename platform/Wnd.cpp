// Subclassing, message dispatch and notification reflection for CWnd.
#include "platform/Wnd.h"

namespace {
constexpr UINT_PTR kSubclassId = 1;
// Finds the object of a subclassed window; the subclass data itself cannot be read back
// on every platform version.
constexpr const char* kObjectProperty = "Veneerkit.CWnd";
} // namespace

CWnd::~CWnd()
{
    UnsubclassWindow();
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd)
        return FALSE;
    if (!::SetWindowSubclass(hWnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return FALSE;
    ::SetPropA(hWnd, kObjectProperty, this);
    m_hWnd = hWnd;
    m_bSubclassed = true;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    return pParent ? SubclassWindow(::GetDlgItem(pParent->m_hWnd, nID)) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    HWND hWnd = m_hWnd;
    if (m_bSubclassed && hWnd) {
        ::RemoveWindowSubclass(hWnd, SubclassProc, kSubclassId);
        ::RemovePropA(hWnd, kObjectProperty);
    }
    m_bSubclassed = false;
    m_hWnd = nullptr;
    return hWnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? static_cast<CWnd*>(::GetPropA(hWnd, kObjectProperty)) : nullptr;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd) const
{
    DWORD style = GetStyle();
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
    return TRUE;
}

CString CWnd::GetWindowText() const
{
    CString text;
    int length = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, text.GetBufferSetLength(length), length + 1);
    text.ReleaseBuffer();
    return text;
}

LRESULT CWnd::Default()
{
    return ::DefSubclassProc(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    CurrentMessage saved = m_current;
    m_current = { message, wParam, lParam };

    LRESULT result = 0;
    bool handled = (message == WM_NOTIFY && ReflectNotify(lParam, &result)) ||
                   OnWndMsg(message, wParam, lParam, &result);
    if (!handled)
        result = ::DefSubclassProc(m_hWnd, message, wParam, lParam);

    m_current = saved;
    return result;
}

// A control's own object sees its notifications before the parent's map does.
BOOL CWnd::ReflectNotify(LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    CWnd* child = header ? FromHandlePermanent(header->hwndFrom) : nullptr;
    return child && child != this && child->OnWndMsg(WM_REFLECTED_NOTIFY, 0, lParam, result);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR refData)
{
    auto* self = reinterpret_cast<CWnd*>(refData);
    if (message == WM_NCDESTROY) {
        // The window is going: forget it so the object never speaks to a dead handle.
        LRESULT result = ::DefSubclassProc(hWnd, message, wParam, lParam);
        self->UnsubclassWindow();
        return result;
    }
    return self->WindowProc(message, wParam, lParam);
}
