// What a program's own manifest (resource RT_MANIFEST, id 1) says about the common controls.
// Windows Vista and later, and Wine, start a program that carries one with that manifest and
// ignore <program>.exe.manifest beside it.
#pragma once

#include <windows.h>

enum class OwnManifest {
    None,    // no own manifest: the side file governs
    Themed,  // asks for Microsoft.Windows.Common-Controls 6.0: themed whatever the side file says
    Classic, // asks for something else: classic controls whatever the side file says
};

// Reads the program file's headers, section table and resource directory (PE32 and PE32+).
// A file that is no PE file, is cut short or has a damaged resource directory gives None, and so
// does one that cannot be opened for reading, that is no disk file (a device or a pipe, never
// read) or whose manifest is longer than a few megabytes. The file is opened for reading only,
// shared, and closed before returning.
OwnManifest ReadOwnManifest(const char* programPath);

// What manifest text asks for: Themed or Classic, never None. UTF-8 with or without a byte order
// mark, or UTF-16 in either byte order with one. Text the loader could not parse is Classic: it
// refuses the program's own manifest and does not fall back to the side file either.
// (ManifestText.cpp)
OwnManifest ClassifyManifestText(const void* text, DWORD size);
