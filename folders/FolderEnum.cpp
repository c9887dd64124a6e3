// Drive filter, folder listing, expand-button look-ahead, folder tests and path cutting for the
// folder tree.
#include "folders/FolderEnum.h"

#include "platform/CodePage.h"
#include "platform/FileFind.h"
#include "platform/Path.h"

namespace {

// Room for all 26 drive roots of four bytes each and the closing empty string.
constexpr DWORD kDriveStringsSize = 128;

// The shell draws a folder with icons of its own when a desktop.ini inside says so. Windows
// reads that file only in a folder marked read-only or system; Wine reads it in any folder.
// Links to other places are left to the shell as well.
constexpr DWORD kShellMayCustomize = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_REPARSE_POINT;

// The pattern that matches every entry of a folder. "*.*" would match the same names, names
// without a dot included, but is two characters longer: a folder near the path limit could not
// be searched with it.
CString AllEntriesPattern(const char* folder)
{
    return JoinPath(folder, "*");
}

} // namespace

BOOL GetShownDrives(CStringArray& drives, const DriveQueries& queries)
{
    drives.RemoveAll();
    // Two spare zero bytes end the walk even if the query filled the buffer to the brim.
    char buffer[kDriveStringsSize + 2] = {};
    if (queries.getLogicalDriveStrings(kDriveStringsSize, buffer) == 0)
        return FALSE;

    for (const char* root = buffer; *root; root += lstrlenA(root) + 1) {
        // Every drive is asked for its type, A: and B: too, as the platform would see it.
        if (queries.getDriveType(root) == DRIVE_CDROM)
            continue;
        if (root[0] == 'A' || root[0] == 'B')
            continue;
        drives.Add(root);
    }
    return TRUE;
}

BOOL GetShownDrives(CStringArray& drives)
{
    return GetShownDrives(drives, DriveQueries{ ::GetLogicalDriveStringsA, ::GetDriveTypeA });
}

void ListFolder(const char* folder, BOOL bFiles, CSortStringArray& folders, CSortStringArray& files)
{
    folders.RemoveAll();
    files.RemoveAll();

    if (HoldsUnspellable(folder))
        return;
    CFileFind finder;
    BOOL bMore = finder.FindFile(AllEntriesPattern(folder));
    while (bMore) {
        bMore = finder.FindNextFile();
        if (finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY)) {
            if (!finder.IsDots())
                folders.SetAtGrow(folders.GetSize(), finder.GetFilePath());
        } else if (bFiles) {
            files.SetAtGrow(files.GetSize(), finder.GetFilePath());
        }
    }

    folders.Sort();
    if (bFiles)
        files.Sort();
}

BOOL HasSubFolders(const char* path, BOOL bFiles)
{
    if (HoldsUnspellable(path))
        return FALSE;
    CFileFind finder;
    BOOL bMore = finder.FindFile(AllEntriesPattern(path));
    while (bMore) {
        bMore = finder.FindNextFile();
        if (finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY)) {
            if (!finder.IsDots())
                return TRUE;
        } else if (bFiles && !finder.MatchesMask(FILE_ATTRIBUTE_HIDDEN)) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL FolderExists(const char* folder)
{
    CString path = folder;
    path.TrimRight('\\');
    if (path.IsEmpty())
        return FALSE;
    // The folder's own attributes, where a search for the device nul inside it would depend on
    // how the platform resolves device names. The path keeps the case it was given: a folder
    // marked case-sensitive may hold names that differ from it only in case. Only a drive letter
    // gets its backslash back, so a folder path of the longest length the platform takes is
    // asked about as it is.
    if (path.GetLength() == 2 && path.GetAt(1) == ':')
        path += '\\';
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL IsPlainFolder(const char* folder)
{
    const CString path = WithBackslash(folder);
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & kShellMayCustomize) &&
           ::GetFileAttributesA(path + "desktop.ini") == INVALID_FILE_ATTRIBUTES;
}

const char* GetSubPath(const char* path)
{
    // Built on first use and freed at exit; the tree only reads the text before the next call.
    static CString s_strSubPath;

    s_strSubPath = path;
    if (s_strSubPath.EndsWith('\\'))
        s_strSubPath = s_strSubPath.Left(s_strSubPath.GetLength() - 1);

    int separator = s_strSubPath.ReverseFind('\\');
    if (separator >= 0)
        s_strSubPath = s_strSubPath.Mid(separator + 1);
    return s_strSubPath;
}
