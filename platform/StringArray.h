// CStringArray: a growable array of CString.
#pragma once

#include "platform/Array.h"
#include "platform/String.h"

class CStringArray {
public:
    CStringArray() = default;
    virtual ~CStringArray() = default;

    CStringArray(const CStringArray&) = delete;
    CStringArray& operator=(const CStringArray&) = delete;

    int GetSize() const { return m_items.GetSize(); }
    bool IsEmpty() const { return m_items.IsEmpty(); }
    const CString& GetAt(int i) const { return m_items[i]; }
    CString& ElementAt(int i) { return m_items[i]; }
    const CString& operator[](int i) const { return m_items[i]; }
    CString& operator[](int i) { return m_items[i]; }
    void SetAt(int i, const CString& str) { m_items[i] = str; }

    // Sets element i, first adding empty elements up to it where the array is shorter.
    void SetAtGrow(int i, const CString& str)
    {
        if (i < GetSize()) {
            m_items[i] = str;
            return;
        }
        CString copy(str); // str may be an element that growing moves
        m_items.Reserve(i + 1);
        while (GetSize() < i)
            m_items.Add(CString());
        m_items.Add(static_cast<CString&&>(copy));
    }
    int Add(const CString& str) { return m_items.Add(str); }
    void RemoveAll() { m_items.RemoveAll(); }

    CString* GetData() { return m_items.GetData(); }
    const CString* GetData() const { return m_items.GetData(); }

private:
    CArray<CString> m_items;
};
