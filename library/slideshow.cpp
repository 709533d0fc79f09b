#include "library/slideshow.h"

#include <algorithm>
#include <utility>

#include "text/ascii_case.h"

static std::string JoinPath(const std::string& folder, const std::string& name)
{
    const bool endsInSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return endsInSeparator ? folder + name : folder + "\\" + name;
}

static bool HasPictureExtension(const std::string& name, const std::vector<std::string>& extensions)
{
    const std::string::size_type dot = name.find_last_of('.');
    if (dot == std::string::npos) {
        return false;
    }
    const std::string extension = AsciiLowerCase(name.substr(dot));
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

static bool IsDeferred(const FolderEntry& entry)
{
    const uint32_t notHere = fileAttributeOffline | fileAttributeRecallOnOpen | fileAttributeRecallOnDataAccess;
    return entry.name.compare(0, 2, "._") == 0 || (entry.attributes & notHere) != 0;
}

// Folder links and mount points may lead back up the tree or onto another
// disk; the placeholders of cloud-synced folders are reparse points too, and
// are entered.
static bool IsFolderToEnter(const FolderEntry& entry)
{
    if (entry.name == "." || entry.name == "..") {
        return false;
    }
    if ((entry.attributes & (fileAttributeHidden | fileAttributeSystem)) != 0) {
        return false;
    }
    const bool link = (entry.attributes & fileAttributeReparsePoint) != 0 &&
                      (entry.reparseTag == reparseTagMountPoint || entry.reparseTag == reparseTagSymlink);
    return !link;
}

FolderWalk::FolderWalk(const std::string& root, bool includeSubfolders, std::vector<std::string> extensions,
                       const FolderWalkLimits& limits)
    : includeSubfolders(includeSubfolders), extensions(std::move(extensions)), limits(limits)
{
    waiting.push_back({root, 0, 0, 0, {}});
    entered.insert(root);
}

uint64_t RetryDelayMilliseconds(int failures)
{
    const uint64_t longest = 5 * 60 * 1000;
    const int doublings = std::min(std::max(failures - 1, 0), 20);
    return std::min(uint64_t{2000} << doublings, longest);
}

void FolderWalk::TakeEntries(Folder& folder, const std::vector<FolderEntry>& entries,
                             std::vector<FolderPicture>& pictures)
{
    for (const FolderEntry& entry : entries) {
        if ((entry.attributes & fileAttributeDirectory) != 0) {
            if (includeSubfolders && folder.depth < limits.maxDepth && entered.size() < limits.maxFolders &&
                IsFolderToEnter(entry)) {
                std::string path = JoinPath(folder.path, entry.name);
                // A folder listed again after a failure names its subfolders again.
                if (entered.insert(path).second) {
                    waiting.push_back({std::move(path), folder.depth + 1, 0, 0, {}});
                }
            }
        } else if (pictureCount < limits.maxPictures && HasPictureExtension(entry.name, extensions)) {
            std::string path = JoinPath(folder.path, entry.name);
            if (!folder.handedOn.insert(path).second) {
                continue;
            }
            pictures.push_back({std::move(path), IsDeferred(entry), entry.fileSize, entry.modified});
            ++pictureCount;
        }
    }
}

bool FolderWalk::Step(const FolderLister& list, uint64_t now, const FolderPictureBatch& found)
{
    if (waiting.empty()) {
        const auto due = std::find_if(retries.begin(), retries.end(),
                                      [now](const Folder& folder) { return folder.retryAt <= now; });
        if (due == retries.end()) {
            return false;
        }
        waiting.push_back(std::move(*due));
        retries.erase(due);
    }
    Folder folder = std::move(waiting.front());
    waiting.pop_front();
    ListFolder(std::move(folder), list, now, found);
    return true;
}

void FolderWalk::ListFolder(Folder folder, const FolderLister& list, uint64_t now, const FolderPictureBatch& found)
{
    std::vector<FolderPicture> pictures;
    const bool listed = list(folder.path, [&](const std::vector<FolderEntry>& entries) {
        pictures.clear();
        const size_t queued = waiting.size();
        TakeEntries(folder, entries, pictures);
        if (!pictures.empty()) {
            found(pictures);
        }
        // Until the first picture is found, a subfolder is listed at once,
        // inside its parent's listing: a library whose top folder holds
        // thousands of folders shows its first picture after a few
        // listings, not after the whole top folder.
        while (pictureCount == 0 && waiting.size() > queued) {
            Folder subfolder = std::move(waiting.back());
            waiting.pop_back();
            ListFolder(std::move(subfolder), list, now, found);
        }
        return true;
    });
    if (!listed) {
        ++folder.failures;
        folder.retryAt = now + RetryDelayMilliseconds(folder.failures);
        retries.push_back(std::move(folder));
    }
}

uint64_t FolderWalk::NextRetry() const
{
    uint64_t next = UINT64_MAX;
    for (const Folder& folder : retries) {
        next = std::min(next, folder.retryAt);
    }
    return next;
}

SlideOrder::SlideOrder(const std::string& previous, uint32_t seed)
    : previousLower(AsciiLowerCase(previous)), random(seed)
{
}

bool SlideOrder::IsPrevious(const std::string& path) const
{
    return !previousLower.empty() && AsciiLowerCase(path) == previousLower;
}

const std::vector<std::string>& SlideOrder::Pool() const
{
    static const std::vector<std::string> none;
    if (!pictures.empty()) {
        return pictures;
    }
    return moreComing ? none : deferred;
}

bool SlideOrder::Waiting(const std::string& path) const
{
    const auto retry = retries.find(path);
    return retry != retries.end() && retry->second.waiting;
}

bool SlideOrder::InPool(const std::string& path) const
{
    const auto picture = known.find(path);
    if (picture == known.end()) {
        return false;
    }
    const bool deferredPicture = picture->second;
    return deferredPicture ? pictures.empty() && !moreComing : true;
}

// Skipped pictures whose delay has passed join the round.
void SlideOrder::TakeBackDue(uint64_t now)
{
    while (!due.empty() && due.top().first <= now) {
        const std::string path = due.top().second;
        const uint64_t at = due.top().first;
        due.pop();
        const auto retry = retries.find(path);
        if (retry != retries.end() && retry->second.waiting && retry->second.at == at) {
            retry->second.waiting = false;
            if (InPool(path)) {
                round.push_back(path);
            }
        }
    }
}

void SlideOrder::Add(const std::vector<FolderPicture>& found)
{
    for (const FolderPicture& picture : found) {
        if (!known.emplace(picture.path, picture.deferred).second) {
            continue;
        }
        if (picture.deferred) {
            deferred.push_back(picture.path);
            if (pictures.empty() && !moreComing) {
                round.push_back(picture.path);
            }
            continue;
        }
        if (pictures.empty()) {
            // The deferred ones may be in this round; they wait again now.
            round.clear();
            held.clear();
        }
        pictures.push_back(picture.path);
        // Found during a round, it still shows in it; until the first pick,
        // the previous picture waits for the round's end.
        (!started && IsPrevious(picture.path) ? held : round).push_back(picture.path);
    }
}

void SlideOrder::SetMoreComing(bool more)
{
    const bool deferredJoin = moreComing && !more && pictures.empty();
    moreComing = more;
    if (deferredJoin) {
        round.clear();
        held.clear();
    }
}

// A fresh round of every picture not waiting for a retry: those in `avoid`
// (and, before the first pick, the previous one) go to its end, in order.
void SlideOrder::StartRound(const std::vector<std::string>& avoid)
{
    round.clear();
    held.clear();
    for (const std::string& path : Pool()) {
        if (Waiting(path)) {
            continue;
        }
        const bool last = std::find(avoid.begin(), avoid.end(), path) != avoid.end() || (!started && IsPrevious(path));
        if (!last) {
            round.push_back(path);
        }
    }
    for (const std::string& path : avoid) {
        const std::vector<std::string>& pool = Pool();
        if (std::find(pool.begin(), pool.end(), path) != pool.end() && !Waiting(path) &&
            std::find(held.begin(), held.end(), path) == held.end()) {
            held.push_back(path);
        }
    }
    if (!started) {
        for (const std::string& path : Pool()) {
            if (IsPrevious(path) && !Waiting(path) && std::find(held.begin(), held.end(), path) == held.end()) {
                held.push_back(path);
            }
        }
    }
}

// Any picture of the round not in `avoid`, picked at random: a shuffle made
// one pick at a time, so that pictures found later join it at no cost.
bool SlideOrder::TakeFromRound(const std::vector<std::string>& avoid, std::string& picked)
{
    if (round.empty()) {
        return false;
    }
    const size_t start = std::uniform_int_distribution<size_t>(0, round.size() - 1)(random);
    for (size_t k = 0; k < round.size(); ++k) {
        const size_t i = (start + k) % round.size();
        if (std::find(avoid.begin(), avoid.end(), round[i]) == avoid.end()) {
            picked = std::move(round[i]);
            round[i] = std::move(round.back());
            round.pop_back();
            return true;
        }
    }
    return false;
}

bool SlideOrder::TakeHeld(const std::vector<std::string>& avoid, bool evenAvoided, std::string& picked)
{
    for (auto it = held.begin(); it != held.end(); ++it) {
        // A start never begins with the previous picture while another may still come.
        if (!started && moreComing && IsPrevious(*it)) {
            continue;
        }
        if (evenAvoided || std::find(avoid.begin(), avoid.end(), *it) == avoid.end()) {
            picked = std::move(*it);
            held.erase(it);
            return true;
        }
    }
    return false;
}

std::string SlideOrder::Next(const std::vector<std::string>& avoid, uint64_t now)
{
    TakeBackDue(now);
    if (round.empty() && held.empty()) {
        StartRound(avoid);
    }
    std::string picked;
    bool found = TakeFromRound(avoid, picked) || TakeHeld(avoid, false, picked);
    if (!found) {
        // What is left of this round is all on screen: those come again in
        // the next round, after the others.
        StartRound(avoid);
        found = TakeFromRound(avoid, picked) || TakeHeld(avoid, false, picked) || TakeHeld(avoid, true, picked);
    }
    if (found) {
        started = true;
    }
    return picked;
}

void SlideOrder::Drop(const std::string& path)
{
    for (std::vector<std::string>* list : {&pictures, &deferred}) {
        list->erase(std::remove(list->begin(), list->end(), path), list->end());
    }
    known.erase(path);
    retries.erase(path);
}

void SlideOrder::Skip(const std::string& path, uint64_t now)
{
    Retry& retry = retries[path];
    ++retry.failures;
    retry.at = now + RetryDelayMilliseconds(retry.failures);
    retry.waiting = true;
    due.emplace(retry.at, path);
}

uint64_t SlideOrder::NextRetry() const
{
    // Entries of pictures dropped or due again since may be left in the
    // queue; at worst they wake the caller early.
    return due.empty() ? UINT64_MAX : due.top().first;
}

bool SlideTimeline::ChangeDue(uint64_t now) const
{
    if (!changed) {
        return true;
    }
    return slideMilliseconds != 0 && now - changeStart >= slideMilliseconds;
}

void SlideTimeline::StartChange(uint64_t now)
{
    changed = true;
    changeStart = now;
}

float SlideTimeline::Fade(uint64_t now) const
{
    if (!changed || now - changeStart >= crossfadeMilliseconds) {
        return 1.0f;
    }
    return static_cast<float>(now - changeStart) / static_cast<float>(crossfadeMilliseconds);
}

void UploadPacer::FrameStarted(uint64_t now)
{
    if (lastStart != 0 && now > lastStart) {
        const double interval = static_cast<double>(now - lastStart);
        if (uploadedLastFrame) {
            // A frame that came late gives back half of the upload's time;
            // one on time lends it a little more, up to half a frame.
            if (interval > frameInterval * 1.1 + 500.0) {
                spare = std::max(spare / 2.0, 1000.0);
            } else {
                spare = std::min(spare + 250.0, frameInterval / 2.0);
            }
        } else if (interval < frameInterval * 2.0) {
            frameInterval += (interval - frameInterval) / 16.0;
        }
    }
    lastStart = now;
    uploadedLastFrame = false;
}

int UploadPacer::Rows(size_t rowBytes, int rowsLeft) const
{
    if (rowsLeft <= 0) {
        return 0;
    }
    const double rows = rowBytes > 0 ? spare * bytesPerMicrosecond / static_cast<double>(rowBytes) : rowsLeft;
    return rows < 1.0 ? 1 : rows >= rowsLeft ? rowsLeft : static_cast<int>(rows);
}

void UploadPacer::Uploaded(size_t bytes, uint64_t microseconds)
{
    uploadedLastFrame = true;
    // Small uploads say little about the rate.
    if (bytes >= 64 * 1024) {
        const double rate = static_cast<double>(bytes) / static_cast<double>(std::max<uint64_t>(microseconds, 1));
        bytesPerMicrosecond += (rate - bytesPerMicrosecond) / 4.0;
    }
}
