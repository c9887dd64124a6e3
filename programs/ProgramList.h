// CProgramList: the programs of one folder as the list shows them, the one face of the rules for
// listing, switching, starting and describing them.
#pragma once

#include "platform/Array.h"
#include "platform/String.h"

#include <windows.h>

struct ProgramEntry; // one program's record; its insides are the list's own

// The programs of one folder, in the order the search gave them: what each row of the list stands
// for. It answers the rows' questions (name, size, mark, greyness, tip), and switching answers
// with the rows to show again, so that a window redraws only those.
class CProgramList {
public:
    CProgramList();
    ~CProgramList();
    CProgramList(const CProgramList&) = delete;
    CProgramList& operator=(const CProgramList&) = delete;

    // Lists the folder's programs: every file, no folder, whose own name ends in ".exe" in any
    // case. An empty folder lists nothing: no folder is chosen.
    void List(const CString& folder);
    const CString& GetFolder() const { return m_strFolder; }

    int GetCount() const { return m_entries.GetSize(); }
    bool IsRow(int row) const { return row >= 0 && row < m_entries.GetSize(); }
    // The name as the directory search spelt it in the system code page.
    const CString& GetName(int row) const;
    // In bytes, both halves.
    ULONGLONG GetSize(int row) const;
    // Whether the program's manifest is present: the row's mark.
    bool IsChecked(int row) const;
    // Whether the row is drawn grey: the program ignores its side file, or its name is one that
    // is never switched (unspellable, a device's, one Windows forbids).
    bool IsGrey(int row) const;
    // The row of the program with exactly this name, or -1.
    int FindName(const CString& name) const;

    // Reads the program's own manifest and whose bytes its side manifest holds, once; true if
    // that changed what the row shows (its mark, greyness or tip).
    bool Classify(int row);
    // The row's tip, one line per fact the mark cannot show, most pressing first; empty when
    // there is nothing to say. Classifies the row first.
    CString Describe(int row);
    // Whether the row's latest command failed, so its reason is worth showing at once.
    bool HasFailure(int row) const;
    // Why the latest listing gave no rows; empty when it gave some.
    CString DescribeEmpty() const;

    // Makes the row's manifest follow bOn. `changed` gets the row itself, whose mark must show
    // the outcome whether the switch took or not, and every other row whose manifest changed
    // with it: where names differ only in case, two rows can name one manifest.
    void Switch(int row, bool bOn, CArray<int>& changed);
    // Makes every row's manifest follow bOn; `changed` gets the rows whose state changed,
    // ascending. Switching off acts only on the manifests one search of the folder finds, so a
    // folder of thousands of programs with a few manifests is quick.
    void SwitchAll(bool bOn, CArray<int>& changed);
    // Hands the program to the shell to start, owned by hOwner. False, with the reason in the
    // row's tip, where it cannot start; a name that is never acted on is not started at all.
    bool Start(int row, HWND hOwner);

private:
    // Probes the row's manifest again; true if what the row shows changed.
    bool Reprobe(int row);

    CString m_strFolder;
    CArray<ProgramEntry> m_entries;
    DWORD m_error = ERROR_SUCCESS; // the latest listing's
};
