// CWinApp: the one application object, built during static initialisation and run by WinMain.
#pragma once

#include "platform/MessageMap.h"

// The framework's help command.
#define ID_HELP 0xE146

class CWnd;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* GetApp();

    // Returns FALSE to end the application without a message loop of its own.
    virtual BOOL InitInstance() { return FALSE; }

    // Nothing to do, since the platform draws 3-D controls itself; TRUE, so the call reads as
    // a success.
    BOOL Enable3dControls() { return TRUE; }

    // Default handler of the help command: there is no help file, so nothing to show.
    void OnHelp() {}

    const char* m_pszAppName;
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};
