#include <gtest/gtest.h>

#include <objbase.h>

#include "picture/win32_picture_decoder.h"
#include "picture_test_data.h"
#include "picture_test_files.h"
#include "text/win32_wide.h"
#include "win32_scratch_folder.h"

namespace {

using namespace picture_test;

// A photo far larger than its texture (4096 x 2048, stored turned) is decoded
// straight to the texture's size, at a reduced scale where the codec can
// (for a preview, a full screen) or whole (a screen that holds it), and turned
// upright: every row of the decoded picture has the colours of its half.
TEST(PictureDecoder, LargePhotoComesAtItsTextureSizeUpright)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    ScratchFolder folder;
    const std::wstring path = WidePath(folder.Write("photo.jpg", TestResource(IDR_PHOTO_TURNED_JPEG)));
    const struct {
        PixelSize monitor;
        PixelSize decoded;
    } cases[] = {{{152, 112}, {128, 128}}, {{1920, 1080}, {2048, 1024}}, {{4096, 2160}, {4096, 2048}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "monitor " << c.monitor.width << " x " << c.monitor.height);
        DecodedPicture picture;
        ASSERT_EQ(PictureDecode::Decoded, DecodePictureFile(path.c_str(), c.monitor, 8192, picture));
        ASSERT_EQ(c.decoded.width, picture.size.width);
        ASSERT_EQ(c.decoded.height, picture.size.height);
        const int w = picture.size.width;
        const int h = picture.size.height;
        for (int row = 0; row < h; ++row) {
            // Rows bottom-up; the JPEG's blocks blur a few rows at the middle.
            const int fromTop = h - 1 - row;
            if (fromTop > h / 2 - 8 && fromTop < h / 2 + 8) {
                continue;
            }
            for (const int x : {w / 4, w * 3 / 4}) {
                const uint8_t* bgra = picture.pixels.get() + (static_cast<size_t>(row) * w + x) * 4;
                const Rgb expected = QuadrantColour(x, fromTop, w, h);
                ASSERT_TRUE(Near(expected, {bgra[2], bgra[1], bgra[0]}, 40))
                    << "row " << fromTop << " from the top, x " << x << ": expected " << expected;
            }
        }
    }
    CoUninitialize();
}

} // namespace
