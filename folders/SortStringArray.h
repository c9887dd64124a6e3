// CSortStringArray: folder and file names in the order the folder tree shows them.
#pragma once

#include "platform/StringArray.h"

#include <windows.h>

class CSortStringArray : public CStringArray {
public:
    CSortStringArray() = default;
    ~CSortStringArray() override;

    // A copy of the element, so the caller may keep it while the array is reordered.
    CString GetAt(int nIndex) const { return CStringArray::GetAt(nIndex); }

    // Exchanges elements i and i + 1 if the first sorts after the second; TRUE if it did.
    BOOL CompareAndSwap(int i);

    // Ascending by name without regard to case (_mbsicmp); names that compare equal keep
    // the order they had, which for a listing is the order the directory search gave.
    void Sort();
};
