#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "library/win32_slideshow.h"

// The settings dialog's live preview: the saver's water, camera and picture
// rules in an OpenGL window of the dialog's own, laid over the inside of the
// dialog's placeholder (a static showing the built-in bitmap) and animated
// every 16 ms. Where no rendering context can be made, the placeholder's
// bitmap stays in view and nothing else happens.

struct PreviewChoice {
    bool desktop = false;    // the snapshot taken when the preview started
    SlideshowChoice slides;  // otherwise these pictures (one surface, so one monitor)
    int32_t waveStyle = 0;      // 0 Rings, 1 Crossed, 2 Rain
    int32_t speedPercent = 100;
    int32_t look = 0;           // 0 Classic, 1 Realistic
    int32_t clockShown = 0;     // 0 none, 1 the time, 2 the time and the date
    bool captionsShown = false;
    bool mainMonitorOnly = false;
};

// Covers the placeholder with the live preview. False, with nothing created,
// when no rendering context could be made.
bool StartSettingsPreview(HWND dialog, HWND placeholder);
// Shows the choice; the pictures are loaded again only when they changed.
// Files are listed and decoded off the dialog's thread, as the saver does.
void ShowSettingsPreview(const PreviewChoice& choice);
// The picture file the preview shows or fades to; "" for the desktop, the
// built-in picture, no preview, or before the first picture is ready.
std::string SettingsPreviewPicturePath();
// Releases the window, its context, the slideshow, the texture and the
// desktop snapshot.
void StopSettingsPreview();

// Gives the preview window's device context its pixel format: the saver's
// own, which tests replace to act a machine without OpenGL.
using PreviewPixelFormatSetter = bool (*)(HDC dc);
extern PreviewPixelFormatSetter previewPixelFormatSetter;
