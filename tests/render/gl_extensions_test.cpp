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

namespace {

TEST(RunsRealisticLookTest, NeedsShadersAndTexturesOfAnySize)
{
    const char* arbAll = "GL_ARB_shader_objects GL_ARB_vertex_shader GL_ARB_fragment_shader "
                         "GL_ARB_shading_language_100 GL_ARB_texture_non_power_of_two";
    struct Case {
        const char* version;
        const char* extensions;
        bool runs;
    };
    const Case cases[] = {
        {"1.1.0", "GL_WIN_swap_hint GL_EXT_bgra", false},  // Windows' own software OpenGL
        {"1.1 Mesa 22.3.6", "", false},                    // Mesa told to act it
        {"2.1 Mesa 22.3.6", "", true},
        {"4.5 (Compatibility Profile) Mesa 22.3.6", nullptr, true},
        {"10.0", "", true},
        {"1.5.0", arbAll, true},
        {"1.5.0", "GL_ARB_shader_objects GL_ARB_vertex_shader GL_ARB_fragment_shader GL_ARB_shading_language_100",
         false},  // power-of-two textures only
        {"1.4", "GL_ARB_shader_objects GL_ARB_shading_language_100", false},
        {"", arbAll, true},
        {nullptr, arbAll, false},
        {"OpenGL ES 2.0", "", false},
        {"garbage", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunsRealisticLook(c.version, c.extensions), c.runs) << (c.version ? c.version : "(null)");
    }
}

TEST(ParseGLVersionTest, ReadsMajorAndMinor)
{
    EXPECT_EQ(ParseGLVersion("4.6.0 NVIDIA 535").major, 4);
    EXPECT_EQ(ParseGLVersion("4.6.0 NVIDIA 535").minor, 6);
    EXPECT_EQ(ParseGLVersion("12.34").minor, 34);
    EXPECT_EQ(ParseGLVersion("3").major, 0);
    EXPECT_EQ(ParseGLVersion(".5").major, 0);
    EXPECT_EQ(ParseGLVersion("99999999999.1").major, 0);
}

}  // namespace
