// CString: the ANSI string of the framework layer, multibyte-aware where paths need it.
#pragma once

#include <stdlib.h>
#include <string.h>

// Compares two names without regard to case, a double-byte character of the multibyte code page
// as one character (_mbsicmp): <0, 0 or >0.
int CompareNoCase(const char* a, const char* b);

class CString {
public:
    CString() = default;
    CString(const char* psz) { Assign(psz, psz ? Length(psz) : 0); }
    CString(const char* pch, int nLength) { Assign(pch, nLength > 0 ? nLength : 0); }
    CString(const CString& other) { Assign(other.m_psz, other.m_nLength); }
    CString(CString&& other) noexcept { Swap(other); }
    ~CString() { ::free(m_psz); }

    CString& operator=(const CString& other)
    {
        if (this != &other)
            Assign(other.m_psz, other.m_nLength);
        return *this;
    }
    CString& operator=(CString&& other) noexcept
    {
        Swap(other);
        return *this;
    }
    CString& operator=(const char* psz) { return Assign(psz, psz ? Length(psz) : 0); }

    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    void Empty() { Assign("", 0); }
    const char* GetString() const { return m_psz ? m_psz : ""; }
    operator const char*() const { return GetString(); }
    char GetAt(int i) const { return m_psz[i]; }

    // Whether the last character is ch. A trail byte equal to ch is no match: in a double-byte
    // code page a folder name may end in a character whose second byte is a backslash.
    bool EndsWith(char ch) const;

    CString& operator+=(const char* psz) { return Append(psz, psz ? Length(psz) : 0); }
    CString& operator+=(const CString& str) { return Append(str.m_psz, str.m_nLength); }
    CString& operator+=(char ch) { return Append(&ch, 1); }

    friend CString operator+(CString lhs, const char* rhs) { return lhs += rhs; }
    friend CString operator+(CString lhs, const CString& rhs) { return lhs += rhs; }
    friend CString operator+(CString lhs, char rhs) { return lhs += rhs; }
    friend CString operator+(const char* lhs, const CString& rhs) { return CString(lhs) += rhs; }

    friend bool operator==(const CString& a, const char* b)
    {
        return ::strcmp(a.GetString(), b ? b : "") == 0;
    }
    friend bool operator==(const CString& a, const CString& b)
    {
        return a.m_nLength == b.m_nLength && a == b.GetString();
    }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;

    // Case folding, trimming and searching step through the string by characters of
    // the multibyte code page, so a trail byte is never mistaken for a separator.
    CString& MakeUpper();
    CString& TrimRight(char ch);
    int ReverseFind(char ch) const;

    // Raw access for API calls that fill a buffer: reserve nLength bytes plus the
    // terminator, let the call write, then ReleaseBuffer() cuts at the first zero.
    char* GetBufferSetLength(int nLength);
    void ReleaseBuffer();
    // The text itself, to change in place without changing its length.
    char* GetBuffer()
    {
        Reserve(m_nLength > 0 ? m_nLength : 1);
        m_psz[m_nLength] = '\0'; // a string that never held text had no storage to end
        return m_psz;
    }

    void Swap(CString& other) noexcept
    {
        char* psz = m_psz;
        m_psz = other.m_psz;
        other.m_psz = psz;
        int n = m_nLength;
        m_nLength = other.m_nLength;
        other.m_nLength = n;
        n = m_nCapacity;
        m_nCapacity = other.m_nCapacity;
        other.m_nCapacity = n;
    }

private:
    static int Length(const char* psz) { return static_cast<int>(::strlen(psz)); }
    CString& Assign(const char* pch, int nLength);
    CString& Append(const char* pch, int nLength);
    void Reserve(int nCapacity);

    char* m_psz = nullptr; // null until the first character is stored
    int m_nLength = 0;
    int m_nCapacity = 0; // bytes available for characters, the terminator not counted
};
