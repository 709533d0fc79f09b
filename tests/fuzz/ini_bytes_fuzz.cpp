// Any bytes as a settings file: decoding never reads out of bounds, and what
// a save writes into the decoded text reads back exactly in the encoding it
// is saved in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ini_text.h"

namespace {

// The ANSI code page's part is the system's: here ANSI text is ASCII only,
// and any other byte reads as a question mark, valid UTF-8 as the system's.
std::string FromAnsi(std::string_view ansi)
{
    std::string text(ansi);
    for (char& c : text) {
        c = static_cast<unsigned char>(c) >= 0x80 ? '?' : c;
    }
    return text;
}

std::optional<std::string> NoAnsi(std::string_view utf8)
{
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return std::nullopt;
        }
    }
    return std::string(utf8);
}

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    IniText file = DecodeIniBytes(bytes, FromAnsi);

    // The input's second half as a value, its first as the file, cut between
    // two characters as every text the program holds is.
    size_t half = file.text.size() / 2;
    while (half > 0 && (static_cast<unsigned char>(file.text[half]) & 0xC0) == 0x80) {
        --half;
    }
    const std::string value = file.text.substr(half);
    const std::string text = WithIniValues(file.text.substr(0, half), "Vitrane settings",
                                           {{"CustomPicture", value}, {"Speed", "100"}});
    const std::string saved = EncodeIniText(text, file.encoding, NoAnsi);
    const IniText read = DecodeIniBytes(saved, FromAnsi);
    Check(read.text == text);
    const std::vector<IniEntry> entries = IniSectionEntries(read.text, "vitrane SETTINGS");
    const std::string* picture = FindIniValue(entries, "customPicture");
    Check(picture != nullptr);
    // Line breaks cannot be stored in a line; all else comes back.
    std::string expected = value;
    for (char& c : expected) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    Check(*picture == expected);
    return 0;
}
