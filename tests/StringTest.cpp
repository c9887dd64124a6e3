// CString, CStringArray and the path helpers: the growth, aliasing and double-byte cases the path
// code relies on.
#include "platform/Path.h"
#include "platform/StringArray.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTest, CopiesGrowAndApiBuffersWithoutSharingOrLosingText)
{
    // Appending a string to itself reads the old text even when growing moves the buffer.
    CString s("abc");
    s += s;
    s += strchr(s, 'b');
    CString copy = s;
    copy += "tail";
    EXPECT_STREQ("abcabcbcabc", s);
    // A count past the end is clipped: the tree compares a path with a longer item's start.
    EXPECT_STREQ("abc", CString("abc").Left(9));

    // A buffer for an API call is cut at the first zero; an empty one still takes a zero.
    strcpy(s.GetBufferSetLength(20), "hi");
    s.ReleaseBuffer();
    EXPECT_EQ(2, s.GetLength());
    CString empty;
    *empty.GetBufferSetLength(0) = '\0';
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty.IsEmpty());
    // The text in place, ended even where the string never held any.
    CString moved(CString(""));
    EXPECT_STREQ("", moved.GetBuffer());
}

// In code page 932, 0x95 0x5C is one character whose trail byte equals a backslash, and
// 0x83 0x61 one whose trail byte equals 'a'.
TEST(StringTest, DoubleByteTrailBytesAreNeitherSeparatorsNorLetters)
{
    test::CodePage shiftJis(932);
    if (!shiftJis.ok)
        GTEST_SKIP() << "code page 932 is not available to the multibyte routines here";
    const char path[] = "C:\\A\\\x95\x5C";
    EXPECT_EQ(4, CString(path).ReverseFind('\\'));
    EXPECT_FALSE(CString(path).EndsWith('\\'));
    EXPECT_TRUE((CString(path) + '\\').EndsWith('\\'));
    EXPECT_STREQ(path, CString(path).TrimRight('\\'));
    EXPECT_STREQ("C:", CString("C:\\\\").TrimRight('\\'));
    EXPECT_STREQ("C:\\\x83\x61Z", CString("c:\\\x83\x61z").MakeUpper());
    // Paths are joined and cut on the same characters.
    EXPECT_STREQ("C:\\A\\\x95\x5C\\x.exe", JoinPath(path, "x.exe"));
    EXPECT_STREQ("C:\\x.exe", JoinPath("C:\\", "x.exe"));
    EXPECT_STREQ(path, WithoutBackslash(path));
    EXPECT_STREQ(path, WithoutBackslash(WithBackslash(path)));
}

TEST(StringArrayTest, GrowingKeepsElementsAndAcceptsOneOfItsOwn)
{
    CStringArray array;
    for (int i = 0; i < 64; ++i)
        array.Add(CString("item ") + static_cast<char>('0' + i % 10));
    EXPECT_STREQ("item 3", array[63]);
    // The storage is full: the element passed in lives where growing moves it away from.
    array.SetAtGrow(array.GetSize(), array[0]);
    ASSERT_EQ(65, array.GetSize());
    EXPECT_STREQ("item 0", array[64]);
}

} // namespace
