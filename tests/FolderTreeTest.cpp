// The folder tree on a real tree control, inside a window of our layer that reflects its
// notifications, browsing real folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

#include "folders/FolderTreeCtrl.h"
#include "support/HostWindow.h"
#include "support/TestSupport.h"

namespace {

using Texts = std::vector<std::string>;

// A host window holding one folder tree, as the main dialog does: the tree then sends ANSI
// notifications, and its own handler sees the TVN_ITEMEXPANDED its parent gets. The tree is low
// enough to scroll once a few folders are open.
class CTreeHost : public test::CHostWindow {
public:
    CTreeHost() : CHostWindow(400, 600)
    {
        AddControl(m_tree, WC_TREEVIEWA, TVS_HASBUTTONS | TVS_EDITLABELS, 380, 120);
    }

    CFolderTreeCtrl m_tree;
};

std::vector<HTREEITEM> Children(const CTreeCtrl& tree, HTREEITEM parent)
{
    std::vector<HTREEITEM> items;
    HTREEITEM hItem = parent == TVI_ROOT ? tree.GetRootItem() : tree.GetChildItem(parent);
    for (; hItem; hItem = tree.GetNextSiblingItem(hItem))
        items.push_back(hItem);
    return items;
}

Texts ChildTexts(const CTreeCtrl& tree, HTREEITEM parent)
{
    Texts texts;
    for (HTREEITEM hItem : Children(tree, parent))
        texts.push_back(tree.GetItemText(hItem).GetString());
    return texts;
}

// Every item loaded, + marking an open one, * the selected one and (..) a button over children
// not read yet.
std::string Dump(const CTreeCtrl& tree, HTREEITEM parent = TVI_ROOT)
{
    std::string dump;
    for (HTREEITEM hItem : Children(tree, parent)) {
        dump += tree.GetItemText(hItem).GetString();
        dump += tree.GetItemState(hItem, TVIS_EXPANDED) ? "+" : "";
        dump += hItem == tree.GetSelectedItem() ? "*" : "";
        const std::string children = Dump(tree, hItem);
        dump += "(" + (children.empty() && tree.ItemHasChildren(hItem) ? ".." : children) + ")";
    }
    return dump;
}

// Counts the look-aheads the control asks its parent for and the selection changes it reports,
// through a subclass of the parent that passes every message on.
struct NotifyCounter {
    explicit NotifyCounter(HWND hWnd) : hWnd(hWnd)
    {
        ::SetWindowSubclass(hWnd, Count, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    ~NotifyCounter() { ::RemoveWindowSubclass(hWnd, Count, 0); }
    static LRESULT CALLBACK Count(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR self)
    {
        const auto* info = reinterpret_cast<const NMTVDISPINFOA*>(lParam);
        auto* counter = reinterpret_cast<NotifyCounter*>(self);
        if (message == WM_NOTIFY && info->hdr.code == TVN_GETDISPINFOA)
            counter->lookAheads += (info->item.mask & TVIF_CHILDREN) != 0;
        counter->selectionChanges += message == WM_NOTIFY && info->hdr.code == TVN_SELCHANGEDA;
        return ::DefSubclassProc(hWnd, message, wParam, lParam);
    }
    HWND hWnd;
    int lookAheads = 0, selectionChanges = 0;
};

// The shell's closed and open icons, asked the plain way with icon handles, so that the tree's
// index-only queries are checked against something other than themselves.
std::pair<int, int> ShellIcons(const std::string& path)
{
    SHFILEINFOA icons[2] = {};
    for (UINT open : { 0, 1 }) {
        ::SHGetFileInfoA((path + '\\').c_str(), 0, &icons[open], sizeof(icons[open]),
                         SHGFI_ICON | SHGFI_SMALLICON | (open ? SHGFI_OPENICON : 0));
        ::DestroyIcon(icons[open].hIcon);
    }
    return { icons[0].iIcon, icons[1].iIcon };
}

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &wide[0],
                                      int(wide.size())));
    return wide;
}

std::pair<int, int> ItemIcons(const CTreeCtrl& tree, HTREEITEM hItem)
{
    std::pair<int, int> icons(-1, -1);
    tree.GetItemImage(hItem, icons.first, icons.second);
    return icons;
}

} // namespace

TEST(FolderTreeDrives, AreThePlatformsDrivesLessFloppiesAndCdRoms)
{
    Texts expected;
    char strings[256] = {};
    ASSERT_NE(0u, ::GetLogicalDriveStringsA(sizeof(strings) - 1, strings));
    for (const char* root = strings; *root; root += strlen(root) + 1) {
        if (::GetDriveTypeA(root) != DRIVE_CDROM && root[0] != 'A' && root[0] != 'B')
            expected.push_back(std::string(root, 2));
    }
    SHFILEINFOA info = {};
    auto hShellList = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    {
        CTreeHost host;
        CFolderTreeCtrl& tree = host.m_tree;
        ASSERT_TRUE(tree.DisplayTree(nullptr, FALSE));
        ASSERT_EQ(expected, ChildTexts(tree, TVI_ROOT));
        EXPECT_EQ(0u, tree.GetStyle() & TVS_EDITLABELS);
        EXPECT_EQ(hShellList, tree.GetImageList(TVSIL_NORMAL));
        for (HTREEITEM hDrive : Children(tree, TVI_ROOT)) {
            const std::string drive = tree.GetItemText(hDrive).GetString();
            EXPECT_EQ(drive, tree.GetFullPath(hDrive).GetString());
            EXPECT_EQ(ShellIcons(drive), ItemIcons(tree, hDrive)) << drive;
            // Wine has no drive without folders (C: and Z: both hold some), so there only the
            // drive with an expand button is seen; the folders below have both kinds.
            EXPECT_EQ(Texts{}, ChildTexts(tree, hDrive)) << drive;
            EXPECT_EQ(HasSubFolders((drive + "\\").c_str(), FALSE), tree.ItemHasChildren(hDrive))
                << drive;
        }
    }
    // The list is the shell's: the tree let go of it without destroying it.
    EXPECT_LT(0, ::ImageList_GetImageCount(hShellList));
}

// A folder as the only root item: its children are read at once and the item stays closed. A
// root the shell cannot show leaves the tree empty, which is no success.
TEST(FolderTreeRoot, ShowsTheFoldersChildrenOrFailsForAMissingFolder)
{
    test::TempFolder temp;
    for (const char* name : { "b", "A", "A\\x" })
        temp.CreateFolder(name);
    CTreeHost host;
    CFolderTreeCtrl& tree = host.m_tree;
    ASSERT_TRUE(tree.DisplayTree(temp.Path().c_str(), FALSE));
    const std::string root = temp.Path().substr(0, temp.Path().size() - 1);
    EXPECT_EQ(root + "(A(..)b())", Dump(tree));
    EXPECT_EQ(temp / "A", tree.GetFullPath(tree.GetChildItem(tree.GetRootItem())).GetString());

    EXPECT_FALSE(tree.DisplayTree((temp / "missing").c_str(), FALSE));
    EXPECT_EQ("", Dump(tree));
}

// The tree of all drives opened along the path of a folder holding b, A and c\x, the path given in
// capitals: items are found whatever their case.
class FolderTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : { "b", "A", "c", "c\\x" })
            m_temp.CreateFolder(name);
        ASSERT_TRUE(m_tree.DisplayTree(nullptr, FALSE));
        std::string path = m_temp.Path();
        ::CharUpperA(&path[0]);
        ASSERT_TRUE(m_tree.SetSelPath(path.c_str()));
        m_hFolder = m_tree.GetSelectedItem();
        ASSERT_EQ(m_temp.Path(), (m_tree.GetFullPath(m_hFolder) + '\\').GetString());
    }

    HTREEITEM Child(const char* text) const
    {
        for (HTREEITEM hItem : Children(m_tree, m_hFolder)) {
            if (m_tree.GetItemText(hItem) == text)
                return hItem;
        }
        return nullptr;
    }

    // As the user does it, with the keyboard on the selected item: opening by message raises no
    // notification once an item has been opened before.
    void Toggle(HTREEITEM hItem, bool open)
    {
        m_tree.SelectItem(hItem);
        m_tree.SendMessage(WM_KEYDOWN, open ? VK_ADD : VK_SUBTRACT);
    }

    test::TempFolder m_temp;
    CTreeHost m_host;
    CFolderTreeCtrl& m_tree = m_host.m_tree;
    HTREEITEM m_hFolder = nullptr;
};

TEST_F(FolderTree, OpeningShowsSortedFoldersWithTheShellsIconsAndButtonsOnlyWhereNeeded)
{
    EXPECT_EQ((Texts{ "A", "b", "c" }), ChildTexts(m_tree, m_hFolder));
    for (const char* name : { "A", "b", "c" }) {
        EXPECT_EQ(m_temp / name, m_tree.GetFullPath(Child(name)).GetString());
        EXPECT_EQ(ShellIcons(m_temp / name), ItemIcons(m_tree, Child(name))) << name;
    }
    EXPECT_EQ("A()b()c(..)", Dump(m_tree, m_hFolder));
    Toggle(Child("c"), true);
    EXPECT_EQ(Texts{ "x" }, ChildTexts(m_tree, Child("c")));
}

TEST_F(FolderTree, ClosingDiscardsChildrenAndReopeningRereadsTheDisk)
{
    Toggle(m_hFolder, false);
    EXPECT_EQ(Texts{}, ChildTexts(m_tree, m_hFolder));
    EXPECT_TRUE(m_tree.ItemHasChildren(m_hFolder));
    m_temp.CreateFolder("B2");
    m_temp.CreateFolder("A\\late");
    Toggle(m_hFolder, true);
    EXPECT_EQ("A(..)b()B2()c(..)", Dump(m_tree, m_hFolder));

    // A folder emptied on disk keeps its button until it is opened again.
    Toggle(Child("c"), true);
    Toggle(Child("c"), false);
    ASSERT_TRUE(::RemoveDirectoryA((m_temp / "c\\x").c_str()));
    EXPECT_EQ("A(..)b()B2()c*(..)", Dump(m_tree, m_hFolder));
    Toggle(Child("c"), true);
    EXPECT_EQ("A(..)b()B2()c*()", Dump(m_tree, m_hFolder));

    // Opening along a path rereads the folders on it that were opened before, also when the
    // first item shown lies among the children it throws away.
    m_temp.CreateFolder("d");
    m_tree.SelectSetFirstVisible(Child("c"));
    ASSERT_TRUE(m_tree.SetSelPath(m_temp.Path().c_str()));
    EXPECT_EQ((Texts{ "A", "b", "B2", "c", "d" }), ChildTexts(m_tree, m_tree.GetSelectedItem()));
}

// Closed with a click on its button while its first child is selected, a folder takes the
// selection in one move: the control would otherwise pass it on to each sibling it deletes, and
// the dialog lists every folder the selection lands on.
TEST_F(FolderTree, ClosingAFolderAboveTheSelectionMovesItOnce)
{
    m_tree.SelectItem(Child("A"));
    RECT rect = {};
    ASSERT_TRUE(TreeView_GetItemRect(m_tree, m_hFolder, &rect, TRUE));
    TVHITTESTINFO hit = {};
    hit.pt.y = (rect.top + rect.bottom) / 2;
    while (TreeView_HitTest(m_tree, &hit) != m_hFolder || !(hit.flags & TVHT_ONITEMBUTTON))
        ASSERT_LT(++hit.pt.x, rect.left);
    NotifyCounter counter(m_host);
    m_tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, hit.pt.y));
    m_tree.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(hit.pt.x, hit.pt.y));
    EXPECT_EQ(Texts{}, ChildTexts(m_tree, m_hFolder));
    EXPECT_EQ(m_hFolder, m_tree.GetSelectedItem());
    EXPECT_EQ(1, counter.selectionChanges);
}

TEST_F(FolderTree, SetSelPathChangesNothingWhereItFails)
{
    ASSERT_TRUE(::RemoveDirectoryA((m_temp / "b").c_str()));
    const std::string before = Dump(m_tree);
    for (const std::string& path : { std::string(), std::string("A:\\"), std::string("Q:\\x"),
                                     m_temp / "b", m_temp / "b\\" }) {
        EXPECT_FALSE(m_tree.SetSelPath(path.c_str())) << path;
        EXPECT_EQ(before, Dump(m_tree)) << path;
    }

    // The dialog starts with an empty path on a fresh tree: nothing is opened or selected.
    ASSERT_TRUE(m_tree.DisplayTree(nullptr, FALSE));
    EXPECT_FALSE(m_tree.SetSelPath(""));
    EXPECT_EQ(std::string::npos, Dump(m_tree).find_first_of("+*")) << Dump(m_tree);
}

// Folders share the shell's plain folder icons unless the shell may give one its own: Windows
// reads a desktop.ini only in a folder marked read-only or system, Wine in any folder.
TEST_F(FolderTree, AFolderTheShellGivesItsOwnIconShowsThatIcon)
{
    const std::string dll = "C:\\windows\\system32\\shell32.dll";
    for (const char* name : { "own", "ini" }) {
        m_temp.CreateFolder(name);
        m_temp.CreateFileWith(std::string(name) + "\\desktop.ini",
                              "[.ShellClassInfo]\r\nIconFile=" + dll + "\r\nIconIndex=8\r\n" +
                                  "IconResource=" + dll + ",8\r\n");
    }
    const std::string own = m_temp / "own";
    ASSERT_TRUE(::SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_READONLY));
    if (ShellIcons(own) == ShellIcons(m_temp / "A"))
        GTEST_SKIP() << "this shell draws no folder with an icon of its own";

    Toggle(m_hFolder, false);
    Toggle(m_hFolder, true);
    for (const char* name : { "A", "own", "ini" })
        EXPECT_EQ(ShellIcons(m_temp / name), ItemIcons(m_tree, Child(name))) << name;
    EXPECT_NE(ItemIcons(m_tree, Child("A")), ItemIcons(m_tree, Child("own")));
    ::SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Run under code page 1252 and again under 932 (see test::kTestedCodePages).
class FolderTreeCodePageTest : public FolderTree {};

// Folders the directory search cannot reach show all the same, without a button: one past the
// platform's path limit, with the plain icons and its whole path (under 932 its parent's name is
// twice as many bytes, each character ending in 0x5C), and two whose names the code page cannot
// spell, with '?' for what it cannot, beside the folder the system would have taken them for. The
// two show the same text and stay two items when the tree is read again.
TEST_F(FolderTreeCodePageTest, FoldersTheSearchCannotReachShowWithoutAButton)
{
    const bool is932 = ::GetACP() == 932;
    const std::string unit = is932 ? "\x95\x5C" : "L", lookAlike = is932 ? "cafe" : "Omega";
    const std::string shown = is932 ? "caf?" : "?mega";
    const std::wstring unspellable = is932 ? L"caf\u00e9" : L"\u03A9mega";
    const std::wstring alsoUnspellable = is932 ? L"caf\u00e8" : L"\u0416mega";
    std::string longName;
    while (longName.size() < 80 * unit.size())
        longName += unit;
    const std::string deepName = longName + "\\" + std::string(200, 'D');
    const std::wstring made[] = { Wide(longName), Wide(deepName),       Wide(deepName) + L"\\x",
                                  unspellable,    unspellable + L"\\s", alsoUnspellable };
    for (const std::wstring& path : made)
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + Wide(m_temp.Path()) + path).c_str(), nullptr));
    m_temp.CreateFolder(lookAlike);
    m_temp.CreateFolder(lookAlike + "\\t");
    ASSERT_TRUE(m_tree.RefreshTree());

    for (const std::string& name : { longName, shown, lookAlike })
        Toggle(Child(name.c_str()), true);
    const HTREEITEM hDeep = m_tree.GetChildItem(Child(longName.c_str()));
    EXPECT_EQ(m_temp / deepName, m_tree.GetFullPath(hDeep).GetString());
    EXPECT_EQ(ItemIcons(m_tree, Child("A")), ItemIcons(m_tree, hDeep));
    const std::string deep = longName + "+(" + std::string(200, 'D') + "())";
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(m_tree.RefreshTree());
        EXPECT_EQ(is932 ? "A()b()c(..)caf?()caf?()cafe+*(t())" + deep
                        : "?mega()?mega()A()b()c(..)" + deep + "Omega+*(t())",
                  Dump(m_tree, m_hFolder))
            << pass;
    }
    EXPECT_FALSE(m_tree.SetSelPath((m_temp / shown).c_str()));
    for (int i = 2; i >= 0; --i)
        ::RemoveDirectoryW((L"\\\\?\\" + Wide(m_temp.Path()) + made[i]).c_str());
}

TEST_F(FolderTree, RefreshRereadsOpenLevelsAndMovesTheSelectionOnlyOutOfWhatWent)
{
    Toggle(Child("c"), true);
    m_tree.SelectItem(m_tree.GetChildItem(Child("c")));
    NotifyCounter counter(m_host);
    for (const char* name : { "d", "A\\n", "c\\y" })
        m_temp.CreateFolder(name);
    // Closed folders are asked again for their buttons; the selection goes to the nearest folder
    // left, and only when its own goes.
    const struct {
        std::vector<std::string> removed;
        std::string dump;
        int selectionChanges;
    } steps[] = { { { "b" }, "A(..)c+(x*()y())d()", 0 },
                  { { "c\\x" }, "A(..)c+*(y())d()", 1 },
                  { { "c\\y", "c" }, "A(..)d()", 2 } };
    for (const auto& step : steps) {
        for (const std::string& name : step.removed)
            ::RemoveDirectoryA((m_temp / name).c_str());
        ASSERT_TRUE(m_tree.RefreshTree());
        EXPECT_EQ(step.dump, Dump(m_tree, m_hFolder));
        EXPECT_EQ(step.selectionChanges, counter.selectionChanges) << step.dump;
    }
    EXPECT_EQ(m_hFolder, m_tree.GetSelectedItem());
}

// The control asks for a row's button when it draws the row: opening and scrolling through ten
// thousand folders searches only the folders that come into view, each at most once, and each
// shows its button by the time it is seen.
TEST(FolderTreeLookAhead, RunsForTheRowsOnScreenOnly)
{
    // Made in one go on the Unix side, and removed from there in the background once out of the
    // way: removing ten thousand folders takes many seconds on some file systems.
    test::TempFolder temp;
    const std::string many = test::Quoted(temp / "many");
    test::UnixChange folders(
        { "mkdir " + many + " && cd " + many + " && seq -f f%05g 0 9999 | xargs mkdir" +
              " && seq -f f%05g/x 0 7 9999 | xargs mkdir",
          "cd " + many + "/.. && mv many ../vk-gone-$$" + " && { rm -rf ../vk-gone-$$ & }" });
    if (!folders.Made())
        GTEST_SKIP() << "no Unix side to make ten thousand folders on";
    CTreeHost host;
    CFolderTreeCtrl& tree = host.m_tree;
    ::ShowWindow(host, SW_SHOWNOACTIVATE);
    NotifyCounter counter(host);
    // The scratch folder as the only root, so that nothing follows the ten thousand rows: other
    // folders in the temporary folder (another run's, still being removed) would.
    ASSERT_TRUE(tree.DisplayTree(temp.Path().c_str(), FALSE));
    tree.Expand(tree.GetRootItem(), TVE_EXPAND);
    const HTREEITEM hMany = tree.GetChildItem(tree.GetRootItem());
    ASSERT_TRUE(hMany && tree.Expand(hMany, TVE_EXPAND));
    tree.SelectItem(hMany);

    // The scroll box dragged as the user does, to the top, one row down, on, and past the end.
    const int rows = static_cast<int>(tree.SendMessage(TVM_GETVISIBLECOUNT));
    std::string last;
    HTREEITEM hHolder = nullptr;
    for (int position : { 0, 1, 2500, 5000, 20000 }) {
        const int before = counter.lookAheads;
        tree.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position));
        ::UpdateWindow(tree);
        const int drawn = counter.lookAheads;
        EXPECT_LE(drawn - before, rows + 1) << position;
        HTREEITEM hRow = tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE);
        for (int row = 0; hRow && row < rows;
             ++row, hRow = tree.GetNextItem(hRow, TVGN_NEXTVISIBLE)) {
            if (tree.GetParentItem(hRow) != hMany)
                continue;
            last = tree.GetItemText(hRow).GetString();
            const bool holds = atoi(last.c_str() + 1) % 7 == 0;
            EXPECT_EQ(holds, tree.ItemHasChildren(hRow) != 0) << last;
            hHolder = holds ? hRow : hHolder;
        }
        // Every row on screen was answered as it was drawn: asking for its button again is free.
        EXPECT_EQ(drawn, counter.lookAheads) << position;
    }
    EXPECT_EQ("f09999", last);
    ASSERT_TRUE(hHolder);
    tree.SelectItem(hHolder);
    tree.SendMessage(WM_KEYDOWN, VK_ADD);
    EXPECT_EQ(Texts{ "x" }, ChildTexts(tree, hHolder));
}
