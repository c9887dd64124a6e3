// Sorting and searching arrays with the C runtime's qsort and bsearch: one copy of the code for
// every element type, where the C++ library's algorithms would add their own for each use.
#pragma once

#include <stdlib.h>

// A comparison of two elements given by address: <0, 0 or >0.
using CompareElements = int(__cdecl*)(const void* a, const void* b);

// Sorts `count` elements in place. Elements are moved as bytes, which every type of ours allows:
// none points into itself. Not stable: give equal elements an order of their own where it counts.
template <class T>
void SortElements(T* data, int count, CompareElements compare)
{
    if (count > 1)
        ::qsort(data, static_cast<size_t>(count), sizeof(T), compare);
}

// The index of the first of `count` sorted elements that does not compare less than `key`
// (count where all do); `compare` is given the element first and the key second.
template <class T, class Key>
int LowerBound(const T* data, int count, const Key& key, int (*compare)(const T&, const Key&))
{
    int first = 0;
    while (count > 0) {
        const int half = count / 2;
        if (compare(data[first + half], key) < 0) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    return first;
}
