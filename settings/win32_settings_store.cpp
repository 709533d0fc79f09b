#include "settings/win32_settings_store.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "settings/settings_file.h"
#include "settings/settings_text.h"

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

static std::string RoamingApplicationData()
{
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return std::string();
    }
    return folder;
}

UserDataFolderLookup userDataFolder = RoamingApplicationData;

static const char userSettingsFolderName[] = "Vitrane";

// 254 characters and the NUL at most; longer values are cut by the read.
static char profileBuffer[255];

// The key names the user's own file holds in our section.
static std::vector<std::string> userFileKeys;

static std::string ReadSetting(const char* key)
{
    const std::string& file = HoldsKey(userFileKeys, key) ? userIniPath : iniPath;
    std::memset(profileBuffer, 0, sizeof profileBuffer);
    // A missing file, section or key is not an error: it reads as the default.
    (void)GetPrivateProfileStringA(settingsSection, key, profileDefault, profileBuffer,
                                   sizeof profileBuffer, file.c_str());
    const std::string value = ProfileValue(profileBuffer, profileDefault);
    std::memset(profileBuffer, 0, sizeof profileBuffer);
    return value;
}

static std::vector<std::string> KeysInFile(const std::string& file)
{
    if (file.empty()) {
        return {};
    }
    // A null key asks for the section's key names; the few we keep fit.
    std::vector<char> list(4096, '\0');
    const DWORD length = GetPrivateProfileStringA(settingsSection, nullptr, "", list.data(),
                                                  static_cast<DWORD>(list.size()), file.c_str());
    return KeyNames(std::string(list.data(), length));
}

void LoadSettings(const std::string& programDirectory)
{
    iniPath = ConcatText(programDirectory, settingsFileName);
    const std::string dataFolder = userDataFolder();
    userIniPath = dataFolder.empty() ? std::string()
                                     : dataFolder + "\\" + userSettingsFolderName + "\\" + settingsFileName;
    userFileKeys = KeysInFile(userIniPath);

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
}

static bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static std::string FolderOf(const std::string& path)
{
    const std::string::size_type separator = path.find_last_of('\\');
    return separator == std::string::npos ? std::string(".") : path.substr(0, separator);
}

// The entries written into a copy of the file, which then takes the file's
// place in one rename: whatever fails on the way, the file keeps all of its
// old values or gets all of the new ones.
static bool ReplaceSettingsFile(const std::string& path, const std::vector<SettingEntry>& entries)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A read-only file is an administrator's word that it stays as it is.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    // In the same folder, so that the rename never has to copy across volumes.
    char temporary[MAX_PATH] = {};
    if (GetTempFileNameA(FolderOf(path).c_str(), "vit", 0, temporary) == 0) {
        return false;
    }
    bool written = !exists || CopyFileA(path.c_str(), temporary, FALSE);
    for (const SettingEntry& entry : entries) {
        written = written &&
                  WritePrivateProfileStringA(settingsSection, entry.key, entry.value.c_str(), temporary);
    }
    // The profile writer may hold the text back; this hands it to the file
    // before the rename. Wine answers FALSE to it whatever happens.
    (void)WritePrivateProfileStringA(nullptr, nullptr, nullptr, temporary);
    written = written && MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!written) {
        (void)DeleteFileA(temporary);
    }
    return written;
}

bool SaveSettings(const std::vector<SettingEntry>& entries, std::string& failedPath)
{
    for (const SettingsPlace place : SavePlaces(!userIniPath.empty(), FileExists(userIniPath))) {
        const std::string& path = place == SettingsPlace::perUser ? userIniPath : iniPath;
        if (place == SettingsPlace::perUser) {
            // Fails harmlessly when the folder is there already.
            (void)CreateDirectoryA(FolderOf(path).c_str(), nullptr);
        }
        if (ReplaceSettingsFile(path, entries)) {
            return true;
        }
        failedPath = path;
    }
    return false;
}
