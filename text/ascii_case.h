#pragma once

#include <string>

// The text with A to Z made lower case; Windows matches file names and
// profile keys that way.
std::string AsciiLowerCase(std::string text);
