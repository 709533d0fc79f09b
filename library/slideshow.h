#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <queue>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <unordered_set>
#include <vector>

// The slideshow's portable core: which files of a folder are pictures, the
// order they are shown in, when each monitor changes picture and how fast the
// pixels reach their texture. The thread
// that lists and decodes, and the textures, are in win32_slideshow.h.

// One name a folder listing returns, with its Windows file attributes and,
// for a reparse point, its reparse tag.
struct FolderEntry {
    std::string name;
    uint32_t attributes = 0;
    uint32_t reparseTag = 0;
    // What the picture cache keys its copies by, from the listing itself:
    // asking a share again for each file would cost a round trip.
    uint64_t fileSize = 0;
    uint64_t modified = 0;  // the last-write time
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

// How a folder's listing ended.
enum class FolderListing {
    Listed,
    Failed,    // for now: it stopped answering, its share is away, or it was ended early
    Denied,    // its permissions keep this user out
    NotFound,  // no such folder
};

// Lists one folder, handing its entries ("." and ".." may be among them) to
// `take` a batch at a time as they come, so that the first pictures of a
// large or slow folder need not wait for its last; `take` returns false to
// end the listing there (which then counts as failed). What was handed on
// stays, however the listing ends.
using FolderEntryBatch = std::function<bool(const std::vector<FolderEntry>& entries)>;
using FolderLister = std::function<FolderListing(const std::string& folder, const FolderEntryBatch& take)>;

// The key paths are compared by, in the walk, the slideshow's picture table
// and the cache's listings: A to Z folded as Windows folds them in names,
// and '/' read as '\'. (Other letters are compared as they are.)
std::string PathKey(const std::string& path);

// A picture's shape upright, or a monitor's.
enum class PictureShape : uint8_t {
    Unknown,
    Landscape,  // square ones too
    Portrait,
};
PictureShape ShapeOfSize(int width, int height);
// The shapes a slideshow matches pictures to, monitor by monitor: each
// monitor's own where they differ (one turned on its side beside landscape
// ones); where all are of one shape, any picture on each, or a desk of
// landscape monitors would never show the folder's portrait photos.
std::vector<PictureShape> PictureShapesWanted(const std::vector<PictureShape>& monitors);

struct FolderPicture {
    std::string path;
    // Shown only once no other picture is left: the "._" companions that
    // copies from a Mac leave beside every photo (no picture at all), and
    // files whose data is not on this machine (offline, or in the cloud
    // only), which would have to be fetched first.
    bool deferred = false;
    uint64_t fileSize = 0;  // as the listing gave them
    uint64_t modified = 0;
    PictureShape shape = PictureShape::Unknown;  // known from a cached copy
};

// Where the pictures a walk finds go, a batch at a time.
using FolderPictureBatch = std::function<void(const std::vector<FolderPicture>& pictures)>;

// How far a walk through subfolders goes: a picture folder may hold a whole
// disk, or a link back to itself.
struct FolderWalkLimits {
    int maxDepth = 12;
    size_t maxFolders = 20000;
    size_t maxPictures = 100000;
};

// The walk through a picture folder, one folder a step, so that its finds can
// be shown while it goes on: the picture files (extensions lower case with the
// dot, compared without regard to case) in `root` and, with
// `includeSubfolders`, in its subfolders, shallow ones first, within the
// limits (until the first picture is found, subfolders are entered as soon
// as they are seen).
// Hidden or system folders (a recycle bin), folder links and mount points are
// not entered. A folder that cannot be listed (a share away or
// busy) is tried again later, each time after a longer delay; a subfolder
// its parent listed that is denied or no longer there is not (it would keep
// the walk from ever completing), but the chosen folder always is.
// Folders and pictures are told apart by PathKey: one is entered, or handed
// on, once whatever the case of its name.
class FolderWalk {
public:
    FolderWalk(const std::string& root, bool includeSubfolders, std::vector<std::string> extensions,
               const FolderWalkLimits& limits = FolderWalkLimits());

    // Lists the next folder, or one due to be tried again at `now`
    // (milliseconds), handing its pictures to `found` as they come; no
    // picture is handed on twice. False when no folder was due.
    bool Step(const FolderLister& list, uint64_t now, const FolderPictureBatch& found);

    // Every folder listed: nothing is waiting to be tried again.
    bool Complete() const { return waiting.empty() && retries.empty(); }
    // A limit left folders or pictures out: the walk, even complete, is not
    // the whole folder.
    bool CutShort() const { return cutShort; }
    // When the next folder waiting to be tried again is due; UINT64_MAX when none.
    uint64_t NextRetry() const;

private:
    struct Folder {
        std::string path;
        int depth = 0;
        int failures = 0;
        uint64_t retryAt = 0;
        std::unordered_set<std::string> handedOn;  // pictures found by listings of it so far
    };
    void ListFolder(Folder folder, const FolderLister& list, uint64_t now, const FolderPictureBatch& found);
    void TakeEntries(Folder& folder, const std::vector<FolderEntry>& entries, std::vector<FolderPicture>& pictures);

    bool includeSubfolders;
    std::vector<std::string> extensions;
    FolderWalkLimits limits;
    std::deque<Folder> waiting;
    std::vector<Folder> retries;
    std::unordered_set<std::string> entered;
    size_t pictureCount = 0;
    bool cutShort = false;
};

// The delay before a folder or picture that failed `failures` times is tried
// again: 2 s, doubling up to 5 minutes.
uint64_t RetryDelayMilliseconds(int failures);

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

// How many rows of a picture each frame uploads: as many as the time the
// frame can spare, learnt from how fast uploads go and from whether the
// frames after them came late. Times in microseconds.
class UploadPacer {
public:
    // At the start of every frame.
    void FrameStarted(uint64_t now);
    // The rows of `rowBytes` bytes this frame may upload: at least one, at
    // most `rowsLeft`.
    int Rows(size_t rowBytes, int rowsLeft) const;
    // What this frame's upload of `bytes` took.
    void Uploaded(size_t bytes, uint64_t microseconds);

private:
    uint64_t lastStart = 0;
    bool uploadedLastFrame = false;
    double frameInterval = 16000.0;  // the usual one, learnt from frames without uploads
    double spare = 4000.0;           // what an upload may take
    double bytesPerMicrosecond = 64.0;
};
