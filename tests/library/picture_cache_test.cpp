#include <gtest/gtest.h>

#include "library/picture_cache.h"

namespace {

const uint8_t pixels[16] = {10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255, 100, 110, 120, 0};

TEST(PictureCache, AnEntryReadsBackAndAnyDamagedOrCutByteRejectsIt)
{
    const CachedFileKey key = {"\\\\server\\Photos\\Beach.jpg", 123456, 0x01DB0000ABCDEF01};
    const std::string bytes = EncodeCacheEntry(key, {3000, 4000}, {2, 2}, pixels);
    CacheEntryHeader header;
    std::vector<uint8_t> read;
    ASSERT_TRUE(ParseCacheEntry(bytes, header, read));
    EXPECT_EQ(std::vector<uint8_t>(pixels, pixels + 16), read);
    EXPECT_EQ(key.path, header.key.path);
    EXPECT_EQ(PictureShape::Portrait, header.shape);
    EXPECT_EQ(3000, header.upright.width);
    EXPECT_EQ(4000, header.upright.height);
    EXPECT_TRUE(CacheEntryFresh(header.key, 123456, 0x01DB0000ABCDEF01));
    EXPECT_FALSE(CacheEntryFresh(header.key, 123457, 0x01DB0000ABCDEF01));
    EXPECT_FALSE(CacheEntryFresh(header.key, 123456, 0x01DB0000ABCDEF02));
    ASSERT_TRUE(ParseCacheEntryHeader(bytes.substr(0, cacheEntryHeaderLimit), bytes.size(), header));
    EXPECT_EQ(bytes.size(), header.entryBytes);
    EXPECT_FALSE(ParseCacheEntryHeader(bytes, bytes.size() - 1, header));

    for (size_t i = 0; i < bytes.size(); ++i) {
        SCOPED_TRACE(i);
        std::string damaged = bytes;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x40);
        EXPECT_FALSE(ParseCacheEntry(damaged, header, read));
        EXPECT_TRUE(read.empty());
        EXPECT_FALSE(ParseCacheEntry(bytes.substr(0, i), header, read));
    }
    EXPECT_FALSE(ParseCacheEntry(bytes + '\0', header, read));
    EXPECT_TRUE(EncodeCacheEntry(key, {0, 0}, {0, 2}, pixels).empty());
}

TEST(PictureCache, AListingOrIndexReadsBackOnlyWhole)
{
    const std::vector<CacheIndexEntry> index = {
        {"0123456789abcdef.vpc", {"P\\a.jpg", 7, 8}, 100, 9, PictureShape::Landscape}, {"x.vpl", {}, 5, 1}};
    const std::string indexBytes = EncodeCacheIndex(index);
    std::vector<CacheIndexEntry> readIndex;
    ASSERT_TRUE(ParseCacheIndex(indexBytes, readIndex));
    ASSERT_EQ(2u, readIndex.size());
    EXPECT_EQ("P\\a.jpg", readIndex[0].key.path);
    EXPECT_EQ(8u, readIndex[0].key.modified);
    EXPECT_EQ(9u, readIndex[0].lastShown);
    EXPECT_EQ(PictureShape::Landscape, readIndex[0].shape);
    for (size_t i = 0; i < indexBytes.size(); ++i) {
        std::string damaged = indexBytes;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x01);
        EXPECT_FALSE(ParseCacheIndex(damaged, readIndex)) << i;
        EXPECT_FALSE(ParseCacheIndex(indexBytes.substr(0, i), readIndex)) << i;
    }

    const std::vector<FolderPicture> listing = {{"P\\a.jpg", false}, {"P\\2025\\._b.jpg", true}};
    const std::string bytes = EncodeCacheListing("P", true, listing);
    std::vector<FolderPicture> read;
    ASSERT_TRUE(ParseCacheListing(bytes, "p", true, read));
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ("P\\2025\\._b.jpg", read[1].path);
    EXPECT_TRUE(read[1].deferred);
    EXPECT_FALSE(ParseCacheListing(bytes, "P", false, read));
    EXPECT_FALSE(ParseCacheListing(bytes, "Q", true, read));
    for (size_t i = 0; i < bytes.size(); ++i) {
        SCOPED_TRACE(i);
        std::string damaged = bytes;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x01);
        EXPECT_FALSE(ParseCacheListing(damaged, "P", true, read));
        EXPECT_FALSE(ParseCacheListing(bytes.substr(0, i), "P", true, read));
    }
}

// A copy is of its exact path (two files of a case-sensitive folder may
// differ only in case); a folder's listing is one for any case.
TEST(PictureCache, NamesAreHashesOfTheExactPathListingsOfTheFolderInAnyCase)
{
    const std::string name = CacheEntryName("C:\\Users\\Ann\\Pictures\\x.jpg");
    EXPECT_NE(name, CacheEntryName("C:\\Users\\Ann\\Pictures\\X.jpg"));
    EXPECT_EQ(CacheListingName("\\\\SERVER\\Pics", true), CacheListingName("\\\\server\\pics", true));
    EXPECT_NE(name, CacheEntryName("C:\\Users\\Ann\\Pictures\\y.jpg"));
    EXPECT_EQ(std::string::npos, name.find("Ann"));
    EXPECT_TRUE(IsCacheEntryName(name));
    EXPECT_FALSE(IsCacheEntryName(CacheListingName("C:\\Users\\Ann\\Pictures", true)));
    EXPECT_NE(CacheListingName("P", true), CacheListingName("P", false));
    EXPECT_FALSE(IsCacheEntryName("desktop.ini"));
}

TEST(PictureCache, EvictsTheLeastRecentlyShownUntilTheNewCopyFits)
{
    const std::string listing = CacheListingName("P", true);
    const std::vector<CacheIndexEntry> entries = {
        {"a.vpc", {"A"}, 40, 3}, {listing, {}, 10, 0}, {"b.vpc", {"B"}, 40, 1}, {"c.vpc", {"C"}, 40, 2}};
    struct Case {
        uint64_t cap;
        uint64_t incoming;
        std::vector<std::string> evicted;
    };
    const Case cases[] = {
        {200, 40, {}}, {170, 40, {}}, {169, 40, {"b.vpc"}}, {110, 30, {"b.vpc", "c.vpc"}},
        {100, 100, {"b.vpc", "c.vpc", "a.vpc", listing}}, {100, 101, {}}, {0, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cap << " " << c.incoming);
        EXPECT_EQ(c.evicted, EntriesToEvict(entries, c.cap, c.incoming));
    }
}

TEST(PictureCache, ACompleteListingDropsOnlyItsOwnFolder)
{
    const std::vector<CacheIndexEntry> entries = {
        {"a", {"P\\a.jpg"}}, {"b", {"p\\B.jpg"}}, {"s", {"P\\sub\\s.jpg"}}, {"q", {"Q\\q.jpg"}}, {"pp", {"PP\\x.jpg"}}};
    const std::vector<FolderPicture> listing = {{"P\\A.JPG"}};
    EXPECT_EQ((std::vector<std::string>{"b", "s"}), EntriesNotListed(entries, "P", true, listing));
    EXPECT_EQ((std::vector<std::string>{"b"}), EntriesNotListed(entries, "p\\", false, listing));
    EXPECT_EQ(1u, CachedFolderPictures(entries, "P", true, &listing).size());
    EXPECT_EQ(3u, CachedFolderPictures(entries, "P", true, nullptr).size());
    EXPECT_EQ(2u, CachedFolderPictures(entries, "P", false, nullptr).size());
}

TEST(PictureCache, CopiesHalveEachSideUntilItFitsTheLargestMonitor)
{
    struct Case {
        PixelSize picture, monitor, copy;
    };
    const Case cases[] = {
        {{1024, 1024}, {1024, 768}, {1024, 512}}, {{2048, 2048}, {1920, 1080}, {1024, 1024}},
        {{512, 256}, {1920, 1080}, {512, 256}},   {{4096, 1}, {1000, 0}, {512, 1}},
    };
    for (const Case& c : cases) {
        const PixelSize copy = CacheCopySize(c.picture, c.monitor);
        EXPECT_EQ(c.copy.width, copy.width);
        EXPECT_EQ(c.copy.height, copy.height);
    }
    // Two by two down to one: the mean, rounded.
    EXPECT_EQ((std::vector<uint8_t>{55, 65, 75, 191}), DownsizePixels(pixels, {2, 2}, {1, 1}));
    EXPECT_EQ((std::vector<uint8_t>{25, 35, 45, 255, 85, 95, 105, 128}), DownsizePixels(pixels, {2, 2}, {1, 2}));
}

}  // namespace
