#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_text.h"

// The settings, read once at start. Each key comes from a policy in the
// registry when one holds it (the computer's before the user's), else from the
// user's own file when that file holds it, else from "Vitrane.ini" beside the
// program.
extern std::string iniPath;            // the file beside the program
extern std::string userIniPath;        // %APPDATA%\Vitrane\Vitrane.ini; "" when unknown
extern std::string customPicturePath;  // resolved against the program's folder
extern unsigned char useCustomPicture; // 0 or 1

// The CustomPicture text as the file holds it, before a leading dot is
// resolved: the settings dialog keeps it when no new picture is chosen.
extern std::string storedCustomPicture;

extern int32_t waveStyle;              // 0 Rings (default), 1 Crossed, 2 Rain
extern int32_t speedPercent;           // 50..200, 100 by default
extern std::string pictureFolder;      // PictureFolder as stored ("" = none)
extern std::string lastFolderPicture;  // LastFolderPicture as stored
extern int32_t slideSeconds;           // 0, or 5..86400; 60 by default
extern bool includeSubfolders;         // pictures of the folder's subfolders too
extern bool monitorPictures;           // each monitor a picture of its own
extern int32_t cacheMegabytes;         // picture cache cap, 0..65536 MiB (0: no cache); 256 by default
extern int32_t look;                   // 0 Classic (default), 1 Realistic
extern int32_t clockShown;             // 0 none (default), 1 the time, 2 the time and the date
extern bool captionsShown;             // a caption under each picture of a file or folder
extern bool mainMonitorOnly;           // water on the main monitor only, the others black

// All paths and values are UTF-8, whatever encoding the files are in.
void LoadSettings(const std::string& programDirectory);

// Whether a policy gave the key its value at the last load: the user cannot
// change it, and no save writes it.
bool SettingHeldByPolicy(std::string_view key);
bool AnySettingHeldByPolicy();

using SettingEntry = IniEntry;

// Writes every entry into the settings file, all-or-nothing from the user's
// point of view: beside the program when that can be written, else the
// per-user file (folder created as needed). The new file is on the disk
// before it takes the old one's place, which keeps its attributes and
// permissions. False when neither place could be written; failedPath then
// names the file tried last. Keys a policy holds stay as the file has them.
bool SaveSettings(const std::vector<SettingEntry>& entries, std::string& failedPath);

// The folder the per-user settings folder lies in (the roaming application
// data), "" when the system names none; tests point it elsewhere.
using UserDataFolderLookup = std::string (*)();
extern UserDataFolderLookup userDataFolder;

// The last step of a save: the flushed temporary file takes the settings
// file's place (which exists or not). Tests replace it to make it fail.
using SettingsFileReplace = bool (*)(const std::wstring& file, const std::wstring& replacement, bool fileExists);
extern SettingsFileReplace settingsFileReplace;
// The system's step: ReplaceFileW when the file exists, else a move.
bool ReplaceFileOrMove(const std::wstring& file, const std::wstring& replacement, bool fileExists);
// ReplaceFileW itself, with the backup name (its error in GetLastError), which
// tests replace to make it stop half way as the system may.
using SystemFileReplace = bool (*)(const std::wstring& file, const std::wstring& replacement,
                                   const std::wstring& backup);
extern SystemFileReplace systemFileReplace;
