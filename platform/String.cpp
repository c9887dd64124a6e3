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

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CString(m_s.c_str(), nCount < GetLength() ? nCount : GetLength());
}

CString CString::Mid(int nFirst) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= GetLength())
        return CString();
    return CString(m_s.c_str() + nFirst);
}

CString& CString::MakeUpper()
{
    if (!m_s.empty())
        _mbsupr(reinterpret_cast<unsigned char*>(&m_s[0]));
    return *this;
}

CString& CString::TrimRight(char ch)
{
    const auto* start = reinterpret_cast<const unsigned char*>(m_s.c_str());
    const unsigned char* runStart = nullptr;
    for (const unsigned char* p = start; *p; p += CharLength(p)) {
        if (*p == static_cast<unsigned char>(ch)) {
            if (!runStart)
                runStart = p;
        } else {
            runStart = nullptr;
        }
    }
    if (runStart)
        m_s.resize(runStart - start);
    return *this;
}

int CString::ReverseFind(char ch) const
{
    const auto* start = reinterpret_cast<const unsigned char*>(m_s.c_str());
    int found = -1;
    for (const unsigned char* p = start; *p; p += CharLength(p)) {
        if (*p == static_cast<unsigned char>(ch))
            found = static_cast<int>(p - start);
    }
    return found;
}

char* CString::GetBufferSetLength(int nLength)
{
    m_s.assign(nLength > 0 ? nLength : 0, '\0');
    return &m_s[0];
}

void CString::ReleaseBuffer()
{
    m_s.resize(strlen(m_s.c_str()));
}
