// CListCtrl's drawing of what an empty list has to say.
#include "platform/ListCtrl.h"

namespace {
// Space between the sentence and the list's edges and header.
constexpr int kEmptyTextMargin = 8;
} // namespace

void CListCtrl::DrawEmptyText(HDC hdc, const char* text) const
{
    if (!text || !*text)
        return;
    RECT area;
    GetClientRect(&area);
    RECT header;
    if (::GetWindowRect(GetHeaderCtrl(), &header))
        area.top += header.bottom - header.top;
    ::InflateRect(&area, -kEmptyTextMargin, -kEmptyTextMargin);
    const HGDIOBJ oldFont = ::SelectObject(hdc, GetFont());
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(hdc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextA(hdc, text, -1, &area, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    ::SetTextColor(hdc, oldColor);
    ::SetBkMode(hdc, oldMode);
    ::SelectObject(hdc, oldFont);
}
