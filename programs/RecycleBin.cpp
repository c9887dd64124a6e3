// Someone else's manifest goes to the Recycle Bin, and is never deleted for good on the way.
#include "programs/ManifestFileParts.h"

#include "platform/FileCalls.h"

#include <shellapi.h>

namespace {

DWORD LinkCount(const char* path)
{
    FileHandle file(Files().CreateFileA(path, FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    FileIdentity identity;
    return file && GetFileIdentity(file.Get(), identity) ? identity.links : 0;
}

// -1 where the Recycle Bin cannot be asked.
LONGLONG RecycleBinItems(const char* path)
{
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof(info);
    return SUCCEEDED(::SHQueryRecycleBinA(path, &info)) ? info.i64NumItems : -1;
}

// SHFileOperation answers with codes of its own in the range of Win32 errors; FormatMessage would
// describe them as something else entirely.
DWORD ShellOperationError(int result, BOOL bAborted)
{
    switch (result) {
    case 0:
        return bAborted ? ERROR_CANCELLED : ERROR_SUCCESS;
    case 0x71: // DE_SAMEFILE
    case 0x72: // DE_MANYSRC1DEST
    case 0x73: // DE_DIFFDIR
    case 0x76: // DE_DESTSUBTREE
    case 0x7A: // DE_MANYDEST
    case 0x7D: // DE_DESTSAMETREE
    case 0x7E: // DE_FLDDESTISFILE
    case 0x80: // DE_FILEDESTISFLD
        return ERROR_INVALID_PARAMETER;
    case 0x74: // DE_ROOTDIR
    case 0x78: // DE_ACCESSDENIEDSRC
        return ERROR_ACCESS_DENIED;
    case 0x75: // DE_OPCANCELLED
        return ERROR_CANCELLED;
    case 0x79: // DE_PATHTOODEEP
    case 0x81: // DE_FILENAMETOOLONG
    case 0xB7: // DE_ERROR_MAX: a path longer than MAX_PATH
        return ERROR_FILENAME_EXCED_RANGE;
    case 0x7C:  // DE_INVALIDFILES
    case 0x402: // an unknown error, mostly an invalid path
        return ERROR_PATH_NOT_FOUND;
    case 0x85: // DE_FILE_TOO_LARGE
        return ERROR_FILE_TOO_LARGE;
    case 0x82: // DE_*_IS_CDROM, DE_*_IS_DVD, DE_*_IS_CDRECORD
    case 0x83:
    case 0x84:
    case 0x86:
    case 0x87:
    case 0x88:
        return ERROR_WRITE_PROTECT;
    default:
        return (result & 0x10000) ? ERROR_WRITE_FAULT : static_cast<DWORD>(result); // ERRORONDEST
    }
}

// A second name for the file beside it, never one that is taken already.
DWORD CreateKeeper(const char* path, CString* pKeeper)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *pKeeper = NameBeside(path, attempt);
        if (Files().CreateHardLinkA(*pKeeper, path, nullptr))
            return ERROR_SUCCESS;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return error;
    }
    return ERROR_ALREADY_EXISTS;
}

} // namespace

DWORD SendToRecycleBin(const char* path)
{
    // The shell takes a full path ended by two zeros. The answer's length, in bytes, sizes the
    // buffer: the limit on paths counts characters, of up to two bytes each.
    const DWORD size = ::GetFullPathNameA(path, 0, nullptr, nullptr);
    if (size == 0)
        return ::GetLastError();
    CString full;
    char* from = full.GetBufferSetLength(static_cast<int>(size)); // one byte more than asked
    const DWORD length = ::GetFullPathNameA(path, size, from, nullptr);
    if (length == 0 || length >= size)
        return length == 0 ? ::GetLastError() : ERROR_FILENAME_EXCED_RANGE;
    from[length + 1] = '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from;
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const int result = Files().SHFileOperationA(&operation);
    return ShellOperationError(result, operation.fAnyOperationsAborted);
}

// Where the Recycle Bin cannot take a file, SHFileOperation deletes it for good under these
// flags, on Windows and in Wine alike (FOF_WANTNUKEWARNING would ask the user instead). A hard
// link made beforehand keeps the bytes: if the file's name went and the link count fell with it
// while the Recycle Bin gained nothing, the file was deleted, and the second name becomes the
// first again. Wine copies a file from another file system into its trash, which drops the
// count too; the Recycle Bin's growth tells that apart. A bin that half works (Wine's with its
// info folder closed) leaves the file where it was and calls that done. Without a hard link
// (FAT, say) nothing is removed. The keeper's name goes again, unless the bytes are left under
// no other.
DWORD RecycleFile(const char* path)
{
    const DWORD attributes = Files().GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    CString keeper;
    DWORD error = CreateKeeper(path, &keeper);
    if (error != ERROR_SUCCESS)
        return error;
    const DWORD links = LinkCount(keeper);
    if (links < 2) {
        // Where names are not counted, a deletion cannot be told from a move.
        Files().DeleteFileA(keeper);
        return kNotRemoved;
    }
    const LONGLONG binned = RecycleBinItems(path);
    error = SendToRecycleBin(path);
    const DWORD linksAfter = LinkCount(keeper);
    if (linksAfter == 0)
        return error != ERROR_SUCCESS ? error : kNotRemoved; // the keeper stays, unexamined
    if (Files().GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        Files().DeleteFileA(keeper);
        return error != ERROR_SUCCESS ? error : kNotRemoved;
    }
    if (linksAfter >= links || (binned >= 0 && RecycleBinItems(path) > binned)) {
        Files().DeleteFileA(keeper);
        return error;
    }
    if (!Files().MoveFileExA(keeper, path, 0))
        return ::GetLastError(); // the bytes stay under the keeper's name
    return error != ERROR_SUCCESS ? error : kNotRemoved;
}
