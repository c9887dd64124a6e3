// veneerkit_bench: runs the registered benchmarks and their shared helpers.
#include "bench/Bench.h"

#include <mbctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <utility>

namespace bench {

namespace {

std::vector<std::pair<std::string, Function>>& Registry()
{
    static std::vector<std::pair<std::string, Function>> registry;
    return registry;
}

} // namespace

Registration::Registration(const char* name, Function function)
{
    Registry().emplace_back(name, function);
}

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

std::string CreateSubFolders(const test::TempFolder& scratch, int count, unsigned seed,
                             bool everySecondHoldsOne)
{
    std::string folder = scratch.Path();
    folder.pop_back();
    // Distinct numbers spelt in letters keep the names distinct without regard to case.
    std::mt19937 random(seed);
    std::vector<int> numbers(count);
    for (int i = 0; i < count; ++i)
        numbers[i] = i;
    std::shuffle(numbers.begin(), numbers.end(), random);

    std::uniform_int_distribution<int> letter(0, 25), coin(0, 1), extra(0, 8);
    std::string names;
    for (int number : numbers) {
        std::string name;
        for (int n = extra(random); n > 0; --n)
            name += char((coin(random) ? 'a' : 'A') + letter(random));
        name += '_';
        for (int rest = number;; rest /= 26) {
            name += char((coin(random) ? 'a' : 'A') + rest % 26);
            if (rest < 26)
                break;
        }
        names += name + '\n';
        if (everySecondHoldsOne && number % 2 == 0)
            names += name + "/x\n";
    }

    // One mkdir on the Unix side makes them all at once, where a call per folder takes minutes
    // for tens of thousands under Wine. Elsewhere they are made one by one.
    test::TempFolder list;
    if (test::RunOnUnixSide("cd " + test::Quoted(folder) + " && xargs mkdir < " +
                            test::Quoted(list.CreateFileWith("names", names))))
        return folder;
    for (size_t start = 0, end; (end = names.find('\n', start)) != std::string::npos;
         start = end + 1) {
        std::string name = names.substr(start, end - start);
        std::replace(name.begin(), name.end(), '/', '\\');
        ::CreateDirectoryA((folder + "\\" + name).c_str(), nullptr);
    }
    return folder;
}

std::vector<std::string> CreatePrograms(const std::string& folder, int count,
                                        const std::vector<std::string>& sources)
{
    std::vector<std::string> paths, names(sources.empty() ? 1 : sources.size());
    for (int i = 0; i < count; ++i) {
        char name[32];
        wsprintfA(name, "Program%05d.exe", i);
        paths.push_back(folder + name);
        names[sources.empty() ? 0 : i % sources.size()] += std::string(name) + '\n';
    }

    // On the Unix side, tee writes one source to a few hundred files at a time, where a copy per
    // file takes minutes for tens of thousands under Wine. Elsewhere they are made one by one.
    test::TempFolder work;
    std::string script = "cd " + test::Quoted(folder) + " || exit 1\n";
    for (size_t s = 0; s < names.size(); ++s) {
        const std::string source = sources.empty() ? "/dev/null" : test::UnixPath(sources[s]);
        const std::string list = work.CreateFileWith("names" + std::to_string(s), names[s]);
        script += "xargs -n 256 sh -c 'tee -- \"$@\" <\"$0\" >/dev/null' '" + source + "' < " +
                  test::Quoted(list) + " || exit 1\n";
    }
    if (test::RunOnUnixSide("sh " + test::Quoted(work.CreateFileWith("create.sh", script))))
        return paths;
    for (int i = 0; i < count; ++i) {
        if (sources.empty())
            ::CloseHandle(::CreateFileA(paths[i].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        else
            ::CopyFileA(sources[i % sources.size()].c_str(), paths[i].c_str(), FALSE);
    }
    return paths;
}

void EmptyFolder(const std::string& folder)
{
    test::RunOnUnixSide("rm -rf " + test::Quoted(folder) + " && mkdir " + test::Quoted(folder));
}

int BareSearch(const std::string& folder)
{
    int entries = 0;
    WIN32_FIND_DATAA data;
    const std::string pattern = folder + (folder.back() == '\\' ? "*.*" : "\\*.*");
    HANDLE h = ::FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do
        ++entries;
    while (::FindNextFileA(h, &data));
    ::FindClose(h);
    return entries;
}

} // namespace bench

int main(int argc, char** argv)
{
    // The same string routines' code page as the product runs with.
    _setmbcp(_MB_CP_ANSI);

    auto& registry = bench::Registry();
    std::sort(registry.begin(), registry.end());
    for (const auto& entry : registry) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i)
            wanted = wanted || strstr(entry.first.c_str(), argv[i]) != nullptr;
        if (!wanted)
            continue;
        printf("== %s\n", entry.first.c_str());
        fflush(stdout);
        entry.second();
        printf("\n");
    }
    return 0;
}
