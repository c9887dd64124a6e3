// The words for what a row's mark cannot show, and for what did not take, from the string table.
#include "programs/ProgramEntry.h"

#include "platform/CodePage.h"
#include "platform/FileCalls.h"
#include "platform/ResourceText.h"
#include "platform/SystemError.h"
#include "programs/ProgramList.h"
#include "res/resource.h"

CString Reason(DWORD error, const char* insert)
{
    const CString text = SystemErrorText(error, insert);
    if (!text.IsEmpty())
        return text;
    char number[16];
    wsprintfA(number, "%lu", error);
    return FormatText(IDS_ERROR_NUMBER, number);
}

CString FailureText(const ProgramEntry& entry, bool bOn, DWORD error)
{
    CString reason;
    if (error == kNotRemoved)
        reason = LoadText(entry.manifest.bLink ? IDS_REASON_LINK : IDS_REASON_NOT_BINNED);
    else if (error != ERROR_SUCCESS)
        reason = Reason(error);
    else if (entry.manifest.state == ManifestState::Unreadable ||
             entry.manifest.state == ManifestState::Unusable)
        reason = Reason(entry.manifest.error);
    else
        reason = LoadText(bOn ? IDS_REASON_NOT_THERE : IDS_REASON_STILL_THERE);
    return FormatText(bOn ? IDS_FAIL_CREATE : IDS_FAIL_DELETE, entry.ManifestName(), reason);
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
    const CString manifest = entry.ManifestName();
    if (entry.trouble == NameTrouble::Forbidden)
        add(FormatText(IDS_TIP_FORBIDDEN, name));
    else if (entry.trouble == NameTrouble::Device)
        add(FormatText(IDS_TIP_DEVICE, name));
    else if (entry.trouble == NameTrouble::Unspellable)
        add(FormatText(IDS_TIP_UNSPELLABLE, name));
    // What stands where the manifest would go is why every switch fails, and all there is to say.
    if (entry.manifest.state == ManifestState::Folder)
        add(FormatText(IDS_TIP_MANIFEST_FOLDER, manifest));
    else if (entry.manifest.state == ManifestState::Device)
        add(FormatText(IDS_TIP_MANIFEST_DEVICE, manifest));
    else if (!entry.failure.IsEmpty())
        add(entry.failure);
    if (entry.manifest.state == ManifestState::Unreadable)
        add(FormatText(IDS_TIP_UNREADABLE, manifest, Reason(entry.manifest.error)));
    if (entry.own != OwnManifest::None)
        add(FormatText(entry.own == OwnManifest::Themed ? IDS_TIP_OWN_THEMED : IDS_TIP_OWN_CLASSIC,
                       name, manifest));
    if (entry.manifest.state == ManifestState::Foreign)
        add(FormatText(IDS_TIP_FOREIGN, manifest));
    return text;
}

CString CProgramList::DescribeEmpty() const
{
    if (!m_entries.IsEmpty())
        return CString();
    // No folder is chosen where the one shown went, with its drive, say.
    if (m_strFolder.IsEmpty())
        return LoadText(IDS_EMPTY_GONE);
    if (HoldsUnspellable(m_strFolder))
        return LoadText(IDS_EMPTY_UNSPELLABLE);
    if (m_error == ERROR_SUCCESS)
        return LoadText(IDS_EMPTY_NONE);
    if (Files().GetFileAttributesA(m_strFolder) == INVALID_FILE_ATTRIBUTES) {
        const DWORD why = ::GetLastError();
        if (why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND)
            return LoadText(IDS_EMPTY_GONE);
    }
    return FormatText(IDS_EMPTY_UNREADABLE, Reason(m_error));
}
