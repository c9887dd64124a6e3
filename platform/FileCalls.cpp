// The system's file calls, and the one pointer that says which calls are in force.
#include "platform/FileCalls.h"

namespace {

const FileCalls* s_pCurrent = nullptr;

// A kernel32 call of Vista or later, looked up by name so that the exe still starts on XP.
template <class Function>
Function LaterKernelCall(const char* name)
{
    const FARPROC proc = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

const FileCalls& SystemCalls()
{
    static FileCalls s_system = {
        ::CreateFileA,
        ::CreateFileW,
        ::ReadFile,
        ::WriteFile,
        ::DeleteFileA,
        ::MoveFileExA,
        ::CreateHardLinkA,
        ::FindFirstFileW,
        ::FindNextFileW,
        ::GetFileAttributesA,
        ::GetFileInformationByHandle,
        ::GetFileType,
        ::SHFileOperationA,
        LaterKernelCall<decltype(FileCalls::GetFinalPathNameByHandleW)>(
            "GetFinalPathNameByHandleW"),
        LaterKernelCall<decltype(FileCalls::SetFileInformationByHandle)>(
            "SetFileInformationByHandle"),
    };
    return s_system;
}

} // namespace

const FileCalls& Files()
{
    return s_pCurrent ? *s_pCurrent : SystemCalls();
}

CFileCallsOverride::CFileCallsOverride(const FileCalls& calls)
    : m_calls(calls), m_pPrevious(s_pCurrent)
{
    s_pCurrent = &m_calls;
}

CFileCallsOverride::~CFileCallsOverride()
{
    s_pCurrent = m_pPrevious;
}
