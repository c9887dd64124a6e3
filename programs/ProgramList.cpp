// Listing a folder's programs, switching and starting them.
#include "programs/ProgramList.h"

#include "platform/CodePage.h"
#include "platform/FileCalls.h"
#include "platform/FileFind.h"
#include "platform/FileName.h"
#include "platform/Path.h"
#include "platform/ResourceText.h"
#include "platform/Sort.h"
#include "programs/ManifestFile.h"
#include "programs/OwnManifest.h"
#include "programs/ProgramEntry.h"
#include "res/resource.h"

#include <shellapi.h>
#include <wchar.h>

#include <utility>

namespace {

const WCHAR kManifestSuffix[] = L".manifest";

// An entry of the folder named like a manifest, folded as the file system compares names.
struct ManifestName {
    CStringW key;
    bool bFolder;
};

int CompareKeys(const CStringW& a, const CStringW& b)
{
    return ::wcscmp(a, b);
}

int CompareManifestKey(const ManifestName& manifest, const CStringW& key)
{
    return CompareKeys(manifest.key, key);
}

int __cdecl CompareManifests(const void* a, const void* b)
{
    return CompareKeys(static_cast<const ManifestName*>(a)->key,
                       static_cast<const ManifestName*>(b)->key);
}

// Entries by address, by their manifests' names.
int __cdecl CompareEntryKeys(const void* a, const void* b)
{
    return CompareKeys((*static_cast<const ProgramEntry* const*>(a))->key,
                       (*static_cast<const ProgramEntry* const*>(b))->key);
}

// The folder's entry named like the manifest with this key, or null.
const ManifestName* FindManifest(const CArray<ManifestName>& sorted, const CStringW& key)
{
    const int at = LowerBound(sorted.GetData(), sorted.GetSize(), key, CompareManifestKey);
    return at < sorted.GetSize() && sorted[at].key == key ? &sorted[at] : nullptr;
}

NameTrouble TroubleOf(const WCHAR* name, bool bExact)
{
    if (HoldsForbiddenCharacter(name))
        return NameTrouble::Forbidden;
    if (IsDeviceName(name))
        return NameTrouble::Device;
    return bExact ? NameTrouble::None : NameTrouble::Unspellable;
}

// One search of the folder: the folded names of its entries that end in ".manifest", sorted (a
// folder by such a name too, so that its row says what stands there), and, where asked for, its
// programs: every file, no folder, whose own name ends in ".exe". The search matches a pattern
// against short names too, so each long name is tested again. ERROR_SUCCESS, or the error that cut
// the search short.
DWORD SearchFolder(const CString& folder, const char* pattern, CArray<ManifestName>& manifests,
                   CArray<ProgramEntry>* pPrograms)
{
    CFileFind finder;
    BOOL bMore = finder.FindFile(JoinPath(folder, pattern));
    while (bMore) {
        bMore = finder.FindNextFile();
        const WCHAR* name = finder.GetFindData().cFileName;
        if (EndsWithNoCase(name, kManifestSuffix)) {
            ManifestName manifest = { name, finder.IsDirectory() != FALSE };
            FoldFileName(manifest.key);
            manifests.Add(std::move(manifest));
        } else if (pPrograms && !finder.IsDirectory() && EndsWithNoCase(name, L".exe")) {
            ProgramEntry entry;
            entry.name = finder.GetFileName();
            entry.trouble = TroubleOf(name, finder.IsNameExact() != FALSE);
            entry.size = finder.GetLength();
            entry.key = CStringW(name) + kManifestSuffix;
            FoldFileName(entry.key);
            pPrograms->Add(std::move(entry));
        }
    }
    SortElements(manifests.GetData(), manifests.GetSize(), CompareManifests);
    return finder.GetSearchError();
}

// Whether the program is still a file in the folder, as the search finds it by its own name.
bool IsStillThere(const CString& folder, const ProgramEntry& entry)
{
    CStringW wide;
    if (!WideFromAnsi(JoinPath(folder, entry.name), wide))
        return false;
    WIN32_FIND_DATAW data;
    FindHandle found(Files().FindFirstFileW(wide, &data));
    if (!found || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    CStringW key = CStringW(data.cFileName) + kManifestSuffix;
    FoldFileName(key);
    return key == entry.key;
}

// Makes the program's manifest follow bOn, probes it again and words the failure when the probe
// disagrees with bOn. A program that is gone gets no manifest; a name never acted on is left
// alone.
void SwitchProgram(const CString& folder, ProgramEntry& entry, bool bOn)
{
    if (!entry.IsActedOn())
        return;
    const CString path = ManifestPath(folder, entry.name);
    if (bOn && !IsStillThere(folder, entry)) {
        entry.manifest = ProbeManifest(path);
        entry.failure = FormatText(IDS_PROGRAM_GONE, entry.name);
        return;
    }
    const DWORD error = bOn ? EnsureManifest(path) : RemoveManifest(path);
    // Neither operation's word is taken for the outcome: Wine reports a delete in a folder that
    // refuses it as done, for one. The mark shows what the disk holds.
    entry.manifest = ProbeManifest(path);
    if (entry.manifest.IsPresent() == bOn)
        entry.failure.Empty();
    else
        entry.failure = FailureText(entry, bOn, error);
}

// What a row shows of its program: its mark, its greyness and its tip.
struct ShownState {
    ManifestProbe manifest;
    OwnManifest own;
    CString failure;

    explicit ShownState(const ProgramEntry& entry)
        : manifest(entry.manifest), own(entry.own), failure(entry.failure)
    {
    }
    bool Matches(const ProgramEntry& entry) const
    {
        return manifest.state == entry.manifest.state && manifest.error == entry.manifest.error &&
               manifest.bLink == entry.manifest.bLink && own == entry.own &&
               failure == entry.failure;
    }
};

} // namespace

CProgramList::CProgramList() = default;
CProgramList::~CProgramList() = default;

void CProgramList::List(const CString& folder)
{
    m_strFolder = folder;
    m_entries.RemoveAll();
    m_error = ERROR_SUCCESS;
    if (folder.IsEmpty())
        return;
    // Which manifests exist comes from the same search; nothing is opened yet. Under Wine every
    // open costs a round trip to its server, so a folder of thousands would take seconds.
    // Classify opens a manifest the search found, and reads it and the program's own manifest,
    // for the rows on screen: a manifest held open elsewhere, unreadable to the loader, loses
    // its mark as its row is drawn.
    CArray<ManifestName> manifests;
    m_error = SearchFolder(m_strFolder, "*", manifests, &m_entries);
    for (int row = 0; row < m_entries.GetSize(); ++row) {
        ProgramEntry& entry = m_entries[row];
        const ManifestName* manifest = FindManifest(manifests, entry.key);
        if (entry.IsActedOn() && manifest)
            entry.manifest.state = manifest->bFolder ? ManifestState::Folder
                                                     : ManifestState::Present;
    }
}

const CString& CProgramList::GetName(int row) const
{
    return m_entries[row].name;
}

ULONGLONG CProgramList::GetSize(int row) const
{
    return m_entries[row].size;
}

bool CProgramList::IsChecked(int row) const
{
    return m_entries[row].manifest.IsPresent();
}

bool CProgramList::IsGrey(int row) const
{
    const ProgramEntry& entry = m_entries[row];
    return entry.own != OwnManifest::None || !entry.IsActedOn();
}

int CProgramList::FindName(const CString& name) const
{
    for (int row = 0; row < m_entries.GetSize(); ++row) {
        if (m_entries[row].name == name)
            return row;
    }
    return -1;
}

bool CProgramList::Classify(int row)
{
    ProgramEntry& entry = m_entries[row];
    if (entry.bClassified || !entry.IsActedOn())
        return false;
    const ShownState before(entry);
    entry.bClassified = true;
    entry.own = ReadOwnManifest(JoinPath(m_strFolder, entry.name));
    if (entry.manifest.state == ManifestState::Present)
        entry.manifest = ProbeContent(ManifestPath(m_strFolder, entry.name));
    return !before.Matches(entry);
}

CString CProgramList::Describe(int row)
{
    Classify(row);
    return DescribeProgram(m_entries[row]);
}

bool CProgramList::HasFailure(int row) const
{
    return !m_entries[row].failure.IsEmpty();
}

bool CProgramList::Reprobe(int row)
{
    ProgramEntry& entry = m_entries[row];
    if (!entry.IsActedOn())
        return false;
    const ShownState before(entry);
    entry.manifest = ProbeManifest(ManifestPath(m_strFolder, entry.name));
    return !before.Matches(entry);
}

void CProgramList::Switch(int row, bool bOn, CArray<int>& changed)
{
    changed.RemoveAll();
    SwitchProgram(m_strFolder, m_entries[row], bOn);
    changed.Add(row);
    for (int other = 0; other < m_entries.GetSize(); ++other) {
        if (other != row && m_entries[other].key == m_entries[row].key && Reprobe(other))
            changed.Add(other);
    }
}

void CProgramList::SwitchAll(bool bOn, CArray<int>& changed)
{
    changed.RemoveAll();
    CArray<ShownState> before;
    before.Reserve(m_entries.GetSize());
    for (int row = 0; row < m_entries.GetSize(); ++row)
        before.Add(ShownState(m_entries[row]));

    // A search that failed or was cut short tells nothing: then every row is switched off.
    CArray<ManifestName> manifests;
    const bool bKnown = !bOn && SearchFolder(m_strFolder, "*.manifest", manifests, nullptr) ==
                                    ERROR_SUCCESS;
    for (int row = 0; row < m_entries.GetSize(); ++row) {
        ProgramEntry& entry = m_entries[row];
        if (bKnown && entry.IsActedOn() && !FindManifest(manifests, entry.key)) {
            // Nothing to remove: what the search did not see is not there.
            entry.manifest = ManifestProbe();
            entry.failure.Empty();
            continue;
        }
        SwitchProgram(m_strFolder, entry, bOn);
    }
    // A program switched later may have changed the manifest of an earlier one it shares with,
    // found by sorting the rows by their manifests once.
    CArray<const ProgramEntry*> order;
    order.Reserve(m_entries.GetSize());
    for (int row = 0; row < m_entries.GetSize(); ++row)
        order.Add(&m_entries[row]);
    SortElements(order.GetData(), order.GetSize(), CompareEntryKeys);
    for (int i = 0; i < order.GetSize(); ++i) {
        const bool bShared = (i > 0 && order[i - 1]->key == order[i]->key) ||
                             (i + 1 < order.GetSize() && order[i + 1]->key == order[i]->key);
        if (bShared)
            Reprobe(static_cast<int>(order[i] - m_entries.GetData()));
    }
    for (int row = 0; row < m_entries.GetSize(); ++row) {
        if (!before[row].Matches(m_entries[row]))
            changed.Add(row);
    }
}

bool CProgramList::Start(int row, HWND hOwner)
{
    ProgramEntry& entry = m_entries[row];
    if (!entry.IsActedOn())
        return false;
    // The shell opens a folder in Explorer, so the name is checked to be the program's file just
    // before; failures are said in the row's tip, not in a box of the shell's.
    const CString path = JoinPath(m_strFolder, entry.name);
    DWORD error = ERROR_FILE_NOT_FOUND;
    if (IsStillThere(m_strFolder, entry)) {
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_FLAG_NO_UI;
        info.hwnd = hOwner;
        info.lpVerb = "open";
        info.lpFile = path;
        info.nShow = SW_SHOWNORMAL;
        if (::ShellExecuteExA(&info))
            return true;
        error = ::GetLastError();
    }
    entry.failure = FormatText(IDS_FAIL_START, entry.name, Reason(error, entry.name));
    return false;
}
