#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "stage/stage_choice.h"

// The settings dialog's live preview: the saver's water, camera and picture
// rules in an OpenGL window of the dialog's own, laid over the inside of the
// dialog's placeholder (a static showing the built-in bitmap) and animated
// every 16 ms. Where no rendering context can be made, the placeholder's
// bitmap stays in view and nothing else happens.

// What the preview shows: the saver's choice as the dialog's controls stand,
// on one surface (so one monitor). The desktop is the snapshot taken when the
// preview started; the pictures are read, never stored in the cache.
using PreviewChoice = StageChoice;

// Covers the placeholder with the live preview. False, with nothing created,
// when no rendering context could be made.
bool StartSettingsPreview(HWND dialog, HWND placeholder);
// Shows the choice; the pictures are loaded again only when they changed.
// Files are listed and decoded off the dialog's thread, as the saver does.
void ShowSettingsPreview(const PreviewChoice& choice);
// The picture file the preview shows or fades to; "" for the desktop, the
// built-in picture, no preview, or before the first picture is ready.
std::string SettingsPreviewPicturePath();
// Whether the preview's OpenGL runs the realistic look; false without a
// preview (no OpenGL at all).
bool SettingsPreviewRunsRealisticLook();
// Releases the window, its context and what it shows.
void StopSettingsPreview();

// Gives the preview window's device context its pixel format: the saver's
// own, which tests replace to act a machine without OpenGL.
using PreviewPixelFormatSetter = bool (*)(HDC dc);
extern PreviewPixelFormatSetter previewPixelFormatSetter;
