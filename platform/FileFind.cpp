// Directory search with one entry of look-ahead, so the caller learns whether more follow. The
// search runs on the wide names, so that a name the code page cannot spell is marked as such
// rather than handed out as a look-alike that may name another file.
#include "platform/FileFind.h"

#include "platform/CodePage.h"
#include "platform/FileCalls.h"

BOOL CFileFind::FindFile(const char* pattern)
{
    Close();
    m_bMore = false;
    m_current = 0;
    m_dwError = ERROR_SUCCESS;

    m_root = pattern;
    int slash = m_root.ReverseFind('\\');
    const int forward = m_root.ReverseFind('/');
    if (forward > slash)
        slash = forward;
    m_root = slash >= 0 ? m_root.Left(slash) : CString();

    CStringW wide;
    if (!WideFromAnsi(pattern, wide))
        m_dwError = ERROR_NO_UNICODE_TRANSLATION;
    else if (wide.GetLength() > kMaxPathChars)
        m_dwError = ERROR_FILENAME_EXCED_RANGE;
    else if (HoldsUnspellable(m_root)) // wildcards count in the last component only
        m_dwError = ERROR_INVALID_NAME;
    if (m_dwError != ERROR_SUCCESS)
        return FALSE;

    m_hFind.Reset(Files().FindFirstFileW(wide, &m_entries[1].data));
    if (!m_hFind) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            m_dwError = error;
        return FALSE;
    }
    Spell(1);
    m_bMore = true;
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_bMore)
        return FALSE;
    m_current ^= 1;
    const int next = m_current ^ 1;
    m_bMore = m_hFind && Files().FindNextFileW(m_hFind.Get(), &m_entries[next].data);
    if (m_bMore) {
        Spell(next);
    } else {
        // Only "no more files" is the end; anything else cut the search short.
        const DWORD error = ::GetLastError();
        if (error != ERROR_NO_MORE_FILES)
            m_dwError = error;
        Close();
    }
    return m_bMore ? TRUE : FALSE;
}

void CFileFind::Spell(int index)
{
    Entry& entry = m_entries[index];
    bool bExact = true;
    entry.name = AnsiFromWide(entry.data.cFileName, ::lstrlenW(entry.data.cFileName), &bExact);
    entry.bExact = bExact ? TRUE : FALSE;
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
    const WCHAR* name = GetFindData().cFileName;
    return IsDirectory() && name[0] == L'.' &&
           (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}
