// Whether a manifest's name is a link, decided from what Windows documents about a name and its
// file, and from the name the opened file goes by where Wine hides its links from everything else.
#include "programs/ManifestFileParts.h"

#include "platform/CodePage.h"
#include "platform/FileCalls.h"
#include "platform/FileName.h"

#include <wchar.h>

namespace {

// The name an open file goes by for the file system, or empty where the system cannot tell (XP
// has no such query).
CStringW OpenedName(HANDLE h)
{
    const auto getFinalPathName = Files().GetFinalPathNameByHandleW;
    const DWORD kFileNameOpened = 0x8; // the name opened, not one of a file's other hard links
    CStringW name;
    // The answer gives the length it needs, which may grow again before the next call.
    for (DWORD size = MAX_PATH; getFinalPathName;) {
        const DWORD length = getFinalPathName(h, name.GetBufferSetLength(static_cast<int>(size)),
                                              size + 1, kFileNameOpened);
        if (length <= size) {
            name.ReleaseBuffer();
            if (length == 0)
                name.Empty();
            return name;
        }
        size = length;
    }
    return name;
}

bool SameName(CStringW a, CStringW b)
{
    FoldFileName(a);
    FoldFileName(b);
    return a == b;
}

// Wine 8 follows a symbolic link in every call, FILE_FLAG_OPEN_REPARSE_POINT included, and reports
// no reparse point: only the name the opened file goes by gives the link away. It must be the
// folder's own such name followed by the entry's name; a linked folder on the way is resolved
// alike for both, and is no link of the manifest's. Windows answers with a name too, whose case
// for a name opened in another case is not documented (FAT, exFAT and shares differ). A last
// component that differs from the entry's in case alone is therefore searched for: on Windows the
// search finds the entry itself, while a name that differs from the entry only in case and leads
// to another file is a link (Wine keeps both in one folder).
bool NameLeadsElsewhere(HANDLE file, const CStringW& path, int slash, const WCHAR* entryName)
{
    const CStringW opened = OpenedName(file);
    if (opened.IsEmpty())
        return false; // nothing to tell beyond what Windows documents
    const CStringW folderPath = path.Left(slash + 1); // with its backslash, which a root needs
    FileHandle folder(Files().CreateFileW(folderPath, FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder)
        return true;
    CStringW folderName = OpenedName(folder.Get());
    if (folderName.IsEmpty())
        return true;
    if (folderName.GetAt(folderName.GetLength() - 1) != L'\\')
        folderName += L'\\';
    const int length = folderName.GetLength();
    if (opened.GetLength() <= length || !SameName(opened.Left(length), folderName))
        return true;
    const CStringW name = opened.Mid(length);
    if (::wcscmp(name, entryName) == 0)
        return false;
    if (name.ReverseFind(L'\\') >= 0 || !SameName(name, entryName))
        return true;
    WIN32_FIND_DATAW again;
    FindHandle found(Files().FindFirstFileW(folderPath + name, &again));
    return !found || ::wcscmp(again.cFileName, entryName) != 0;
}

} // namespace

bool GetFileIdentity(HANDLE h, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!Files().GetFileInformationByHandle(h, &info))
        return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.indexHigh = info.nFileIndexHigh;
    identity.indexLow = info.nFileIndexLow;
    identity.links = info.nNumberOfLinks;
    return true;
}

// What Windows documents: a link's search entry carries the reparse-point attribute, and opening
// the name with FILE_FLAG_OPEN_REPARSE_POINT gives the link's own file, another than the one the
// name leads to. Where any of this cannot be told, the answer is yes, so that nothing is done
// through what may be a link.
bool IsLink(HANDLE file, const char* path)
{
    CStringW wide;
    if (!WideFromAnsi(path, wide))
        return true;
    const int slash = wide.ReverseFind(L'\\');
    WIN32_FIND_DATAW entry;
    FindHandle found(slash >= 0 ? Files().FindFirstFileW(wide, &entry) : INVALID_HANDLE_VALUE);
    if (!found || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    FileHandle own(
        Files().CreateFileW(wide, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FileIdentity opened, named;
    if (!own || !GetFileIdentity(file, opened) || !GetFileIdentity(own.Get(), named) ||
        !opened.SameFile(named))
        return true;
    return NameLeadsElsewhere(file, wide, slash, entry.cFileName);
}
