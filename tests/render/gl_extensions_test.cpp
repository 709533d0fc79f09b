#include <gtest/gtest.h>

#include "render/gl_extensions.h"

namespace {

TEST(ExtensionListHoldsTest, FindsWholeNamesOnly)
{
    struct Case {
        const char* list;
        const char* name;
        bool holds;
    };
    const Case cases[] = {
        {"GL_A GL_B GL_C", "GL_A", true},
        {"GL_A GL_B GL_C", "GL_B", true},
        {"GL_A GL_B GL_C", "GL_C", true},
        {"GL_AB GL_A", "GL_A", true},     // a longer name first, the whole one later
        {"GL_AB GL_XGL_A", "GL_A", false}, // only inside other names
        {"GL_A_EXT", "GL_A", false},
        {"", "GL_A", false},
        {nullptr, "GL_A", false},
        {"GL_A", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtensionListHolds(c.list, c.name), c.holds)
            << (c.list != nullptr ? c.list : "(null)") << " / " << c.name;
    }
}

}  // namespace
