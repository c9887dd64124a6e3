// The main dialog: data exchange, set-up, layout, window behaviour and the choice of a folder.
#include "app/ManifestDlg.h"

#include "platform/PaintDC.h"
#include "platform/Path.h"

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
    ON_NOTIFY(TTN_GETDISPINFOA, IDC_PROGRAM_LIST, OnGetdispinfoProgramList)
    ON_NOTIFY(NM_SETFOCUS, IDC_PROGRAM_LIST, OnSetfocusProgramList)
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

void CManifestDlg::OnSelchangedFolderTree(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* change = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    m_strFolder = WithBackslash(m_treeFolders.GetFullPath(change->itemNew.hItem));
    UpdateData(FALSE);
    ListPrograms();
    *pResult = 0;
}
