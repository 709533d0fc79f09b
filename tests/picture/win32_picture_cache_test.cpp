#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "picture/win32_picture_cache.h"
#include "win32_scratch_folder.h"

namespace {

DecodedPicture Filled(PixelSize size, uint8_t value)
{
    DecodedPicture picture;
    picture.size = size;
    const size_t bytes = static_cast<size_t>(size.width) * size.height * 4;
    picture.pixels.reset(new uint8_t[bytes]);
    std::fill(picture.pixels.get(), picture.pixels.get() + bytes, value);
    return picture;
}

std::vector<std::string> CachedPaths(const PictureCache& cache)
{
    std::vector<std::string> paths;
    for (const CacheIndexEntry& entry : cache.Entries()) {
        paths.push_back(entry.key.path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Each copy is 16x16 after downsizing (1 KiB of pixels): the cap holds two.
TEST(PictureCacheStore, KeepsTheRecentlyShownWithinItsCapAndDropsDamagedCopies)
{
    ScratchFolder scratch;
    PictureCache cache(scratch.Path() + "Cache", 2600);
    const PixelSize monitor = {16, 16};
    for (const char* path : {"P\\a.jpg", "P\\b.jpg"}) {
        cache.Store({path, 1, 2}, Filled({64, 32}, 7), monitor);
        Sleep(30);  // file times order the copies
    }
    DecodedPicture shown;
    ASSERT_TRUE(cache.Load("p\\A.JPG", shown));
    EXPECT_EQ(16, shown.size.width);
    EXPECT_EQ(16, shown.size.height);
    EXPECT_EQ(7, shown.pixels[1023]);
    const CachedFileKey changed = {"P\\a.jpg", 1, 3};
    EXPECT_FALSE(cache.Load("P\\a.jpg", shown, &changed));
    Sleep(30);
    cache.Store({"P\\c.jpg", 1, 2}, Filled({16, 16}, 9), monitor);
    EXPECT_EQ((std::vector<std::string>{"P\\a.jpg", "P\\c.jpg"}), CachedPaths(cache));

    // Cut short, as by a crash mid-write under a final name, then a leftover temporary file.
    const std::string entry = scratch.Path() + "Cache\\" + CacheEntryName("P\\c.jpg");
    bool exists = false;
    WriteBytes(entry, ReadBytes(entry, &exists).substr(0, 500));
    scratch.Write("Cache\\" + CacheEntryName("P\\d.jpg") + ".1-1.tmp", std::string(100, 'x'));
    EXPECT_FALSE(cache.Load("P\\c.jpg", shown));
    (void)ReadBytes(entry, &exists);
    EXPECT_FALSE(exists);
    EXPECT_EQ(std::vector<std::string>{"P\\a.jpg"}, CachedPaths(cache));

    const std::vector<FolderPicture> listing = {{"P\\a.jpg"}, {"P\\._e.jpg", true}};
    cache.SaveListing("P", true, listing);
    std::vector<FolderPicture> read;
    ASSERT_TRUE(cache.LoadListing("p", true, read));
    EXPECT_EQ(2u, read.size());
    EXPECT_FALSE(cache.LoadListing("P", false, read));

    PictureCache off(scratch.Path() + "Cache", 0);
    EXPECT_FALSE(off.Load("P\\a.jpg", shown));
    off.Trim();
    EXPECT_TRUE(cache.Entries().empty());
    EXPECT_FALSE(cache.LoadListing("P", true, read));
}

TEST(PictureCacheStore, AMissingFileIsDeletedOnlyWhileItsFolderAnswers)
{
    ScratchFolder scratch;
    const std::string folder = scratch.MakeFolder("Photos");
    const std::string photo = scratch.Write("Photos\\x.jpg", std::string(1234, 'x'));
    CachedFileKey key;
    EXPECT_EQ(PictureFileState::present, ReadPictureFileKey(folder, photo, key));
    EXPECT_EQ(1234u, key.fileSize);
    EXPECT_NE(0u, key.modified);
    EXPECT_EQ(PictureFileState::deleted, ReadPictureFileKey(folder, folder + "\\y.jpg", key));
    EXPECT_EQ(PictureFileState::deleted, ReadPictureFileKey(folder, folder + "\\sub\\y.jpg", key));
    const std::string gone = scratch.Path() + "Unmounted";
    EXPECT_EQ(PictureFileState::unreachable, ReadPictureFileKey(gone, gone + "\\x.jpg", key));
}

}  // namespace
