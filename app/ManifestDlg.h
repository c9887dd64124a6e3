// CManifestDlg: the main dialog, with the folder tree, the program list and their commands.
#pragma once

#include "folders/FolderTreeCtrl.h"
#include "platform/Dialog.h"
#include "platform/ListCtrl.h"
#include "platform/ToolTipCtrl.h"
#include "programs/ProgramList.h"
#include "res/resource.h"

class CManifestDlg : public CDialog {
public:
    explicit CManifestDlg(CWnd* pParent = nullptr);
    ~CManifestDlg() override;

    enum { IDD = IDD_MAIN_DIALOG };

    // Places the five controls for a client area of cx by cy pixels.
    void LayoutControls(int cx, int cy);

    // Lists the programs of m_strFolder; returns the number of rows, or -1 if the folder could
    // not be read to its end.
    int ListPrograms();
    // Lists the current folder again, keeping the selected row and the scroll position (F5).
    void RefreshPrograms();

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
    void OnCustomdrawProgramList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnGetdispinfoProgramList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSetfocusProgramList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelchangedFolderTree(NMHDR* pNMHDR, LRESULT* pResult);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    DECLARE_MESSAGE_MAP()

private:
    void FillProgramRows();
    void SwitchPrograms(BOOL bOn);
    void SwitchRow(int row, BOOL bOn);
    void LaunchRow(int row);
    // Shows why the list is empty, or nothing for an empty text.
    void ShowEmptyText(const CString& text);
    void DrawEmptyText(HDC hdc) const;
    // Shows in the row's mark what its manifest probe found.
    void ShowRowMark(int row);
    ProgramEntry* EntryOfRow(int row);
    // Whether the input being handled was made before the list last changed under it, onto
    // rows the user had not seen yet.
    bool IsStaleInput() const;
    void TrackTipRow(const MSG& msg);

    // One entry per row, in row order: what the rows show and what their tooltips say.
    CArray<ProgramEntry> m_programs;
    CToolTipCtrl m_tipPrograms;
    CString m_strTip;       // the shown tip's text, kept while the tooltip reads it
    CString m_strEmptyText; // why the list has no rows, drawn in its empty area
    int m_nTipRow = -1;     // the row under the pointer as the tooltip last saw it
    LONG m_lListedAt = 0;   // message time at the end of the latest listing or All ON/OFF
    // Set while the dialog itself fills or marks rows, so that the list's notifications about
    // those changes touch no file.
    bool m_bMarkingRows = false;
};
