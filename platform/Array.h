// CArray: a growable array of movable elements, without exceptions.
#pragma once

#include <stdlib.h>

#include <new>
#include <utility>

template <class T>
class CArray {
public:
    CArray() = default;
    ~CArray() { RemoveAll(); }
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;

    int GetSize() const { return m_nSize; }
    bool IsEmpty() const { return m_nSize == 0; }
    T& operator[](int i) { return m_pData[i]; }
    const T& operator[](int i) const { return m_pData[i]; }
    T* GetData() { return m_pData; }
    const T* GetData() const { return m_pData; }

    // Appends the element and returns its index.
    int Add(const T& element)
    {
        T copy(element); // element may lie in the storage that growing moves
        return Add(std::move(copy));
    }
    int Add(T&& element)
    {
        Reserve(m_nSize + 1);
        new (&m_pData[m_nSize]) T(std::move(element));
        return m_nSize++;
    }

    void RemoveAll()
    {
        for (int i = 0; i < m_nSize; ++i)
            m_pData[i].~T();
        ::free(m_pData);
        m_pData = nullptr;
        m_nSize = 0;
        m_nCapacity = 0;
    }

    // Room for nCapacity elements without moving them again.
    void Reserve(int nCapacity)
    {
        if (nCapacity <= m_nCapacity)
            return;
        int nGrown = m_nCapacity < 16 ? 16 : m_nCapacity * 2;
        if (nGrown < nCapacity)
            nGrown = nCapacity;
        auto* pData = static_cast<T*>(::malloc(sizeof(T) * static_cast<size_t>(nGrown)));
        if (!pData)
            ::abort(); // out of memory: nothing sensible is left to do
        for (int i = 0; i < m_nSize; ++i) {
            new (&pData[i]) T(std::move(m_pData[i]));
            m_pData[i].~T();
        }
        ::free(m_pData);
        m_pData = pData;
        m_nCapacity = nGrown;
    }

private:
    T* m_pData = nullptr;
    int m_nSize = 0;
    int m_nCapacity = 0;
};
