// The main dialog: data exchange, set-up, layout and window behaviour.
#include "app/ManifestDlg.h"

#include "platform/PaintDC.h"

#include <shellapi.h>
#include <windowsx.h>

namespace {
constexpr int kNameColumn = 1;
constexpr int kSizeColumn = 2;
// Tips wider than this wrap; a long file name still fits on a line.
constexpr int kTipWidth = 480;

// The first WM_SIZE arrives before the controls exist; OnInitDialog makes the first layout.
bool s_bSized = false;

// Raises a flag for one scope and restores what it was, so nested uses leave it raised.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : m_flag(flag), m_bSaved(flag) { m_flag = true; }
    ~ScopedFlag() { m_flag = m_bSaved; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
    bool m_bSaved;
};
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
    ON_NOTIFY(TTN_GETDISPINFOA, IDC_PROGRAM_LIST, OnGetdispinfoProgramList)
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

    // All drives, folders only; the empty start path selects nothing.
    if (!m_treeFolders.m_hWnd && m_treeFolders.SubclassDlgItem(IDC_FOLDER_TREE, this)) {
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

int CManifestDlg::ListPrograms()
{
    ScopedFlag marking(m_bMarkingRows);
    const DWORD error = ListProgramEntries(m_strFolder, m_programs);
    FillProgramRows();
    m_lListedAt = static_cast<LONG>(::GetTickCount());
    return error == ERROR_SUCCESS ? m_listPrograms.GetItemCount() : -1;
}

void CManifestDlg::FillProgramRows()
{
    m_tipPrograms.Pop();
    m_nTipRow = -1;
    m_listPrograms.DeleteAllItems();

    // No message is dispatched until the rows are in, so the user sees the same list either
    // way; with redrawing off the control skips laying out its scroll bar after every row.
    m_listPrograms.SetRedraw(FALSE);
    for (int i = 0; i < m_programs.GetSize(); ++i) {
        const ProgramEntry& entry = m_programs[i];
        if (m_listPrograms.InsertItem(i, "") != i)
            break;
        m_listPrograms.SetItemText(i, kNameColumn, entry.name);
        char size[32];
        wsprintfA(size, "%d KB", static_cast<int>(entry.size >> 10));
        m_listPrograms.SetItemText(i, kSizeColumn, size);
        // New rows come unchecked from the control; only the checked state needs writing.
        if (entry.manifest.IsPresent())
            m_listPrograms.SetCheck(i);
    }
    m_listPrograms.SetRedraw(TRUE);
}

void CManifestDlg::RefreshPrograms()
{
    if (m_strFolder.IsEmpty())
        return;
    const int top = m_listPrograms.GetTopIndex();
    const ProgramEntry* focused = EntryOfRow(m_listPrograms.GetNextItem(-1, LVNI_FOCUSED));
    const CString focusedName = focused ? focused->name : CString();

    ListPrograms();

    const int count = m_listPrograms.GetItemCount();
    if (count == 0)
        return;
    // Scrolling the old bottom row into view from the top brings the old top row back to the top.
    const int bottom = top + m_listPrograms.GetCountPerPage() - 1;
    m_listPrograms.EnsureVisible(bottom < count ? bottom : count - 1, FALSE);
    for (int row = 0; row < count; ++row) {
        if (m_programs[row].name == focusedName) {
            const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
            ScopedFlag marking(m_bMarkingRows);
            m_listPrograms.SetItemState(row, state, state);
            break;
        }
    }
}

ProgramEntry* CManifestDlg::EntryOfRow(int row)
{
    return row >= 0 && row < m_programs.GetSize() && row < m_listPrograms.GetItemCount()
               ? &m_programs[row]
               : nullptr;
}

void CManifestDlg::ShowRowMark(int row)
{
    ScopedFlag marking(m_bMarkingRows);
    m_listPrograms.SetCheck(row, m_programs[row].manifest.IsPresent());
}

void CManifestDlg::SwitchRow(int row, BOOL bOn)
{
    ProgramEntry& entry = m_programs[row];
    SwitchProgram(m_strFolder, entry, bOn);
    ShowRowMark(row);
    // Where names differ only in case, two rows may name one manifest as the file system
    // resolves it: the other rows' marks may have changed with this one.
    for (int other = 0; other < m_listPrograms.GetItemCount(); ++other) {
        if (other != row && ShareManifest(m_programs[other], entry)) {
            ReprobeProgram(m_strFolder, m_programs[other]);
            ShowRowMark(other);
        }
    }
    m_tipPrograms.Pop();
}

void CManifestDlg::SwitchPrograms(BOOL bOn)
{
    const int count = m_listPrograms.GetItemCount();
    for (int row = 0; row < count && row < m_programs.GetSize(); ++row) {
        SwitchProgram(m_strFolder, m_programs[row], bOn);
        ShowRowMark(row);
    }
    // A row switched later may have changed the manifest of an earlier row it shares one with.
    CArray<int> shared;
    FindSharedManifests(m_programs, shared);
    for (int i = 0; i < shared.GetSize(); ++i) {
        if (shared[i] < count) {
            ReprobeProgram(m_strFolder, m_programs[shared[i]]);
            ShowRowMark(shared[i]);
        }
    }
    m_tipPrograms.Pop();
    m_lListedAt = static_cast<LONG>(::GetTickCount());
}

void CManifestDlg::OnAllOn()
{
    SwitchPrograms(TRUE);
}

void CManifestDlg::OnAllOff()
{
    SwitchPrograms(FALSE);
}

bool CManifestDlg::IsStaleInput() const
{
    return ::GetMessageTime() - m_lListedAt < 0;
}

// Acts on the row the notification names, so a box toggled with the space bar switches its own
// program wherever the pointer rests; selection and focus changes touch no file.
void CManifestDlg::OnItemchangedProgramList(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (m_bMarkingRows)
        return;
    BOOL bChecked = FALSE;
    const int row = CListCtrl::CheckToggled(*reinterpret_cast<const NMLISTVIEW*>(pNMHDR),
                                            &bChecked);
    if (!EntryOfRow(row))
        return;
    // A click or key press queued while the list was being filled was aimed at rows the user
    // never saw: it switches nothing, and the box goes back to what the disk says.
    if (IsStaleInput())
        ShowRowMark(row);
    else
        SwitchRow(row, bChecked);
}

// A double-click names no row of its own: the row is the one under the pointer. One on the check
// box is two quick toggles, not a wish to start the program.
void CManifestDlg::OnDblclkProgramList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    UINT flags = 0;
    const int row = m_listPrograms.HitTestMessagePos(&flags);
    const ProgramEntry* entry = EntryOfRow(row);
    // With full-row selection a hit off the box reports every part of the item at once.
    const bool bOnCheckBox = (flags & LVHT_ONITEM) == LVHT_ONITEMSTATEICON;
    if (!entry || bOnCheckBox || IsStaleInput())
        return;
    ::ShellExecuteA(m_hWnd, "open", ProgramPath(m_strFolder, entry->name), nullptr, nullptr,
                    SW_SHOWNORMAL);
}

// Programs that ignore their side file, and names that cannot be switched, are drawn grey. A row
// is classified when it is first drawn, so listing a large folder reads only the visible programs.
void CManifestDlg::OnCustomdrawProgramList(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
    } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        ProgramEntry* entry = EntryOfRow(static_cast<int>(draw->nmcd.dwItemSpec));
        if (!entry)
            return;
        ClassifyProgram(m_strFolder, *entry);
        if (entry->IgnoresSideFile() || entry->IsUnspellable())
            draw->clrText = ::GetSysColor(COLOR_GRAYTEXT);
    }
}

// The tip of the row under the pointer, asked for each time the tip shows.
void CManifestDlg::OnGetdispinfoProgramList(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
    POINT point;
    ::GetCursorPos(&point);
    m_listPrograms.ScreenToClient(&point);
    ProgramEntry* entry = EntryOfRow(m_listPrograms.HitTest(point));
    m_strTip.Empty();
    if (entry) {
        ClassifyProgram(m_strFolder, *entry);
        m_strTip = DescribeProgram(*entry);
    }
    // The text is longer than the notification's own buffer holds: point at ours.
    info->lpszText = const_cast<char*>(m_strTip.GetString());
    info->hinst = nullptr;
}

BOOL CManifestDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F5 &&
        (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        RefreshPrograms();
        return TRUE;
    }
    if (pMsg->hwnd == m_listPrograms.m_hWnd && CToolTipCtrl::IsMouseMessage(pMsg->message))
        TrackTipRow(*pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

// One tool covers the whole list, so the tooltip itself cannot tell one row from the next: when
// the pointer reaches another row, the shown tip goes and the next one asks for its own text.
void CManifestDlg::TrackTipRow(const MSG& msg)
{
    if (msg.message == WM_MOUSEMOVE) {
        POINT point = { GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam) };
        const int row = m_listPrograms.HitTest(point);
        if (row != m_nTipRow) {
            m_nTipRow = row;
            m_tipPrograms.Pop();
        }
    }
    MSG relayed = msg;
    m_tipPrograms.RelayEvent(&relayed);
}

void CManifestDlg::OnSelchangedFolderTree(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* change = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    CString folder = m_treeFolders.GetFullPath(change->itemNew.hItem);
    if (!folder.EndsWith('\\'))
        folder += '\\';
    m_strFolder = folder;
    UpdateData(FALSE);
    ListPrograms();
    *pResult = 0;
}
