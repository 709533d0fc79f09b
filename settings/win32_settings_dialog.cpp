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

static unsigned char dialogUseCustomPicture = 0;
static std::string dialogPictureFile;  // the CustomPicture text OK saves
static std::string dialogPictureFolder;
static int32_t dialogWaveStyle = 0;
static int32_t dialogSpeedPercent = 100;
static int32_t dialogSlideSeconds = defaultSlideSeconds;
static bool previewRunning = false;

// The file a File source shows: the stored text is resolved as start-up
// resolves it; a file chosen here is a full path already.
static std::string PreviewFilePath()
{
    return storedCustomPicture == dialogPictureFile ? customPicturePath : dialogPictureFile;
}

// The line under the preview and the preview itself follow every change.
static void ShowChoices(HWND dialog)
{
    const PictureSource source = ChosenPictureSource(dialogUseCustomPicture != 0, dialogPictureFile,
                                                     dialogPictureFolder);
    const std::string label = PictureSourceLabel(source, dialogPictureFile, dialogPictureFolder);
    (void)SetDlgItemTextW(dialog, IDC_PREVIEW_NAME, WideFromUtf8(label).c_str());
    if (!previewRunning) {
        return;
    }
    PreviewChoice choice;
    choice.source = source;
    choice.file = PreviewFilePath();
    choice.folder = dialogPictureFolder;
    choice.includeSubfolders = includeSubfolders;
    choice.slideSeconds = static_cast<uint32_t>(dialogSlideSeconds);
    // Read only: the preview's pictures are decoded at its small size.
    choice.cacheMegabytes = cacheMegabytes;
    choice.lastFolderPicture = lastFolderPicture;
    choice.waveStyle = dialogWaveStyle;
    choice.speedPercent = dialogSpeedPercent;
    choice.clockShown = clockShown;
    choice.mainMonitorOnly = mainMonitorOnly;
    ShowSettingsPreview(choice);
}

// A control whose setting a policy holds stays disabled.
static void EnableUnlessHeld(HWND dialog, int control, const char* key, bool enable)
{
    (void)EnableWindow(GetDlgItem(dialog, control), enable && !SettingHeldByPolicy(key));
}

// The file and folder buttons are usable exactly while the box is ticked.
static void ShowPictureChoice(HWND dialog, unsigned char on)
{
    (void)CheckDlgButton(dialog, IDC_CUSTOM_PICTURE, on ? BST_CHECKED : BST_UNCHECKED);
    EnableUnlessHeld(dialog, IDC_CUSTOM_PICTURE, useCustomPictureKey, true);
    EnableUnlessHeld(dialog, IDC_CHANGE_PICTURE, customPictureKey, on);
    EnableUnlessHeld(dialog, IDC_CHOOSE_FOLDER, pictureFolderKey, on);
    EnableUnlessHeld(dialog, IDC_SLIDE_SECONDS, slideSecondsKey, on);
}

static void ShowPolicyLocks(HWND dialog)
{
    EnableUnlessHeld(dialog, IDC_WAVE_RINGS, waveStyleKey, true);
    EnableUnlessHeld(dialog, IDC_WAVE_CROSSED, waveStyleKey, true);
    EnableUnlessHeld(dialog, IDC_SPEED, speedKey, true);
    (void)ShowWindow(GetDlgItem(dialog, IDC_POLICY_NOTE), AnySettingHeldByPolicy() ? SW_SHOWNA : SW_HIDE);
}

static void FillSlideChoices(HWND dialog)
{
    const HWND list = GetDlgItem(dialog, IDC_SLIDE_SECONDS);
    (void)SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const SlideChoice& choice : SlideChoices(dialogSlideSeconds)) {
        const LRESULT item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.label.c_str()));
        if (item >= 0) {
            (void)SendMessageA(list, CB_SETITEMDATA, static_cast<WPARAM>(item), choice.seconds);
            if (choice.seconds == dialogSlideSeconds) {
                (void)SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
            }
        }
    }
}

static void ReadSlideSeconds(HWND dialog)
{
    const HWND list = GetDlgItem(dialog, IDC_SLIDE_SECONDS);
    const LRESULT item = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (item != CB_ERR) {
        dialogSlideSeconds = static_cast<int32_t>(SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
        ShowChoices(dialog);
    }
}

static void InitSettingsDialog(HWND dialog)
{
    dialogUseCustomPicture = useCustomPicture ? 1 : 0;
    // OK without a new choice must keep the picture already stored, in the
    // form it was stored in.
    dialogPictureFile = storedCustomPicture;
    dialogPictureFolder = pictureFolder;
    dialogWaveStyle = waveStyle == 1 ? 1 : 0;
    dialogSpeedPercent = speedPercent;
    dialogSlideSeconds = slideSeconds;
    FillSlideChoices(dialog);
    ShowPictureChoice(dialog, dialogUseCustomPicture);
    (void)CheckRadioButton(dialog, IDC_WAVE_RINGS, IDC_WAVE_CROSSED,
                           dialogWaveStyle == 1 ? IDC_WAVE_CROSSED : IDC_WAVE_RINGS);
    const HWND speed = GetDlgItem(dialog, IDC_SPEED);
    (void)SendMessageA(speed, TBM_SETRANGE, FALSE, MAKELPARAM(0, speedSliderMaximum));
    (void)SendMessageA(speed, TBM_SETPAGESIZE, 0, 1);
    (void)SendMessageA(speed, TBM_SETPOS, TRUE, SliderFromSpeedPercent(dialogSpeedPercent));
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
    dialogUseCustomPicture = 0;
    ShowPictureChoice(dialog, 0);
}

static void ChoosePicture(HWND dialog)
{
    const std::wstring filter = WideFromUtf8(PictureFileFilter());
    // The dialog starts at the current choice; a text too long for the
    // buffer starts it empty rather than cut.
    std::vector<wchar_t> file(pictureFileBufferSize, L'\0');
    const std::wstring current = WideFromUtf8(dialogPictureFile);
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
        dialogPictureFile = Utf8FromWide(file.data());
        // A file and a folder exclude each other, unless a policy holds the folder.
        if (!SettingHeldByPolicy(pictureFolderKey)) {
            dialogPictureFolder.clear();
        }
    } else {
        TurnCustomPictureOff(dialog);
    }
    ShowChoices(dialog);
}

// A cancelled picker changes nothing.
static void ChooseFolder(HWND dialog)
{
    std::string folder = dialogPictureFolder;
    if (folderChooser(dialog, folder) && !folder.empty()) {
        dialogPictureFolder = folder;
        if (!SettingHeldByPolicy(customPictureKey)) {
            dialogPictureFile.clear();
        }
        ShowChoices(dialog);
    }
}

static void ReadSpeed(HWND dialog)
{
    const int32_t position = static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_SPEED, TBM_GETPOS, 0, 0));
    // A speed stored between two positions stays as it is until the thumb moves.
    if (position != SliderFromSpeedPercent(dialogSpeedPercent)) {
        dialogSpeedPercent = SpeedPercentFromSlider(position);
        ShowChoices(dialog);
    }
}

static bool SaveDialogSettings(std::string& failedPath)
{
    return SaveSettings({{customPictureKey, dialogPictureFile},
                         {useCustomPictureKey, FlagToText(dialogUseCustomPicture != 0)},
                         {waveStyleKey, std::to_string(dialogWaveStyle)},
                         {speedKey, std::to_string(dialogSpeedPercent)},
                         {pictureFolderKey, dialogPictureFolder},
                         {lastFolderPictureKey, lastFolderPicture},
                         {slideSecondsKey, std::to_string(dialogSlideSeconds)}},
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
            ReadSlideSeconds(dialog);
        }
        return TRUE;
    case IDC_WAVE_RINGS:
    case IDC_WAVE_CROSSED:
        if (notification == BN_CLICKED) {
            dialogWaveStyle = IsDlgButtonChecked(dialog, IDC_WAVE_CROSSED) ? 1 : 0;
            ShowChoices(dialog);
        }
        return TRUE;
    case IDC_CUSTOM_PICTURE:
        // BS_NOTIFY also reports focus changes and double clicks; only a click
        // has toggled the box.
        if (notification == BN_CLICKED) {
            dialogUseCustomPicture = IsDlgButtonChecked(dialog, IDC_CUSTOM_PICTURE) ? 1 : 0;
            ShowPictureChoice(dialog, dialogUseCustomPicture);
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
