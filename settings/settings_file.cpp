#include "settings/settings_file.h"

#include <sstream>

#include "settings/settings_text.h"

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

// The whole text as one signed decimal 32-bit number; false for anything else.
static bool WholeNumber(const std::string& text, int32_t& number)
{
    std::istringstream stream(text);
    int32_t value = 0;
    if (!(stream >> value)) {
        return false;
    }
    stream >> std::ws;
    if (!stream.eof()) {
        return false;
    }
    number = value;
    return true;
}

// The number the text holds when it is one of 1 to highest; else 0.
static int32_t ChoiceFromText(const std::string& text, int32_t highest)
{
    int32_t number = 0;
    return WholeNumber(text, number) && number >= 1 && number <= highest ? number : 0;
}

int32_t WaveStyleFromText(const std::string& text)
{
    return ChoiceFromText(text, highestWaveStyle);
}

int32_t LookFromText(const std::string& text)
{
    return ChoiceFromText(text, realisticLook);
}

int32_t ClockFromText(const std::string& text)
{
    return ChoiceFromText(text, highestClock);
}

bool OnIfOne(const std::string& text)
{
    return ChoiceFromText(text, 1) == 1;
}

int32_t SpeedPercentFromText(const std::string& text)
{
    int32_t number = 0;
    if (WholeNumber(text, number) && number >= slowestSpeedPercent && number <= fastestSpeedPercent) {
        return number;
    }
    return defaultSpeedPercent;
}

int32_t SlideSecondsFromText(const std::string& text)
{
    int32_t number = 0;
    if (WholeNumber(text, number) &&
        (number == 0 || (number >= shortestSlideSeconds && number <= longestSlideSeconds))) {
        return number;
    }
    return defaultSlideSeconds;
}

int32_t CacheMegabytesFromText(const std::string& text)
{
    int32_t number = 0;
    if (WholeNumber(text, number) && number >= 0 && number <= largestCacheMegabytes) {
        return number;
    }
    return defaultCacheMegabytes;
}

bool OnUnlessZero(const std::string& text)
{
    int32_t number = 0;
    return !(WholeNumber(text, number) && number == 0);
}

std::vector<SettingsPlace> SavePlaces(bool perUserPathKnown, bool perUserFileExists)
{
    if (!perUserPathKnown) {
        return {SettingsPlace::besideProgram};
    }
    // Written beside the program, the values would stay hidden behind the
    // user's own file.
    if (perUserFileExists) {
        return {SettingsPlace::perUser};
    }
    return {SettingsPlace::besideProgram, SettingsPlace::perUser};
}
