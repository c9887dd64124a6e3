// CString: the ANSI string of the framework layer, multibyte-aware where paths need it.
#pragma once

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_s(psz ? psz : "") {}
    CString(const char* pch, int nLength) : m_s(pch, nLength > 0 ? nLength : 0) {}

    CString& operator=(const char* psz)
    {
        m_s.assign(psz ? psz : "");
        return *this;
    }

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    const char* GetString() const { return m_s.c_str(); }
    operator const char*() const { return m_s.c_str(); }
    char GetAt(int i) const { return m_s[i]; }

    // The byte test is deliberate: a path ends in a separator when its last byte is one.
    bool EndsWith(char ch) const { return !m_s.empty() && m_s.back() == ch; }

    CString& operator+=(const char* psz)
    {
        m_s.append(psz ? psz : "");
        return *this;
    }
    CString& operator+=(const CString& str)
    {
        m_s.append(str.m_s);
        return *this;
    }
    CString& operator+=(char ch)
    {
        m_s.push_back(ch);
        return *this;
    }

    friend CString operator+(CString lhs, const char* rhs) { return lhs += rhs; }
    friend CString operator+(CString lhs, const CString& rhs) { return lhs += rhs; }
    friend CString operator+(CString lhs, char rhs) { return lhs += rhs; }
    friend CString operator+(const char* lhs, const CString& rhs) { return CString(lhs) += rhs; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
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

    void Swap(CString& other) noexcept { m_s.swap(other.m_s); }

private:
    std::string m_s;
};
