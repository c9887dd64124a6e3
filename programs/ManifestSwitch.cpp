// Switching a manifest on and off: ours is written whole under a name of our own and given the
// manifest's name only when complete; removing never reaches through a link or loses a manifest
// someone else wrote.
#include "programs/ManifestFileParts.h"

#include "platform/FileCalls.h"

namespace {

// Marks the open file for deletion once its handles close: the file the handle was checked on,
// whatever its name leads to by then. Vista and later.
DWORD DeleteOnClose(HANDLE h)
{
    const auto setFileInformation = Files().SetFileInformationByHandle;
    const int kFileDispositionInfo = 4;
    BOOLEAN bDelete = TRUE; // FILE_DISPOSITION_INFO
    if (!setFileInformation)
        return ERROR_CALL_NOT_IMPLEMENTED;
    return setFileInformation(h, kFileDispositionInfo, &bDelete, sizeof(bDelete))
               ? ERROR_SUCCESS
               : ::GetLastError();
}

// A new file beside `path` under a name that was free, open for writing and for deleting through
// the handle; the rename of a move may share it. CREATE_NEW: a file that has the name already,
// whoever made it, is never opened, let alone written or deleted.
FileHandle CreateBeside(const char* path, CString* pName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *pName = NameBeside(path, attempt);
        FileHandle file(Files().CreateFileA(*pName, GENERIC_WRITE | DELETE, FILE_SHARE_DELETE,
                                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD error = ::GetLastError();
        if (file || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS))
            return file;
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return FileHandle();
}

// Gives the complete file at `from` the name `to` as well, never taking a name that is there, a
// link to nothing included: a hard link refuses every such name, where Wine's MoveFileEx renames
// over a link to nothing. A move serves where the file system has no hard links; *pbMoved then
// tells that `from` is gone.
DWORD GiveName(const char* from, const char* to, bool* pbMoved)
{
    *pbMoved = false;
    if (Files().CreateHardLinkA(to, from, nullptr))
        return ERROR_SUCCESS;
    DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
        *pbMoved = Files().MoveFileExA(from, to, 0) != FALSE;
        error = *pbMoved ? ERROR_SUCCESS : ::GetLastError();
    }
    return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error;
}

// Acts only through a handle that is the link's own: where the file system follows the link
// even when asked not to, the handle is the target's, and nothing is done.
DWORD RemoveLink(const char* path, bool bOurs)
{
    FileHandle link(
        Files().CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!link || !Files().GetFileInformationByHandle(link.Get(), &info))
        return ::GetLastError();
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return kNotRemoved;
    if (!bOurs) {
        // Windows recycles the link itself; a Recycle Bin that deletes instead loses the link,
        // never the file it points to.
        link.Reset();
        return SendToRecycleBin(path);
    }
    return DeleteOpenFile(link, path);
}

} // namespace

CString NameBeside(const char* path, int attempt)
{
    // No longer than the shortest manifest's name ("x.exe.manifest"), so it fits wherever that
    // does.
    static const DWORD s_start = ::GetTickCount() ^ ::GetCurrentProcessId();
    char name[16];
    wsprintfA(name, "~vk%04X.tmp", static_cast<unsigned>((s_start + attempt) & 0xFFFF));
    const CString whole(path);
    return whole.Left(whole.ReverseFind('\\') + 1) + name;
}

DWORD DeleteOpenFile(FileHandle& file, const char* path)
{
    DWORD error = DeleteOnClose(file.Get());
    if (error != ERROR_CALL_NOT_IMPLEMENTED) {
        file.Reset();
        return error;
    }
    FileIdentity open;
    const bool bKnown = GetFileIdentity(file.Get(), open);
    file.Reset();
    FileHandle again(Files().CreateFileA(path, FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FileIdentity named;
    if (!bKnown || !again || !GetFileIdentity(again.Get(), named) || !named.SameFile(open))
        return ERROR_FILE_NOT_FOUND; // the name leads elsewhere now: nothing of ours to delete
    again.Reset();
    return Files().DeleteFileA(path) ? ERROR_SUCCESS : ::GetLastError();
}

DWORD EnsureManifest(const char* path)
{
    const ManifestProbe probe = ProbeManifest(path);
    if (probe.IsPresent())
        return ERROR_SUCCESS;
    switch (probe.state) {
    case ManifestState::Absent:
        break;
    case ManifestState::Folder:
        return kIsFolder;
    case ManifestState::Device:
        return kIsDevice;
    default:
        return probe.error;
    }

    // The loader refuses to start a program whose side manifest is empty or cut short, so the
    // bytes are written under a name of their own and given the manifest's name only when
    // complete: a crash on the way leaves nothing at the manifest's name.
    CString temporary;
    FileHandle file = CreateBeside(path, &temporary);
    if (!file)
        return ::GetLastError();
    DWORD written = 0, error = ERROR_SUCCESS;
    bool bMoved = false;
    if (!Files().WriteFile(file.Get(), kDependencyManifest, kDependencyManifestSize, &written,
                           nullptr))
        error = ::GetLastError();
    else if (written != kDependencyManifestSize)
        error = ERROR_DISK_FULL;
    else
        error = GiveName(temporary, path, &bMoved);
    // The temporary name goes through the handle that wrote it, or by a name checked to lead to
    // the file written, never by a name someone else may have taken meanwhile.
    if (!bMoved)
        DeleteOpenFile(file, temporary);
    return error;
}

DWORD RemoveManifest(const char* path)
{
    FileHandle file;
    const ManifestProbe probe = Inspect(path, DELETE, file);
    switch (probe.state) {
    case ManifestState::Absent:
        return ERROR_SUCCESS;
    case ManifestState::Folder:
        return kIsFolder;
    case ManifestState::Device:
        return kIsDevice;
    case ManifestState::Unreadable: // whose bytes these are cannot be told, so they stay
    case ManifestState::Unusable:
        return probe.error;
    default:
        break;
    }
    if (probe.bLink || probe.state == ManifestState::Foreign) {
        file.Reset();
        return probe.bLink ? RemoveLink(path, probe.state == ManifestState::Ours)
                           : RecycleFile(path);
    }
    // Ours goes through the handle its bytes were read by. Wine reports that done in a folder
    // that keeps its names, so only a second look tells.
    DWORD error = DeleteOpenFile(file, path);
    if (error == ERROR_SUCCESS && ProbePresence(path).state != ManifestState::Absent)
        error = ERROR_ACCESS_DENIED;
    return error;
}
