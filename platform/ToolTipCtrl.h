// CToolTipCtrl: typed calls on a tooltip control that the owner feeds with mouse messages.
#pragma once

#include "platform/Wnd.h"

class CToolTipCtrl : public CWnd {
public:
    // A popup owned by hOwner, destroyed with it. TTS_ALWAYSTIP: also while the owner is inactive.
    BOOL Create(HWND hOwner, DWORD dwStyle = TTS_ALWAYSTIP | TTS_NOPREFIX)
    {
        m_hWnd = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   hOwner, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        return m_hWnd != nullptr;
    }

    // A tool covering the whole window hTool, named by its handle (TTF_IDISHWND). Its text is
    // asked for each time it shows, with TTN_GETDISPINFO sent to hNotify. No TTF_SUBCLASS: the
    // owner relays the tool's mouse messages, so the tool's window keeps no foreign subclass.
    BOOL AddWindowTool(HWND hNotify, HWND hTool) const
    {
        TOOLINFOA tool = {};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = hNotify;
        tool.uId = reinterpret_cast<UINT_PTR>(hTool);
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
    }

    // Lets the tooltip see a mouse message of a tool's window, taken from the queue.
    void RelayEvent(MSG* pMsg) const
    {
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
    }
    // Hides the tip; the next relayed move shows it again, with its text asked afresh.
    void Pop() const { SendMessage(TTM_POP); }
    // Wraps lines longer than cx pixels; lines break at "\r\n" in any case.
    int SetMaxTipWidth(int cx) const
    {
        return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, cx));
    }

    static bool IsMouseMessage(UINT message)
    {
        return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_MOUSELEAVE;
    }
};
