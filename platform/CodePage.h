// Names between UTF-16 and the system code page, exact or marked as not.
#pragma once

#include "platform/String.h"

#include <windows.h>

// The longest path the platform's file functions take, in characters, the terminator not counted.
inline constexpr int kMaxPathChars = MAX_PATH - 1;

// The system code page's spelling of `text` (nLength characters). Each character the code page
// cannot spell exactly becomes '?', never a look-alike (Windows would write O for Ω); *pbExact
// tells whether the spelling names the same file as the text.
CString AnsiFromWide(const WCHAR* text, int nLength, bool* pbExact);

// The UTF-16 text of a string in the system code page; false, with `wide` empty, if its bytes are
// no text there.
bool WideFromAnsi(const char* text, CStringW& wide);

// Whether a name or path holds what AnsiFromWide puts for a character the code page cannot spell,
// or a wildcard: no file is named by it, and a search would take it for a pattern. Neither '?'
// nor '*' is ever a trail byte in a double-byte code page.
bool HoldsUnspellable(const char* text);
