// CManifestDlg: the main dialog, with the folder tree, the program list and their commands.
#pragma once

#include "folders/FolderTreeCtrl.h"
#include "platform/Dialog.h"
#include "platform/ListCtrl.h"
#include "res/resource.h"

class CManifestDlg : public CDialog {
public:
    explicit CManifestDlg(CWnd* pParent = nullptr);
    ~CManifestDlg() override;

    enum { IDD = IDD_MAIN_DIALOG };

    // Places the five controls for a client area of cx by cy pixels.
    void LayoutControls(int cx, int cy);

    // Lists the programs of m_strFolder; returns the number of rows.
    int ListPrograms();

    CEdit m_wndFolderPath;
    CButton m_btnAllOff;
    CButton m_btnAllOn;
    CListCtrl m_listPrograms;
    CFolderTreeCtrl m_treeFolders;
    CString m_strFolder;

protected:
    HICON m_hIcon;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);

    void OnAllOn();
    void OnAllOff();
    void OnItemchangedProgramList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblclkProgramList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelchangedFolderTree(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // Set while the dialog itself fills or marks rows, so that the list's notifications about
    // those changes touch no file.
    bool m_bMarkingRows = false;
};
