#include "library/picture_table.h"

#include <algorithm>

// What one pick looks for: the pictures on screen, as keys, and the
// monitor's shape (Unknown: any).
struct PictureTable::Pick {
    std::vector<std::string> avoided;  // oldest first
    uint64_t now = 0;
    bool deferredJoin = false;
    PictureShape shape = PictureShape::Unknown;

    bool Avoids(const std::string& key) const
    {
        return std::find(avoided.begin(), avoided.end(), key) != avoided.end();
    }
    bool Fits(const Picture& picture) const
    {
        return shape == PictureShape::Unknown || picture.shape == shape;
    }
};

PictureTable::PictureTable(const std::string& previous, uint32_t seed)
    : previousKey(previous.empty() ? std::string() : PathKey(previous)), random(seed)
{
}

PictureTable::Picture& PictureTable::Record(const std::string& path)
{
    const auto inserted = byKey.emplace(PathKey(path), pictures.size());
    if (inserted.second) {
        // Found during a round, it still shows in it.
        pictures.emplace_back();
        pictures.back().key = inserted.first->first;
        pictures.back().path = path;
    }
    return pictures[inserted.first->second];
}

const PictureTable::Picture* PictureTable::Find(const std::string& path) const
{
    const auto found = byKey.find(PathKey(path));
    return found == byKey.end() ? nullptr : &pictures[found->second];
}

void PictureTable::Found(const std::vector<FolderPicture>& found)
{
    for (const FolderPicture& picture : found) {
        Picture& record = Record(picture.path);
        if (record.gone) {
            const std::string key = record.key;
            record = Picture();
            record.key = key;
        }
        record.path = picture.path;
        record.deferred = picture.deferred;
        record.listed = true;
        record.fileSize = picture.fileSize;
        record.modified = picture.modified;
        answered = true;
    }
}

void PictureTable::Cached(const std::vector<FolderPicture>& copies)
{
    for (const FolderPicture& copy : copies) {
        Picture& record = Record(copy.path);
        if (record.gone) {
            continue;
        }
        if (std::find(record.copies.begin(), record.copies.end(), copy.path) == record.copies.end()) {
            record.copies.push_back(copy.path);
        }
        if (record.shape == PictureShape::Unknown) {
            record.shape = copy.shape;
        }
    }
}

void PictureTable::WalkState(bool more, bool ended, bool whole)
{
    moreComing = more;
    answered = answered || ended;
    if (!whole) {
        return;
    }
    for (Picture& picture : pictures) {
        if (!picture.listed) {
            picture.gone = true;
        }
    }
}

// Deferred pictures only once nothing else is, or may yet be, found.
bool PictureTable::DeferredJoin() const
{
    return !moreComing && std::none_of(pictures.begin(), pictures.end(),
                                       [](const Picture& other) { return !other.gone && !other.deferred; });
}

bool PictureTable::InPool(const Picture& picture, bool deferredJoin) const
{
    return !picture.gone && (!picture.deferred || deferredJoin);
}

bool PictureTable::Ready(const Picture& picture, const Pick& pick) const
{
    return InPool(picture, pick.deferredJoin) && (picture.failures == 0 || picture.retryAt <= pick.now);
}

bool PictureTable::HeldAsPrevious(const Picture& picture) const
{
    return firstRound && !previousKey.empty() && picture.key == previousKey;
}

// Any picture of the round that fits, at random: a shuffle made one pick at
// a time, so that pictures found later join it at no cost.
bool PictureTable::PickAtRandom(const Pick& pick, std::string& picked)
{
    std::vector<size_t> candidates;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Picture& picture = pictures[i];
        if (Ready(picture, pick) && !picture.shown && pick.Fits(picture) && !HeldAsPrevious(picture) &&
            !pick.Avoids(picture.key)) {
            candidates.push_back(i);
        }
    }
    if (candidates.empty()) {
        return false;
    }
    Picture& chosen = pictures[candidates[std::uniform_int_distribution<size_t>(0, candidates.size() - 1)(random)]];
    Shown(chosen);
    picked = chosen.path;
    return true;
}

// The first round ends with the previous picture; a start never begins
// with it while another may still come.
bool PictureTable::PickPrevious(const Pick& pick, std::string& picked)
{
    if (!firstRound || previousKey.empty() || (!started && moreComing)) {
        return false;
    }
    const auto found = byKey.find(previousKey);
    if (found == byKey.end() || pick.Avoids(previousKey)) {
        return false;
    }
    Picture& previous = pictures[found->second];
    if (!Ready(previous, pick) || previous.shown) {
        return false;
    }
    Shown(previous);
    picked = previous.path;
    return true;
}

// Nothing but what is on screen is left: the oldest of it.
bool PictureTable::PickOldestAvoided(const Pick& pick, std::string& picked)
{
    for (const std::string& key : pick.avoided) {
        const auto found = byKey.find(key);
        if (found == byKey.end()) {
            continue;
        }
        Picture& picture = pictures[found->second];
        if (Ready(picture, pick) && !(HeldAsPrevious(picture) && !started && moreComing)) {
            Shown(picture);
            picked = picture.path;
            return true;
        }
    }
    return false;
}

// Every picture (of `only` shape, when known) may come again.
void PictureTable::NewRound(PictureShape only)
{
    for (Picture& picture : pictures) {
        if (only == PictureShape::Unknown || picture.shape == only) {
            picture.shown = false;
        }
    }
    if (only == PictureShape::Unknown && started) {
        firstRound = false;
    }
}

void PictureTable::Shown(Picture& picture)
{
    picture.shown = true;
    started = true;
}

PictureTable::Pick PictureTable::PickFor(const std::vector<std::string>& avoid, uint64_t now) const
{
    Pick pick;
    pick.now = now;
    pick.deferredJoin = DeferredJoin();
    for (const std::string& path : avoid) {
        pick.avoided.push_back(PathKey(path));
    }
    return pick;
}

std::string PictureTable::Next(const std::vector<std::string>& avoid, uint64_t now, PictureShape shape)
{
    Pick pick = PickFor(avoid, now);
    std::string picked;
    // The monitor's shape first, in rounds of its own, while the folder has
    // a picture of that shape off screen.
    pick.shape = shape;
    if (shape != PictureShape::Unknown && HasShape(pick)) {
        if (PickAtRandom(pick, picked)) {
            return picked;
        }
        NewRound(shape);
        if (PickAtRandom(pick, picked)) {
            return picked;
        }
    }
    pick.shape = PictureShape::Unknown;
    if (PickAtRandom(pick, picked) || PickPrevious(pick, picked)) {
        return picked;
    }
    NewRound(PictureShape::Unknown);
    if (PickAtRandom(pick, picked) || PickPrevious(pick, picked) || PickOldestAvoided(pick, picked)) {
        return picked;
    }
    return std::string();
}

bool PictureTable::HasShape(const Pick& pick) const
{
    return std::any_of(pictures.begin(), pictures.end(), [&](const Picture& picture) {
        return picture.shape == pick.shape && Ready(picture, pick) && !HeldAsPrevious(picture) &&
               !pick.Avoids(picture.key);
    });
}

bool PictureTable::HasShape(PictureShape shape, const std::vector<std::string>& avoid, uint64_t now) const
{
    Pick pick = PickFor(avoid, now);
    pick.shape = shape;
    return HasShape(pick);
}

CopyUse PictureTable::CopyOf(const std::string& path) const
{
    CopyUse use;
    const Picture* picture = Find(path);
    if (picture == nullptr) {
        return use;
    }
    use.keyed = picture->listed;
    use.key = {picture->path, picture->fileSize, picture->modified};
    const auto exact = std::find(picture->copies.begin(), picture->copies.end(), picture->path);
    if (exact != picture->copies.end()) {
        use.copyPath = *exact;
    } else if (picture->copies.size() == 1) {
        use.copyPath = picture->copies.front();
    }
    use.copyFirst = !use.copyPath.empty() && !answered;
    use.fallback = !use.copyPath.empty();
    return use;
}

void PictureTable::Decoded(const std::string& path, PictureShape shape, const std::string& copyStoredAs)
{
    Picture& picture = Record(path);
    picture.failures = 0;
    if (shape != PictureShape::Unknown) {
        picture.shape = shape;
    }
    if (!copyStoredAs.empty() &&
        std::find(picture.copies.begin(), picture.copies.end(), copyStoredAs) == picture.copies.end()) {
        picture.copies.push_back(copyStoredAs);
    }
}

void PictureTable::PutBack(const std::string& path)
{
    Record(path).shown = false;
}

void PictureTable::Skip(const std::string& path, uint64_t now)
{
    Picture& picture = Record(path);
    ++picture.failures;
    picture.retryAt = now + RetryDelayMilliseconds(picture.failures);
    // It shows in this round once due.
    picture.shown = false;
}

std::vector<std::string> PictureTable::Drop(const std::string& path)
{
    Picture& picture = Record(path);
    picture.gone = true;
    std::vector<std::string> copies;
    copies.swap(picture.copies);
    return copies;
}

uint64_t PictureTable::NextRetry() const
{
    uint64_t next = UINT64_MAX;
    const bool deferredJoin = DeferredJoin();
    for (const Picture& picture : pictures) {
        if (picture.failures > 0 && InPool(picture, deferredJoin)) {
            next = std::min(next, picture.retryAt);
        }
    }
    return next;
}

size_t PictureTable::Count() const
{
    return static_cast<size_t>(
        std::count_if(pictures.begin(), pictures.end(), [](const Picture& picture) { return !picture.gone; }));
}
