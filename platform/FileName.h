// File names as Windows takes them: names kept for devices, characters no file name may hold,
// and case folded the way the file system folds it.
#pragma once

#include "platform/String.h"

#include <windows.h>

// Whether Windows takes `name` (one component, no folder) for a device rather than a file: CON,
// PRN, AUX, NUL, COM0 to COM9 and LPT0 to LPT9 (the superscript digits ¹²³ too), in any case,
// alone or before the first dot, with spaces before that dot. Windows 10 and older do so with
// any extension; opening such a name opens the device, and reading a serial port can wait for
// ever.
bool IsDeviceName(const WCHAR* name);

// Whether `name` (one component) holds a character no Windows file name may hold: \ / : * ? " < >
// | or a control character. Other systems' file systems, seen through Wine, may hold such names;
// Windows would take them for a path, a pattern or a stream.
bool HoldsForbiddenCharacter(const WCHAR* name);

// Whether `name` ends in `suffix` (ASCII) without regard to case.
bool EndsWithNoCase(const WCHAR* name, const WCHAR* suffix);

// Upper-cases a name as the file system does when it compares names: the whole of Unicode, one
// character at a time and the same in every locale (LCMapString's file system casing). Two names
// name one file on a case-blind file system where their folded forms are equal.
void FoldFileName(CStringW& name);
