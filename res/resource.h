// Resource identifiers shared by the resource script and the C++ code.
// Plain #defines only: windres reads this file through its preprocessor too.
#ifndef VITRANE_RES_RESOURCE_H
#define VITRANE_RES_RESOURCE_H

// Both strings hold the same text: it is the window's title and its class name.
#define IDS_WINDOW_TITLE 103
#define IDS_WINDOW_CLASS 109

#define IDI_VITRANE 107
#define IDI_VITRANE_SMALL 108

#define IDB_BUILTIN_PICTURE 132
#define IDB_SETTINGS_PICTURE 134

#define IDD_SETTINGS 9
#define IDC_CHANGE_PICTURE 1001
#define IDC_CUSTOM_PICTURE 1004
#define IDC_CHOOSE_FOLDER 1005
#define IDC_WAVE_RINGS 1006
#define IDC_WAVE_CROSSED 1007
#define IDC_SPEED 1008
// The built-in bitmap where the preview goes; the live preview covers it.
#define IDC_PREVIEW 1009
#define IDC_PREVIEW_NAME 1010
#define IDC_SLIDE_SECONDS 1011
// Shown only while a policy holds some setting.
#define IDC_POLICY_NOTE 1012
#define IDC_LOOK 1013
#define IDC_WAVE_RAIN 1014
#define IDC_CLOCK 1015
#define IDC_CAPTIONS 1016
#define IDC_MAIN_MONITOR_ONLY 1017

#endif
