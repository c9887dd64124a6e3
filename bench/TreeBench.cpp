// Opening a large folder in the real folder tree, against the bare directory search of the
// same folder, with the parts of the work timed one by one.
#include "bench/Bench.h"

#include "folders/FolderTreeCtrl.h"
#include "platform/Handle.h"

#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>

namespace {

// A top-level window of our layer, so the tree's notifications come back to it as in the dialog.
class TreeWindow {
public:
    TreeWindow()
    {
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_TREEVIEW_CLASSES };
        ::InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VeneerkitBenchHost";
        ::RegisterClassA(&wc);
        HWND hHost = ::CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                       600, nullptr, nullptr, wc.hInstance, nullptr);
        m_host.SubclassWindow(hHost);
        HWND hTree = ::CreateWindowExA(0, WC_TREEVIEWA, "",
                                       WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                           TVS_LINESATROOT,
                                       0, 0, 380, 560, hHost, reinterpret_cast<HMENU>(1009),
                                       wc.hInstance, nullptr);
        m_tree.SubclassWindow(hTree);
        ::ShowWindow(hHost, SW_SHOWNOACTIVATE);
    }
    ~TreeWindow() { ::DestroyWindow(m_host.m_hWnd); }

    CWnd m_host;
    CFolderTreeCtrl m_tree;
};

// Opens the folder's item as the user's first click does: a closed item with its dummy child
// is expanded, the tree raises TVN_ITEMEXPANDED, and the level is read and filled.
double TimeOpening(CFolderTreeCtrl& tree, HTREEITEM hFolder)
{
    tree.Expand(hFolder, TVE_COLLAPSE | TVE_COLLAPSERESET);
    tree.InsertItem("", hFolder);
    return bench::Time([&] { tree.Expand(hFolder, TVE_EXPAND); });
}

int CountChildren(const CTreeCtrl& tree, HTREEITEM hItem)
{
    int count = 0;
    for (HTREEITEM hChild = tree.GetChildItem(hItem); hChild;
         hChild = tree.GetNextSiblingItem(hChild))
        ++count;
    return count;
}

struct Parts {
    double bare = 0, opening = 0, listing = 0, lookAhead = 0, icons = 0, iconsByPath = 0,
           iconHandles = 0, inserts = 0;
};

// The closed and open icon queries for every path, with the flags given.
void QueryIcons(const CSortStringArray& folders, UINT flags)
{
    for (int i = 0; i < folders.GetSize(); ++i) {
        CString path = folders[i] + '\\';
        for (UINT open : { 0u, UINT(SHGFI_OPENICON) }) {
            SHFILEINFOA info = {};
            ::SHGetFileInfoA(path, 0, &info, sizeof(info), flags | SHGFI_SMALLICON | open);
            IconHandle icon(info.hIcon);
        }
    }
}

} // namespace

VENEERKIT_BENCH(TreeOpening)
{
    const int counts[] = { 1000, 10000 };
    // The icon queries by path for 10,000 folders take minutes under Wine: one round there.
    const int roundsFor[] = { 3, 1 };

    printf("Opening a folder of N empty sub-folders in the folder tree (icons and look-ahead\n"
           "included) against a bare FindFirstFile/FindNextFile loop over the same folder, and\n"
           "the parts of the opening timed alone; fastest of %d rounds (of %d for 10,000).\n"
           "Icons: the tree asks the shell once for the plain folder icons and then only reads\n"
           "each folder's attributes and looks for its desktop.ini; 'by path' is the closed and\n"
           "open icon queries by path for every folder, and 'with handles' the same asking for\n"
           "icon handles (SHGFI_ICON) too: the two ways the tree took before.\n\n",
           roundsFor[0], roundsFor[1]);
    printf("%6s %9s %10s %7s | %9s %10s %9s %9s %9s | %9s %12s\n", "N", "bare", "opening", "ratio",
           "list+sort", "look-ahead", "icons", "inserts", "the rest", "by path", "with handles");

    for (int c = 0; c < 2; ++c) {
        test::TempFolder scratch;
        const std::string folder = bench::CreateSubFolders(scratch, counts[c], 815 + c);
        bench::BareSearch(folder);

        // The folder as the tree's only root item, which the tree fills at once: the timed
        // openings below read it again each time.
        TreeWindow window;
        CFolderTreeCtrl& tree = window.m_tree;
        tree.DisplayTree(folder.c_str(), FALSE);
        HTREEITEM hFolder = tree.GetRootItem();

        Parts parts;
        CSortStringArray folders, files;
        for (int round = 0; round < roundsFor[c]; ++round) {
            bench::KeepFastest(parts.bare, bench::Time([&] { bench::BareSearch(folder); }));
            bench::KeepFastest(parts.opening, TimeOpening(tree, hFolder));
            bench::KeepFastest(parts.listing, bench::Time([&] {
                                   ListFolder(folder.c_str(), FALSE, folders, files);
                               }));
            bench::KeepFastest(parts.lookAhead, bench::Time([&] {
                                   for (int i = 0; i < folders.GetSize(); ++i)
                                       HasSubFolders(folders[i], FALSE);
                               }));
            bench::KeepFastest(parts.icons, bench::Time([&] {
                                   for (int i = 0; i < folders.GetSize(); ++i)
                                       IsPlainFolder(folders[i]);
                               }));
            bench::KeepFastest(parts.iconsByPath,
                               bench::Time([&] { QueryIcons(folders, SHGFI_SYSICONINDEX); }));
            bench::KeepFastest(parts.iconHandles,
                               bench::Time([&] { QueryIcons(folders, SHGFI_ICON); }));
            // The inserts alone, into the open item with redrawing off, as the opening does them.
            tree.SetRedraw(FALSE);
            while (HTREEITEM hChild = tree.GetChildItem(hFolder))
                tree.DeleteItem(hChild);
            bench::KeepFastest(parts.inserts, bench::Time([&] {
                                   for (int i = 0; i < folders.GetSize(); ++i)
                                       tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE,
                                                       GetSubPath(folders[i]), 3, 4, hFolder,
                                                       TVI_LAST);
                               }));
            tree.SetRedraw(TRUE);
        }
        TimeOpening(tree, hFolder);
        if (CountChildren(tree, hFolder) != counts[c])
            printf("(the tree shows %d items, expected %d)\n", CountChildren(tree, hFolder),
                   counts[c]);

        double rest = parts.opening - parts.listing - parts.lookAhead - parts.icons - parts.inserts;
        printf("%6d %6.0f ms %7.0f ms %6.0fx | %6.0f ms %7.0f ms %6.0f ms %6.0f ms %6.0f ms | "
               "%6.0f ms %9.0f ms\n",
               counts[c], parts.bare * 1e3, parts.opening * 1e3, parts.opening / parts.bare,
               parts.listing * 1e3, parts.lookAhead * 1e3, parts.icons * 1e3, parts.inserts * 1e3,
               rest * 1e3, parts.iconsByPath * 1e3, parts.iconHandles * 1e3);
        fflush(stdout);
    }
}
