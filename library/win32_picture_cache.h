#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/picture_cache.h"
#include "picture/win32_picture_decoder.h"

// The user's picture cache on the disk (the rules are in picture_cache.h):
// one file per copy and per listing, and the index, each written under a
// temporary name and renamed into place, so that a reader never sees half a
// file. Used only by the slideshow's threads, each with a PictureCache of its
// own; several saver processes (a saver and the dialog's preview, two users'
// sessions do not share one) may use the folder at once.
//
// The lock (the file cache.lock, opened for no sharing, deleted when its
// handle closes, even when the process is killed) is what keeps the index
// true and the folder within its cap while several write at once:
//   - Open (rebuilding the index from the files, deleting damaged ones and
//     evicting down to the cap), Store and SaveListing (evicting, writing the
//     file and its index entry), Drop (deleting files and their entries) and
//     Load (its last-shown time) each take it for the whole change of the
//     index: read, change, write back. Every change of the index is one of
//     these.
//   - Reading a copy, a listing or the index takes no lock: files are only
//     ever replaced whole, and a copy another process evicted is simply
//     missing. A file being read cannot be replaced, so a writer tries its
//     rename again for a moment while a reader finishes.
// The lock is waited for a second at most. A change that cannot take it, or
// whose index cannot be written, is reported (false) and leaves no copy the
// index does not hold, so that the cap stays true.
class PictureCache {
public:
    // `folder` without a trailing backslash; a cap of 0 turns the cache off.
    PictureCache(std::string folder, uint64_t capBytes);

    bool Enabled() const { return capBytes != 0 && !folder.empty(); }

    // The last complete listing of a folder; false when there is none.
    bool LoadListing(const std::string& pictureFolder, bool includeSubfolders,
                     std::vector<FolderPicture>& pictures) const;
    void SaveListing(const std::string& pictureFolder, bool includeSubfolders,
                     const std::vector<FolderPicture>& pictures);

    // The keys of the copies the folder holds, from their headers.
    std::vector<CacheIndexEntry> Entries() const;

    // A picture's copy (stored under exactly `path`), in the order it was
    // stored; counts as shown now. False when there is none, or it is
    // damaged (it is deleted then), or `fresh` is given and the copy does
    // not stand for that file. `shape`, when given, gets the picture's shape.
    bool Load(const std::string& path, DecodedPicture& picture, const CachedFileKey* fresh = nullptr,
              PictureShape* shape = nullptr);
    // Stores a decoded picture (four bytes a pixel) downsized to the largest
    // monitor, evicting the least recently shown copies first; false when it
    // is not stored.
    bool Store(const CachedFileKey& key, const DecodedPicture& picture, PixelSize largestMonitor);
    // Deletes the copy of a picture that is gone; false when the index could
    // not follow.
    bool Drop(const std::string& path);
    bool Drop(const std::vector<std::string>& names);

    // Rebuilds the index from the files and evicts down to the cap (with a
    // cap of 0, every file the cache wrote). Lists the cache folder: under
    // Wine that waits for any other listing in the process, so it is called
    // where no listing of a slow share can be under way. False when the
    // index could not be written.
    bool Open();

private:
    std::vector<CacheIndexEntry> Scan() const;
    bool ReadIndex(std::vector<CacheIndexEntry>& entries) const;
    template <typename Change>
    bool UpdateIndex(Change change);
    bool Add(const CachedFileKey& key, PictureShape shape, const std::string& name, const std::string& bytes);
    void Evict(std::vector<CacheIndexEntry>& entries, const std::vector<std::string>& names) const;
    void DeleteFiles(const std::vector<std::string>& names) const;
    bool WriteFileAs(const std::string& name, const std::string& bytes) const;
    std::string PathOf(const std::string& name) const { return folder + "\\" + name; }

    std::string folder;
    uint64_t capBytes;
};

// The folder that holds the user's cache: %LOCALAPPDATA%\Vitrane, never the
// roaming profile, since the copies are of no use on another machine. ""
// when the system names none; tests point it at a scratch folder.
using PictureCacheFolderLookup = std::string (*)();
extern PictureCacheFolderLookup pictureCacheFolder;

// The cache as a slideshow of one folder uses it: the copies that can show
// before the folder answers, or while it cannot be reached; each picture
// decoded from its file stored; what the folder says is gone dropped.
class FolderPictureCache {
public:
    // `storesCopies` is false where pictures are decoded smaller than a
    // monitor (the settings dialog's preview): those copies would show blurred.
    FolderPictureCache(const std::string& pictureFolder, bool includeSubfolders, uint64_t capBytes,
                       bool storesCopies);

    bool Enabled() const { return cache.Enabled() && !folder.empty(); }
    // See PictureCache::Open.
    void Open() { cache.Open(); }

    // The folder's pictures that have a copy: of those its last complete
    // listing holds, when there is one.
    std::vector<FolderPicture> CachedPictures() const;
    // The copy stored under `copyPath`; with `fresh`, only while it stands
    // for that file. `shape` gets the picture's shape.
    bool LoadCopy(const std::string& copyPath, const CachedFileKey* fresh, DecodedPicture& picture,
                  PictureShape& shape)
    {
        return cache.Load(copyPath, picture, fresh, &shape);
    }
    // A picture decoded from its file (four bytes a pixel), to show again
    // when the file cannot be reached; `key` as the listing gave it. False
    // when no copy was stored (the preview's, or the cache could not).
    bool Decoded(const CachedFileKey& key, const DecodedPicture& picture, PixelSize largestMonitor);
    // The copies of a picture that is gone.
    void Drop(const std::vector<std::string>& copyPaths);
    // A complete listing of the folder: kept for the next start, and the
    // copies of pictures it no longer holds go.
    void Listed(const std::vector<FolderPicture>& pictures);

private:
    PictureCache cache;
    std::string folder;
    bool includeSubfolders;
    bool storesCopies;
};
