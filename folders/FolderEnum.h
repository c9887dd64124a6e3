// What the folder tree reads from disk: the drives it shows, a folder's children, the
// look-ahead for expand buttons, which folders exist and which are plain, and an item's text
// cut from a path.
#pragma once

#include "folders/SortStringArray.h"

#include <windows.h>

// The platform's two drive queries, replaceable so the filter can be tried on any machine.
struct DriveQueries {
    DWORD(WINAPI* getLogicalDriveStrings)(DWORD nBufferLength, LPSTR lpBuffer);
    UINT(WINAPI* getDriveType)(LPCSTR lpRootPathName);
};

// The drive roots the tree shows (C:\ and so on), in the platform's order: every drive but
// A:, B: and CD-ROM drives. FALSE if the platform could not list its drives.
BOOL GetShownDrives(CStringArray& drives, const DriveQueries& queries);
BOOL GetShownDrives(CStringArray& drives);

// Full paths of the sub-folders of `folder`, and of its files when bFiles is set, each list
// sorted by name. Hidden and system entries are included; "." and ".." are not. Nothing is
// searched, and both lists stay empty, for a path that holds a character the code page could not
// spell (HoldsUnspellable).
void ListFolder(const char* folder, BOOL bFiles, CSortStringArray& folders,
                CSortStringArray& files);

// Whether a closed folder deserves an expand button: it holds a sub-folder (hidden or not), or,
// when bFiles is set, a file that is not hidden. Stops at the first such entry. FALSE, without
// a search, for a path that holds a character the code page could not spell.
BOOL HasSubFolders(const char* path, BOOL bFiles);

// Whether `folder` exists and is a folder. Trailing backslashes make no difference, and a drive
// letter alone (C:) means the drive's root, not its current folder. FALSE for an empty path.
BOOL FolderExists(const char* folder);

// Whether the shell shows `folder` with the plain folder icons that every such folder shares: a
// folder that is no link, is not marked read-only or system, and holds no desktop.ini. FALSE
// for anything else, a file or a missing name included.
BOOL IsPlainFolder(const char* folder);

// The last component of `path` (B for C:\A\B\ and C:\A\B; C: for C:\). The text lives in one
// buffer shared by the whole process and stays valid until the next call.
const char* GetSubPath(const char* path);
