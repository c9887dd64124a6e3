// One program's record, CProgramList's own, and the words for it: shared by the files of the
// program list alone (ProgramList.cpp, ProgramWords.cpp).
#pragma once

#include "platform/String.h"
#include "programs/ManifestFile.h"
#include "programs/OwnManifest.h"

#include <windows.h>

// Why a program's name is never opened, switched or started, worst first.
enum class NameTrouble {
    None,
    Forbidden,   // it holds a character no Windows file name may hold
    Device,      // Windows takes it for a device
    Unspellable, // the code page cannot spell it, so it names no file
};

struct ProgramEntry {
    CString name;           // as the directory search spelt it
    CStringW key;           // its manifest's name, folded as the file system compares names
    ULONGLONG size = 0;     // as the directory search reported it
    ManifestProbe manifest; // what stands at the manifest path
    OwnManifest own = OwnManifest::None;
    bool bClassified = false; // `own` and the manifest's bytes have been read
    CString failure;          // why the latest command did not take; empty once a switch did
    NameTrouble trouble = NameTrouble::None;

    bool IsActedOn() const { return trouble == NameTrouble::None; }
    CString ManifestName() const { return name + ".manifest"; }
};

// The system's words for an error, "%1" in them the name concerned; its number where the system
// has none. (ProgramWords.cpp)
CString Reason(DWORD error, const char* insert = nullptr);
// How a switch that did not take is worded: the error the operation gave, else what the probe
// found instead.
CString FailureText(const ProgramEntry& entry, bool bOn, DWORD error);
// The row's tip: one line per fact the mark cannot show, most pressing first.
CString DescribeProgram(const ProgramEntry& entry);
