#include "settings/win32_settings_dialog.h"

#include <cstring>
#include <string>

#include "picture/win32_picture_formats.h"
#include "res/resource.h"
#include "settings/settings_file.h"
#include "settings/settings_text.h"
#include "settings/win32_settings_store.h"

PictureChooser pictureChooser = GetOpenFileNameA;

// The chooser is told one less than the buffer holds, so that the text always
// keeps a NUL after it.
static const DWORD pictureTextLimit = 255;

static unsigned char dialogUseCustomPicture = 0;
static char pictureFileBuffer[256];
static char pictureTitleBuffer[256];

static void SetPictureFileText(const std::string& text)
{
    std::memset(pictureFileBuffer, 0, sizeof pictureFileBuffer);
    (void)text.copy(pictureFileBuffer, pictureTextLimit - 1);
}

// The "Change a picture..." button is usable exactly while the box is ticked.
static void ShowPictureChoice(HWND dialog, unsigned char on)
{
    (void)CheckDlgButton(dialog, IDC_CUSTOM_PICTURE, on ? BST_CHECKED : BST_UNCHECKED);
    (void)EnableWindow(GetDlgItem(dialog, IDC_CHANGE_PICTURE), on);
}

static void InitSettingsDialog(HWND dialog)
{
    dialogUseCustomPicture = useCustomPicture ? 1 : 0;
    // OK without a new choice must keep the picture already stored, in the
    // form it was stored in.
    SetPictureFileText(storedCustomPicture);
    std::memset(pictureTitleBuffer, 0, sizeof pictureTitleBuffer);
    ShowPictureChoice(dialog, dialogUseCustomPicture);
}

static void TurnCustomPictureOff(HWND dialog)
{
    // The button about to be disabled usually has the focus (it was just
    // pressed); a disabled window drops it, leaving no control focused.
    const HWND box = GetDlgItem(dialog, IDC_CUSTOM_PICTURE);
    if (GetFocus() == GetDlgItem(dialog, IDC_CHANGE_PICTURE)) {
        (void)SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
    }
    dialogUseCustomPicture = 0;
    ShowPictureChoice(dialog, 0);
}

static void ChoosePicture(HWND dialog)
{
    const std::string filter = PictureFileFilter();

    OPENFILENAMEA request = {};
    // The older form of the structure, as the request needs no newer field;
    // its size is not a constant, it differs between 32- and 64-bit builds.
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = dialog;
    request.lpstrFilter = filter.c_str();
    request.lpstrFile = pictureFileBuffer;
    request.nMaxFile = pictureTextLimit;
    request.lpstrFileTitle = pictureTitleBuffer;
    request.nMaxFileTitle = pictureTextLimit;
    request.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

    // A refused request may still have written into the buffer (the size it
    // needed, when the path was too long); OK must not save that.
    char kept[sizeof pictureFileBuffer];
    std::memcpy(kept, pictureFileBuffer, sizeof kept);
    if (pictureChooser(&request)) {
        return;
    }
    std::memcpy(pictureFileBuffer, kept, sizeof kept);
    TurnCustomPictureOff(dialog);
}

static bool SaveSettings()
{
    const std::string flag = FlagToText(dialogUseCustomPicture != 0);
    return WritePrivateProfileStringA(settingsSection, customPictureKey, pictureFileBuffer,
                                      iniPath.c_str()) &&
           WritePrivateProfileStringA(settingsSection, useCustomPictureKey, flag.c_str(),
                                      iniPath.c_str());
}

static void ReportSaveFailure(HWND dialog)
{
    const std::string text = ConcatText("The settings could not be saved to\n", iniPath);
    (void)MessageBoxA(dialog, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

static INT_PTR OnCommand(HWND dialog, WORD id, WORD notification)
{
    switch (id) {
    case IDOK:
        // On failure the dialog stays open, so that the user sees nothing was
        // saved and can still cancel.
        if (SaveSettings()) {
            (void)EndDialog(dialog, IDOK);
        } else {
            ReportSaveFailure(dialog);
        }
        return TRUE;
    case IDCANCEL:
        (void)EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_CHANGE_PICTURE:
        ChoosePicture(dialog);
        return TRUE;
    case IDC_CUSTOM_PICTURE:
        // BS_NOTIFY also reports focus changes and double clicks; only a click
        // has toggled the box.
        if (notification == BN_CLICKED) {
            dialogUseCustomPicture = IsDlgButtonChecked(dialog, IDC_CUSTOM_PICTURE) ? 1 : 0;
            (void)EnableWindow(GetDlgItem(dialog, IDC_CHANGE_PICTURE), dialogUseCustomPicture);
        }
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitSettingsDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    default:
        return FALSE;
    }
}
