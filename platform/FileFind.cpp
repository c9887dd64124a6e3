// Directory search with one entry of look-ahead, so the caller learns whether more follow.
#include "platform/FileFind.h"

#include <string.h>

BOOL CFileFind::FindFile(const char* pattern)
{
    Close();
    m_bMore = false;
    m_current = 0;
    m_dwError = ERROR_SUCCESS;
    m_hFind.Reset(::FindFirstFileA(pattern, &m_data[1]));
    if (!m_hFind) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            m_dwError = error;
        return FALSE;
    }

    m_root = pattern;
    int slash = m_root.ReverseFind('\\');
    int forward = m_root.ReverseFind('/');
    if (forward > slash)
        slash = forward;
    m_root = slash >= 0 ? m_root.Left(slash) : CString();
    m_bMore = true;
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_bMore)
        return FALSE;
    m_current ^= 1;
    m_bMore = m_hFind && ::FindNextFileA(m_hFind.Get(), &m_data[m_current ^ 1]);
    if (!m_bMore) {
        // Only "no more files" is the end; anything else cut the search short.
        const DWORD error = ::GetLastError();
        if (error != ERROR_NO_MORE_FILES)
            m_dwError = error;
        Close();
    }
    return m_bMore ? TRUE : FALSE;
}

CString CFileFind::GetFilePath() const
{
    if (m_root.IsEmpty())
        return CString(GetFileName());
    CString path = m_root;
    path += '\\';
    path += GetFileName();
    return path;
}

BOOL CFileFind::IsDots() const
{
    const char* name = GetFileName();
    return IsDirectory() && name[0] == '.' &&
           (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}
