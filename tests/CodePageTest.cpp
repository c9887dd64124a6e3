// The runner that starts the code-page suites once in each tested code page.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

// Runs under 1252 in the main run and under 932 in the cp932 one: a runner that lost its locale
// (not generated, or overridden) would turn every code-page test into a second 1252 run.
TEST(RunnerCodePageTest, TheProcessHasTheCodePageItsRunAskedFor)
{
    const UINT codePage = ::GetACP(), asked = test::RequestedCodePage();
    if (asked) {
        EXPECT_EQ(asked, codePage);
    }
    EXPECT_NE(std::end(test::kTestedCodePages),
              std::find(std::begin(test::kTestedCodePages), std::end(test::kTestedCodePages),
                        codePage))
        << "code page " << codePage << " has no row in the code-page tests' tables";
}
