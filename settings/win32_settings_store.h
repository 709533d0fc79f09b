#pragma once

#include <string>

// The two settings, read once at start from "Vitrane.ini" beside the program.
extern std::string iniPath;
extern std::string customPicturePath;
extern unsigned char useCustomPicture;  // 0 or 1

// The CustomPicture text as the file holds it, before a leading dot is
// resolved: the settings dialog keeps it when no new picture is chosen.
extern std::string storedCustomPicture;

void LoadSettings(const std::string& programDirectory);
