// Rules Windows applies to file names, written once for every caller.
#include "platform/FileName.h"

namespace {

WCHAR UpperAscii(WCHAR c)
{
    return c >= L'a' && c <= L'z' ? static_cast<WCHAR>(c - L'a' + L'A') : c;
}

// Whether `name` starts with the three letters `prefix`, in any case.
bool StartsWith3(const WCHAR* name, const char* prefix)
{
    for (int i = 0; i < 3; ++i) {
        if (UpperAscii(name[i]) != static_cast<WCHAR>(prefix[i]))
            return false;
    }
    return true;
}

} // namespace

bool IsDeviceName(const WCHAR* name)
{
    // The part before the first dot, less the spaces that end it.
    int length = 0;
    while (name[length] && name[length] != L'.')
        ++length;
    while (length > 0 && name[length - 1] == L' ')
        --length;
    if (length == 3)
        return StartsWith3(name, "CON") || StartsWith3(name, "PRN") || StartsWith3(name, "AUX") ||
               StartsWith3(name, "NUL");
    if (length == 4 && (StartsWith3(name, "COM") || StartsWith3(name, "LPT"))) {
        const WCHAR digit = name[3];
        return (digit >= L'0' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 ||
               digit == 0x00B3;
    }
    return false;
}

bool HoldsForbiddenCharacter(const WCHAR* name)
{
    for (; *name; ++name) {
        const WCHAR c = *name;
        if (c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' ||
            c == L'"' || c == L'<' || c == L'>' || c == L'|')
            return true;
    }
    return false;
}

bool EndsWithNoCase(const WCHAR* name, const WCHAR* suffix)
{
    const int length = ::lstrlenW(name), suffixLength = ::lstrlenW(suffix);
    if (length < suffixLength)
        return false;
    for (int i = 0; i < suffixLength; ++i) {
        if (UpperAscii(name[length - suffixLength + i]) != UpperAscii(suffix[i]))
            return false;
    }
    return true;
}

void FoldFileName(CStringW& name)
{
    const int length = name.GetLength();
    // ASCII folds A to Z alone, here as in the file system's table.
    bool bAscii = true;
    for (int i = 0; i < length && bAscii; ++i)
        bAscii = name.GetAt(i) < 0x80;
    if (bAscii) {
        WCHAR* p = name.GetBuffer();
        for (int i = 0; i < length; ++i)
            p[i] = UpperAscii(p[i]);
        return;
    }
    // Without LCMAP_LINGUISTIC_CASING the mapping is the file system's, whatever the locale.
    CStringW folded;
    if (::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name, length,
                       folded.GetBufferSetLength(length), length) == length)
        name.Swap(folded);
}
