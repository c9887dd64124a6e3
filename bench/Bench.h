// What every benchmark of veneerkit_bench shares: registration, timing and scratch folders.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

using Function = void (*)();

// A static Registration in a bench file adds its function to the run; main runs them in
// name order, or only those whose names contain a command-line argument.
struct Registration {
    Registration(const char* name, Function function);
};

#define VENEERKIT_BENCH(name)                                              \
    static void name();                                                    \
    static const bench::Registration name##Registration(#name, &name);     \
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

// A new folder under the temporary folder, removed with its contents when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Without a trailing backslash, as the folder tree builds paths.
    const std::string& Path() const { return m_path; }

    // Creates `count` sub-folders with distinct names of mixed case, in random order.
    void CreateSubFolders(int count, unsigned seed);

private:
    std::string m_path;
};

// Number of entries a bare FindFirstFile/FindNextFile loop over the folder's "*.*" sees.
int BareSearch(const std::string& folder);

} // namespace bench
