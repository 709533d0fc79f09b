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
}

} // namespace
