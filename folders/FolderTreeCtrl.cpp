// The folder tree: drives and folders with the shell's icons, filled when a folder is opened.
#include "folders/FolderTreeCtrl.h"

#include "platform/CodePage.h"
#include "platform/Path.h"
#include "platform/ResourceText.h"
#include "platform/WaitCursor.h"
#include "res/resource.h"

#include <shellapi.h>
#include <mbstring.h>
#include <utility>

namespace {

// Texts of failures for a debugger to read in m_strError: nothing shows them to the user.
const char kNoSystemImageList[] = "Cannot retrieve the Handle of SystemImageList!";
const char kNoDriveStrings[] = "Error Getting Logical DriveStrings!";

// The system image list indices of the small icons, closed and open, that the shell shows for
// `path`, or with SHGFI_USEFILEATTRIBUTES for any entry of those attributes. Only the indices
// are asked for: SHGFI_ICON would fill in the very same index and then build an icon from it.
bool QueryShellIcons(const char* path, DWORD attributes, UINT flags, int& nImage,
                     int& nSelectedImage)
{
    SHFILEINFOA closed = {}, open = {};
    flags |= SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    if (!::SHGetFileInfoA(path, attributes, &closed, sizeof(closed), flags) ||
        !::SHGetFileInfoA(path, attributes, &open, sizeof(open), flags | SHGFI_OPENICON))
        return false;
    nImage = closed.iIcon;
    nSelectedImage = open.iIcon;
    return true;
}

// Keeps the control from repainting while a level fills, and repaints it on every way out.
class RedrawOff {
public:
    explicit RedrawOff(const CWnd& wnd) : m_wnd(wnd) { m_wnd.SetRedraw(FALSE); }
    ~RedrawOff() { m_wnd.SetRedraw(TRUE); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    const CWnd& m_wnd;
};

} // namespace

BEGIN_MESSAGE_MAP(CFolderTreeCtrl, CTreeCtrl)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDING, OnItemexpanding)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, OnItemexpanded)
    ON_NOTIFY_REFLECT(TVN_GETDISPINFO, OnGetdispinfo)
END_MESSAGE_MAP()

CFolderTreeCtrl::CFolderTreeCtrl() : m_bFiles(FALSE) {}

// The system image list belongs to the shell: let go of it before anything else goes.
CFolderTreeCtrl::~CFolderTreeCtrl()
{
    m_imgList.Detach();
}

BOOL CFolderTreeCtrl::DisplayTree(const char* root, BOOL files)
{
    // An item's text is a real folder's name; editing it would rename nothing.
    if (GetStyle() & TVS_EDITLABELS)
        ModifyStyle(TVS_EDITLABELS, 0);

    DeleteAllItems();
    if (!SetSystemImageList())
        return FALSE;
    m_bFiles = files;

    if (!root || !*root) {
        if (!DisplayDrives())
            return FALSE;
        m_strRoot.Empty();
        return TRUE;
    }

    m_strRoot = WithBackslash(root);
    // The root item gets its children at once. Without a root item they would land at the top
    // level, where they would pass for drives: leave them out, and say that the tree is empty
    // rather than filled.
    if (!FolderExists(root)) {
        m_strError = LoadText(IDS_ROOT_MISSING);
        return FALSE;
    }
    HTREEITEM hRoot = AddItem(TVI_ROOT, m_strRoot);
    if (!hRoot)
        return FALSE;
    DisplayPath(hRoot, root);
    return TRUE;
}

BOOL CFolderTreeCtrl::SetSystemImageList()
{
    if (GetImageList(TVSIL_NORMAL))
        m_imgList.Detach();

    SHFILEINFOA info = {};
    auto hList = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (!hList) {
        m_strError = kNoSystemImageList;
        return FALSE;
    }
    m_imgList.Attach(hList);
    SetImageList(m_imgList, TVSIL_NORMAL);
    // A refilled tree asks the shell afresh: kept indices are only as good as the list was then.
    m_nPlainImage = m_nPlainSelectedImage = -1;
    return TRUE;
}

BOOL CFolderTreeCtrl::DisplayDrives()
{
    DeleteAllItems();

    CStringArray drives;
    if (!ListDrives(drives))
        return FALSE;
    for (int i = 0; i < drives.GetSize(); ++i)
        AddItem(TVI_ROOT, drives[i]);
    return TRUE;
}

BOOL CFolderTreeCtrl::ListDrives(CStringArray& drives)
{
    if (GetShownDrives(drives))
        return TRUE;
    m_strError = kNoDriveStrings;
    return FALSE;
}

void CFolderTreeCtrl::DisplayPath(HTREEITEM parent, const char* folder)
{
    CSortStringArray folders, files;
    ListFolder(folder, m_bFiles, folders, files);

    // Declared in this order so that redrawing resumes before the cursor comes back.
    CWaitCursor wait;
    RedrawOff noRedraw(*this);

    for (int i = 0; i < folders.GetSize(); ++i)
        AddItem(parent, folders[i]);
    if (m_bFiles) {
        for (int i = 0; i < files.GetSize(); ++i)
            AddItem(parent, files[i], FALSE);
    }
}

// A root item shows its whole path, any other its last component; neither shows a trailing
// backslash.
CString CFolderTreeCtrl::ItemText(HTREEITEM parent, const char* path)
{
    const CString text = WithoutBackslash(path);
    return parent == TVI_ROOT ? text : CString(GetSubPath(text));
}

// Nothing here touches the disk: a folder of ten thousand sub-folders is filled with one
// directory search and then as many inserts. The control asks for an item's icons and expand
// button (TVN_GETDISPINFO) only when it draws the item, so the look-ahead and the icon queries
// run for the rows on screen, each at most once.
HTREEITEM CFolderTreeCtrl::AddItem(HTREEITEM parent, const char* path, BOOL bFolder,
                                   HTREEITEM after)
{
    const CString text = ItemText(parent, path);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text.GetString());
    insert.item.iImage = insert.item.iSelectedImage = I_IMAGECALLBACK;
    // A folder whose name the code page cannot spell can never be searched: it has nothing to
    // open, and no button.
    insert.item.cChildren = bFolder && !HoldsUnspellable(path) ? I_CHILDRENCALLBACK : 0;
    return InsertItem(insert);
}

// The control asks before it opens or closes the item. A folder is filled now: the control
// opens only an item that has children.
void CFolderTreeCtrl::OnItemexpanding(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* pNMTreeView = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    if ((pNMTreeView->action & TVE_TOGGLE) == TVE_EXPAND &&
        !(pNMTreeView->itemNew.state & TVIS_EXPANDED))
        ExpandItem(pNMTreeView->itemNew.hItem, TVE_EXPAND);
    *pResult = 0;
}

// The control has already opened or closed the item when this arrives.
void CFolderTreeCtrl::OnItemexpanded(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* pNMTreeView = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    HTREEITEM hItem = pNMTreeView->itemNew.hItem;
    if (!(pNMTreeView->itemNew.state & TVIS_EXPANDED)) {
        // A closed folder forgets its sub-tree, so the next opening reads the disk afresh. It
        // keeps its button until then; and it is marked as never opened, so that opening it by
        // message asks for its children again.
        DeleteChildren(hItem);
        TVITEMA item = {};
        item.mask = TVIF_CHILDREN | TVIF_STATE;
        item.hItem = hItem;
        item.cChildren = 1;
        item.stateMask = TVIS_EXPANDEDONCE;
        SetItem(item);
    }
    *pResult = 0;
}

void CFolderTreeCtrl::OnGetdispinfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    TVITEMA& item = reinterpret_cast<NMTVDISPINFOA*>(pNMHDR)->item;
    const CString path = GetFullPath(item.hItem);
    if (item.mask & TVIF_CHILDREN)
        item.cChildren = HasSubFolders(path, m_bFiles) ? 1 : 0;
    if (item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE))
        GetIconIndices(path, !GetParentItem(item.hItem), item.iImage, item.iSelectedImage);
    // The control keeps the answers: each item is asked about once.
    item.mask |= TVIF_DI_SETITEM;
    *pResult = 0;
}

void CFolderTreeCtrl::ExpandItem(HTREEITEM item, UINT action)
{
    if (action != TVE_EXPAND)
        return;
    DeleteChildren(item);
    DisplayPath(item, GetFullPath(item));
    if (!GetChildItem(item)) {
        // Nothing to show: the button goes, and the control does not open the item.
        TVITEMA noChildren = {};
        noChildren.mask = TVIF_CHILDREN;
        noChildren.hItem = item;
        SetItem(noChildren);
    }
}

CString CFolderTreeCtrl::GetFullPath(HTREEITEM item) const
{
    CString path;
    for (HTREEITEM hItem = item; hItem; hItem = GetParentItem(hItem))
        path = GetItemText(hItem) + '\\' + path;
    path.TrimRight('\\');
    return path;
}

BOOL CFolderTreeCtrl::SetSelPath(const char* path)
{
    // '?' and '*' stand for names the tree shows but never opens.
    if (HoldsUnspellable(path) || !ExistentPath(path))
        return FALSE;

    // Upper-cased and closed with a backslash, character by character: in a double-byte code
    // page a trail byte may look like a small letter or a backslash.
    CString upper = path;
    upper.MakeUpper();
    upper = WithBackslash(std::move(upper));
    auto* components = reinterpret_cast<unsigned char*>(upper.GetBuffer());

    HTREEITEM parent = TVI_ROOT;
    bool bFound = true;
    unsigned char* component = components;
    for (unsigned char* p = components; *p; p = _mbsinc(p)) {
        if (*p != '\\')
            continue;
        SetRedraw(FALSE);
        *p = '\0';
        HTREEITEM hItem = FindChildItem(parent, reinterpret_cast<const char*>(component));
        if (!hItem) {
            bFound = false;
            break;
        }
        // A folder already open is read again in place, keeping what is open below it; a
        // closed one is read as it opens.
        if (GetItemState(hItem, TVIS_EXPANDED))
            RefreshChildren(hItem);
        else
            Expand(hItem, TVE_EXPAND);
        parent = hItem;
        component = p + 1;
    }

    BOOL bResult = FALSE;
    if (bFound && parent != TVI_ROOT) {
        SelectItem(parent);
        bResult = TRUE;
    }
    SetRedraw(TRUE);
    return bResult;
}

HTREEITEM CFolderTreeCtrl::FindChildItem(HTREEITEM parent, const char* text) const
{
    // TVGN_ROOT is the documented way to the first top-level item.
    HTREEITEM hItem = parent == TVI_ROOT ? GetRootItem() : GetChildItem(parent);
    for (; hItem; hItem = GetNextSiblingItem(hItem)) {
        CString itemText = GetItemText(hItem);
        itemText.MakeUpper();
        if (_mbscmp(reinterpret_cast<const unsigned char*>(itemText.GetString()),
                    reinterpret_cast<const unsigned char*>(text)) == 0)
            return hItem;
    }
    return nullptr;
}

BOOL CFolderTreeCtrl::ExistentPath(const char* path) const
{
    CString copy = path;
    copy.MakeUpper();
    copy.TrimRight('\\');

    for (HTREEITEM hItem = GetRootItem(); hItem; hItem = GetNextSiblingItem(hItem)) {
        CString text = GetItemText(hItem);
        text.MakeUpper();
        CString start = copy.Left(text.GetLength());
        if (_mbscmp(reinterpret_cast<const unsigned char*>(start.GetString()),
                    reinterpret_cast<const unsigned char*>(text.GetString())) != 0)
            continue;
        // The first root item that matches decides.
        return FolderExists(path);
    }
    return FALSE;
}

// Every plain folder shows the same two icons, so the shell is asked about one of them and the
// answer reused; every other folder is only looked at: a query by path makes the shell look
// the folder up on disk. Drives and the root folder are always asked about. A folder the shell
// cannot tell about, such as one whose path is longer than the platform takes, still shows,
// with the plain icons.
void CFolderTreeCtrl::GetIconIndices(const CString& path, BOOL bRootItem, int& nImage,
                                     int& nSelectedImage)
{
    const BOOL bPlain = !bRootItem && IsPlainFolder(path);
    if (!bPlain && QueryShellIcons(WithBackslash(path), 0, 0, nImage, nSelectedImage))
        return;
    if (m_nPlainImage < 0)
        LearnPlainIcons(path);
    nImage = m_nPlainImage;
    nSelectedImage = m_nPlainSelectedImage;
}

// From the nearest plain folder at or above `path`. Failing that, from the attributes of a
// folder alone, for which the shell has no open icon of its own under Wine.
void CFolderTreeCtrl::LearnPlainIcons(const CString& path)
{
    for (CString folder = path; folder.ReverseFind('\\') > 0;
         folder = folder.Left(folder.ReverseFind('\\'))) {
        if (IsPlainFolder(folder) &&
            QueryShellIcons(WithBackslash(folder), 0, 0, m_nPlainImage, m_nPlainSelectedImage))
            return;
    }
    if (!QueryShellIcons("folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES, m_nPlainImage,
                         m_nPlainSelectedImage))
        m_nPlainImage = m_nPlainSelectedImage = 0;
}

// The selection leaves the sub-tree first. The control would otherwise move it from each
// deleted item to the next, and every move is a selection change the dialog acts on.
void CFolderTreeCtrl::DeleteChildren(HTREEITEM item)
{
    HTREEITEM hChild = GetChildItem(item);
    if (!hChild)
        return;
    if (IsWithin(GetSelectedItem(), item) && GetSelectedItem() != item)
        SelectItem(item);
    // Deleting an item the control shows makes it lay out every row again.
    RedrawOff noRedraw(*this);
    for (; hChild; hChild = GetChildItem(item))
        DeleteItem(hChild);
}

BOOL CFolderTreeCtrl::IsWithin(HTREEITEM item, HTREEITEM ancestor) const
{
    for (HTREEITEM hItem = item; hItem; hItem = GetParentItem(hItem)) {
        if (hItem == ancestor)
            return TRUE;
    }
    return FALSE;
}
