#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/picture_cache.h"
#include "library/slideshow.h"

// What a slideshow run knows of each picture, in one table: the walk, the
// cache and the decoding loop tell it what they learn, and the order is
// picked from it. Only the decoding thread uses it.
//
// A picture's state:
//   found     listed by the walk this run (with the listing's size and time),
//             or known only from a cached copy until the walk lists it;
//   to come   not shown yet this round;      shown   shown this round;
//   failing   could not be read now: not picked before `retryAt`, each
//             failure in a row doubling the wait (2 s up to 5 minutes);
//   gone      deleted, or not in a whole listing of the folder: never picked
//             again, unless the walk finds it again;
//   copies    the paths its cached copies are stored under; its shape, once
//             decoded or from its copy.
//
// Paths: one picture per path compared as Windows compares names, without
// regard to case (PathKey), whatever case the walk, a copy or the settings
// give it; the walk's spelling wins. Copies are stored under the exact path,
// so that two files of a case-sensitive folder never share one; a picture's
// copy is the one of its exact path, else the only one of its path in
// another case (the folder typed otherwise, a file renamed in case only),
// never one of two.
//
// The shuffle:
//   - each picture shows once before any shows again; those found during a
//     round join it, and each round is a new shuffle, picked one at a time;
//   - pictures on screen (the `avoid` list, oldest first) are passed over
//     while another can be picked; when nothing else is left the oldest of
//     them comes;
//   - the picture the last run ended on (`previous`) never comes first while
//     others may still be found, and ends the first round;
//   - deferred pictures (Mac "._" companions, files not on this machine) come
//     only once the walk has ended without any other picture;
//   - a monitor of a known shape (given only where the monitors differ,
//     PictureShapesWanted) gets pictures of its shape while the folder has
//     one that is not on screen, each shape then having rounds of its own;
//     otherwise any picture, those of unknown shape included. One of unknown
//     shape that turns out of the other once read is put back (PutBack).
//
// Where a picture is read from (CopyUse), top to bottom:
//   1. before the folder has answered (found anything, or ended its walk):
//      its copy, so that a start shows at once even offline;
//   2. otherwise its file; a decoded file becomes its copy, keyed by the
//      listing's size and time (one the walk has not listed gets none);
//   3. a file that cannot be read now (a share gone away) shows its copy,
//      but only one that still stands for the file as listed (same size and
//      time): a changed file that fails to decode never shows its old copy;
//   4. a file that is gone takes its copies with it.

// What reading a picture may use of the cache.
struct CopyUse {
    std::string copyPath;   // the copy to load; "" when it has none
    bool copyFirst = false; // before the file
    bool fallback = false;  // when the file cannot be read now
    bool keyed = false;     // listed this run: a copy must match `key`, and a decoded file is stored under it
    CachedFileKey key;
};

class PictureTable {
public:
    PictureTable(const std::string& previous, uint32_t seed);

    // What the walk found (which brings back a gone picture of that path).
    void Found(const std::vector<FolderPicture>& pictures);
    // The pictures of the folder that have a copy, with their shapes.
    void Cached(const std::vector<FolderPicture>& copies);
    // The walk: whether it is listing now (until it stops, the previous
    // picture never comes first and deferred pictures wait), whether it has
    // ended (the folder has answered), and whether its listing is whole
    // (every folder listed, no limit reached): then every picture it did not
    // list is gone.
    void WalkState(bool listing, bool ended, bool whole);

    // The next picture at `now` (milliseconds) for a monitor of `shape`; ""
    // when none can be picked.
    std::string Next(const std::vector<std::string>& avoid, uint64_t now,
                     PictureShape shape = PictureShape::Unknown);

    CopyUse CopyOf(const std::string& path) const;
    // Read from its file or a copy, upright of this shape; `copyStoredAs`:
    // the path a copy of it was stored under, "" for none.
    void Decoded(const std::string& path, PictureShape shape, const std::string& copyStoredAs = std::string());
    // Decoded but not of the shape the monitor wants: it comes again this round.
    void PutBack(const std::string& path);
    // Could not be read now: tried again after its delay.
    void Skip(const std::string& path, uint64_t now);
    // No such file: never picked again (unless the walk finds it again). The
    // copies it had, for the cache to delete.
    std::vector<std::string> Drop(const std::string& path);

    // Whether a picture of `shape` can be picked that is not on screen.
    bool HasShape(PictureShape shape, const std::vector<std::string>& avoid, uint64_t now) const;
    // When the next failing picture may be tried again; UINT64_MAX when none waits.
    uint64_t NextRetry() const;
    // Pictures that are not gone, failing ones included.
    size_t Count() const;
    bool FolderAnswered() const { return answered; }

private:
    struct Picture {
        std::string key;   // PathKey of the path
        std::string path;
        bool deferred = false;
        bool listed = false;
        uint64_t fileSize = 0;
        uint64_t modified = 0;
        std::vector<std::string> copies;
        PictureShape shape = PictureShape::Unknown;
        bool shown = false;
        int failures = 0;
        uint64_t retryAt = 0;
        bool gone = false;
    };
    struct Pick;  // the rules one pick applies, in picture_table.cpp

    Picture& Record(const std::string& path);
    const Picture* Find(const std::string& path) const;
    bool DeferredJoin() const;
    bool InPool(const Picture& picture, bool deferredJoin) const;
    bool Ready(const Picture& picture, const Pick& pick) const;
    Pick PickFor(const std::vector<std::string>& avoid, uint64_t now) const;
    bool HasShape(const Pick& pick) const;
    bool HeldAsPrevious(const Picture& picture) const;
    bool PickAtRandom(const Pick& pick, std::string& picked);
    bool PickPrevious(const Pick& pick, std::string& picked);
    bool PickOldestAvoided(const Pick& pick, std::string& picked);
    void NewRound(PictureShape only);
    void Shown(Picture& picture);

    std::vector<Picture> pictures;
    std::unordered_map<std::string, size_t> byKey;
    std::string previousKey;
    bool started = false;     // a picture has been picked
    bool firstRound = true;
    bool moreComing = true;
    bool answered = false;
    std::mt19937 random;
};
