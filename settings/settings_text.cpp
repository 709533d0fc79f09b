#include "settings/settings_text.h"

#include <sstream>

int32_t TextToInt(const char* text)
{
    std::stringstream stream(text);
    int32_t value = 0;
    stream >> value;
    // On a failed extraction the stream stores 0 or, for a number out of
    // range, the nearest limit; neither is a number the text holds.
    return stream.fail() ? 0 : value;
}

std::string FlagToText(bool flag)
{
    std::stringstream stream;
    stream << flag;
    std::string word;
    stream >> word;
    return word;
}

std::string ConcatText(const std::string& a, const std::string& b)
{
    std::string joined = a;
    joined += b;
    return joined;
}
