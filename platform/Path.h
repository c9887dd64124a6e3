// Folder and file names joined into paths, with the backslash between them decided in one place.
#pragma once

#include "platform/String.h"

// The folder closed with a backslash: one is appended unless its last character is one. In a
// double-byte code page a character whose trail byte equals a backslash is no backslash.
CString WithBackslash(CString folder);

// The path without its last character where that is a backslash, one at most.
CString WithoutBackslash(CString path);

// A name in a folder, a file's or a search pattern's: the folder closed with a backslash, then
// the name.
CString JoinPath(CString folder, const char* name);
