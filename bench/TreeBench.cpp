// Opening a large folder in the real folder tree, against the bare directory search of the
// same folder, with the parts of the work timed one by one.
#include "bench/Bench.h"

#include "folders/FolderTreeCtrl.h"
#include "support/HostWindow.h"

#include <commctrl.h>
#include <math.h>
#include <stdio.h>

#include <memory>

namespace {

// A shown host window, so the tree's notifications come back to it as in the dialog.
class CTreeWindow : public test::CHostWindow {
public:
    CTreeWindow() : CHostWindow(400, 600)
    {
        AddControl(m_tree, WC_TREEVIEWA, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 380, 560,
                   1009);
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    }

    CFolderTreeCtrl m_tree;
};

// Wine's tree control crashes when a reset removes the first item shown, so the view starts at
// the folder's own item first.
void CloseAndEmpty(CFolderTreeCtrl& tree, HTREEITEM hFolder)
{
    tree.SelectSetFirstVisible(hFolder);
    tree.Expand(hFolder, TVE_COLLAPSE | TVE_COLLAPSERESET);
}

// Opens the folder's item as the user's first click does, then lets the control draw what it
// shows: the level is read and filled, and the rows on screen get their buttons and icons.
void TimeOpening(CFolderTreeCtrl& tree, HTREEITEM hFolder, double& expand, double& paint)
{
    CloseAndEmpty(tree, hFolder);
    expand = bench::Time([&] { tree.Expand(hFolder, TVE_EXPAND); });
    paint = bench::Time([&] { ::UpdateWindow(tree); });
}

// What each row on screen costs once: the look-ahead for its button and the look at its own
// entry for its icons.
void LookAhead(const CSortStringArray& folders, int first, int count)
{
    for (int i = first; i < first + count && i < folders.GetSize(); ++i) {
        HasSubFolders(folders[i], FALSE);
        IsPlainFolder(folders[i]);
    }
}

// The look-ahead as FindFirstFileEx can do it: directories only, no short names, large reads.
bool HasSubFoldersEx(const CString& path)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileExA(path + "\\*.*", FindExInfoBasic, &data,
                                      FindExSearchLimitToDirectories, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    do {
        const char* name = data.cFileName;
        found = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])));
    } while (!found && ::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    return found;
}

struct Parts {
    double bare = 0, opening = 0, expand = 0, paint = 0, listing = 0, inserts = 0, screen = 0,
           scroll = 0;
};

} // namespace

VENEERKIT_BENCH(TreeOpening)
{
    const int counts[] = { 1000, 10000, 50000 };
    const int roundsFor[] = { 3, 3, 1 };

    printf("Opening a folder of N sub-folders, every second holding one, in the folder tree until\n"
           "it has drawn the rows on screen, against a bare FindFirstFile/FindNextFile loop over\n"
           "the same folder; fastest of %d rounds (%d for 50,000). The opening is the expansion\n"
           "and the first paint. Timed alone: listing and sorting, inserting every item with\n"
           "redrawing off, the look-ahead and icon look for one screen of rows; 'control' is what\n"
           "the expansion takes beyond listing and inserts (the tree control's own layout), and\n"
           "'scroll' a jump to the middle of the folder with the new rows drawn.\n\n",
           roundsFor[0], roundsFor[2]);
    printf("%6s %9s %10s %7s | %10s %9s %9s | %9s %9s | %9s\n", "N", "bare", "opening", "ratio",
           "list+sort", "inserts", "control", "paint", "screen", "scroll");

    double openings[3] = {};
    for (int c = 0; c < 3; ++c) {
        test::TempFolder scratch;
        const std::string folder = bench::CreateSubFolders(scratch, counts[c], 815 + c, true);
        CSortStringArray folders, files;
        bench::BareSearch(folder);

        // The folder as the tree's only root item, which the tree fills at once: the timed
        // openings below read it again each time.
        auto window = std::make_unique<CTreeWindow>();
        CFolderTreeCtrl& tree = window->m_tree;
        tree.DisplayTree(folder.c_str(), FALSE);
        HTREEITEM hFolder = tree.GetRootItem();
        const int rows = static_cast<int>(tree.SendMessage(TVM_GETVISIBLECOUNT));

        Parts parts;
        for (int round = 0; round < roundsFor[c]; ++round) {
            bench::KeepFastest(parts.bare, bench::Time([&] { bench::BareSearch(folder); }));
            double expand = 0, paint = 0;
            TimeOpening(tree, hFolder, expand, paint);
            bench::KeepFastest(parts.opening, expand + paint);
            bench::KeepFastest(parts.expand, expand);
            bench::KeepFastest(parts.paint, paint);
            // The user drags the scroll box to the middle: the rows there are drawn for the
            // first time.
            bench::KeepFastest(parts.scroll, bench::Time([&] {
                                   tree.SendMessage(WM_VSCROLL,
                                                    MAKEWPARAM(SB_THUMBPOSITION, counts[c] / 2));
                                   ::UpdateWindow(tree);
                               }));
            bench::KeepFastest(parts.listing, bench::Time([&] {
                                   ListFolder(folder.c_str(), FALSE, folders, files);
                               }));
            bench::KeepFastest(parts.screen,
                               bench::Time([&] { LookAhead(folders, counts[c] / 4, rows); }));
            // The inserts alone, into the closed item with redrawing off, as the opening does
            // them: the icons and the button are left to the control to ask for.
            CloseAndEmpty(tree, hFolder);
            tree.SetRedraw(FALSE);
            bench::KeepFastest(parts.inserts, bench::Time(
                                                  [&] {
                TVINSERTSTRUCTA insert = {};
                insert.hParent = hFolder;
                insert.hInsertAfter = TVI_LAST;
                insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
                insert.item.iImage = I_IMAGECALLBACK;
                insert.item.iSelectedImage = I_IMAGECALLBACK;
                insert.item.cChildren = I_CHILDRENCALLBACK;
                for (int i = 0; i < folders.GetSize(); ++i) {
                    insert.item.pszText = const_cast<char*>(GetSubPath(folders[i]));
                    tree.InsertItem(insert);
                }
            }));
            tree.SetRedraw(TRUE);
        }
        openings[c] = parts.opening;

        const double control = parts.expand - parts.listing - parts.inserts;
        printf("%6d %6.0f ms %7.0f ms %6.1fx | %7.0f ms %6.0f ms %6.0f ms | %6.0f ms %6.1f ms | "
               "%6.1f ms\n",
               counts[c], parts.bare * 1e3, parts.opening * 1e3, parts.opening / parts.bare,
               parts.listing * 1e3, parts.inserts * 1e3, control * 1e3, parts.paint * 1e3,
               parts.screen * 1e3, parts.scroll * 1e3);
        if (c == 0) {
            // The one search a row costs, its look-ahead, the way CFileFind does it and the way
            // FindFirstFileEx can, over every folder of this size.
            const double plain = bench::Time([&] {
                for (int i = 0; i < folders.GetSize(); ++i)
                    HasSubFolders(folders[i], FALSE);
            });
            const double ex = bench::Time([&] {
                for (int i = 0; i < folders.GetSize(); ++i)
                    HasSubFoldersEx(folders[i]);
            });
            printf("       look-ahead per folder: %.0f us with FindFirstFile, %.0f us with "
                   "FindFirstFileEx\n",
                   plain * 1e6 / folders.GetSize(), ex * 1e6 / folders.GetSize());
        }
        fflush(stdout);
        window.reset();
        bench::EmptyFolder(folder);
    }

    // n log n from 1,000 up: how much of that the opening took.
    const auto nLogN = [](double n) { return n * log(n); };
    printf("growth from 1,000: %.1fx to 10,000 (n log n: %.1fx), %.1fx to 50,000 (n log n: "
           "%.1fx)\n",
           openings[1] / openings[0], nLogN(10000) / nLogN(1000), openings[2] / openings[0],
           nLogN(50000) / nLogN(1000));
}
