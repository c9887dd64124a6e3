// The main dialog's program rows: they show m_programs, its marks, its empty sentence and its
// tips, and change only where m_programs says.
#include "app/ManifestDlg.h"

#include <windowsx.h>

namespace {
constexpr int kNameColumn = 1;
constexpr int kSizeColumn = 2;

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
    m_listPrograms.DeleteAllItems();

    // No message is dispatched until the rows are in, so the user sees the same list either
    // way; with redrawing off the control skips laying out its scroll bar after every row.
    m_listPrograms.SetRedraw(FALSE);
    for (int i = 0; i < m_programs.GetCount(); ++i) {
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

bool CManifestDlg::IsProgramRow(int row) const
{
    return m_programs.IsRow(row) && row < m_listPrograms.GetItemCount();
}

void CManifestDlg::ShowRow(int row)
{
    if (!IsProgramRow(row))
        return;
    ScopedFlag marking(m_bMarkingRows);
    m_listPrograms.SetCheck(row, m_programs[row].manifest.IsPresent());
    // The tip under the pointer goes; the next move brings it back with its new text.
    if (row == m_nTipRow)
        ForgetTip();
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

// The sentence is the list's window text too, so that screen readers read why it is empty.
void CManifestDlg::ShowEmptyText(const CString& text)
{
    if (text == m_strEmptyText)
        return;
    m_strEmptyText = text;
    m_listPrograms.SetWindowText(text);
    m_listPrograms.Invalidate();
}

void CManifestDlg::ForgetTip()
{
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
