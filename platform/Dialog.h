// CDialog: a dialog from a template, its data exchange, and the default Enter/Escape commands.
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

// Binds a control object to the dialog's control with that id (once).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 if it could not start.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (it ends by being destroyed); FALSE if it could not.
    BOOL Create(CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual BOOL OnInitDialog();

protected:
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel();

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND ParentHandle(CWnd* pParentWnd) const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    bool m_bModal = false;
};
