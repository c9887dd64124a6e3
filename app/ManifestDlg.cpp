// The main dialog: data exchange, set-up, layout, window behaviour, and the handlers of the tree
// and the program list, which leave the rules to m_programs.
#include "app/ManifestDlg.h"

#include "platform/PaintDC.h"
#include "platform/Path.h"
#include "platform/ResourceText.h"
#include "platform/WaitCursor.h"

namespace {
// Tips wider than this wrap; a long file name still fits on a line.
constexpr int kTipWidth = 480;

// The first WM_SIZE arrives before the controls exist; OnInitDialog makes the first layout.
bool s_bSized = false;
} // namespace

CManifestDlg::CManifestDlg(CWnd* pParent) : CDialog(IDD, pParent)
{
    RegisterControlClasses(ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES);
    m_strFolder = "";
    m_hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

// m_hIcon is a shared resource icon: it is not destroyed.
CManifestDlg::~CManifestDlg() = default;

void CManifestDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FOLDER_PATH, m_wndFolderPath);
    DDX_Control(pDX, IDC_ALL_OFF, m_btnAllOff);
    DDX_Control(pDX, IDC_ALL_ON, m_btnAllOn);
    DDX_Control(pDX, IDC_PROGRAM_LIST, m_listPrograms);
    DDX_Text(pDX, IDC_FOLDER_PATH, m_strFolder);
}

BEGIN_MESSAGE_MAP(CManifestDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_NOTIFY(NM_DBLCLK, IDC_PROGRAM_LIST, OnDblclkProgramList)
    ON_BN_CLICKED(IDC_ALL_ON, OnAllOn)
    ON_BN_CLICKED(IDC_ALL_OFF, OnAllOff)
    ON_NOTIFY(TVN_SELCHANGED, IDC_FOLDER_TREE, OnSelchangedFolderTree)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_PROGRAM_LIST, OnItemchangedProgramList)
    ON_NOTIFY(NM_CUSTOMDRAW, IDC_PROGRAM_LIST, OnCustomdrawProgramList)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_PROGRAM_LIST, OnGetdispinfoProgramList)
    ON_NOTIFY(NM_SETFOCUS, IDC_PROGRAM_LIST, OnSetfocusProgramList)
    ON_NOTIFY(NM_KILLFOCUS, IDC_PROGRAM_LIST, OnKillfocusProgramList)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
END_MESSAGE_MAP()

BOOL CManifestDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);

    m_listPrograms.SetExtendedStyle(m_listPrograms.GetExtendedStyle() | LVS_EX_GRIDLINES |
                                    LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    m_listPrograms.InsertColumn(0, "", LVCFMT_LEFT, 22);
    m_listPrograms.InsertColumn(1, "Name", LVCFMT_LEFT, 180);
    m_listPrograms.InsertColumn(2, "Size", LVCFMT_RIGHT, 80);
    // The list control's own info tips are missing under Wine; this tooltip works everywhere.
    if (m_tipPrograms.Create(m_hWnd)) {
        m_tipPrograms.AddWindowTool(m_hWnd, m_listPrograms);
        m_tipPrograms.SetMaxTipWidth(kTipWidth);
    }
    if (m_tipKeys.Create(m_hWnd)) {
        m_tipKeys.AddTrackTool(m_hWnd);
        m_tipKeys.SetMaxTipWidth(kTipWidth);
    }
    // Screen readers name a control by its window text.
    ShowEmptyText(CString());

    // All drives, folders only; the empty start path selects nothing.
    if (!m_treeFolders.m_hWnd && m_treeFolders.SubclassDlgItem(IDC_FOLDER_TREE, this)) {
        m_treeFolders.SetWindowText(LoadText(IDS_FOLDERS));
        m_treeFolders.DisplayTree(nullptr, FALSE);
        m_treeFolders.SetSelPath("");
    }

    RECT client;
    GetClientRect(&client);
    LayoutControls(client.right, client.bottom);
    return TRUE;
}

// Enter must neither close the dialog nor exchange data.
void CManifestDlg::OnOK() {}

void CManifestDlg::OnCancel()
{
    CDialog::OnCancel();
}

void CManifestDlg::LayoutControls(int cx, int cy)
{
    const int half = cx / 2;
    const int height = cy - 50;
    ::MoveWindow(GetDlgItem(IDC_FOLDER_TREE), 10, 40, half - 15, height, TRUE);
    ::MoveWindow(GetDlgItem(IDC_PROGRAM_LIST), half + 5, 40, half - 15, height, TRUE);
    ::MoveWindow(GetDlgItem(IDC_ALL_ON), cx - 220, 10, 100, 22, TRUE);
    ::MoveWindow(GetDlgItem(IDC_ALL_OFF), cx - 110, 10, 100, 22, TRUE);
    ::MoveWindow(GetDlgItem(IDC_FOLDER_PATH), 5, 10, cx - 230, 22, TRUE);

    // The check box column (22) and the size column (80) keep their widths; the name column
    // takes the rest of the list less a vertical scroll bar and the borders.
    m_listPrograms.SetColumnWidth(1, half - ::GetSystemMetrics(SM_CXVSCROLL) - 123);
}

void CManifestDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }

    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CManifestDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CManifestDlg::OnSize(UINT, int cx, int cy)
{
    Default();
    if (s_bSized)
        LayoutControls(cx, cy);
    else
        s_bSized = true;
}

void CManifestDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    lpMMI->ptMinTrackSize.x = 400;
    lpMMI->ptMinTrackSize.y = 300;
    Default();
}

// The selection goes when the tree loses the folder shown (its drive gone, say): then no folder
// is chosen, and the path field and the list are emptied rather than left on a folder the user
// never chose.
void CManifestDlg::OnSelchangedFolderTree(NMHDR* pNMHDR, LRESULT* pResult)
{
    const HTREEITEM hItem = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR)->itemNew.hItem;
    m_strFolder = hItem ? WithBackslash(m_treeFolders.GetFullPath(hItem)) : CString();
    UpdateData(FALSE);
    ListPrograms();
    *pResult = 0;
}

void CManifestDlg::ListPrograms()
{
    m_programs.List(m_strFolder);
    FillProgramRows();
    m_lListedAt = static_cast<LONG>(::GetTickCount());
    ShowEmptyText(m_programs.DescribeEmpty());
}

void CManifestDlg::RefreshPrograms()
{
    if (m_strFolder.IsEmpty())
        return;
    const int top = m_listPrograms.GetTopIndex();
    const int focused = m_listPrograms.GetNextItem(-1, LVNI_FOCUSED);
    const CString focusedName = IsProgramRow(focused) ? m_programs.GetName(focused) : CString();

    ListPrograms();

    const int count = m_listPrograms.GetItemCount();
    if (count == 0)
        return;
    // Scrolling the old bottom row into view from the top brings the old top row back to the top.
    const int bottom = top + m_listPrograms.GetCountPerPage() - 1;
    m_listPrograms.EnsureVisible(bottom < count ? bottom : count - 1, FALSE);
    const int row = m_programs.FindName(focusedName);
    if (IsProgramRow(row))
        SetRowState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CManifestDlg::SwitchAll(bool bOn)
{
    // A click queued while the list was being filled was aimed at the folder shown before.
    if (IsStaleInput())
        return;
    CWaitCursor wait;
    CArray<int> changed;
    m_programs.SwitchAll(bOn, changed);
    ShowRows(changed);
    m_lListedAt = static_cast<LONG>(::GetTickCount());
    ShowFailureOfFocusedRow();
}

void CManifestDlg::OnAllOn()
{
    SwitchAll(true);
}

void CManifestDlg::OnAllOff()
{
    SwitchAll(false);
}

bool CManifestDlg::IsStaleInput() const
{
    return ::GetMessageTime() - m_lListedAt < 0;
}

// Acts on the row the notification names, so a box toggled with the space bar switches its own
// program wherever the pointer rests; selection changes touch no file, and a focus moved by the
// keyboard shows the row's tip beside it.
void CManifestDlg::OnItemchangedProgramList(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (m_bMarkingRows)
        return;
    const auto& change = *reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    BOOL bChecked = FALSE;
    const int row = CListCtrl::CheckToggled(change, &bChecked);
    if (!IsProgramRow(row)) {
        if (m_bKeyInput && CListCtrl::FocusArrived(change))
            ShowKeyTip(change.iItem);
        return;
    }
    // A click or key press queued while the list was being filled was aimed at rows the user
    // never saw: it switches nothing, and the box goes back to what the disk says.
    if (IsStaleInput()) {
        ShowRow(row);
        return;
    }
    CArray<int> changed;
    m_programs.Switch(row, bChecked != FALSE, changed);
    ShowRows(changed);
    ShowFailureOfFocusedRow();
}

// A double-click names no row of its own: the row is the one under the pointer. One on the check
// box is two quick toggles, not a wish to start the program.
void CManifestDlg::OnDblclkProgramList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    UINT flags = 0;
    const int row = m_listPrograms.HitTestMessagePos(&flags);
    // With full-row selection a hit off the box reports every part of the item at once.
    if ((flags & LVHT_ONITEM) != LVHT_ONITEMSTATEICON)
        LaunchRow(row);
}

void CManifestDlg::LaunchRow(int row)
{
    if (!IsProgramRow(row) || IsStaleInput())
        return;
    if (!m_programs.Start(row, m_hWnd)) {
        ShowRow(row);
        if (row != m_nKeyTipRow)
            ShowKeyTip(row);
    }
}

// Tab into the list and Space then switches the first program: the focus goes to a row, the
// selection stays as the user left it. Coming back into the list keeps the row the user had.
void CManifestDlg::OnSetfocusProgramList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    if (m_listPrograms.GetItemCount() > 0 && m_listPrograms.GetNextItem(-1, LVNI_FOCUSED) < 0)
        SetRowState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    if (m_bKeyInput)
        ShowKeyTip(m_listPrograms.GetNextItem(-1, LVNI_FOCUSED));
}

void CManifestDlg::OnKillfocusProgramList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    HideKeyTip();
}

// Programs that ignore their side file, and names that cannot be switched, are drawn grey. A row
// is classified when it is first drawn, so listing a large folder reads only the visible programs.
void CManifestDlg::OnCustomdrawProgramList(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    } else if (draw->nmcd.dwDrawStage == CDDS_POSTPAINT) {
        if (m_listPrograms.GetItemCount() == 0)
            m_listPrograms.DrawEmptyText(draw->nmcd.hdc, m_strEmptyText);
    } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const int row = static_cast<int>(draw->nmcd.dwItemSpec);
        if (!IsProgramRow(row))
            return;
        // Reading the manifest's bytes may find it gone or unreadable since the listing.
        if (m_programs.Classify(row))
            ShowRow(row);
        if (m_programs.IsGrey(row))
            draw->clrText = ::GetSysColor(COLOR_GRAYTEXT);
    }
}

BOOL CManifestDlg::PreTranslateMessage(MSG* pMsg)
{
    // Whatever the list raises while this message is handled was caused by a key or not.
    m_bKeyInput = pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN;
    if (m_bKeyInput && pMsg->hwnd != m_listPrograms.m_hWnd)
        HideKeyTip();
    if (CToolTipCtrl::IsMouseMessage(pMsg->message)) {
        // A tip beside the focused row gives way to the pointer once it moves or clicks.
        const DWORD pos = ::GetMessagePos();
        if (pMsg->message != WM_MOUSEMOVE || pos != m_dwLastMousePos)
            HideKeyTip();
        m_dwLastMousePos = pos;
    }

    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F5 &&
        (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        // The tree first: where the shown folder is gone its selection moves, which lists the
        // folder selected instead.
        const CString shown = m_strFolder;
        m_treeFolders.RefreshTree();
        if (m_strFolder == shown)
            RefreshPrograms();
        return TRUE;
    }
    // Enter on a row starts its program; elsewhere it keeps doing nothing.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN &&
        pMsg->hwnd == m_listPrograms.m_hWnd) {
        LaunchRow(m_listPrograms.GetNextItem(-1, LVNI_FOCUSED));
        return TRUE;
    }
    if (pMsg->hwnd == m_listPrograms.m_hWnd && CToolTipCtrl::IsMouseMessage(pMsg->message))
        TrackTipRow(*pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}
