// Multibyte-aware operations of CString.
#include "platform/String.h"

#include <mbctype.h>
#include <mbstring.h>
#include <string.h>

namespace {

// Length in bytes of the character at p; an orphan lead byte before the end counts as one.
size_t CharLength(const unsigned char* p)
{
    return (_ismbblead(p[0]) && p[1] != 0) ? 2 : 1;
}

} // namespace

int CompareNoCase(const char* a, const char* b)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a),
                    reinterpret_cast<const unsigned char*>(b));
}

void CString::Reserve(int nCapacity)
{
    if (nCapacity <= m_nCapacity)
        return;
    int nGrown = m_nCapacity + m_nCapacity / 2;
    if (nGrown > nCapacity)
        nCapacity = nGrown;
    auto* psz = static_cast<char*>(::realloc(m_psz, static_cast<size_t>(nCapacity) + 1));
    if (!psz)
        ::abort(); // out of memory: nothing sensible is left to do
    m_psz = psz;
    m_nCapacity = nCapacity;
}

CString& CString::Assign(const char* pch, int nLength)
{
    Reserve(nLength);
    if (m_psz) {
        ::memmove(m_psz, pch, static_cast<size_t>(nLength));
        m_psz[nLength] = '\0';
    }
    m_nLength = nLength;
    return *this;
}

CString& CString::Append(const char* pch, int nLength)
{
    if (nLength <= 0)
        return *this;
    // The source may lie inside this string's own buffer, which Reserve can move.
    if (m_psz && pch >= m_psz && pch < m_psz + m_nLength) {
        CString copy(pch, nLength);
        return Append(copy.m_psz, nLength);
    }
    Reserve(m_nLength + nLength);
    ::memcpy(m_psz + m_nLength, pch, static_cast<size_t>(nLength));
    m_nLength += nLength;
    m_psz[m_nLength] = '\0';
    return *this;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CString(GetString(), nCount < m_nLength ? nCount : m_nLength);
}

CString CString::Mid(int nFirst) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= m_nLength)
        return CString();
    return CString(m_psz + nFirst, m_nLength - nFirst);
}

CString& CString::MakeUpper()
{
    if (m_nLength > 0)
        _mbsupr(reinterpret_cast<unsigned char*>(m_psz));
    return *this;
}

CString& CString::TrimRight(char ch)
{
    const auto* start = reinterpret_cast<const unsigned char*>(GetString());
    const unsigned char* runStart = nullptr;
    for (const unsigned char* p = start; *p; p += CharLength(p)) {
        if (*p == static_cast<unsigned char>(ch)) {
            if (!runStart)
                runStart = p;
        } else {
            runStart = nullptr;
        }
    }
    if (runStart) {
        m_nLength = static_cast<int>(runStart - start);
        m_psz[m_nLength] = '\0';
    }
    return *this;
}

bool CString::EndsWith(char ch) const
{
    const auto* p = reinterpret_cast<const unsigned char*>(GetString());
    const unsigned char* last = nullptr;
    for (; *p; p += CharLength(p))
        last = p;
    return last && last + 1 == p && *last == static_cast<unsigned char>(ch);
}

int CString::ReverseFind(char ch) const
{
    const auto* start = reinterpret_cast<const unsigned char*>(GetString());
    int found = -1;
    for (const unsigned char* p = start; *p; p += CharLength(p)) {
        if (*p == static_cast<unsigned char>(ch))
            found = static_cast<int>(p - start);
    }
    return found;
}

char* CString::GetBufferSetLength(int nLength)
{
    if (nLength < 0)
        nLength = 0;
    Reserve(nLength > 0 ? nLength : 1);
    ::memset(m_psz, 0, static_cast<size_t>(nLength) + 1);
    m_nLength = nLength;
    return m_psz;
}

void CString::ReleaseBuffer()
{
    if (m_psz)
        m_nLength = Length(m_psz);
}
