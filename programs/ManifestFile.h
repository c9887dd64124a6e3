// The dependency manifest beside a program: its path, its bytes, and the three file operations.
#pragma once

#include "platform/String.h"

#include <windows.h>

// The bytes written to every manifest; the terminating zero of the literal is never written.
inline constexpr char kDependencyManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "<description></description>\n"
    "<dependency>\n"
    "    <dependentAssembly>\n"
    "        <assemblyIdentity\n"
    "            type=\"win32\"\n"
    "            name=\"Microsoft.Windows.Common-Controls\"\n"
    "            version=\"6.0.0.0\"\n"
    "            processorArchitecture=\"*\"\n"
    "            publicKeyToken=\"6595b64144ccf1df\"\n"
    "            language=\"*\"\n"
    "        />\n"
    "    </dependentAssembly>\n"
    "</dependency>\n"
    "</assembly>\n";

inline constexpr DWORD kDependencyManifestSize = sizeof(kDependencyManifest) - 1;
static_assert(kDependencyManifestSize == 500, "the loader expects these exact 500 bytes");

// Folder plus file name, with a backslash between them unless the folder's last byte is one.
CString ProgramPath(const CString& folder, const char* fileName);
// The program's path with ".manifest" appended: setup.2.exe gives setup.2.exe.manifest.
CString ManifestPath(const CString& folder, const char* fileName);

// Present means an exclusive open of the existing file succeeds; a file someone else holds
// open, whatever their sharing, counts as absent.
BOOL ManifestExists(const char* path);
// Writes the manifest only where the presence test found none; a file already there is never
// truncated or rewritten. Failures are silent: the caller asks ManifestExists afterwards.
void EnsureManifest(const char* path);
// Deletes the manifest; a missing one is not an error.
void RemoveManifest(const char* path);
