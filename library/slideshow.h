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

// Lists one folder, handing its entries ("." and ".." may be among them) to
// `take` a batch at a time as they come, so that the first pictures of a
// large or slow folder need not wait for its last; `take` returns false to
// end the listing there. False when the folder cannot be listed, stops
// answering part way or was ended early; what was handed on stays.
using FolderEntryBatch = std::function<bool(const std::vector<FolderEntry>& entries)>;
using FolderLister = std::function<bool(const std::string& folder, const FolderEntryBatch& take)>;

struct FolderPicture {
    std::string path;
    // Shown only once no other picture is left: the "._" companions that
    // copies from a Mac leave beside every photo (no picture at all), and
    // files whose data is not on this machine (offline, or in the cloud
    // only), which would have to be fetched first.
    bool deferred = false;
    uint64_t fileSize = 0;  // as the listing gave them
    uint64_t modified = 0;
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
// busy) is tried again later, each time after a longer delay.
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
};

// The delay before a folder or picture that failed `failures` times is tried
// again: 2 s, doubling up to 5 minutes.
uint64_t RetryDelayMilliseconds(int failures);

// The shuffled order of a folder's pictures, which may grow while it is used:
// each picture shows once before any shows again, those found during a round
// joining it, and a new shuffle for every round.
class SlideOrder {
public:
    // `previous` is the picture the last run showed last (compared without
    // regard to case): a start never begins with it, and the first round
    // ends with it.
    SlideOrder(const std::string& previous, uint32_t seed);

    // Pictures found; those known already are ignored.
    void Add(const std::vector<FolderPicture>& found);
    // Whether more pictures may still come. Until none can, the previous
    // picture is not picked first and the deferred ones wait.
    void SetMoreComing(bool more);

    // The next picture at `now` (milliseconds); "" when none can be picked.
    // Pictures in `avoid` (those on screen, oldest first) are passed over
    // while others can be picked, and a new round puts them last, in their
    // order; when nothing else is left, the oldest of them comes.
    std::string Next(const std::vector<std::string>& avoid, uint64_t now);

    // A picture Next gave that is gone: never picked again, unless it is
    // found again.
    void Drop(const std::string& path);
    // A picture Next gave that could not be read now (locked, half written,
    // or its share away): picked again once its delay has passed, a longer
    // one after each failure.
    void Skip(const std::string& path, uint64_t now);
    // When the next skipped picture is due again; UINT64_MAX when none waits.
    uint64_t NextRetry() const;

    // How many pictures the order holds, skipped ones included.
    size_t Count() const { return pictures.size() + deferred.size(); }

private:
    struct Retry {
        int failures = 0;
        uint64_t at = 0;
        bool waiting = false;
    };
    const std::vector<std::string>& Pool() const;
    bool InPool(const std::string& path) const;
    bool Waiting(const std::string& path) const;
    void TakeBackDue(uint64_t now);
    bool IsPrevious(const std::string& path) const;
    void StartRound(const std::vector<std::string>& avoid);
    bool TakeFromRound(const std::vector<std::string>& avoid, std::string& picked);
    bool TakeHeld(const std::vector<std::string>& avoid, bool evenAvoided, std::string& picked);

    std::vector<std::string> pictures;  // those not deferred
    std::vector<std::string> deferred;
    std::unordered_map<std::string, bool> known;  // whether each picture is deferred
    std::vector<std::string> round;  // still to come this round, in no order
    std::vector<std::string> held;   // to come at the end of this round, in order
    std::unordered_map<std::string, Retry> retries;
    using Due = std::pair<uint64_t, std::string>;
    std::priority_queue<Due, std::vector<Due>, std::greater<Due>> due;  // soonest first
    std::string previousLower;
    bool started = false;
    bool moreComing = true;
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
