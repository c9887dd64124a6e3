// Storage of CStringArray: elements are moved, never copied, when the array grows.
#include "platform/StringArray.h"

#include <new>

void CStringArray::SetAtGrow(int i, const CString& str)
{
    if (i >= m_nSize) {
        CString copy(str); // str may be an element that growing moves
        SetSize(i + 1);
        m_pData[i].Swap(copy);
        return;
    }
    m_pData[i] = str;
}

void CStringArray::RemoveAll()
{
    for (int i = 0; i < m_nSize; ++i)
        m_pData[i].~CString();
    ::free(m_pData);
    m_pData = nullptr;
    m_nSize = 0;
    m_nCapacity = 0;
}

void CStringArray::SetSize(int nNewSize)
{
    if (nNewSize > m_nCapacity) {
        int nCapacity = m_nCapacity < 16 ? 16 : m_nCapacity * 2;
        if (nCapacity < nNewSize)
            nCapacity = nNewSize;
        auto* pData = static_cast<CString*>(::malloc(sizeof(CString) * static_cast<size_t>(nCapacity)));
        if (!pData)
            ::abort(); // out of memory: nothing sensible is left to do
        for (int i = 0; i < m_nSize; ++i) {
            new (&pData[i]) CString(static_cast<CString&&>(m_pData[i]));
            m_pData[i].~CString();
        }
        ::free(m_pData);
        m_pData = pData;
        m_nCapacity = nCapacity;
    }
    for (int i = m_nSize; i < nNewSize; ++i)
        new (&m_pData[i]) CString();
    for (int i = nNewSize; i < m_nSize; ++i)
        m_pData[i].~CString();
    m_nSize = nNewSize;
}
