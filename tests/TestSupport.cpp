// Shared test helpers.
#include "tests/TestSupport.h"

#include <vector>

namespace test {

TempFolder::TempFolder()
{
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    static LONG s_counter = 0;
    for (;;) {
        char name[MAX_PATH];
        wsprintfA(name, "%svk-%lu-%ld\\", base, ::GetCurrentProcessId(),
                  ::InterlockedIncrement(&s_counter));
        if (::CreateDirectoryA(name, nullptr)) {
            m_path = name;
            break;
        }
    }
}

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

std::string TempFolder::CreateFileOfSize(const std::string& relative, DWORD size) const
{
    return CreateFileWith(relative, std::string(size, '\0'));
}

std::string TempFolder::CreateFileWith(const std::string& relative, const std::string& content) const
{
    std::string path = m_path + relative;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (!content.empty())
            ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        ::CloseHandle(h);
    }
    return path;
}

std::string TempFolder::CreateFolder(const std::string& relative) const
{
    std::string path = m_path + relative;
    ::CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string content;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(h, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        content.append(buffer, read);
    ::CloseHandle(h);
    return content;
}

void RemoveTree(const std::string& path)
{
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    WIN32_FIND_DATAA data;
    HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = folder + "\\" + name;
            ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                ::DeleteFileA(child.c_str());
        } while (::FindNextFileA(h, &data));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(folder.c_str());
}

void PumpMessages(DWORD ms)
{
    DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    } while (::GetTickCount() - start < ms);
}

void MoveMouseTo(POINT screen)
{
    ::SetCursorPos(screen.x, screen.y);
    PumpMessages(30);
}

void ClickAt(POINT screen, bool doubleClick)
{
    MoveMouseTo(screen);
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    for (int i = 0; i < (doubleClick ? 2 : 1); ++i) {
        ::SendInput(2, inputs, sizeof(INPUT));
        PumpMessages(30);
    }
    PumpMessages(100);
}

void PressKey(WORD vk)
{
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = vk;
    inputs[1].type = INPUT_KEYBOARD;
    inputs[1].ki.wVk = vk;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, inputs, sizeof(INPUT));
    PumpMessages(100);
}

POINT ClientToScreenPoint(HWND hWnd, POINT client)
{
    ::ClientToScreen(hWnd, &client);
    return client;
}

} // namespace test
