// The system's words for a Win32 error code.
#pragma once

#include "platform/String.h"

#include <windows.h>

// The system's text for an error, in the user's language, without the line end; "%1" in it, where
// the text names the file concerned, becomes `insert`. Empty where the system has no text.
CString SystemErrorText(DWORD error, const char* insert = nullptr);
