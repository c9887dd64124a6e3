// Listing a folder's programs into the list control, and switching their manifests from it.
#include "programs/ProgramList.h"

#include "platform/FileFind.h"
#include "platform/Handle.h"
#include "programs/ManifestFile.h"

#include <shellapi.h>

namespace {

constexpr int kNameColumn = 1;
constexpr int kSizeColumn = 2;

// The size an exclusive open reports. Where that open fails (a running program on Windows, a
// folder named like a program) the row still gets the size the directory search reported.
DWORD ProgramSize(const char* path, DWORD searchedSize)
{
    FileHandle file(::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return searchedSize;
    return ::GetFileSize(file.Get(), nullptr);
}

} // namespace

BOOL IsRowChecked(const CListCtrl& list, int row)
{
    return (list.GetItemState(row, LVIS_STATEIMAGEMASK) >> 12) != kUncheckedImage;
}

void SetRowCheck(CListCtrl& list, int row, BOOL bChecked)
{
    list.SetItemState(row, INDEXTOSTATEIMAGEMASK(bChecked ? kCheckedImage : kUncheckedImage),
                      LVIS_STATEIMAGEMASK);
}

int ListProgramRows(CListCtrl& list, const CString& folder)
{
    list.DeleteAllItems();

    // No message is dispatched until the listing ends, so the user sees the same list either
    // way; with redrawing off the control skips laying out its scroll bar after every row.
    list.SetRedraw(FALSE);
    CFileFind finder;
    BOOL bMore = finder.FindFile(ProgramPath(folder, "*.EXE"));
    int count = 0;
    while (bMore) {
        bMore = finder.FindNextFile();
        const WIN32_FIND_DATAA& entry = finder.GetFindData();

        int row = list.InsertItem(count, "");
        if (row < 0)
            continue;
        list.SetItemText(row, kNameColumn, entry.cFileName);

        // Only the low 32 bits count, shifted as unsigned, so the text is never negative.
        DWORD size = ProgramSize(ProgramPath(folder, entry.cFileName), entry.nFileSizeLow);
        char text[32];
        wsprintfA(text, "%d KB", static_cast<int>(size >> 10));
        list.SetItemText(row, kSizeColumn, text);

        // New rows come unchecked from the control; only the checked state needs writing.
        if (ManifestExists(ManifestPath(folder, entry.cFileName)))
            SetRowCheck(list, row, TRUE);
        ++count;
    }
    list.SetRedraw(TRUE);
    return count;
}

void SwitchProgram(CListCtrl& list, const CString& folder, int row, BOOL bOn)
{
    CString path = ManifestPath(folder, list.GetItemText(row, kNameColumn));
    if (bOn)
        EnsureManifest(path);
    else
        RemoveManifest(path);
    // Neither operation reports failure, so the mark is taken from the disk, not from bOn.
    SetRowCheck(list, row, ManifestExists(path));
}

void SwitchAllPrograms(CListCtrl& list, const CString& folder, BOOL bOn)
{
    const int count = list.GetItemCount();
    for (int row = 0; row < count; ++row)
        SwitchProgram(list, folder, row, bOn);
}

int ToggledRow(const NMLISTVIEW& change, BOOL* pbChecked)
{
    if (!(change.uChanged & LVIF_STATE) || change.iItem < 0)
        return -1;
    const UINT oldImage = (change.uOldState & LVIS_STATEIMAGEMASK) >> 12;
    const UINT newImage = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
    // Image 0 is a row without a box yet: the box appearing is the control's doing, not a toggle.
    if (oldImage == 0 || newImage == 0 || oldImage == newImage)
        return -1;
    *pbChecked = newImage != kUncheckedImage;
    return change.iItem;
}

int RowAtMessagePos(const CListCtrl& list)
{
    // Each half is a signed 16-bit number: monitors left of or above the main one are negative.
    const DWORD pos = ::GetMessagePos();
    POINT point = { static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)) };
    list.ScreenToClient(&point);
    return list.HitTest(point);
}

void RunProgram(HWND hOwner, const CListCtrl& list, const CString& folder, int row)
{
    CString path = ProgramPath(folder, list.GetItemText(row, kNameColumn));
    ::ShellExecuteA(hOwner, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}
