// Directory search: an error told apart from an empty result and from the end.
#include "platform/FileFind.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Under Wine a search reads the whole folder when it starts and later steps only walk that copy,
// skipping entries deleted since, so no later step can fail there; only the start can be shown.
TEST(FileFindTest, TellsAFailedSearchFromOneThatFindsNothing)
{
    test::TempFolder folder;
    folder.CreateFileOfSize("a.exe", 1);
    folder.CreateFileOfSize("b.txt", 1);

    CFileFind finder;
    const struct {
        std::string pattern;
        DWORD error;
    } failing[] = {
        { folder / "*.dll", ERROR_SUCCESS },             // nothing matches: no error
        { folder / "missing\\*", ERROR_PATH_NOT_FOUND }, // a folder deleted meanwhile
    };
    for (const auto& search : failing) {
        EXPECT_FALSE(finder.FindFile(search.pattern.c_str())) << search.pattern;
        EXPECT_EQ(search.error, finder.GetSearchError()) << search.pattern;
    }

    // A new search starts clean, and one that runs to its end ends without an error.
    BOOL more = finder.FindFile((folder / "*").c_str());
    EXPECT_EQ(DWORD(ERROR_SUCCESS), finder.GetSearchError());
    while (more)
        more = finder.FindNextFile();
    EXPECT_EQ(DWORD(ERROR_SUCCESS), finder.GetSearchError());
}

} // namespace
