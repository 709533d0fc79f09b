#include "settings/win32_settings_store.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "clock/win32_file_time.h"
#include "settings/settings_file.h"
#include "settings/settings_leftovers.h"
#include "settings/settings_policy.h"
#include "settings/settings_text.h"
#include "settings/win32_policy_registry.h"
#include "text/win32_wide.h"

std::string iniPath;
std::string userIniPath;
std::string customPicturePath;
unsigned char useCustomPicture = 0;
std::string storedCustomPicture;
int32_t waveStyle = 0;
int32_t speedPercent = defaultSpeedPercent;
std::string pictureFolder;
std::string lastFolderPicture;
int32_t slideSeconds = defaultSlideSeconds;
bool includeSubfolders = true;
bool monitorPictures = true;
int32_t cacheMegabytes = defaultCacheMegabytes;
int32_t look = 0;
int32_t clockShown = 0;
bool captionsShown = false;
bool mainMonitorOnly = false;

static std::string RoamingApplicationData()
{
    PWSTR folder = nullptr;
    std::string path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &folder))) {
        path = Utf8FromWide(folder);
    }
    CoTaskMemFree(folder);
    return path;
}

UserDataFolderLookup userDataFolder = RoamingApplicationData;

static const char userSettingsFolderName[] = "Vitrane";

// What the policies and each file hold in our section, read once at start.
static SettingSources sources;

// The whole file; false when there is none or it cannot be read.
static bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE file =
        CreateFileW(WidePath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size = {};
    // A settings file is small; a huge one is not ours to read.
    bool read = GetFileSizeEx(file, &size) && size.QuadPart < INT_MAX / 2;
    if (read) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        read = bytes.empty() ||
               (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
    }
    (void)CloseHandle(file);
    return read;
}

static bool FileExists(const std::string& path)
{
    return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether another process with that id runs: its leftovers are its own.
static bool OtherProcessRuns(uint32_t id)
{
    if (id == GetCurrentProcessId()) {
        return false;  // under the lock, no save of this process is half done
    }
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr) {
        return GetLastError() == ERROR_ACCESS_DENIED;  // there, but another user's
    }
    const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    (void)CloseHandle(process);
    return runs;
}

static uint64_t WriteTimeOf(const WIN32_FIND_DATAW& found)
{
    return FileTimeTicks(found.ftLastWriteTime);
}

// Where the settings file's contents are, once what earlier saves left beside
// it is dealt with (see PlanLeftovers): a leftover that takes the file's name
// again, or, where it cannot be moved, is read where it lies. Called with the
// settings lock held.
static std::string TidySettingsPlace(const std::string& path)
{
    const std::string folder = FolderOfPath(path);
    const std::string fileName = path.substr(folder.size() + 1);
    std::vector<LeftoverFile> found;
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((WidePath(path) + L".*.tmp*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return path;
    }
    do {
        found.push_back({Utf8FromWide(entry.cFileName), WriteTimeOf(entry)});
    } while (FindNextFileW(search, &entry));
    (void)FindClose(search);

    const LeftoverPlan plan = PlanLeftovers(fileName, FileExists(path), found, OtherProcessRuns);
    if (!plan.adopt.empty()) {
        const std::string leftover = folder + "\\" + plan.adopt;
        if (!MoveFileExW(WidePath(leftover).c_str(), WidePath(path).c_str(), MOVEFILE_WRITE_THROUGH)) {
            return leftover;
        }
    }
    for (const std::string& name : plan.remove) {
        (void)DeleteFileW(WidePath(folder + "\\" + name).c_str());
    }
    return path;
}

// The places whose leftovers this process has dealt with since its last
// load. A save lists a folder only for a place not among them: under Wine a
// folder listing waits for any other one, such as a slideshow's on a share
// that stopped answering, and the saver's exit save must not wait for that.
// Read and changed under the settings lock only.
static std::vector<std::string> tidiedPlaces;

static std::string TidiedSettingsPlace(const std::string& path)
{
    if (std::find(tidiedPlaces.begin(), tidiedPlaces.end(), path) != tidiedPlaces.end()) {
        return path;
    }
    const std::string place = TidySettingsPlace(path);
    if (place == path) {
        tidiedPlaces.push_back(path);
    }
    return place;
}

// One read-change-write of the settings files at a time in the user's
// session (the saver's exit save, the dialog's OK, a second dialog), and no
// load in the middle of one. A holder that died leaves it abandoned, which
// the next one takes over; leftovers are dealt with under it.
class SettingsFilesLock {
public:
    SettingsFilesLock() : mutex_(CreateMutexW(nullptr, FALSE, L"Local\\Vitrane settings files"))
    {
        if (mutex_ != nullptr) {
            const DWORD wait = WaitForSingleObject(mutex_, lockWaitMs);
            owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        }
    }
    ~SettingsFilesLock()
    {
        if (owned_) {
            (void)ReleaseMutex(mutex_);
        }
        if (mutex_ != nullptr) {
            (void)CloseHandle(mutex_);
        }
    }
    SettingsFilesLock(const SettingsFilesLock&) = delete;
    SettingsFilesLock& operator=(const SettingsFilesLock&) = delete;

    // False only where another holds the lock past the wait; where no lock
    // can be made at all, the files are used as before there was one.
    bool Usable() const { return owned_ || mutex_ == nullptr; }

private:
    // A save takes milliseconds; one on a slow network profile may take a second.
    static constexpr DWORD lockWaitMs = 5000;
    HANDLE mutex_;
    bool owned_ = false;
};

static IniText ReadSettingsText(const std::string& path)
{
    std::string bytes;
    if (path.empty() || !ReadWholeFile(TidiedSettingsPlace(path), bytes)) {
        return IniText();
    }
    return DecodeIniBytes(bytes, Utf8FromAnsi);
}

static std::string ReadSetting(const char* key)
{
    const std::string* value = FindSettingValue(sources, key);
    return value != nullptr ? *value : std::string();
}

bool SettingHeldByPolicy(std::string_view key)
{
    return PolicyDecidesSetting(sources.policy, key);
}

bool AnySettingHeldByPolicy()
{
    return !sources.policy.empty();
}

void LoadSettings(const std::string& programDirectory)
{
    iniPath = ConcatText(programDirectory, settingsFileName);
    const std::string dataFolder = userDataFolder();
    userIniPath = dataFolder.empty() ? std::string()
                                     : dataFolder + "\\" + userSettingsFolderName + "\\" + settingsFileName;
    sources.policy = PolicyEntries(ReadPolicyValue);
    const SettingsFilesLock lock;
    tidiedPlaces.clear();
    sources.besideFile = IniSectionEntries(ReadSettingsText(iniPath).text, settingsSection);
    sources.userFile = IniSectionEntries(ReadSettingsText(userIniPath).text, settingsSection);

    storedCustomPicture = ReadSetting(customPictureKey);
    customPicturePath = ResolvePicturePath(programDirectory, storedCustomPicture);
    useCustomPicture = FlagFromText(ReadSetting(useCustomPictureKey));
    waveStyle = WaveStyleFromText(ReadSetting(waveStyleKey));
    speedPercent = SpeedPercentFromText(ReadSetting(speedKey));
    pictureFolder = ReadSetting(pictureFolderKey);
    lastFolderPicture = ReadSetting(lastFolderPictureKey);
    slideSeconds = SlideSecondsFromText(ReadSetting(slideSecondsKey));
    includeSubfolders = OnUnlessZero(ReadSetting(includeSubfoldersKey));
    monitorPictures = OnUnlessZero(ReadSetting(monitorPicturesKey));
    cacheMegabytes = CacheMegabytesFromText(ReadSetting(cacheMegabytesKey));
    look = LookFromText(ReadSetting(lookKey));
    clockShown = ClockFromText(ReadSetting(clockKey));
    captionsShown = OnIfOne(ReadSetting(captionsKey));
    mainMonitorOnly = OnIfOne(ReadSetting(monitorsKey));
}

// A new file beside the settings file holding the bytes, on the disk before
// this returns. Its name ends in ".tmp"; "" when it could not be written
// (nothing is left behind then).
static std::wstring WriteTemporaryCopy(const std::string& path, const std::string& bytes)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temporary = WidePath(path + "." + std::to_string(GetCurrentProcessId()) + "-" +
                                                std::to_string(attempt) + ".tmp");
        const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) {
                continue;
            }
            return std::wstring();
        }
        DWORD written = 0;
        // Flushed, so that a power cut after the replace cannot leave an empty
        // or zero-filled settings file.
        const bool complete =
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(file);
        (void)CloseHandle(file);
        if (complete) {
            return temporary;
        }
        (void)DeleteFileW(temporary.c_str());
        return std::wstring();
    }
    return std::wstring();
}

static bool ReplaceWithBackup(const std::wstring& file, const std::wstring& replacement, const std::wstring& backup)
{
    return ReplaceFileW(file.c_str(), replacement.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                        nullptr) != FALSE;
}

SystemFileReplace systemFileReplace = ReplaceWithBackup;

// ReplaceFileW keeps the old file's attributes, owner and permissions. With a
// backup name it never leaves the settings file missing: where it stops half
// way, the old file is put back.
bool ReplaceFileOrMove(const std::wstring& file, const std::wstring& replacement, bool fileExists)
{
    if (!fileExists) {
        return MoveFileExW(replacement.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    const std::wstring backup = replacement + L".old";
    if (systemFileReplace(file, replacement, backup)) {
        (void)DeleteFileW(backup.c_str());
        return true;
    }
    // The old file now lies under the backup name only: it goes back, or,
    // where it cannot, the complete new one takes the place. Where neither
    // can (a scanner holding both), both stay for the next load to adopt.
    if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 &&
        !MoveFileExW(backup.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (!MoveFileExW(replacement.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return false;
        }
        (void)DeleteFileW(backup.c_str());
        return true;
    }
    return false;
}

SettingsFileReplace settingsFileReplace = ReplaceFileOrMove;

// The entries written into a copy of the file, which then takes the file's
// place: whatever fails on the way, the file keeps all of its old values or
// gets all of the new ones, and no temporary file stays behind, but where the
// replace stopped half way (the next load then adopts what it left).
static bool ReplaceSettingsFile(const std::string& path, const std::vector<SettingEntry>& entries)
{
    // A new file must not hide the contents a save stopped half way left.
    if (TidiedSettingsPlace(path) != path) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A read-only file is an administrator's word that it stays as it is.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    std::string oldBytes;
    if (exists && !ReadWholeFile(path, oldBytes)) {
        return false;
    }
    IniText file = DecodeIniBytes(oldBytes, Utf8FromAnsi);
    const std::string text = WithIniValues(file.text, settingsSection, entries);
    if (exists && text == file.text) {
        return true;  // nothing changes: no write at all
    }
    const std::string bytes = EncodeIniText(text, file.encoding, AnsiFromUtf8);
    const std::wstring temporary = WriteTemporaryCopy(path, bytes);
    if (temporary.empty()) {
        return false;
    }
    if (!settingsFileReplace(WidePath(path), temporary, exists)) {
        // Where the file is gone, its old contents lie under the backup name
        // and this complete copy stays for the next load.
        if (!exists || FileExists(path)) {
            (void)DeleteFileW(temporary.c_str());
        }
        // What it left is for the next save to find.
        tidiedPlaces.clear();
        return false;
    }
    if (exists) {
        // ReplaceFileW keeps them on Windows; Wine's does not.
        (void)SetFileAttributesW(WidePath(path).c_str(), attributes);
    }
    return true;
}

// A value a policy holds is not the user's to change: the file keeps its own,
// which counts again once the policy goes.
static std::vector<SettingEntry> WithoutPolicyHeldKeys(const std::vector<SettingEntry>& entries)
{
    std::vector<SettingEntry> writable;
    for (const SettingEntry& entry : entries) {
        if (!SettingHeldByPolicy(entry.key)) {
            writable.push_back(entry);
        }
    }
    return writable;
}

bool SaveSettings(const std::vector<SettingEntry>& entries, std::string& failedPath)
{
    const std::vector<SettingEntry> writable = WithoutPolicyHeldKeys(entries);
    const SettingsFilesLock lock;
    if (!lock.Usable()) {
        failedPath = userIniPath.empty() ? iniPath : userIniPath;
        return false;
    }
    // The user's file counts as there where a save stopped half way left it
    // aside: written beside the program, the values would stay hidden behind it.
    const bool perUserFileExists = !userIniPath.empty() && FileExists(TidiedSettingsPlace(userIniPath));
    for (const SettingsPlace place : SavePlaces(!userIniPath.empty(), perUserFileExists)) {
        const std::string& path = place == SettingsPlace::perUser ? userIniPath : iniPath;
        if (place == SettingsPlace::perUser) {
            // Fails harmlessly when the folder is there already.
            (void)CreateDirectoryW(WidePath(FolderOfPath(path)).c_str(), nullptr);
        }
        if (ReplaceSettingsFile(path, writable)) {
            return true;
        }
        failedPath = path;
    }
    return false;
}
