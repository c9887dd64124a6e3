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

protected:
    BOOL m_bFiles;        // set by DisplayTree only: every level must be read the same way
    CString m_strError;   // the last failure's text, for a debugger: nothing shows it
    CImageList m_imgList; // the shell's, never destroyed here
    CString m_strRoot;    // with a trailing backslash; empty while all drives are shown

    BOOL SetSystemImageList();
    BOOL DisplayDrives();
    // Adds the children of `folder` under `parent`, folders first, each level sorted.
    void DisplayPath(HTREEITEM parent, const char* folder);
    // Adds one item for `path` at the end of `parent`'s children; NULL if the shell has no
    // icon for it.
    HTREEITEM AddItem(HTREEITEM parent, const char* path);
    void OnItemexpanded(NMHDR* pNMHDR, LRESULT* pResult);
    void ExpandItem(HTREEITEM item, UINT action);
    // The child of `parent` whose upper-cased text is `text` (already upper-cased).
    HTREEITEM FindChildItem(HTREEITEM parent, const char* text) const;
    // Whether `path` lies under a root item and names a folder that exists.
    BOOL ExistentPath(const char* path) const;

private:
    // The system image list indices of the closed and open icons of a plain folder, -1 until
    // the shell has been asked about one.
    int m_nPlainImage = -1;
    int m_nPlainSelectedImage = -1;

    BOOL GetIconIndices(const CString& path, BOOL bRootItem, int& nImage, int& nSelectedImage);
    void DeleteChildren(HTREEITEM item) const;
    // The empty child that gives a closed folder its expand button.
    void InsertDummyChild(HTREEITEM parent, BOOL bWithImages) const;

    DECLARE_MESSAGE_MAP()
};
