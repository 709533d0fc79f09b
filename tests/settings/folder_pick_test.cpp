#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "settings/folder_pick.h"

namespace {

const std::vector<std::string> decodable = {".bmp", ".jpg", ".jpeg", ".png"};

TEST(PickFolderPicture, OnlyDecodableFilesAndNothingFromAnEmptyFolder)
{
    const std::vector<std::string> none = {"D:\\P\\notes.txt", "D:\\P\\jpg", "D:\\My.jpg\\raw", "D:\\P\\a.jpg.txt"};
    for (uint32_t random : {0u, 1u, 7u}) {
        EXPECT_EQ("", PickFolderPicture({}, decodable, "", random));
        EXPECT_EQ("", PickFolderPicture(none, decodable, "", random));
        std::vector<std::string> withOne = none;
        withOne.push_back("D:\\P\\Lake.JPG");
        EXPECT_EQ("D:\\P\\Lake.JPG", PickFolderPicture(withOne, decodable, "", random));
        // The only picture is shown again, even though it was the last one.
        EXPECT_EQ("D:\\P\\Lake.JPG", PickFolderPicture(withOne, decodable, "d:\\p\\lake.jpg", random));
    }
}

TEST(PickFolderPicture, EveryPictureButThePreviousCanBePicked)
{
    const std::vector<std::string> files = {"D:\\P\\a.bmp", "D:\\P\\b.txt", "D:\\P\\c.png", "D:\\P\\d.jpeg"};
    struct Case {
        const char* previous;
        std::set<std::string> expected;
    };
    const Case cases[] = {
        {"", {"D:\\P\\a.bmp", "D:\\P\\c.png", "D:\\P\\d.jpeg"}},
        {"D:\\P\\C.PNG", {"D:\\P\\a.bmp", "D:\\P\\d.jpeg"}},
        {"E:\\gone.jpg", {"D:\\P\\a.bmp", "D:\\P\\c.png", "D:\\P\\d.jpeg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.previous);
        std::set<std::string> picked;
        for (uint32_t random = 0; random < 12; ++random) {
            picked.insert(PickFolderPicture(files, decodable, c.previous, random));
        }
        EXPECT_EQ(c.expected, picked);
    }
}

}  // namespace
