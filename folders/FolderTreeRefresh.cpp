// F5 in the folder tree: the open levels read again and brought in line with what is on disk.
#include "folders/FolderTreeCtrl.h"

#include "platform/CodePage.h"
#include "platform/Sort.h"
#include "platform/WaitCursor.h"

#include <string.h>

// One child as a level is read: its path and whether it is a folder.
struct CFolderTreeCtrl::Entry {
    CString path;
    BOOL bFolder;
};

namespace {

// An item by its text, and among equal texts by its place.
struct Shown {
    CString text;
    int index;
};

int Before(const Shown& a, const Shown& b)
{
    const int order = strcmp(a.text, b.text);
    return order != 0 ? order : a.index - b.index;
}

int __cdecl CompareShown(const void* a, const void* b)
{
    return Before(*static_cast<const Shown*>(a), *static_cast<const Shown*>(b));
}

} // namespace

BOOL CFolderTreeCtrl::RefreshTree()
{
    CArray<Entry> drives;
    if (m_strRoot.IsEmpty()) {
        CStringArray roots;
        if (!ListDrives(roots))
            return FALSE;
        for (int i = 0; i < roots.GetSize(); ++i)
            drives.Add({ roots[i], TRUE });
    }

    // Declared first so that redrawing resumes before the cursor comes back.
    CWaitCursor wait;
    SetRedraw(FALSE);
    if (m_strRoot.IsEmpty())
        MergeChildren(TVI_ROOT, drives);
    else if (HTREEITEM hRoot = GetRootItem())
        RefreshItem(hRoot, TRUE);
    SetRedraw(TRUE);
    return TRUE;
}

void CFolderTreeCtrl::RefreshChildren(HTREEITEM parent)
{
    CSortStringArray folders, files;
    ListFolder(GetFullPath(parent), m_bFiles, folders, files);
    CArray<Entry> entries;
    entries.Reserve(folders.GetSize() + files.GetSize());
    for (int i = 0; i < folders.GetSize(); ++i)
        entries.Add({ folders[i], TRUE });
    for (int i = 0; i < files.GetSize(); ++i)
        entries.Add({ files[i], FALSE });
    MergeChildren(parent, entries);
}

// Both lists are in the order of the same sort, so one walk matches them: an entry takes the
// first item after the last one kept that has its exact text, which also matches folders that
// show the same '?' text one for one. An entry without such an item gets a new one in its
// place; items no entry took go.
void CFolderTreeCtrl::MergeChildren(HTREEITEM parent, const CArray<Entry>& entries)
{
    CArray<HTREEITEM> items;
    HTREEITEM hItem = parent == TVI_ROOT ? GetRootItem() : GetChildItem(parent);
    for (; hItem; hItem = GetNextSiblingItem(hItem))
        items.Add(hItem);

    CArray<Shown> byText;
    byText.Reserve(items.GetSize());
    for (int i = 0; i < items.GetSize(); ++i)
        byText.Add({ GetItemText(items[i]), i });
    SortElements(byText.GetData(), byText.GetSize(), CompareShown);

    CArray<bool> kept;
    kept.Reserve(items.GetSize());
    for (int i = 0; i < items.GetSize(); ++i)
        kept.Add(false);
    int last = -1;
    HTREEITEM after = TVI_FIRST;
    for (int e = 0; e < entries.GetSize(); ++e) {
        const Entry& entry = entries[e];
        const Shown key = { ItemText(parent, entry.path), last + 1 };
        const int at = LowerBound(byText.GetData(), byText.GetSize(), key, Before);
        if (at < byText.GetSize() && byText[at].text == key.text) {
            last = byText[at].index;
            kept[last] = true;
            after = items[last];
            RefreshItem(after, entry.bFolder && !HoldsUnspellable(entry.path));
        } else if (HTREEITEM hNew = AddItem(parent, entry.path, entry.bFolder, after)) {
            after = hNew;
        }
    }

    for (int i = 0; i < items.GetSize(); ++i) {
        if (kept[i])
            continue;
        // The nearest item that stays is the parent, whose level this is.
        if (IsWithin(GetSelectedItem(), items[i]))
            SelectItem(parent == TVI_ROOT ? nullptr : parent);
        DeleteItem(items[i]);
    }
}

// An open folder is read again; a closed one is asked afresh for its button and icons when it
// is next drawn.
void CFolderTreeCtrl::RefreshItem(HTREEITEM item, BOOL bSearchable)
{
    if (GetItemState(item, TVIS_EXPANDED) || GetChildItem(item)) {
        RefreshChildren(item);
        if (GetChildItem(item))
            return;
        // An open folder found empty shows no button, and opens again once it holds something.
        TVITEMA closed = {};
        closed.mask = TVIF_CHILDREN | TVIF_STATE;
        closed.hItem = item;
        closed.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE;
        SetItem(closed);
        return;
    }
    TVITEMA reset = {};
    reset.mask = TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    reset.hItem = item;
    reset.cChildren = bSearchable ? I_CHILDRENCALLBACK : 0;
    reset.iImage = reset.iSelectedImage = I_IMAGECALLBACK;
    SetItem(reset);
}
