// Listing a folder of programs into the real dialog, against one bare directory search of it.
#include "bench/Bench.h"

#include "app/ManifestDlg.h"
#include "programs/ManifestFile.h"
#include "support/ModelessDialog.h"

#include <commctrl.h>
#include <stdio.h>

namespace {

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// N programs: every other one carries its own manifest, every tenth has our side file.
void CreatePrograms(const std::string& folder, int count)
{
    const std::vector<std::string> paths = bench::CreatePrograms(
        folder, count, { test::FixturePath("themed"), test::FixturePath("plain") });
    for (int i = 0; i < count; i += 10)
        EnsureManifest((paths[i] + ".manifest").c_str());
}

int CheckedRows(HWND hList)
{
    int checked = 0;
    const int count = static_cast<int>(::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        checked += ListView_GetCheckState(hList, row) ? 1 : 0;
    return checked;
}

struct Figures {
    double bare = 0, listing = 0, entries = 0, repaint = 0;
};

} // namespace

VENEERKIT_BENCH(ProgramListing)
{
    const int counts[] = { 1000, 10000 };
    const int rounds = 5;
    Figures figures[2];

    CModelessDialog<CManifestDlg> dlg;
    if (!dlg.Create()) {
        printf("cannot create the main dialog\n");
        return;
    }
    ::ShowWindow(dlg.m_hWnd, SW_SHOWNOACTIVATE);
    HWND hList = dlg.GetDlgItem(IDC_PROGRAM_LIST);
    HWND hTree = dlg.GetDlgItem(IDC_FOLDER_TREE);

    printf("ListPrograms on a folder of N programs (half carry their own manifest, a tenth have\n"
           "our side file), with the list painted, which reads the own manifests of the rows on\n"
           "screen; against one bare FindFirstFile/FindNextFile loop over the folder. Beside\n"
           "them, the listing of entries alone (one search of the folder, no file opened),\n"
           "and the same rows painted again, which reads no file: the list control's share.\n"
           "%s build, fastest of %d rounds each.\n\n",
           sizeof(void*) == 8 ? "x86-64" : "i686", rounds);
    printf("%6s %11s %14s %7s | %11s %11s\n", "N", "bare", "ListPrograms", "ratio", "entries",
           "repaint");

    for (int c = 0; c < 2; ++c) {
        test::TempFolder scratch;
        const std::string& folder = scratch.Path();
        CreatePrograms(folder, counts[c]);
        bench::BareSearch(folder); // warms the caches every run reads from
        // Each round chooses the folder's item in the tree, as a click does, from its parent's.
        test::SelectFolder(hTree, folder);
        const auto item = reinterpret_cast<LPARAM>(TreeView_GetSelection(hTree));
        const auto parentItem = reinterpret_cast<LPARAM>(TreeView_GetParent(hTree, item));

        int rows = 0;
        for (int round = 0; round < rounds; ++round) {
            // Each round lists into an empty list: emptying the last round's rows is not timed.
            ::SendMessageA(hTree, TVM_SELECTITEM, TVGN_CARET, parentItem);
            ::SendMessageA(hList, LVM_DELETEALLITEMS, 0, 0);
            Pump();
            bench::KeepFastest(figures[c].bare, bench::Time([&] { bench::BareSearch(folder); }));
            bench::KeepFastest(figures[c].listing, bench::Time([&] {
                                   ::SendMessageA(hTree, TVM_SELECTITEM, TVGN_CARET, item);
                                   ::UpdateWindow(hList);
                               }));
            bench::KeepFastest(figures[c].repaint, bench::Time([&] {
                                   ::InvalidateRect(hList, nullptr, TRUE);
                                   ::UpdateWindow(hList);
                               }));
            bench::KeepFastest(figures[c].entries, bench::Time([&] {
                                   CProgramList programs;
                                   programs.List(folder.c_str());
                               }));
            Pump();
        }
        rows = static_cast<int>(::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
        if (rows != counts[c] || CheckedRows(hList) != counts[c] / 10)
            printf("(the list shows %d rows, %d checked; expected %d and %d)\n", rows,
                   CheckedRows(hList), counts[c], counts[c] / 10);

        const Figures& f = figures[c];
        printf("%6d %8.1f ms %11.1f ms %6.2fx | %8.1f ms %8.1f ms\n", counts[c], f.bare * 1e3,
               f.listing * 1e3, f.listing / f.bare, f.entries * 1e3, f.repaint * 1e3);
        fflush(stdout);
        ::SendMessageA(hList, LVM_DELETEALLITEMS, 0, 0);
        bench::EmptyFolder(folder);
    }

    auto growth = [&](double Figures::*part) { return figures[1].*part / figures[0].*part; };
    printf("\nGrowth from 1,000 to 10,000 programs (10.0 is linear, 13.3 is n log n): bare %.1f,\n"
           "ListPrograms %.1f, entries %.1f\n",
           growth(&Figures::bare), growth(&Figures::listing), growth(&Figures::entries));
}

// All OFF on a folder of 20,000 programs of which 68 have a side file: the manifests one search
// finds are the only files it touches.
VENEERKIT_BENCH(AllOff)
{
    const int count = 20000, manifests = 68;
    test::TempFolder scratch;
    const std::string& folder = scratch.Path();
    const std::vector<std::string> paths = bench::CreatePrograms(folder, count, {});
    for (int i = 0; i < count; i += count / manifests)
        EnsureManifest((paths[i] + ".manifest").c_str());
    CProgramList programs;
    programs.List(folder.c_str());
    bench::BareSearch(folder);
    const double bare = bench::Time([&] { bench::BareSearch(folder); });
    CArray<int> changed;
    const double off = bench::Time([&] { programs.SwitchAll(false, changed); });
    int left = 0;
    for (int i = 0; i < programs.GetCount(); ++i)
        left += programs.IsChecked(i) ? 1 : 0;
    printf("All OFF on %d programs with %d manifests (%s build): %.1f ms, %.1fx one bare search\n"
           "of the folder (%.1f ms); %d manifests left.\n",
           count, manifests, sizeof(void*) == 8 ? "x86-64" : "i686", off * 1e3, off / bare,
           bare * 1e3, left);
    bench::EmptyFolder(folder);
}
