// CListCtrl: typed calls on a list-view control.
#pragma once

#include "platform/Wnd.h"

class CListCtrl : public CWnd {
public:
    DWORD GetExtendedStyle() const
    {
        return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
    }
    DWORD SetExtendedStyle(DWORD dwNewStyle) const
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle));
    }

    int InsertColumn(int nCol, const char* heading, int nFormat, int nWidth) const
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.fmt = nFormat;
        column.cx = nWidth;
        column.pszText = const_cast<char*>(heading);
        return static_cast<int>(
            SendMessage(LVM_INSERTCOLUMNA, nCol, reinterpret_cast<LPARAM>(&column)));
    }
    BOOL SetColumnWidth(int nCol, int cx) const
    {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, nCol, MAKELPARAM(cx, 0)));
    }
    int GetColumnWidth(int nCol) const
    {
        return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, nCol));
    }

    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    // Draws a sentence centred in the area below the header, wrapped to the list's width, in the
    // list's font: for a custom draw's post-paint stage of an empty list.
    void DrawEmptyText(HDC hdc, const char* text) const;

    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL DeleteAllItems() const { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }

    // Without a text the row has none of its own, and the control copies nothing.
    int InsertItem(int nItem, const char* text = nullptr) const
    {
        LVITEMA item = {};
        item.mask = text ? LVIF_TEXT : 0;
        item.iItem = nItem;
        item.pszText = const_cast<char*>(text);
        return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItemText(int nItem, int nSubItem, const char* text) const
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = nItem;
        item.iSubItem = nSubItem;
        item.pszText = const_cast<char*>(text);
        return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    // The whole text, however long: the buffer grows until the text fits.
    CString GetItemText(int nItem, int nSubItem) const
    {
        CString text;
        for (int size = 256;; size *= 2) {
            LVITEMA item = {};
            item.iSubItem = nSubItem;
            item.cchTextMax = size;
            item.pszText = text.GetBufferSetLength(size);
            int length = static_cast<int>(
                SendMessage(LVM_GETITEMTEXTA, nItem, reinterpret_cast<LPARAM>(&item)));
            if (length < size - 1)
                break;
        }
        text.ReleaseBuffer();
        return text;
    }

    BOOL SetItemState(int nItem, UINT nState, UINT nMask) const
    {
        LVITEMA item = {};
        item.state = nState;
        item.stateMask = nMask;
        return static_cast<BOOL>(
            SendMessage(LVM_SETITEMSTATE, nItem, reinterpret_cast<LPARAM>(&item)));
    }
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, nItem, nMask));
    }

    // Check boxes (LVS_EX_CHECKBOXES) are state images: 1 unchecked, 2 checked, 0 none yet.
    BOOL GetCheck(int nItem) const
    {
        return (GetItemState(nItem, LVIS_STATEIMAGEMASK) >> 12) == kCheckedImage;
    }
    BOOL SetCheck(int nItem, BOOL bCheck = TRUE) const
    {
        return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(bCheck ? kCheckedImage : kUncheckedImage),
                            LVIS_STATEIMAGEMASK);
    }
    // The row whose check box a change notification reports as toggled, with its new mark in
    // *pbChecked; -1 for any other change (selection, focus, a box appearing on a new row).
    static int CheckToggled(const NMLISTVIEW& change, BOOL* pbChecked)
    {
        if (!(change.uChanged & LVIF_STATE) || change.iItem < 0)
            return -1;
        const UINT oldImage = (change.uOldState & LVIS_STATEIMAGEMASK) >> 12;
        const UINT newImage = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
        if (oldImage == 0 || newImage == 0 || oldImage == newImage)
            return -1;
        *pbChecked = newImage == kCheckedImage;
        return change.iItem;
    }

    // Whether a change notification reports that the keyboard focus came to its row.
    static bool FocusArrived(const NMLISTVIEW& change)
    {
        return (change.uChanged & LVIF_STATE) && change.iItem >= 0 &&
               (change.uNewState & LVIS_FOCUSED) && !(change.uOldState & LVIS_FOCUSED);
    }

    // Row at a point in client coordinates, or -1; *pFlags tells the part (LVHT_ONITEMSTATEICON
    // for the check box).
    int HitTest(POINT pt, UINT* pFlags = nullptr) const
    {
        LVHITTESTINFO info = {};
        info.pt = pt;
        int row = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        if (pFlags)
            *pFlags = info.flags;
        return row;
    }
    // The same at the position of the message being handled.
    int HitTestMessagePos(UINT* pFlags = nullptr) const
    {
        // Each half is a signed 16-bit number: monitors left of or above the main one are negative.
        const DWORD pos = ::GetMessagePos();
        POINT point = { static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)) };
        ScreenToClient(&point);
        return HitTest(point, pFlags);
    }

    int GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
    int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK) const
    {
        return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, nItem, bPartialOK));
    }
    int GetNextItem(int nItem, UINT nFlags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), nFlags));
    }

    static constexpr UINT kUncheckedImage = 1;
    static constexpr UINT kCheckedImage = 2;
};
