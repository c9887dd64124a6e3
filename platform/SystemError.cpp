// Error texts from the system's message table.
#include "platform/SystemError.h"

CString SystemErrorText(DWORD error)
{
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    CString text;
    if (length > 0)
        text = CString(buffer, static_cast<int>(length));
    ::LocalFree(buffer);
    while (!text.IsEmpty() && static_cast<unsigned char>(text.GetAt(text.GetLength() - 1)) <= ' ')
        text = text.Left(text.GetLength() - 1);
    if (text.IsEmpty()) {
        char number[32];
        wsprintfA(number, "error %lu", error);
        text = number;
    }
    return text;
}
