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

    // A tool covering the whole window hTool, named by its handle (TTF_IDISHWND), reported to
    // hNotify. It starts with no text and shows nothing until it has some. No TTF_SUBCLASS: the
    // owner relays the tool's mouse messages, so the tool's window keeps no foreign subclass.
    BOOL AddWindowTool(HWND hNotify, HWND hTool) const
    {
        TOOLINFOA tool = WindowTool(hNotify, hTool, "");
        return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
    }
    // The text the tool shows from now on; an empty text shows no tip. The tooltip keeps a copy,
    // of any length.
    void UpdateTipText(const char* text, HWND hNotify, HWND hTool) const
    {
        TOOLINFOA tool = WindowTool(hNotify, hTool, text);
        SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }

    // A tool shown where the owner puts it (TTF_TRACK), for a tip that follows the keyboard
    // rather than the pointer. One per tooltip, named by its owner hNotify.
    BOOL AddTrackTool(HWND hNotify) const
    {
        TOOLINFOA tool = TrackTool(hNotify, "");
        return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
    }
    void UpdateTrackText(const char* text, HWND hNotify) const
    {
        TOOLINFOA tool = TrackTool(hNotify, text);
        SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // Shows the track tool's tip with its top left corner at a point of the screen.
    void TrackAt(HWND hNotify, POINT screen) const
    {
        TOOLINFOA tool = TrackTool(hNotify, nullptr);
        SendMessage(TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
        SendMessage(TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    }
    void TrackHide(HWND hNotify) const
    {
        TOOLINFOA tool = TrackTool(hNotify, nullptr);
        SendMessage(TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
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

private:
    static TOOLINFOA TrackTool(HWND hNotify, const char* text)
    {
        TOOLINFOA tool = {};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        tool.hwnd = hNotify;
        tool.uId = 1;
        tool.lpszText = const_cast<char*>(text);
        return tool;
    }
    static TOOLINFOA WindowTool(HWND hNotify, HWND hTool, const char* text)
    {
        TOOLINFOA tool = {};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = hNotify;
        tool.uId = reinterpret_cast<UINT_PTR>(hTool);
        tool.lpszText = const_cast<char*>(text);
        return tool;
    }
};
