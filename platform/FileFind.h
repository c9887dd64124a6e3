// CFileFind: one folder's entries, one at a time, with the search handle closed by its owner.
#pragma once

#include "platform/Handle.h"
#include "platform/String.h"

#include <windows.h>

class CFileFind {
public:
    CFileFind() = default;
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // Starts a search; TRUE if at least one entry matches. Call FindNextFile() to reach it.
    // Wildcards count in the last component only: a folder part holding '?' or '*' (the
    // spelling of a folder name the code page cannot spell) is refused, as is a pattern past
    // the platform's path limit in characters.
    BOOL FindFile(const char* pattern);
    // Moves to the next entry; FALSE when the entry moved to is the last one.
    BOOL FindNextFile();
    void Close() { m_hFind.Reset(); }
    // Why the search ended early: ERROR_SUCCESS while it runs, after its last entry and when
    // nothing matches; otherwise the error the search failed with, such as a missing folder,
    // a connection lost half-way (entries may be missing then) or a refused pattern.
    DWORD GetSearchError() const { return m_dwError; }

    const WIN32_FIND_DATAW& GetFindData() const { return m_entries[m_current].data; }
    // The entry's name in the system code page. Where IsNameExact() is FALSE it holds '?' for
    // each character the code page cannot spell: shown as it is, it names no file.
    const char* GetFileName() const { return m_entries[m_current].name; }
    BOOL IsNameExact() const { return m_entries[m_current].bExact; }
    CString GetFilePath() const;
    ULONGLONG GetLength() const
    {
        return (ULONGLONG(GetFindData().nFileSizeHigh) << 32) | GetFindData().nFileSizeLow;
    }

    BOOL MatchesMask(DWORD mask) const { return (GetFindData().dwFileAttributes & mask) != 0; }
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    BOOL IsHidden() const { return MatchesMask(FILE_ATTRIBUTE_HIDDEN); }
    BOOL IsDots() const;

private:
    struct Entry {
        WIN32_FIND_DATAW data = {};
        CString name;
        BOOL bExact = TRUE;
    };
    // Spells the wide name of m_entries[index] in the code page.
    void Spell(int index);

    FindHandle m_hFind;
    CString m_root; // the pattern's folder, without a trailing separator
    Entry m_entries[2];
    int m_current = 0; // m_entries[m_current] is the entry reached, the other one the look-ahead
    bool m_bMore = false;
    DWORD m_dwError = ERROR_SUCCESS;
};
