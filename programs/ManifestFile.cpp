// Creating, testing and removing the dependency manifest beside a program, never losing a manifest
// someone else wrote and never reaching through a link to the file it points to.
#include "programs/ManifestFile.h"

#include "platform/Handle.h"
#include "platform/Path.h"

#include <shellapi.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A kernel32 call of Vista or later, looked up when needed so that the exe still starts on XP,
// which has no symbolic links to files.
template <class Function>
Function LaterKernelCall(const char* name)
{
    FARPROC proc = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

// UTF-16 text of this file's own: the queries that decide about links take names in characters,
// exactly, where an ANSI answer may be cut short or spelt with look-alikes.
class WideText {
public:
    WideText() = default;
    // The ANSI text converted exactly; empty where a byte sequence is no character of the code
    // page.
    explicit WideText(const char* text)
    {
        const int length = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr,
                                                 0);
        if (length > 0 && !::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1,
                                                 Allocate(static_cast<DWORD>(length)), length))
            m_p[0] = L'\0';
    }
    ~WideText() { ::free(m_p); }
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    // Room for `length` characters and a terminator, holding empty text.
    WCHAR* Allocate(DWORD length)
    {
        ::free(m_p);
        m_p = static_cast<WCHAR*>(::malloc(sizeof(WCHAR) * (length + 1)));
        if (!m_p)
            ::abort(); // out of memory: nothing sensible is left to do
        m_p[0] = L'\0';
        return m_p;
    }
    const WCHAR* Get() const { return m_p ? m_p : L""; }
    WCHAR* Buffer() { return m_p; } // null until allocated
    bool IsEmpty() const { return !m_p || !m_p[0]; }

private:
    WCHAR* m_p = nullptr;
};

// The name an open file goes by for the file system, or empty where it cannot tell.
void OpenedName(HANDLE h, WideText& name)
{
    using GetFinalPathName = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto getFinalPathName = LaterKernelCall<GetFinalPathName>(
        "GetFinalPathNameByHandleW");
    const DWORD kFileNameOpened = 0x8; // the name opened, not one of a file's other hard links
    name.Allocate(0);
    // The answer gives the length it needs, which may grow again before the next call.
    for (DWORD size = MAX_PATH; getFinalPathName;) {
        const DWORD length = getFinalPathName(h, name.Allocate(size), size + 1, kFileNameOpened);
        if (length <= size) {
            if (length == 0)
                name.Allocate(0);
            return;
        }
        size = length;
    }
}

// Wine 8 follows a symbolic link in every call, FILE_FLAG_OPEN_REPARSE_POINT included, and
// reports no reparse point; only the name the opened file goes by gives the link away. That name
// must be the folder's followed by the entry's own name as the folder lists it, to the letter: a
// link may differ from its target by case alone. The folder is resolved the same way, so a linked
// folder on the way is no link of the manifest's. Where any of this cannot be told, the answer is
// yes, so that nothing is done through what may be a link.
bool ResolvesElsewhere(HANDLE file, const char* path)
{
    WideText wide(path);
    WCHAR* slash = wide.IsEmpty() ? nullptr : ::wcsrchr(wide.Buffer(), L'\\');
    WIN32_FIND_DATAW entry;
    FindHandle found(slash ? ::FindFirstFileW(wide.Get(), &entry) : INVALID_HANDLE_VALUE);
    if (!found)
        return true;
    // The folder with its backslash, which a drive's root needs.
    const WCHAR next = slash[1];
    slash[1] = L'\0';
    FileHandle folder(::CreateFileW(wide.Get(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    slash[1] = next;
    WideText folderName, openedName;
    if (!folder)
        return true;
    OpenedName(folder.Get(), folderName);
    OpenedName(file, openedName);
    const size_t length = ::wcslen(folderName.Get());
    if (length == 0 || ::wcsncmp(folderName.Get(), openedName.Get(), length) != 0)
        return true;
    const WCHAR* name = openedName.Get() + length;
    if (folderName.Get()[length - 1] != L'\\' && *name++ != L'\\')
        return true;
    return ::wcscmp(name, entry.cFileName) != 0;
}

// Marks the open file for deletion once its handles close: the file the handle was checked on,
// whatever its name leads to by then.
DWORD DeleteOnClose(HANDLE h)
{
    using SetFileInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    static const auto setFileInformation = LaterKernelCall<SetFileInformation>(
        "SetFileInformationByHandle");
    const int kFileDispositionInfo = 4;
    BOOLEAN bDelete = TRUE; // FILE_DISPOSITION_INFO
    if (!setFileInformation)
        return ERROR_CALL_NOT_IMPLEMENTED;
    return setFileInformation(h, kFileDispositionInfo, &bDelete, sizeof(bDelete))
               ? ERROR_SUCCESS
               : ::GetLastError();
}

DWORD LinkCount(const char* path)
{
    FileHandle file(
        ::CreateFileA(path, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    return file && ::GetFileInformationByHandle(file.Get(), &info) ? info.nNumberOfLinks : 0;
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
    const int result = ::SHFileOperationA(&operation);
    return ShellOperationError(result, operation.fAnyOperationsAborted);
}

// A name in the folder of `path` for a file of Veneerkit's own, one of many to try in turn. It is
// no longer than the shortest manifest's name ("x.exe.manifest"), so it fits wherever that does.
CString NameBeside(const char* path, int attempt)
{
    static const DWORD s_start = ::GetTickCount() ^ ::GetCurrentProcessId();
    char name[16];
    wsprintfA(name, "~vk%04X.tmp", static_cast<unsigned>((s_start + attempt) & 0xFFFF));
    const CString whole(path);
    return whole.Left(whole.ReverseFind('\\') + 1) + name;
}

// A new file beside `path` under a name that was free, open for writing and for deleting through
// the handle; the rename of a move may share it.
FileHandle CreateBeside(const char* path, CString* pName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *pName = NameBeside(path, attempt);
        FileHandle file(::CreateFileA(*pName, GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD error = ::GetLastError();
        if (file || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS))
            return file;
    }
    return FileHandle();
}

// Gives the complete file at `from` the name `to` as well, never taking a name that is there, a
// link to nothing included: a hard link refuses every such name, where Wine's MoveFileEx renames
// over a link to nothing. A move serves where the file system has no hard links; *pbMoved then
// tells that `from` is gone.
DWORD GiveName(const char* from, const char* to, bool* pbMoved)
{
    *pbMoved = false;
    if (::CreateHardLinkA(to, from, nullptr))
        return ERROR_SUCCESS;
    DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
        *pbMoved = ::MoveFileExA(from, to, 0) != FALSE;
        error = *pbMoved ? ERROR_SUCCESS : ::GetLastError();
    }
    return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error;
}

// A second name for the file beside it, never one that is taken already.
DWORD CreateKeeper(const char* path, CString* pKeeper)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *pKeeper = NameBeside(path, attempt);
        if (::CreateHardLinkA(*pKeeper, path, nullptr))
            return ERROR_SUCCESS;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return error;
    }
    return ERROR_ALREADY_EXISTS;
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
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    CString keeper;
    DWORD error = CreateKeeper(path, &keeper);
    if (error != ERROR_SUCCESS)
        return error;
    const DWORD links = LinkCount(keeper);
    if (links < 2) {
        // Where names are not counted, a deletion cannot be told from a move.
        ::DeleteFileA(keeper);
        return kNotRemoved;
    }
    const LONGLONG binned = RecycleBinItems(path);
    error = SendToRecycleBin(path);
    const DWORD linksAfter = LinkCount(keeper);
    if (linksAfter == 0)
        return error != ERROR_SUCCESS ? error : kNotRemoved; // the keeper stays, unexamined
    if (::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        ::DeleteFileA(keeper);
        return error != ERROR_SUCCESS ? error : kNotRemoved;
    }
    if (linksAfter >= links || (binned >= 0 && RecycleBinItems(path) > binned)) {
        ::DeleteFileA(keeper);
        return error;
    }
    if (!::MoveFileA(keeper, path))
        return ::GetLastError(); // the bytes stay under the keeper's name
    return error != ERROR_SUCCESS ? error : kNotRemoved;
}

// Acts only through a handle that is the link's own: where the file system follows the link
// even when asked not to, the handle is the target's, and nothing is done.
DWORD RemoveLink(const char* path, bool bOurs)
{
    FileHandle link(
        ::CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!link || !::GetFileInformationByHandle(link.Get(), &info))
        return ::GetLastError();
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return kNotRemoved;
    if (!bOurs) {
        // Windows recycles the link itself; a Recycle Bin that deletes instead loses the link,
        // never the file it points to.
        link.Reset();
        return SendToRecycleBin(path);
    }
    return DeleteOnClose(link.Get());
}

// The presence test: an exclusive open of the existing file, for reading and whatever more
// `access` asks. A file that is there but cannot be opened so (held open elsewhere, no read
// access) is as good as absent to the loader.
FileHandle OpenExclusive(const char* path, DWORD access, ManifestProbe& probe)
{
    FileHandle file(::CreateFileA(path, GENERIC_READ | access, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        probe.state = ManifestState::Present;
        return file;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return file;
    probe.error = error;
    // A file held open elsewhere is there; for any other refusal the name itself is asked, since
    // a path too long or spelt wrong refuses too, with nothing there.
    const DWORD attributes = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                                 ? FILE_ATTRIBUTE_NORMAL
                                 : ::GetFileAttributesA(path);
    probe.state = attributes == INVALID_FILE_ATTRIBUTES     ? ManifestState::Unusable
                  : (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ManifestState::Folder
                                                            : ManifestState::Unreadable;
    return file;
}

// Probes the manifest with the handle left open in `file` where it was read whole.
ManifestProbe Inspect(const char* path, DWORD access, FileHandle& file)
{
    ManifestProbe probe;
    file = OpenExclusive(path, access, probe);
    if (!file)
        return probe;

    // One byte more than ours tells a longer file from ours.
    char bytes[kDependencyManifestSize + 1];
    DWORD total = 0, read = 0;
    for (; total < sizeof(bytes); total += read) {
        if (!::ReadFile(file.Get(), bytes + total, sizeof(bytes) - total, &read, nullptr)) {
            probe.state = ManifestState::Unreadable;
            probe.error = ::GetLastError();
            file.Reset();
            return probe;
        }
        if (read == 0)
            break;
    }
    const bool bOurs = total == kDependencyManifestSize &&
                       ::memcmp(bytes, kDependencyManifest, total) == 0;
    probe.state = bOurs ? ManifestState::Ours : ManifestState::Foreign;

    // Windows reports the link's own attributes for its name.
    const DWORD attributes = ::GetFileAttributesA(path);
    probe.bLink = (attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) ||
                  ResolvesElsewhere(file.Get(), path);
    return probe;
}

} // namespace

CString ManifestPath(const CString& folder, const char* fileName)
{
    return JoinPath(folder, fileName) + ".manifest";
}

ManifestProbe ProbePresence(const char* path)
{
    ManifestProbe probe;
    OpenExclusive(path, 0, probe);
    return probe;
}

ManifestProbe ProbeManifest(const char* path)
{
    FileHandle file;
    return Inspect(path, 0, file);
}

BOOL ManifestExists(const char* path)
{
    return ProbePresence(path).IsPresent();
}

DWORD EnsureManifest(const char* path)
{
    const ManifestProbe probe = ProbeManifest(path);
    if (probe.IsPresent())
        return ERROR_SUCCESS;
    if (probe.state != ManifestState::Absent)
        return probe.state == ManifestState::Folder ? kIsFolder : probe.error;

    // The loader refuses to start a program whose side manifest is empty or cut short, so the
    // bytes are written under a name of their own and given the manifest's name only when
    // complete: a crash on the way leaves nothing at the manifest's name.
    CString temporary;
    FileHandle file = CreateBeside(path, &temporary);
    if (!file)
        return ::GetLastError();
    DWORD written = 0, error = ERROR_SUCCESS;
    bool bMoved = false;
    if (!::WriteFile(file.Get(), kDependencyManifest, kDependencyManifestSize, &written, nullptr))
        error = ::GetLastError();
    else if (written != kDependencyManifestSize)
        error = ERROR_DISK_FULL;
    else
        error = GiveName(temporary, path, &bMoved);
    // The temporary name goes through the handle that wrote it, never by a name someone else may
    // have taken meanwhile.
    if (!bMoved)
        DeleteOnClose(file.Get());
    return error;
}

DWORD RemoveManifest(const char* path)
{
    FileHandle file;
    const ManifestProbe probe = Inspect(path, DELETE, file);
    if (probe.state == ManifestState::Absent)
        return ERROR_SUCCESS;
    if (probe.state == ManifestState::Folder)
        return kIsFolder;
    // Whose bytes these are cannot be told, so they stay.
    if (probe.state == ManifestState::Unreadable || probe.state == ManifestState::Unusable)
        return probe.error;
    if (probe.bLink || probe.state == ManifestState::Foreign) {
        file.Reset();
        return probe.bLink ? RemoveLink(path, probe.state == ManifestState::Ours)
                           : RecycleFile(path);
    }
    // Ours goes through the handle its bytes were read by. Wine reports that done in a folder
    // that keeps its names, so only a second look tells.
    DWORD error = DeleteOnClose(file.Get());
    file.Reset();
    if (error == ERROR_SUCCESS && ProbePresence(path).state != ManifestState::Absent)
        error = ERROR_ACCESS_DENIED;
    return error;
}
