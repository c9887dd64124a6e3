// Subclassing, message dispatch and notification reflection for CWnd.
#include "platform/Wnd.h"

namespace {
// The procedure a window had before ours, kept with the window for the rare message that
// arrives after the object let go while another subclass still sat above ours.
constexpr const char* kSuperProperty = "CWnd.SuperProc";

LONG_PTR ProcValue(WNDPROC proc)
{
    return reinterpret_cast<LONG_PTR>(proc);
}
} // namespace

CWnd::~CWnd()
{
    UnsubclassWindow();
}

// The object is kept in the window's user data, which belongs to whoever creates the window.
// Reading it costs nothing, where under Wine a window property, and with it the common
// controls' own subclass chain, costs a round trip to the window server on every message, of
// which filling the program list sends many.
BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    auto super = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, ProcValue(&CWnd::WindowProcThunk)));
    if (!super) {
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        return FALSE;
    }
    ::SetPropA(hWnd, kSuperProperty, reinterpret_cast<HANDLE>(super));
    m_pfnSuper = super;
    m_hWnd = hWnd;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    return pParent ? SubclassWindow(::GetDlgItem(pParent->m_hWnd, nID)) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    HWND hWnd = m_hWnd;
    if (m_pfnSuper && hWnd) {
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        // Under another subclass, ours stays in the chain and passes every message on.
        if (::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == ProcValue(&CWnd::WindowProcThunk)) {
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, ProcValue(m_pfnSuper));
            ::RemovePropA(hWnd, kSuperProperty);
        }
    }
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
    return hWnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd || ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) != ProcValue(&CWnd::WindowProcThunk))
        return nullptr;
    return reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
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
    return DefaultWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_pfnSuper ? ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam)
                      : ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // Any process can send a WM_NOTIFY without a header. Nobody can read it, and the common
    // controls' own procedures would try: it ends here, taken as handled.
    if (message == WM_NOTIFY && !lParam) {
        *result = 0;
        return TRUE;
    }
    const CurrentMessage saved = m_current;
    m_current = { message, wParam, lParam };
    BOOL handled = (message == WM_NOTIFY && ReflectNotify(lParam, result)) ||
                   OnWndMsg(message, wParam, lParam, result);
    m_current = saved;
    return handled;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A handler may destroy the window, which lets go of it: keep what the default needs.
    const HWND hWnd = m_hWnd;
    const WNDPROC super = m_pfnSuper;
    LRESULT result = 0;
    if (!Dispatch(message, wParam, lParam, &result))
        result = ::CallWindowProcA(super, hWnd, message, wParam, lParam);
    return result;
}

// A control's own object sees its notifications before the parent's map does.
BOOL CWnd::ReflectNotify(LPARAM lParam, LRESULT* result)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    CWnd* child = header ? FromHandlePermanent(header->hwndFrom) : nullptr;
    return child && child != this && child->OnReflectedNotify(header, result);
}

LRESULT CALLBACK CWnd::WindowProcThunk(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!self) {
        auto super = reinterpret_cast<WNDPROC>(::GetPropA(hWnd, kSuperProperty));
        if (message == WM_NCDESTROY)
            ::RemovePropA(hWnd, kSuperProperty);
        return super ? ::CallWindowProcA(super, hWnd, message, wParam, lParam)
                     : ::DefWindowProcA(hWnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The window is going: forget it so the object never speaks to a dead handle.
        const WNDPROC super = self->m_pfnSuper;
        self->UnsubclassWindow();
        return ::CallWindowProcA(super, hWnd, message, wParam, lParam);
    }
    return self->WindowProc(message, wParam, lParam);
}
