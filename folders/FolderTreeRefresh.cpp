// F5 in the folder tree: the open levels read again and brought in line with what is on disk.
#include "folders/FolderTreeCtrl.h"

#include "platform/WaitCursor.h"

#include <string.h>

#include <algorithm>
#include <utility>

// One child as a level is read: its path and whether it is a folder.
struct CFolderTreeCtrl::Entry {
    CString path;
    BOOL bFolder;
};

BOOL CFolderTreeCtrl::RefreshTree()
{
    std::vector<Entry> drives;
    if (m_strRoot.IsEmpty()) {
        CStringArray roots;
        if (!ListDrives(roots))
            return FALSE;
        for (int i = 0; i < roots.GetSize(); ++i)
            drives.push_back({ roots[i], TRUE });
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
    std::vector<Entry> entries;
    entries.reserve(folders.GetSize() + files.GetSize());
    for (int i = 0; i < folders.GetSize(); ++i)
        entries.push_back({ folders[i], TRUE });
    for (int i = 0; i < files.GetSize(); ++i)
        entries.push_back({ files[i], FALSE });
    MergeChildren(parent, entries);
}

// Both lists are in the order of the same sort, so one walk matches them: an entry takes the
// first item after the last one kept that has its exact text, which also matches folders that
// show the same '?' text one for one. An entry without such an item gets a new one in its
// place; items no entry took go.
void CFolderTreeCtrl::MergeChildren(HTREEITEM parent, const std::vector<Entry>& entries)
{
    std::vector<HTREEITEM> items;
    HTREEITEM hItem = parent == TVI_ROOT ? GetRootItem() : GetChildItem(parent);
    for (; hItem; hItem = GetNextSiblingItem(hItem))
        items.push_back(hItem);

    std::vector<std::pair<CString, int>> byText;
    byText.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        byText.emplace_back(GetItemText(items[i]), static_cast<int>(i));
    const auto before = [](const std::pair<CString, int>& a, const std::pair<CString, int>& b) {
        const int order = strcmp(a.first, b.first);
        return order < 0 || (order == 0 && a.second < b.second);
    };
    std::sort(byText.begin(), byText.end(), before);

    std::vector<bool> kept(items.size());
    int last = -1;
    HTREEITEM after = TVI_FIRST;
    for (const Entry& entry : entries) {
        auto key = std::make_pair(ItemText(parent, entry.path), last + 1);
        auto found = std::lower_bound(byText.begin(), byText.end(), key, before);
        if (found != byText.end() && found->first == key.first) {
            last = found->second;
            kept[last] = true;
            after = items[last];
            RefreshItem(after, entry.bFolder && !HoldsWildcard(entry.path));
        } else if (HTREEITEM hNew = AddItem(parent, entry.path, entry.bFolder, after)) {
            after = hNew;
        }
    }

    for (size_t i = 0; i < items.size(); ++i) {
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
