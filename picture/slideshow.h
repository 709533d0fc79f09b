#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

// The slideshow's portable core: which files of a folder are pictures, the
// order they are shown in, and when each monitor changes picture. The thread
// that lists and decodes, and the textures, are in win32_slideshow.h.

// One name a folder listing returns, with its Windows file attributes and,
// for a reparse point, its reparse tag.
struct FolderEntry {
    std::string name;
    uint32_t attributes = 0;
    uint32_t reparseTag = 0;
};

// The attribute bits and reparse tags the walk looks at, as Windows defines them.
inline constexpr uint32_t fileAttributeHidden = 0x2;
inline constexpr uint32_t fileAttributeSystem = 0x4;
inline constexpr uint32_t fileAttributeDirectory = 0x10;
inline constexpr uint32_t fileAttributeReparsePoint = 0x400;
inline constexpr uint32_t fileAttributeOffline = 0x1000;
inline constexpr uint32_t fileAttributeRecallOnOpen = 0x40000;
inline constexpr uint32_t fileAttributeRecallOnDataAccess = 0x400000;
inline constexpr uint32_t reparseTagMountPoint = 0xA0000003;
inline constexpr uint32_t reparseTagSymlink = 0xA000000C;

// Lists the entries of one folder ("." and ".." may be among them); false
// when the folder cannot be listed.
using FolderLister = std::function<bool(const std::string& folder, std::vector<FolderEntry>& entries)>;

struct FolderPicture {
    std::string path;
    // Shown only once no other picture is left: the "._" companions that
    // copies from a Mac leave beside every photo (no picture at all), and
    // files whose data is not on this machine (offline, or in the cloud
    // only), which would have to be fetched first.
    bool deferred = false;
};

// How far a walk through subfolders goes: a picture folder may hold a whole
// disk, or a link back to itself.
struct FolderWalkLimits {
    int maxDepth = 12;
    size_t maxFolders = 20000;
    size_t maxPictures = 100000;
};

// The picture files (extensions, lower case with the dot, compared without
// regard to case) in `root` and, with `includeSubfolders`, in its subfolders,
// shallow ones first, within the limits. Hidden or system folders (a recycle
// bin), folder links and mount points are not entered. Stops early, with what
// it found, once `stop` is set.
std::vector<FolderPicture> FindFolderPictures(const std::string& root, bool includeSubfolders,
                                              const std::vector<std::string>& extensions,
                                              const FolderLister& list, const std::atomic<bool>& stop,
                                              const FolderWalkLimits& limits = FolderWalkLimits());

// The shuffled order of a folder's pictures: each shown once before any is
// shown again, a new shuffle for every round.
class SlideOrder {
public:
    // `previous` is the picture the last run showed last (compared without
    // regard to case): the first round ends with it, so that a start never
    // begins with the picture the last one ended on.
    SlideOrder(const std::vector<FolderPicture>& pictures, const std::string& previous, uint32_t seed);

    // The next picture; "" when none is left. Pictures in `avoid` (those on
    // screen, oldest first) are passed over while others can be picked, and a
    // new round puts them last, in their order.
    std::string Next(const std::vector<std::string>& avoid);

    // A picture that could not be shown: never picked again.
    void Drop(const std::string& path);

    // How many pictures can still be picked.
    size_t Available() const;

private:
    const std::vector<std::string>& Pool() const;
    void StartRound(const std::vector<std::string>& last);

    std::vector<std::string> pictures;  // those not deferred
    std::vector<std::string> deferred;
    std::vector<std::string> round;     // still to come this round, the next one at the back
    std::mt19937 random;
};

// Milliseconds a crossfade from one picture to the next takes.
inline constexpr uint32_t crossfadeMilliseconds = 1500;

// When one monitor changes picture. The first picture fades in as soon as it
// is ready; each later one `slideMilliseconds` after the previous change
// began, or as soon as it is ready when it comes later than that. With 0 the
// first picture stays.
class SlideTimeline {
public:
    explicit SlideTimeline(uint32_t slideMilliseconds) : slideMilliseconds(slideMilliseconds) {}

    // Whether a picture that is ready may start fading in at `now`.
    bool ChangeDue(uint64_t now) const;
    void StartChange(uint64_t now);
    // How far the change begun last has come: 0 at its start, 1 once done
    // (and before the first change).
    float Fade(uint64_t now) const;

private:
    uint32_t slideMilliseconds;
    bool changed = false;
    uint64_t changeStart = 0;
};

// The rows of a picture `width` pixels wide (4 bytes each) that one frame
// uploads, so that no frame is late for a large picture: at least one.
int UploadRowsPerFrame(int width);
