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

private:
    CEdit m_wndFolderPath;
    CButton m_btnAllOff;
    CButton m_btnAllOn;
    CListCtrl m_listPrograms;
    CFolderTreeCtrl m_treeFolders;
    CString m_strFolder;
    HICON m_hIcon;

protected:
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
    void OnKillfocusProgramList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelchangedFolderTree(NMHDR* pNMHDR, LRESULT* pResult);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    DECLARE_MESSAGE_MAP()

private:
    // Places the five controls for a client area of cx by cy pixels.
    void LayoutControls(int cx, int cy);
    // Lists the programs of m_strFolder, none where it is empty.
    void ListPrograms();
    // Lists the current folder again, keeping the focused row and the scroll position (F5).
    void RefreshPrograms();
    void SwitchAll(bool bOn);
    void LaunchRow(int row);
    // Whether the input being handled was made before the list last changed under it, onto
    // rows the user had not seen yet.
    bool IsStaleInput() const;

    // The rows, in ProgramRows.cpp: they show m_programs and nothing else.
    void FillProgramRows();
    // Shows the row's mark as m_programs has it, and its tip afresh.
    void ShowRow(int row);
    void ShowRows(const CArray<int>& rows);
    // Sets a row's state as the dialog's own change, which switches no file.
    void SetRowState(int row, UINT state, UINT mask);
    // Whether a row of the list stands for one of m_programs.
    bool IsProgramRow(int row) const;
    // Why the list is empty (its window text too), or its name while it has rows.
    void ShowEmptyText(const CString& text);
    void TrackTipRow(const MSG& msg);
    // Hides the tip and empties it, until the pointer next moves onto a row.
    void ForgetTip();
    // Shows the row's tip beside it, for a user at the keyboard; hides it where the row has
    // nothing to say.
    void ShowKeyTip(int row);
    void HideKeyTip();
    // After a command on the focused row: its reason at once, where the command did not take.
    void ShowFailureOfFocusedRow();

    CProgramList m_programs;
    CToolTipCtrl m_tipPrograms; // the pointer's: follows the row under it
    CToolTipCtrl m_tipKeys;     // the keyboard's: beside the focused row
    CString m_strEmptyText;     // why the list has no rows, drawn in its empty area
    int m_nTipRow = -1;         // the row whose tip the pointer's tooltip holds
    int m_nKeyTipRow = -1;      // the row whose tip shows beside it, or -1
    bool m_bKeyInput = false;   // the message being handled is a key press
    DWORD m_dwLastMousePos = 0; // where the pointer was at the last mouse message
    LONG m_lListedAt = 0;       // message time at the end of the latest listing or All ON/OFF
    // Set while the dialog itself fills or marks rows, so that the list's notifications about
    // those changes touch no file.
    bool m_bMarkingRows = false;
};
