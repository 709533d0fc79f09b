#include <gtest/gtest.h>

#include <map>
#include <set>

#include "picture/slideshow.h"

namespace {

const uint32_t dir = fileAttributeDirectory;

// A folder tree in memory; "loop" is a link to the root, "deep" nests without end.
bool ListFakeTree(const std::string& folder, std::vector<FolderEntry>& entries)
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
        entries = found->second;
        return true;
    }
    if (folder.rfind("P\\deep", 0) == 0) {
        entries = {{"x.jpg"}, {"deep", dir}};
        return true;
    }
    return false;
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
    };
    const Case cases[] = {
        {"top only", false, {}, 5, top},
        {"depth 2", true, {2, 100, 100}, 9, below},
        {"depth 0", true, {0, 100, 100}, 5, top},
        {"one folder", true, {5, 1, 100}, 5, top},
        {"three pictures", true, {5, 100, 3}, 3, {}},
    };
    std::atomic<bool> stop{false};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = FindFolderPictures("P", c.subfolders, extensions, ListFakeTree, stop, c.limits);
        EXPECT_EQ(c.count, found.size());
        const Set normal = Paths(found, false);
        for (const std::string& path : c.shown) {
            EXPECT_EQ(1u, normal.count(path)) << path;
        }
        if (c.count == 5) {
            EXPECT_EQ(deferred, Paths(found, true));
        }
    }
    // Without limits the endless folder stops at the default depth.
    EXPECT_EQ(12u + 7u, FindFolderPictures("P", true, extensions, ListFakeTree, stop).size());
    EXPECT_TRUE(FindFolderPictures("Q", true, extensions, ListFakeTree, stop).empty());
    stop = true;
    EXPECT_TRUE(FindFolderPictures("P", true, extensions, ListFakeTree, stop).empty());
}

std::vector<FolderPicture> Named(int count, int deferredCount = 0)
{
    std::vector<FolderPicture> pictures;
    for (int i = 0; i < count + deferredCount; ++i) {
        pictures.push_back({"p" + std::to_string(i), i >= count});
    }
    return pictures;
}

TEST(SlideOrder, EveryPictureOnceARoundNeverThePreviousFirst)
{
    for (int count : {1, 2, 3, 7}) {
        for (uint32_t seed = 0; seed < 20; ++seed) {
            SCOPED_TRACE(testing::Message() << count << " pictures, seed " << seed);
            SlideOrder order(Named(count), "P1", seed);
            std::string last;
            for (int round = 0; round < 3; ++round) {
                std::set<std::string> seen;
                for (int i = 0; i < count; ++i) {
                    const std::string next = order.Next({last});
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

TEST(SlideOrder, MonitorsShowDifferentPicturesWhileThereAreEnough)
{
    // Two monitors, each avoiding what both show: distinct as long as the
    // folder has more pictures than are on screen.
    for (int count : {2, 3, 5}) {
        SlideOrder order(Named(count), "", 7);
        std::vector<std::string> screen = {order.Next({}), ""};
        screen[1] = order.Next({screen[0]});
        EXPECT_NE(screen[0], screen[1]);
        for (int change = 0; change < 12; ++change) {
            const size_t m = change % 2;
            const std::string next = order.Next({screen[1 - m], screen[m]});
            if (count > 2) {
                EXPECT_NE(screen[1 - m], next) << count << " pictures, change " << change;
            }
            EXPECT_NE(screen[m], next) << count << " pictures, change " << change;
            screen[m] = next;
        }
    }
}

TEST(SlideOrder, FailuresAndDeferredPictures)
{
    SlideOrder order(Named(2, 2), "", 3);
    std::set<std::string> picked;
    for (int i = 0; i < 8; ++i) {
        picked.insert(order.Next({}));
    }
    EXPECT_EQ((std::set<std::string>{"p0", "p1"}), picked);
    order.Drop("p0");
    EXPECT_EQ("p1", order.Next({}));
    order.Drop("p1");
    picked = {order.Next({}), order.Next({})};
    EXPECT_EQ((std::set<std::string>{"p2", "p3"}), picked);
    order.Drop("p2");
    order.Drop("p3");
    EXPECT_EQ(0u, order.Available());
    EXPECT_EQ("", order.Next({}));
    EXPECT_EQ("", SlideOrder({}, "", 1).Next({}));
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

}  // namespace
