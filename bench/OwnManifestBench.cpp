// Reading programs' own manifests, against a bare open and close of the same files.
#include "bench/Bench.h"

#include "programs/OwnManifest.h"

#include <stdio.h>

namespace {

// What every classification starts from: opening the file with every share mode and closing it.
void BareOpen(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
}

int ReadAll(const std::vector<std::string>& paths)
{
    int themed = 0;
    for (const std::string& path : paths)
        themed += ReadOwnManifest(path.c_str()) == OwnManifest::Themed;
    return themed;
}

// The other way to find a program's own manifest, for comparison: mapping the file and asking
// the resource functions.
int MapAll(const std::vector<std::string>& paths)
{
    int found = 0;
    for (const std::string& path : paths) {
        HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!module)
            continue;
        found += ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) != nullptr;
        ::FreeLibrary(module);
    }
    return found;
}

struct Figures {
    double bare = 0, read = 0, mapped = 0;
    int themed = 0, found = 0;
};

Figures Measure(const std::vector<std::string>& paths, int rounds)
{
    Figures figures;
    ReadAll(paths); // warms the caches every run reads from
    // Alternating keeps a slow patch of the machine from favouring either.
    for (int round = 0; round < rounds; ++round) {
        bench::KeepFastest(figures.bare, bench::Time([&] { BareOpen(paths); }));
        bench::KeepFastest(figures.read, bench::Time([&] { figures.themed = ReadAll(paths); }));
        if (round < 2)
            bench::KeepFastest(figures.mapped, bench::Time([&] { figures.found = MapAll(paths); }));
    }
    return figures;
}

void Print(const char* what, const std::vector<std::string>& paths, const Figures& figures)
{
    const double n = double(paths.size());
    printf("%-36s %8.1f us %8.1f us %7.2fx %8.1f us %7.2fx   %d themed, %d mapped\n", what,
           figures.bare / n * 1e6, figures.read / n * 1e6, figures.read / figures.bare,
           figures.mapped / n * 1e6, figures.mapped / figures.bare, figures.themed, figures.found);
    fflush(stdout);
}

} // namespace

VENEERKIT_BENCH(OwnManifestReading)
{
    const int count = 10000, rounds = 5;
    printf("Per file: a bare open and close (every share mode), ReadOwnManifest, and for\n"
           "comparison LoadLibraryEx as a data file with FindResource; fastest of %d rounds\n"
           "(of 2 for the mapping).\n\n",
           rounds);
    printf("%-36s %11s %11s %8s %11s %8s\n", "", "bare open", "read", "ratio", "mapped", "ratio");

    {
        test::TempFolder scratch;
        // Every other program has an own manifest; the rest have resources but no manifest.
        const auto paths = bench::CreatePrograms(
            scratch.Path(), count, { test::FixturePath("themed"), test::FixturePath("plain") });
        Print("10,000 small programs, half themed", paths, Measure(paths, rounds));
        bench::EmptyFolder(scratch.Path());
    }
    {
        test::TempFolder scratch;
        // A real program: its icon lies between the directory and the manifest, a third read.
        const auto paths = bench::CreatePrograms(scratch.Path(), count / 10,
                                                 { test::ProductPath() });
        Print("1,000 copies of Veneerkit.exe", paths, Measure(paths, rounds));
        bench::EmptyFolder(scratch.Path());
    }
}
