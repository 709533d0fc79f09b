#pragma once

#include <string>
#include <string_view>

// Texts and paths inside the program are UTF-8 in std::string; the Windows
// side converts them at each call with these.
//
// Windows file names are sequences of 16-bit units that need not be valid
// UTF-16. So that every name listed from a folder can be opened again, a lone
// surrogate unit is carried through UTF-8 in its three-byte form and turned
// back into the same unit. Every other invalid sequence becomes U+FFFD, one
// per maximal ill-formed part, so no input reads past its end or is dropped
// silently.

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
