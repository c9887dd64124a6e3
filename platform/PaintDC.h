// CPaintDC: BeginPaint and EndPaint bracketed by one object's lifetime.
#pragma once

#include <windows.h>

class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::BeginPaint(hWnd, &m_ps)) {}
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    void DrawIcon(int x, int y, HICON hIcon) const { ::DrawIcon(m_hDC, x, y, hIcon); }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps = {};
    HDC m_hDC;
};
