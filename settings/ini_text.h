#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text of a settings (profile) file, read and written by the program
// itself, so that every encoding reads the same on every system: Windows'
// profile reader takes a UTF-8 file without a byte-order mark for ANSI, and
// only some readers know the UTF-8 byte-order mark.

enum class IniEncoding {
    Ansi,           // the ANSI code page, as earlier versions wrote it
    Utf8,           // UTF-8 without a byte-order mark
    Utf8WithBom,
    Utf16LeWithBom, // Windows' own form of a Unicode profile file
    Utf16BeWithBom,
};

// Converts between the ANSI code page and UTF-8; the system supplies them.
// The encoder gives nothing when the text holds a character the code page
// lacks.
using AnsiToUtf8 = std::string (*)(std::string_view ansi);
using Utf8ToAnsi = std::optional<std::string> (*)(std::string_view utf8);

struct IniText {
    IniEncoding encoding = IniEncoding::Ansi;
    std::string text;  // UTF-8, without the byte-order mark
};

// A byte-order mark names the encoding; without one, bytes that are valid
// UTF-8 and not plain ASCII are UTF-8, and anything else is ANSI (plain ASCII
// reads the same either way).
IniText DecodeIniBytes(std::string_view bytes, AnsiToUtf8 ansiToUtf8);

// The bytes a save writes: in the file's own encoding while that holds every
// character (and reads back as that encoding), else UTF-16 LE with a
// byte-order mark (`encoding` says which).
std::string EncodeIniText(const std::string& text, IniEncoding& encoding, Utf8ToAnsi utf8ToAnsi);

struct IniEntry {
    std::string key;
    std::string value;
};

// The keys and values of the named section (sections and keys matched
// without regard to ASCII case), read as the system's profile reader reads
// them: blanks around keys and values dropped, and one pair of matching
// quotes around a value removed. Where a key repeats, the first one counts.
std::vector<IniEntry> IniSectionEntries(const std::string& text, std::string_view section);
const std::string* FindIniValue(const std::vector<IniEntry>& entries, std::string_view key);
// Whether two section or key names are the same name to the reader.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text with each entry's key set to its value in the named section: the
// key's line replaced where it is, else added at the end of the section,
// which is added when missing. Every other line stays as it was. A value is
// written so that it reads back exactly: quoted when blanks around it or
// quotes at both ends would otherwise be lost; a line break becomes a blank.
std::string WithIniValues(const std::string& text, std::string_view section, const std::vector<IniEntry>& entries);
