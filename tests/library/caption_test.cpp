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

} // namespace
