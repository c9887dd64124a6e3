// Listing a folder's programs, switching their manifests, and describing what the mark cannot show.
#include "programs/ProgramList.h"

#include "platform/FileFind.h"
#include "platform/Path.h"
#include "platform/StringArray.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <utility>

namespace {

const char kManifestSuffix[] = ".manifest";

// The names of the folder's manifests, sorted without regard to case for lookups. The pattern
// matches every name that ends in ".manifest"; anything else it lets through never matches a
// lookup, which always asks for a whole name.
DWORD ListManifestNames(const CString& folder, CStringArray& names)
{
    CFileFind finder;
    BOOL bMore = finder.FindFile(JoinPath(folder, "*.manifest"));
    while (bMore) {
        bMore = finder.FindNextFile();
        // A manifest whose name cannot be spelt belongs to no program that can. A folder by a
        // manifest's name is kept, so that its row says what stands there.
        if (finder.IsNameExact())
            names.Add(finder.GetFileName());
    }
    std::sort(names.GetData(), names.GetData() + names.GetSize(),
              [](const CString& a, const CString& b) { return CompareNoCase(a, b) < 0; });
    return finder.GetSearchError();
}

bool HasName(const CStringArray& sorted, const char* name)
{
    const CString* end = sorted.GetData() + sorted.GetSize();
    const CString* found = std::lower_bound(sorted.GetData(), end, name,
                                            [](const CString& element, const char* key) {
        return CompareNoCase(element, key) < 0;
    });
    return found != end && CompareNoCase(*found, name) == 0;
}

CString ManifestName(const ProgramEntry& entry)
{
    return entry.name + kManifestSuffix;
}

// How a switch that did not take is worded: the error the operation gave, else what the probe
// found instead.
CString FailureText(const ProgramEntry& entry, BOOL bOn, DWORD error)
{
    CString text = bOn ? "Could not create " : "Could not delete ";
    text += ManifestName(entry);
    text += ": ";
    if (error == kNotRemoved)
        text += entry.manifest.bLink ? "it is a link, and this system cannot remove a link "
                                       "without touching the file it points to"
                                     : "the Recycle Bin did not take it";
    else if (error != ERROR_SUCCESS)
        text += SystemErrorText(error);
    else if (entry.manifest.state == ManifestState::Unreadable ||
             entry.manifest.state == ManifestState::Unusable)
        text += SystemErrorText(entry.manifest.error);
    else
        text += bOn ? "the file is not there" : "the file is still there";
    return text;
}

// Whether two programs name one manifest as a case-blind file system resolves it.
bool NameOneManifest(const ProgramEntry& a, const ProgramEntry& b)
{
    return CompareNoCase(a.name, b.name) == 0;
}

// Marks the programs that name one manifest with another, found by sorting once.
void FindSharedManifests(const CArray<ProgramEntry>& entries, CArray<bool>& bShared)
{
    CArray<int> order;
    order.Reserve(entries.GetSize());
    for (int i = 0; i < entries.GetSize(); ++i)
        order.Add(i);
    std::sort(order.GetData(), order.GetData() + order.GetSize(), [&entries](int a, int b) {
        return CompareNoCase(entries[a].name, entries[b].name) < 0;
    });
    bShared.RemoveAll();
    bShared.Reserve(entries.GetSize());
    for (int i = 0; i < entries.GetSize(); ++i)
        bShared.Add(false);
    for (int i = 1; i < order.GetSize(); ++i) {
        if (NameOneManifest(entries[order[i - 1]], entries[order[i]]))
            bShared[order[i - 1]] = bShared[order[i]] = true;
    }
}

// What a row shows of its program's manifest: its mark, its greyness and its tip.
struct ShownState {
    ManifestProbe manifest;
    CString failure;

    explicit ShownState(const ProgramEntry& entry)
        : manifest(entry.manifest), failure(entry.failure)
    {
    }
    bool Matches(const ProgramEntry& entry) const
    {
        return manifest.state == entry.manifest.state && manifest.error == entry.manifest.error &&
               manifest.bLink == entry.manifest.bLink && failure == entry.failure;
    }
};

} // namespace

DWORD ListProgramEntries(const CString& folder, CArray<ProgramEntry>& entries)
{
    entries.RemoveAll();

    CStringArray manifests;
    DWORD error = ListManifestNames(folder, manifests);

    CFileFind finder;
    BOOL bMore = finder.FindFile(JoinPath(folder, "*.EXE"));
    while (bMore) {
        bMore = finder.FindNextFile();
        ProgramEntry entry;
        entry.name = finder.GetFileName();
        entry.bExactName = finder.IsNameExact() != FALSE;
        // Only the low 32 bits count. The search reports the size an open would: the two differ
        // only for a file being written at this very moment.
        entry.size = finder.GetFindData().nFileSizeLow;
        // A manifest the search did not see is not there, and opening it would be the one slow
        // step. An unspellable name cannot be opened at all.
        // Whose bytes a manifest holds is read with the program's own manifest, for the rows
        // on screen.
        if (!entry.IsUnspellable() && HasName(manifests, ManifestName(entry)))
            entry.manifest = ProbePresence(ManifestPath(folder, entry.name));
        entries.Add(std::move(entry));
    }
    if (error == ERROR_SUCCESS)
        error = finder.GetSearchError();
    return error;
}

bool IsUnspellablePath(const char* path)
{
    return ::strpbrk(path, "?*") != nullptr;
}

CString DescribeEmptyListing(const CString& folder, DWORD error)
{
    if (IsUnspellablePath(folder))
        return "This folder's name cannot be spelt in the system code page, so its programs "
               "cannot be listed.";
    if (error == ERROR_SUCCESS)
        return "No programs in this folder.";
    if (::GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES) {
        const DWORD why = ::GetLastError();
        if (why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND)
            return "This folder is no longer there.";
    }
    return "Could not read this folder: " + SystemErrorText(error);
}

void ClassifyProgram(const CString& folder, ProgramEntry& entry)
{
    if (entry.bClassified || entry.IsUnspellable())
        return;
    entry.bClassified = true;
    entry.own = ReadOwnManifest(JoinPath(folder, entry.name));
    if (entry.manifest.state == ManifestState::Present)
        entry.manifest = ProbeManifest(ManifestPath(folder, entry.name));
}

BOOL SwitchProgram(const CString& folder, ProgramEntry& entry, BOOL bOn)
{
    if (entry.IsUnspellable())
        return FALSE;
    const CString path = ManifestPath(folder, entry.name);
    const DWORD error = bOn ? EnsureManifest(path) : RemoveManifest(path);
    // Neither operation's word is taken for the outcome: Wine reports a delete in a folder that
    // refuses it as done, for one. The mark shows what the disk holds.
    entry.manifest = ProbeManifest(path);
    if (entry.manifest.IsPresent() == (bOn != FALSE)) {
        entry.failure.Empty();
        return TRUE;
    }
    entry.failure = FailureText(entry, bOn, error);
    return FALSE;
}

CString DescribeProgram(const ProgramEntry& entry)
{
    CString text;
    const auto add = [&text](const CString& line) {
        if (!text.IsEmpty())
            text += "\r\n";
        text += line;
    };
    const CString& name = entry.name;
    if (entry.IsUnspellable())
        add(name + ": this name cannot be spelt in the system code page, so its manifest cannot "
                   "be switched.");
    // A folder where the manifest would go is why every switch fails, and all there is to say.
    if (entry.manifest.state == ManifestState::Folder)
        add(ManifestName(entry) + " is a folder, not a manifest; Veneerkit leaves it alone.");
    else if (!entry.failure.IsEmpty())
        add(entry.failure);
    if (entry.manifest.state == ManifestState::Unreadable)
        add(ManifestName(entry) +
            " is there but cannot be read: " + SystemErrorText(entry.manifest.error));
    if (entry.own != OwnManifest::None)
        add(name + " carries its own manifest, which " +
            (entry.own == OwnManifest::Themed ? "already asks" : "does not ask") +
            " for the themed controls. Windows ignores " + ManifestName(entry) + ".");
    if (entry.manifest.state == ManifestState::Foreign)
        add(ManifestName(entry) +
            " was not written by Veneerkit; switching off moves it to the Recycle Bin.");
    return text;
}

DWORD CProgramList::List(const CString& folder)
{
    m_strFolder = folder;
    m_error = ListProgramEntries(m_strFolder, m_entries);
    return m_error;
}

int CProgramList::FindName(const CString& name) const
{
    for (int row = 0; row < m_entries.GetSize(); ++row) {
        if (m_entries[row].name == name)
            return row;
    }
    return -1;
}

CString CProgramList::Describe(int row)
{
    Classify(row);
    return DescribeProgram(m_entries[row]);
}

CString CProgramList::DescribeEmpty() const
{
    return m_entries.GetSize() == 0 ? DescribeEmptyListing(m_strFolder, m_error) : CString();
}

CString CProgramList::GetProgramPath(int row) const
{
    const ProgramEntry& entry = m_entries[row];
    return entry.IsUnspellable() ? CString() : JoinPath(m_strFolder, entry.name);
}

bool CProgramList::Reprobe(int row)
{
    ProgramEntry& entry = m_entries[row];
    if (entry.IsUnspellable())
        return false;
    const ShownState before(entry);
    entry.manifest = ProbeManifest(ManifestPath(m_strFolder, entry.name));
    return !before.Matches(entry);
}

void CProgramList::Switch(int row, BOOL bOn, CArray<int>& changed)
{
    changed.RemoveAll();
    SwitchProgram(m_strFolder, m_entries[row], bOn);
    changed.Add(row);
    for (int other = 0; other < m_entries.GetSize(); ++other) {
        if (other != row && NameOneManifest(m_entries[other], m_entries[row]) && Reprobe(other))
            changed.Add(other);
    }
}

void CProgramList::SwitchAll(BOOL bOn, CArray<int>& changed)
{
    changed.RemoveAll();
    CArray<ShownState> before;
    before.Reserve(m_entries.GetSize());
    for (int row = 0; row < m_entries.GetSize(); ++row)
        before.Add(ShownState(m_entries[row]));

    CStringArray manifests;
    const bool bKnown = !bOn && ListManifestNames(m_strFolder, manifests) == ERROR_SUCCESS;
    for (int row = 0; row < m_entries.GetSize(); ++row) {
        ProgramEntry& entry = m_entries[row];
        if (bKnown && !entry.IsUnspellable() && !HasName(manifests, ManifestName(entry))) {
            // Nothing to remove: what the search did not see is not there.
            entry.manifest = ManifestProbe();
            entry.failure.Empty();
            continue;
        }
        SwitchProgram(m_strFolder, entry, bOn);
    }
    // A program switched later may have changed the manifest of an earlier one it shares with.
    CArray<bool> bShared;
    FindSharedManifests(m_entries, bShared);
    for (int row = 0; row < m_entries.GetSize(); ++row) {
        if (bShared[row])
            Reprobe(row);
        if (!before[row].Matches(m_entries[row]))
            changed.Add(row);
    }
}
