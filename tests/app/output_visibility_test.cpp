#include <gtest/gtest.h>

#include "app/output_visibility.h"

namespace {

TEST(OutputVisibilityTest, ALockHidesTheSaverOnlyOnceItsDesktopNoLongerTakesTheInput)
{
    struct Case {
        ScreenState state;
        bool saverTakesInput;
        bool seen;
    };
    // display off, locked, disconnected, suspending
    const Case cases[] = {
        {{false, false, false, false}, true, true},
        {{false, false, false, false}, false, true},  // no lock: the desktop is not asked
        {{false, true, false, false}, true, true},    // locked, the saver still in front
        {{false, true, false, false}, false, false},  // the lock screen took its place
        {{true, true, false, false}, true, false},
        {{true, false, false, false}, true, false},
        {{false, false, true, false}, true, false},
        {{false, true, true, false}, true, false},
        {{false, false, false, true}, true, false},
    };
    for (const Case& c : cases) {
        int asked = 0;
        const bool seen = ScreenCanBeSeen(c.state, [&] {
            ++asked;
            return c.saverTakesInput;
        });
        const auto& s = c.state;
        SCOPED_TRACE(testing::Message() << s.displayOff << s.sessionLocked << s.sessionDisconnected
                                        << s.systemSuspending << " takes input " << c.saverTakesInput);
        EXPECT_EQ(seen, c.seen);
        EXPECT_LE(asked, s.sessionLocked ? 1 : 0) << "asked the desktop without a lock";
    }
}

}  // namespace
