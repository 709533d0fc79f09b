#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "settings/folder_pick.h"

namespace {

TEST(PickFolderPicture, AnyDecodablePictureButThePreviousOne)
{
    const std::vector<std::string> none = {"P\\notes.txt", "P\\jpg", "My.jpg\\raw", "P\\a.jpg.txt"};
    std::vector<std::string> one = none;
    one.push_back("P\\Lake.JPG");
    const std::vector<std::string> three = {"P\\a.bmp", "P\\b.txt", "P\\c.png", "P\\d.jpg"};
    struct Case {
        const std::vector<std::string>& files;
        const char* previous;
        std::set<std::string> expected;  // what some random value picks
    };
    const Case cases[] = {
        {{}, "", {""}},
        {none, "", {""}},
        {one, "p\\lake.jpg", {"P\\Lake.JPG"}},  // the only picture shows again
        {three, "", {"P\\a.bmp", "P\\c.png", "P\\d.jpg"}},
        {three, "P\\C.PNG", {"P\\a.bmp", "P\\d.jpg"}},
    };
    for (const Case& c : cases) {
        std::set<std::string> picked;
        for (uint32_t random = 0; random < 12; ++random) {
            picked.insert(PickFolderPicture(c.files, {".bmp", ".jpg", ".png"}, c.previous, random));
        }
        EXPECT_EQ(c.expected, picked) << c.previous;
    }
}

}  // namespace
