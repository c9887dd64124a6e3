// The main dialog's program rows: they show m_programs, its marks, its empty sentence and its
// tips, and change only where m_programs says.
#include "app/ManifestDlg.h"

#include "platform/ResourceText.h"

#include <windowsx.h>

namespace {
constexpr int kNameColumn = 1;
constexpr int kSizeColumn = 2;

// "12345 KB" for a size in bytes, from both halves: 5 GiB shows 5242880 KB.
void FormatKilobytes(ULONGLONG bytes, char (&text)[32])
{
    char digits[24];
    int count = 0;
    ULONGLONG kilobytes = bytes >> 10;
    do {
        digits[count++] = static_cast<char>('0' + kilobytes % 10);
        kilobytes /= 10;
    } while (kilobytes != 0);
    int length = 0;
    while (count > 0)
        text[length++] = digits[--count];
    lstrcpyA(text + length, " KB");
}

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

void CManifestDlg::FillProgramRows()
{
    ScopedFlag marking(m_bMarkingRows);
    ForgetTip();
    HideKeyTip();
    m_listPrograms.DeleteAllItems();

    // No message is dispatched until the rows are in, so the user sees the same list either
    // way; with redrawing off the control skips laying out its scroll bar after every row.
    m_listPrograms.SetRedraw(FALSE);
    // The name and the size are asked for as a row is drawn (OnGetdispinfoProgramList), so a
    // row costs the control no copies of text it may never show. The control asks for a column
    // a row was never given a text, on Windows as under Wine: the first row shows whether this
    // one does, and only where it does not is each row's text set to be asked for.
    bool bAsksUnset = false;
    for (int i = 0; i < m_programs.GetCount(); ++i) {
        if (m_listPrograms.InsertItem(i) != i)
            break;
        if (i == 0)
            bAsksUnset = !m_listPrograms.GetItemText(0, kNameColumn).IsEmpty();
        if (!bAsksUnset) {
            m_listPrograms.SetItemText(i, kNameColumn, LPSTR_TEXTCALLBACKA);
            m_listPrograms.SetItemText(i, kSizeColumn, LPSTR_TEXTCALLBACKA);
        }
        // A new row's box is empty whatever the insert asks for, on Windows as under Wine.
        if (m_programs.IsChecked(i))
            m_listPrograms.SetCheck(i);
    }
    m_listPrograms.SetRedraw(TRUE);
}

void CManifestDlg::OnGetdispinfoProgramList(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0 ||
        !m_programs.IsRow(item.iItem))
        return;
    char size[32] = "";
    if (item.iSubItem == kSizeColumn)
        FormatKilobytes(m_programs.GetSize(item.iItem), size);
    const char* text = item.iSubItem == kNameColumn ? m_programs.GetName(item.iItem).GetString()
                                                    : size;
    ::lstrcpynA(item.pszText, text, item.cchTextMax);
}

bool CManifestDlg::IsProgramRow(int row) const
{
    return m_programs.IsRow(row) && row < m_listPrograms.GetItemCount();
}

void CManifestDlg::ShowRow(int row)
{
    if (!IsProgramRow(row))
        return;
    ScopedFlag marking(m_bMarkingRows);
    m_listPrograms.SetCheck(row, m_programs.IsChecked(row));
    // The tip under the pointer goes; the next move brings it back with its new text. The one
    // beside the focused row says what the row says now.
    if (row == m_nTipRow)
        ForgetTip();
    if (row == m_nKeyTipRow)
        ShowKeyTip(row);
}

void CManifestDlg::ShowRows(const CArray<int>& rows)
{
    for (int i = 0; i < rows.GetSize(); ++i)
        ShowRow(rows[i]);
}

void CManifestDlg::SetRowState(int row, UINT state, UINT mask)
{
    ScopedFlag marking(m_bMarkingRows);
    m_listPrograms.SetItemState(row, state, mask);
}

// The sentence is the list's window text too, so that screen readers read why it is empty; a
// list with rows is named for what it holds.
void CManifestDlg::ShowEmptyText(const CString& text)
{
    m_strEmptyText = text;
    m_listPrograms.SetWindowText(text.IsEmpty() ? LoadText(IDS_PROGRAMS) : text);
    m_listPrograms.Invalidate();
}

void CManifestDlg::ForgetTip()
{
    // Without a row the tooltip holds no text, and shows nothing.
    if (m_nTipRow < 0)
        return;
    m_nTipRow = -1;
    m_tipPrograms.Pop();
    m_tipPrograms.UpdateTipText("", m_hWnd, m_listPrograms);
}

// One tool covers the whole list, so the tooltip itself cannot tell one row from the next: when
// the pointer reaches another row, the shown tip goes and the tool takes that row's text.
void CManifestDlg::TrackTipRow(const MSG& msg)
{
    if (msg.message == WM_MOUSEMOVE) {
        POINT point = { GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam) };
        const int row = m_listPrograms.HitTest(point);
        if (row != m_nTipRow) {
            m_nTipRow = row;
            m_tipPrograms.Pop();
            const CString tip = IsProgramRow(row) ? m_programs.Describe(row) : CString();
            m_tipPrograms.UpdateTipText(tip, m_hWnd, m_listPrograms);
        }
    }
    MSG relayed = msg;
    m_tipPrograms.RelayEvent(&relayed);
}

void CManifestDlg::ShowKeyTip(int row)
{
    const CString tip = IsProgramRow(row) ? m_programs.Describe(row) : CString();
    RECT cell = { LVIR_LABEL, kNameColumn, 0, 0 };
    if (tip.IsEmpty() ||
        !m_listPrograms.SendMessage(LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) {
        HideKeyTip();
        return;
    }
    // Below the row's name, where it covers neither the name nor the row's mark.
    POINT below = { cell.left, cell.bottom + 2 };
    ::ClientToScreen(m_listPrograms, &below);
    ForgetTip();
    m_nKeyTipRow = row;
    m_tipKeys.UpdateTrackText(tip, m_hWnd);
    m_tipKeys.TrackAt(m_hWnd, below);
}

void CManifestDlg::HideKeyTip()
{
    if (m_nKeyTipRow < 0)
        return;
    m_nKeyTipRow = -1;
    m_tipKeys.TrackHide(m_hWnd);
}

void CManifestDlg::ShowFailureOfFocusedRow()
{
    // A tip already beside the row was renewed with the row itself (ShowRow).
    const int row = m_listPrograms.GetNextItem(-1, LVNI_FOCUSED);
    if (row != m_nKeyTipRow && IsProgramRow(row) && m_programs.HasFailure(row))
        ShowKeyTip(row);
}
