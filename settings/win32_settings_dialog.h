#pragma once

#include <windows.h>
#include <commdlg.h>

// The settings dialog IDD_SETTINGS: turns the custom picture on or off,
// chooses its file and saves both into the settings file on OK.
INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The file chooser behind "Change a picture...": the common open-file dialog,
// which tests replace with a scripted one.
using PictureChooser = BOOL(WINAPI*)(LPOPENFILENAMEA request);
extern PictureChooser pictureChooser;
