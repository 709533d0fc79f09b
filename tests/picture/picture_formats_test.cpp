#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picture/picture_formats.h"

namespace {

using Extensions = std::vector<std::string>;

TEST(PictureFormats, DecoderListsAreCleanedAndMerged)
{
    Extensions extensions;
    AddPictureExtensions(extensions, ".JPG, .jpeg ,.Jpe");
    AddPictureExtensions(extensions, ".jpg,,png,.,.*,.a b;.tif");
    AddPictureExtensions(extensions, std::string());
    EXPECT_EQ((Extensions{".jpg", ".jpeg", ".jpe", ".tif"}), extensions);
}

TEST(PictureFormats, FilterListsEveryPatternThenAllFiles)
{
    EXPECT_EQ(std::string("All pictures \0*.bmp;*.png\0All files\0*.*\0\0", 41),
              PictureFilterText({".bmp", ".png"}));
    EXPECT_EQ(std::string("All files\0*.*\0\0", 15), PictureFilterText({}));
}

} // namespace
