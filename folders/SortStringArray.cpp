// Case-insensitive, order-keeping sort of names for the folder tree.
#include "folders/SortStringArray.h"

#include <algorithm>

CSortStringArray::~CSortStringArray() = default;

BOOL CSortStringArray::CompareAndSwap(int i)
{
    if (i < 0 || i + 1 >= GetSize())
        return FALSE;
    CString* items = GetData();
    if (CompareNoCase(items[i], items[i + 1]) <= 0)
        return FALSE;
    items[i].Swap(items[i + 1]);
    return TRUE;
}

// Repeated passes of CompareAndSwap would give the same order, but in quadratic time: minutes
// for a folder with tens of thousands of entries. _mbsicmp compares the two
// names character by character after folding each character on its own, so it orders names by
// a key computed from each name alone. That makes it a strict weak ordering, under which the
// result of a stable sort is unique, and the exchange sort, which never swaps equal
// neighbours, is stable too. Moving a CString moves its buffer; no name is copied.
void CSortStringArray::Sort()
{
    if (GetSize() < 2)
        return;
    std::stable_sort(GetData(), GetData() + GetSize(),
                     [](const CString& a, const CString& b) { return CompareNoCase(a, b) < 0; });
}
