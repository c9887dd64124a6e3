// Helpers shared by the tests and the benchmark.
#include "support/TestSupport.h"

#include "platform/Dialog.h"
#include "programs/ManifestFile.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace test {
namespace {

CDialog* s_route = nullptr; // the dialog PumpMessages offers messages to, if any

template <class Char, class FindData>
std::map<std::basic_string<Char>, DWORD> Entries(const std::basic_string<Char>& pattern,
                                                 HANDLE(WINAPI* findFirst)(const Char*, FindData*),
                                                 BOOL(WINAPI* findNext)(HANDLE, FindData*))
{
    std::map<std::basic_string<Char>, DWORD> entries;
    FindData data;
    HANDLE h = findFirst(pattern.c_str(), &data);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = findNext(h, &data)) {
        const Char* name = data.cFileName;
        if (!(name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]))))
            entries[name] = data.dwFileAttributes;
    }
    if (h != INVALID_HANDLE_VALUE)
        ::FindClose(h);
    return entries;
}

// Wide names, so that names the code page cannot spell go too.
void RemoveTree(const std::wstring& folder)
{
    for (const auto& entry : FindEntries(folder + L"\\*")) {
        const std::wstring child = folder + L"\\" + entry.first;
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.second & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(child);
        else
            ::DeleteFileW(child.c_str());
    }
    ::RemoveDirectoryW(folder.c_str());
}

// Names the path and the reason GetLastError gives for the call that just failed.
std::string NotMade(const std::string& path)
{
    return "could not make " + path + ": error " + std::to_string(::GetLastError());
}

void SendPair(INPUT input, DWORD upFlag)
{
    INPUT inputs[2] = { input, input };
    (input.type == INPUT_MOUSE ? inputs[1].mi.dwFlags : inputs[1].ki.dwFlags) = upFlag;
    ::SendInput(2, inputs, sizeof(INPUT));
}

} // namespace

TempFolder::TempFolder()
{
    char base[MAX_PATH], name[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    static LONG s_counter = 0;
    do {
        wsprintfA(name, "%svk-%lu-%ld\\", base, ::GetCurrentProcessId(),
                  ::InterlockedIncrement(&s_counter));
    } while (!::CreateDirectoryA(name, nullptr));
    m_path = name;
}

TempFolder::~TempFolder()
{
    const std::string folder = m_path.substr(0, m_path.size() - 1);
    RemoveTree(std::wstring(folder.begin(), folder.end())); // ASCII: made by the constructor
}

std::string TempFolder::CreateFileWith(const std::string& relative, const std::string& data) const
{
    const std::string path = m_path + relative;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error(NotMade(path));
    DWORD written = 0;
    const bool whole = ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written,
                                   nullptr) &&
                       written == data.size();
    const std::string failure = whole ? std::string() : NotMade(path);
    ::CloseHandle(h);
    if (!whole)
        throw std::runtime_error(failure);
    return path;
}

std::string TempFolder::CreateFolder(const std::string& relative) const
{
    const std::string path = m_path + relative;
    if (!::CreateDirectoryA(path.c_str(), nullptr))
        throw std::runtime_error(NotMade(path));
    return path;
}

std::string ReadWholeFile(const std::string& path)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string content(h == INVALID_HANDLE_VALUE ? 0 : ::GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(h, &content[0], static_cast<DWORD>(content.size()), &read, nullptr);
    ::CloseHandle(h);
    return content.substr(0, read);
}

std::map<std::string, DWORD> FindEntries(const std::string& pattern)
{
    return Entries(pattern, ::FindFirstFileA, ::FindNextFileA);
}

std::map<std::wstring, DWORD> FindEntries(const std::wstring& pattern)
{
    return Entries(pattern, ::FindFirstFileW, ::FindNextFileW);
}

namespace {

std::string ItemText(HWND hTree, HTREEITEM hItem)
{
    char text[1024] = {};
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ::SendMessageA(hTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

HTREEITEM FindChild(HWND hTree, HTREEITEM hParent, const std::string& text)
{
    HTREEITEM hItem = hParent ? TreeView_GetChild(hTree, hParent) : TreeView_GetRoot(hTree);
    for (; hItem; hItem = TreeView_GetNextSibling(hTree, hItem)) {
        if (::lstrcmpiA(ItemText(hTree, hItem).c_str(), text.c_str()) == 0)
            return hItem;
    }
    return nullptr;
}

} // namespace

bool SelectFolder(HWND hTree, const std::string& path)
{
    std::vector<std::string> names;
    for (size_t start = 0; start < path.size();) {
        const size_t end = std::min(path.find('\\', start), path.size());
        if (end > start)
            names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    std::vector<HTREEITEM> items; // the item of each name so far
    for (size_t i = 0; i < names.size(); ++i) {
        HTREEITEM hParent = i > 0 ? items[i - 1] : nullptr;
        // The folder on the way is opened once its child is needed: the last one stays closed.
        if (hParent)
            TreeView_Expand(hTree, hParent, TVE_EXPAND);
        HTREEITEM hItem = FindChild(hTree, hParent, names[i]);
        if (!hItem && hParent) {
            // The level above read afresh, which asks the folder again whether it holds any. A
            // level opened before is opened by message without a word to its owner, unless reset.
            // The selection leaves the level first, as a user's closing moves it.
            HTREEITEM hLevel = i > 1 ? items[i - 2] : hParent;
            TreeView_SelectItem(hTree, hLevel);
            TreeView_Expand(hTree, hLevel, TVE_COLLAPSE | TVE_COLLAPSERESET);
            TreeView_Expand(hTree, hLevel, TVE_EXPAND);
            if (i > 1)
                hParent = items[i - 1] = FindChild(hTree, hLevel, names[i - 1]);
            if (hParent)
                TreeView_Expand(hTree, hParent, TVE_EXPAND);
            hItem = hParent ? FindChild(hTree, hParent, names[i]) : nullptr;
        }
        if (!hItem)
            return false;
        items.push_back(hItem);
    }
    return !items.empty() && TreeView_SelectItem(hTree, items.back());
}

const std::string& OurManifest()
{
    static const std::string manifest(kDependencyManifest, kDependencyManifestSize);
    return manifest;
}

namespace {

// A call Wine's kernel32 adds; null elsewhere.
template <class Function>
Function WineCall(const char* name)
{
    FARPROC proc = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

} // namespace

std::string UnixPath(const std::string& path)
{
    using ToUnix = char*(CDECL*)(LPCWSTR);
    static const auto toUnix = WineCall<ToUnix>("wine_get_unix_file_name");
    WCHAR wide[MAX_PATH * 2];
    if (!toUnix || !::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2))
        return std::string();
    char* unixPath = toUnix(wide);
    const std::string result = unixPath ? unixPath : "";
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return result;
}

std::string DosPath(const std::string& unixPath)
{
    using ToDos = WCHAR*(CDECL*)(LPCSTR);
    static const auto toDos = WineCall<ToDos>("wine_get_dos_file_name");
    WCHAR* wide = toDos ? toDos(unixPath.c_str()) : nullptr;
    char path[MAX_PATH * 2] = {};
    if (wide)
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof(path), nullptr, nullptr);
    ::HeapFree(::GetProcessHeap(), 0, wide);
    return path;
}

bool RunOnUnixSide(const std::string& command)
{
    // Wine starts a Unix program named by its Windows path, but hands back no process to wait
    // for, so the shell leaves its exit status in a file once it is done.
    TempFolder folder;
    const std::string done = UnixPath(folder / "done"), shell = DosPath("/bin/sh");
    if (done.empty() || shell.empty())
        return false;
    std::string line = "sh -c \"PATH=/usr/sbin:/usr/bin:/sbin:/bin; " + command + "; echo $? >'" +
                       done + ".new' && mv '" + done + ".new' '" + done + "'\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(shell.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return WaitFor([&] { return FileExists(folder / "done"); }) &&
           ReadWholeFile(folder / "done") == "0\n";
}

bool Emulates32BitPrograms()
{
    char value[8] = {};
    return ::GetEnvironmentVariableA("VENEERKIT_I386_EMULATED", value, sizeof(value)) == 1 &&
           value[0] == '1';
}

UINT RequestedCodePage()
{
    char value[16] = {};
    const DWORD length = ::GetEnvironmentVariableA("VENEERKIT_CODE_PAGE", value, sizeof(value));
    return length && length < sizeof(value) ? std::strtoul(value, nullptr, 10) : 0;
}

std::string ProductPath()
{
    char path[MAX_PATH] = {};
    const std::string exe(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    return exe.substr(0, exe.find_last_of('\\') + 1) + "Veneerkit.exe";
}

std::string FixturePath(const std::string& kind, const char* architecture)
{
    if (!architecture)
        architecture = sizeof(void*) == 8 ? "x64" : "x86";
    const std::string product = ProductPath();
    return product.substr(0, product.find_last_of('\\') + 1) + "fixtures\\" + architecture + "\\" +
           kind + ".exe";
}

HWND StartProduct(PROCESS_INFORMATION* pi)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    if (!::CreateProcessA(ProductPath().c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &si, pi))
        return nullptr;
    HWND hDlg = nullptr;
    WaitFor([&] {
        for (HWND h = nullptr; (h = ::FindWindowExA(nullptr, h, nullptr, "Veneerkit"));) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(h, &pid);
            hDlg = pid == pi->dwProcessId && ::IsWindowVisible(h) ? h : hDlg;
        }
        return hDlg != nullptr;
    });
    return hDlg;
}

void PumpMessages(DWORD ms)
{
    MSG msg;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < ms; ::Sleep(5)) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!(s_route && s_route->IsDialogMessage(&msg)))
                ::TranslateMessage(&msg), ::DispatchMessageA(&msg);
        }
    }
}

RouteThrough::RouteThrough(CDialog& dlg) : m_previous(s_route)
{
    s_route = &dlg;
}

RouteThrough::~RouteThrough()
{
    s_route = m_previous;
}

void ClickAt(POINT screen, bool doubleClick)
{
    MoveMouseTo(screen);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    for (int i = 0; i < (doubleClick ? 2 : 1); ++i) {
        SendPair(input, MOUSEEVENTF_LEFTUP);
        PumpMessages(30);
    }
    PumpMessages(100);
}

void PressKey(WORD vk)
{
    QueueKeys({ vk });
    PumpMessages(100);
}

void QueueKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs(2 * keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        INPUT& down = inputs[i];
        INPUT& up = inputs[inputs.size() - 1 - i];
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wVk = up.ki.wVk = keys.begin()[i];
        up.ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void QueueClicks(int count)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    for (int i = 0; i < count; ++i)
        SendPair(input, MOUSEEVENTF_LEFTUP);
}

} // namespace test
