// Conversions that refuse to guess: a name that does not survive the way back is not exact.
#include "platform/CodePage.h"

#include <string.h>

namespace {

// UTF-7 and UTF-8 spell every character, and refuse the flags that ask for exactness.
bool SpellsEverything()
{
    const UINT codePage = ::GetACP();
    return codePage == CP_UTF7 || codePage == CP_UTF8;
}

// Converts and converts back; true only if the way back gives the text again.
bool Convert(const WCHAR* text, int nLength, CString& ansi)
{
    const bool bAnyText = SpellsEverything();
    const DWORD flags = bAnyText ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL bDefaulted = FALSE;
    BOOL* pbDefaulted = bAnyText ? nullptr : &bDefaulted;
    const char* defaultChar = bAnyText ? nullptr : "?";
    const int size = ::WideCharToMultiByte(CP_ACP, flags, text, nLength, nullptr, 0, defaultChar,
                                           pbDefaulted);
    if (size <= 0) {
        ansi.Empty();
        return false;
    }
    char* buffer = ansi.GetBufferSetLength(size);
    ::WideCharToMultiByte(CP_ACP, flags, text, nLength, buffer, size, defaultChar, pbDefaulted);
    ansi.ReleaseBuffer();
    if (bDefaulted || ansi.GetLength() != size)
        return false;

    CStringW back;
    const int backLength = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, buffer, size,
                                                 back.GetBufferSetLength(nLength + 1), nLength + 1);
    return backLength == nLength && ::memcmp(back.GetString(), text, nLength * sizeof(WCHAR)) == 0;
}

} // namespace

// Every ANSI code page of Windows, and UTF-8, spells ASCII as itself; UTF-7 does not ('+').
bool SpellAscii(const WCHAR* text, int nLength, CString& ansi)
{
    for (int i = 0; i < nLength; ++i) {
        if (text[i] >= 0x80)
            return false;
    }
    if (::GetACP() == CP_UTF7)
        return false;
    char* buffer = ansi.GetBufferSetLength(nLength);
    for (int i = 0; i < nLength; ++i)
        buffer[i] = static_cast<char>(text[i]);
    return true;
}

CString AnsiFromWide(const WCHAR* text, int nLength, bool* pbExact)
{
    CString ansi;
    bool bExact = nLength <= 0 || SpellAscii(text, nLength, ansi) || Convert(text, nLength, ansi);
    if (!bExact) {
        // Character by character, a surrogate pair as one, so that only what cannot be spelt
        // becomes '?' whatever the conversion put there.
        ansi.Empty();
        for (int i = 0; i < nLength;) {
            int width = 1;
            if (IS_HIGH_SURROGATE(text[i]) && i + 1 < nLength && IS_LOW_SURROGATE(text[i + 1]))
                width = 2;
            CString one;
            if (Convert(text + i, width, one))
                ansi += one;
            else
                ansi += '?';
            i += width;
        }
    }
    if (pbExact)
        *pbExact = bExact;
    return ansi;
}

bool WideFromAnsi(const char* text, CStringW& wide)
{
    wide.Empty();
    const int length = static_cast<int>(::strlen(text));
    if (length == 0)
        return true;
    const int size = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (size > 0 && ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, length,
                                          wide.GetBufferSetLength(size), size) == size)
        return true;
    wide.Empty();
    return false;
}

bool HoldsUnspellable(const char* text)
{
    return ::strpbrk(text, "?*") != nullptr;
}
