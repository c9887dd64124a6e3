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
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, nCol, reinterpret_cast<LPARAM>(&column)));
    }
    BOOL SetColumnWidth(int nCol, int cx) const
    {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, nCol, MAKELPARAM(cx, 0)));
    }
    int GetColumnWidth(int nCol) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, nCol)); }

    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL DeleteAllItems() const { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }

    int InsertItem(int nItem, const char* text) const
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
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
        return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, nItem, reinterpret_cast<LPARAM>(&item)));
    }
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, nItem, nMask));
    }

    // Row at a point in client coordinates, or -1.
    int HitTest(POINT pt, UINT* pFlags = nullptr) const
    {
        LVHITTESTINFO info = {};
        info.pt = pt;
        int row = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        if (pFlags)
            *pFlags = info.flags;
        return row;
    }
};
