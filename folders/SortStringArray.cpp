// Case-insensitive, order-keeping sort of names for the folder tree.
#include "folders/SortStringArray.h"

#include "platform/Sort.h"

#include <utility>

namespace {

// Elements by address: equal names keep the order they had, as the addresses do.
int __cdecl CompareByName(const void* a, const void* b)
{
    const CString* first = *static_cast<const CString* const*>(a);
    const CString* second = *static_cast<const CString* const*>(b);
    const int order = CompareNoCase(*first, *second);
    return order != 0 ? order : first < second ? -1 : first > second ? 1 : 0;
}

} // namespace

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
// neighbours, is stable too. The names' addresses are sorted, the names' own place breaking ties,
// and the names then moved into that order: moving a CString moves its buffer, no name is copied.
void CSortStringArray::Sort()
{
    const int count = GetSize();
    if (count < 2)
        return;
    CArray<CString*> order;
    order.Reserve(count);
    for (int i = 0; i < count; ++i)
        order.Add(&ElementAt(i));
    SortElements(order.GetData(), count, CompareByName);
    CArray<CString> sorted;
    sorted.Reserve(count);
    for (int i = 0; i < count; ++i)
        sorted.Add(std::move(*order[i]));
    for (int i = 0; i < count; ++i)
        ElementAt(i) = std::move(sorted[i]);
}
