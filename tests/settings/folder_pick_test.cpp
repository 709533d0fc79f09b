#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "settings/folder_pick.h"

namespace {

TEST(PickFolderPicture, AnyDecodablePictureButThePreviousOne)
{
    const std::vector<std::string> decodable = {".bmp", ".jpg", ".png"};
    const std::vector<std::string> noPictures = {"D:\\P\\notes.txt", "D:\\P\\jpg", "D:\\My.jpg\\raw", "D:\\P\\a.jpg.txt"};
    std::vector<std::string> onePicture = noPictures;
    onePicture.push_back("D:\\P\\Lake.JPG");
    const std::vector<std::string> three = {"D:\\P\\a.bmp", "D:\\P\\b.txt", "D:\\P\\c.png", "D:\\P\\d.jpg"};
    struct Case {
        const std::vector<std::string>& files;
        const char* previous;
        std::set<std::string> expected;  // what some random value picks
    };
    const Case cases[] = {
        {{}, "", {""}},
        {noPictures, "", {""}},
        // The only picture shows again, though it was the last one.
        {onePicture, "d:\\p\\lake.jpg", {"D:\\P\\Lake.JPG"}},
        {three, "", {"D:\\P\\a.bmp", "D:\\P\\c.png", "D:\\P\\d.jpg"}},
        {three, "D:\\P\\C.PNG", {"D:\\P\\a.bmp", "D:\\P\\d.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.previous);
        std::set<std::string> picked;
        for (uint32_t random = 0; random < 12; ++random) {
            picked.insert(PickFolderPicture(c.files, decodable, c.previous, random));
        }
        EXPECT_EQ(c.expected, picked);
    }
}

}  // namespace
