// CFolderTreeCtrl: the tree of drives and folders, read from disk one level at a time.
#pragma once

#include "folders/FolderEnum.h"
#include "platform/ImageList.h"
#include "platform/TreeCtrl.h"

class CFolderTreeCtrl : public CTreeCtrl {
public:
    CFolderTreeCtrl();
    ~CFolderTreeCtrl() override;

    // Shows every drive (root NULL or empty) or one folder as the only root item; files too
    // when `files` is set. FALSE, with m_strError set, if the tree could not be filled.
    BOOL DisplayTree(const char* root, BOOL files);
    // The item's folder path, without a trailing backslash (C: for a drive item).
    CString GetFullPath(HTREEITEM item) const;
    // Opens the tree along `path` and selects its last folder; FALSE if any part is missing.
    BOOL SetSelPath(const char* path);
    // Reads every open level again: new folders appear, vanished ones go, open folders stay
    // open and closed ones are asked afresh whether they hold anything. The selection stays
    // where its folder still is; otherwise it moves to the nearest item that is left, which
    // raises TVN_SELCHANGED. FALSE, with m_strError set, if the drives could not be listed.
    BOOL RefreshTree();

protected:
    BOOL m_bFiles;        // set by DisplayTree only: every level must be read the same way
    CString m_strError;   // the last failure's text, for a debugger: nothing shows it
    CImageList m_imgList; // the shell's, never destroyed here
    CString m_strRoot;    // with a trailing backslash; empty while all drives are shown

    BOOL SetSystemImageList();
    BOOL DisplayDrives();
    // The drive roots to show; FALSE, with m_strError set, if the platform could not list them.
    BOOL ListDrives(CStringArray& drives);
    // Adds the children of `folder` under `parent`, folders first, each level sorted.
    void DisplayPath(HTREEITEM parent, const char* folder);
    // Adds one item for `path` after `after` among `parent`'s children. Its icons and, for a
    // folder, its expand button are left to the control to ask for when it first draws the item.
    HTREEITEM AddItem(HTREEITEM parent, const char* path, BOOL bFolder = TRUE,
                      HTREEITEM after = TVI_LAST);
    static CString ItemText(HTREEITEM parent, const char* path);
    void OnItemexpanding(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemexpanded(NMHDR* pNMHDR, LRESULT* pResult);
    void OnGetdispinfo(NMHDR* pNMHDR, LRESULT* pResult);
    void ExpandItem(HTREEITEM item, UINT action);
    // The child of `parent` whose upper-cased text is `text` (already upper-cased).
    HTREEITEM FindChildItem(HTREEITEM parent, const char* text) const;
    // Whether `path` lies under a root item and names a folder that exists.
    BOOL ExistentPath(const char* path) const;

private:
    struct Entry;

    // The system image list indices of the closed and open icons of a plain folder, -1 until
    // the shell has been asked about one.
    int m_nPlainImage = -1;
    int m_nPlainSelectedImage = -1;

    void GetIconIndices(const CString& path, BOOL bRootItem, int& nImage, int& nSelectedImage);
    void LearnPlainIcons(const CString& path);
    void DeleteChildren(HTREEITEM item);
    // Whether `item` is `ancestor` or lies below it.
    BOOL IsWithin(HTREEITEM item, HTREEITEM ancestor) const;
    // Reads `parent`'s folder again and brings its children in line.
    void RefreshChildren(HTREEITEM parent);
    // Brings `parent`'s children in line with `entries`, in their order, keeping the items that
    // are still there with everything below them.
    void MergeChildren(HTREEITEM parent, const CArray<Entry>& entries);
    void RefreshItem(HTREEITEM item, BOOL bSearchable);

    DECLARE_MESSAGE_MAP()
};
