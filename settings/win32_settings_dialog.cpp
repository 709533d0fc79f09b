#include "settings/win32_settings_dialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

#include "picture/win32_picture_formats.h"
#include "res/resource.h"
#include "settings/dialog_choices.h"
#include "settings/settings_file.h"
#include "settings/settings_text.h"
#include "settings/win32_settings_preview.h"
#include "settings/win32_settings_store.h"
#include "text/win32_wide.h"

static int CALLBACK StartInFolder(HWND picker, UINT message, LPARAM, LPARAM folder)
{
    if (message == BFFM_INITIALIZED && folder != 0) {
        (void)SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, folder);
    }
    return 0;
}

// The item's file-system path at any length ("" for none).
static std::string PathOfItem(PCIDLIST_ABSOLUTE item)
{
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetNameFromIDList(item, SIGDN_FILESYSPATH, &path))) {
        folder = Utf8FromWide(path);
    }
    CoTaskMemFree(path);
    return folder;
}

static bool ChooseFolderWithShell(HWND owner, std::string& folder)
{
    // The picker's newer look needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring startFolder = WideFromUtf8(folder);
    wchar_t displayName[MAX_PATH] = {};  // the item's name only, which fits
    BROWSEINFOW request = {};
    request.hwndOwner = owner;
    request.pszDisplayName = displayName;
    request.lpszTitle = L"Choose a folder of pictures";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    request.lpfn = StartInFolder;
    request.lParam = folder.empty() ? 0 : reinterpret_cast<LPARAM>(startFolder.c_str());
    bool chosen = false;
    if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&request)) {
        const std::string path = PathOfItem(item);
        if (!path.empty()) {
            folder = path;
            chosen = true;
        }
        CoTaskMemFree(item);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return chosen;
}

PictureChooser pictureChooser = GetOpenFileNameW;
FolderChooser folderChooser = ChooseFolderWithShell;

// The longest path the open-file dialog hands back, with its NUL.
static const DWORD pictureFileBufferSize = 32768;

// What the dialog shows and OK saves: read from the loaded settings when it
// opens, changed by the controls, handed to the preview on every change.
struct DialogChoices {
    bool useCustomPicture = false;
    std::string pictureFile;  // the CustomPicture text OK saves
    std::string pictureFolder;
    int32_t slideSeconds = defaultSlideSeconds;
    int32_t look = 0;
    int32_t waveStyle = 0;
    int32_t speedPercent = defaultSpeedPercent;
    int32_t clock = 0;
    bool captions = false;
    bool mainMonitorOnly = false;
};

static DialogChoices choices;
// The line under the preview where the realistic look is chosen but cannot run.
static const char realisticLookNeedsNewerOpenGL[] = "The realistic look needs a newer OpenGL";
static bool previewRunning = false;

// The file a File source shows: the stored text is resolved as start-up
// resolves it; a file chosen here is a full path already.
static std::string PreviewFilePath()
{
    return storedCustomPicture == choices.pictureFile ? customPicturePath : choices.pictureFile;
}

// The line under the preview and the preview itself follow every change.
static void ShowChoices(HWND dialog)
{
    const PictureSource source =
        ChosenPictureSource(choices.useCustomPicture, choices.pictureFile, choices.pictureFolder);
    // Where the realistic look cannot run, the preview (and the saver) show
    // the classic one: the line says why instead of naming the picture.
    const bool lacksLook = choices.look == realisticLook && !SettingsPreviewRunsRealisticLook();
    const std::string label = lacksLook ? realisticLookNeedsNewerOpenGL
                                        : PictureSourceLabel(source, choices.pictureFile, choices.pictureFolder);
    (void)SetDlgItemTextW(dialog, IDC_PREVIEW_NAME, WideFromUtf8(label).c_str());
    if (!previewRunning) {
        return;
    }
    PreviewChoice choice;
    choice.source = source;
    choice.file = PreviewFilePath();
    choice.folder = choices.pictureFolder;
    choice.includeSubfolders = includeSubfolders;
    choice.slideSeconds = static_cast<uint32_t>(choices.slideSeconds);
    // Read only: the preview's pictures are decoded at its small size.
    choice.cacheMegabytes = cacheMegabytes;
    choice.lastFolderPicture = lastFolderPicture;
    choice.waveStyle = choices.waveStyle;
    choice.speedPercent = choices.speedPercent;
    choice.look = choices.look;
    choice.clockShown = choices.clock;
    choice.captionsShown = choices.captions;
    choice.mainMonitorOnly = choices.mainMonitorOnly;
    ShowSettingsPreview(choice);
}

// A control whose setting a policy holds stays disabled.
static void EnableUnlessHeld(HWND dialog, int control, const char* key, bool enable)
{
    (void)EnableWindow(GetDlgItem(dialog, control), enable && !SettingHeldByPolicy(key));
}

// The file and folder buttons are usable exactly while the box is ticked.
static void ShowPictureChoice(HWND dialog, bool on)
{
    (void)CheckDlgButton(dialog, IDC_CUSTOM_PICTURE, on ? BST_CHECKED : BST_UNCHECKED);
    EnableUnlessHeld(dialog, IDC_CUSTOM_PICTURE, useCustomPictureKey, true);
    EnableUnlessHeld(dialog, IDC_CHANGE_PICTURE, customPictureKey, on);
    EnableUnlessHeld(dialog, IDC_CHOOSE_FOLDER, pictureFolderKey, on);
    EnableUnlessHeld(dialog, IDC_SLIDE_SECONDS, slideSecondsKey, on);
}

// The controls that are usable whatever else is chosen, with the setting each
// one changes. (The picture's controls follow the box: ShowPictureChoice.)
struct SettingControl {
    int control;
    const char* key;
};
static const SettingControl settingControls[] = {
    {IDC_LOOK, lookKey},          {IDC_WAVE_RINGS, waveStyleKey}, {IDC_WAVE_CROSSED, waveStyleKey},
    {IDC_WAVE_RAIN, waveStyleKey}, {IDC_SPEED, speedKey},          {IDC_CLOCK, clockKey},
    {IDC_CAPTIONS, captionsKey},  {IDC_MAIN_MONITOR_ONLY, monitorsKey},
};

static void ShowPolicyLocks(HWND dialog)
{
    for (const SettingControl& setting : settingControls) {
        EnableUnlessHeld(dialog, setting.control, setting.key, true);
    }
    (void)ShowWindow(GetDlgItem(dialog, IDC_POLICY_NOTE), AnySettingHeldByPolicy() ? SW_SHOWNA : SW_HIDE);
}

struct ListItem {
    int32_t value;
    std::string label;
};

// A drop-down list of the items, the one holding `chosen` selected.
static void FillList(HWND dialog, int control, const std::vector<ListItem>& items, int32_t chosen)
{
    const HWND list = GetDlgItem(dialog, control);
    (void)SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const ListItem& entry : items) {
        const LRESULT item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.label.c_str()));
        if (item >= 0) {
            (void)SendMessageA(list, CB_SETITEMDATA, static_cast<WPARAM>(item), entry.value);
            if (entry.value == chosen) {
                (void)SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
            }
        }
    }
}

// The value of the list's selected item; `value` stays where none is selected.
static void ReadList(HWND dialog, int control, int32_t& value)
{
    const HWND list = GetDlgItem(dialog, control);
    const LRESULT item = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (item != CB_ERR) {
        value = static_cast<int32_t>(SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
        ShowChoices(dialog);
    }
}

static void FillLists(HWND dialog)
{
    std::vector<ListItem> slides;
    for (const SlideChoice& choice : SlideChoices(choices.slideSeconds)) {
        slides.push_back({choice.seconds, choice.label});
    }
    FillList(dialog, IDC_SLIDE_SECONDS, slides, choices.slideSeconds);
    FillList(dialog, IDC_LOOK, {{0, "Classic"}, {realisticLook, "Realistic"}}, choices.look);
    FillList(dialog, IDC_CLOCK, {{0, "None"}, {1, "Time"}, {2, "Time and date"}}, choices.clock);
}

// The radio button of each wave style, in the order of their numbers.
static const int waveStyleButtons[] = {IDC_WAVE_RINGS, IDC_WAVE_CROSSED, IDC_WAVE_RAIN};

static void ReadWaveStyle(HWND dialog)
{
    for (int32_t style = 0; style <= highestWaveStyle; ++style) {
        if (IsDlgButtonChecked(dialog, waveStyleButtons[style]) == BST_CHECKED) {
            choices.waveStyle = style;
        }
    }
    ShowChoices(dialog);
}

static void ReadSwitch(HWND dialog, int control, bool& value)
{
    value = IsDlgButtonChecked(dialog, control) == BST_CHECKED;
    ShowChoices(dialog);
}

static void InitSettingsDialog(HWND dialog)
{
    choices = DialogChoices();
    choices.useCustomPicture = useCustomPicture != 0;
    // OK without a new choice must keep the picture already stored, in the
    // form it was stored in.
    choices.pictureFile = storedCustomPicture;
    choices.pictureFolder = pictureFolder;
    choices.slideSeconds = slideSeconds;
    choices.look = look;
    choices.waveStyle = waveStyle;
    choices.speedPercent = speedPercent;
    choices.clock = clockShown;
    choices.captions = captionsShown;
    choices.mainMonitorOnly = mainMonitorOnly;
    FillLists(dialog);
    ShowPictureChoice(dialog, choices.useCustomPicture);
    (void)CheckRadioButton(dialog, IDC_WAVE_RINGS, IDC_WAVE_RAIN, waveStyleButtons[choices.waveStyle]);
    (void)CheckDlgButton(dialog, IDC_CAPTIONS, choices.captions ? BST_CHECKED : BST_UNCHECKED);
    (void)CheckDlgButton(dialog, IDC_MAIN_MONITOR_ONLY, choices.mainMonitorOnly ? BST_CHECKED : BST_UNCHECKED);
    const HWND speed = GetDlgItem(dialog, IDC_SPEED);
    (void)SendMessageA(speed, TBM_SETRANGE, FALSE, MAKELPARAM(0, speedSliderMaximum));
    (void)SendMessageA(speed, TBM_SETPAGESIZE, 0, 1);
    (void)SendMessageA(speed, TBM_SETPOS, TRUE, SliderFromSpeedPercent(choices.speedPercent));
    ShowPolicyLocks(dialog);

    previewRunning = StartSettingsPreview(dialog, GetDlgItem(dialog, IDC_PREVIEW));
    ShowChoices(dialog);
}

static void TurnCustomPictureOff(HWND dialog)
{
    if (SettingHeldByPolicy(useCustomPictureKey)) {
        return;
    }
    // The button about to be disabled usually has the focus (it was just
    // pressed); a disabled window drops it, leaving no control focused.
    const HWND box = GetDlgItem(dialog, IDC_CUSTOM_PICTURE);
    const HWND focus = GetFocus();
    if (focus == GetDlgItem(dialog, IDC_CHANGE_PICTURE) || focus == GetDlgItem(dialog, IDC_CHOOSE_FOLDER)) {
        (void)SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
    }
    choices.useCustomPicture = false;
    ShowPictureChoice(dialog, false);
}

static void ChoosePicture(HWND dialog)
{
    const std::wstring filter = WideFromUtf8(PictureFileFilter());
    // The dialog starts at the current choice; a text too long for the
    // buffer starts it empty rather than cut.
    std::vector<wchar_t> file(pictureFileBufferSize, L'\0');
    const std::wstring current = WideFromUtf8(choices.pictureFile);
    if (current.size() < file.size()) {
        (void)current.copy(file.data(), current.size());
    }

    OPENFILENAMEW request = {};
    // The older form of the structure, as the request needs no newer field;
    // its size is not a constant, it differs between 32- and 64-bit builds.
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    request.hwndOwner = dialog;
    request.lpstrFilter = filter.c_str();
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

    // A refused request may have written into the buffer (the size it needed,
    // when the path was too long); only a chosen file replaces the text.
    if (pictureChooser(&request)) {
        file.back() = L'\0';
        choices.pictureFile = Utf8FromWide(file.data());
        // A file and a folder exclude each other, unless a policy holds the folder.
        if (!SettingHeldByPolicy(pictureFolderKey)) {
            choices.pictureFolder.clear();
        }
    } else {
        TurnCustomPictureOff(dialog);
    }
    ShowChoices(dialog);
}

// A cancelled picker changes nothing.
static void ChooseFolder(HWND dialog)
{
    std::string folder = choices.pictureFolder;
    if (folderChooser(dialog, folder) && !folder.empty()) {
        choices.pictureFolder = folder;
        if (!SettingHeldByPolicy(customPictureKey)) {
            choices.pictureFile.clear();
        }
        ShowChoices(dialog);
    }
}

static void ReadSpeed(HWND dialog)
{
    const int32_t position = static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_SPEED, TBM_GETPOS, 0, 0));
    // A speed stored between two positions stays as it is until the thumb moves.
    if (position != SliderFromSpeedPercent(choices.speedPercent)) {
        choices.speedPercent = SpeedPercentFromSlider(position);
        ShowChoices(dialog);
    }
}

// The settings a policy holds are left out by the save itself.
static bool SaveDialogSettings(std::string& failedPath)
{
    return SaveSettings({{customPictureKey, choices.pictureFile},
                         {useCustomPictureKey, FlagToText(choices.useCustomPicture)},
                         {pictureFolderKey, choices.pictureFolder},
                         {slideSecondsKey, std::to_string(choices.slideSeconds)},
                         {lookKey, std::to_string(choices.look)},
                         {waveStyleKey, std::to_string(choices.waveStyle)},
                         {speedKey, std::to_string(choices.speedPercent)},
                         {clockKey, std::to_string(choices.clock)},
                         {captionsKey, FlagToText(choices.captions)},
                         {monitorsKey, FlagToText(choices.mainMonitorOnly)}},
                        failedPath);
}

static void ReportSaveFailure(HWND dialog, const std::string& failedPath)
{
    const std::string text = ConcatText("The settings could not be saved to\n", failedPath);
    (void)MessageBoxW(dialog, WideFromUtf8(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
}

static INT_PTR OnCommand(HWND dialog, WORD id, WORD notification)
{
    switch (id) {
    case IDOK: {
        // On failure the dialog stays open, so that the user sees nothing was
        // saved and can still cancel.
        std::string failedPath;
        if (SaveDialogSettings(failedPath)) {
            (void)EndDialog(dialog, IDOK);
        } else {
            ReportSaveFailure(dialog, failedPath);
        }
        return TRUE;
    }
    case IDCANCEL:
        (void)EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_CHANGE_PICTURE:
        ChoosePicture(dialog);
        return TRUE;
    case IDC_CHOOSE_FOLDER:
        ChooseFolder(dialog);
        return TRUE;
    case IDC_SLIDE_SECONDS:
        if (notification == CBN_SELCHANGE) {
            ReadList(dialog, IDC_SLIDE_SECONDS, choices.slideSeconds);
        }
        return TRUE;
    case IDC_LOOK:
        if (notification == CBN_SELCHANGE) {
            ReadList(dialog, IDC_LOOK, choices.look);
        }
        return TRUE;
    case IDC_CLOCK:
        if (notification == CBN_SELCHANGE) {
            ReadList(dialog, IDC_CLOCK, choices.clock);
        }
        return TRUE;
    case IDC_WAVE_RINGS:
    case IDC_WAVE_CROSSED:
    case IDC_WAVE_RAIN:
        if (notification == BN_CLICKED) {
            ReadWaveStyle(dialog);
        }
        return TRUE;
    case IDC_CAPTIONS:
        if (notification == BN_CLICKED) {
            ReadSwitch(dialog, IDC_CAPTIONS, choices.captions);
        }
        return TRUE;
    case IDC_MAIN_MONITOR_ONLY:
        if (notification == BN_CLICKED) {
            ReadSwitch(dialog, IDC_MAIN_MONITOR_ONLY, choices.mainMonitorOnly);
        }
        return TRUE;
    case IDC_CUSTOM_PICTURE:
        // BS_NOTIFY also reports focus changes and double clicks; only a click
        // has toggled the box.
        if (notification == BN_CLICKED) {
            choices.useCustomPicture = IsDlgButtonChecked(dialog, IDC_CUSTOM_PICTURE) == BST_CHECKED;
            ShowPictureChoice(dialog, choices.useCustomPicture);
            ShowChoices(dialog);
        }
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitSettingsDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_SPEED)) {
            ReadSpeed(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        StopSettingsPreview();
        previewRunning = false;
        return FALSE;
    default:
        return FALSE;
    }
}
