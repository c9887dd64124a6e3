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

// The program's path with ".manifest" appended: setup.2.exe gives setup.2.exe.manifest.
CString ManifestPath(const CString& folder, const char* fileName);

// Where a manifest stands, as far as switching it goes.
enum class ManifestState {
    Absent,     // not there: the exclusive open reports the file or its folder missing
    Ours,       // exactly the bytes above
    Foreign,    // any other bytes: written by hand or shipped with the program
    Unreadable, // there, but the exclusive open fails (held open elsewhere, no read access)
    Present,    // there, by an exclusive open (ProbePresence) or a search: its bytes not read yet
    Folder,     // a folder stands at the manifest path: no manifest, and never switched
    Unusable,   // the path itself is refused (too long, a name no file can have): nothing is there
    Device,     // a device or a pipe, by its name or by what an open found: never read or switched
};

struct ManifestProbe {
    ManifestState state = ManifestState::Absent;
    DWORD error = ERROR_SUCCESS; // for Unreadable and Unusable: why the open failed
    // The name is a symbolic link or another reparse point, or whether it is one cannot be told.
    // Known only where the link leads to a file: a link to nothing probes as Absent, and
    // switching on then fails (ERROR_FILE_EXISTS).
    bool bLink = false;

    // Present means an exclusive open of the existing file succeeds.
    bool IsPresent() const
    {
        return state == ManifestState::Ours || state == ManifestState::Foreign ||
               state == ManifestState::Present;
    }
};

// Opens the manifest exclusively, reads at most one byte more than ours, and closes it again. A
// name Windows keeps for a device is never opened, and an open that finds no disk file reads
// nothing: both are Device.
ManifestProbe ProbeManifest(const char* path);
// The same without asking whether the name is a link, for showing a row: nothing is done
// through it, and every switch probes afresh. bLink stays false.
ManifestProbe ProbeContent(const char* path);
// The exclusive open alone: whatever the bytes, Present where a whole probe
// would find Ours or Foreign. A third of the cost of a whole probe, which looks for a link too.
ManifestProbe ProbePresence(const char* path);
BOOL ManifestExists(const char* path);

// Switches a program on: creates the manifest with the bytes above where none is present.
// Never opens an existing file and never writes through a link: the bytes go to a new file beside
// it, which takes the manifest's name only when complete and never a name that is taken, a link
// to nothing included (ERROR_FILE_EXISTS). Nothing it made stays if it fails. ERROR_SUCCESS, or the
// error that stopped it (the probe's for an unreadable manifest or a refused path, kIsFolder for
// a folder, kIsDevice for a device).
DWORD EnsureManifest(const char* path);

// Switches a program off: deletes our own manifest, through the handle its bytes were read by,
// and reports ERROR_ACCESS_DENIED if it is still there after; any other goes to the Recycle Bin,
// and stays where the Recycle Bin does not take it. A read-only manifest stays too
// (ERROR_ACCESS_DENIED), as does an unreadable one (the probe's error) and a folder (kIsFolder). A
// link is removed itself, never the file it points to; where the file system cannot act on the link
// alone (Wine 8 follows links in every call) it stays. A missing manifest is no error.
// ERROR_SUCCESS, or a Win32 error; kNotRemoved for a Recycle Bin that would not take the file or a
// link that cannot be removed alone; kIsDevice for a device, which is never touched.
DWORD RemoveManifest(const char* path);

// The operations' own answers, beside ERROR_SUCCESS and the system's errors.
enum ManifestResult : DWORD {
    // What both operations answer for a folder at the manifest path
    // (ERROR_DIRECTORY_NOT_SUPPORTED).
    kIsFolder = 336,
    // RemoveManifest left the manifest where it is without an error of the system's. A code of
    // the application's own (bit 29), which no system error has, so that no failure the system
    // reports is read as this one.
    kNotRemoved = APPLICATION_ERROR_MASK | 1,
    // A device or a pipe stands at the manifest path, or its name is one Windows keeps for a
    // device: nothing was opened, written or deleted.
    kIsDevice = APPLICATION_ERROR_MASK | 2,
};
