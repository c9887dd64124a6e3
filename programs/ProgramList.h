// A folder's programs as the list shows them: the rules for listing, switching and describing one
// program, and CProgramList, the one record of the folder's programs that the dialog shows.
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

// The program's situation in one line per fact the list cannot show by its mark, most pressing
// first; empty when there is nothing to say.
CString DescribeProgram(const ProgramEntry& entry);

// The programs of one folder, in the order the search gave them: what each row of the list stands
// for. Switching answers with the rows to show again, so that a window redraws only those.
class CProgramList {
public:
    // Lists the folder's programs. ERROR_SUCCESS, or the error that cut the search short (the
    // programs found before it are kept).
    DWORD List(const CString& folder);

    int GetCount() const { return m_entries.GetSize(); }
    bool IsRow(int row) const { return row >= 0 && row < m_entries.GetSize(); }
    const ProgramEntry& operator[](int row) const { return m_entries[row]; }
    // The row of the program with exactly this name, or -1.
    int FindName(const CString& name) const;

    // Reads the program's own manifest and whose bytes its side manifest holds, once.
    void Classify(int row) { ClassifyProgram(m_strFolder, m_entries[row]); }
    // The row's tip: classifies it first.
    CString Describe(int row);
    // Why the latest listing gave no rows; empty when it gave some.
    CString DescribeEmpty() const;
    // The program's path, for starting it; empty for a name that names no file.
    CString GetProgramPath(int row) const;

    // Makes the row's manifest follow bOn. `changed` gets the row itself, whose mark must show
    // the outcome whether the switch took or not, and every other row whose manifest changed
    // with it: where names differ only in case, two rows can name one manifest.
    void Switch(int row, BOOL bOn, CArray<int>& changed);
    // Makes every row's manifest follow bOn; `changed` gets the rows whose state changed,
    // ascending. Switching off acts only on the manifests one search of the folder finds, so a
    // folder of thousands of programs with a few manifests is quick.
    void SwitchAll(BOOL bOn, CArray<int>& changed);

private:
    // Probes the row's manifest again; true if what the row shows changed.
    bool Reprobe(int row);

    CString m_strFolder;
    CArray<ProgramEntry> m_entries;
    DWORD m_error = ERROR_SUCCESS; // the latest listing's
};
