// CModelessDialog: any dialog class, created without a loop of its own, for a host that pumps
// messages itself (the tests, the benchmark).
#pragma once

#include "platform/Dialog.h"

// Destroyed by EndDialog or by the object's destructor.
template <class TDialog>
class CModelessDialog : public TDialog {
public:
    using TDialog::TDialog;
    ~CModelessDialog() override
    {
        // While the derived dialog's members still live, so its handlers can run to the end.
        if (this->m_hWnd)
            ::DestroyWindow(this->m_hWnd);
    }

    BOOL Create(CWnd* pParentWnd = nullptr)
    {
        return this->CreateDialogWindow(pParentWnd) != nullptr;
    }
    void EndDialog(int) override
    {
        if (this->m_hWnd)
            ::DestroyWindow(this->m_hWnd);
    }
};
