#include "settings/settings_file.h"

#include "settings/settings_text.h"

std::string ProfileValue(const std::string& read, const std::string& defaultText)
{
    if (read != defaultText) {
        return read;
    }
    const std::string::size_type lastKept = defaultText.find_last_not_of(' ');
    if (lastKept == std::string::npos) {
        return std::string();
    }
    return defaultText.substr(0, lastKept + 1);
}

std::string ResolvePicturePath(const std::string& programDirectory, const std::string& stored)
{
    if (stored.empty() || stored[0] != '.') {
        return stored;
    }
    // A lone "." has nothing after its two dropped characters: the directory.
    const std::string rest = stored.size() > 2 ? stored.substr(2) : std::string();
    return ConcatText(programDirectory, rest);
}

unsigned char FlagFromText(const std::string& text)
{
    return TextToInt(text.c_str()) != 0 ? 1 : 0;
}
