// Dialog creation, the modal loop, the dialog procedure, data exchange and command defaults.
#include "platform/Dialog.h"

// A view of the control, not a subclass: the object's calls reach the control, while the
// control's messages, thousands while a list fills, pass no procedure of ours on the way.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (!rControl.m_hWnd)
        rControl.m_hWnd = pDX->m_pDlgWnd->GetDlgItem(nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hControl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate) {
        int length = ::GetWindowTextLengthA(hControl);
        ::GetWindowTextA(hControl, value.GetBufferSetLength(length), length + 1);
        value.ReleaseBuffer();
    } else {
        ::SetWindowTextA(hControl, value);
    }
}

BOOL RegisterControlClasses(DWORD dwClasses)
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), dwClasses };
    return ::InitCommonControlsEx(&icc);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
    // A window still open here would call into an object that is going: let go of it first.
    if (m_hWnd) {
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
    EnableOwner();
}

HWND CDialog::CreateDialogWindow(CWnd* pParentWnd)
{
    if (m_hWnd)
        return nullptr;
    CWnd* parent = pParentWnd ? pParentWnd : m_pParentWnd;
    return ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate),
                                parent ? parent->m_hWnd : nullptr, DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

// The loop the dialog manager runs for a modal dialog, with IsDialogMessage ours so that the
// dialog sees every message before it is dispatched.
INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    // The owner is disabled before the dialog exists, so that activation never passes to it.
    HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    HWND hOwner = hParent ? ::GetAncestor(hParent, GA_ROOT) : nullptr;
    m_bEndModal = false;
    m_nModalResult = 0;
    if (hOwner && ::IsWindowEnabled(hOwner)) {
        m_hWndDisabledOwner = hOwner;
        ::EnableWindow(hOwner, FALSE);
    }

    const HWND hWnd = CreateDialogWindow(nullptr);
    if (!hWnd) {
        EnableOwner();
        return -1;
    }
    if (!m_bEndModal && !::IsWindowVisible(hWnd))
        ::ShowWindow(hWnd, SW_SHOWNORMAL);

    MSG msg;
    while (!m_bEndModal && m_hWnd == hWnd) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (!got) {
            // The quit belongs to the loop around this one.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    EnableOwner();
    if (m_hWnd == hWnd)
        ::DestroyWindow(hWnd);
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    if (!m_hWnd)
        return;
    m_nModalResult = nResult;
    m_bEndModal = true;
    // As the dialog manager does: the owner is enabled before the dialog hides, so that it is
    // the window activation returns to.
    EnableOwner();
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    // The loop may be waiting in GetMessage.
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

void CDialog::EnableOwner()
{
    if (m_hWndDisabledOwner) {
        ::EnableWindow(m_hWndDisabledOwner, TRUE);
        m_hWndDisabledOwner = nullptr;
    }
}

BOOL CDialog::IsDialogMessage(MSG* pMsg)
{
    if (!m_hWnd || !pMsg)
        return FALSE;
    return PreTranslateMessage(pMsg) || ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

// The dialog manager's own processing of the message. It offers the message to the dialog
// procedure first, which lets this one pass.
LRESULT CDialog::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    m_bDefaulting = true;
    LRESULT result = ::DefDlgProcA(m_hWnd, message, wParam, lParam);
    m_bDefaulting = false;
    return result;
}

// The one place a handled message's result is given back to the dialog manager.
INT_PTR CDialog::DialogResult(HWND hWnd, UINT message, LRESULT result)
{
    switch (message) {
    // The dialog manager returns these messages' results as the dialog procedure returns them.
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return static_cast<INT_PTR>(result);
    default:
        if (::GetWindowLongPtrA(hWnd, DWLP_MSGRESULT) != result)
            ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;

        // The dialog manager sends the window's first WM_SIZE while it creates the window,
        // before the object is known. Handlers count on having seen it, so deliver it now,
        // still ahead of OnInitDialog, with the size the window was created with.
        RECT client;
        ::GetClientRect(hWnd, &client);
        LRESULT ignored = 0;
        self->Dispatch(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom), &ignored);

        return DialogResult(hWnd, message, self->OnInitDialog());
    }

    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        // The window is going: forget it so the object never speaks to a dead handle.
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    if (self->m_bDefaulting) {
        self->m_bDefaulting = false;
        return FALSE;
    }
    LRESULT result = 0;
    if (!self->Dispatch(message, wParam, lParam, &result))
        return FALSE;
    return DialogResult(hWnd, message, result);
}
