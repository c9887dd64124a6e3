// CString and CStringW: the framework layer's strings, ANSI in the system code page
// (multibyte-aware where paths need it) and UTF-16, one template for both.
#pragma once

#include <windows.h>

#include <string.h>
#include <wchar.h>

// Compares two names without regard to case, a double-byte character of the multibyte code page
// as one character (_mbsicmp): <0, 0 or >0.
int CompareNoCase(const char* a, const char* b);

template <class Char>
class CStringT {
public:
    CStringT() = default;
    CStringT(const Char* psz) { Assign(psz, psz ? Length(psz) : 0); }
    CStringT(const Char* pch, int nLength) { Assign(pch, nLength > 0 ? nLength : 0); }
    CStringT(const CStringT& other) { Assign(other.m_psz, other.m_nLength); }
    CStringT(CStringT&& other) noexcept { Swap(other); }
    ~CStringT();

    CStringT& operator=(const CStringT& other)
    {
        if (this != &other)
            Assign(other.m_psz, other.m_nLength);
        return *this;
    }
    CStringT& operator=(CStringT&& other) noexcept
    {
        Swap(other);
        return *this;
    }
    CStringT& operator=(const Char* psz) { return Assign(psz, psz ? Length(psz) : 0); }

    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    void Empty()
    {
        m_nLength = 0;
        if (m_psz)
            m_psz[0] = 0;
    }
    const Char* GetString() const { return m_psz ? m_psz : Empty0(); }
    operator const Char*() const { return GetString(); }
    Char GetAt(int i) const { return m_psz[i]; }

    // Whether the last character is ch. In a double-byte code page a trail byte equal to ch is
    // no match: a folder name may end in a character whose second byte is a backslash.
    bool EndsWith(Char ch) const;

    CStringT& operator+=(const Char* psz) { return Append(psz, psz ? Length(psz) : 0); }
    CStringT& operator+=(const CStringT& str) { return Append(str.m_psz, str.m_nLength); }
    CStringT& operator+=(Char ch) { return Append(&ch, 1); }

    friend CStringT operator+(CStringT lhs, const Char* rhs) { return lhs += rhs; }
    friend CStringT operator+(CStringT lhs, const CStringT& rhs) { return lhs += rhs; }
    friend CStringT operator+(CStringT lhs, Char rhs) { return lhs += rhs; }
    friend CStringT operator+(const Char* lhs, const CStringT& rhs) { return CStringT(lhs) += rhs; }

    friend bool operator==(const CStringT& a, const Char* b)
    {
        return Compare(a.GetString(), b ? b : Empty0()) == 0;
    }
    friend bool operator==(const CStringT& a, const CStringT& b)
    {
        return a.m_nLength == b.m_nLength && a == b.GetString();
    }
    friend bool operator!=(const CStringT& a, const CStringT& b) { return !(a == b); }
    friend bool operator!=(const CStringT& a, const Char* b) { return !(a == b); }

    CStringT Left(int nCount) const;
    // The text from nFirst on, empty past the end.
    CStringT Mid(int nFirst) const;

    // Case folding (ANSI only), trimming and searching step through the string by characters
    // of the multibyte code page, so a trail byte is never mistaken for a separator.
    CStringT& MakeUpper();
    CStringT& TrimRight(Char ch);
    // Index of the last ch, or -1.
    int ReverseFind(Char ch) const;

    // Raw access for API calls that fill a buffer: reserve nLength characters plus the
    // terminator, let the call write, then ReleaseBuffer() cuts at the first zero.
    Char* GetBufferSetLength(int nLength);
    void ReleaseBuffer();
    // The text itself, to change in place without changing its length.
    Char* GetBuffer()
    {
        Reserve(m_nLength > 0 ? m_nLength : 1);
        m_psz[m_nLength] = 0; // a string that never held text had no storage to end
        return m_psz;
    }

    void Swap(CStringT& other) noexcept
    {
        Char* psz = m_psz;
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
    static const Char* Empty0()
    {
        static const Char s_empty = 0;
        return &s_empty;
    }
    static int Length(const char* psz) { return static_cast<int>(::strlen(psz)); }
    static int Length(const WCHAR* psz) { return static_cast<int>(::wcslen(psz)); }
    static int Compare(const char* a, const char* b) { return ::strcmp(a, b); }
    static int Compare(const WCHAR* a, const WCHAR* b) { return ::wcscmp(a, b); }
    CStringT& Assign(const Char* pch, int nLength);
    CStringT& Append(const Char* pch, int nLength);
    void Reserve(int nCapacity);

    Char* m_psz = nullptr; // null until the first character is stored
    int m_nLength = 0;
    int m_nCapacity = 0; // characters available, the terminator not counted
};

using CString = CStringT<char>;
using CStringW = CStringT<WCHAR>;

// The members are built once for each character type, in String.cpp.
extern template class CStringT<char>;
extern template class CStringT<WCHAR>;
