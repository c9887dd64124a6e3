// Listing and sorting a large folder against the bare directory search of the same folder.
#include "bench/Bench.h"

#include "folders/FolderEnum.h"
#include "platform/FileFind.h"

#include <mbstring.h>
#include <math.h>
#include <stdio.h>

namespace {

// A quadratic sort to measure the listing's against, at the smallest size only: passes of
// neighbour exchanges that copy both names for every comparison and exchange through a temporary
// copy, until a pass changes nothing.
void ExchangeSortWithCopies(CSortStringArray& array)
{
    bool swapped = true;
    while (array.GetSize() >= 2 && swapped) {
        swapped = false;
        for (int i = 0; i + 1 < array.GetSize(); ++i) {
            CString first = array.GetAt(i);
            CString second = array.GetAt(i + 1);
            if (_mbsicmp(reinterpret_cast<const unsigned char*>(first.GetString()),
                         reinterpret_cast<const unsigned char*>(second.GetString())) > 0) {
                CString temporary = first;
                array.SetAt(i, second);
                array.SetAt(i + 1, temporary);
                swapped = true;
            }
        }
    }
}

// The folder's sub-folder paths in the order the directory search gives them.
void UnsortedPaths(const std::string& folder, CSortStringArray& paths)
{
    paths.RemoveAll();
    CFileFind finder;
    BOOL bMore = finder.FindFile((folder + "\\*.*").c_str());
    while (bMore) {
        bMore = finder.FindNextFile();
        if (finder.IsDirectory() && !finder.IsDots())
            paths.Add(finder.GetFilePath());
    }
}

double NLogN(double n)
{
    return n * log(n);
}

struct Figures {
    double bare = 0, listing = 0, sortOnly = 0;
};

} // namespace

VENEERKIT_BENCH(FolderListing)
{
    const int counts[] = { 1000, 10000, 50000 };
    const int rounds = 5;
    Figures figures[3];

    printf("Sub-folders listed and sorted (ListFolder) against a bare FindFirstFile/FindNextFile\n"
           "loop over the same folder; fastest of %d rounds each.\n\n",
           rounds);
    printf("%8s %12s %16s %12s %8s\n", "N", "bare search", "listing + sort", "sort alone", "ratio");

    for (int c = 0; c < 3; ++c) {
        test::TempFolder scratch;
        const std::string folder = bench::CreateSubFolders(scratch, counts[c], 4711 + c);

        int seen = bench::BareSearch(folder); // warms the caches both runs read from
        if (seen != counts[c] + 2)
            printf("(the search saw %d entries, expected %d)\n", seen, counts[c] + 2);

        CSortStringArray folders, files;
        // Alternating the two keeps a slow patch of the machine from favouring either.
        for (int round = 0; round < rounds; ++round) {
            bench::KeepFastest(figures[c].bare, bench::Time([&] { bench::BareSearch(folder); }));
            bench::KeepFastest(figures[c].listing, bench::Time([&] {
                                   ListFolder(folder.c_str(), FALSE, folders, files);
                               }));
        }
        if (folders.GetSize() != counts[c])
            printf("(the listing gave %d folders, expected %d)\n", folders.GetSize(), counts[c]);

        CSortStringArray paths;
        // The sort alone, on the paths in search order, as the listing hands them over.
        for (int round = 0; round < rounds; ++round) {
            UnsortedPaths(folder, paths);
            bench::KeepFastest(figures[c].sortOnly, bench::Time([&] { paths.Sort(); }));
        }

        printf("%8d %10.1f ms %14.1f ms %9.1f ms %7.2fx\n", counts[c], figures[c].bare * 1e3,
               figures[c].listing * 1e3, figures[c].sortOnly * 1e3,
               figures[c].listing / figures[c].bare);
        fflush(stdout);

        if (c == 0) {
            UnsortedPaths(folder, paths);
            double quadratic = bench::Time([&] { ExchangeSortWithCopies(paths); });
            printf("%8s exchange sort alone: %.1f ms (%.0fx the listing's sort)\n", "",
                   quadratic * 1e3, quadratic / figures[c].sortOnly);
            fflush(stdout);
        }
        bench::EmptyFolder(folder);
    }

    printf("\nGrowth from 10,000 to 50,000: listing + sort %.2fx, bare search %.2fx, "
           "n log n %.2fx, n^2 %.0fx\n",
           figures[2].listing / figures[1].listing, figures[2].bare / figures[1].bare,
           NLogN(50000) / NLogN(10000), 25.0);
    printf("Target at 50,000: listing + sort within 2x the bare search: %.2fx (%s)\n",
           figures[2].listing / figures[2].bare,
           figures[2].listing <= 2 * figures[2].bare ? "met" : "NOT met");
}
