// The storage of CString and CStringW, and the multibyte-aware stepping of CString.
#include "platform/String.h"

#include <mbctype.h>
#include <mbstring.h>
#include <stdlib.h>

namespace {

// Length of the character at p: in ANSI, an orphan lead byte before the end counts as one byte.
size_t CharLength(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (_ismbblead(u[0]) && u[1] != 0) ? 2 : 1;
}

size_t CharLength(const WCHAR*)
{
    return 1;
}

void UpperCase(char* psz, int)
{
    _mbsupr(reinterpret_cast<unsigned char*>(psz));
}

void UpperCase(WCHAR* psz, int nLength)
{
    ::CharUpperBuffW(psz, static_cast<DWORD>(nLength));
}

} // namespace

int CompareNoCase(const char* a, const char* b)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a),
                    reinterpret_cast<const unsigned char*>(b));
}

template <class Char>
CStringT<Char>::~CStringT()
{
    ::free(m_psz);
}

template <class Char>
void CStringT<Char>::Reserve(int nCapacity)
{
    if (nCapacity <= m_nCapacity)
        return;
    const int nGrown = m_nCapacity + m_nCapacity / 2;
    if (nGrown > nCapacity)
        nCapacity = nGrown;
    auto* psz = static_cast<Char*>(
        ::realloc(m_psz, (static_cast<size_t>(nCapacity) + 1) * sizeof(Char)));
    if (!psz)
        ::abort(); // out of memory: nothing sensible is left to do
    m_psz = psz;
    m_nCapacity = nCapacity;
}

template <class Char>
CStringT<Char>& CStringT<Char>::Assign(const Char* pch, int nLength)
{
    Reserve(nLength);
    if (m_psz) {
        ::memmove(m_psz, pch, static_cast<size_t>(nLength) * sizeof(Char));
        m_psz[nLength] = 0;
    }
    m_nLength = nLength;
    return *this;
}

template <class Char>
CStringT<Char>& CStringT<Char>::Append(const Char* pch, int nLength)
{
    if (nLength <= 0)
        return *this;
    // The source may lie inside this string's own buffer, which Reserve can move.
    if (m_psz && pch >= m_psz && pch < m_psz + m_nLength) {
        const CStringT copy(pch, nLength);
        return Append(copy.m_psz, nLength);
    }
    Reserve(m_nLength + nLength);
    ::memcpy(m_psz + m_nLength, pch, static_cast<size_t>(nLength) * sizeof(Char));
    m_nLength += nLength;
    m_psz[m_nLength] = 0;
    return *this;
}

template <class Char>
CStringT<Char> CStringT<Char>::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CStringT(GetString(), nCount < m_nLength ? nCount : m_nLength);
}

template <class Char>
CStringT<Char> CStringT<Char>::Mid(int nFirst) const
{
    if (nFirst < 0)
        nFirst = 0;
    return nFirst >= m_nLength ? CStringT() : CStringT(m_psz + nFirst, m_nLength - nFirst);
}

template <class Char>
CStringT<Char>& CStringT<Char>::MakeUpper()
{
    if (m_nLength > 0)
        UpperCase(m_psz, m_nLength);
    return *this;
}

template <class Char>
CStringT<Char>& CStringT<Char>::TrimRight(Char ch)
{
    const Char* start = GetString();
    const Char* runStart = nullptr;
    for (const Char* p = start; *p; p += CharLength(p)) {
        if (*p == ch) {
            if (!runStart)
                runStart = p;
        } else {
            runStart = nullptr;
        }
    }
    if (runStart) {
        m_nLength = static_cast<int>(runStart - start);
        m_psz[m_nLength] = 0;
    }
    return *this;
}

template <class Char>
bool CStringT<Char>::EndsWith(Char ch) const
{
    const Char* p = GetString();
    const Char* last = nullptr;
    for (; *p; p += CharLength(p))
        last = p;
    return last && last + 1 == p && *last == ch;
}

template <class Char>
int CStringT<Char>::ReverseFind(Char ch) const
{
    const Char* start = GetString();
    int found = -1;
    for (const Char* p = start; *p; p += CharLength(p)) {
        if (*p == ch)
            found = static_cast<int>(p - start);
    }
    return found;
}

template <class Char>
Char* CStringT<Char>::GetBufferSetLength(int nLength)
{
    if (nLength < 0)
        nLength = 0;
    Reserve(nLength > 0 ? nLength : 1);
    ::memset(m_psz, 0, (static_cast<size_t>(nLength) + 1) * sizeof(Char));
    m_nLength = nLength;
    return m_psz;
}

template <class Char>
void CStringT<Char>::ReleaseBuffer()
{
    if (m_psz)
        m_nLength = Length(m_psz);
}

template class CStringT<char>;
template class CStringT<WCHAR>;
