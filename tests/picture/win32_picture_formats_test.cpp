#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "picture/win32_picture_formats.h"

namespace {

TEST(PictureFormats, TheImagingComponentsDecodersAreOffered)
{
    const std::vector<std::string> extensions = DecodablePictureExtensions();
    for (const char* expected : {".bmp", ".jpg", ".jpeg", ".png", ".gif", ".tif", ".tiff", ".ico"}) {
        EXPECT_NE(extensions.end(), std::find(extensions.begin(), extensions.end(), expected))
            << expected << " in " << ::testing::PrintToString(extensions);
    }
    const std::string filter = PictureFileFilter();
    const std::string allFiles("\0All files\0*.*\0\0", 16);
    EXPECT_EQ(0u, filter.find(std::string("All pictures \0", 14)));
    EXPECT_NE(std::string::npos, filter.find("*.png"));
    ASSERT_GT(filter.size(), allFiles.size());
    EXPECT_EQ(allFiles, filter.substr(filter.size() - allFiles.size()));
}

} // namespace
