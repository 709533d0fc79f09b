#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

struct ModeCase {
    const char* commandLine;
    Mode mode;
    int32_t window;
};

class CommandLineTest : public testing::TestWithParam<ModeCase> {};

TEST_P(CommandLineTest, ReadsModeAndWindowHandle)
{
    const ModeCase& expected = GetParam();
    const StartRequest request = ParseCommandLine(expected.commandLine);
    EXPECT_EQ(request.mode, expected.mode);
    EXPECT_EQ(request.window, expected.window);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLineTest,
    testing::Values(
        ModeCase{"/s", Mode::FullScreen, 0}, ModeCase{"-S", Mode::FullScreen, 0},
        ModeCase{"xs", Mode::FullScreen, 0}, ModeCase{"/s and more text", Mode::FullScreen, 0},
        ModeCase{"/S:12", Mode::FullScreen, 0}, ModeCase{"s", Mode::Invalid, 0},
        ModeCase{"", Mode::Settings, 0}, ModeCase{" \t ", Mode::Settings, 0},
        ModeCase{" ", Mode::Settings, 0}, ModeCase{"/", Mode::Invalid, 0}, ModeCase{"/x", Mode::Invalid, 0},
        ModeCase{" s", Mode::FullScreen, 0}, ModeCase{"/c", Mode::Settings, 0},
        ModeCase{"/C:1234", Mode::Settings, 1234}, ModeCase{"/c 5678", Mode::Settings, 5678},
        ModeCase{"/c:junk", Mode::Settings, 0}, ModeCase{"/a", Mode::Password, 0},
        ModeCase{"-A 99", Mode::Password, 0}, ModeCase{"/p 1234", Mode::Preview, 1234},
        ModeCase{"/p:1234", Mode::Preview, 1234}, ModeCase{"/P 1234", Mode::Preview, 1234},
        ModeCase{"/p1234", Mode::Preview, 234}, ModeCase{"/p   77 trailing", Mode::Preview, 77},
        ModeCase{"/p -5", Mode::Preview, -5}, ModeCase{"/p", Mode::Preview, 0}, ModeCase{"/p ", Mode::Preview, 0},
        ModeCase{"/p abc", Mode::Preview, 0}, ModeCase{"/p 99999999999", Mode::Preview, 0}));

// Windows' own preview and the settings dialog decode their pictures small:
// only "/s" may store copies in the picture cache.
TEST(CommandLineTest, OnlyTheFullScreenSaverStoresCacheCopies)
{
    for (const char* commandLine : {"/s", "/p 1234", "/c", "", "/a", "/x"}) {
        EXPECT_EQ(commandLine == std::string("/s"), StoresCacheCopies(ParseCommandLine(commandLine).mode)) << commandLine;
    }
}

struct DirectoryCase {
    const char* path;
    const char* directory;
};

TEST(ProgramDirectoryTest, CutsAfterTheLastBackslash)
{
    const DirectoryCase cases[] = {
        {"C:\\Windows\\System32\\Vitrane.scr", "C:\\Windows\\System32\\"},
        {"C:\\Vitrane.scr", "C:\\"},
        {"\\\\server\\share\\Vitrane.scr", "\\\\server\\share\\"},
        {"Vitrane.scr", "Vitrane.scr"},    // no backslash: kept whole
        {"\\Vitrane.scr", "\\Vitrane.scr"},  // the only backslash leads: kept whole
        {"", ""},
    };
    for (const DirectoryCase& c : cases) {
        EXPECT_EQ(ProgramDirectoryOf(c.path), c.directory) << c.path;
    }
}

}  // namespace
