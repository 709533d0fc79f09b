#pragma once

#include <optional>
#include <string>
#include <string_view>

// UTF-8 texts to and from the wide strings the W functions take.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// A path for the W file functions, usable past MAX_PATH: a path too long for
// the plain form gets the "\\?\" prefix, after the system has made it whole
// (relative parts, "." and "..", forward slashes), since the prefix turns
// that off. Shorter paths are passed as they are.
std::wstring WidePath(std::string_view utf8Path);

// The folder a path lies in (either slash separates, as Windows takes both);
// "." for a bare name.
std::string FolderOfPath(const std::string& path);

// Text in the ANSI code page, as earlier versions wrote their files.
std::string Utf8FromAnsi(std::string_view ansi);
// Nothing when the code page lacks a character of the text.
std::optional<std::string> AnsiFromUtf8(std::string_view utf8);
