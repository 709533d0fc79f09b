#include <gtest/gtest.h>

#include "library/caption.h"

namespace {

TEST(Caption, PlaceIsTheFolderInTheChosenOneOrTheFileName)
{
    const struct {
        const char* folder;
        const char* path;
        const char* place;
    } cases[] = {
        {"D:\\Photos", "D:\\Photos\\Holidays\\2019 Crete\\IMG_1.jpg", "Holidays\\2019 Crete"},
        {"D:\\Photos\\", "D:\\Photos\\Holidays\\IMG_1.jpg", "Holidays"},
        {"d:\\photos", "D:\\Photos\\Holidays/Crete/a.jpg", "Holidays\\Crete"},
        {"D:\\Photos", "D:\\Photos\\Beach.at.noon.jpg", "Beach.at.noon"},
        {"\\\\server\\share", "\\\\server\\share\\.hidden", ".hidden"},
        {"", "C:\\Users\\me\\Pictures\\Lake.png", "Lake"},
        {"D:\\Photos", "D:\\PhotosOld\\x\\Dog.jpg", "Dog"},
        {"D:\\Photos", "D:\\Photos", "Photos"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.place, CaptionPlace(c.folder, c.path)) << c.path;
    }
}

TEST(Caption, PositionInDegreesWithOneDecimal)
{
    const struct {
        GpsPosition position;
        const char* text;
    } cases[] = {
        {{true, 35.31, 25.1}, "35.3\xC2\xB0 N, 25.1\xC2\xB0 E"},
        {{true, -33.85, -70.65}, "33.9\xC2\xB0 S, 70.7\xC2\xB0 W"},
        {{true, -0.04, 179.96}, "0.0\xC2\xB0 N, 180.0\xC2\xB0 E"},
        {{true, 0.0, -0.05}, "0.0\xC2\xB0 N, 0.1\xC2\xB0 W"},
        {{false, 1.0, 1.0}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, CaptionPosition(c.position)) << c.text;
    }
}

TEST(Caption, DateAndLines)
{
    const CalendarDate taken = {2019, 8, 12};
    const CalendarDate file = {2023, 1, 5};
    EXPECT_EQ(2019, CaptionDate(taken, file).year);
    EXPECT_EQ(2023, CaptionDate({}, file).year);
    EXPECT_EQ(0, CaptionDate({}, {1600, 1, 1}).year);

    EXPECT_EQ("Crete\n12 August 2019   35.3\xC2\xB0 N", CaptionText("Crete", "12 August 2019", "35.3\xC2\xB0 N"));
    EXPECT_EQ("Crete\n12 August 2019", CaptionText("Crete", "12 August 2019", ""));
    EXPECT_EQ("12 August 2019", CaptionText("", "12 August 2019", ""));
    EXPECT_EQ("Crete", CaptionText("Crete", "", ""));
}

TEST(Caption, PlacesStayInTheLowerLeftAndMoveWithEachPicture)
{
    const PixelSize monitors[] = {{1920, 1080}, {1080, 1920}, {3840, 2160}, {152, 112}, {800, 600}};
    for (const PixelSize monitor : monitors) {
        const PixelSize text = {monitor.width / 3, monitor.height / 10};
        TextPlace before = CaptionPlaceOnMonitor(monitor, text, 0);
        for (uint32_t n = 1; n < 40; ++n) {
            const TextPlace place = CaptionPlaceOnMonitor(monitor, text, n);
            const std::string name = std::to_string(monitor.width) + "x" + std::to_string(monitor.height) + " #" +
                                     std::to_string(n);
            EXPECT_TRUE(place.x != before.x || place.y != before.y) << name;
            EXPECT_GE(place.x, 0) << name;
            EXPECT_LE(place.x + text.width, monitor.width / 2) << name;
            EXPECT_GE(place.y, monitor.height / 2) << name;
            EXPECT_LE(place.y + text.height, monitor.height) << name;
            before = place;
        }
    }
    // A caption wider than a tiny preview still starts on it.
    const TextPlace squeezed = CaptionPlaceOnMonitor({100, 60}, {300, 80}, 3);
    EXPECT_EQ(0, squeezed.x);
    EXPECT_EQ(0, squeezed.y);
}

} // namespace
