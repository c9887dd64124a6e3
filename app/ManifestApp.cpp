// The one application object, and the code page it needs before it is built.
#include "app/ManifestApp.h"

#include "app/ManifestDlg.h"

#include <mbctype.h>

BEGIN_MESSAGE_MAP(CManifestApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CManifestApp::CManifestApp() : CWinApp(nullptr) {}

BOOL CManifestApp::InitInstance()
{
    Enable3dControls();

    CManifestDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // The dialog has closed: end the application without a message loop.
    return FALSE;
}

// Names are compared and sorted with the multibyte routines, which must treat a double-byte
// character of the ANSI code page as one character. Objects of one file are built in the order
// they are defined, so this runs before the application object exists.
static const int s_nMultibyteCodePage = _setmbcp(_MB_CP_ANSI);

CManifestApp theApp;
