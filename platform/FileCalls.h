// The platform's file calls in one table, the seam through which a test hides the calls an older
// Windows lacks, plays another platform's answers, or makes a call fail.
#pragma once

#include <windows.h>
#include <shellapi.h>

struct FileCalls {
    decltype(&::CreateFileA) CreateFileA;
    decltype(&::CreateFileW) CreateFileW;
    decltype(&::ReadFile) ReadFile;
    decltype(&::WriteFile) WriteFile;
    decltype(&::DeleteFileA) DeleteFileA;
    decltype(&::MoveFileExA) MoveFileExA;
    decltype(&::CreateHardLinkA) CreateHardLinkA;
    decltype(&::FindFirstFileW) FindFirstFileW;
    decltype(&::FindNextFileW) FindNextFileW;
    decltype(&::GetFileAttributesA) GetFileAttributesA;
    decltype(&::GetFileInformationByHandle) GetFileInformationByHandle;
    decltype(&::GetFileType) GetFileType;
    decltype(&::SHFileOperationA) SHFileOperationA;
    // Windows Vista and later, looked up when first needed: null where the system lacks them.
    DWORD(WINAPI* GetFinalPathNameByHandleW)(HANDLE hFile, LPWSTR path, DWORD size, DWORD flags);
    BOOL(WINAPI* SetFileInformationByHandle)(HANDLE hFile, int infoClass, LPVOID info, DWORD size);
};

// The calls in force: the system's own, unless a CFileCallsOverride has put others in place.
const FileCalls& Files();

// Puts other calls in place for its lifetime; the previous ones come back after it.
class CFileCallsOverride {
public:
    explicit CFileCallsOverride(const FileCalls& calls);
    ~CFileCallsOverride();
    CFileCallsOverride(const CFileCallsOverride&) = delete;
    CFileCallsOverride& operator=(const CFileCallsOverride&) = delete;

private:
    FileCalls m_calls;
    const FileCalls* m_pPrevious;
};
