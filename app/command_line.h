#pragma once

#include <cstdint>
#include <string>

enum class Mode {
    Preview,     // drawn inside the window whose handle follows the switch
    Password,
    FullScreen,
    Settings,
    Invalid,
};

struct StartRequest {
    Mode mode;
    // Preview only: the parent window's handle as written on the command line,
    // 0 when the text holds no number.
    int32_t previewParent;
};

// Reads the mode letter at index 1 of the text after the program name; the
// character before it (normally '/' or '-') is not examined. For the preview,
// the parent handle is read after the first three characters, so "/p 1234"
// and "/p:1234" both give 1234.
StartRequest ParseCommandLine(const std::string& commandLine);

// The executable's folder with its trailing backslash; a path with no
// backslash, or whose only one leads it, is kept whole.
std::string ProgramDirectoryOf(const std::string& executablePath);
