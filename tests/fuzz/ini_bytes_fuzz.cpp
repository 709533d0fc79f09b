// Any bytes as a settings file and any name as a value: decoding never reads
// out of bounds, and what a save writes reads back exactly in the encoding it
// is saved in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ini_text.h"
#include "text/utf8.h"

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
    // The input's first half as a settings file, its second as a value: any
    // string of UTF-16 units, as a Windows file name may be.
    const size_t half = size / 2;
    IniText file = DecodeIniBytes(std::string(reinterpret_cast<const char*>(data), half), FromAnsi);
    std::u16string name((size - half) / 2, u'\0');
    for (size_t i = 0; i < name.size(); ++i) {
        name[i] = static_cast<char16_t>(data[half + 2 * i] | (data[half + 2 * i + 1] << 8));
    }
    const std::string value = Utf16ToUtf8(name);
    const std::string text =
        WithIniValues(file.text, "Vitrane settings", {{"CustomPicture", value}, {"Speed", "100"}});
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
