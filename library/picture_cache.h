#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture/picture_math.h"
#include "library/slideshow.h"

// The picture cache's rules: what its files hold and how they are checked,
// which copies stay, and when a copy no longer stands for its file. Reading
// and writing the files is in win32_picture_cache.h.
//
// The cache is a folder of the user's own with one file per picture shown (a
// downsized copy of its decoded pixels) and one per folder listed (the last
// complete listing). File names are hashes, so a file name tells nothing of
// the pictures; each file checks itself, so a damaged or half-written one is
// simply not used, and deleting any of them, or all, is always safe.

// A picture file as it was when its copy was made: a copy stands for the file
// only while both its size and its modification time are the same.
struct CachedFileKey {
    std::string path;       // UTF-8, as the walk found it
    uint64_t fileSize = 0;
    uint64_t modified = 0;  // the file system's last-write time
};

// The name of a picture's copy in the cache folder: of its exact path, so
// that the two files of a case-sensitive folder that differ only in case
// never share a copy. (Which copy serves a picture whose path the walk gives
// in another case is the picture table's rule, picture_table.h; listings
// and their folders are matched without regard to case, by PathKey.)
std::string CacheEntryName(const std::string& path);
// The name of a folder's listing, one for each way of walking it.
std::string CacheListingName(const std::string& folder, bool includeSubfolders);
// Whether a name in the cache folder is one the cache writes (an entry or a
// listing); anything else there is left alone.
bool IsCacheEntryName(const std::string& name);

// A cache entry's whole file: the key and the picture's own size upright (its
// copy's size, rounded for a texture, tells neither its shape nor how it fits
// a monitor), then the pixels (four bytes each, in the decoded picture's
// order). Empty when the size cannot be stored.
std::string EncodeCacheEntry(const CachedFileKey& key, PixelSize upright, PixelSize size, const uint8_t* pixels);

// What the start of an entry file says. `headerBytes` is how much of the file
// the header takes, `entryBytes` how long the whole file must be.
struct CacheEntryHeader {
    CachedFileKey key;
    PictureShape shape = PictureShape::Unknown;  // of `upright`
    PixelSize upright = {0, 0};  // the picture's own size, {0, 0} where unknown
    PixelSize size = {0, 0};
    size_t headerBytes = 0;
    uint64_t entryBytes = 0;
};
// The bytes a header read needs at most: a short file gives fewer.
inline constexpr size_t cacheEntryHeaderLimit = 64 + 32768;
// Parses the first bytes of an entry file whose whole length is `fileBytes`;
// false when they are not a sound header of a file of that length.
bool ParseCacheEntryHeader(const std::string& start, uint64_t fileBytes, CacheEntryHeader& header);
// Parses a whole entry file and checks its pixels; false when any part is
// damaged, and `pixels` is then empty.
bool ParseCacheEntry(const std::string& bytes, CacheEntryHeader& header, std::vector<uint8_t>& pixels);

// A folder's listing file, and its reading; false for a damaged file or one
// of another folder or walk.
std::string EncodeCacheListing(const std::string& folder, bool includeSubfolders,
                               const std::vector<FolderPicture>& pictures);
bool ParseCacheListing(const std::string& bytes, const std::string& folder, bool includeSubfolders,
                       std::vector<FolderPicture>& pictures);

// An entry as the cache folder holds it.
struct CacheIndexEntry {
    std::string name;
    CachedFileKey key;
    uint64_t bytes = 0;      // the file's length
    uint64_t lastShown = 0;  // any clock that only grows
    PictureShape shape = PictureShape::Unknown;
};

// The cache's index: every entry and listing with its length and when it was
// last shown, so that keeping to the cap lists no folder (under Wine a
// listing waits for any other, however long a share keeps that one). It is
// rewritten whole under a lock and rebuilt from the files at each start.
std::string EncodeCacheIndex(const std::vector<CacheIndexEntry>& entries);
bool ParseCacheIndex(const std::string& bytes, std::vector<CacheIndexEntry>& entries);

// The entries to delete, least recently shown copies first and listings
// only after every copy, so that `incomingBytes` more fit within `capBytes`. Where the new copy cannot fit even in an empty
// cache, nothing is deleted: the copy is not stored.
std::vector<std::string> EntriesToEvict(const std::vector<CacheIndexEntry>& entries, uint64_t capBytes,
                                        uint64_t incomingBytes);

// The entries of pictures in `folder` (and its subfolders, when they are
// walked) that a complete listing of it no longer holds: deleted, renamed or
// moved out. Other folders' copies stay.
std::vector<std::string> EntriesNotListed(const std::vector<CacheIndexEntry>& entries, const std::string& folder,
                                          bool includeSubfolders, const std::vector<FolderPicture>& listing);

// The pictures of `folder` that have a copy, to show before the folder
// answers: with the folder's last complete listing (not null), only those it
// holds.
std::vector<FolderPicture> CachedFolderPictures(const std::vector<CacheIndexEntry>& entries, const std::string& folder,
                                                bool includeSubfolders, const std::vector<FolderPicture>* listing);

// Whether a copy still stands for the file as it is now.
bool CacheEntryFresh(const CachedFileKey& cached, uint64_t fileSize, uint64_t modified);

// The size of a picture's copy: each side halved until it is within the
// largest monitor's (a monitor side below 1 holds nothing), so that a
// power-of-two texture stays one.
PixelSize CacheCopySize(PixelSize picture, PixelSize largestMonitor);
// The picture's pixels (four bytes each) at CacheCopySize, each pixel the
// mean of those it stands for.
std::vector<uint8_t> DownsizePixels(const uint8_t* pixels, PixelSize size, PixelSize copySize);
