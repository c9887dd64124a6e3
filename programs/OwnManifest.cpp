// Finds a program's own manifest through its PE headers and resource directory, read from the file.
#include "programs/OwnManifest.h"

#include "platform/Array.h"
#include "platform/FileCalls.h"
#include "platform/Handle.h"
#include "platform/String.h"

#include <stddef.h>
#include <string.h>

namespace {

constexpr WORD kManifestType = 24;         // RT_MANIFEST
constexpr WORD kProcessManifestId = 1;     // CREATEPROCESS_MANIFEST_RESOURCE_ID
constexpr DWORD kIsDirectory = 0x80000000; // IMAGE_RESOURCE_DATA_IS_DIRECTORY
constexpr DWORD kIsNamed = 0x80000000;     // IMAGE_RESOURCE_NAME_IS_STRING

// Real manifests take a few kilobytes. A longer one is read whole up to this bound, since a
// dependency may stand anywhere in it; past the bound the program's own manifest is not judged
// at all rather than judged by a part.
constexpr DWORD kMaxManifestText = 4 * 1024 * 1024;
// Every read costs, so a read fetches this much: the first covers the headers and the section
// table, the second the resource directory and often the manifest too.
constexpr DWORD kWindowSize = 4096;

// Reads the file through a window that a request outside it moves. A damaged file can only make
// reads fail, never reach past what ReadFile returned.
class FileWindow {
public:
    explicit FileWindow(HANDLE hFile) : m_hFile(hFile) {}

    // Copies size bytes from offset; false if the file ends before them.
    bool Read(ULONGLONG offset, void* dest, DWORD size)
    {
        if (offset >= m_offset && offset - m_offset <= m_length &&
            size <= m_length - (offset - m_offset)) {
            memcpy(dest, m_window + (offset - m_offset), size);
            return true;
        }
        if (size > kWindowSize)
            return ReadAt(offset, dest, size) == size;
        m_offset = offset;
        m_length = ReadAt(offset, m_window, kWindowSize);
        if (m_length < size)
            return false;
        memcpy(dest, m_window, size);
        return true;
    }

private:
    // A seek and a plain read rather than a read with an OVERLAPPED for the position: under Wine
    // the latter costs a round trip to the server on every call, the former only on the first.
    DWORD ReadAt(ULONGLONG offset, void* dest, DWORD size)
    {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        DWORD got = 0;
        if (offset != m_position && !::SetFilePointerEx(m_hFile, position, nullptr, FILE_BEGIN))
            return 0;
        if (!Files().ReadFile(m_hFile, dest, size, &got, nullptr))
            got = 0;
        m_position = offset + got;
        return got;
    }

    HANDLE m_hFile;
    ULONGLONG m_position = 0; // of the file pointer, which opening sets to 0
    ULONGLONG m_offset = 0;
    DWORD m_length = 0;
    BYTE m_window[kWindowSize];
};

// Where an RVA's bytes lie in the file, and how many of its section's bytes follow there.
struct FileExtent {
    ULONGLONG offset = 0;
    DWORD length = 0;
};

// As many sections as the header's count holds: the loader takes up to 65,535.
struct SectionTable {
    CArray<IMAGE_SECTION_HEADER> sections;

    bool Map(DWORD rva, FileExtent* extent) const
    {
        for (int i = 0; i < sections.GetSize(); ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            // File bytes past the virtual size are not mapped, so they are not the image's.
            DWORD span = section.SizeOfRawData;
            if (section.Misc.VirtualSize != 0 && section.Misc.VirtualSize < span)
                span = section.Misc.VirtualSize;
            if (rva >= section.VirtualAddress && rva - section.VirtualAddress < span) {
                extent->offset = ULONGLONG(section.PointerToRawData) +
                                 (rva - section.VirtualAddress);
                extent->length = span - (rva - section.VirtualAddress);
                return true;
            }
        }
        return false;
    }
};

// Reads the headers and the section table; gives where the resource directory lies.
bool FindResourceDirectory(FileWindow& file, SectionTable& table, FileExtent* directory)
{
    IMAGE_DOS_HEADER dos;
    if (!file.Read(0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE)
        return false;
    struct {
        DWORD signature;
        IMAGE_FILE_HEADER header;
    } nt;
    const ULONGLONG ntOffset = static_cast<DWORD>(dos.e_lfanew);
    if (!file.Read(ntOffset, &nt, sizeof nt) || nt.signature != IMAGE_NT_SIGNATURE)
        return false;

    // PE32 and PE32+ differ in where the data directories start, not in what they hold.
    const ULONGLONG optionalOffset = ntOffset + sizeof nt;
    WORD magic = 0;
    if (!file.Read(optionalOffset, &magic, sizeof magic))
        return false;
    DWORD countAt, directoriesAt;
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        countAt = offsetof(IMAGE_OPTIONAL_HEADER32, NumberOfRvaAndSizes);
        directoriesAt = offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
    } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        countAt = offsetof(IMAGE_OPTIONAL_HEADER64, NumberOfRvaAndSizes);
        directoriesAt = offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory);
    } else {
        return false;
    }
    const DWORD resourceAt = directoriesAt +
                             IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY);
    const DWORD needed = resourceAt + sizeof(IMAGE_DATA_DIRECTORY);
    BYTE optional[sizeof(IMAGE_OPTIONAL_HEADER64)];
    if (nt.header.SizeOfOptionalHeader < needed || !file.Read(optionalOffset, optional, needed))
        return false;
    DWORD directoryCount;
    IMAGE_DATA_DIRECTORY resources;
    memcpy(&directoryCount, optional + countAt, sizeof directoryCount);
    memcpy(&resources, optional + resourceAt, sizeof resources);
    if (directoryCount <= IMAGE_DIRECTORY_ENTRY_RESOURCE || resources.VirtualAddress == 0)
        return false;

    const WORD count = nt.header.NumberOfSections;
    const ULONGLONG tableOffset = optionalOffset + nt.header.SizeOfOptionalHeader;
    table.sections.Reserve(count);
    for (WORD i = 0; i < count; ++i) {
        IMAGE_SECTION_HEADER section;
        if (!file.Read(tableOffset + ULONGLONG(i) * sizeof section, &section, sizeof section))
            return false;
        table.sections.Add(section);
    }
    return table.Map(resources.VirtualAddress, directory);
}

// The resource tree, whose offsets count from its start and must stay within its section.
class ResourceTree {
public:
    ResourceTree(FileWindow& file, const FileExtent& extent) : m_file(file), m_extent(extent) {}

    bool Read(DWORD offset, void* dest, DWORD size)
    {
        return offset <= m_extent.length && size <= m_extent.length - offset &&
               m_file.Read(m_extent.offset + offset, dest, size);
    }

    // The entry for `id` of the directory at `offset`, or its first entry of all when `id` is 0.
    // Gives the entry's OffsetToData. Every directory is read for one level only, so offsets that
    // point back up the tree cannot make a loop.
    bool FindEntry(DWORD offset, WORD id, DWORD* offsetToData)
    {
        IMAGE_RESOURCE_DIRECTORY directory;
        if (!Read(offset, &directory, sizeof directory))
            return false;
        const DWORD first = offset + sizeof directory;
        const DWORD named = directory.NumberOfNamedEntries;
        const DWORD count = named + directory.NumberOfIdEntries;
        // Entries that run past the section make the directory damaged, whatever comes first.
        if (count * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY) > m_extent.length - first)
            return false;
        // Named entries come first; ids follow.
        for (DWORD i = id == 0 ? 0 : named; i < count; ++i) {
            IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
            if (!Read(first + i * sizeof entry, &entry, sizeof entry))
                return false;
            if (id == 0 || (!(entry.Name & kIsNamed) && entry.Name == id)) {
                *offsetToData = entry.OffsetToData;
                return true;
            }
        }
        return false;
    }

private:
    FileWindow& m_file;
    FileExtent m_extent;
};

} // namespace

OwnManifest ReadOwnManifest(const char* programPath)
{
    if (!programPath)
        return OwnManifest::None;
    // Every share mode: a program that runs, or that another program has open, stays readable.
    FileHandle file(Files().CreateFileA(programPath, GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A pipe or a device under a program's name would keep a read waiting.
    if (!file || Files().GetFileType(file.Get()) != FILE_TYPE_DISK)
        return OwnManifest::None;

    FileWindow window(file.Get());
    SectionTable table;
    FileExtent directory;
    if (!FindResourceDirectory(window, table, &directory))
        return OwnManifest::None;

    // Type, then name, then language: the first two must lead to directories, the last to data.
    // Any language counts, since a program carries one process manifest.
    ResourceTree tree(window, directory);
    DWORD type, name, data;
    IMAGE_RESOURCE_DATA_ENTRY entry;
    if (!tree.FindEntry(0, kManifestType, &type) || !(type & kIsDirectory) ||
        !tree.FindEntry(type & ~kIsDirectory, kProcessManifestId, &name) ||
        !(name & kIsDirectory) || !tree.FindEntry(name & ~kIsDirectory, 0, &data) ||
        (data & kIsDirectory) || !tree.Read(data, &entry, sizeof entry))
        return OwnManifest::None;

    FileExtent extent;
    if (!table.Map(entry.OffsetToData, &extent) || entry.Size > extent.length ||
        entry.Size > kMaxManifestText)
        return OwnManifest::None;
    CString text;
    char* buffer = text.GetBufferSetLength(static_cast<int>(entry.Size));
    if (!window.Read(extent.offset, buffer, entry.Size))
        return OwnManifest::None;
    file.Reset();
    return ClassifyManifestText(buffer, entry.Size);
}
