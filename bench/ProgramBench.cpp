// Listing a folder of programs into the real dialog's list, against the bare file work it needs.
#include "bench/Bench.h"

#include "app/ManifestDlg.h"
#include "programs/ManifestFile.h"

#include <commctrl.h>
#include <stdio.h>

namespace {

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// N small programs, every other one with its manifest.
void CreatePrograms(const std::string& folder, int count)
{
    std::string content(4096, 'x');
    for (int i = 0; i < count; ++i) {
        char name[32];
        wsprintfA(name, "Program%05d.exe", i);
        std::string path = folder + name;
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(h, content.data(), (i * 37) % 4096, &written, nullptr);
        ::CloseHandle(h);
        if (i % 2 == 0)
            EnsureManifest((path + ".manifest").c_str());
    }
}

// What listing cannot do without: one search, and per entry one exclusive open with a size
// query and one presence test. Returns the number of manifests found.
int BareProgramWork(const std::string& folder)
{
    int present = 0;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((folder + "*.EXE").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    do {
        std::string path = folder + data.cFileName;
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            ::GetFileSize(h, nullptr);
            ::CloseHandle(h);
        }
        path += ".manifest";
        h = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            ++present;
            ::CloseHandle(h);
        }
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    return present;
}

int CheckedRows(HWND hList)
{
    int checked = 0;
    const int count = static_cast<int>(::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        if ((::SendMessageA(hList, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) == 2)
            ++checked;
    }
    return checked;
}

// The same list calls ListPrograms makes per row, into a list of the same styles in a plain
// window of our layer, with no file work: what the control costs on its own.
class ListAlone {
public:
    ListAlone()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VeneerkitBenchListHost";
        ::RegisterClassA(&wc);
        m_host.SubclassWindow(::CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW,
                                                600, 0, 400, 600, nullptr, nullptr, wc.hInstance,
                                                nullptr));
        m_list.SubclassWindow(::CreateWindowExA(0, WC_LISTVIEWA, "",
                                                WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT,
                                                0, 0, 380, 560, m_host.m_hWnd,
                                                reinterpret_cast<HMENU>(IDC_PROGRAM_LIST),
                                                wc.hInstance, nullptr));
        m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES |
                                LVS_EX_FULLROWSELECT);
        m_list.InsertColumn(0, "", LVCFMT_LEFT, 22);
        m_list.InsertColumn(1, "Name", LVCFMT_LEFT, 250);
        m_list.InsertColumn(2, "Size", LVCFMT_RIGHT, 80);
        ::ShowWindow(m_host.m_hWnd, SW_SHOWNOACTIVATE);
    }
    ~ListAlone() { ::DestroyWindow(m_host.m_hWnd); }

    void Fill(int count)
    {
        m_list.SetRedraw(FALSE);
        for (int i = 0; i < count; ++i) {
            char name[32];
            wsprintfA(name, "Program%05d.exe", i);
            int row = m_list.InsertItem(i, "");
            m_list.SetItemText(row, 1, name);
            m_list.SetItemText(row, 2, "2 KB");
            if (i % 2 == 0)
                m_list.SetItemState(row, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
        }
        m_list.SetRedraw(TRUE);
    }
    void Empty() { m_list.DeleteAllItems(); }

private:
    CWnd m_host;
    CListCtrl m_list;
};

// Opens of names that are not in the folder. Wine on a case-sensitive file system looks for
// such a name by reading the whole folder, so this grows with the folder's size.
void OpenMissingNames(const std::string& folder, int count)
{
    for (int i = 0; i < count; ++i) {
        char name[40];
        wsprintfA(name, "Missing%05d.exe.manifest", i);
        HANDLE h = ::CreateFileA((folder + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
}

struct Figures {
    double bare = 0, listing = 0, listAlone = 0, missing = 0;
};

} // namespace

VENEERKIT_BENCH(ProgramListing)
{
    const int counts[] = { 1000, 10000 };
    const int rounds = 5;
    Figures figures[2];

    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES };
    ::InitCommonControlsEx(&icc);
    CModelessDialog<CManifestDlg> dlg;
    if (!dlg.Create()) {
        printf("cannot create the main dialog\n");
        return;
    }
    ::ShowWindow(dlg.m_hWnd, SW_SHOWNOACTIVATE);
    HWND hList = dlg.GetDlgItem(IDC_PROGRAM_LIST);

    printf("ListPrograms filling the main dialog's list with N programs (half with manifests)\n"
           "against the bare work: one search, and per entry an exclusive open, size query and\n"
           "close plus one presence test. Beside them, for reading the figures: the same list\n"
           "calls into a list of their own without file work, and N/2 opens of missing names.\n"
           "Fastest of %d rounds each.\n\n", rounds);
    printf("%6s %11s %14s %7s | %11s %14s\n", "N", "bare", "ListPrograms", "ratio",
           "list alone", "N/2 missing");

    ListAlone alone;
    for (int c = 0; c < 2; ++c) {
        test::TempFolder scratch;
        const std::string& folder = scratch.Path();
        CreatePrograms(folder, counts[c]);
        BareProgramWork(folder); // warms the caches both runs read from
        dlg.m_strFolder = folder.c_str();

        int rows = 0;
        for (int round = 0; round < rounds; ++round) {
            // Each round lists into an empty list: emptying the last round's rows is not timed.
            ::SendMessageA(hList, LVM_DELETEALLITEMS, 0, 0);
            alone.Empty();
            Pump();
            bench::KeepFastest(figures[c].bare,
                               bench::Time([&] { BareProgramWork(folder); }));
            bench::KeepFastest(figures[c].listing,
                               bench::Time([&] { rows = dlg.ListPrograms(); }));
            bench::KeepFastest(figures[c].listAlone,
                               bench::Time([&] { alone.Fill(counts[c]); }));
            bench::KeepFastest(figures[c].missing,
                               bench::Time([&] { OpenMissingNames(folder, counts[c] / 2); }));
            Pump();
        }
        if (rows != counts[c] || CheckedRows(hList) != counts[c] / 2)
            printf("(the list shows %d rows, %d checked; expected %d and %d)\n", rows,
                   CheckedRows(hList), counts[c], counts[c] / 2);

        const Figures& f = figures[c];
        printf("%6d %8.0f ms %11.0f ms %6.2fx | %8.0f ms %11.0f ms\n", counts[c], f.bare * 1e3,
               f.listing * 1e3, f.listing / f.bare, f.listAlone * 1e3, f.missing * 1e3);
        fflush(stdout);
        ::SendMessageA(hList, LVM_DELETEALLITEMS, 0, 0);
        alone.Empty();
    }

    auto growth = [&](double Figures::*part) { return figures[1].*part / figures[0].*part; };
    printf("\nGrowth from 1,000 to 10,000 programs (10.0 is linear): bare %.1f, ListPrograms %.1f,\n"
           "list alone %.1f, missing-name opens %.1f\n",
           growth(&Figures::bare), growth(&Figures::listing), growth(&Figures::listAlone),
           growth(&Figures::missing));
}
