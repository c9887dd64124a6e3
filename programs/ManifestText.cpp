// Tells what manifest text asks of the common controls, reading it as XML as the loader does.
#include "programs/OwnManifest.h"

#include "platform/Array.h"
#include "platform/String.h"

#include <string.h>

namespace {

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
        for (const char* p = from; p <= m_end && static_cast<size_t>(m_end - p) >= length; ++p) {
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
        const bool bOnPath = m_onPath == level && level <= kIdentityLevel &&
                             LocalNameIs(name, kPath[level]);
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

} // namespace

OwnManifest ClassifyManifestText(const void* data, DWORD size)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    const char* text = reinterpret_cast<const char*>(bytes);
    size_t length = size;
    // As the loader does, UTF-16 is known by its byte order mark alone.
    const bool bLittleEndian = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    const bool bBigEndian = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    CString converted;
    if (bLittleEndian || bBigEndian) {
        length = (size - 2) / 2;
        char* buffer = converted.GetBufferSetLength(static_cast<int>(length));
        for (size_t i = 0; i < length; ++i) {
            const BYTE* unit = bytes + 2 + 2 * i;
            const unsigned value = bLittleEndian ? (unit[0] | unit[1] << 8)
                                                 : (unit[0] << 8 | unit[1]);
            buffer[i] = static_cast<char>(value < 0x80 ? value : 0x80);
        }
        text = buffer;
    } else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text += 3;
        length -= 3;
    }

    ManifestScanner scanner(text, length);
    return scanner.Scan() && scanner.AsksForThemedControls() ? OwnManifest::Themed
                                                             : OwnManifest::Classic;
}
