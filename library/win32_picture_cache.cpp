#include "library/win32_picture_cache.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>

#include "clock/win32_file_time.h"
#include "text/win32_wide.h"

static const char lockName[] = "cache.lock";
static const char indexName[] = "cache.vpi";
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

static uint64_t Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileTimeTicks(now);
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

// The files the cache wrote, with their lengths and last-shown times (each
// copy's last-write time is set when it shows), and each copy's key from its
// header; a copy whose header is damaged goes. Temporary files left behind by
// a process that ended mid-write go too.
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
    std::vector<std::string> damaged;
    do {
        const std::string name = Utf8FromWide(found.cFileName);
        const uint64_t written = FileTimeTicks(found.ftLastWriteTime);
        CacheIndexEntry entry;
        entry.name = name;
        entry.bytes = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        entry.lastShown = written;
        std::string start;
        uint64_t fileBytes = 0;
        CacheEntryHeader header;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        if (EndsWith(name, temporarySuffix)) {
            if (now > written && now - written > abandonedAfter100ns) {
                damaged.push_back(name);
            }
        } else if (EndsWith(name, listingSuffix)) {
            entries.push_back(std::move(entry));
        } else if (IsCacheEntryName(name)) {
            if (ReadFileStart(PathOf(name), cacheEntryHeaderLimit, start, fileBytes) &&
                ParseCacheEntryHeader(start, fileBytes, header) && CacheEntryName(header.key.path) == name) {
                entry.key = header.key;
                entry.shape = header.shape;
                entries.push_back(std::move(entry));
            } else {
                damaged.push_back(name);
            }
        }
    } while (FindNextFileW(search, &found));
    (void)FindClose(search);
    DeleteFiles(damaged);
    return entries;
}

void PictureCache::DeleteFiles(const std::vector<std::string>& names) const
{
    for (const std::string& name : names) {
        (void)DeleteFileW(WidePath(PathOf(name)).c_str());
    }
}

bool PictureCache::ReadIndex(std::vector<CacheIndexEntry>& entries) const
{
    std::string bytes;
    uint64_t fileBytes = 0;
    return ReadFileStart(PathOf(indexName), 1u << 28, bytes, fileBytes) && fileBytes == bytes.size() &&
           ParseCacheIndex(bytes, entries);
}

// Under the lock: the index read, changed by `change` (which returns false
// to change nothing) and written back. False when the lock, the index or its
// write failed: a missing or damaged index is rebuilt at the next start.
template <typename Change>
bool PictureCache::UpdateIndex(Change change)
{
    CacheLock lock(folder);
    std::vector<CacheIndexEntry> entries;
    if (!lock.Held() || !ReadIndex(entries)) {
        return false;
    }
    return change(entries) && WriteFileAs(indexName, EncodeCacheIndex(entries));
}

bool PictureCache::Open()
{
    // A cache turned off before it was ever used leaves no folder behind.
    if (folder.empty() || (capBytes == 0 && GetFileAttributesW(WidePath(folder).c_str()) == INVALID_FILE_ATTRIBUTES)) {
        return true;
    }
    CacheLock lock(folder);
    if (!lock.Held()) {
        return false;
    }
    std::vector<CacheIndexEntry> entries = Scan();
    Evict(entries, EntriesToEvict(entries, capBytes, 0));
    return WriteFileAs(indexName, EncodeCacheIndex(entries));
}

void PictureCache::Evict(std::vector<CacheIndexEntry>& entries, const std::vector<std::string>& names) const
{
    DeleteFiles(names);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&names](const CacheIndexEntry& entry) {
                                     return std::find(names.begin(), names.end(), entry.name) != names.end();
                                 }),
                  entries.end());
}

std::vector<CacheIndexEntry> PictureCache::Entries() const
{
    std::vector<CacheIndexEntry> entries;
    if (!Enabled() || !ReadIndex(entries)) {
        entries.clear();
    }
    return entries;
}

// Renames `from` over `to`. A file open for reading cannot be replaced
// (access denied, whatever the reader shares), and readers take no lock:
// another thread's or saver's read of the index ends within moments, so the
// rename is tried again for a while before the change is given up.
static bool ReplaceFileWith(const std::wstring& from, const std::wstring& to)
{
    constexpr int attempts = 40;
    constexpr DWORD pauseMs = 5;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            return true;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == attempts) {
            return false;
        }
        Sleep(pauseMs);
    }
}

// The bytes under a temporary name of this process, then renamed over `name`:
// a reader sees the old file or the new one, never half of one.
bool PictureCache::WriteFileAs(const std::string& name, const std::string& bytes) const
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
    written = written && ReplaceFileWith(temporary, WidePath(PathOf(name)));
    if (!written) {
        (void)DeleteFileW(temporary.c_str());
    }
    return written;
}

// Under the lock: the least recently shown go until the file fits, then it
// is written and takes its place in the index. A file the index could not
// take goes again, so that the cap holds.
bool PictureCache::Add(const CachedFileKey& key, PictureShape shape, const std::string& name,
                       const std::string& bytes)
{
    if (bytes.empty() || bytes.size() > capBytes) {
        return false;
    }
    bool written = false;
    const bool indexed = UpdateIndex([&](std::vector<CacheIndexEntry>& entries) {
        Evict(entries, {name});
        Evict(entries, EntriesToEvict(entries, capBytes, bytes.size()));
        written = WriteFileAs(name, bytes);
        if (written) {
            entries.push_back({name, key, bytes.size(), Now(), shape});
        }
        return true;  // the evictions stand either way
    });
    if (written && !indexed) {
        DeleteFiles({name});
    }
    return written && indexed;
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
    if (Enabled()) {
        (void)Add({}, PictureShape::Unknown, CacheListingName(pictureFolder, includeSubfolders),
            EncodeCacheListing(pictureFolder, includeSubfolders, pictures));
    }
}

bool PictureCache::Load(const std::string& path, DecodedPicture& picture, const CachedFileKey* fresh,
                        PictureShape* shape)
{
    if (!Enabled()) {
        return false;
    }
    const std::string name = CacheEntryName(path);
    std::string bytes;
    uint64_t fileBytes = 0;
    if (!ReadFileStart(PathOf(name), static_cast<size_t>(std::min<uint64_t>(capBytes, SIZE_MAX / 2)), bytes,
                       fileBytes)) {
        return false;
    }
    CacheEntryHeader header;
    std::vector<uint8_t> pixels;
    if (fileBytes != bytes.size() || !ParseCacheEntry(bytes, header, pixels) || CacheEntryName(header.key.path) != name) {
        // Damaged, or cut short by a crash: replaced when the picture shows next.
        Drop(path);
        return false;
    }
    if (fresh != nullptr && !CacheEntryFresh(header.key, fresh->fileSize, fresh->modified)) {
        return false;
    }
    picture.pixels.reset(new uint8_t[pixels.size()]);
    std::copy(pixels.begin(), pixels.end(), picture.pixels.get());
    picture.size = header.size;
    picture.upright = header.upright;
    picture.modified = header.key.modified;
    picture.fromCopy = true;
    if (shape != nullptr) {
        *shape = header.shape;
    }
    MarkShown(PathOf(name));
    const uint64_t now = Now();
    // A last-shown time the index misses only makes the copy an earlier
    // candidate for eviction; the copy is shown all the same.
    (void)UpdateIndex([&](std::vector<CacheIndexEntry>& entries) {
        for (CacheIndexEntry& entry : entries) {
            if (entry.name == name) {
                entry.lastShown = now;
            }
        }
        return true;
    });
    return true;
}

bool PictureCache::Store(const CachedFileKey& key, const DecodedPicture& picture, PixelSize largestMonitor)
{
    if (!Enabled() || picture.pixels == nullptr) {
        return false;
    }
    const PictureShape shape = ShapeOfSize(picture.upright.width, picture.upright.height);
    const PixelSize copySize = CacheCopySize(picture.size, largestMonitor);
    if (copySize.width == picture.size.width && copySize.height == picture.size.height) {
        return Add(key, shape, CacheEntryName(key.path), EncodeCacheEntry(key, picture.upright, copySize, picture.pixels.get()));
    }
    const std::vector<uint8_t> copy = DownsizePixels(picture.pixels.get(), picture.size, copySize);
    return Add(key, shape, CacheEntryName(key.path), EncodeCacheEntry(key, picture.upright, copySize, copy.data()));
}

bool PictureCache::Drop(const std::string& path)
{
    return !Enabled() || Drop(std::vector<std::string>{CacheEntryName(path)});
}

bool PictureCache::Drop(const std::vector<std::string>& names)
{
    if (names.empty()) {
        return true;
    }
    // Deleted even where the index cannot follow: a copy of a deleted file
    // must never show again, and an index entry without its file is harmless.
    DeleteFiles(names);
    return UpdateIndex([&](std::vector<CacheIndexEntry>& entries) {
        Evict(entries, names);
        return true;
    });
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

bool FolderPictureCache::Decoded(const CachedFileKey& key, const DecodedPicture& picture, PixelSize largestMonitor)
{
    return storesCopies && Enabled() && cache.Store(key, picture, largestMonitor);
}

void FolderPictureCache::Drop(const std::vector<std::string>& copyPaths)
{
    for (const std::string& path : copyPaths) {
        (void)cache.Drop(path);
    }
}

void FolderPictureCache::Listed(const std::vector<FolderPicture>& pictures)
{
    if (!Enabled()) {
        return;
    }
    (void)cache.Drop(EntriesNotListed(cache.Entries(), folder, includeSubfolders, pictures));
    if (storesCopies) {
        cache.SaveListing(folder, includeSubfolders, pictures);
    }
}
