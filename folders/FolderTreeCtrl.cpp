// The folder tree: drives and folders with the shell's icons, filled when a folder is opened.
#include "folders/FolderTreeCtrl.h"

#include "platform/WaitCursor.h"

#include <shellapi.h>
#include <mbstring.h>

namespace {

const char kNoSystemImageList[] = "Cannot retrieve the Handle of SystemImageList!";
const char kNoDriveStrings[] = "Error Getting Logical DriveStrings!";
const char kNoFileInfo[] = "Error Gettting SystemFileInfo!";

// The system image list indices of a path's small icons, closed and open. Only the indices are
// asked for: SHGFI_ICON would fill in the very same index and then build an icon from it.
bool QueryShellIcons(const char* path, int& nImage, int& nSelectedImage)
{
    SHFILEINFOA closed = {}, open = {};
    const UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    if (!::SHGetFileInfoA(path, 0, &closed, sizeof(closed), flags) ||
        !::SHGetFileInfoA(path, 0, &open, sizeof(open), flags | SHGFI_OPENICON))
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
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, OnItemexpanded)
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

    m_strRoot = root;
    if (!m_strRoot.EndsWith('\\'))
        m_strRoot += '\\';
    // The root item gets its children at once rather than a dummy child. Without a root item
    // they would land at the top level, where they would pass for drives: leave them out, and
    // say that the tree is empty rather than filled.
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
    if (!GetShownDrives(drives)) {
        m_strError = kNoDriveStrings;
        return FALSE;
    }
    for (int i = 0; i < drives.GetSize(); ++i) {
        HTREEITEM hItem = AddItem(TVI_ROOT, drives[i]);
        if (hItem && HasSubFolders(drives[i], m_bFiles))
            InsertDummyChild(hItem, TRUE);
    }
    return TRUE;
}

void CFolderTreeCtrl::DisplayPath(HTREEITEM parent, const char* folder)
{
    CSortStringArray folders, files;
    ListFolder(folder, m_bFiles, folders, files);

    // Declared in this order so that redrawing resumes before the cursor comes back.
    CWaitCursor wait;
    RedrawOff noRedraw(*this);

    for (int i = 0; i < folders.GetSize(); ++i) {
        const CString path = folders.GetAt(i);
        HTREEITEM hItem = AddItem(parent, path);
        if (hItem && HasSubFolders(path, m_bFiles))
            InsertDummyChild(hItem, TRUE);
    }
    if (m_bFiles) {
        for (int i = 0; i < files.GetSize(); ++i)
            AddItem(parent, files.GetAt(i));
    }
}

HTREEITEM CFolderTreeCtrl::AddItem(HTREEITEM parent, const char* path)
{
    // The shell is asked about the path with its trailing backslash, files included.
    CString copy = path;
    if (!copy.EndsWith('\\'))
        copy += '\\';

    int nImage = 0;
    int nSelectedImage = 0;
    if (!GetIconIndices(copy, parent == TVI_ROOT, nImage, nSelectedImage)) {
        m_strError = kNoFileInfo;
        return nullptr;
    }

    copy = copy.Left(copy.GetLength() - 1);
    const char* text = parent == TVI_ROOT ? copy.GetString() : GetSubPath(copy);
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, text, nImage, nSelectedImage,
                      parent, TVI_LAST);
}

// The control has already opened or closed the item when this arrives.
void CFolderTreeCtrl::OnItemexpanded(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* pNMTreeView = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    HTREEITEM hItem = pNMTreeView->itemNew.hItem;
    if (pNMTreeView->itemNew.state & TVIS_EXPANDED) {
        ExpandItem(hItem, TVE_EXPAND);
    } else {
        // A closed folder forgets its sub-tree, so the next opening reads the disk afresh.
        DeleteChildren(hItem);
        InsertDummyChild(hItem, FALSE);
    }
    *pResult = 0;
}

void CFolderTreeCtrl::ExpandItem(HTREEITEM item, UINT action)
{
    if (action != TVE_EXPAND)
        return;
    DeleteChildren(item);
    DisplayPath(item, GetFullPath(item));
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
    if (!ExistentPath(path))
        return FALSE;

    // Upper-cased and closed with a backslash, character by character: in a double-byte code
    // page a trail byte may look like a small letter or a backslash.
    CString upper = path;
    upper.MakeUpper();
    if (!upper.EndsWith('\\'))
        upper += '\\';
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
        // An item opened before raises no notification when opened by message again; reset it
        // so the opening below reads its folder from disk. Wine's tree control crashes when the
        // reset removes the first item shown, so the view starts at the item itself first.
        if (GetItemState(hItem, TVIS_EXPANDEDONCE)) {
            SelectSetFirstVisible(hItem);
            Expand(hItem, TVE_EXPAND);
            Expand(hItem, TVE_COLLAPSE | TVE_COLLAPSERESET);
            InsertDummyChild(hItem, FALSE);
        }
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

// Every plain folder shows the same two icons, so the shell is asked about the first one only
// and the answer reused: each query by path makes the shell look the folder up on disk, which
// took most of the time of opening a folder with many sub-folders. Drives and the root folder
// are always asked about.
BOOL CFolderTreeCtrl::GetIconIndices(const CString& path, BOOL bRootItem, int& nImage,
                                     int& nSelectedImage)
{
    const BOOL bPlain = !bRootItem && IsPlainFolder(path);
    if (bPlain && m_nPlainImage >= 0) {
        nImage = m_nPlainImage;
        nSelectedImage = m_nPlainSelectedImage;
        return TRUE;
    }
    if (!QueryShellIcons(path, nImage, nSelectedImage))
        return FALSE;
    if (bPlain) {
        m_nPlainImage = nImage;
        m_nPlainSelectedImage = nSelectedImage;
    }
    return TRUE;
}

void CFolderTreeCtrl::DeleteChildren(HTREEITEM item) const
{
    while (HTREEITEM hChild = GetChildItem(item))
        DeleteItem(hChild);
}

void CFolderTreeCtrl::InsertDummyChild(HTREEITEM parent, BOOL bWithImages) const
{
    if (bWithImages)
        InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, "", 0, 0, parent, TVI_LAST);
    else
        InsertItem("", parent, TVI_LAST);
}
