// Storage of CStringW.
#include "platform/WideString.h"

#include <stdlib.h>
#include <string.h>

CStringW::~CStringW()
{
    ::free(m_psz);
}

void CStringW::Reserve(int nCapacity)
{
    if (nCapacity <= m_nCapacity)
        return;
    const int nGrown = m_nCapacity + m_nCapacity / 2;
    if (nGrown > nCapacity)
        nCapacity = nGrown;
    auto* psz = static_cast<WCHAR*>(
        ::realloc(m_psz, (static_cast<size_t>(nCapacity) + 1) * sizeof(WCHAR)));
    if (!psz)
        ::abort(); // out of memory: nothing sensible is left to do
    m_psz = psz;
    m_nCapacity = nCapacity;
}

CStringW& CStringW::Assign(const WCHAR* pch, int nLength)
{
    Reserve(nLength);
    if (m_psz) {
        ::memmove(m_psz, pch, static_cast<size_t>(nLength) * sizeof(WCHAR));
        m_psz[nLength] = L'\0';
    }
    m_nLength = nLength;
    return *this;
}

CStringW& CStringW::Append(const WCHAR* pch, int nLength)
{
    if (nLength <= 0)
        return *this;
    // The source may lie inside this string's own buffer, which Reserve can move.
    if (m_psz && pch >= m_psz && pch < m_psz + m_nLength) {
        const CStringW copy(pch, nLength);
        return Append(copy.m_psz, nLength);
    }
    Reserve(m_nLength + nLength);
    ::memcpy(m_psz + m_nLength, pch, static_cast<size_t>(nLength) * sizeof(WCHAR));
    m_nLength += nLength;
    m_psz[m_nLength] = L'\0';
    return *this;
}

CStringW CStringW::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CStringW(GetString(), nCount < m_nLength ? nCount : m_nLength);
}

CStringW CStringW::Mid(int nFirst) const
{
    if (nFirst < 0)
        nFirst = 0;
    return nFirst >= m_nLength ? CStringW() : CStringW(m_psz + nFirst, m_nLength - nFirst);
}

int CStringW::ReverseFind(WCHAR ch) const
{
    for (int i = m_nLength - 1; i >= 0; --i) {
        if (m_psz[i] == ch)
            return i;
    }
    return -1;
}

WCHAR* CStringW::GetBufferSetLength(int nLength)
{
    if (nLength < 0)
        nLength = 0;
    Reserve(nLength > 0 ? nLength : 1);
    ::memset(m_psz, 0, (static_cast<size_t>(nLength) + 1) * sizeof(WCHAR));
    m_nLength = nLength;
    return m_psz;
}

void CStringW::ReleaseBuffer()
{
    if (m_psz)
        m_nLength = Length(m_psz);
}

bool operator==(const CStringW& a, const CStringW& b)
{
    return a.m_nLength == b.m_nLength &&
           ::memcmp(a.GetString(), b.GetString(),
                    static_cast<size_t>(a.m_nLength) * sizeof(WCHAR)) == 0;
}
