// CTreeCtrl: typed calls on a tree-view control.
#pragma once

#include "platform/Wnd.h"

class CTreeCtrl : public CWnd {
public:
    HTREEITEM InsertItem(UINT nMask, const char* text, int nImage, int nSelectedImage,
                         HTREEITEM hParent, HTREEITEM hInsertAfter = TVI_LAST) const
    {
        TVINSERTSTRUCTA insert = {};
        insert.hParent = hParent;
        insert.hInsertAfter = hInsertAfter;
        insert.item.mask = nMask;
        insert.item.pszText = const_cast<char*>(text);
        insert.item.iImage = nImage;
        insert.item.iSelectedImage = nSelectedImage;
        return reinterpret_cast<HTREEITEM>(
            SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    HTREEITEM InsertItem(const char* text, HTREEITEM hParent,
                         HTREEITEM hInsertAfter = TVI_LAST) const
    {
        return InsertItem(TVIF_TEXT, text, 0, 0, hParent, hInsertAfter);
    }
    BOOL DeleteItem(HTREEITEM hItem) const
    {
        return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(hItem)));
    }
    BOOL DeleteAllItems() const { return DeleteItem(TVI_ROOT); }

    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
    {
        return reinterpret_cast<HTREEITEM>(
            SendMessage(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }

    CString GetItemText(HTREEITEM hItem) const
    {
        CString text;
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.cchTextMax = MAX_PATH + 1;
        item.pszText = text.GetBufferSetLength(item.cchTextMax);
        if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            text.GetBufferSetLength(0);
        text.ReleaseBuffer();
        return text;
    }
    BOOL GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const
    {
        TVITEMA item = {};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = hItem;
        BOOL ok = static_cast<BOOL>(SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        nImage = item.iImage;
        nSelectedImage = item.iSelectedImage;
        return ok;
    }
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const
    {
        return static_cast<UINT>(
                   SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), nStateMask)) &
               nStateMask;
    }

    BOOL Expand(HTREEITEM hItem, UINT nCode) const
    {
        return static_cast<BOOL>(SendMessage(TVM_EXPAND, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    BOOL SelectItem(HTREEITEM hItem) const
    {
        return static_cast<BOOL>(
            SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem)));
    }
    // Scrolls so that the item is the first one shown.
    BOOL SelectSetFirstVisible(HTREEITEM hItem) const
    {
        return static_cast<BOOL>(
            SendMessage(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(hItem)));
    }

    HIMAGELIST GetImageList(int nImageList) const
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_GETIMAGELIST, nImageList));
    }
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageList) const
    {
        return reinterpret_cast<HIMAGELIST>(
            SendMessage(TVM_SETIMAGELIST, nImageList, reinterpret_cast<LPARAM>(hImageList)));
    }
};
