// Error texts from the system's message table.
#include "platform/SystemError.h"

#include <string.h>

CString SystemErrorText(DWORD error, const char* insert)
{
    char* buffer = nullptr;
    // Inserts are left in place and filled in here: a text may ask for more than the one there is.
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    CString text;
    if (length > 0)
        text = CString(buffer, static_cast<int>(length));
    ::LocalFree(buffer);
    while (!text.IsEmpty() && static_cast<unsigned char>(text.GetAt(text.GetLength() - 1)) <= ' ')
        text = text.Left(text.GetLength() - 1);
    const char* mark = insert ? ::strstr(text, "%1") : nullptr;
    if (mark) {
        const int at = static_cast<int>(mark - text.GetString());
        text = text.Left(at) + insert + text.Mid(at + 2);
    }
    return text;
}
