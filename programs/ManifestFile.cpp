// Creating, testing and deleting the dependency manifest beside a program.
#include "programs/ManifestFile.h"

#include "platform/Handle.h"

CString ProgramPath(const CString& folder, const char* fileName)
{
    CString path = folder;
    if (!path.EndsWith('\\'))
        path += '\\';
    path += fileName;
    return path;
}

CString ManifestPath(const CString& folder, const char* fileName)
{
    return ProgramPath(folder, fileName) + ".manifest";
}

ManifestProbe ProbeManifest(const char* path)
{
    ManifestProbe probe;
    FileHandle file(::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        probe.state = ManifestState::Foreign;
    return probe;
}

BOOL ManifestExists(const char* path)
{
    return ProbeManifest(path).IsPresent();
}

DWORD EnsureManifest(const char* path)
{
    if (ManifestExists(path))
        return ERROR_SUCCESS;

    FileHandle file(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    // A file that appeared since the presence test was made by someone else: leave it be.
    if (!file || ::GetLastError() == ERROR_ALREADY_EXISTS)
        return ::GetLastError();

    DWORD written = 0;
    ::WriteFile(file.Get(), kDependencyManifest, kDependencyManifestSize, &written, nullptr);
    return ERROR_SUCCESS;
}

DWORD RemoveManifest(const char* path)
{
    ::DeleteFileA(path);
    return ERROR_SUCCESS;
}
