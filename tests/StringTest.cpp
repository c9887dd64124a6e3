// CString and CStringArray: growth, aliasing, and the multibyte-aware path operations.
#include "platform/StringArray.h"

#include <gtest/gtest.h>
#include <mbctype.h>
#include <windows.h>

namespace {

// Switches the multibyte routines to a code page for one test and back afterwards.
class CodePage {
public:
    explicit CodePage(int codePage) : m_saved(_getmbcp()) { m_ok = _setmbcp(codePage) == 0; }
    ~CodePage() { _setmbcp(m_saved); }
    bool IsSet() const { return m_ok; }

private:
    int m_saved;
    bool m_ok;
};

TEST(StringTest, GrowsAppendsAndCopiesIndependently)
{
    CString s;
    EXPECT_STREQ("", s);
    EXPECT_TRUE(s.IsEmpty());
    for (int i = 0; i < 1000; ++i)
        s += 'x';
    EXPECT_EQ(1000, s.GetLength());

    CString copy = s;
    copy += "tail";
    EXPECT_EQ(1000, s.GetLength());
    EXPECT_EQ(1004, copy.GetLength());

    // Appending a string to itself reads the old text even when the buffer moves.
    CString twice("abc");
    twice += twice;
    twice += twice.GetString() + 1;
    EXPECT_STREQ("abcabcbcabc", twice);

    CString moved(static_cast<CString&&>(copy));
    EXPECT_EQ(1004, moved.GetLength());
    EXPECT_STREQ("C:\\A", CString("C:") + '\\' + "A");
    EXPECT_STREQ("bc", CString("abc").Mid(1));
    EXPECT_STREQ("", CString("abc").Mid(5));
    EXPECT_STREQ("ab", CString("abc").Left(2));
    EXPECT_STREQ("abc", CString("abc").Left(9));
}

TEST(StringTest, BufferForApiCallsIsCutAtTheFirstZero)
{
    CString s("old");
    char* buffer = s.GetBufferSetLength(10);
    buffer[0] = 'h';
    buffer[1] = 'i';
    s.ReleaseBuffer();
    EXPECT_STREQ("hi", s);
    EXPECT_EQ(2, s.GetLength());

    s.GetBufferSetLength(0);
    s.ReleaseBuffer();
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringTest, TrimRightRemovesTheWholeTrailingRun)
{
    EXPECT_STREQ("C:", CString("C:\\\\\\").TrimRight('\\'));
    EXPECT_STREQ("C:\\A", CString("C:\\A").TrimRight('\\'));
    EXPECT_STREQ("", CString("\\\\").TrimRight('\\'));
    EXPECT_TRUE(CString("C:\\").EndsWith('\\'));
    EXPECT_FALSE(CString("").EndsWith('\\'));
}

TEST(StringTest, DoubleByteTrailByteIsNoSeparator)
{
    CodePage japanese(932);
    if (!japanese.IsSet())
        GTEST_SKIP() << "code page 932 is not available to the multibyte routines here";

    // 0x95 0x5C is one character in code page 932; its trail byte equals a backslash.
    const char path[] = "C:\\A\\\x95\x5C";
    EXPECT_EQ(4, CString(path).ReverseFind('\\'));
    // Only whole characters are trimmed: the trail byte stays with its lead byte.
    EXPECT_STREQ(path, CString(path).TrimRight('\\'));
    // The byte test still sees a last byte of 0x5C, as path tests must.
    EXPECT_TRUE(CString(path).EndsWith('\\'));
}

TEST(StringTest, MakeUpperFoldsAsciiLetters)
{
    EXPECT_STREQ("C:\\PROGRAM FILES\\APP_1.EXE", CString("c:\\Program Files\\app_1.exe").MakeUpper());
}

TEST(StringArrayTest, GrowsKeepsOrderAndAcceptsItsOwnElements)
{
    CStringArray array;
    for (int i = 0; i < 100; ++i) {
        char text[8];
        wsprintfA(text, "%d", i);
        EXPECT_EQ(i, array.Add(text));
    }
    ASSERT_EQ(100, array.GetSize());
    EXPECT_STREQ("0", array[0]);
    EXPECT_STREQ("99", array.GetAt(99));

    // The element passed in may live in the storage that growing replaces.
    array.SetAtGrow(array.GetSize(), array[0]);
    EXPECT_STREQ("0", array[100]);

    array.SetAtGrow(105, "far");
    EXPECT_EQ(106, array.GetSize());
    EXPECT_STREQ("", array[103]);
    EXPECT_STREQ("far", array[105]);

    array.RemoveAll();
    EXPECT_EQ(0, array.GetSize());
    array.Add("again");
    EXPECT_STREQ("again", array[0]);
}

} // namespace
