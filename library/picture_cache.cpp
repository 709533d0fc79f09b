#include "library/picture_cache.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>


static const char entryMagic[4] = {'V', 'T', 'P', 'C'};
static const char listingMagic[4] = {'V', 'T', 'P', 'L'};
static const char indexMagic[4] = {'V', 'T', 'P', 'I'};
// The index carries the pictures' shapes since version 2, the entries their
// own sizes since version 3.
static const uint32_t entryVersion = 3;
static const uint32_t listingVersion = 1;
static const uint32_t indexVersion = 2;
static const char entrySuffix[] = ".vpc";
static const char listingSuffix[] = ".vpl";
// Sides above this are no picture the decoder hands over.
static const int largestSide = 16384;
static const uint32_t longestPath = 32767;

// 64-bit FNV-1a: quick, and any damage a disk or a torn write does shows.
static uint64_t Checksum(const char* bytes, size_t count, uint64_t hash = 14695981039346656037ull)
{
    for (size_t i = 0; i < count; ++i) {
        hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ull;
    }
    return hash;
}

static std::string HexName(uint64_t hash, const char* suffix)
{
    static const char digits[] = "0123456789abcdef";
    std::string name(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) {
        name[static_cast<size_t>(i)] = digits[hash & 15];
    }
    return name + suffix;
}

std::string CacheEntryName(const std::string& path)
{
    return HexName(Checksum(path.data(), path.size()), entrySuffix);
}

std::string CacheListingName(const std::string& folder, bool includeSubfolders)
{
    const std::string lower = PathKey(folder) + (includeSubfolders ? "\n1" : "\n0");
    return HexName(Checksum(lower.data(), lower.size()), listingSuffix);
}

bool IsCacheEntryName(const std::string& name)
{
    return name.size() == 16 + 4 && name.compare(16, 4, entrySuffix) == 0 &&
           name.find_first_not_of("0123456789abcdef") == 16;
}

static bool IsListingName(const std::string& name)
{
    const size_t length = sizeof listingSuffix - 1;
    return name.size() >= length && name.compare(name.size() - length, length, listingSuffix) == 0;
}

// ---- Little-endian fields ----

static void PutNumber(std::string& bytes, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// Reads fields in order; once one runs past the end every later read fails too.
class FieldReader {
public:
    explicit FieldReader(const std::string& bytes) : bytes(bytes) {}
    bool Number(uint64_t& value, int width)
    {
        if (!Has(static_cast<size_t>(width))) {
            return false;
        }
        value = 0;
        for (int i = 0; i < width; ++i) {
            value |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
        }
        offset += static_cast<size_t>(width);
        return true;
    }
    bool Text(std::string& text, uint32_t longest)
    {
        uint64_t length = 0;
        if (!Number(length, 4) || length > longest || !Has(static_cast<size_t>(length))) {
            return false;
        }
        text.assign(bytes, offset, static_cast<size_t>(length));
        offset += static_cast<size_t>(length);
        return true;
    }
    bool Magic(const char (&magic)[4], uint32_t expectedVersion)
    {
        uint64_t version = 0;
        if (!Has(4) || std::memcmp(bytes.data(), magic, 4) != 0) {
            return false;
        }
        offset = 4;
        return Number(version, 4) && version == expectedVersion;
    }
    // The checksum of everything before it.
    bool Sum()
    {
        const uint64_t expected = Checksum(bytes.data(), offset);
        uint64_t stored = 0;
        return Number(stored, 8) && stored == expected;
    }
    size_t Offset() const { return offset; }

private:
    bool Has(size_t count) const { return offset <= bytes.size() && bytes.size() - offset >= count; }
    const std::string& bytes;
    size_t offset = 0;
};

static void PutText(std::string& bytes, const std::string& text)
{
    PutNumber(bytes, text.size(), 4);
    bytes += text;
}

static void PutSum(std::string& bytes)
{
    PutNumber(bytes, Checksum(bytes.data(), bytes.size()), 8);
}

// ---- Entries ----

static bool StorableSize(PixelSize size)
{
    return size.width >= 1 && size.height >= 1 && size.width <= largestSide && size.height <= largestSide;
}

static uint64_t PixelBytes(PixelSize size)
{
    return static_cast<uint64_t>(size.width) * static_cast<uint64_t>(size.height) * 4;
}

std::string EncodeCacheEntry(const CachedFileKey& key, PixelSize upright, PixelSize size, const uint8_t* pixels)
{
    if (!StorableSize(size) || key.path.size() > longestPath) {
        return std::string();
    }
    const size_t pixelBytes = static_cast<size_t>(PixelBytes(size));
    const char* pixelText = reinterpret_cast<const char*>(pixels);
    std::string bytes(entryMagic, sizeof entryMagic);
    PutNumber(bytes, entryVersion, 4);
    PutNumber(bytes, key.fileSize, 8);
    PutNumber(bytes, key.modified, 8);
    PutNumber(bytes, static_cast<uint32_t>(std::max(0, upright.width)), 4);
    PutNumber(bytes, static_cast<uint32_t>(std::max(0, upright.height)), 4);
    PutNumber(bytes, static_cast<uint32_t>(size.width), 4);
    PutNumber(bytes, static_cast<uint32_t>(size.height), 4);
    PutText(bytes, key.path);
    PutNumber(bytes, Checksum(pixelText, pixelBytes), 8);
    PutSum(bytes);
    bytes.append(pixelText, pixelBytes);
    return bytes;
}

// The header fields, with the reader left at the pixels' checksum.
static bool ReadEntryHeader(FieldReader& reader, CacheEntryHeader& header)
{
    uint64_t width = 0;
    uint64_t height = 0;
    uint64_t uprightWidth = 0;
    uint64_t uprightHeight = 0;
    if (!reader.Magic(entryMagic, entryVersion) || !reader.Number(header.key.fileSize, 8) ||
        !reader.Number(header.key.modified, 8) || !reader.Number(uprightWidth, 4) ||
        !reader.Number(uprightHeight, 4) || uprightWidth > INT32_MAX || uprightHeight > INT32_MAX ||
        !reader.Number(width, 4) || !reader.Number(height, 4) || !reader.Text(header.key.path, longestPath)) {
        return false;
    }
    header.upright = {static_cast<int>(uprightWidth), static_cast<int>(uprightHeight)};
    header.shape = ShapeOfSize(header.upright.width, header.upright.height);
    header.size = {static_cast<int>(std::min<uint64_t>(width, largestSide + 1)),
                    static_cast<int>(std::min<uint64_t>(height, largestSide + 1))};
    return StorableSize(header.size);
}

// The header and the pixels' checksum, for a file of `fileBytes` in all.
static bool ParseHeader(const std::string& start, uint64_t fileBytes, CacheEntryHeader& header, uint64_t& pixelSum)
{
    FieldReader reader(start);
    if (!ReadEntryHeader(reader, header) || !reader.Number(pixelSum, 8) || !reader.Sum()) {
        return false;
    }
    header.headerBytes = reader.Offset();
    header.entryBytes = header.headerBytes + PixelBytes(header.size);
    return header.entryBytes == fileBytes;
}

bool ParseCacheEntryHeader(const std::string& start, uint64_t fileBytes, CacheEntryHeader& header)
{
    uint64_t pixelSum = 0;
    return ParseHeader(start, fileBytes, header, pixelSum);
}

bool ParseCacheEntry(const std::string& bytes, CacheEntryHeader& header, std::vector<uint8_t>& pixels)
{
    pixels.clear();
    uint64_t pixelSum = 0;
    if (!ParseHeader(bytes, bytes.size(), header, pixelSum)) {
        return false;
    }
    const char* pixelText = bytes.data() + header.headerBytes;
    const size_t pixelBytes = static_cast<size_t>(PixelBytes(header.size));
    if (Checksum(pixelText, pixelBytes) != pixelSum) {
        return false;
    }
    pixels.assign(pixelText, pixelText + pixelBytes);
    return true;
}

// ---- Listings ----

std::string EncodeCacheListing(const std::string& folder, bool includeSubfolders,
                               const std::vector<FolderPicture>& pictures)
{
    std::string bytes(listingMagic, sizeof listingMagic);
    PutNumber(bytes, listingVersion, 4);
    PutNumber(bytes, includeSubfolders ? 1 : 0, 1);
    PutText(bytes, folder);
    PutNumber(bytes, pictures.size(), 8);
    for (const FolderPicture& picture : pictures) {
        PutNumber(bytes, picture.deferred ? 1 : 0, 1);
        PutText(bytes, picture.path);
    }
    PutSum(bytes);
    return bytes;
}

bool ParseCacheListing(const std::string& bytes, const std::string& folder, bool includeSubfolders,
                       std::vector<FolderPicture>& pictures)
{
    pictures.clear();
    FieldReader reader(bytes);
    uint64_t subfolders = 0;
    std::string listedFolder;
    uint64_t count = 0;
    if (!reader.Magic(listingMagic, listingVersion) || !reader.Number(subfolders, 1) ||
        !reader.Text(listedFolder, longestPath) || subfolders != (includeSubfolders ? 1u : 0u) ||
        PathKey(listedFolder) != PathKey(folder) ||
        !reader.Number(count, 8) || count > bytes.size()) {
        return false;
    }
    std::vector<FolderPicture> read;
    read.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t deferred = 0;
        FolderPicture picture;
        if (!reader.Number(deferred, 1) || deferred > 1 || !reader.Text(picture.path, longestPath)) {
            return false;
        }
        picture.deferred = deferred != 0;
        read.push_back(std::move(picture));
    }
    if (!reader.Sum() || reader.Offset() != bytes.size()) {
        return false;
    }
    pictures = std::move(read);
    return true;
}

// ---- The index ----

std::string EncodeCacheIndex(const std::vector<CacheIndexEntry>& entries)
{
    std::string bytes(indexMagic, sizeof indexMagic);
    PutNumber(bytes, indexVersion, 4);
    PutNumber(bytes, entries.size(), 8);
    for (const CacheIndexEntry& entry : entries) {
        PutText(bytes, entry.name);
        PutNumber(bytes, entry.bytes, 8);
        PutNumber(bytes, entry.lastShown, 8);
        PutText(bytes, entry.key.path);
        PutNumber(bytes, entry.key.fileSize, 8);
        PutNumber(bytes, entry.key.modified, 8);
        PutNumber(bytes, static_cast<uint64_t>(entry.shape), 1);
    }
    PutSum(bytes);
    return bytes;
}

bool ParseCacheIndex(const std::string& bytes, std::vector<CacheIndexEntry>& entries)
{
    entries.clear();
    FieldReader reader(bytes);
    uint64_t count = 0;
    if (!reader.Magic(indexMagic, indexVersion) || !reader.Number(count, 8) || count > bytes.size()) {
        return false;
    }
    std::vector<CacheIndexEntry> read(static_cast<size_t>(count));
    for (CacheIndexEntry& entry : read) {
        uint64_t shape = 0;
        if (!reader.Text(entry.name, 64) || !reader.Number(entry.bytes, 8) || !reader.Number(entry.lastShown, 8) ||
            !reader.Text(entry.key.path, longestPath) || !reader.Number(entry.key.fileSize, 8) ||
            !reader.Number(entry.key.modified, 8) || !reader.Number(shape, 1) ||
            shape > static_cast<uint64_t>(PictureShape::Portrait)) {
            return false;
        }
        entry.shape = static_cast<PictureShape>(shape);
    }
    if (!reader.Sum() || reader.Offset() != bytes.size()) {
        return false;
    }
    entries = std::move(read);
    return true;
}

// ---- What stays ----

std::vector<std::string> EntriesToEvict(const std::vector<CacheIndexEntry>& entries, uint64_t capBytes,
                                        uint64_t incomingBytes)
{
    if (incomingBytes > capBytes) {
        return {};
    }
    uint64_t total = incomingBytes;
    for (const CacheIndexEntry& entry : entries) {
        total += entry.bytes;
    }
    std::vector<const CacheIndexEntry*> oldestFirst;
    for (const CacheIndexEntry& entry : entries) {
        oldestFirst.push_back(&entry);
    }
    // Listings last: one is what a start offline shows its copies by. Ties
    // by name, so that two savers evicting together pick the same copies.
    std::sort(oldestFirst.begin(), oldestFirst.end(), [](const CacheIndexEntry* a, const CacheIndexEntry* b) {
        const bool aListing = IsListingName(a->name);
        const bool bListing = IsListingName(b->name);
        if (aListing != bListing) {
            return bListing;
        }
        return a->lastShown != b->lastShown ? a->lastShown < b->lastShown : a->name < b->name;
    });
    std::vector<std::string> evicted;
    for (const CacheIndexEntry* entry : oldestFirst) {
        if (total <= capBytes) {
            break;
        }
        evicted.push_back(entry->name);
        total -= entry->bytes;
    }
    return evicted;
}

// Whether a path found by a walk of `folder` lies in it (both as PathKey gives them).
static bool InFolder(const std::string& pathKey, const std::string& folderKey, bool includeSubfolders)
{
    const bool endsInSeparator = !folderKey.empty() && folderKey.back() == '\\';
    const std::string prefix = endsInSeparator ? folderKey : folderKey + "\\";
    if (pathKey.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    return includeSubfolders || pathKey.find('\\', prefix.size()) == std::string::npos;
}

static std::unordered_set<std::string> PathKeys(const std::vector<FolderPicture>& pictures)
{
    std::unordered_set<std::string> paths;
    for (const FolderPicture& picture : pictures) {
        paths.insert(PathKey(picture.path));
    }
    return paths;
}

std::vector<std::string> EntriesNotListed(const std::vector<CacheIndexEntry>& entries, const std::string& folder,
                                          bool includeSubfolders, const std::vector<FolderPicture>& listing)
{
    const std::string lowerFolder = PathKey(folder);
    const std::unordered_set<std::string> listed = PathKeys(listing);
    std::vector<std::string> gone;
    for (const CacheIndexEntry& entry : entries) {
        const std::string lowerPath = PathKey(entry.key.path);
        if (InFolder(lowerPath, lowerFolder, includeSubfolders) && listed.count(lowerPath) == 0) {
            gone.push_back(entry.name);
        }
    }
    return gone;
}

std::vector<FolderPicture> CachedFolderPictures(const std::vector<CacheIndexEntry>& entries, const std::string& folder,
                                                bool includeSubfolders, const std::vector<FolderPicture>* listing)
{
    const std::string lowerFolder = PathKey(folder);
    const std::unordered_set<std::string> listed =
        listing != nullptr ? PathKeys(*listing) : std::unordered_set<std::string>();
    std::vector<FolderPicture> pictures;
    for (const CacheIndexEntry& entry : entries) {
        const std::string lowerPath = PathKey(entry.key.path);
        if (InFolder(lowerPath, lowerFolder, includeSubfolders) &&
            (listing == nullptr || listed.count(lowerPath) != 0)) {
            FolderPicture picture;
            picture.path = entry.key.path;
            picture.shape = entry.shape;
            pictures.push_back(std::move(picture));
        }
    }
    return pictures;
}

bool CacheEntryFresh(const CachedFileKey& cached, uint64_t fileSize, uint64_t modified)
{
    return cached.fileSize == fileSize && cached.modified == modified;
}

// ---- Copies ----

static int CopySide(int side, int monitorSide)
{
    while (monitorSide >= 1 && side > monitorSide && side > 1) {
        side /= 2;
    }
    return side;
}

PixelSize CacheCopySize(PixelSize picture, PixelSize largestMonitor)
{
    return {CopySide(picture.width, largestMonitor.width), CopySide(picture.height, largestMonitor.height)};
}

std::vector<uint8_t> DownsizePixels(const uint8_t* pixels, PixelSize size, PixelSize copySize)
{
    std::vector<uint8_t> copy(static_cast<size_t>(PixelBytes(copySize)));
    for (int y = 0; y < copySize.height; ++y) {
        const int top = static_cast<int>(static_cast<int64_t>(y) * size.height / copySize.height);
        const int bottom = static_cast<int>(static_cast<int64_t>(y + 1) * size.height / copySize.height);
        for (int x = 0; x < copySize.width; ++x) {
            const int left = static_cast<int>(static_cast<int64_t>(x) * size.width / copySize.width);
            const int right = static_cast<int>(static_cast<int64_t>(x + 1) * size.width / copySize.width);
            uint64_t sums[4] = {0, 0, 0, 0};
            for (int sy = top; sy < bottom; ++sy) {
                const uint8_t* row = pixels + (static_cast<size_t>(sy) * size.width + left) * 4;
                for (int sx = left; sx < right; ++sx, row += 4) {
                    for (int c = 0; c < 4; ++c) {
                        sums[c] += row[c];
                    }
                }
            }
            const uint64_t count = static_cast<uint64_t>(bottom - top) * static_cast<uint64_t>(right - left);
            uint8_t* out = copy.data() + (static_cast<size_t>(y) * copySize.width + x) * 4;
            for (int c = 0; c < 4; ++c) {
                out[c] = static_cast<uint8_t>((sums[c] + count / 2) / count);
            }
        }
    }
    return copy;
}
