// The system's words for a Win32 error code.
#pragma once

#include "platform/String.h"

#include <windows.h>

// The system's text for an error, without the line end; "error N" where the system has none.
CString SystemErrorText(DWORD error);
