#include <gtest/gtest.h>

#include <objbase.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "clock/win32_clock.h"
#include "library/win32_caption.h"
#include "library/win32_slideshow.h"
#include "picture/exif_bytes.h"
#include "picture/picture_test_data.h"
#include "picture/picture_test_files.h"
#include "text/win32_wide.h"
#include "win32_gl_fixture.h"
#include "win32_scratch_folder.h"

// Allocation failures on a thread a test chooses: with failAllocation at N,
// its Nth allocation from the moment it is marked throws.
static std::atomic<int> failAllocation{0};
static std::atomic<int> allocationsFailed{0};
static thread_local bool failingThread = false;
static thread_local int allocations = 0;

void* operator new(std::size_t size)
{
    const int failAt = failAllocation.load();
    if (failAt > 0 && failingThread && ++allocations == failAt) {
        ++allocationsFailed;
        throw std::bad_alloc();
    }
    void* memory = std::malloc(size > 0 ? size : 1);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

namespace {

// Shows frames until `done` or two seconds have passed.
template <typename Done>
void RunFrames(Slideshow& show, Done done, uint64_t budgetMicroseconds = 2000000)
{
    const uint64_t end = PerformanceCounterMicroseconds() + budgetMicroseconds;
    while (!done() && PerformanceCounterMicroseconds() < end) {
        show.Advance(PerformanceCounterMicroseconds());
        Sleep(2);
    }
}

TEST(Win32Slideshow, PicturesAreDecodedInTheMultithreadedApartment)
{
    HiddenGLContext gl;
    ASSERT_TRUE(gl.Ready());
    ScratchFolder folder;
    const std::string file = folder.Write("quadrants.bmp", picture_test::MakeBmpFile(32, 32, picture_test::QuadrantColour));
    SlideshowFiles files = DiskSlideshowFiles();
    APTTYPE apartment = APTTYPE_CURRENT;
    auto decode = files.decode;
    files.decode = [&apartment, decode](const std::string& path, PixelSize monitor, int side, DecodedPicture& picture) {
        APTTYPEQUALIFIER qualifier;
        (void)CoGetApartmentType(&apartment, &qualifier);
        return decode(path, monitor, side, picture);
    };
    Slideshow show;
    SlideshowChoice choice;
    choice.folder = folder.Path();
    show.Start(choice, {64, 64}, files);
    RunFrames(show, [&] { return !show.ShownPicture().empty(); });
    EXPECT_EQ(file, show.ShownPicture());
    EXPECT_EQ(APTTYPE_MTA, apartment);
}

// Windows' preview starts its slideshow before OpenGL and waits for the first
// picture: it is decoded for a side every context takes, the wait ends when
// it comes (or at its bound, while a decode takes longer), and the first
// frames with a context show black, then the picture.
TEST(Win32Slideshow, StartsBeforeTheRenderingContext)
{
    for (const DWORD decodeMs : {0, 400}) {
        std::atomic<int> side{0};
        SlideshowFiles files;
        files.decode = [&side, decodeMs](const std::string&, PixelSize, int maxSide, DecodedPicture& picture) {
            side = maxSide;
            Sleep(decodeMs);
            picture.size = picture.upright = {2, 2};
            picture.pixels.reset(new uint8_t[16]());
            return PictureRead::Decoded;
        };
        ASSERT_EQ(nullptr, wglGetCurrentContext());
        Slideshow show;
        SlideshowChoice choice;
        choice.file = "C:\\photo.jpg";
        show.Start(choice, {152, 112}, files);
        EXPECT_EQ(decodeMs == 0, show.AwaitFirstPictures(decodeMs == 0 ? 5000 : 50)) << decodeMs;
        HiddenGLContext gl;
        ASSERT_TRUE(gl.Ready());
        show.Advance(PerformanceCounterMicroseconds());
        ShownPictures shown;
        show.ShowOn(0, shown);
        EXPECT_NE(0u, shown.texture) << "black before the picture";
        RunFrames(show, [&] { return !show.ShownPicture().empty(); });
        EXPECT_EQ("C:\\photo.jpg", show.ShownPicture()) << decodeMs;
        EXPECT_EQ(1024, side.load());
        show.Stop();
    }
}

// A file whose folder was renamed or deleted is gone (its folder's parent
// answers); one on a drive that is away is not, it may come back. A folder
// renamed since its parent listed it is not found.
TEST(Win32Slideshow, AFileIsGoneOnceAFolderAboveItAnswers)
{
    ScratchFolder folder;
    const std::string sub = folder.MakeFolder("2024-06");
    const std::string file = folder.Write("2024-06\\a.bmp", picture_test::MakeBmpFile(8, 8, picture_test::QuadrantColour));
    ASSERT_NE(FALSE, MoveFileW(WidePath(sub).c_str(), WidePath(sub + " Holiday").c_str()));
    const SlideshowFiles files = DiskSlideshowFiles();
    DecodedPicture picture;
    EXPECT_EQ(PictureRead::Gone, files.decode(file, {64, 64}, 1024, picture));
    EXPECT_EQ(PictureRead::Gone, files.decode(folder.Path() + "never.bmp", {64, 64}, 1024, picture));
    EXPECT_EQ(PictureRead::Failed, files.decode("Q:\\Photos\\2024\\a.bmp", {64, 64}, 1024, picture));
    EXPECT_EQ(PictureRead::Decoded, files.decode(sub + " Holiday\\a.bmp", {64, 64}, 1024, picture));
    EXPECT_EQ(8, picture.upright.width);
    const auto take = [](const std::vector<FolderEntry>&) { return true; };
    EXPECT_EQ(FolderListing::NotFound, files.list(sub, take));
    EXPECT_EQ(FolderListing::Listed, files.list(sub + " Holiday", take));
}

// A listing that never returns (a share that stopped answering, past what
// cancelling its I/O can reach) keeps neither Stop nor JoinThreads waiting
// past its bound.
TEST(Win32Slideshow, JoinThreadsLeavesABlockedThreadBehind)
{
    HiddenGLContext gl;
    ASSERT_TRUE(gl.Ready());
    // Static: the thread left behind uses them after the test has returned.
    static const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    static std::atomic<int> listings{0};
    static std::atomic<bool> listingReturned{false};
    SlideshowFiles files;
    files.list = [](const std::string&, const FolderEntryBatch&) {
        ++listings;
        (void)WaitForSingleObject(release, 20000);
        listingReturned = true;
        return FolderListing::Failed;
    };
    files.decode = [](const std::string&, PixelSize, int, DecodedPicture&) { return PictureRead::Failed; };
    SlideshowChoice choice;
    choice.folder = "Z:\\stalled share";
    Slideshow show;
    show.Start(choice, {64, 64}, files);
    RunFrames(show, [] { return listings > 0; });
    ASSERT_EQ(1, listings.load());
    show.Stop();
    show.JoinThreads();
    EXPECT_FALSE(listingReturned.load());
    (void)SetEvent(release);
}

// Whichever allocation of the slideshow's threads fails, they end without
// keeping the lock, so that stopping the show never waits for ever.
TEST(Win32Slideshow, StopsWhateverAllocationFails)
{
    HiddenGLContext gl;
    ASSERT_TRUE(gl.Ready());
    // The walk's thread, or the decoding one, is marked on its first call.
    bool failWalk = false;
    SlideshowFiles files;
    const std::string root = "Z:\\a folder with a name too long for any short string";
    files.list = [&](const std::string& folder, const FolderEntryBatch& take) {
        failingThread = failingThread || failWalk;
        take(folder == root ? std::vector<FolderEntry>{{"first picture.bmp"}, {"sub", fileAttributeDirectory}}
                            : std::vector<FolderEntry>{{"second picture.bmp"}});
        return FolderListing::Listed;
    };
    files.decode = [&](const std::string&, PixelSize, int, DecodedPicture& picture) {
        failingThread = failingThread || !failWalk;
        picture.pixels.reset(new uint8_t[4 * 4 * 4]());
        picture.size = {4, 4};
        return PictureRead::Decoded;
    };
    SlideshowChoice choice;
    choice.folder = root;
    choice.slideSeconds = 5;
    for (const bool walk : {false, true}) {
        failWalk = walk;
        // Until a run in which no allocation failed: every one has been tried.
        int failAt = 1;
        for (; failAt < 500; ++failAt) {
            SCOPED_TRACE(testing::Message() << (walk ? "walk" : "decoding") << ", allocation " << failAt);
            allocationsFailed = 0;
            failAllocation = failAt;
            auto* show = new Slideshow();
            show->Start(choice, {64, 64}, files);
            RunFrames(*show, [&] { return show->ChangesStarted() > 0 || allocationsFailed > 0; });
            Sleep(20);
            failAllocation = 0;
            const HANDLE stopping = CreateThread(
                nullptr, 0,
                [](LPVOID parameter) -> DWORD {
                    delete static_cast<Slideshow*>(parameter);
                    return 0;
                },
                show, 0, nullptr);
            ASSERT_NE(nullptr, stopping);
            const bool stopped = WaitForSingleObject(stopping, 5000) == WAIT_OBJECT_0;
            (void)CloseHandle(stopping);
            // A slideshow that never stops is left behind.
            ASSERT_TRUE(stopped) << "the allocation that failed left the lock held";
            if (allocationsFailed == 0) {
                break;
            }
        }
        EXPECT_LT(failAt, 500);
    }
}

// A photo with EXIF in a subfolder of the folder, and a bitmap without it
// chosen alone: each caption comes with its picture, its date from the
// EXIF or the file.
TEST(Win32Slideshow, EachPictureBringsItsCaption)
{
    using namespace exif_bytes;
    HiddenGLContext gl;
    ASSERT_TRUE(gl.Ready());
    ScratchFolder folder;
    (void)folder.MakeFolder("Holidays");
    (void)folder.MakeFolder("Holidays\\Crete");
    Bytes photo = picture_test::TestResource(IDR_QUADRANTS_JPEG);
    const Bytes tiff = Tiff(false, {}, {Ascii(0x9003, "2019:08:12 10:00:00")},
                            {Ascii(1, "S"), {2, 5, {3385, 100, 0, 1, 0, 1}}, Ascii(3, "W"), {4, 5, {70, 1, 39, 1, 0, 1}}});
    const Bytes app1 = Jpeg(tiff);  // SOI, APP0, APP1, scan: the APP1 goes in after the photo's SOI
    photo.insert(photo.begin() + 2, app1.begin() + 11, app1.end() - 6);
    (void)folder.Write("Holidays\\Crete\\photo.jpg", photo);
    ScratchFolder elsewhere;
    const std::string lake = elsewhere.Write("Lake.bmp", picture_test::MakeBmpFile(8, 8, picture_test::QuadrantColour));
    const HANDLE file = CreateFileA(lake.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const SYSTEMTIME june = {2015, 6, 0, 1, 12, 0, 0, 0};
    FILETIME written = {};
    ASSERT_TRUE(SystemTimeToFileTime(&june, &written));
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    (void)CloseHandle(file);
    const LongDateWriter userLongDate = longDateWriter;
    longDateWriter = [](const CalendarDate& d) { return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day); };

    // The caption of the first picture a choice shows.
    const auto captionOf = [](const SlideshowChoice& choice) {
        Slideshow show;
        show.Start(choice, {64, 64}, DiskSlideshowFiles());
        ShownPictures shown;
        const auto caption = [&] { return shown.incomingCaption.empty() ? shown.caption : shown.incomingCaption; };
        // A walk and a decode through WIC: a busy machine takes seconds.
        RunFrames(show, [&] { show.ShowOn(0, shown); return !caption().empty(); }, 10000000);
        return caption();
    };
    SlideshowChoice inFolder;
    inFolder.folder = folder.Path();
    SlideshowChoice oneFile;
    oneFile.file = lake;
    const std::string crete = captionOf(inFolder);
    const std::string lakeCaption = captionOf(oneFile);
    longDateWriter = userLongDate;
    EXPECT_EQ("Holidays\\Crete\n2019-8-12   33.9\xC2\xB0 S, 70.7\xC2\xB0 W", crete);
    EXPECT_EQ("Lake\n2015-6-1", lakeCaption);
}

}  // namespace
