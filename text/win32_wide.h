#pragma once

#include <string>
#include <string_view>

// UTF-8 texts to and from the wide strings the W functions take.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
