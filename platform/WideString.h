// CStringW: the UTF-16 string of the framework layer, for names as the file system holds them.
#pragma once

#include <windows.h>

class CStringW {
public:
    CStringW() = default;
    CStringW(const WCHAR* psz) { Assign(psz, psz ? Length(psz) : 0); }
    CStringW(const WCHAR* pch, int nLength) { Assign(pch, nLength > 0 ? nLength : 0); }
    CStringW(const CStringW& other) { Assign(other.m_psz, other.m_nLength); }
    CStringW(CStringW&& other) noexcept { Swap(other); }
    ~CStringW();

    CStringW& operator=(const CStringW& other)
    {
        if (this != &other)
            Assign(other.m_psz, other.m_nLength);
        return *this;
    }
    CStringW& operator=(CStringW&& other) noexcept
    {
        Swap(other);
        return *this;
    }

    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    void Empty() { Assign(L"", 0); }
    const WCHAR* GetString() const { return m_psz ? m_psz : L""; }
    operator const WCHAR*() const { return GetString(); }
    WCHAR GetAt(int i) const { return m_psz[i]; }

    CStringW& operator+=(const WCHAR* psz) { return Append(psz, psz ? Length(psz) : 0); }
    CStringW& operator+=(const CStringW& str) { return Append(str.m_psz, str.m_nLength); }
    CStringW& operator+=(WCHAR ch) { return Append(&ch, 1); }

    friend CStringW operator+(CStringW lhs, const CStringW& rhs) { return lhs += rhs; }
    friend CStringW operator+(CStringW lhs, const WCHAR* rhs) { return lhs += rhs; }

    CStringW Left(int nCount) const;
    // The text from nFirst on, empty past the end.
    CStringW Mid(int nFirst) const;
    // Index of the last ch, or -1.
    int ReverseFind(WCHAR ch) const;

    // The text itself, to change in place without changing its length.
    WCHAR* GetBuffer()
    {
        Reserve(m_nLength > 0 ? m_nLength : 1);
        m_psz[m_nLength] = L'\0'; // a string that never held text had no storage to end
        return m_psz;
    }
    // Raw access for API calls that fill a buffer: room for nLength characters and the
    // terminator; ReleaseBuffer() then cuts at the first zero.
    WCHAR* GetBufferSetLength(int nLength);
    void ReleaseBuffer();

    void Swap(CStringW& other) noexcept
    {
        WCHAR* psz = m_psz;
        m_psz = other.m_psz;
        other.m_psz = psz;
        int n = m_nLength;
        m_nLength = other.m_nLength;
        other.m_nLength = n;
        n = m_nCapacity;
        m_nCapacity = other.m_nCapacity;
        other.m_nCapacity = n;
    }

    friend bool operator==(const CStringW& a, const CStringW& b);
    friend bool operator!=(const CStringW& a, const CStringW& b) { return !(a == b); }

private:
    static int Length(const WCHAR* psz) { return ::lstrlenW(psz); }
    CStringW& Assign(const WCHAR* pch, int nLength);
    CStringW& Append(const WCHAR* pch, int nLength);
    void Reserve(int nCapacity);

    WCHAR* m_psz = nullptr; // null until the first character is stored
    int m_nLength = 0;
    int m_nCapacity = 0; // characters available, the terminator not counted
};
