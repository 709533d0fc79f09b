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
    // The window handle as written after the switch, 0 when the text holds no
    // number: the preview's parent, or the window that owns the settings
    // dialog (the system's screen-saver page passes "/c:HWND").
    int32_t window;
};

// Reads the mode letter at index 1 of the text after the program name; the
// character before it (normally '/' or '-') is not examined. For the preview
// and the settings, the handle is read after the first three characters, so
// "/p 1234" and "/p:1234" both give 1234. A command line with no switch at
// all (empty or only blanks) asks for the settings: that is what the shell's
// Configure passes.
StartRequest ParseCommandLine(const std::string& commandLine);

// Whether a mode's slideshow stores copies of its pictures in the user's
// picture cache: only the full-screen saver, which decodes them for the
// largest monitor. Windows' own preview decodes them at its size (about
// 152x112) and runs the whole time the screen saver settings are open: its
// copies would evict the full-screen ones and show blurred at the next
// start. Every mode shows the copies there are.
bool StoresCacheCopies(Mode mode);

// The executable's folder with its trailing backslash; a path with no
// backslash, or whose only one leads it, is kept whole.
std::string ProgramDirectoryOf(const std::string& executablePath);
