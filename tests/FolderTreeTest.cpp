// The folder tree on a real tree control, inside a host window of our layer that reflects its
// notifications, browsing real folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "folders/FolderTreeCtrl.h"
#include "tests/TestSupport.h"

namespace {

constexpr UINT kTreeId = 1009;

// A top-level window of our layer holding one folder tree, as the main dialog does; it
// records the paths that selection changes report.
class CTreeHost : public CWnd {
public:
    CTreeHost()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VeneerkitTreeHost";
        ::RegisterClassA(&wc); // fails harmlessly once registered

        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_TREEVIEW_CLASSES };
        ::InitCommonControlsEx(&icc);

        HWND hHost = ::CreateWindowExA(0, "VeneerkitTreeHost", "tree", WS_OVERLAPPEDWINDOW, 0, 0,
                                       400, 600, nullptr, nullptr, wc.hInstance, nullptr);
        SubclassWindow(hHost);
        HWND hTree = ::CreateWindowExA(
            0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS |
                                     TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS,
            0, 0, 380, 560, hHost, reinterpret_cast<HMENU>(UINT_PTR(kTreeId)), wc.hInstance,
            nullptr);
        m_tree.SubclassWindow(hTree);
    }
    ~CTreeHost() override
    {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
    }

    CFolderTreeCtrl m_tree;
    std::vector<std::string> m_selections;

protected:
    void OnSelchangedTree(NMHDR* pNMHDR, LRESULT*)
    {
        const auto* pNMTreeView = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
        m_selections.push_back(m_tree.GetFullPath(pNMTreeView->itemNew.hItem).GetString());
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTreeHost, CWnd)
    ON_NOTIFY(TVN_SELCHANGED, kTreeId, OnSelchangedTree)
END_MESSAGE_MAP()

std::vector<std::string> ChildTexts(const CTreeCtrl& tree, HTREEITEM parent)
{
    std::vector<std::string> texts;
    HTREEITEM hItem = parent == TVI_ROOT ? tree.GetRootItem() : tree.GetChildItem(parent);
    for (; hItem; hItem = tree.GetNextSiblingItem(hItem))
        texts.push_back(tree.GetItemText(hItem).GetString());
    return texts;
}

HTREEITEM ChildNamed(const CTreeCtrl& tree, HTREEITEM parent, const std::string& text)
{
    HTREEITEM hItem = parent == TVI_ROOT ? tree.GetRootItem() : tree.GetChildItem(parent);
    for (; hItem; hItem = tree.GetNextSiblingItem(hItem)) {
        if (text == tree.GetItemText(hItem).GetString())
            return hItem;
    }
    return nullptr;
}

// A closed folder that will show children when opened holds exactly one empty item.
bool HasOnlyDummyChild(const CTreeCtrl& tree, HTREEITEM hItem)
{
    return ChildTexts(tree, hItem) == std::vector<std::string>{ "" };
}

bool IsExpanded(const CTreeCtrl& tree, HTREEITEM hItem)
{
    return tree.GetItemState(hItem, TVIS_EXPANDED) != 0;
}

// Opening and closing as the user does it, by keyboard on the selected item; opening by
// message raises no notification once an item has been opened before.
void UserToggle(CTreeCtrl& tree, HTREEITEM hItem, bool open)
{
    tree.SelectItem(hItem);
    tree.SendMessage(WM_KEYDOWN, open ? VK_ADD : VK_SUBTRACT, 0);
}

struct Icons {
    int closed = -1, open = -1;
    bool operator==(const Icons& other) const { return closed == other.closed && open == other.open; }
};

void PrintTo(const Icons& icons, std::ostream* os)
{
    *os << "closed " << icons.closed << ", open " << icons.open;
}

// What the shell itself says, asked the plain way with icon handles, so the tree's own
// index-only queries are checked against it.
Icons ShellIcons(std::string path)
{
    if (path.back() != '\\')
        path += '\\';
    Icons icons;
    for (int* index : { &icons.closed, &icons.open }) {
        SHFILEINFOA info = {};
        UINT open = index == &icons.open ? SHGFI_OPENICON : 0;
        if (::SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON | open)) {
            ::DestroyIcon(info.hIcon);
            *index = info.iIcon;
        }
    }
    return icons;
}

Icons ItemIcons(const CTreeCtrl& tree, HTREEITEM hItem)
{
    Icons icons;
    tree.GetItemImage(hItem, icons.closed, icons.open);
    return icons;
}

std::string WithoutSlash(const std::string& path)
{
    return path.substr(0, path.size() - 1);
}

// Opens the tree down to `path` and gives the item selected there.
HTREEITEM OpenTo(CFolderTreeCtrl& tree, const std::string& path)
{
    return tree.SetSelPath(path.c_str()) ? tree.GetSelectedItem() : nullptr;
}

// A fresh folder on Z:, the drive that maps the Linux root, removed with its contents.
class LinuxTmpFolder {
public:
    LinuxTmpFolder()
    {
        char name[MAX_PATH];
        wsprintfA(name, "Z:\\tmp\\vk-tree-%lu", ::GetCurrentProcessId());
        m_path = name;
        ::CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~LinuxTmpFolder() { test::RemoveTree(m_path); }
    const std::string& Path() const { return m_path; } // without a trailing backslash

private:
    std::string m_path;
};

} // namespace

// ---- Drives ----------------------------------------------------------------------------------

TEST(FolderTreeDrives, RootItemsAreThePlatformsDrivesLessFloppiesAndCdRoms)
{
    std::vector<std::string> expected;
    char strings[256] = {};
    ASSERT_NE(0u, ::GetLogicalDriveStringsA(sizeof(strings) - 1, strings));
    for (const char* root = strings; *root; root += strlen(root) + 1) {
        if (::GetDriveTypeA(root) != DRIVE_CDROM && root[0] != 'A' && root[0] != 'B')
            expected.push_back(WithoutSlash(root));
    }
    SHFILEINFOA info = {};
    auto hShellList = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    ASSERT_NE(nullptr, hShellList);
    {
        CTreeHost host;
        CFolderTreeCtrl& tree = host.m_tree;
        ASSERT_TRUE(tree.DisplayTree(nullptr, FALSE));
        ASSERT_EQ(expected, ChildTexts(tree, TVI_ROOT));
        EXPECT_EQ(0u, tree.GetStyle() & TVS_EDITLABELS);
        EXPECT_EQ(hShellList, tree.GetImageList(TVSIL_NORMAL));

        for (HTREEITEM hDrive = tree.GetRootItem(); hDrive; hDrive = tree.GetNextSiblingItem(hDrive)) {
            std::string root = tree.GetItemText(hDrive).GetString() + std::string("\\");
            EXPECT_EQ(ShellIcons(root), ItemIcons(tree, hDrive)) << root;
            EXPECT_FALSE(IsExpanded(tree, hDrive)) << root;
            // Wine has no drive without folders (C: and Z: both hold some); the case of an
            // item without sub-folders is covered on folders below.
            EXPECT_EQ(HasSubFolders(root.c_str(), FALSE) != FALSE, HasOnlyDummyChild(tree, hDrive))
                << root;
        }
        EXPECT_EQ(std::vector<std::string>{}, host.m_selections);
    }
    // The list is the shell's: the tree let go of it without destroying it.
    EXPECT_LT(0, ::ImageList_GetImageCount(hShellList));
}

TEST(FolderTreeDrives, RootFolderModeGivesDummiesOnlyToFoldersWithSubFolders)
{
    test::TempFolder temp;
    temp.CreateFolder("empty");
    temp.CreateFolder("full");
    temp.CreateFolder("full\\inner");
    temp.CreateFileOfSize("file.exe", 1);

    CTreeHost host;
    CFolderTreeCtrl& tree = host.m_tree;
    ASSERT_TRUE(tree.DisplayTree(WithoutSlash(temp.Path()).c_str(), FALSE));

    ASSERT_EQ(std::vector<std::string>{ WithoutSlash(temp.Path()) }, ChildTexts(tree, TVI_ROOT));
    HTREEITEM hRoot = tree.GetRootItem();
    EXPECT_FALSE(IsExpanded(tree, hRoot));
    EXPECT_EQ((std::vector<std::string>{ "empty", "full" }), ChildTexts(tree, hRoot));
    EXPECT_EQ(nullptr, tree.GetChildItem(ChildNamed(tree, hRoot, "empty")));
    EXPECT_TRUE(HasOnlyDummyChild(tree, ChildNamed(tree, hRoot, "full")));
    EXPECT_EQ(WithoutSlash(temp.Path()) + "\\full",
              tree.GetFullPath(ChildNamed(tree, hRoot, "full")).GetString());
}

TEST(FolderTreeDrives, AnItemTheShellKnowsNothingOfIsLeftOut)
{
    CTreeHost host;
    CFolderTreeCtrl& tree = host.m_tree;
    ASSERT_TRUE(tree.DisplayTree(nullptr, FALSE));
    size_t drives = ChildTexts(tree, TVI_ROOT).size();

    tree.m_strError = "";
    EXPECT_EQ(nullptr, tree.AddItem(TVI_ROOT, "Z:\\tmp\\vk-no-such-folder\\really-not"));
    EXPECT_STREQ("Error Gettting SystemFileInfo!", tree.m_strError);
    EXPECT_EQ(drives, ChildTexts(tree, TVI_ROOT).size());
}

// ---- Lazy filling ----------------------------------------------------------------------------

class FolderTreeFilling : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_temp.CreateFolder("b");
        m_temp.CreateFolder("A");
        m_temp.CreateFolder("c");
        m_temp.CreateFolder("c\\x");
        ASSERT_TRUE(m_tree.DisplayTree(nullptr, FALSE));
        m_hFolder = OpenTo(m_tree, m_temp.Path());
        ASSERT_NE(nullptr, m_hFolder);
    }

    HTREEITEM Child(const char* text) const { return ChildNamed(m_tree, m_hFolder, text); }

    test::TempFolder m_temp;
    CTreeHost m_host;
    CFolderTreeCtrl& m_tree = m_host.m_tree;
    HTREEITEM m_hFolder = nullptr;
};

TEST_F(FolderTreeFilling, OpeningShowsSortedChildrenWithTheShellsIcons)
{
    EXPECT_TRUE(IsExpanded(m_tree, m_hFolder));
    EXPECT_EQ((std::vector<std::string>{ "A", "b", "c" }), ChildTexts(m_tree, m_hFolder));
    for (const char* name : { "A", "b", "c" }) {
        Icons icons = ItemIcons(m_tree, Child(name));
        EXPECT_EQ(ShellIcons(m_temp / name), icons) << name;
        EXPECT_LE(0, icons.closed) << name;
    }
    EXPECT_EQ(nullptr, m_tree.GetChildItem(Child("A")));
    EXPECT_EQ(nullptr, m_tree.GetChildItem(Child("b")));
    EXPECT_TRUE(HasOnlyDummyChild(m_tree, Child("c")));

    // Opening by the user reads the sub-folder in turn.
    UserToggle(m_tree, Child("c"), true);
    EXPECT_EQ(std::vector<std::string>{ "x" }, ChildTexts(m_tree, Child("c")));
}

TEST_F(FolderTreeFilling, AFolderWithoutSubFoldersGetsNoButtonUntilItsParentIsReopened)
{
    m_temp.CreateFolder("A\\late");
    EXPECT_EQ(nullptr, m_tree.GetChildItem(Child("A")));

    UserToggle(m_tree, m_hFolder, false);
    UserToggle(m_tree, m_hFolder, true);
    EXPECT_TRUE(HasOnlyDummyChild(m_tree, Child("A")));
}

TEST_F(FolderTreeFilling, ClosingDiscardsChildrenAndReopeningShowsNewFolders)
{
    UserToggle(m_tree, m_hFolder, false);
    EXPECT_FALSE(IsExpanded(m_tree, m_hFolder));
    EXPECT_TRUE(HasOnlyDummyChild(m_tree, m_hFolder));

    m_temp.CreateFolder("B2");
    UserToggle(m_tree, m_hFolder, true);
    EXPECT_TRUE(IsExpanded(m_tree, m_hFolder));
    EXPECT_EQ((std::vector<std::string>{ "A", "b", "B2", "c" }), ChildTexts(m_tree, m_hFolder));
}

TEST_F(FolderTreeFilling, AFolderEmptiedOnDiskKeepsItsButtonUntilReopened)
{
    UserToggle(m_tree, Child("c"), true);
    UserToggle(m_tree, Child("c"), false);
    ASSERT_TRUE(::RemoveDirectoryA((m_temp / "c\\x").c_str()));

    EXPECT_TRUE(HasOnlyDummyChild(m_tree, Child("c")));
    UserToggle(m_tree, Child("c"), true);
    EXPECT_EQ(nullptr, m_tree.GetChildItem(Child("c")));
}

// ---- Paths -----------------------------------------------------------------------------------

TEST_F(FolderTreeFilling, FullPathsJoinItemTextsWithoutATrailingBackslash)
{
    EXPECT_EQ(WithoutSlash(m_temp.Path()), m_tree.GetFullPath(m_hFolder).GetString());
    EXPECT_EQ(m_temp / "b", m_tree.GetFullPath(Child("b")).GetString());
    EXPECT_STREQ("C:", m_tree.GetFullPath(ChildNamed(m_tree, TVI_ROOT, "C:")));
    EXPECT_STREQ("", m_tree.GetFullPath(nullptr));
    // The selection was reported to the host with the same path.
    ASSERT_FALSE(m_host.m_selections.empty());
    EXPECT_EQ(WithoutSlash(m_temp.Path()), m_host.m_selections.back());
}

// ---- Opening along a path --------------------------------------------------------------------

TEST(FolderTreeSetSelPath, EmptyPathChangesNothing)
{
    CTreeHost host;
    CFolderTreeCtrl& tree = host.m_tree;
    ASSERT_TRUE(tree.DisplayTree(nullptr, FALSE));
    EXPECT_FALSE(tree.SetSelPath(""));
    EXPECT_EQ(nullptr, tree.GetSelectedItem());
    for (HTREEITEM hDrive = tree.GetRootItem(); hDrive; hDrive = tree.GetNextSiblingItem(hDrive))
        EXPECT_FALSE(IsExpanded(tree, hDrive));
    EXPECT_EQ(std::vector<std::string>{}, host.m_selections);
}

TEST(FolderTreeSetSelPath, OpensAnExistingPathWhateverItsCase)
{
    LinuxTmpFolder folder;
    ::CreateDirectoryA((folder.Path() + "\\Sub").c_str(), nullptr);
    ::CreateDirectoryA((folder.Path() + "\\Sub\\Leaf").c_str(), nullptr);

    CTreeHost host;
    CFolderTreeCtrl& tree = host.m_tree;
    ASSERT_TRUE(tree.DisplayTree(nullptr, FALSE));

    std::string asked = folder.Path() + "\\sUB\\";
    asked[0] = 'z';
    asked.replace(3, 3, "TMP");
    ASSERT_TRUE(tree.SetSelPath(asked.c_str()));

    HTREEITEM hSelected = tree.GetSelectedItem();
    ASSERT_NE(nullptr, hSelected);
    EXPECT_EQ(folder.Path() + "\\Sub", tree.GetFullPath(hSelected).GetString());
    EXPECT_EQ(std::vector<std::string>{ folder.Path() + "\\Sub" }, host.m_selections);
    EXPECT_TRUE(IsExpanded(tree, ChildNamed(tree, TVI_ROOT, "Z:")));
    EXPECT_EQ(std::vector<std::string>{ "Leaf" }, ChildTexts(tree, hSelected));
}

TEST(FolderTreeSetSelPath, OpeningAgainRereadsFoldersOpenedBefore)
{
    test::TempFolder temp;
    temp.CreateFolder("one");
    CTreeHost host;
    CFolderTreeCtrl& tree = host.m_tree;
    ASSERT_TRUE(tree.DisplayTree(nullptr, FALSE));
    HTREEITEM hFolder = OpenTo(tree, temp.Path());
    ASSERT_NE(nullptr, hFolder);
    EXPECT_EQ(std::vector<std::string>{ "one" }, ChildTexts(tree, hFolder));

    temp.CreateFolder("two");
    hFolder = OpenTo(tree, temp.Path());
    ASSERT_NE(nullptr, hFolder);
    EXPECT_EQ((std::vector<std::string>{ "one", "two" }), ChildTexts(tree, hFolder));
}

TEST(FolderTreeSetSelPath, DrivesNotShownAndMissingFoldersChangeNothing)
{
    test::TempFolder temp;
    CTreeHost host;
    CFolderTreeCtrl& tree = host.m_tree;
    ASSERT_TRUE(tree.DisplayTree(nullptr, FALSE));

    std::vector<std::string> refused = { "A:\\", "b:\\x", "Q:\\nowhere", temp / "missing",
                                         temp / "missing\\deeper" };
    char strings[256] = {};
    ::GetLogicalDriveStringsA(sizeof(strings) - 1, strings);
    for (const char* root = strings; *root; root += strlen(root) + 1) {
        if (::GetDriveTypeA(root) == DRIVE_CDROM)
            refused.push_back(root);
    }

    for (const std::string& path : refused) {
        EXPECT_FALSE(tree.SetSelPath(path.c_str())) << path;
        EXPECT_EQ(nullptr, tree.GetSelectedItem()) << path;
        for (HTREEITEM hDrive = tree.GetRootItem(); hDrive;
             hDrive = tree.GetNextSiblingItem(hDrive))
            EXPECT_FALSE(IsExpanded(tree, hDrive)) << path;
    }
    EXPECT_EQ(std::vector<std::string>{}, host.m_selections);
}

TEST(FolderTreeSetSelPath, RootFolderModeFindsNoFirstComponent)
{
    test::TempFolder temp;
    temp.CreateFolder("inside");
    CTreeHost host;
    CFolderTreeCtrl& tree = host.m_tree;
    ASSERT_TRUE(tree.DisplayTree(temp.Path().c_str(), FALSE));

    // The root item's text holds backslashes, so no single component ever matches it.
    EXPECT_FALSE(tree.SetSelPath((temp / "inside").c_str()));
    EXPECT_EQ(nullptr, tree.GetSelectedItem());
    EXPECT_FALSE(IsExpanded(tree, tree.GetRootItem()));
    EXPECT_EQ(std::vector<std::string>{ "inside" }, ChildTexts(tree, tree.GetRootItem()));
}
