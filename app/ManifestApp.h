// CManifestApp: the application object, which runs the main dialog and ends.
#pragma once

#include "platform/WinApp.h"

class CManifestApp : public CWinApp {
public:
    CManifestApp();
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
