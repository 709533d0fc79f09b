#include <gtest/gtest.h>

#include "app/output_visibility.h"

namespace {

TEST(OutputVisibilityTest, ALockHidesTheSaverOnlyOnceItsDesktopNoLongerTakesTheInput)
{
    // display off, locked, disconnected, suspending; the saver takes the input; seen
    const bool cases[][6] = {{0, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 1, 1}, {0, 1, 0, 0, 0, 0}, {1, 1, 0, 0, 1, 0},
                             {1, 0, 0, 0, 1, 0}, {0, 1, 1, 0, 1, 0}, {0, 0, 0, 1, 1, 0}};
    for (const auto& c : cases) {
        int asked = 0;
        const bool seen = ScreenCanBeSeen({c[0], c[1], c[2], c[3]}, [&] { return ++asked, c[4]; });
        EXPECT_EQ(seen, c[5]) << c[0] << c[1] << c[2] << c[3] << c[4];
        EXPECT_LE(asked, c[1] ? 1 : 0) << "the desktop asked without a lock";
    }
}

}  // namespace
