// Entry point: hands control to the application object built during static initialisation.
#include "platform/WinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp* app = CWinApp::GetApp();
    if (!app)
        return 1;
    app->m_hInstance = hInstance;
    app->InitInstance();
    return 0;
}
