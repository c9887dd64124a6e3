// Finds a program's own manifest through its PE headers and resource directory, read from the
// file, and tells what that manifest asks of the common controls.
#include "programs/OwnManifest.h"

#include "platform/Array.h"
#include "platform/Handle.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr WORD kManifestType = 24;         // RT_MANIFEST
constexpr WORD kProcessManifestId = 1;     // CREATEPROCESS_MANIFEST_RESOURCE_ID
constexpr DWORD kIsDirectory = 0x80000000; // IMAGE_RESOURCE_DATA_IS_DIRECTORY
constexpr DWORD kIsNamed = 0x80000000;     // IMAGE_RESOURCE_NAME_IS_STRING

// The loader refuses an image with more sections than this.
constexpr WORD kMaxSections = 96;
// Real manifests take a few kilobytes. Past this only the beginning is read, which is where every
// manifest written by a tool or by hand states its dependencies.
constexpr DWORD kMaxManifestText = 64 * 1024;
// Each read is a round trip to the Wine server, so a read fetches this much: the first covers the
// headers and the section table, the second the resource directory and often the manifest too.
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
    // On a synchronous handle the OVERLAPPED carries only the position: one call, no seek.
    DWORD ReadAt(ULONGLONG offset, void* dest, DWORD size)
    {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        return ::ReadFile(m_hFile, dest, size, &got, &at) ? got : 0;
    }

    HANDLE m_hFile;
    ULONGLONG m_offset = 0;
    DWORD m_length = 0;
    BYTE m_window[kWindowSize];
};

// Where an RVA's bytes lie in the file, and how many of its section's bytes follow there.
struct FileExtent {
    ULONGLONG offset = 0;
    DWORD length = 0;
};

struct SectionTable {
    IMAGE_SECTION_HEADER sections[kMaxSections];
    WORD count = 0;

    bool Map(DWORD rva, FileExtent* extent) const
    {
        for (WORD i = 0; i < count; ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            // File bytes past the virtual size are not mapped, so they are not the image's.
            DWORD span = section.SizeOfRawData;
            if (section.Misc.VirtualSize != 0 && section.Misc.VirtualSize < span)
                span = section.Misc.VirtualSize;
            if (rva >= section.VirtualAddress && rva - section.VirtualAddress < span) {
                extent->offset =
                    ULONGLONG(section.PointerToRawData) + (rva - section.VirtualAddress);
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
    const DWORD resourceAt =
        directoriesAt + IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY);
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

    table.count = nt.header.NumberOfSections;
    if (table.count == 0 || table.count > kMaxSections)
        return false;
    if (!file.Read(optionalOffset + nt.header.SizeOfOptionalHeader, table.sections,
                   table.count * sizeof(IMAGE_SECTION_HEADER)))
        return false;
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

// Bytes on the heap, freed on the way out; none for a size of 0.
struct HeapBytes {
    explicit HeapBytes(size_t size) : p(size ? static_cast<BYTE*>(::malloc(size)) : nullptr) {}
    ~HeapBytes() { ::free(p); }
    HeapBytes(const HeapBytes&) = delete;
    HeapBytes& operator=(const HeapBytes&) = delete;
    BYTE* p;
};

// A stretch of the manifest text.
struct Text {
    const char* p = nullptr;
    size_t length = 0;

    bool operator==(const char* s) const { return ::strlen(s) == length && !memcmp(p, s, length); }
    bool operator==(const Text& other) const
    {
        return other.length == length && !memcmp(p, other.p, length);
    }
};

bool EqualsIgnoringCase(const Text& text, const char* ascii)
{
    if (::strlen(ascii) != text.length)
        return false;
    for (size_t i = 0; i < text.length; ++i) {
        char a = text.p[i], b = ascii[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

// The loader reads up to four decimal parts of 0 to 65535, a missing part being 0, and binds the
// dependency by the first two: Windows redirects every 6.0 request to the newest 6.0 build through
// the publisher policy, and Wine takes the newest 6.0.* build of its side-by-side folder. So any
// 6.0.x.y asks for the themed controls; 5.82 or 6.1 ask for something else.
bool IsVersion6_0(const Text& value)
{
    DWORD parts[4] = {};
    int part = 0;
    for (size_t i = 0; i < value.length; ++i) {
        const char c = value.p[i];
        if (c >= '0' && c <= '9') {
            parts[part] = parts[part] * 10 + static_cast<DWORD>(c - '0');
            if (parts[part] > 0xFFFF)
                return false;
        } else if (c != '.' || ++part == 4) {
            return false;
        }
    }
    return parts[0] == 6 && parts[1] == 0;
}

// Walks manifest text as XML, one byte per character: markup and every name and value compared
// here are ASCII, and anything else (UTF-8 sequences, converted UTF-16) is bytes above 0x7F that
// cannot be taken for markup. Elements count by local name, so asmv1:dependency is a dependency.
class ManifestScanner {
public:
    ManifestScanner(const char* text, size_t length) : m_p(text), m_end(text + length) {}

    // False where the text breaks the rules of XML that the loader holds it to.
    bool Scan()
    {
        while (const char* open = Find(m_p, "<")) {
            m_p = open + 1;
            bool ok;
            if (StartsWith("!--"))
                ok = SkipPast(m_p + 3, "-->");
            else if (StartsWith("![CDATA["))
                ok = SkipPast(m_p + 8, "]]>");
            else if (StartsWith("?"))
                ok = SkipPast(m_p + 1, "?>");
            else if (StartsWith("!"))
                ok = SkipDeclaration();
            else if (StartsWith("/"))
                ok = EndTag();
            else
                ok = StartTag();
            if (!ok)
                return false;
        }
        return m_bRoot && m_depth == 0;
    }

    // Whether an assemblyIdentity inside dependentAssembly inside dependency inside the root
    // assembly names the common controls 6.0.
    bool AsksForThemedControls() const { return m_bThemed; }

private:
    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    const char* Find(const char* from, const char* what) const
    {
        const size_t length = ::strlen(what);
        for (const char* p = from; static_cast<size_t>(m_end - p) >= length; ++p) {
            p = static_cast<const char*>(memchr(p, what[0], static_cast<size_t>(m_end - p)));
            if (!p || static_cast<size_t>(m_end - p) < length)
                return nullptr;
            if (!memcmp(p, what, length))
                return p;
        }
        return nullptr;
    }

    bool StartsWith(const char* what) const
    {
        const size_t length = ::strlen(what);
        return static_cast<size_t>(m_end - m_p) >= length && !memcmp(m_p, what, length);
    }

    bool SkipPast(const char* from, const char* terminator)
    {
        if (from > m_end)
            return false;
        const char* found = Find(from, terminator);
        if (!found)
            return false;
        m_p = found + ::strlen(terminator);
        return true;
    }

    // <!DOCTYPE ...>, whose internal subset in brackets may hold quoted '>' of its own.
    bool SkipDeclaration()
    {
        int brackets = 0;
        for (char quote = 0; m_p < m_end; ++m_p) {
            const char c = *m_p;
            if (quote) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                ++m_p;
                return true;
            }
        }
        return false;
    }

    void SkipSpace()
    {
        while (m_p < m_end && IsSpace(*m_p))
            ++m_p;
    }

    Text Name()
    {
        Text name;
        name.p = m_p;
        while (m_p < m_end && !IsSpace(*m_p) && *m_p != '/' && *m_p != '>' && *m_p != '=' &&
               *m_p != '<' && *m_p != '"' && *m_p != '\'')
            ++m_p;
        name.length = static_cast<size_t>(m_p - name.p);
        return name;
    }

    static bool LocalNameIs(const Text& name, const char* local)
    {
        Text rest = name;
        for (size_t i = name.length; i > 0; --i) {
            if (name.p[i - 1] == ':') {
                rest.p = name.p + i;
                rest.length = name.length - i;
                break;
            }
        }
        return rest == local;
    }

    bool EndTag()
    {
        ++m_p;
        const Text name = Name();
        SkipSpace();
        if (m_depth == 0 || m_p == m_end || *m_p != '>' || !(name == m_open[m_depth - 1]))
            return false;
        ++m_p;
        --m_depth;
        if (m_onPath > m_depth)
            m_onPath = m_depth;
        return true;
    }

    bool StartTag()
    {
        static const char* const kPath[] = { "assembly", "dependency", "dependentAssembly",
                                             "assemblyIdentity" };
        constexpr int kIdentityLevel = 3;

        const Text name = Name();
        if (name.length == 0 || (m_depth == 0 && m_bRoot))
            return false;
        m_bRoot = true;
        const int level = m_depth;
        const bool bOnPath =
            m_onPath == level && level <= kIdentityLevel && LocalNameIs(name, kPath[level]);
        bool bName = false, bVersion = false, bEmpty = false;
        for (;;) {
            const char* afterPrevious = m_p;
            SkipSpace();
            if (m_p == m_end)
                return false;
            if (*m_p == '>') {
                ++m_p;
                break;
            }
            if (*m_p == '/') {
                if (m_end - m_p < 2 || m_p[1] != '>')
                    return false;
                m_p += 2;
                bEmpty = true;
                break;
            }
            // Attributes stand apart from the name and from each other by white space.
            if (m_p == afterPrevious)
                return false;
            const Text attribute = Name();
            SkipSpace();
            if (attribute.length == 0 || m_p == m_end || *m_p != '=')
                return false;
            ++m_p;
            SkipSpace();
            if (m_p == m_end || (*m_p != '"' && *m_p != '\''))
                return false;
            const char* close = static_cast<const char*>(
                memchr(m_p + 1, *m_p, static_cast<size_t>(m_end - m_p - 1)));
            if (!close)
                return false;
            Text value;
            value.p = m_p + 1;
            value.length = static_cast<size_t>(close - value.p);
            m_p = close + 1;
            if (bOnPath && level == kIdentityLevel) {
                // Assembly names are compared without regard to case, as the loader does.
                if (attribute == "name")
                    bName = EqualsIgnoringCase(value, "Microsoft.Windows.Common-Controls");
                else if (attribute == "version")
                    bVersion = IsVersion6_0(value);
            }
        }
        if (bOnPath && level == kIdentityLevel && bName && bVersion)
            m_bThemed = true;
        if (!bEmpty) {
            if (m_depth < m_open.GetSize())
                m_open[m_depth] = name;
            else
                m_open.Add(Text(name));
            ++m_depth;
            if (bOnPath)
                m_onPath = level + 1;
        }
        return true;
    }

    const char* m_p;
    const char* m_end;
    CArray<Text> m_open; // names of the open elements, outermost first; m_depth of them count
    int m_depth = 0;
    int m_onPath = 0; // how many of the open elements, from the root, follow the path above
    bool m_bRoot = false;
    bool m_bThemed = false;
};

// `bCut`: the text stops where reading stopped, not where the manifest does. What was found up to
// there counts, and running out of text is no fault.
OwnManifest Classify(const BYTE* bytes, DWORD size, bool bCut)
{
    const char* text = reinterpret_cast<const char*>(bytes);
    size_t length = size;
    // As the loader does, UTF-16 is known by its byte order mark alone.
    const bool bLittleEndian = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    const bool bBigEndian = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    HeapBytes converted(bLittleEndian || bBigEndian ? size / 2 : 0);
    if (bLittleEndian || bBigEndian) {
        length = (size - 2) / 2;
        if (length > 0 && !converted.p)
            return OwnManifest::Classic;
        for (size_t i = 0; i < length; ++i) {
            const BYTE* unit = bytes + 2 + 2 * i;
            const unsigned value =
                bLittleEndian ? (unit[0] | unit[1] << 8) : (unit[0] << 8 | unit[1]);
            converted.p[i] = static_cast<BYTE>(value < 0x80 ? value : 0x80);
        }
        text = reinterpret_cast<const char*>(converted.p);
    } else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text += 3;
        length -= 3;
    }

    ManifestScanner scanner(text, length);
    const bool bWellFormed = scanner.Scan();
    return (bWellFormed || bCut) && scanner.AsksForThemedControls() ? OwnManifest::Themed
                                                                    : OwnManifest::Classic;
}

} // namespace

OwnManifest ClassifyManifestText(const void* text, DWORD size)
{
    return Classify(static_cast<const BYTE*>(text), size, false);
}

OwnManifest ReadOwnManifest(const char* programPath)
{
    if (!programPath)
        return OwnManifest::None;
    // Every share mode: a program that runs, or that another program has open, stays readable.
    FileHandle file(::CreateFileA(programPath, GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
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
    if (!table.Map(entry.OffsetToData, &extent) || entry.Size > extent.length)
        return OwnManifest::None;
    const bool bCut = entry.Size > kMaxManifestText;
    const DWORD size = bCut ? kMaxManifestText : entry.Size;
    HeapBytes text(size + 1);
    if (!text.p || !window.Read(extent.offset, text.p, size))
        return OwnManifest::None;
    file.Reset();
    return Classify(text.p, size, bCut);
}
