#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <thread>

#include "clock/win32_clock.h"
#include "library/win32_picture_cache.h"
#include "library/win32_slideshow.h"
#include "text/win32_wide.h"
#include "win32_gl_fixture.h"
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
    cache.Open();
    const PixelSize monitor = {16, 16};
    for (const char* path : {"P\\a.jpg", "P\\b.jpg"}) {
        cache.Store({path, 1, 2}, Filled({64, 32}, 7), monitor);
        Sleep(30);  // file times order the copies
    }
    DecodedPicture shown;
    EXPECT_FALSE(cache.Load("p\\A.JPG", shown));  // a copy is of its exact path
    ASSERT_TRUE(cache.Load("P\\a.jpg", shown));
    EXPECT_EQ(16, shown.size.width);
    EXPECT_EQ(16, shown.size.height);
    EXPECT_EQ(7, shown.pixels[1023]);
    const CachedFileKey changed = {"P\\a.jpg", 1, 3};
    EXPECT_FALSE(cache.Load("P\\a.jpg", shown, &changed));
    Sleep(30);
    cache.Store({"P\\c.jpg", 1, 2}, Filled({16, 16}, 9), monitor);
    EXPECT_EQ((std::vector<std::string>{"P\\a.jpg", "P\\c.jpg"}), CachedPaths(cache));

    // Cut short, as by a crash mid-write under its final name.
    const std::string entry = scratch.Path() + "Cache\\" + CacheEntryName("P\\c.jpg");
    bool exists = false;
    WriteBytes(entry, ReadBytes(entry, &exists).substr(0, 500));
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
    off.Open();
    EXPECT_TRUE(cache.Entries().empty());
    EXPECT_FALSE(cache.LoadListing("P", true, read));
}

// A cache opened with a lower cap keeps only the most recently shown; a
// store that cannot take the lock (another saver holding it past its bound)
// says so and leaves no copy the index does not hold.
TEST(PictureCacheStore, ALoweredCapEvictsAtOpenAndAStoreWithoutTheLockFails)
{
    ScratchFolder scratch;
    const std::string folder = scratch.Path() + "Cache";
    PictureCache roomy(folder, 1 << 20);
    ASSERT_TRUE(roomy.Open());
    for (const char* path : {"P\\a.jpg", "P\\b.jpg", "P\\c.jpg"}) {
        ASSERT_TRUE(roomy.Store({path, 1, 2}, Filled({16, 16}, 7), {16, 16}));
        Sleep(30);  // file times order the copies
    }
    PictureCache lowered(folder, 1500);
    ASSERT_TRUE(lowered.Open());
    EXPECT_EQ(std::vector<std::string>{"P\\c.jpg"}, CachedPaths(lowered));

    const HANDLE held = CreateFileW(WidePath(folder + "\\cache.lock").c_str(), GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(lowered.Store({"P\\d.jpg", 1, 2}, Filled({16, 16}, 7), {16, 16}));
    (void)CloseHandle(held);
    bool exists = true;
    (void)ReadBytes(folder + "\\" + CacheEntryName("P\\d.jpg"), &exists);
    EXPECT_FALSE(exists);
    EXPECT_EQ(std::vector<std::string>{"P\\c.jpg"}, CachedPaths(lowered));

    // Another reader has the index open for a moment: the drop waits it out
    // instead of losing the change.
    HANDLE reader = CreateFileW(WidePath(folder + "\\cache.vpi").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    std::thread closer([reader] {
        Sleep(50);
        (void)CloseHandle(reader);
    });
    EXPECT_TRUE(lowered.Drop("P\\c.jpg"));
    closer.join();
    EXPECT_TRUE(CachedPaths(lowered).empty());
}

// Two savers storing at once (threads here, each with its own PictureCache,
// as two processes would have): together they never pass the cap.
TEST(PictureCacheStore, TwoStoringAtOnceStayWithinTheCap)
{
    ScratchFolder scratch;
    const std::string folder = scratch.Path() + "Cache";
    const uint64_t cap = 5 * 1100;  // five copies of 16x16
    PictureCache(folder, cap).Open();
    auto store = [&folder, cap](const char* prefix) {
        PictureCache cache(folder, cap);
        for (int i = 0; i < 20; ++i) {
            cache.Store({prefix + std::to_string(i) + ".jpg", 1, 2}, Filled({16, 16}, 7), {16, 16});
        }
    };
    std::thread first(store, "P\\a");
    std::thread second(store, "P\\b");
    first.join();
    second.join();
    uint64_t bytes = 0;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*.vpc").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    do {
        bytes += found.nFileSizeLow;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_LE(bytes, cap);
    EXPECT_GE(bytes, cap - 1100);
}

std::string cacheFolderForTests;

// One run of a slideshow of `folder` until its first picture shows and
// `done` holds (or ten seconds pass, for a busy machine), its threads ended: the picture shown.
template <typename Done>
std::string RunSlideshow(const std::string& folder, const SlideshowFiles& files, Done done,
                         uint32_t slideSeconds = 0)
{
    SlideshowChoice choice;
    choice.folder = folder;
    choice.slideSeconds = slideSeconds;
    choice.cacheMegabytes = 1;
    choice.fillsCache = true;
    Slideshow show;
    show.Start(choice, {64, 64}, files);
    const uint64_t end = PerformanceCounterMicroseconds() + 10000000;
    while ((show.ChangesStarted() == 0 || !done(show)) && PerformanceCounterMicroseconds() < end) {
        show.Advance(PerformanceCounterMicroseconds());
        Sleep(2);
    }
    const std::string shown = show.ShownPicture();
    show.Stop();
    show.JoinThreads();
    return shown;
}

// A folder that answers, then is away (its copy shows), then answers without
// the picture shown first (its copy goes).
TEST(PictureCacheStore, ASlideshowShowsCopiesWhileItsFolderIsAwayAndDropsThoseItNoLongerLists)
{
    HiddenGLContext gl;
    ASSERT_TRUE(gl.Ready());
    ScratchFolder scratch;
    cacheFolderForTests = scratch.Path() + "Cache";
    const PictureCacheFolderLookup systemFolder = pictureCacheFolder;
    pictureCacheFolder = [] { return cacheFolderForTests; };
    const std::string folder = "Z:\\Photos";
    std::vector<FolderEntry> listed = {{"a.jpg"}, {"b.jpg"}};
    bool folderAway = false;
    SlideshowFiles files;
    files.list = [&](const std::string&, const FolderEntryBatch& take) {
        if (!folderAway) {
            take(listed);
        }
        return folderAway ? FolderListing::Failed : FolderListing::Listed;
    };
    files.decode = [&](const std::string&, PixelSize, int, DecodedPicture& picture) {
        picture = Filled({8, 8}, 200);
        return folderAway ? PictureRead::Failed : PictureRead::Decoded;
    };
    const auto firstShown = [](const Slideshow&) { return true; };
    const std::string first = RunSlideshow(folder, files, firstShown);
    ASSERT_FALSE(first.empty());
    folderAway = true;
    EXPECT_EQ(first, RunSlideshow(folder, files, firstShown));

    folderAway = false;
    listed = {{first == "Z:\\Photos\\a.jpg" ? "b.jpg" : "a.jpg"}};
    const PictureCache cache(cacheFolderForTests, 1 << 20);
    const auto copyGone = [&] {
        const std::vector<CacheIndexEntry> entries = cache.Entries();
        return std::none_of(entries.begin(), entries.end(),
                            [&](const CacheIndexEntry& entry) { return entry.key.path == first; });
    };
    (void)RunSlideshow(folder, files, [&](const Slideshow&) { return copyGone(); });
    EXPECT_TRUE(copyGone());

    // The share goes away in the middle of a run, with an empty cache: the
    // copies the run stored stand in (1 s slides; a and b are read from their
    // files, then nothing can be).
    cacheFolderForTests = scratch.Path() + "Cache2";
    listed = {{"a.jpg"}, {"b.jpg"}};
    int decodes = 0;
    files.decode = [&](const std::string&, PixelSize, int, DecodedPicture& picture) {
        picture = Filled({8, 8}, 200);
        return ++decodes <= 2 ? PictureRead::Decoded : PictureRead::Failed;
    };
    int changes = 0;
    const auto thirdChange = [&changes](const Slideshow& show) { return (changes = show.ChangesStarted()) >= 3; };
    (void)RunSlideshow(folder, files, thirdChange, 1);
    EXPECT_GT(decodes, 2);
    EXPECT_GE(changes, 3);
    pictureCacheFolder = systemFolder;
}

}  // namespace
