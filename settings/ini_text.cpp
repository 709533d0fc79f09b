#include "settings/ini_text.h"

#include "text/ascii_case.h"
#include "text/utf8.h"

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && AsciiLowerCase(std::string(a)) == AsciiLowerCase(std::string(b));
}

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char kBlanks[] = " \t\v\f\r";

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool IsAscii(std::string_view bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian)
{
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return Utf16ToUtf8(units);
}

std::string Utf8ToUtf16Bytes(const std::string& text, bool bigEndian)
{
    const std::u16string units = Utf8ToUtf16(text);
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::string_view Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// The lines of the text without their line ends ("\r\n" or "\n").
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line)
{
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed.front() != '[') {
        return std::nullopt;
    }
    // Without a "]" the count (npos - 1) still takes the rest of the line.
    const size_t close = trimmed.find(']');
    return Trimmed(trimmed.substr(1, close - 1));
}

// The key of a "key=value" line; nothing for a line without one.
std::optional<std::string_view> KeyOf(std::string_view line)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || SectionName(line)) {
        return std::nullopt;
    }
    return Trimmed(line.substr(0, equals));
}

std::string ValueOf(std::string_view line)
{
    std::string_view value = Trimmed(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string ValueLine(const IniEntry& entry)
{
    std::string value = entry.value;
    for (char& c : value) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const bool loosesBlanks = !value.empty() && Trimmed(value).size() != value.size();
    const bool loosesQuotes = value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
    if (loosesBlanks || loosesQuotes) {
        value = '"' + value + '"';
    }
    return entry.key + "=" + value;
}

}  // namespace

IniText DecodeIniBytes(std::string_view bytes, AnsiToUtf8 ansiToUtf8)
{
    if (StartsWith(bytes, kUtf16LeBom)) {
        return {IniEncoding::Utf16LeWithBom, Utf16BytesToUtf8(bytes.substr(2), false)};
    }
    if (StartsWith(bytes, kUtf16BeBom)) {
        return {IniEncoding::Utf16BeWithBom, Utf16BytesToUtf8(bytes.substr(2), true)};
    }
    if (StartsWith(bytes, kUtf8Bom)) {
        // Ill-formed bytes after the mark become U+FFFD, never raw bytes.
        return {IniEncoding::Utf8WithBom, Utf16ToUtf8(Utf8ToUtf16(bytes.substr(3)))};
    }
    if (IsAscii(bytes)) {
        return {IniEncoding::Ansi, std::string(bytes)};
    }
    if (IsValidUtf8(bytes)) {
        return {IniEncoding::Utf8, std::string(bytes)};
    }
    return {IniEncoding::Ansi, ansiToUtf8(bytes)};
}

std::string EncodeIniText(const std::string& text, IniEncoding& encoding, Utf8ToAnsi utf8ToAnsi)
{
    switch (encoding) {
    case IniEncoding::Ansi:
        // ANSI bytes that also form valid UTF-8 (common in double-byte code
        // pages) would read back as UTF-8, another text.
        if (std::optional<std::string> ansi = utf8ToAnsi(text); ansi && (IsAscii(*ansi) || !IsValidUtf8(*ansi))) {
            return *ansi;
        }
        encoding = IniEncoding::Utf16LeWithBom;
        return std::string(kUtf16LeBom) + Utf8ToUtf16Bytes(text, false);
    case IniEncoding::Utf8:
        // A lone surrogate of a file name would make the file read as ANSI.
        if (IsValidUtf8(text)) {
            return text;
        }
        encoding = IniEncoding::Utf16LeWithBom;
        return std::string(kUtf16LeBom) + Utf8ToUtf16Bytes(text, false);
    case IniEncoding::Utf8WithBom:
        return std::string(kUtf8Bom) + text;
    case IniEncoding::Utf16LeWithBom:
        return std::string(kUtf16LeBom) + Utf8ToUtf16Bytes(text, false);
    case IniEncoding::Utf16BeWithBom:
        return std::string(kUtf16BeBom) + Utf8ToUtf16Bytes(text, true);
    }
    return text;
}

std::vector<IniEntry> IniSectionEntries(const std::string& text, std::string_view section)
{
    std::vector<IniEntry> entries;
    bool inSection = false;
    for (const std::string_view line : Lines(text)) {
        if (const std::optional<std::string_view> name = SectionName(line)) {
            inSection = SameIgnoringAsciiCase(*name, section);
        } else if (const std::optional<std::string_view> key = KeyOf(line); inSection && key) {
            entries.push_back({std::string(*key), ValueOf(line)});
        }
    }
    return entries;
}

const std::string* FindIniValue(const std::vector<IniEntry>& entries, std::string_view key)
{
    for (const IniEntry& entry : entries) {
        if (SameIgnoringAsciiCase(entry.key, key)) {
            return &entry.value;
        }
    }
    return nullptr;
}

// The line where the reader finds the key: its first one in any section of
// that name; npos when there is none.
static size_t KeyLine(const std::vector<std::string>& lines, std::string_view section, std::string_view key)
{
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const std::optional<std::string_view> name = SectionName(lines[i])) {
            inSection = SameIgnoringAsciiCase(*name, section);
        } else if (const std::optional<std::string_view> found = KeyOf(lines[i]);
                   inSection && found && SameIgnoringAsciiCase(*found, key)) {
            return i;
        }
    }
    return std::string::npos;
}

// Just after the last line that is not blank in the first section of that
// name; npos when there is no such section.
static size_t EndOfSection(const std::vector<std::string>& lines, std::string_view section)
{
    size_t end = std::string::npos;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::optional<std::string_view> name = SectionName(lines[i]);
        if (end == std::string::npos) {
            if (name && SameIgnoringAsciiCase(*name, section)) {
                end = i + 1;
            }
        } else if (name) {
            break;
        } else if (!Trimmed(lines[i]).empty()) {
            end = i + 1;
        }
    }
    return end;
}

std::string WithIniValues(const std::string& text, std::string_view section, const std::vector<IniEntry>& entries)
{
    std::vector<std::string> lines;
    for (const std::string_view line : Lines(text)) {
        lines.emplace_back(line);
    }
    for (const IniEntry& entry : entries) {
        const size_t keyLine = KeyLine(lines, section, entry.key);
        if (keyLine != std::string::npos) {
            lines[keyLine] = ValueLine(entry);
            continue;
        }
        size_t end = EndOfSection(lines, section);
        if (end == std::string::npos) {
            if (!lines.empty() && !Trimmed(lines.back()).empty()) {
                lines.emplace_back();
            }
            lines.push_back("[" + std::string(section) + "]");
            end = lines.size();
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), ValueLine(entry));
    }
    std::string result;
    for (const std::string& line : lines) {
        result += line;
        result += "\r\n";
    }
    return result;
}
