// Reads the string table straight from the resources, so that the language is ours to choose
// rather than the thread's.
#include "platform/ResourceText.h"

#include "platform/CodePage.h"

namespace {

const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The string's UTF-16 text in the block of sixteen that holds it, or false where there is none.
bool FindText(UINT id, LANGID language, const WCHAR** pText, int* pLength)
{
    const HMODULE module = ::GetModuleHandleA(nullptr);
    const HRSRC found = ::FindResourceExW(module, MAKEINTRESOURCEW(6), // RT_STRING
                                          MAKEINTRESOURCEW(id / 16 + 1), language);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const auto* p = static_cast<const WCHAR*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!p)
        return false;
    // Each string is its length followed by as many characters, without a terminator.
    const WCHAR* const end = p + ::SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16 && p < end; ++i)
        p += 1 + *p;
    if (p >= end || *p == 0 || p + 1 + *p > end)
        return false;
    *pLength = *p;
    *pText = p + 1;
    return true;
}

} // namespace

LANGID TextLanguage()
{
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE && ::GetACP() == 932
               ? kJapanese
               : kEnglish;
}

CString LoadText(UINT id)
{
    const WCHAR* text = nullptr;
    int length = 0;
    if (!FindText(id, TextLanguage(), &text, &length) && !FindText(id, kEnglish, &text, &length))
        return CString();
    return AnsiFromWide(text, length, nullptr);
}

CString FormatText(UINT id, const char* arg1, const char* arg2)
{
    const CString pattern = LoadText(id);
    CString text;
    const char* p = pattern;
    for (const char* mark; (mark = ::strchr(p, '%')) != nullptr;) {
        text += CString(p, static_cast<int>(mark - p));
        const char* arg = mark[1] == '1' ? arg1 : mark[1] == '2' ? arg2 : nullptr;
        if (arg) {
            text += arg;
            p = mark + 2;
        } else {
            text += '%';
            p = mark + 1;
        }
    }
    return text + p;
}
