#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

// The settings dialog IDD_SETTINGS: the picture (desktop, a file, a folder of
// pictures or the built-in one), the look, the wave style and speed, the
// clock, the captions and the monitors, seen live in its preview and saved
// into the settings file on OK.
INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The file chooser behind "Change a picture...": the common open-file dialog,
// which tests replace with a scripted one.
using PictureChooser = BOOL(WINAPI*)(LPOPENFILENAMEW request);
extern PictureChooser pictureChooser;

// The folder chooser behind "Choose a folder...": the system's folder picker,
// starting at `folder`. True, with `folder` set, when one was chosen. Paths
// are UTF-8.
using FolderChooser = bool (*)(HWND owner, std::string& folder);
extern FolderChooser folderChooser;
