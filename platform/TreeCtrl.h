// CTreeCtrl: typed calls on a tree-view control.
#pragma once

#include "platform/Wnd.h"

class CTreeCtrl : public CWnd {
public:
    // Far more than any name or path of the platform takes, in any code page.
    static constexpr int kMaxItemText = 32 * (MAX_PATH + 1);

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
    HTREEITEM InsertItem(const TVINSERTSTRUCTA& insert) const
    {
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

    // The whole text, however many bytes it takes: a name of 255 characters is 510 bytes in a
    // double-byte code page. A buffer filled to its last bytes may have cut the text, so it is
    // asked again with twice the room.
    CString GetItemText(HTREEITEM hItem) const
    {
        CString text;
        for (int cchMax = 2 * (MAX_PATH + 1);; cchMax *= 2) {
            TVITEMA item = {};
            item.mask = TVIF_TEXT;
            item.hItem = hItem;
            item.cchTextMax = cchMax;
            item.pszText = text.GetBufferSetLength(cchMax);
            if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
                text.GetBufferSetLength(0);
            text.ReleaseBuffer();
            if (text.GetLength() < cchMax - 2 || cchMax >= kMaxItemText)
                return text;
        }
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
    BOOL GetItem(TVITEMA& item) const
    {
        return static_cast<BOOL>(SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItem(const TVITEMA& item) const
    {
        return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    // Whether the item shows an expand button. An item whose answer is left to a callback asks
    // its parent window now.
    BOOL ItemHasChildren(HTREEITEM hItem) const
    {
        TVITEMA item = {};
        item.mask = TVIF_CHILDREN;
        item.hItem = hItem;
        return GetItem(item) && item.cChildren != 0;
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
