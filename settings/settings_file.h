#pragma once

#include <string>

// Vitrane.ini, beside the program: one section with two keys.
inline constexpr char settingsSection[] = "Vitrane settings";
inline constexpr char settingsFileName[] = "Vitrane.ini";
inline constexpr char customPictureKey[] = "CustomPicture";
inline constexpr char useCustomPictureKey[] = "UseCustomPic";

// What the profile reader is asked to return for a missing file, section or
// key; see ProfileValue for what it reads as.
inline constexpr char profileDefault[] = " ";

// The value a profile read stands for. Windows strips the trailing blanks of
// the default it hands back; Wine returns the default as given. A value that
// really was stored never ends in blanks (both readers trim the value), so a
// read equal to the default is the default.
std::string ProfileValue(const std::string& read, const std::string& defaultText);

// The picture file a stored CustomPicture text names. A text that begins with
// a dot is relative to the program's directory: its first two characters
// (meant to be ".\") give way to the directory, whatever they are.
std::string ResolvePicturePath(const std::string& programDirectory, const std::string& stored);

// 1 when the text holds a non-zero number; 0 for zero and for no number.
unsigned char FlagFromText(const std::string& text);
