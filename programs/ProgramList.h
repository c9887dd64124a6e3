// A folder's programs as the list shows them, switching their manifests, and the words for each
// program's situation.
#pragma once

#include "platform/Array.h"
#include "platform/String.h"
#include "programs/ManifestFile.h"
#include "programs/OwnManifest.h"

// Whether a name or path holds what the system code page put for a character it cannot spell:
// no file or folder is named by it, and searching it would match others.
bool IsUnspellablePath(const char* path);

struct ProgramEntry {
    CString name;           // as the directory search spelt it
    DWORD size = 0;         // the low 32 bits of the size the directory search reported
    ManifestProbe manifest; // what stands at the manifest path
    OwnManifest own = OwnManifest::None;
    bool bClassified = false; // `own` and the manifest's bytes have been read
    CString failure;          // why the last switch did not take; empty once one did
    bool bExactName = true;   // `name` spells the file's name exactly in the system code page

    // A name the code page cannot spell is shown with '?' for what it cannot spell, and names no
    // file: nothing is ever opened, created or deleted for it.
    bool IsUnspellable() const { return !bExactName || IsUnspellablePath(name); }
    // Whether the program follows its side file at all.
    bool IgnoresSideFile() const { return own != OwnManifest::None; }
};

// Replaces `entries` with one per "*.EXE" entry of the folder, in the order the search gives them,
// each with its manifest probed. Which manifests exist comes from one search of the folder, so
// only those are opened: under Wine every open of a missing name reads the whole folder.
// Own manifests and the manifests' bytes are left for ClassifyProgram. Returns ERROR_SUCCESS, or
// the error that cut a search short (the entries found before it are kept).
DWORD ListProgramEntries(const CString& folder, CArray<ProgramEntry>& entries);

// Why a listing gave no rows, as the empty list says it: the listing's error, the folder gone,
// or a folder name that cannot be spelt.
CString DescribeEmptyListing(const CString& folder, DWORD error);

// Reads the program's own manifest and whose bytes its side manifest holds, once.
void ClassifyProgram(const CString& folder, ProgramEntry& entry);

// Makes the program's manifest follow bOn, probes it again and words the failure when the probe
// disagrees with bOn. A name that cannot be spelt is left alone. TRUE if the manifest follows bOn.
BOOL SwitchProgram(const CString& folder, ProgramEntry& entry, BOOL bOn);

// Makes every entry's manifest follow bOn, as SwitchProgram does one by one, then probes again
// the entries that share a manifest with another. Switching off acts only on the manifests one
// search of the folder finds, so a folder of thousands of programs with a few manifests is quick.
void SwitchAllPrograms(const CString& folder, CArray<ProgramEntry>& entries, BOOL bOn);

// Probes the manifest again, as after a change made elsewhere.
void ReprobeProgram(const CString& folder, ProgramEntry& entry);

// Whether two programs share one manifest as a case-blind file system resolves it.
bool ShareManifest(const ProgramEntry& a, const ProgramEntry& b);
// The indices of the entries that share their manifest with another entry, ascending.
void FindSharedManifests(const CArray<ProgramEntry>& entries, CArray<int>& shared);

// The program's situation in one line per fact the list cannot show by its mark, most pressing
// first; empty when there is nothing to say.
CString DescribeProgram(const ProgramEntry& entry);
