// CImageList: a borrowed image list; attaching and detaching never destroy the list.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    operator HIMAGELIST() const { return m_hImageList; }
    BOOL Attach(HIMAGELIST hImageList)
    {
        if (m_hImageList || !hImageList)
            return FALSE;
        m_hImageList = hImageList;
        return TRUE;
    }
    HIMAGELIST Detach()
    {
        HIMAGELIST hImageList = m_hImageList;
        m_hImageList = nullptr;
        return hImageList;
    }
};
