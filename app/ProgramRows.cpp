// The main dialog's program list: filling its rows, switching them, listing again on F5, and the
// rows' grey drawing and tips.
#include "app/ManifestDlg.h"

#include "platform/Path.h"
#include "platform/WaitCursor.h"

#include <shellapi.h>
#include <windowsx.h>

namespace {
constexpr int kNameColumn = 1;
constexpr int kSizeColumn = 2;
// Space between the empty list's sentence and the list's edges and header.
constexpr int kEmptyTextMargin = 8;

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

int CManifestDlg::ListPrograms()
{
    ScopedFlag marking(m_bMarkingRows);
    const DWORD error = ListProgramEntries(m_strFolder, m_programs);
    FillProgramRows();
    m_lListedAt = static_cast<LONG>(::GetTickCount());
    ShowEmptyText(m_listPrograms.GetItemCount() == 0 ? DescribeEmptyListing(m_strFolder, error)
                                                     : CString());
    return error == ERROR_SUCCESS ? m_listPrograms.GetItemCount() : -1;
}

// The sentence is the list's window text too, so that screen readers read why it is empty.
void CManifestDlg::ShowEmptyText(const CString& text)
{
    if (text == m_strEmptyText)
        return;
    m_strEmptyText = text;
    m_listPrograms.SetWindowText(text);
    m_listPrograms.Invalidate();
}

void CManifestDlg::DrawEmptyText(HDC hdc) const
{
    if (m_strEmptyText.IsEmpty() || m_listPrograms.GetItemCount() != 0)
        return;
    RECT area;
    m_listPrograms.GetClientRect(&area);
    RECT header;
    if (::GetWindowRect(m_listPrograms.GetHeaderCtrl(), &header))
        area.top += header.bottom - header.top;
    ::InflateRect(&area, -kEmptyTextMargin, -kEmptyTextMargin);
    const HGDIOBJ oldFont = ::SelectObject(hdc, m_listPrograms.GetFont());
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(hdc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextA(hdc, m_strEmptyText, -1, &area, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    ::SetTextColor(hdc, oldColor);
    ::SetBkMode(hdc, oldMode);
    ::SelectObject(hdc, oldFont);
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
    // A click queued while the list was being filled was aimed at the folder shown before.
    if (IsStaleInput())
        return;
    CWaitCursor wait;
    SwitchAllPrograms(m_strFolder, m_programs, bOn);
    const int count = m_listPrograms.GetItemCount();
    for (int row = 0; row < count && row < m_programs.GetSize(); ++row)
        ShowRowMark(row);
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
    if (!entry || bOnCheckBox)
        return;
    LaunchRow(row);
}

void CManifestDlg::LaunchRow(int row)
{
    const ProgramEntry* entry = EntryOfRow(row);
    if (!entry || entry->IsUnspellable() || IsStaleInput())
        return;
    ::ShellExecuteA(m_hWnd, "open", JoinPath(m_strFolder, entry->name), nullptr, nullptr,
                    SW_SHOWNORMAL);
}

// Tab into the list and Space then switches the first program: the focus goes to a row, the
// selection stays as the user left it.
void CManifestDlg::OnSetfocusProgramList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    if (m_listPrograms.GetItemCount() > 0 && m_listPrograms.GetNextItem(-1, LVNI_FOCUSED) < 0) {
        ScopedFlag marking(m_bMarkingRows);
        m_listPrograms.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    }
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
        DrawEmptyText(draw->nmcd.hdc);
    } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const int row = static_cast<int>(draw->nmcd.dwItemSpec);
        ProgramEntry* entry = EntryOfRow(row);
        if (!entry)
            return;
        ClassifyProgram(m_strFolder, *entry);
        // Reading the manifest's bytes may find it gone or unreadable since the listing.
        if (m_listPrograms.GetCheck(row) != (entry->manifest.IsPresent() ? TRUE : FALSE))
            ShowRowMark(row);
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
