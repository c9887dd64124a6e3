// Helpers shared by the tests: temporary folders, files, message pumping and real input.
#pragma once

#include <windows.h>

#include <string>

namespace test {

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, ending in a backslash.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + relative; }

    // Creates a file of `size` bytes (sparse-free, zero-filled) or with `content`; returns its path.
    std::string CreateFileOfSize(const std::string& relative, DWORD size) const;
    std::string CreateFileWith(const std::string& relative, const std::string& content) const;
    std::string CreateFolder(const std::string& relative) const;

private:
    std::string m_path;
};

bool FileExists(const std::string& path);
// The whole file's bytes; empty if it cannot be read.
std::string ReadWholeFile(const std::string& path);
void RemoveTree(const std::string& path);

// Dispatches this thread's messages for about `ms` milliseconds.
void PumpMessages(DWORD ms = 50);

// Real input through the system's input queue, as a user's mouse and keyboard give it.
void MoveMouseTo(POINT screen);
void ClickAt(POINT screen, bool doubleClick = false);
void PressKey(WORD vk);

// Centre of a window's client-area point, in screen coordinates.
POINT ClientToScreenPoint(HWND hWnd, POINT client);

} // namespace test
