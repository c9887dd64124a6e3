// CStringArray: a growable array of CString.
#pragma once

#include "platform/String.h"

#include <vector>

class CStringArray {
public:
    CStringArray() = default;
    virtual ~CStringArray() = default;

    CStringArray(const CStringArray&) = delete;
    CStringArray& operator=(const CStringArray&) = delete;

    int GetSize() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    const CString& GetAt(int i) const { return m_items[i]; }
    CString& ElementAt(int i) { return m_items[i]; }
    const CString& operator[](int i) const { return m_items[i]; }
    CString& operator[](int i) { return m_items[i]; }
    void SetAt(int i, const CString& str) { m_items[i] = str; }

    void SetAtGrow(int i, const CString& str)
    {
        if (i >= GetSize())
            m_items.resize(i + 1);
        m_items[i] = str;
    }
    int Add(const CString& str)
    {
        m_items.push_back(str);
        return GetSize() - 1;
    }
    void RemoveAll() { m_items.clear(); }

    CString* GetData() { return m_items.data(); }
    const CString* GetData() const { return m_items.data(); }

private:
    std::vector<CString> m_items;
};
