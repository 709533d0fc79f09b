#include "settings/win32_settings_store.h"

#include <windows.h>

#include <cstring>

#include "settings/settings_file.h"
#include "settings/settings_text.h"

std::string iniPath;
std::string customPicturePath;
unsigned char useCustomPicture = 0;
std::string storedCustomPicture;

// 254 characters and the NUL at most; longer values are cut by the read.
static char profileBuffer[255];

static std::string ReadSetting(const char* key)
{
    std::memset(profileBuffer, 0, sizeof profileBuffer);
    // A missing file, section or key is not an error: it reads as the default.
    (void)GetPrivateProfileStringA(settingsSection, key, profileDefault, profileBuffer,
                                   sizeof profileBuffer, iniPath.c_str());
    const std::string value = ProfileValue(profileBuffer, profileDefault);
    std::memset(profileBuffer, 0, sizeof profileBuffer);
    return value;
}

void LoadSettings(const std::string& programDirectory)
{
    iniPath = ConcatText(programDirectory, settingsFileName);
    storedCustomPicture = ReadSetting(customPictureKey);
    customPicturePath = ResolvePicturePath(programDirectory, storedCustomPicture);
    useCustomPicture = FlagFromText(ReadSetting(useCustomPictureKey));
}
