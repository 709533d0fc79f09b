#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "picture/win32_picture_formats.h"
#include "picture/picture_test_files.h"
#include "res/resource.h"
#include "settings/dialog_choices.h"
#include "settings/settings_policy.h"
#include "settings/win32_settings_dialog.h"
#include "settings/win32_settings_preview.h"
#include "settings/win32_settings_store.h"
#include "win32_scratch_folder.h"
#include "text/win32_wide.h"
#include "win32_settings_test_support.h"

namespace {

using Values = std::map<std::string, std::string>;

// ---- The scripted file chooser that stands in for the common file dialog.

enum class ChooserOutcome { Choose, Cancel, Fail };

struct ChooserTurn {
    ChooserOutcome outcome;
    std::string path;  // for Choose
};

// What the dialog asked the chooser, copied while the request was alive.
struct ChooserRequest {
    HWND owner;
    std::string filter;  // up to and including the NUL that closes the list
    std::string initialFile;
    DWORD maxFile;
    DWORD flags;
};

std::vector<ChooserTurn> chooserTurns;
std::vector<ChooserRequest> chooserRequests;

std::string FilterList(const wchar_t* filter)
{
    if (filter == nullptr) {
        return std::string();
    }
    const wchar_t* end = filter;
    while (end[0] != L'\0' || end[1] != L'\0') {
        ++end;
    }
    return Utf8FromWide(std::wstring_view(filter, end + 2 - filter));
}

BOOL WINAPI ScriptedChooser(LPOPENFILENAMEW request)
{
    chooserRequests.push_back({request->hwndOwner, FilterList(request->lpstrFilter), Utf8FromWide(request->lpstrFile),
                               request->nMaxFile, request->Flags});
    if (chooserRequests.size() > chooserTurns.size()) {
        ADD_FAILURE() << "the file dialog was opened more often than the script says";
        return FALSE;
    }
    const ChooserTurn& turn = chooserTurns[chooserRequests.size() - 1];
    switch (turn.outcome) {
    case ChooserOutcome::Choose: {
        const std::wstring path = WideFromUtf8(turn.path);
        if (path.size() >= request->nMaxFile) {
            ADD_FAILURE() << "the file dialog's buffer cannot take " << turn.path;
            return FALSE;
        }
        std::wcscpy(request->lpstrFile, path.c_str());
        return TRUE;
    }
    case ChooserOutcome::Cancel:
        return FALSE;
    case ChooserOutcome::Fail:
        // What the platform does for a path longer than the buffer: the size
        // it would have needed goes into the buffer's first two bytes.
        request->lpstrFile[0] = 0x8001;
        request->lpstrFile[1] = 0;
        return FALSE;
    }
    return FALSE;
}

// The scripted folder picker: each turn's folder, "" for a cancel.
std::vector<std::string> folderTurns;

bool ScriptedFolderChooser(HWND, std::string& folder)
{
    EXPECT_FALSE(folderTurns.empty()) << "the folder picker was opened more often than the script says";
    const std::string turn = folderTurns.empty() ? "" : folderTurns.front();
    folderTurns.erase(folderTurns.begin(), folderTurns.begin() + (folderTurns.empty() ? 0 : 1));
    folder = turn.empty() ? folder : turn;
    return !turn.empty();
}

// ---- Running the dialog modally, as start-up does, with a script of steps
// played from inside its message loop: one step per timer tick, so that a
// step only runs while the dialog is still open.

using DialogStep = std::function<void(HWND dialog)>;

const INT_PTR leftOpen = 99;

struct DialogScript {
    std::vector<DialogStep> steps;
    size_t next = 0;
};

DialogScript script;

// A visible dialog-class window of this thread with the given caption: the
// settings dialog, or a message box over it.
HWND FindThreadDialog(const char* caption)
{
    struct Search {
        const char* caption;
        HWND found;
    } search = {caption, nullptr};
    (void)EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM parameter) -> BOOL {
            Search* s = reinterpret_cast<Search*>(parameter);
            char className[32] = {};
            char text[64] = {};
            (void)GetClassNameA(window, className, sizeof className);
            (void)GetWindowTextA(window, text, sizeof text);
            if (IsWindowVisible(window) && std::strcmp(className, "#32770") == 0 &&
                std::strcmp(text, s->caption) == 0) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK PlayNextStep(HWND, UINT, UINT_PTR, DWORD)
{
    const HWND dialog = FindThreadDialog("Vitrane");
    if (dialog == nullptr) {
        return;
    }
    if (script.next < script.steps.size()) {
        const DialogStep step = script.steps[script.next++];
        step(dialog);
        return;
    }
    (void)EndDialog(dialog, leftOpen);
}

// The dialog's result: IDOK, IDCANCEL, or leftOpen when the script ended
// with the dialog still open.
INT_PTR RunSettingsDialog(std::vector<DialogStep> steps)
{
    script = DialogScript{std::move(steps), 0};
    const UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, PlayNextStep);
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                                           nullptr, SettingsDlgProc, 0);
    (void)KillTimer(nullptr, timer);
    EXPECT_EQ(script.steps.size(), script.next) << "the dialog closed before its script ended";
    return result;
}

// ---- What a user does and sees.

void Click(HWND dialog, int id)
{
    (void)SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PressKey(HWND dialog, WPARAM key)
{
    const HWND focus = GetFocus();
    (void)PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, key, 0);
}

void CloseBox(HWND dialog)
{
    (void)PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool Ticked(HWND dialog)
{
    return IsDlgButtonChecked(dialog, IDC_CUSTOM_PICTURE) == BST_CHECKED;
}

bool ChangeEnabled(HWND dialog)
{
    return IsWindowEnabled(GetDlgItem(dialog, IDC_CHANGE_PICTURE)) != FALSE;
}

const DialogStep pressOk = [](HWND dialog) { Click(dialog, IDOK); };
const DialogStep pressCancel = [](HWND dialog) { Click(dialog, IDCANCEL); };
const DialogStep tickOrClear = [](HWND dialog) { Click(dialog, IDC_CUSTOM_PICTURE); };
const DialogStep changePicture = [](HWND dialog) { Click(dialog, IDC_CHANGE_PICTURE); };
const DialogStep chooseFolder = [](HWND dialog) { Click(dialog, IDC_CHOOSE_FOLDER); };
const DialogStep pickCrossed = [](HWND dialog) { Click(dialog, IDC_WAVE_CROSSED); };
const DialogStep pickRain = [](HWND dialog) { Click(dialog, IDC_WAVE_RAIN); };
const DialogStep tickCaptions = [](HWND dialog) { Click(dialog, IDC_CAPTIONS); };
const DialogStep tickMainMonitorOnly = [](HWND dialog) { Click(dialog, IDC_MAIN_MONITOR_ONLY); };

DialogStep ExpectChoiceShown(bool on)
{
    return [on](HWND dialog) {
        EXPECT_EQ(on, Ticked(dialog));
        EXPECT_EQ(on, ChangeEnabled(dialog));
        EXPECT_EQ(on, IsWindowEnabled(GetDlgItem(dialog, IDC_CHOOSE_FOLDER)) != FALSE);
    };
}

DialogStep MoveSpeed(int position)
{
    return [position](HWND dialog) {
        const HWND speed = GetDlgItem(dialog, IDC_SPEED);
        (void)SendMessageA(speed, TBM_SETPOS, TRUE, position);
        (void)SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(speed));
    };
}

DialogStep PickFromList(int id, const char* label)
{
    return [id, label](HWND dialog) {
        const HWND list = GetDlgItem(dialog, id);
        (void)SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(label));
        (void)SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    };
}

DialogStep PickSlideInterval(const char* label)
{
    return PickFromList(IDC_SLIDE_SECONDS, label);
}

// The text of the list's selected item.
std::string ListChoice(HWND dialog, int id)
{
    const LRESULT item = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    char text[64] = {};
    (void)SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
    return text;
}

// The live preview: the dialog's own window of that class.
HWND PreviewWindow(HWND dialog)
{
    const HWND window = FindWindowExA(nullptr, nullptr, "VitraneSettingsPreview", nullptr);
    return window != nullptr && GetWindow(window, GW_OWNER) == dialog ? window : nullptr;
}

// Every key OK writes: those given, and the rest (insert keeps a key given)
// as a default dialog leaves them.
Values AllKeys(Values given)
{
    given.insert({{"WaveStyle", "0"}, {"Speed", "100"}, {"PictureFolder", ""}, {"SlideSeconds", "60"},
                  {"Look", "0"}, {"Clock", "0"}, {"Captions", "0"}, {"Monitors", "0"}});
    return given;
}

class SettingsDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        chooserTurns.clear();
        chooserRequests.clear();
        folderTurns.clear();
        pictureChooser = ScriptedChooser;
        savedFolderChooser = folderChooser;
        folderChooser = ScriptedFolderChooser;
        UseUserDataFolder(userData.Path() + "Roaming");
    }

    void TearDown() override
    {
        pictureChooser = GetOpenFileNameW;
        folderChooser = savedFolderChooser;
    }

    FolderChooser savedFolderChooser = nullptr;

    std::string IniFile() const { return folder.Path() + "Vitrane.ini"; }

    // Starts the way the program does: the settings read from the file
    // beside it, here holding these values.
    void StoreAndLoad(const std::string& customPicture, const std::string& useCustomPic)
    {
        WriteBytes(IniFile(), "[Vitrane settings]\r\nCustomPicture=" + customPicture +
                                  "\r\nUseCustomPic=" + useCustomPic + "\r\n");
        LoadSettings(folder.Path());
    }

    Values Saved() const
    {
        bool exists = false;
        const std::string text = ReadBytes(IniFile(), &exists);
        EXPECT_TRUE(exists) << IniFile();
        return SectionValues(text, "Vitrane settings");
    }

    ScratchFolder folder;
    ScratchFolder userData;
};

// The controls' order and layout are the template's; the running dialog adds
// the live preview over the illustration.
TEST_F(SettingsDialogTest, ShowsThePreviewOverTheIllustration)
{
    LoadSettings(folder.Path());
    RunSettingsDialog({
        [](HWND dialog) {
            const HWND illustration = GetDlgItem(dialog, IDC_PREVIEW);
            const HWND preview = PreviewWindow(dialog);
            ASSERT_NE(nullptr, preview);
            (void)SendMessageA(preview, WM_TIMER, 1, 0);  // a frame, without waiting for one
            EXPECT_TRUE(IsWindowVisible(preview));
            RECT inside;
            (void)GetClientRect(illustration, &inside);
            (void)MapWindowPoints(illustration, nullptr, reinterpret_cast<POINT*>(&inside), 2);
            RECT covered;
            (void)GetWindowRect(preview, &covered);
            EXPECT_TRUE(EqualRect(&inside, &covered));
            EXPECT_TRUE(GetWindowLongPtrA(illustration, GWL_EXSTYLE) & WS_EX_STATICEDGE);
            const HANDLE image = reinterpret_cast<HANDLE>(SendMessageA(illustration, STM_GETIMAGE, IMAGE_BITMAP, 0));
            BITMAP bitmap = {};
            ASSERT_NE(0, GetObjectA(image, sizeof bitmap, &bitmap));
            EXPECT_EQ(100, bitmap.bmWidth);
            EXPECT_EQ(100, bitmap.bmHeight);
        },
        pressCancel,
    });
}

TEST_F(SettingsDialogTest, OpensWithBoxAndButtonFollowingTheStoredFlag)
{
    struct Case {
        const char* useCustomPic;
        bool on;
    };
    const Case cases[] = {{"1", true}, {"0", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.useCustomPic);
        ScratchFolder caseFolder;
        WriteBytes(caseFolder.Path() + "Vitrane.ini",
                   std::string("[Vitrane settings]\r\nUseCustomPic=") + c.useCustomPic + "\r\n");
        LoadSettings(caseFolder.Path());
        EXPECT_EQ(IDCANCEL, RunSettingsDialog({ExpectChoiceShown(c.on), pressCancel}));
    }
}

TEST_F(SettingsDialogTest, TickingEnablesAndClearingDisablesTheChangeButton)
{
    StoreAndLoad(".\\lake.jpg", "0");
    EXPECT_EQ(IDOK, RunSettingsDialog({
                        tickOrClear, ExpectChoiceShown(true),
                        tickOrClear, ExpectChoiceShown(false),
                        tickOrClear, ExpectChoiceShown(true),
                        pressOk,
                    }));
    // No file was chosen: the stored picture stays, in its relative form.
    EXPECT_EQ(AllKeys({{"CustomPicture", ".\\lake.jpg"}, {"UseCustomPic", "1"}}), Saved());
}

TEST_F(SettingsDialogTest, OkRightAfterOpeningKeepsWhatIsStored)
{
    const std::string longPath = "D:\\" + std::string(32000, 'p') + ".jpg";
    struct Case {
        std::string customPicture;
        const char* useCustomPic;
        Values saved;
    };
    const Case cases[] = {
        {".\\lake.jpg", "1", {{"CustomPicture", ".\\lake.jpg"}, {"UseCustomPic", "1"}}},
        {"D:\\Pictures\\lake.jpg", "yes", {{"CustomPicture", "D:\\Pictures\\lake.jpg"}, {"UseCustomPic", "0"}}},
        {"", "1", {{"CustomPicture", ""}, {"UseCustomPic", "1"}}},
        {longPath, "2", {{"CustomPicture", longPath}, {"UseCustomPic", "1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.customPicture);
        ScratchFolder caseFolder;
        const std::string file = caseFolder.Path() + "Vitrane.ini";
        WriteBytes(file, "[Vitrane settings]\r\nCustomPicture=" + c.customPicture +
                             "\r\nUseCustomPic=" + c.useCustomPic + "\r\n");
        LoadSettings(caseFolder.Path());
        EXPECT_EQ(IDOK, RunSettingsDialog({pressOk}));
        bool exists = false;
        EXPECT_EQ(AllKeys(c.saved), SectionValues(ReadBytes(file, &exists), "Vitrane settings"));
    }
}

TEST_F(SettingsDialogTest, OkWithoutASettingsFileSavesNoPictureAndTheFlagOff)
{
    LoadSettings(folder.Path());
    EXPECT_EQ(IDOK, RunSettingsDialog({ExpectChoiceShown(false), pressOk}));
    EXPECT_EQ(AllKeys({{"CustomPicture", ""}, {"UseCustomPic", "0"}}), Saved());
}

TEST_F(SettingsDialogTest, TheFileDialogAsksForAnExistingPictureStartingFromTheStoredOne)
{
    StoreAndLoad(".\\lake.jpg", "1");
    chooserTurns = {{ChooserOutcome::Cancel, ""}};
    HWND shownDialog = nullptr;
    RunSettingsDialog({[&](HWND dialog) { shownDialog = dialog; }, changePicture, pressCancel});

    ASSERT_EQ(1u, chooserRequests.size());
    const ChooserRequest& request = chooserRequests[0];
    EXPECT_EQ(shownDialog, request.owner);
    EXPECT_EQ(PictureFileFilter(), request.filter);
    EXPECT_EQ(".\\lake.jpg", request.initialFile);
    // The longest path the system hands back fits.
    EXPECT_GE(request.maxFile, 32768u);
    EXPECT_EQ(static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST), request.flags);
}

TEST_F(SettingsDialogTest, AChosenFileIsSavedWithTheFlag)
{
    StoreAndLoad(".\\lake.jpg", "1");
    chooserTurns = {{ChooserOutcome::Choose, "E:\\Photos\\sea.jpeg"}};
    EXPECT_EQ(IDOK, RunSettingsDialog({changePicture, ExpectChoiceShown(true), pressOk}));
    EXPECT_EQ(AllKeys({{"CustomPicture", "E:\\Photos\\sea.jpeg"}, {"UseCustomPic", "1"}}), Saved());
}

TEST_F(SettingsDialogTest, AFileDialogThatChoosesNothingTurnsThePictureOffAndKeepsThePath)
{
    const ChooserOutcome outcomes[] = {ChooserOutcome::Cancel, ChooserOutcome::Fail};
    for (ChooserOutcome outcome : outcomes) {
        SCOPED_TRACE(outcome == ChooserOutcome::Cancel ? "cancelled" : "failed");
        ScratchFolder caseFolder;
        const std::string file = caseFolder.Path() + "Vitrane.ini";
        WriteBytes(file, "[Vitrane settings]\r\nCustomPicture=.\\lake.jpg\r\nUseCustomPic=1\r\n");
        LoadSettings(caseFolder.Path());
        chooserRequests.clear();
        chooserTurns = {{outcome, ""}};
        EXPECT_EQ(IDOK, RunSettingsDialog({
                            changePicture,
                            ExpectChoiceShown(false),
                            [](HWND dialog) {
                                // The disabled button cannot keep the focus.
                                EXPECT_EQ(GetDlgItem(dialog, IDC_CUSTOM_PICTURE), GetFocus());
                            },
                            pressOk,
                        }));
        bool exists = false;
        EXPECT_EQ(AllKeys({{"CustomPicture", ".\\lake.jpg"}, {"UseCustomPic", "0"}}),
                  SectionValues(ReadBytes(file, &exists), "Vitrane settings"));
    }
}

TEST_F(SettingsDialogTest, AFailedFileDialogAfterAChoiceKeepsTheChoice)
{
    StoreAndLoad("D:\\lake.jpg", "1");
    chooserTurns = {{ChooserOutcome::Choose, "E:\\sea.jpg"}, {ChooserOutcome::Fail, ""}};
    EXPECT_EQ(IDOK, RunSettingsDialog({changePicture, changePicture, ExpectChoiceShown(false),
                                       tickOrClear, pressOk}));
    ASSERT_EQ(2u, chooserRequests.size());
    EXPECT_EQ("E:\\sea.jpg", chooserRequests[1].initialFile);
    EXPECT_EQ(AllKeys({{"CustomPicture", "E:\\sea.jpg"}, {"UseCustomPic", "1"}}), Saved());
}

TEST_F(SettingsDialogTest, ChoosingTwiceSavesTheSecondChoice)
{
    StoreAndLoad("D:\\lake.jpg", "1");
    chooserTurns = {{ChooserOutcome::Choose, "E:\\first.jpg"}, {ChooserOutcome::Choose, "E:\\second.bmp"}};
    EXPECT_EQ(IDOK, RunSettingsDialog({changePicture, changePicture, pressOk}));
    ASSERT_EQ(2u, chooserRequests.size());
    EXPECT_EQ("D:\\lake.jpg", chooserRequests[0].initialFile);
    EXPECT_EQ("E:\\first.jpg", chooserRequests[1].initialFile);
    EXPECT_EQ(AllKeys({{"CustomPicture", "E:\\second.bmp"}, {"UseCustomPic", "1"}}), Saved());
}

TEST_F(SettingsDialogTest, AChoiceThenAClearedBoxSavesThePathWithTheFlagOff)
{
    StoreAndLoad("D:\\lake.jpg", "1");
    chooserTurns = {{ChooserOutcome::Choose, "E:\\sea.jpg"}};
    EXPECT_EQ(IDOK, RunSettingsDialog({changePicture, tickOrClear, ExpectChoiceShown(false), pressOk}));
    EXPECT_EQ(AllKeys({{"CustomPicture", "E:\\sea.jpg"}, {"UseCustomPic", "0"}}), Saved());
}

TEST_F(SettingsDialogTest, EnterIsOk)
{
    StoreAndLoad("D:\\lake.jpg", "0");
    EXPECT_EQ(IDOK, RunSettingsDialog({tickOrClear,
                                       [](HWND dialog) { (void)SetFocus(GetDlgItem(dialog, IDOK)); },
                                       [](HWND dialog) { PressKey(dialog, VK_RETURN); }}));
    EXPECT_EQ(AllKeys({{"CustomPicture", "D:\\lake.jpg"}, {"UseCustomPic", "1"}}), Saved());
}

TEST_F(SettingsDialogTest, LeavingWithoutOkWritesNothing)
{
    struct Case {
        const char* name;
        DialogStep leave;
    };
    const Case cases[] = {
        {"Cancel", pressCancel},
        {"Escape", [](HWND dialog) { PressKey(dialog, VK_ESCAPE); }},
        {"close box", CloseBox},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder caseFolder;
        const std::string file = caseFolder.Path() + "Vitrane.ini";
        const std::string stored = "[Vitrane settings]\r\nCustomPicture=D:\\lake.jpg\r\nUseCustomPic=0\r\n";
        WriteBytes(file, stored);
        LoadSettings(caseFolder.Path());
        chooserRequests.clear();
        chooserTurns = {{ChooserOutcome::Choose, "E:\\sea.jpg"}};
        folderTurns = {"E:\\Photos"};
        EXPECT_EQ(IDCANCEL, RunSettingsDialog({tickOrClear, changePicture, chooseFolder, pickCrossed, MoveSpeed(0),
                                               c.leave}));
        bool exists = false;
        EXPECT_EQ(stored, ReadBytes(file, &exists));
    }
}

TEST_F(SettingsDialogTest, CancelMakesNoSettingsFile)
{
    LoadSettings(folder.Path());
    EXPECT_EQ(IDCANCEL, RunSettingsDialog({tickOrClear, pressCancel}));
    bool exists = true;
    (void)ReadBytes(IniFile(), &exists);
    EXPECT_FALSE(exists);
}

TEST_F(SettingsDialogTest, OtherNotificationsOfTheBoxChangeNothing)
{
    const WORD notifications[] = {BN_SETFOCUS, BN_KILLFOCUS, BN_DOUBLECLICKED, BN_PUSHED, BN_UNPUSHED};
    StoreAndLoad("D:\\lake.jpg", "0");
    EXPECT_EQ(IDOK, RunSettingsDialog({
                        [&](HWND dialog) {
                            // The box shows a tick without telling the dialog.
                            const HWND box = GetDlgItem(dialog, IDC_CUSTOM_PICTURE);
                            (void)SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
                            for (WORD notification : notifications) {
                                (void)SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CUSTOM_PICTURE, notification),
                                                   reinterpret_cast<LPARAM>(box));
                                EXPECT_FALSE(ChangeEnabled(dialog)) << "notification " << notification;
                            }
                        },
                        pressOk,
                    }));
    EXPECT_EQ("0", Saved()["UseCustomPic"]);
}

TEST_F(SettingsDialogTest, TheProcedureClaimsOnlyTheCommandsItActsOn)
{
    LoadSettings(folder.Path());
    chooserTurns = {{ChooserOutcome::Cancel, ""}};
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        INT_PTR expected;
    };
    const Case cases[] = {
        {"box clicked", WM_COMMAND, MAKEWPARAM(IDC_CUSTOM_PICTURE, BN_CLICKED), FALSE},
        {"box focused", WM_COMMAND, MAKEWPARAM(IDC_CUSTOM_PICTURE, BN_SETFOCUS), FALSE},
        {"unknown command", WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), FALSE},
        {"close", WM_CLOSE, 0, FALSE},
        {"paint", WM_PAINT, 0, FALSE},
        {"change a picture", WM_COMMAND, MAKEWPARAM(IDC_CHANGE_PICTURE, BN_CLICKED), TRUE},
        {"change a picture, other code", WM_COMMAND, MAKEWPARAM(IDC_CHANGE_PICTURE, BN_DOUBLECLICKED), TRUE},
    };
    chooserTurns = {{ChooserOutcome::Cancel, ""}, {ChooserOutcome::Cancel, ""}};
    EXPECT_EQ(IDCANCEL, RunSettingsDialog({
                            [&](HWND dialog) {
                                for (const Case& c : cases) {
                                    SCOPED_TRACE(c.name);
                                    EXPECT_EQ(c.expected, SettingsDlgProc(dialog, c.message, c.wParam, 0));
                                }
                            },
                            [](HWND dialog) {
                                EXPECT_EQ(TRUE, SettingsDlgProc(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 7), 0));
                            },
                        }));
    EXPECT_EQ(IDOK, RunSettingsDialog({[](HWND dialog) {
                  EXPECT_EQ(TRUE, SettingsDlgProc(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 7), 0));
              }}));
}

TEST_F(SettingsDialogTest, AFailedSaveIsReportedAndTheDialogStaysOpen)
{
    // A folder where the settings file should be, and a file where the
    // per-user folder should be: no write can succeed, whatever rights the
    // user has.
    ASSERT_TRUE(CreateDirectoryA(IniFile().c_str(), nullptr));
    const std::string roaming = userData.MakeFolder("Roaming");
    WriteBytes(roaming + "\\Vitrane", "");
    LoadSettings(folder.Path());
    std::string reported;
    EXPECT_EQ(IDCANCEL, RunSettingsDialog({
                            tickOrClear,
                            pressOk,  // the next step runs while its message box is shown
                            [&](HWND) {
                                const HWND box = FindThreadDialog("Error");
                                ASSERT_NE(nullptr, box);
                                for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
                                     child = GetWindow(child, GW_HWNDNEXT)) {
                                    char text[512] = {};
                                    (void)GetWindowTextA(child, text, sizeof text);
                                    reported += text;
                                    reported += '\n';
                                }
                                (void)PostMessageA(box, WM_COMMAND, IDOK, 0);
                            },
                            ExpectChoiceShown(true),
                            pressCancel,
                        }));
    EXPECT_NE(std::string::npos, reported.find(roaming + "\\Vitrane\\Vitrane.ini")) << reported;
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(IniFile().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

// Each choice is saved on OK, read back at the next start and shown by the
// reopened dialog; the line under the preview names the chosen picture.
TEST_F(SettingsDialogTest, EachChoiceIsSavedReadBackAndShown)
{
    struct Case {
        const char* stored;  // beside CustomPicture=D:\lake.jpg, UseCustomPic=1
        std::vector<DialogStep> steps;
        std::vector<std::string> folders;
        Values saved;
        const char* label;
    };
    const Case cases[] = {
        {"", {pickCrossed}, {}, {{"WaveStyle", "1"}}, "D:\\lake.jpg"},
        {"", {MoveSpeed(8)}, {}, {{"Speed", "200"}}, "D:\\lake.jpg"},
        {"Speed=130\r\n", {}, {}, {{"Speed", "130"}}, "D:\\lake.jpg"},  // between two positions: kept
        {"", {chooseFolder}, {"E:\\Photos"}, {{"PictureFolder", "E:\\Photos"}, {"CustomPicture", ""}}, "E:\\Photos"},
        {"PictureFolder=E:\\Photos\r\n", {changePicture}, {}, {{"CustomPicture", "E:\\sea.jpg"}}, "E:\\sea.jpg"},
        {"PictureFolder=E:\\Photos\r\n", {chooseFolder}, {""}, {{"PictureFolder", "E:\\Photos"}}, "E:\\Photos"},
        {"", {tickOrClear}, {}, {{"UseCustomPic", "0"}}, "Desktop"},
        {"", {PickSlideInterval("5 minutes")}, {}, {{"SlideSeconds", "300"}}, "D:\\lake.jpg"},
        {"SlideSeconds=45\r\n", {}, {}, {{"SlideSeconds", "45"}}, "D:\\lake.jpg"},  // between two: kept
        {"SlideSeconds=45\r\n", {PickSlideInterval("Never")}, {}, {{"SlideSeconds", "0"}}, "D:\\lake.jpg"},
        {"", {PickFromList(IDC_LOOK, "Realistic")}, {}, {{"Look", "1"}}, "D:\\lake.jpg"},
        {"Look=1\r\n", {PickFromList(IDC_LOOK, "Classic")}, {}, {{"Look", "0"}}, "D:\\lake.jpg"},
        {"", {pickRain}, {}, {{"WaveStyle", "2"}}, "D:\\lake.jpg"},
        {"WaveStyle=2\r\n", {pickCrossed}, {}, {{"WaveStyle", "1"}}, "D:\\lake.jpg"},
        {"", {PickFromList(IDC_CLOCK, "Time and date")}, {}, {{"Clock", "2"}}, "D:\\lake.jpg"},
        {"Clock=2\r\n", {PickFromList(IDC_CLOCK, "Time")}, {}, {{"Clock", "1"}}, "D:\\lake.jpg"},
        {"", {tickCaptions, tickMainMonitorOnly}, {}, {{"Captions", "1"}, {"Monitors", "1"}}, "D:\\lake.jpg"},
        {"Captions=1\r\nMonitors=1\r\n", {tickCaptions}, {}, {{"Captions", "0"}, {"Monitors", "1"}},
         "D:\\lake.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.label << " " << c.stored);
        StoreAndLoad("D:\\lake.jpg", std::string("1\r\n") + c.stored);
        chooserRequests.clear();
        chooserTurns = {{ChooserOutcome::Choose, "E:\\sea.jpg"}};
        folderTurns = c.folders;
        Values expected = AllKeys(c.saved);
        expected.insert({{"CustomPicture", "D:\\lake.jpg"}, {"UseCustomPic", "1"}});
        const DialogStep shown = [&](HWND dialog) {
            wchar_t name[MAX_PATH] = {};
            (void)GetDlgItemTextW(dialog, IDC_PREVIEW_NAME, name, MAX_PATH);
            EXPECT_EQ(c.label, Utf8FromWide(name));
            const int waveButtons[] = {IDC_WAVE_RINGS, IDC_WAVE_CROSSED, IDC_WAVE_RAIN};
            for (int style = 0; style < 3; ++style) {
                EXPECT_EQ(expected["WaveStyle"] == std::to_string(style),
                          IsDlgButtonChecked(dialog, waveButtons[style]) == BST_CHECKED);
            }
            const char* const looks[] = {"Classic", "Realistic"};
            EXPECT_EQ(looks[std::stoi(expected["Look"])], ListChoice(dialog, IDC_LOOK));
            const char* const clocks[] = {"None", "Time", "Time and date"};
            EXPECT_EQ(clocks[std::stoi(expected["Clock"])], ListChoice(dialog, IDC_CLOCK));
            EXPECT_EQ(expected["Captions"] == "1", IsDlgButtonChecked(dialog, IDC_CAPTIONS) == BST_CHECKED);
            EXPECT_EQ(expected["Monitors"] == "1", IsDlgButtonChecked(dialog, IDC_MAIN_MONITOR_ONLY) == BST_CHECKED);
            const std::map<std::string, LRESULT> positions = {{"100", 4}, {"130", 6}, {"200", 8}};
            EXPECT_EQ(positions.at(expected["Speed"]), SendDlgItemMessageA(dialog, IDC_SPEED, TBM_GETPOS, 0, 0));
            const LRESULT item = SendDlgItemMessageA(dialog, IDC_SLIDE_SECONDS, CB_GETCURSEL, 0, 0);
            EXPECT_EQ(std::stoi(expected["SlideSeconds"]),
                      SendDlgItemMessageA(dialog, IDC_SLIDE_SECONDS, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
        };
        std::vector<DialogStep> steps = c.steps;
        steps.insert(steps.end(), {shown, pressOk});
        EXPECT_EQ(IDOK, RunSettingsDialog(steps));
        EXPECT_EQ(expected, Saved());
        LoadSettings(folder.Path());
        RunSettingsDialog({shown, pressCancel});
    }
}

// A folder named in three scripts, chosen in the dialog: the preview shows
// its picture, OK saves it and the next start reads it back exactly.
TEST_F(SettingsDialogTest, AUnicodeFolderIsShownSavedAndReadBack)
{
    const std::string photos =
        folder.MakeFolder("\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x8C\xB4 \xE5\x86\x99\xE7\x9C\x9F");
    const std::string picture = folder.Write(photos.substr(folder.Path().size()) + "\\\xE6\xB9\x96.bmp",
                                             picture_test::MakeBmpFile(4, 4, picture_test::QuadrantColour));
    StoreAndLoad("D:\\lake.jpg", "1");
    folderTurns = {photos};
    const DialogStep shown = [&](HWND dialog) {
        // The folder is listed and its picture decoded on the preview's own
        // thread, while the frames go on.
        for (int frame = 0; frame < 600 && SettingsPreviewPicturePath() != picture; ++frame) {
            (void)SendMessageA(PreviewWindow(dialog), WM_TIMER, 1, 0);
            Sleep(10);
        }
        EXPECT_EQ(picture, SettingsPreviewPicturePath());
        wchar_t label[MAX_PATH] = {};
        (void)GetDlgItemTextW(dialog, IDC_PREVIEW_NAME, label, MAX_PATH);
        EXPECT_EQ(photos, Utf8FromWide(label));
    };
    EXPECT_EQ(IDOK, RunSettingsDialog({chooseFolder, shown, pressOk}));
    EXPECT_EQ(photos, Saved()["PictureFolder"]);
    LoadSettings(folder.Path());
    EXPECT_EQ(photos, pictureFolder);
    RunSettingsDialog({shown, pressCancel});
}

TEST_F(SettingsDialogTest, WithoutOpenGLThePlaceholderStaysAndTheDialogWorksOn)
{
    const PreviewPixelFormatSetter saved = previewPixelFormatSetter;
    previewPixelFormatSetter = [](HDC) { return false; };
    StoreAndLoad("D:\\lake.jpg", "0");
    EXPECT_EQ(IDOK, RunSettingsDialog({[](HWND dialog) { EXPECT_EQ(nullptr, PreviewWindow(dialog)); }, pickCrossed,
                                       pressOk}));
    previewPixelFormatSetter = saved;
    EXPECT_EQ("1", Saved()["WaveStyle"]);
}

// Each value a policy may hold locks the controls that would change it, and
// only those; a new policy key fails here until its controls are named.
TEST_F(SettingsDialogTest, EveryPolicyValueLocksItsControlsAndNoOthers)
{
    struct Lock {
        const char* key;
        std::vector<int> controls;
    };
    const std::vector<int> pictureButtons = {IDC_CHANGE_PICTURE, IDC_CHOOSE_FOLDER};
    const Lock locks[] = {
        {"UseCustomPic", {IDC_CUSTOM_PICTURE}},
        {"CustomPicture", pictureButtons},
        {"PictureFolder", pictureButtons},
        {"SlideSeconds", {IDC_SLIDE_SECONDS}},
        {"IncludeSubfolders", {}},
        {"MonitorPictures", {}},
        {"CacheMegabytes", {}},
        {"WaveStyle", {IDC_WAVE_RINGS, IDC_WAVE_CROSSED, IDC_WAVE_RAIN}},
        {"Look", {IDC_LOOK}},
        {"Speed", {IDC_SPEED}},
        {"Clock", {IDC_CLOCK}},
        {"Captions", {IDC_CAPTIONS}},
        {"Monitors", {IDC_MAIN_MONITOR_ONLY}},
    };
    std::vector<int> lockable;
    for (const Lock& lock : locks) {
        lockable.insert(lockable.end(), lock.controls.begin(), lock.controls.end());
    }
    const PreviewPixelFormatSetter saved = previewPixelFormatSetter;
    previewPixelFormatSetter = [](HDC) { return false; };  // the preview is not what is looked at
    const NoPoliciesAround noPolicies;
    for (const PolicyKey& key : PolicyKeys()) {
        SCOPED_TRACE(key.name);
        const Lock* lock = nullptr;
        for (const Lock& candidate : locks) {
            lock = std::string(candidate.key) == key.name ? &candidate : lock;
        }
        if (lock == nullptr) {
            ADD_FAILURE() << "no controls named for the policy key";
            continue;
        }
        ClearPolicies();
        const std::wstring name = WideFromUtf8(key.name);
        if (key.kind == PolicyKind::path) {
            const wchar_t path[] = L"D:\\held";
            SetPolicy(HKEY_CURRENT_USER, name.c_str(), REG_SZ, path, sizeof path);
        } else {
            SetPolicy(HKEY_CURRENT_USER, name.c_str(), key.highest);  // 1 for a switch: the picture on
        }
        StoreAndLoad("D:\\lake.jpg", "1");
        RunSettingsDialog({
            [&](HWND dialog) {
                for (int control : lockable) {
                    const bool locked =
                        std::find(lock->controls.begin(), lock->controls.end(), control) != lock->controls.end();
                    EXPECT_EQ(!locked, IsWindowEnabled(GetDlgItem(dialog, control)) != FALSE) << "control " << control;
                }
                EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_POLICY_NOTE)));
            },
            pressCancel,
        });
    }
    previewPixelFormatSetter = saved;
}

}  // namespace
