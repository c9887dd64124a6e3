// Helpers shared by the tests and the benchmark: temporary folders and files, the product, waits
// and real input.
#pragma once

#include <windows.h>
#include <mbctype.h>

#include <initializer_list>
#include <map>
#include <string>

class CDialog;

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

    // Creates a file of `size` zero bytes or with `content`, or a folder; returns its path. One
    // that cannot be made (a name the file system cannot spell, say) throws, which fails the
    // test at once rather than leaving it to check a folder that lacks the file.
    std::string CreateFileOfSize(const std::string& relative, DWORD size) const
    {
        return CreateFileWith(relative, std::string(size, '\0'));
    }
    std::string CreateFileWith(const std::string& relative, const std::string& content) const;
    std::string CreateFolder(const std::string& relative) const;

private:
    std::string m_path;
};

inline bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
// The whole file's bytes; empty if it cannot be read.
std::string ReadWholeFile(const std::string& path);
// What a search pattern (folder\*, folder\*.manifest) finds, but . and ..: each name with its
// attributes, in the order of the names. The wide form sees names the code page cannot spell.
std::map<std::string, DWORD> FindEntries(const std::string& pattern);
std::map<std::wstring, DWORD> FindEntries(const std::wstring& pattern);

// The 500 bytes of our dependency manifest, as the product writes them.
const std::string& OurManifest();

// Under Wine, the Unix name of a Windows path (empty elsewhere) and the Windows name of a Unix
// path (empty elsewhere).
std::string UnixPath(const std::string& path);
std::string DosPath(const std::string& unixPath);
// Runs a command line of /bin/sh on the Unix side of Wine, as the user who runs Wine, and waits
// for it to end. False where there is no Unix side or the command fails.
bool RunOnUnixSide(const std::string& command);
// A path in single quotes for such a command line.
inline std::string Quoted(const std::string& path)
{
    return "'" + UnixPath(path) + "'";
}

struct UnixCommands {
    std::string make, undo;
};

// A change made on the Unix side for one test and undone at its end, passed or failed.
class UnixChange {
public:
    explicit UnixChange(const UnixCommands& commands)
        : m_undo(commands.undo), m_bMade(RunOnUnixSide(commands.make))
    {
    }
    ~UnixChange() { RunOnUnixSide(m_undo); }
    UnixChange(const UnixChange&) = delete;
    UnixChange& operator=(const UnixChange&) = delete;
    bool Made() const { return m_bMade; }

private:
    std::string m_undo;
    bool m_bMade;
};

// chattr +i is how root gets "access denied": the folder takes no new names and loses none.
inline UnixCommands Immutable(const std::string& folder)
{
    return { "chattr +i " + Quoted(folder), "chattr -i " + Quoted(folder) };
}
inline constexpr char kNoImmutable[] = "chattr +i is not possible here: not root, or no such flag";

// Switches the multibyte code page of the string routines for one scope.
struct CodePage {
    explicit CodePage(int codePage) : previous(_getmbcp()), ok(_setmbcp(codePage) == 0) {}
    ~CodePage() { _setmbcp(previous); }
    int previous;
    bool ok;
};

// Where the kernel runs no 32-bit programs, an emulator stands in for it (cmake/i386.sh), too
// slow and unsteady to start 32-bit programs from a test.
bool Emulates32BitPrograms();

// Code pages. Wine fixes a process's ANSI code page at its start, from its Unix locale, so the
// test runner starts the suites in two: every suite under 1252 (C.UTF-8), and each suite whose
// name ends in CodePageTest (ListingCodePageTest, say) once more under 932 (ja_JP.UTF-8), its
// ctest names then starting win32.cp932. and win64.cp932. Such a test reads GetACP() and takes
// its expectations from a table with a row for each of kTestedCodePages. It never skips for a
// missing locale: the set-up makes both.
inline constexpr UINT kTestedCodePages[] = { 1252, 932 };
// The code page the runner started this process for, or 0 when it was started some other way
// (by hand, or on Windows, where the code page is the machine's).
UINT RequestedCodePage();

// Veneerkit.exe, built beside the test exe.
std::string ProductPath();
// A fixture program, fixtures\<architecture>\<kind>.exe beside Veneerkit.exe; by default of the
// architecture of this build.
std::string FixturePath(const std::string& kind, const char* architecture = nullptr);
// Starts Veneerkit.exe; its dialog once shown, or null if none shows.
HWND StartProduct(PROCESS_INFORMATION* pi);

// Dispatches this thread's messages for about `ms` milliseconds.
void PumpMessages(DWORD ms = 50);

// While one lives, PumpMessages (and so every wait and every input below) offers each message to
// the dialog's IsDialogMessage before dispatching it, as the dialog's own loop would.
class RouteThrough {
public:
    explicit RouteThrough(CDialog& dlg);
    ~RouteThrough();
    RouteThrough(const RouteThrough&) = delete;
    RouteThrough& operator=(const RouteThrough&) = delete;

private:
    CDialog* m_previous;
};

// Pumps messages until `done` holds. The default is long enough for Wine to start a program on a
// loaded machine; the wait ends as soon as the condition holds.
template <class Condition>
bool WaitFor(Condition done, DWORD timeoutMs = 30000)
{
    for (DWORD start = ::GetTickCount(); !done(); PumpMessages(20)) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
    }
    return true;
}

// Real input through the system's input queue, as a user's mouse and keyboard give it.
inline void MoveMouseTo(POINT screen)
{
    ::SetCursorPos(screen.x, screen.y);
    PumpMessages(30);
}
void ClickAt(POINT screen, bool doubleClick = false);
void PressKey(WORD vk);
// Puts input into the queue without handling it: the keys pressed in order and let go in reverse
// ({ VK_SHIFT, VK_TAB } is Shift+Tab), or left clicks where the pointer rests.
void QueueKeys(std::initializer_list<WORD> keys);
void QueueClicks(int count);

// Chooses a folder in a folder tree through the tree's window, as a user does: opens the drive
// and each folder on the way, reading a level afresh where the next folder is not among its items
// yet (closing and opening it again), and selects the last one, which stays closed. False if a
// folder on the way is not in the tree even then.
bool SelectFolder(HWND hTree, const std::string& path);

// A window's client-area point, in screen coordinates.
inline POINT ClientToScreenPoint(HWND hWnd, POINT client)
{
    ::ClientToScreen(hWnd, &client);
    return client;
}

} // namespace test
