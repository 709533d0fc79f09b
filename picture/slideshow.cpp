#include "picture/slideshow.h"

#include <algorithm>
#include <deque>

#include "settings/settings_text.h"

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

std::vector<FolderPicture> FindFolderPictures(const std::string& root, bool includeSubfolders,
                                              const std::vector<std::string>& extensions,
                                              const FolderLister& list, const std::atomic<bool>& stop,
                                              const FolderWalkLimits& limits)
{
    std::vector<FolderPicture> found;
    struct Folder {
        std::string path;
        int depth;
    };
    std::deque<Folder> waiting = {{root, 0}};
    size_t listed = 0;
    std::vector<FolderEntry> entries;
    while (!waiting.empty() && listed < limits.maxFolders && !stop.load()) {
        const Folder folder = waiting.front();
        waiting.pop_front();
        ++listed;
        entries.clear();
        if (!list(folder.path, entries)) {
            continue;
        }
        for (const FolderEntry& entry : entries) {
            if ((entry.attributes & fileAttributeDirectory) != 0) {
                if (includeSubfolders && folder.depth < limits.maxDepth && IsFolderToEnter(entry)) {
                    waiting.push_back({JoinPath(folder.path, entry.name), folder.depth + 1});
                }
            } else if (found.size() < limits.maxPictures && HasPictureExtension(entry.name, extensions)) {
                found.push_back({JoinPath(folder.path, entry.name), IsDeferred(entry)});
            }
        }
    }
    return found;
}

SlideOrder::SlideOrder(const std::vector<FolderPicture>& folderPictures, const std::string& previous,
                       uint32_t seed)
    : random(seed)
{
    for (const FolderPicture& picture : folderPictures) {
        (picture.deferred ? deferred : pictures).push_back(picture.path);
    }
    const std::string previousLower = AsciiLowerCase(previous);
    std::vector<std::string> last;
    for (const std::string& path : Pool()) {
        if (!previous.empty() && AsciiLowerCase(path) == previousLower) {
            last.push_back(path);
        }
    }
    StartRound(last);
}

const std::vector<std::string>& SlideOrder::Pool() const
{
    return pictures.empty() ? deferred : pictures;
}

size_t SlideOrder::Available() const
{
    return Pool().size();
}

// A fresh shuffle of every picture, with those in `last` moved to its end in
// their order. The round is kept reversed, so that the next picture is at the
// back.
void SlideOrder::StartRound(const std::vector<std::string>& last)
{
    const std::vector<std::string>& pool = Pool();
    round.clear();
    for (const std::string& path : pool) {
        if (std::find(last.begin(), last.end(), path) == last.end()) {
            round.push_back(path);
        }
    }
    std::shuffle(round.begin(), round.end(), random);
    for (const std::string& path : last) {
        const bool inPool = std::find(pool.begin(), pool.end(), path) != pool.end();
        if (inPool && std::find(round.begin(), round.end(), path) == round.end()) {
            round.push_back(path);
        }
    }
    std::reverse(round.begin(), round.end());
}

std::string SlideOrder::Next(const std::vector<std::string>& avoid)
{
    auto pickable = [&](const std::string& path) {
        return std::find(avoid.begin(), avoid.end(), path) == avoid.end();
    };
    auto next = std::find_if(round.rbegin(), round.rend(), pickable);
    if (next == round.rend()) {
        // What is left of this round is all on screen: those come again in
        // the next round, after the others.
        StartRound(avoid);
        if (round.empty()) {
            return std::string();
        }
        next = std::find_if(round.rbegin(), round.rend(), pickable);
        if (next == round.rend()) {
            next = round.rbegin();
        }
    }
    std::string picked = *next;
    round.erase(std::next(next).base());
    return picked;
}

void SlideOrder::Drop(const std::string& path)
{
    const bool poolWasPictures = !pictures.empty();
    for (std::vector<std::string>* list : {&pictures, &deferred, &round}) {
        list->erase(std::remove(list->begin(), list->end(), path), list->end());
    }
    // Once every other picture has failed, the deferred ones get their turn.
    if (poolWasPictures && pictures.empty()) {
        StartRound({});
    }
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

int UploadRowsPerFrame(int width)
{
    // About 4 ms of copying under a software renderer; a 1024-pixel-wide
    // picture takes 16 frames, a quarter of a second.
    const int bytesPerFrame = 256 * 1024;
    const int rows = width > 0 ? bytesPerFrame / (width * 4) : 1;
    return rows > 0 ? rows : 1;
}
