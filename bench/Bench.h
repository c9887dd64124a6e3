// What every benchmark of veneerkit_bench shares: registration, timing and scratch folders.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace bench {

using Function = void (*)();

// A static Registration in a bench file adds its function to the run; main runs them in
// name order, or only those whose names contain a command-line argument.
struct Registration {
    Registration(const char* name, Function function);
};

#define VENEERKIT_BENCH(name)                                          \
    static void name();                                                \
    static const bench::Registration name##Registration(#name, &name); \
    static void name()

// Seconds from an arbitrary start, from the performance counter.
double Now();

// Seconds one call of f takes.
template <class F>
double Time(F f)
{
    double start = Now();
    f();
    return Now() - start;
}

// Benchmarks report the fastest of several rounds: the figure least disturbed by the rest
// of the machine, which two shared cores disturb a lot.
inline void KeepFastest(double& best, double elapsed)
{
    if (best <= 0 || elapsed < best)
        best = elapsed;
}

// Creates `count` sub-folders of `scratch` with distinct names of mixed case, in random order,
// each second of them holding a folder x if asked. Returns the folder's path without a trailing
// backslash, as the folder tree builds paths.
std::string CreateSubFolders(const test::TempFolder& scratch, int count, unsigned seed,
                             bool everySecondHoldsOne = false);
// Creates Program00000.exe, Program00001.exe and on in `folder` (a path ending in a backslash):
// copies of `sources` in turn, or empty files where there are none. Returns their paths.
std::vector<std::string> CreatePrograms(const std::string& folder, int count,
                                        const std::vector<std::string>& sources);
// Empties `folder` at once where Wine has a Unix side; the scratch folder's own clean-up takes
// whatever is left, one entry at a time.
void EmptyFolder(const std::string& folder);

// Number of entries a bare FindFirstFile/FindNextFile loop over the folder's "*.*" sees; the
// folder's path may end in a backslash or not.
int BareSearch(const std::string& folder);

} // namespace bench
