#include "library/slideshow.h"

#include <algorithm>
#include <utility>

#include "text/ascii_case.h"

std::string PathKey(const std::string& path)
{
    std::string key = AsciiLowerCase(path);
    std::replace(key.begin(), key.end(), '/', '\\');
    return key;
}

PictureShape ShapeOfSize(int width, int height)
{
    if (width < 1 || height < 1) {
        return PictureShape::Unknown;
    }
    return height > width ? PictureShape::Portrait : PictureShape::Landscape;
}

std::vector<PictureShape> PictureShapesWanted(const std::vector<PictureShape>& monitors)
{
    const bool mixed = std::find(monitors.begin(), monitors.end(), PictureShape::Portrait) != monitors.end() &&
                       std::find(monitors.begin(), monitors.end(), PictureShape::Landscape) != monitors.end();
    return mixed ? monitors : std::vector<PictureShape>(monitors.size(), PictureShape::Unknown);
}

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
    entered.insert(PathKey(root));
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
            if (!includeSubfolders || !IsFolderToEnter(entry)) {
                continue;
            }
            std::string path = JoinPath(folder.path, entry.name);
            // A folder listed again after a failure names its subfolders again.
            if (entered.count(PathKey(path)) != 0) {
                continue;
            }
            if (folder.depth >= limits.maxDepth || entered.size() >= limits.maxFolders) {
                cutShort = true;
                continue;
            }
            entered.insert(PathKey(path));
            waiting.push_back({std::move(path), folder.depth + 1, 0, 0, {}});
        } else if (HasPictureExtension(entry.name, extensions)) {
            std::string path = JoinPath(folder.path, entry.name);
            if (folder.handedOn.count(PathKey(path)) != 0) {
                continue;
            }
            if (pictureCount >= limits.maxPictures) {
                cutShort = true;
                continue;
            }
            folder.handedOn.insert(PathKey(path));
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
    const FolderListing listing = list(folder.path, [&](const std::vector<FolderEntry>& entries) {
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
    // Denied, or gone since its parent named it: final for this run.
    const bool final = folder.depth > 0 && (listing == FolderListing::Denied || listing == FolderListing::NotFound);
    if (listing != FolderListing::Listed && !final) {
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
