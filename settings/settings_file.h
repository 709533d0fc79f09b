#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Vitrane.ini, beside the program and per user: one section of keys.
inline constexpr char settingsSection[] = "Vitrane settings";
inline constexpr char settingsFileName[] = "Vitrane.ini";
inline constexpr char customPictureKey[] = "CustomPicture";
inline constexpr char useCustomPictureKey[] = "UseCustomPic";
inline constexpr char waveStyleKey[] = "WaveStyle";
inline constexpr char speedKey[] = "Speed";
inline constexpr char pictureFolderKey[] = "PictureFolder";
inline constexpr char lastFolderPictureKey[] = "LastFolderPicture";
inline constexpr char slideSecondsKey[] = "SlideSeconds";
inline constexpr char includeSubfoldersKey[] = "IncludeSubfolders";
inline constexpr char monitorPicturesKey[] = "MonitorPictures";
inline constexpr char cacheMegabytesKey[] = "CacheMegabytes";
inline constexpr char lookKey[] = "Look";
inline constexpr char clockKey[] = "Clock";
inline constexpr char captionsKey[] = "Captions";
inline constexpr char monitorsKey[] = "Monitors";

// WaveStyle: the shape of the waves, in both looks.
inline constexpr int32_t rainWaveStyle = 2;
inline constexpr int32_t highestWaveStyle = rainWaveStyle;
// Look: 0 the classic tilted grid, 1 the screen itself under water.
inline constexpr int32_t realisticLook = 1;
// Clock: 0 none, 1 the time, 2 the time and the date.
inline constexpr int32_t highestClock = 2;

inline constexpr int32_t defaultSpeedPercent = 100;
inline constexpr int32_t slowestSpeedPercent = 50;
inline constexpr int32_t fastestSpeedPercent = 200;

// Seconds between the pictures of a folder; 0 shows one picture per start.
inline constexpr int32_t defaultSlideSeconds = 60;
inline constexpr int32_t shortestSlideSeconds = 5;
inline constexpr int32_t longestSlideSeconds = 86400;

// The cap of the picture cache in MiB; 0 turns the cache off.
inline constexpr int32_t defaultCacheMegabytes = 256;
inline constexpr int32_t largestCacheMegabytes = 65536;

// The picture file a stored CustomPicture text names. A text that begins with
// a dot is relative to the program's directory: its first two characters
// (meant to be ".\") give way to the directory, whatever they are.
std::string ResolvePicturePath(const std::string& programDirectory, const std::string& stored);

// 1 when the text holds a non-zero number; 0 for zero and for no number.
unsigned char FlagFromText(const std::string& text);

// The newer keys accept only a whole number (blanks around it allowed); any
// other text, as a missing key, means the behaviour from before they existed.
// 1 (Crossed) or 2 (Rain) when the text holds that number, else 0 (Rings).
int32_t WaveStyleFromText(const std::string& text);
// 1 (Realistic) when the text holds the number 1, else 0 (Classic).
int32_t LookFromText(const std::string& text);
// 1 (the time) or 2 (the time and the date) when the text holds that number,
// else 0 (no clock).
int32_t ClockFromText(const std::string& text);
// A switch that is off unless the text holds the number 1 (Captions, and
// Monitors, whose 1 is the main monitor only).
bool OnIfOne(const std::string& text);
// The percent of the normal wave speed, 50 to 200; 100 for anything else.
int32_t SpeedPercentFromText(const std::string& text);
// 0, or 5 to 86400 seconds between pictures; 60 for anything else.
int32_t SlideSecondsFromText(const std::string& text);
// 0 to 65536 MiB of picture cache; 256 for anything else.
int32_t CacheMegabytesFromText(const std::string& text);
// A switch that is on unless the text holds the number 0 (IncludeSubfolders,
// MonitorPictures).
bool OnUnlessZero(const std::string& text);

// Where settings are kept: the file beside the program, which an
// administrator may fill for every user, and the user's own file.
enum class SettingsPlace { besideProgram, perUser };

// The files a save tries, in order, until one is written. A user who has a
// file of their own saves into it, since its keys win on reading; else the
// file beside the program, then the user's (when its path is known).
std::vector<SettingsPlace> SavePlaces(bool perUserPathKnown, bool perUserFileExists);
