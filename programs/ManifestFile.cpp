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

BOOL ManifestExists(const char* path)
{
    FileHandle file(::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

void EnsureManifest(const char* path)
{
    if (ManifestExists(path))
        return;

    FileHandle file(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    // A file that appeared since the presence test was made by someone else: leave it be.
    if (!file || ::GetLastError() == ERROR_ALREADY_EXISTS)
        return;

    DWORD written = 0;
    ::WriteFile(file.Get(), kDependencyManifest, kDependencyManifestSize, &written, nullptr);
}

void RemoveManifest(const char* path)
{
    ::DeleteFileA(path);
}
