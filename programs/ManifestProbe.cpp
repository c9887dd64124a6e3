// What stands at a manifest path: nothing, our bytes, someone else's, or no manifest at all.
#include "programs/ManifestFileParts.h"

#include "platform/CodePage.h"
#include "platform/FileCalls.h"
#include "platform/FileName.h"
#include "platform/Path.h"

#include <string.h>

namespace {

// Whether the path's last component is a name Windows keeps for a device.
bool NamesDevice(const char* path)
{
    const CString whole(path);
    CStringW name;
    return WideFromAnsi(whole.Mid(whole.ReverseFind('\\') + 1), name) && IsDeviceName(name);
}

} // namespace

FileHandle OpenExclusive(const char* path, DWORD access, ManifestProbe& probe)
{
    if (NamesDevice(path)) {
        probe.state = ManifestState::Device;
        return FileHandle();
    }
    FileHandle file(Files().CreateFileA(path, GENERIC_READ | access, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        // A pipe or a device under a file's name (a FIFO seen through Wine, say) would keep a
        // read waiting.
        probe.state = Files().GetFileType(file.Get()) == FILE_TYPE_DISK ? ManifestState::Present
                                                                        : ManifestState::Device;
        if (probe.state == ManifestState::Device)
            file.Reset();
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
                                 : Files().GetFileAttributesA(path);
    probe.state = attributes == INVALID_FILE_ATTRIBUTES     ? ManifestState::Unusable
                  : (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ManifestState::Folder
                                                            : ManifestState::Unreadable;
    return file;
}

ManifestProbe Inspect(const char* path, DWORD access, FileHandle& file, bool bLink)
{
    ManifestProbe probe;
    file = OpenExclusive(path, access, probe);
    if (!file)
        return probe;

    // One byte more than ours tells a longer file from ours.
    char bytes[kDependencyManifestSize + 1];
    DWORD total = 0, read = 0;
    for (; total < sizeof(bytes); total += read) {
        if (!Files().ReadFile(file.Get(), bytes + total, sizeof(bytes) - total, &read, nullptr)) {
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
    probe.bLink = bLink && IsLink(file.Get(), path);
    return probe;
}

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

ManifestProbe ProbeContent(const char* path)
{
    FileHandle file;
    return Inspect(path, 0, file, false);
}

BOOL ManifestExists(const char* path)
{
    return ProbePresence(path).IsPresent();
}
