#pragma once

#include <cstdint>
#include <string>

// Reads a signed decimal 32-bit integer the way a default-formatted text
// stream does: leading white space skipped, an optional sign, digits up to the
// first character that cannot continue the number. A text that holds no number
// there, or a number outside the 32-bit range, gives 0: "off" for a flag, and
// no window for a preview handle.
int32_t TextToInt(const char* text);

// "1" for a flag that is on, "0" for one that is off.
std::string FlagToText(bool flag);

std::string ConcatText(const std::string& a, const std::string& b);
