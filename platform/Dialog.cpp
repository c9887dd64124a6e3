// Dialog creation, data exchange and command defaults of CDialog.
#include "platform/Dialog.h"

#include "platform/WinApp.h"

namespace {

// The dialog's controls are registered by the layer, not by each application.
void RegisterControlClasses()
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES };
    ::InitCommonControlsEx(&icc);
}

} // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (!rControl.m_hWnd)
        rControl.SubclassWindow(pDX->m_pDlgWnd->GetDlgItem(nIDC));
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
    if (m_hWnd && !m_bModal)
        ::DestroyWindow(m_hWnd);
}

HWND CDialog::ParentHandle(CWnd* pParentWnd) const
{
    return pParentWnd ? pParentWnd->m_hWnd : nullptr;
}

INT_PTR CDialog::DoModal()
{
    RegisterControlClasses();
    m_bModal = true;
    INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate),
                                       ParentHandle(m_pParentWnd), DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return result;
}

BOOL CDialog::Create(CWnd* pParentWnd)
{
    RegisterControlClasses();
    m_bModal = false;
    HWND hWnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate),
                                     ParentHandle(pParentWnd ? pParentWnd : m_pParentWnd),
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal)
        ::EndDialog(m_hWnd, nResult);
    else
        ::DestroyWindow(m_hWnd);
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

// Commands the dialog leaves alone go on to the application object.
BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CWnd::OnWndMsg(message, wParam, lParam, result))
        return TRUE;
    CWinApp* app = CWinApp::GetApp();
    return message == WM_COMMAND && app && app->OnWndMsg(message, wParam, lParam, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    // Every other message reaches the object through its subclass, before this procedure.
    if (message != WM_INITDIALOG)
        return FALSE;

    auto* self = reinterpret_cast<CDialog*>(lParam);
    if (!self->SubclassWindow(hWnd))
        return TRUE;

    // The dialog manager sends the window's first WM_SIZE while it creates the window, before
    // anything can route it here. Handlers count on having seen it, so deliver it now, still
    // ahead of OnInitDialog, with the size the window was created with.
    RECT client;
    ::GetClientRect(hWnd, &client);
    self->WindowProc(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));

    return self->OnInitDialog();
}
