// The application object's registration.
#include "platform/WinApp.h"

namespace {
CWinApp* s_pApp = nullptr;
}

CWinApp::CWinApp(const char* pszAppName) : m_pszAppName(pszAppName)
{
    s_pApp = this;
    m_hInstance = ::GetModuleHandleA(nullptr);
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = nullptr;
}

CWinApp* CWinApp::GetApp()
{
    return s_pApp;
}
