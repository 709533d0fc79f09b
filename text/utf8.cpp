#include "text/utf8.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

bool IsSurrogate(char32_t code_point)
{
    return code_point >= 0xD800 && code_point <= 0xDFFF;
}

struct Decoded {
    char32_t code_point;
    size_t length;      // bytes consumed, at least 1
    bool valid;         // well-formed UTF-8
};

// Decodes one sequence at `at`. An ill-formed sequence consumes its maximal
// valid prefix (at least one byte). Encoded surrogates are decoded (and marked
// invalid) so that a caller can choose to keep them.
Decoded DecodeOne(std::string_view bytes, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    size_t length = 0;
    char32_t code_point = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code_point = lead & 0x0F;
        if (lead == 0xE0) {
            low = 0xA0;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code_point = lead & 0x07;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        return {kReplacement, 1, false};
    }
    size_t i = 1;
    for (; i < length && at + i < bytes.size(); ++i) {
        const unsigned char next = byte(i);
        const bool in_range = (i == 1) ? (next >= low && next <= high) : IsContinuation(next);
        if (!in_range) {
            break;
        }
        code_point = (code_point << 6) | (next & 0x3F);
    }
    if (i < length) {
        return {kReplacement, i, false};
    }
    return {code_point, length, !IsSurrogate(code_point)};
}

void AppendUtf8(std::string& out, char32_t code_point)
{
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | (code_point >> 6));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        out += static_cast<char>(0xE0 | (code_point >> 12));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code_point >> 18));
        out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const Decoded d = DecodeOne(utf8, at);
        at += d.length;
        if (d.code_point >= 0x10000) {
            const char32_t offset = d.code_point - 0x10000;
            out += static_cast<char16_t>(0xD800 + (offset >> 10));
            out += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
        } else {
            // An encoded surrogate comes back as the unit it stood for.
            out += static_cast<char16_t>(d.code_point);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (size_t at = 0; at < utf16.size(); ++at) {
        const char16_t unit = utf16[at];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && at + 1 < utf16.size() && utf16[at + 1] >= 0xDC00 && utf16[at + 1] <= 0xDFFF) {
            const char32_t low = utf16[++at];
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00));
        } else {
            // A lone surrogate keeps its three-byte form (see the header).
            AppendUtf8(out, unit);
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (size_t at = 0; at < bytes.size();) {
        const Decoded d = DecodeOne(bytes, at);
        if (!d.valid) {
            return false;
        }
        at += d.length;
    }
    return true;
}
