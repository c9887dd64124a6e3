// Sentences from the resource string table, in the language the user reads.
#pragma once

#include "platform/String.h"

#include <windows.h>

// The language sentences are shown in: Japanese where the user's interface language is Japanese
// and the ANSI code page (932) can spell it, English everywhere else.
LANGID TextLanguage();

// String `id` of the string table in TextLanguage(), spelt in the ANSI code page; the English
// string where the table has none in that language, empty where it has neither.
CString LoadText(UINT id);

// String `id` with "%1" and "%2" replaced by the arguments, wherever they stand.
CString FormatText(UINT id, const char* arg1, const char* arg2 = nullptr);
