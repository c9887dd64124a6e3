// What the manifest operations' files share: the exclusive open and the probe that keeps its
// handle, a file's identity and the link test, deleting an open file, Veneerkit's own names beside
// a manifest, and the Recycle Bin. Only programs/ManifestFile*.cpp and RecycleBin.cpp include it.
#pragma once

#include "platform/Handle.h"
#include "platform/String.h"
#include "programs/ManifestFile.h"

#include <windows.h>

// For handles that must not get in anyone's way.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The presence test: an exclusive open of the existing file, for reading and whatever more
// `access` asks. A file that is there but cannot be opened so (held open elsewhere, no read
// access) is as good as absent to the loader. A device's name is never opened, and what an open
// finds to be no disk file is closed again unread. (ManifestProbe.cpp)
FileHandle OpenExclusive(const char* path, DWORD access, ManifestProbe& probe);
// Probes the manifest with the handle left open in `file` where it was read whole; whether its name
// is a link is asked too where bLink is set.
ManifestProbe Inspect(const char* path, DWORD access, FileHandle& file, bool bLink = true);

// Which file a handle is open on: volume serial number and file index.
struct FileIdentity {
    DWORD volume = 0, indexHigh = 0, indexLow = 0, links = 0;
    bool SameFile(const FileIdentity& other) const
    {
        return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
    }
};
// (ManifestLink.cpp)
bool GetFileIdentity(HANDLE h, FileIdentity& identity);
// Whether the name `path`, whose file is open as `file`, is a symbolic link or another reparse
// point, or whether it is one cannot be told.
bool IsLink(HANDLE file, const char* path);

// Deletes the file open as `file` under `path` and closes the handle: through the handle where
// the system can mark an open file for deletion (Vista and later), otherwise by its name once the
// handle is closed, and only while that name still leads to the file that was open. (XP, which
// has no symbolic links to files.) ERROR_SUCCESS or why not. (ManifestSwitch.cpp)
DWORD DeleteOpenFile(FileHandle& file, const char* path);
// A name beside `path` for a file of Veneerkit's own, one of many to try in turn.
CString NameBeside(const char* path, int attempt);

// Moves someone else's manifest to the Recycle Bin, never deleting it for good. (RecycleBin.cpp)
DWORD RecycleFile(const char* path);
DWORD SendToRecycleBin(const char* path);
