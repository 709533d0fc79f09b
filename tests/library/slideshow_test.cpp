#include <gtest/gtest.h>

#include <map>
#include <set>

#include "library/picture_table.h"
#include "library/slideshow.h"

namespace {

const uint32_t dir = fileAttributeDirectory;

// A folder tree in memory; "loop" is a link to the root, "deep" nests without end.
FolderListing ListFakeTree(const std::string& folder, const FolderEntryBatch& take)
{
    static const std::map<std::string, std::vector<FolderEntry>> tree = {
        {"P",
         {{".", dir}, {"..", dir}, {"a.jpg"}, {"B.JPG"}, {"notes.txt"}, {"._a.jpg"},
          {"cloud.jpg", fileAttributeRecallOnDataAccess}, {"far.png", fileAttributeOffline},
          {"2025", dir}, {"$RECYCLE.BIN", dir | fileAttributeHidden | fileAttributeSystem},
          {"loop", dir | fileAttributeReparsePoint, reparseTagMountPoint},
          {"Synced", dir | fileAttributeReparsePoint, 0x9000601A}, {"deep", dir}}},
        {"P\\2025", {{"c.png"}, {"d.jpg.txt"}}},
        {"P\\$RECYCLE.BIN", {{"gone.jpg"}}},
        {"P\\loop", {{"a.jpg"}}},
        {"P\\Synced", {{"e.jpeg"}}},
    };
    const auto found = tree.find(folder);
    if (found != tree.end()) {
        return take(found->second) ? FolderListing::Listed : FolderListing::Failed;
    }
    if (folder.rfind("P\\deep", 0) == 0 && take({{"x.jpg"}, {"deep", dir}})) {
        return FolderListing::Listed;
    }
    return FolderListing::NotFound;
}

// Every picture a walk finds, stepping it until nothing is due at `now`.
std::vector<FolderPicture> WalkAll(FolderWalk& walk, const FolderLister& list, uint64_t now = 0)
{
    std::vector<FolderPicture> found;
    auto take = [&found](const std::vector<FolderPicture>& pictures) {
        found.insert(found.end(), pictures.begin(), pictures.end());
    };
    while (walk.Step(list, now, take)) {
    }
    return found;
}

std::vector<FolderPicture> FindFolderPictures(const std::string& root, bool subfolders,
                                              const std::vector<std::string>& extensions,
                                              const FolderWalkLimits& limits = FolderWalkLimits())
{
    FolderWalk walk(root, subfolders, extensions, limits);
    return WalkAll(walk, ListFakeTree);
}

std::set<std::string> Paths(const std::vector<FolderPicture>& pictures, bool deferred)
{
    std::set<std::string> paths;
    for (const FolderPicture& picture : pictures) {
        if (picture.deferred == deferred) {
            paths.insert(picture.path);
        }
    }
    return paths;
}

TEST(FindFolderPictures, PicturesOfTheTreeWithinItsLimits)
{
    using Set = std::set<std::string>;
    const std::vector<std::string> extensions = {".jpg", ".png", ".jpeg"};
    const Set top = {"P\\a.jpg", "P\\B.JPG"};
    const Set deferred = {"P\\._a.jpg", "P\\cloud.jpg", "P\\far.png"};
    const Set below = {"P\\2025\\c.png", "P\\Synced\\e.jpeg", "P\\deep\\x.jpg", "P\\deep\\deep\\x.jpg"};
    struct Case {
        const char* name;
        bool subfolders;
        FolderWalkLimits limits;
        size_t count;
        Set shown;  // a subset of what is found when count limits it
        bool cutShort;
    };
    const Case cases[] = {
        {"top only", false, {}, 5, top, false},
        {"depth 2", true, {2, 100, 100}, 9, below, true},
        {"depth 0", true, {0, 100, 100}, 5, top, true},
        {"one folder", true, {5, 1, 100}, 5, top, true},
        {"three pictures", true, {5, 100, 3}, 3, {}, true},
        {"five pictures", false, {5, 100, 5}, 5, top, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FolderWalk walk("P", c.subfolders, extensions, c.limits);
        const auto found = WalkAll(walk, ListFakeTree);
        EXPECT_EQ(c.count, found.size());
        EXPECT_TRUE(walk.Complete());
        EXPECT_EQ(c.cutShort, walk.CutShort());
        const Set normal = Paths(found, false);
        for (const std::string& path : c.shown) {
            EXPECT_EQ(1u, normal.count(path)) << path;
        }
        if (c.count == 5) {
            EXPECT_EQ(deferred, Paths(found, true));
        }
    }
    // Without limits the endless folder stops at the default depth.
    EXPECT_EQ(12u + 7u, FindFolderPictures("P", true, extensions).size());
    EXPECT_TRUE(FindFolderPictures("Q", true, extensions).empty());
}

TEST(FolderWalk, FoldersThatFailAreTriedAgainLaterWithoutRepeats)
{
    // "S" answers its first listings with two entries and then fails, as a
    // share that stops answering does; "gone" never answers.
    std::map<std::string, int> listings;
    int failingListings = 2;
    auto list = [&](const std::string& folder, const FolderEntryBatch& take) {
        const int listing = ++listings[folder];
        if (folder == "R") {
            take({{"a.jpg"}, {"S", dir}, {"gone", dir}});
            return FolderListing::Listed;
        }
        if (folder == "R\\S") {
            take({{"b.jpg"}, {"T", dir}});
            if (listing <= failingListings) {
                return FolderListing::Failed;
            }
            take({{"c.jpg"}});
            return FolderListing::Listed;
        }
        if (folder == "R\\S\\T") {
            take({{"d.jpg"}});
            return FolderListing::Listed;
        }
        return FolderListing::Failed;
    };
    FolderWalk walk("R", true, {".jpg"});
    std::vector<std::string> found;
    // Each step at its time: what was found by then, and when the walk wants to come back.
    const struct {
        uint64_t now;
        size_t found;
        uint64_t nextRetry;
        bool complete;
    } steps[] = {
        {0, 3, 2000, false},     // b found, then S and "gone" failed
        {1999, 3, 2000, false},  // nothing due
        {2000, 3, 6000, false},  // both fail again: 2 s after the first try, 4 s after the second
        {6000, 4, 14000, false}, // S answers whole, c is new; gone waits 8 s now
        {100000, 4, 100000 + 16000, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.now);
        for (const FolderPicture& picture : WalkAll(walk, list, step.now)) {
            found.push_back(picture.path);
        }
        EXPECT_EQ(step.found, found.size());
        EXPECT_EQ(step.nextRetry, walk.NextRetry());
        EXPECT_EQ(step.complete, walk.Complete());
    }
    EXPECT_EQ((std::vector<std::string>{"R\\a.jpg", "R\\S\\b.jpg", "R\\S\\T\\d.jpg", "R\\S\\c.jpg"}), found);
    EXPECT_EQ(1, listings["R\\S\\T"]);
    EXPECT_EQ(uint64_t{300000}, RetryDelayMilliseconds(30));
}

// A subfolder its parent listed that is denied or gone is final for the
// run, so that the walk completes; the chosen folder itself is tried again
// however it fails. Names differing only in case are one folder, one picture.
TEST(FolderWalk, ADeniedOrVanishedSubfolderLetsTheWalkComplete)
{
    struct Case {
        const char* folder;
        FolderListing outcome;
        bool complete;
    };
    const Case cases[] = {
        {"R\\denied", FolderListing::Denied, true},   {"R\\renamed", FolderListing::NotFound, true},
        {"R\\busy", FolderListing::Failed, false},    {"R", FolderListing::Denied, false},
        {"R", FolderListing::NotFound, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        std::map<std::string, int> listings;
        auto list = [&](const std::string& folder, const FolderEntryBatch& take) {
            ++listings[folder];
            if (folder == c.folder) {
                return c.outcome;
            }
            if (folder == "R") {
                take({{"a.jpg"}, {"A.JPG"}, {"denied", dir}, {"renamed", dir}, {"busy", dir}, {"BUSY", dir}});
            } else {
                take({{"a.jpg"}});
            }
            return FolderListing::Listed;
        };
        FolderWalk walk("R", true, {".jpg"});
        const size_t found = WalkAll(walk, list, 0).size() + WalkAll(walk, list, 10000).size();
        EXPECT_EQ(c.complete, walk.Complete());
        EXPECT_EQ(c.folder == std::string("R") ? 0u : 3u, found);
        EXPECT_EQ(c.complete ? 1 : 2, listings[c.folder]);
        EXPECT_EQ(0, listings["R\\BUSY"]);
    }
}

TEST(FolderWalk, TheFirstPictureDoesNotWaitForTheTopFolder)
{
    // The top folder holds folders only, handed on in two batches; the first
    // picture is found between them.
    std::vector<std::string> events;
    auto list = [&](const std::string& folder, const FolderEntryBatch& take) {
        if (folder == "L") {
            take({{"2024", dir}, {"2025", dir}});
            events.push_back("L, second batch");
            take({{"2026", dir}});
        } else {
            take({{folder.substr(2) + ".jpg"}});
        }
        return FolderListing::Listed;
    };
    FolderWalk walk("L", true, {".jpg"});
    auto found = [&](const std::vector<FolderPicture>& pictures) { events.push_back(pictures.front().path); };
    while (walk.Step(list, 0, found)) {
    }
    EXPECT_EQ((std::vector<std::string>{"L\\2025\\2025.jpg", "L, second batch", "L\\2024\\2024.jpg", "L\\2026\\2026.jpg"}),
              events);
    EXPECT_TRUE(walk.Complete());
}

std::vector<FolderPicture> Named(int count, int deferredCount = 0)
{
    std::vector<FolderPicture> pictures;
    for (int i = 0; i < count + deferredCount; ++i) {
        pictures.push_back({"p" + std::to_string(i), i >= count});
    }
    return pictures;
}

// An order of pictures all found at once.
PictureTable Ordered(const std::vector<FolderPicture>& pictures, const std::string& previous, uint32_t seed)
{
    PictureTable order(previous, seed);
    order.Found(pictures);
    order.WalkState(false, true, false);
    return order;
}

TEST(PictureTable, EveryPictureOnceARoundNeverThePreviousFirst)
{
    for (int count : {1, 2, 3, 7}) {
        for (uint32_t seed = 0; seed < 20; ++seed) {
            SCOPED_TRACE(testing::Message() << count << " pictures, seed " << seed);
            PictureTable order = Ordered(Named(count), "P1", seed);
            std::string last;
            for (int round = 0; round < 3; ++round) {
                std::set<std::string> seen;
                for (int i = 0; i < count; ++i) {
                    const std::string next = order.Next({last}, 0);
                    if (count > 1) {
                        EXPECT_NE(last, next);
                    }
                    if (round == 0 && i == 0 && count > 1) {
                        EXPECT_NE("p1", next);
                    }
                    seen.insert(next);
                    last = next;
                }
                EXPECT_EQ(static_cast<size_t>(count), seen.size());
            }
        }
    }
}

TEST(PictureTable, MonitorsShowDifferentPicturesWhileThereAreEnough)
{
    // Two monitors, each avoiding what both show: distinct as long as the
    // folder has more pictures than are on screen.
    for (int count : {2, 3, 5}) {
        PictureTable order = Ordered(Named(count), "", 7);
        std::vector<std::string> screen = {order.Next({}, 0), ""};
        screen[1] = order.Next({screen[0]}, 0);
        EXPECT_NE(screen[0], screen[1]);
        for (int change = 0; change < 12; ++change) {
            const size_t m = change % 2;
            const std::string next = order.Next({screen[1 - m], screen[m]}, 0);
            if (count > 2) {
                EXPECT_NE(screen[1 - m], next) << count << " pictures, change " << change;
            }
            EXPECT_NE(screen[m], next) << count << " pictures, change " << change;
            screen[m] = next;
        }
    }
}

TEST(PictureTable, FailuresAndDeferredPictures)
{
    PictureTable order = Ordered(Named(2, 2), "", 3);
    std::set<std::string> picked;
    for (int i = 0; i < 8; ++i) {
        picked.insert(order.Next({}, 0));
    }
    EXPECT_EQ((std::set<std::string>{"p0", "p1"}), picked);
    order.Drop("p0");
    EXPECT_EQ("p1", order.Next({}, 0));
    order.Drop("p1");
    picked = {order.Next({}, 0), order.Next({}, 0)};
    EXPECT_EQ((std::set<std::string>{"p2", "p3"}), picked);
    order.Drop("p2");
    order.Drop("p3");
    EXPECT_EQ(0u, order.Count());
    EXPECT_EQ("", order.Next({}, 0));
    EXPECT_EQ("", PictureTable("", 1).Next({}, 0));
}

TEST(PictureTable, PicturesFoundDuringARoundShowInItAndThePreviousNeverFirst)
{
    for (uint32_t seed = 0; seed < 20; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        PictureTable order("P0", seed);
        order.Found({{"p0"}, {"d", true}});
        // Only the previous picture and a deferred one so far: nothing yet.
        EXPECT_EQ("", order.Next({}, 0));
        order.Found({{"p1"}, {"p0"}});
        EXPECT_EQ("p1", order.Next({}, 0));
        order.Found({{"p2"}, {"p3"}});
        std::set<std::string> round = {order.Next({"p1"}, 0), order.Next({}, 0)};
        EXPECT_EQ((std::set<std::string>{"p2", "p3"}), round);
        // The first round ends with the previous picture; one found during
        // the second still shows in it, before any shows again.
        EXPECT_EQ("p0", order.Next({}, 0));
        round = {order.Next({"p0"}, 0)};
        order.Found({{"p4"}});
        for (int i = 0; i < 4; ++i) {
            round.insert(order.Next({}, 0));
        }
        EXPECT_EQ((std::set<std::string>{"p0", "p1", "p2", "p3", "p4"}), round);
    }
    // Alone, the previous picture and the deferred ones come once nothing else can.
    PictureTable alone("p0", 1);
    alone.Found({{"p0"}});
    EXPECT_EQ("", alone.Next({}, 0));
    alone.WalkState(false, true, false);
    EXPECT_EQ("p0", alone.Next({}, 0));
    PictureTable deferredOnly("", 1);
    deferredOnly.Found({{"d", true}});
    EXPECT_EQ("", deferredOnly.Next({}, 0));
    deferredOnly.WalkState(false, true, false);
    EXPECT_EQ("d", deferredOnly.Next({}, 0));
}

TEST(PictureTable, SkippedPicturesComeBackAfterAGrowingDelay)
{
    PictureTable order = Ordered(Named(2), "", 5);
    const std::string skipped = order.Next({}, 0);
    const std::string other = skipped == "p0" ? "p1" : "p0";
    order.Skip(skipped, 1000);
    EXPECT_EQ(uint64_t{3000}, order.NextRetry());
    EXPECT_EQ(other, order.Next({}, 1000));
    // Until its delay has passed only the one on screen is left.
    EXPECT_EQ(other, order.Next({other}, 2999));
    EXPECT_EQ(skipped, order.Next({other}, 3000));
    order.Skip(skipped, 3000);
    EXPECT_EQ(uint64_t{7000}, order.NextRetry());
    EXPECT_EQ(other, order.Next({}, 6999));
    EXPECT_EQ(skipped, order.Next({}, 7000));
}

// A dropped picture, or one a whole listing no longer holds, leaves the run
// wherever it stood (this round, held for its end, failing), unless the walk
// finds it again. Paths are one picture whatever their case.
TEST(PictureTable, WhatIsGoneNeverComesBack)
{
    for (uint32_t seed = 0; seed < 50; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        PictureTable table("p4", seed);
        table.Cached({{"P0"}, {"cached only"}});
        table.Found({{"p0"}, {"p1"}, {"p2"}, {"p3"}, {"p4"}});
        table.WalkState(false, true, true);
        const std::string first = table.Next({}, 0);
        table.Skip("p1", 0);
        for (const std::string& gone : {first, std::string("P1"), std::string("p4")}) {
            table.Drop(gone);
        }
        std::set<std::string> later;
        for (int i = 0; i < 20; ++i) {
            later.insert(PathKey(table.Next({}, 100000)));
        }
        for (const std::string& gone : {first, std::string("p1"), std::string("p4"), std::string("cached only")}) {
            EXPECT_EQ(0u, later.count(gone)) << gone;
        }
        EXPECT_EQ(5u - later.size(), first == "p4" || first == "p1" ? 2u : 3u);
        table.Found({{"P4"}});
        const std::set<std::string> again = {table.Next({}, 0), table.Next({}, 0), table.Next({}, 0)};
        EXPECT_EQ(1u, again.count("P4"));
    }
}

// Where a picture is read from, as the walk and the cache have told the table.
TEST(PictureTable, TheFileOrItsCopy)
{
    struct Case {
        const char* name;
        std::vector<FolderPicture> copies, listed;
        bool walkEnded;
        std::string copyPath;
        bool copyFirst, keyed;
    };
    const FolderPicture listedA = {"\\\\server\\pics\\a.jpg", false, 10, 20};
    const Case cases[] = {
        {"offline start", {{"\\\\SERVER\\Pics\\a.jpg"}}, {}, false, "\\\\SERVER\\Pics\\a.jpg", true, false},
        {"folder answered", {{"\\\\SERVER\\Pics\\a.jpg"}}, {listedA}, false, "\\\\SERVER\\Pics\\a.jpg", false, true},
        {"walk ended empty", {{"\\\\SERVER\\Pics\\a.jpg"}}, {}, true, "\\\\SERVER\\Pics\\a.jpg", false, false},
        {"no copy", {}, {listedA}, false, "", false, true},
        {"exact copy", {{"\\\\server\\pics\\A.jpg"}, {listedA.path}}, {listedA}, false, listedA.path, false, true},
        {"two in other cases", {{"\\\\server\\pics\\A.jpg"}, {"\\\\server\\pics\\A.JPG"}}, {listedA}, false, "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PictureTable table("", 1);
        table.Cached(c.copies);
        table.Found(c.listed);
        table.WalkState(!c.walkEnded, c.walkEnded, false);
        const CopyUse use = table.CopyOf("\\\\Server\\Pics\\A.JPG");
        EXPECT_EQ(c.copyPath, use.copyPath);
        EXPECT_EQ(c.copyFirst, use.copyFirst);
        EXPECT_EQ(!c.copyPath.empty(), use.fallback);
        EXPECT_EQ(c.keyed, use.keyed);
        if (c.keyed) {
            EXPECT_EQ(listedA.path, use.key.path);
            EXPECT_EQ(20u, use.key.modified);
        }
        EXPECT_EQ(1u, table.Count());
    }
    PictureTable stored("", 1);
    stored.Found({listedA});
    stored.Decoded(listedA.path, PictureShape::Landscape, listedA.path);
    EXPECT_EQ(listedA.path, stored.CopyOf(listedA.path).copyPath);
    EXPECT_EQ(std::vector<std::string>{listedA.path}, stored.Drop(listedA.path));
}

// Portrait pictures go to a portrait monitor and landscape ones to a
// landscape one while the folder has one off screen; otherwise any.
TEST(PictureTable, PicturesMatchTheirMonitor)
{
    const PictureShape portrait = PictureShape::Portrait;
    const PictureShape landscape = PictureShape::Landscape;
    struct Case {
        int portraits, landscapes;
        int portraitMismatches, landscapeMismatches;  // of 12 picks each
    };
    const Case cases[] = {{3, 5, 0, 0}, {0, 4, 12, 0}, {1, 4, 6, 0}, {4, 0, 0, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.portraits << " portrait, " << c.landscapes << " landscape");
        PictureTable table("", 3);
        std::vector<FolderPicture> copies;
        for (int i = 0; i < c.portraits + c.landscapes; ++i) {
            copies.push_back({"p" + std::to_string(i), false, 0, 0, i < c.portraits ? portrait : landscape});
        }
        table.Cached(copies);
        table.WalkState(false, true, false);
        // Two monitors, portrait then landscape, each avoiding both screens.
        std::vector<std::string> screen = {"", ""};
        int mismatches[2] = {0, 0};
        std::map<std::string, int> portraitShown;
        for (int pick = 0; pick < 24; ++pick) {
            const size_t m = pick % 2;
            const std::string next = table.Next({screen[1 - m], screen[m]}, 0, m == 0 ? portrait : landscape);
            ASSERT_FALSE(next.empty());
            const bool isPortrait = std::stoi(next.substr(1)) < c.portraits;
            mismatches[m] += isPortrait != (m == 0);
            if (m == 0 && isPortrait) {
                ++portraitShown[next];
            }
            screen[m] = next;
        }
        EXPECT_EQ(c.portraitMismatches, mismatches[0]);
        EXPECT_EQ(c.landscapeMismatches, mismatches[1]);
        // Each portrait once before any comes again: 12 picks over 3.
        if (c.portraits == 3) {
            EXPECT_EQ(3u, portraitShown.size());
            for (const auto& shown : portraitShown) {
                EXPECT_EQ(4, shown.second) << shown.first;
            }
        }
    }
    using Shapes = std::vector<PictureShape>;
    EXPECT_EQ((Shapes{portrait, landscape}), PictureShapesWanted({portrait, landscape}));
    EXPECT_EQ((Shapes(2, PictureShape::Unknown)), PictureShapesWanted({landscape, landscape}));
    EXPECT_EQ(landscape, ShapeOfSize(600, 600));
    EXPECT_EQ(portrait, ShapeOfSize(599, 600));
}

TEST(SlideTimeline, ChangesOnTimeOrWhenReady)
{
    struct Step {
        uint64_t now;
        bool due;
        bool start;  // the next picture is ready and starts
        float fade;
    };
    struct Case {
        uint32_t slideMs;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {5000, {{0, true, false, 1.0f}, {100, true, true, 0.0f}, {850, false, false, 0.5f},
                {1600, false, false, 1.0f}, {5099, false, false, 1.0f}, {5100, true, false, 1.0f},
                {7000, true, true, 0.0f}, {7300, false, false, 0.2f}, {12000, true, false, 1.0f}}},
        {0, {{10, true, true, 0.0f}, {1510, false, false, 1.0f}, {999999, false, false, 1.0f}}},
    };
    for (const Case& c : cases) {
        SlideTimeline timeline(c.slideMs);
        for (const Step& step : c.steps) {
            SCOPED_TRACE(testing::Message() << c.slideMs << " ms slides at " << step.now);
            EXPECT_EQ(step.due, timeline.ChangeDue(step.now));
            if (step.start) {
                timeline.StartChange(step.now);
            }
            EXPECT_FLOAT_EQ(step.fade, timeline.Fade(step.now));
        }
    }
}

TEST(UploadPacer, UploadsWhatTheFramesCanSpare)
{
    // Frames 16 ms apart; each uploads what it may at 1 byte a nanosecond.
    // On time they may upload more each frame; a late one cuts it back.
    const size_t row = 4096;
    UploadPacer pacer;
    uint64_t now = 0;
    int rows = 0;
    auto frame = [&](uint64_t interval) {
        now += interval;
        pacer.FrameStarted(now);
        rows = pacer.Rows(row, 100000);
        pacer.Uploaded(row * rows, row * rows / 1000);
        return rows;
    };
    frame(16000);
    const int first = frame(16000);
    for (int i = 0; i < 20; ++i) {
        frame(16000);
    }
    const int onTime = rows;
    EXPECT_GT(onTime, first);
    // Never more than half a frame: 8 MB at 1 byte a nanosecond.
    EXPECT_LE(onTime * row, size_t{8000} * 1000);
    EXPECT_LT(frame(25000), onTime);
    EXPECT_LT(frame(25000), onTime / 2);
    // However slow, one row a frame; never more than is left.
    EXPECT_EQ(1, pacer.Rows(size_t{1} << 30, 10));
    EXPECT_EQ(3, pacer.Rows(row, 3));
}

}  // namespace
