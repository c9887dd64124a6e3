// CStringArray: a growable array of CString.
#pragma once

#include "platform/String.h"

class CStringArray {
public:
    CStringArray() = default;
    virtual ~CStringArray() { RemoveAll(); }

    CStringArray(const CStringArray&) = delete;
    CStringArray& operator=(const CStringArray&) = delete;

    int GetSize() const { return m_nSize; }
    bool IsEmpty() const { return m_nSize == 0; }
    const CString& GetAt(int i) const { return m_pData[i]; }
    CString& ElementAt(int i) { return m_pData[i]; }
    const CString& operator[](int i) const { return m_pData[i]; }
    CString& operator[](int i) { return m_pData[i]; }
    void SetAt(int i, const CString& str) { m_pData[i] = str; }

    void SetAtGrow(int i, const CString& str);
    int Add(const CString& str)
    {
        SetAtGrow(m_nSize, str);
        return m_nSize - 1;
    }
    void RemoveAll();

    CString* GetData() { return m_pData; }
    const CString* GetData() const { return m_pData; }

private:
    void SetSize(int nNewSize);

    CString* m_pData = nullptr;
    int m_nSize = 0;
    int m_nCapacity = 0;
};
