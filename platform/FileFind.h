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
    BOOL FindFile(const char* pattern);
    // Moves to the next entry; FALSE when the entry moved to is the last one.
    BOOL FindNextFile();
    void Close() { m_hFind.Reset(); }
    // Why the search ended early: ERROR_SUCCESS while it runs, after its last entry and when
    // nothing matches; otherwise the error FindFirstFile or FindNextFile failed with, such as
    // a missing folder or a connection lost half-way, after which entries may be missing.
    DWORD GetSearchError() const { return m_dwError; }

    const WIN32_FIND_DATAA& GetFindData() const { return m_data[m_current]; }
    const char* GetFileName() const { return GetFindData().cFileName; }
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
    FindHandle m_hFind;
    CString m_root; // the pattern's folder, without a trailing separator
    WIN32_FIND_DATAA m_data[2] = {};
    int m_current = 0; // m_data[m_current] is the entry reached, the other one the look-ahead
    bool m_bMore = false;
    DWORD m_dwError = ERROR_SUCCESS;
};
