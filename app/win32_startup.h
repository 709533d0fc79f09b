#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "picture/picture_math.h"
#include "render/win32_scene.h"

// Process-wide state: one of each, alive until the process ends.
extern Scene scene;
extern HINSTANCE instance;
extern HWND mainWindow;
extern std::string programDirectory;  // ends with a backslash
extern uint32_t lastFrameTime;        // milliseconds, when the last frame started

// The whole program: start-up in its fixed order, then the main loop, at
// whose end it ends the process itself. Returns only when there is nothing
// to do. The exit code is 0 on every path. The command line comes as UTF-8.
int RunVitrane(HINSTANCE programInstance, const char* commandLineText);

// The size picture files are decoded for: full screen the largest monitor's;
// the preview's own, a few hundred pixels, where a monitor's size would cost
// a full decode and a texture of megabytes that nobody sees.
PixelSize PictureDecodeSize(const GLWindow& output);

// The module's full path in UTF-8, however long Windows makes it.
std::string ModuleFilePath(HMODULE module);
