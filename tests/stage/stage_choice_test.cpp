#include <gtest/gtest.h>

#include <functional>

#include "stage/stage_choice.h"

namespace {

StageChoice Choice(PictureSource source)
{
    StageChoice choice;
    choice.source = source;
    choice.file = "C:\\a.jpg";
    choice.folder = "C:\\Pictures";
    return choice;
}

struct ChangeCase {
    const char* name;
    PictureSource source;
    std::function<void(StageChoice&)> change;
    bool samePictures;
    bool sameSurfaces;
};

// A change of the dialog's controls loads the pictures again only where they
// are other pictures, and starts the waves again only where they are other
// waves.
TEST(StageChoiceTest, ReloadsOnlyWhatAChangeMakesDifferent)
{
    const ChangeCase cases[] = {
        {"nothing", PictureSource::Folder, [](StageChoice&) {}, true, true},
        {"source", PictureSource::Desktop, [](StageChoice& c) { c.source = PictureSource::BuiltIn; }, false, true},
        {"file of a file", PictureSource::File, [](StageChoice& c) { c.file = "C:\\b.jpg"; }, false, true},
        {"folder of a file", PictureSource::File, [](StageChoice& c) { c.folder = "D:\\"; }, true, true},
        {"file of a folder", PictureSource::Folder, [](StageChoice& c) { c.file = "C:\\b.jpg"; }, true, true},
        {"folder", PictureSource::Folder, [](StageChoice& c) { c.folder = "D:\\"; }, false, true},
        {"subfolders", PictureSource::Folder, [](StageChoice& c) { c.includeSubfolders = false; }, false, true},
        {"slide time", PictureSource::Folder, [](StageChoice& c) { c.slideSeconds = 10; }, false, true},
        {"monitor pictures", PictureSource::Folder, [](StageChoice& c) { c.monitorPictures = false; }, false, true},
        {"cache cap", PictureSource::Folder, [](StageChoice& c) { c.cacheMegabytes = 1; }, false, true},
        {"cache filled", PictureSource::Folder, [](StageChoice& c) { c.fillsCache = true; }, false, true},
        {"last picture", PictureSource::Folder, [](StageChoice& c) { c.lastFolderPicture = "x.jpg"; }, true, true},
        {"slide time of the desktop", PictureSource::Desktop, [](StageChoice& c) { c.slideSeconds = 10; }, true,
         true},
        {"wave style", PictureSource::Folder, [](StageChoice& c) { c.waveStyle = 2; }, true, false},
        {"speed", PictureSource::BuiltIn, [](StageChoice& c) { c.speedPercent = 150; }, true, false},
        {"look", PictureSource::File, [](StageChoice& c) { c.look = 1; }, true, false},
        {"clock", PictureSource::Folder, [](StageChoice& c) { c.clockShown = 2; }, true, true},
    };
    for (const ChangeCase& test : cases) {
        const StageChoice before = Choice(test.source);
        StageChoice after = before;
        test.change(after);
        EXPECT_EQ(test.samePictures, SamePictures(before, after)) << test.name;
        EXPECT_EQ(test.samePictures, SamePictures(after, before)) << test.name;
        EXPECT_EQ(test.sameSurfaces, SameSurfaces(before, after)) << test.name;
    }
}

}  // namespace
