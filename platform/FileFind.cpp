// Directory search with one entry of look-ahead, so the caller learns whether more follow. The
// search runs on the wide names, so that a name the code page cannot spell is marked as such
// rather than handed out as a look-alike that may name another file.
#include "platform/FileFind.h"

#include "platform/CodePage.h"

#include <string>

namespace {

// ERROR_SUCCESS if the pattern may be searched, else why not.
DWORD CheckPattern(const std::wstring& pattern)
{
    if (static_cast<int>(pattern.size()) > kMaxPathChars)
        return ERROR_FILENAME_EXCED_RANGE;
    const size_t separator = pattern.find_last_of(L"\\/");
    if (separator != std::wstring::npos && pattern.find_first_of(L"?*") < separator)
        return ERROR_INVALID_NAME;
    return ERROR_SUCCESS;
}

} // namespace

BOOL CFileFind::FindFile(const char* pattern)
{
    Close();
    m_bMore = false;
    m_current = 0;
    m_dwError = ERROR_SUCCESS;

    std::wstring wide;
    if (!WideFromAnsi(pattern, wide)) {
        m_dwError = ERROR_NO_UNICODE_TRANSLATION;
        return FALSE;
    }
    m_dwError = CheckPattern(wide);
    if (m_dwError != ERROR_SUCCESS)
        return FALSE;

    m_hFind.Reset(::FindFirstFileW(wide.c_str(), &m_entries[1].data));
    if (!m_hFind) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            m_dwError = error;
        return FALSE;
    }
    Spell(1);

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
    const int next = m_current ^ 1;
    m_bMore = m_hFind && ::FindNextFileW(m_hFind.Get(), &m_entries[next].data);
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
    entry.name = AnsiFromWide(entry.data.cFileName,
                              static_cast<int>(::wcsnlen(entry.data.cFileName, MAX_PATH)), &bExact);
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
