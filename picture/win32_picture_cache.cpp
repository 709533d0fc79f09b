#include "picture/win32_picture_cache.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>

#include "text/win32_wide.h"

static const char lockName[] = "cache.lock";
static const char temporarySuffix[] = ".tmp";
static const char listingSuffix[] = ".vpl";
// Another saver storing a copy holds the lock for a few milliseconds; past
// this the copy is simply not stored.
static const DWORD lockWaitMilliseconds = 1000;
// A temporary file this old was left by a process that ended mid-write.
static const uint64_t abandonedAfter100ns = 10ull * 60 * 10000000;

static std::string LocalApplicationData()
{
    PWSTR folder = nullptr;
    std::string path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder))) {
        path = Utf8FromWide(folder) + "\\Vitrane";
    }
    CoTaskMemFree(folder);
    return path;
}

PictureCacheFolderLookup pictureCacheFolder = LocalApplicationData;

static uint64_t FileTimeValue(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

static uint64_t Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}

static bool EndsWith(const std::string& text, const char* suffix)
{
    const size_t length = strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

// Up to `limit` bytes from the start of a file, and its whole length.
static bool ReadFileStart(const std::string& path, size_t limit, std::string& bytes, uint64_t& fileBytes)
{
    bytes.clear();
    // Shared for deletion too, so that another saver can evict or replace it meanwhile.
    const HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size = {};
    bool read = GetFileSizeEx(file, &size) != FALSE;
    if (read) {
        fileBytes = static_cast<uint64_t>(size.QuadPart);
        bytes.resize(static_cast<size_t>(std::min<uint64_t>(fileBytes, limit)));
        size_t done = 0;
        while (read && done < bytes.size()) {
            DWORD got = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
            read = ReadFile(file, &bytes[done], chunk, &got, nullptr) && got > 0;
            done += got;
        }
    }
    (void)CloseHandle(file);
    return read;
}

static void MarkShown(const std::string& path)
{
    const HANDLE file = CreateFileW(WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        (void)SetFileTime(file, nullptr, nullptr, &now);
        (void)CloseHandle(file);
    }
}

// The lock file, held while copies are evicted and stored, so that two savers
// together stay within the cap. Deleted when its handle closes, even when the
// process is killed.
class CacheLock {
public:
    explicit CacheLock(const std::string& folder)
    {
        // Fails harmlessly when the folder is there already.
        (void)CreateDirectoryW(WidePath(folder).c_str(), nullptr);
        const std::wstring path = WidePath(folder + "\\" + lockName);
        const ULONGLONG deadline = GetTickCount64() + lockWaitMilliseconds;
        for (;;) {
            handle = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            if (handle != INVALID_HANDLE_VALUE || GetTickCount64() >= deadline) {
                return;
            }
            Sleep(10);
        }
    }
    ~CacheLock()
    {
        if (handle != INVALID_HANDLE_VALUE) {
            (void)CloseHandle(handle);
        }
    }
    CacheLock(const CacheLock&) = delete;
    CacheLock& operator=(const CacheLock&) = delete;
    bool Held() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};

PictureCache::PictureCache(std::string folder, uint64_t capBytes) : folder(std::move(folder)), capBytes(capBytes) {}

// The files the cache wrote, with their lengths and last-shown times (kept as
// each file's last-write time, so that showing a copy rewrites nothing).
// Temporary files left behind by a process that ended mid-write go.
std::vector<CacheIndexEntry> PictureCache::Scan() const
{
    std::vector<CacheIndexEntry> entries;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(WidePath(PathOf("*")).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    const uint64_t now = Now();
    do {
        const std::string name = Utf8FromWide(found.cFileName);
        const uint64_t written = FileTimeValue(found.ftLastWriteTime);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        if (EndsWith(name, temporarySuffix) && now > written && now - written > abandonedAfter100ns) {
            (void)DeleteFileW(WidePath(PathOf(name)).c_str());
        } else if (IsCacheEntryName(name) || EndsWith(name, listingSuffix)) {
            CacheIndexEntry entry;
            entry.name = name;
            entry.bytes = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            entry.lastShown = written;
            entries.push_back(std::move(entry));
        }
    } while (FindNextFileW(search, &found));
    (void)FindClose(search);
    return entries;
}

std::vector<CacheIndexEntry> PictureCache::Entries() const
{
    std::vector<CacheIndexEntry> entries;
    if (!Enabled()) {
        return entries;
    }
    for (CacheIndexEntry& entry : Scan()) {
        std::string start;
        uint64_t fileBytes = 0;
        CacheEntryHeader header;
        if (IsCacheEntryName(entry.name) && ReadFileStart(PathOf(entry.name), cacheEntryHeaderLimit, start, fileBytes) &&
            ParseCacheEntryHeader(start, fileBytes, header) && CacheEntryName(header.key.path) == entry.name) {
            entry.key = header.key;
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

// The bytes under a temporary name of this process and thread, then renamed
// over `name` once the lock is held and `evicted` are gone.
bool PictureCache::WriteFileAs(const std::string& name, const std::string& bytes,
                               const std::vector<std::string>& evicted)
{
    static std::atomic<unsigned> serial{0};
    const std::wstring temporary =
        WidePath(PathOf(name + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial) +
                        temporarySuffix));
    const HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool written = true;
    for (size_t done = 0; written && done < bytes.size();) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        written = WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
        done += wrote;
    }
    (void)CloseHandle(file);
    if (written) {
        Drop(evicted);
        written = MoveFileExW(temporary.c_str(), WidePath(PathOf(name)).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    if (!written) {
        (void)DeleteFileW(temporary.c_str());
    }
    return written;
}

bool PictureCache::LoadListing(const std::string& pictureFolder, bool includeSubfolders,
                               std::vector<FolderPicture>& pictures) const
{
    std::string bytes;
    uint64_t fileBytes = 0;
    const std::string path = PathOf(CacheListingName(pictureFolder, includeSubfolders));
    // A listing of 100,000 pictures is a few MiB; anything far larger is not one.
    return Enabled() && ReadFileStart(path, 1u << 28, bytes, fileBytes) && fileBytes == bytes.size() &&
           ParseCacheListing(bytes, pictureFolder, includeSubfolders, pictures);
}

void PictureCache::SaveListing(const std::string& pictureFolder, bool includeSubfolders,
                               const std::vector<FolderPicture>& pictures)
{
    if (!Enabled()) {
        return;
    }
    const std::string name = CacheListingName(pictureFolder, includeSubfolders);
    const std::string bytes = EncodeCacheListing(pictureFolder, includeSubfolders, pictures);
    CacheLock lock(folder);
    if (lock.Held()) {
        std::vector<CacheIndexEntry> entries = Scan();
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&name](const CacheIndexEntry& entry) { return entry.name == name; }),
                      entries.end());
        const std::vector<std::string> evicted = EntriesToEvict(entries, capBytes, bytes.size());
        if (bytes.size() <= capBytes) {
            (void)WriteFileAs(name, bytes, evicted);
        }
    }
}

bool PictureCache::Load(const std::string& path, DecodedPicture& picture, const CachedFileKey* fresh)
{
    if (!Enabled()) {
        return false;
    }
    const std::string file = PathOf(CacheEntryName(path));
    std::string bytes;
    uint64_t fileBytes = 0;
    if (!ReadFileStart(file, static_cast<size_t>(std::min<uint64_t>(capBytes, SIZE_MAX / 2)), bytes, fileBytes)) {
        return false;
    }
    CacheEntryHeader header;
    std::vector<uint8_t> pixels;
    if (fileBytes != bytes.size() || !ParseCacheEntry(bytes, header, pixels) ||
        CacheEntryName(header.key.path) != CacheEntryName(path)) {
        // Damaged, or cut short by a crash: replaced when the picture shows next.
        (void)DeleteFileW(WidePath(file).c_str());
        return false;
    }
    if (fresh != nullptr && !CacheEntryFresh(header.key, fresh->fileSize, fresh->modified)) {
        return false;
    }
    picture.pixels.reset(new uint8_t[pixels.size()]);
    std::copy(pixels.begin(), pixels.end(), picture.pixels.get());
    picture.size = header.size;
    MarkShown(file);
    return true;
}

void PictureCache::Store(const CachedFileKey& key, const DecodedPicture& picture, PixelSize largestMonitor)
{
    if (!Enabled() || picture.pixels == nullptr) {
        return;
    }
    const PixelSize copySize = CacheCopySize(picture.size, largestMonitor);
    std::string bytes;
    if (copySize.width == picture.size.width && copySize.height == picture.size.height) {
        bytes = EncodeCacheEntry(key, copySize, picture.pixels.get());
    } else {
        bytes = EncodeCacheEntry(key, copySize, DownsizePixels(picture.pixels.get(), picture.size, copySize).data());
    }
    if (bytes.empty() || bytes.size() > capBytes) {
        return;
    }
    const std::string name = CacheEntryName(key.path);
    CacheLock lock(folder);
    if (!lock.Held()) {
        return;
    }
    std::vector<CacheIndexEntry> entries = Scan();
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&name](const CacheIndexEntry& entry) { return entry.name == name; }),
                  entries.end());
    (void)WriteFileAs(name, bytes, EntriesToEvict(entries, capBytes, bytes.size()));
}

void PictureCache::Drop(const std::string& path)
{
    if (Enabled()) {
        (void)DeleteFileW(WidePath(PathOf(CacheEntryName(path))).c_str());
    }
}

void PictureCache::Drop(const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        (void)DeleteFileW(WidePath(PathOf(name)).c_str());
    }
}

void PictureCache::Trim()
{
    // A cache turned off before it was ever used leaves no folder behind.
    if (folder.empty() || GetFileAttributesW(WidePath(folder).c_str()) == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    CacheLock lock(folder);
    if (lock.Held()) {
        Drop(EntriesToEvict(Scan(), capBytes, 0));
    }
}

PictureFileState ReadPictureFileKey(const std::string& pictureFolder, const std::string& path, CachedFileKey& key)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        key.path = path;
        key.fileSize = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        key.modified = FileTimeValue(data.ftLastWriteTime);
        return PictureFileState::present;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return PictureFileState::unreachable;
    }
    const DWORD folder = GetFileAttributesW(WidePath(pictureFolder).c_str());
    const bool folderAnswers = folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return folderAnswers ? PictureFileState::deleted : PictureFileState::unreachable;
}

FolderPictureCache::FolderPictureCache(const std::string& pictureFolder, bool includeSubfolders, uint64_t capBytes,
                                       bool storesCopies)
    : cache(pictureCacheFolder(), capBytes),
      folder(pictureFolder),
      includeSubfolders(includeSubfolders),
      storesCopies(storesCopies)
{
}

std::vector<FolderPicture> FolderPictureCache::CachedPictures() const
{
    std::vector<FolderPicture> listing;
    if (!Enabled()) {
        return listing;
    }
    const bool listed = cache.LoadListing(folder, includeSubfolders, listing);
    return CachedFolderPictures(cache.Entries(), folder, includeSubfolders, listed ? &listing : nullptr);
}

void FolderPictureCache::Decoded(const std::string& path, const DecodedPicture& picture, PixelSize largestMonitor)
{
    CachedFileKey key;
    if (storesCopies && Enabled() && ReadPictureFileKey(folder, path, key) == PictureFileState::present) {
        cache.Store(key, picture, largestMonitor);
    }
}

void FolderPictureCache::Listed(const std::vector<FolderPicture>& pictures)
{
    if (!Enabled()) {
        return;
    }
    cache.Drop(EntriesNotListed(cache.Entries(), folder, includeSubfolders, pictures));
    if (storesCopies) {
        cache.SaveListing(folder, includeSubfolders, pictures);
    }
}
