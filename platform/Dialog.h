// CDialog: a dialog from a template, run modally in a loop of its own, with its data exchange
// and the default Enter/Escape commands.
#pragma once

#include "platform/Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }
    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Binds a control object to the dialog's control with that id (once), as a view of it: a control
// whose object handles messages of its own is subclassed instead (CWnd::SubclassDlgItem).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

// Registers the common control classes (ICC_ flags) that a dialog template names.
BOOL RegisterControlClasses(DWORD dwClasses);

// The dialog window is not subclassed: its dialog procedure finds the object in DWLP_USER and
// offers each message to the map; a handled message's result goes into DWLP_MSGRESULT.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog in a loop of its own: GetMessage, IsDialogMessage, Translate and Dispatch.
    // The owner is disabled meanwhile. Returns EndDialog's value, -1 if the dialog could not
    // start, 0 if it ended otherwise (WM_QUIT, which is posted again, or its window destroyed).
    virtual INT_PTR DoModal();
    // Ends the loop after the present message; the window goes when the loop has ended.
    virtual void EndDialog(int nResult);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual BOOL OnInitDialog();

    // Offers a message taken from the queue to the dialog before dispatch: PreTranslateMessage
    // first, then the dialog manager's keyboard handling (::IsDialogMessageA). TRUE if used.
    BOOL IsDialogMessage(MSG* pMsg);

protected:
    // Sees every message of the dialog's loop first; TRUE keeps it from being dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel();

    // Creates the dialog's window, owned by pParentWnd (or the constructor's parent); null if
    // it could not be created.
    HWND CreateDialogWindow(CWnd* pParentWnd);
    LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR DialogResult(HWND hWnd, UINT message, LRESULT result);
    void EnableOwner();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    // Set while Default() hands the present message to the dialog manager, which offers it to
    // the dialog procedure once more before its own processing.
    bool m_bDefaulting = false;
    bool m_bEndModal = false;
    INT_PTR m_nModalResult = 0;
    HWND m_hWndDisabledOwner = nullptr;
};
