// The files on the disks, as a slideshow reads them: folder listings through
// FindFirstFileExW, pictures through the decoders.
#include <memory>

#include "clock/win32_file_time.h"
#include "library/win32_slideshow.h"
#include "picture/picture_pixels.h"
#include "text/win32_wide.h"

static std::string FolderPattern(const std::string& folder)
{
    const bool endsInSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return endsInSeparator ? folder + "*" : folder + "\\*";
}

// Why a folder could not be opened for listing.
static FolderListing ListingRefused(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return FolderListing::Denied;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DIRECTORY:  // a link to a file, or to nowhere
    case ERROR_INVALID_NAME:
        return FolderListing::NotFound;
    default:
        return FolderListing::Failed;  // a share away or busy, a disk asleep
    }
}

// Hands the entries on every few dozen, so that a large folder's first
// pictures need not wait for the rest, and a stop ends the listing soon. A
// listing cut short by an error other than its end (a share that went away)
// counts as failed.
static FolderListing ListFolder(const std::string& folder, const FolderEntryBatch& take)
{
    WIN32_FIND_DATAW found;
    // The basic information leaves out the short 8.3 names, which a large
    // folder on a network share would otherwise send as well.
    const HANDLE search = FindFirstFileExW(WidePath(FolderPattern(folder)).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return ListingRefused(GetLastError());
    }
    // Closed however the listing ends, a failed allocation included.
    const std::unique_ptr<void, BOOL (*)(HANDLE)> closer(search, FindClose);
    const size_t batchSize = 64;
    std::vector<FolderEntry> entries;
    bool more = true;
    DWORD end = ERROR_SUCCESS;
    while (more) {
        const bool reparse = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back({Utf8FromWide(found.cFileName), found.dwFileAttributes, reparse ? found.dwReserved0 : 0,
                           (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                           FileTimeTicks(found.ftLastWriteTime)});
        more = FindNextFileW(search, &found) != FALSE;
        end = more ? ERROR_SUCCESS : GetLastError();
        if (entries.size() >= batchSize || !more) {
            if (!take(entries)) {
                return FolderListing::Failed;
            }
            entries.clear();
        }
    }
    return end == ERROR_NO_MORE_FILES ? FolderListing::Listed : FolderListing::Failed;
}

static bool FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A file that is not there is gone once a folder above it answers: its own
// folder may have been deleted or renamed (the file's error is then "path
// not found"), but a share or a drive that went away, none of whose folders
// answer, is not a deleted picture.
static bool Gone(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    const DWORD error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return false;
    }
    std::string folder = path;
    for (;;) {
        const std::string::size_type separator = folder.find_last_of("\\/");
        // Up to the drive ("C:") or the server ("\\server"), which is no folder.
        const bool server = folder.compare(0, 2, "\\\\") == 0 && separator <= 1;
        if (separator == std::string::npos || separator < 2 || server) {
            return false;
        }
        folder.resize(separator);
        if (FolderExists(folder)) {
            return true;
        }
    }
}

static PictureRead ReadPictureFile(const std::string& path, PixelSize largestMonitor, int maxTextureSide,
                                   DecodedPicture& picture)
{
    if (DecodeAnyPictureFile(WidePath(path).c_str(), largestMonitor, maxTextureSide, picture) ==
        PictureDecode::Decoded) {
        // Turned into what the upload takes here, not on the drawing thread.
        BgrxToRgba(picture.pixels.get(), static_cast<size_t>(picture.size.width) * picture.size.height);
        return PictureRead::Decoded;
    }
    return Gone(path) ? PictureRead::Gone : PictureRead::Failed;
}

SlideshowFiles DiskSlideshowFiles()
{
    return {ListFolder, ReadPictureFile};
}
