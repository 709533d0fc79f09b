#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "settings/win32_settings_store.h"
#include "text/win32_wide.h"
#include "win32_scratch_folder.h"
#include "win32_settings_test_support.h"

namespace {

using Values = std::map<std::string, std::string>;

// Left-overs of an earlier load must not survive the next one.
void SpoilSettings()
{
    iniPath = "stale";
    customPicturePath = "stale";
    storedCustomPicture = "stale";
    useCustomPicture = 1;
}

class LoadSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SpoilSettings();
        UseUserDataFolder(userData.Path() + "Roaming");
    }

    void Store(const std::string& fileText) { WriteBytes(folder.Path() + "Vitrane.ini", fileText); }

    void StoreValues(const std::string& customPicture, const std::string& useCustomPic)
    {
        Store("[Vitrane settings]\r\nCustomPicture=" + customPicture +
              "\r\nUseCustomPic=" + useCustomPic + "\r\n");
    }

    ScratchFolder folder;
    ScratchFolder userData;
};

TEST_F(LoadSettingsTest, TheFileLiesInTheProgramDirectory)
{
    LoadSettings("C:\\Saver\\");
    EXPECT_EQ("C:\\Saver\\Vitrane.ini", iniPath);

    LoadSettings(folder.Path());
    EXPECT_EQ(folder.Path() + "Vitrane.ini", iniPath);
}

TEST_F(LoadSettingsTest, WhatIsMissingReadsAsNoPictureAndTheFlagOff)
{
    struct Case {
        const char* name;
        const char* fileText;  // nullptr: no file at all
    };
    const Case cases[] = {
        {"no file", nullptr},
        {"empty file", ""},
        {"blank values", "[Vitrane settings]\r\nCustomPicture= \r\nUseCustomPic= \r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder caseFolder;
        if (c.fileText != nullptr) {
            WriteBytes(caseFolder.Path() + "Vitrane.ini", c.fileText);
        }
        SpoilSettings();
        LoadSettings(caseFolder.Path());
        EXPECT_EQ("", storedCustomPicture);
        EXPECT_EQ("", customPicturePath);
        EXPECT_EQ(0, useCustomPicture);
    }
}

TEST_F(LoadSettingsTest, LongValuesAreReadWholeAndRelativeOnesResolved)
{
    const std::string longPath = "D:\\" + std::string(40000, 'p') + ".jpg";
    StoreValues(longPath, "1");
    LoadSettings(folder.Path());
    EXPECT_EQ(longPath, customPicturePath);
    EXPECT_EQ(1, useCustomPicture);
    StoreValues(".\\" + std::string(300, 'p'), "0");
    LoadSettings(folder.Path());
    EXPECT_EQ(folder.Path() + std::string(300, 'p'), customPicturePath);
}

TEST_F(LoadSettingsTest, AFileBesideThatCannotBeWrittenLeavesSavesToTheUsersFileWhoseKeysWin)
{
    const std::string beside = folder.Path() + "Vitrane.ini";
    const std::string administrators =
        "[Vitrane settings]\r\nCustomPicture=.\\lake.jpg\r\nUseCustomPic=0\r\nWaveStyle=1\r\nSpeed=150\r\n";
    Store(administrators);
    ASSERT_TRUE(SetFileAttributesA(beside.c_str(), FILE_ATTRIBUTE_READONLY));
    (void)userData.MakeFolder("Roaming");
    LoadSettings(folder.Path());
    std::string failedPath;
    ASSERT_TRUE(SaveSettings({{"UseCustomPic", "1"}, {"Speed", ""}}, failedPath));
    // Once there, the user's file takes every save: written beside, a value
    // would stay hidden behind it.
    ASSERT_TRUE(SetFileAttributesA(beside.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(SaveSettings({{"PictureFolder", "D:\\Photos"}}, failedPath));
    bool exists = false;
    EXPECT_EQ(administrators, ReadBytes(beside, &exists));
    LoadSettings(folder.Path());
    EXPECT_EQ(folder.Path() + "lake.jpg", customPicturePath);
    EXPECT_EQ(1, useCustomPicture);
    EXPECT_EQ(1, waveStyle);
    EXPECT_EQ(100, speedPercent);  // the user's empty value wins too
    EXPECT_EQ("D:\\Photos", pictureFolder);
    WIN32_FIND_DATAA leftOver;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((userData.Path() + "Roaming\\Vitrane\\*.tmp").c_str(), &leftOver));
}

const std::string kPhotos = "D:\\\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x8C\xB4 \xE5\x86\x99\xE7\x9C\x9F";

// UTF-16LE by the system's conversion, not the program's own.
std::string Utf16Le(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

// Each encoding a file may be in is read; a save keeps the other lines and
// the file's encoding, ANSI files turning into UTF-16 only when they must.
TEST_F(LoadSettingsTest, EveryEncodingIsReadAndEveryChoiceSavedWithoutLoss)
{
    const std::string lines = "; kept\r\n[Vitrane settings]\r\nPictureFolder=" + kPhotos + "\r\nSpeed=150\r\n";
    const std::string ansiLines = "; kept\r\n[Vitrane settings]\r\nPictureFolder=D:\\caf\xE9\r\nSpeed=150\r\n";
    const std::string added = "LastFolderPicture=" + kPhotos + "\\x.jpg\r\nCustomPicture=\" lead\"\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::string folder;
        std::string saved;
    };
    const Case cases[] = {
        {"UTF-16 with a mark", "\xFF\xFE" + Utf16Le(lines), kPhotos, "\xFF\xFE" + Utf16Le(lines + added)},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + lines, kPhotos, "\xEF\xBB\xBF" + lines + added},
        {"UTF-8", lines, kPhotos, lines + added},
        {"ANSI", ansiLines, "D:\\caf\xC3\xA9",
         "\xFF\xFE" + Utf16Le("; kept\r\n[Vitrane settings]\r\nPictureFolder=D:\\caf\xC3\xA9\r\nSpeed=150\r\n" + added)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder caseFolder;
        const std::string file = caseFolder.Path() + "Vitrane.ini";
        WriteBytes(file, c.bytes);
        LoadSettings(caseFolder.Path());
        EXPECT_EQ(c.folder, pictureFolder);
        EXPECT_EQ(150, speedPercent);

        std::string failedPath;
        ASSERT_TRUE(SaveSettings({{"LastFolderPicture", kPhotos + "\\x.jpg"}, {"CustomPicture", " lead"}}, failedPath));
        bool exists = false;
        EXPECT_EQ(c.saved, ReadBytes(file, &exists));
    }
    // What the code page holds stays ANSI, for older readers.
    WriteBytes(folder.Path() + "Vitrane.ini", "[Vitrane settings]\r\n");
    LoadSettings(folder.Path());
    std::string failedPath;
    ASSERT_TRUE(SaveSettings({{"PictureFolder", "D:\\caf\xC3\xA9"}}, failedPath));
    bool exists = false;
    EXPECT_EQ("[Vitrane settings]\r\nPictureFolder=D:\\caf\xE9\r\n", ReadBytes(folder.Path() + "Vitrane.ini", &exists));
}

// The last step of a save fails after the temporary copy is complete: the
// old file keeps its bytes, the copy goes, the user's file takes the save.
TEST_F(LoadSettingsTest, ASaveThatFailsAtTheLastStepLeavesTheFileAndNoTemporary)
{
    static std::string replacementBytes;
    struct Case {
        const char* name;
        bool perUserKnown;
    };
    const Case cases[] = {{"per-user file known", true}, {"no per-user file", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder caseFolder;
        UseUserDataFolder(c.perUserKnown ? userData.MakeFolder("Roaming") : "");
        const std::string beside = caseFolder.Path() + "Vitrane.ini";
        const std::string old = "[Vitrane settings]\r\nSpeed=150\r\nWaveStyle=1\r\n";
        WriteBytes(beside, old);
        LoadSettings(caseFolder.Path());
        replacementBytes.clear();
        settingsFileReplace = [](const std::wstring& file, const std::wstring& replacement, bool exists) {
            if (file.find(L"Roaming") == std::wstring::npos) {
                bool there = false;
                replacementBytes = ReadBytes(Utf8FromWide(replacement), &there);
                return false;
            }
            return ReplaceFileOrMove(file, replacement, exists);
        };
        std::string failedPath;
        const bool saved = SaveSettings({{"Speed", "200"}, {"PictureFolder", kPhotos}}, failedPath);
        settingsFileReplace = ReplaceFileOrMove;
        EXPECT_EQ(c.perUserKnown, saved);
        EXPECT_EQ(kPhotos, SectionValues(replacementBytes, "Vitrane settings")["PictureFolder"]) << "a complete copy";
        bool exists = false;
        EXPECT_EQ(old, ReadBytes(beside, &exists));
        WIN32_FIND_DATAW found;
        const HANDLE leftOver = FindFirstFileW(WideFromUtf8(caseFolder.Path() + "*.tmp*").c_str(), &found);
        EXPECT_EQ(INVALID_HANDLE_VALUE, leftOver);
        (void)FindClose(leftOver);
        if (!c.perUserKnown) {
            EXPECT_EQ(beside, failedPath);
            continue;
        }
        LoadSettings(caseFolder.Path());
        EXPECT_EQ(200, speedPercent);
        EXPECT_EQ(kPhotos, pictureFolder);
        EXPECT_EQ(1, waveStyle);
    }
}

// Where ReplaceFileW stops half way, as the system may: the old file goes
// back, or, where it cannot, the new one takes its place; where neither can,
// both are left for the next load, which adopts the new one (or the old one
// where the new is gone too). Nothing stays beside the file after that load.
TEST_F(LoadSettingsTest, EveryWayAReplaceCanStopKeepsTheNewestCompleteSettings)
{
    enum class Stop { untouched, oldSetAside, oldSetAsideAndHeld, bothHeld, oldHeldNewGone };
    struct Case {
        const char* name;
        Stop stop;
        bool replaced;
        int32_t speedLoaded;
    };
    const Case cases[] = {
        {"nothing moved", Stop::untouched, false, 150},
        {"old file set aside", Stop::oldSetAside, false, 150},
        {"old file set aside and held", Stop::oldSetAsideAndHeld, true, 200},
        {"both held", Stop::bothHeld, false, 200},
        {"old file held, new copy gone", Stop::oldHeldNewGone, false, 150},
    };
    static Stop stop;
    static std::vector<HANDLE> held;
    UseUserDataFolder("");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder caseFolder;
        const std::wstring file = WideFromUtf8(caseFolder.Path() + "Vitrane.ini");
        const std::wstring replacement = file + L".1-0.tmp";  // process 1: none
        WriteBytes(Utf8FromWide(file), "[Vitrane settings]\r\nSpeed=150\r\n");
        WriteBytes(Utf8FromWide(replacement), "[Vitrane settings]\r\nSpeed=200\r\n");
        stop = c.stop;
        systemFileReplace = [](const std::wstring& file, const std::wstring& replacement, const std::wstring& backup) {
            const auto hold = [](const std::wstring& path) {
                held.push_back(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                           nullptr));
            };
            if (stop != Stop::untouched) {
                (void)MoveFileW(file.c_str(), backup.c_str());
            }
            if (stop != Stop::untouched && stop != Stop::oldSetAside) {
                hold(backup);
            }
            if (stop == Stop::bothHeld) {
                hold(replacement);
            }
            if (stop == Stop::oldHeldNewGone) {
                (void)DeleteFileW(replacement.c_str());
            }
            SetLastError(stop == Stop::untouched ? ERROR_UNABLE_TO_MOVE_REPLACEMENT
                                                 : ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
            return false;
        };
        EXPECT_EQ(c.replaced, ReplaceFileOrMove(file, replacement, true));
        systemFileReplace = [](const std::wstring& file, const std::wstring& replacement, const std::wstring& backup) {
            return ReplaceFileW(file.c_str(), replacement.c_str(), backup.c_str(), 0, nullptr, nullptr) != FALSE;
        };
        for (HANDLE handle : held) {
            (void)CloseHandle(handle);
        }
        held.clear();
        if (!c.replaced && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
            (void)DeleteFileW(replacement.c_str());  // as a failed save does where the file is there
        }
        LoadSettings(caseFolder.Path());
        EXPECT_EQ(c.speedLoaded, speedPercent);
        WIN32_FIND_DATAW found;
        const HANDLE leftOver = FindFirstFileW((file + L".*.tmp*").c_str(), &found);
        EXPECT_EQ(INVALID_HANDLE_VALUE, leftOver) << Utf8FromWide(found.cFileName);
        (void)FindClose(leftOver);
    }
}

// What a save left behind where the user's file should be: the next save
// adopts it and writes there, never beside the program where the user's file
// would hide it; leftovers beside a good file, and a killed save's copy, go.
TEST_F(LoadSettingsTest, LeftoversNeverOutliveANewerSave)
{
    const std::string userFolder = userData.MakeFolder("Roaming") + "\\Vitrane";
    ASSERT_TRUE(CreateDirectoryW(WideFromUtf8(userFolder).c_str(), nullptr));
    const std::string userFile = userFolder + "\\Vitrane.ini";
    WriteBytes(userFile + ".1-0.tmp.old", "[Vitrane settings]\r\nSpeed=150\r\nWaveStyle=1\r\n");
    LoadSettings(folder.Path());
    std::string failedPath;
    ASSERT_TRUE(SaveSettings({{"Speed", "200"}}, failedPath));
    bool exists = true;
    (void)ReadBytes(folder.Path() + "Vitrane.ini", &exists);
    EXPECT_FALSE(exists) << "written beside the program";
    LoadSettings(folder.Path());
    EXPECT_EQ(200, speedPercent);
    EXPECT_EQ(1, waveStyle);

    WriteBytes(userFile + ".1-1.tmp.old", "[Vitrane settings]\r\nSpeed=75\r\n");
    WriteBytes(userFile + ".1-2.tmp", "[Vitrane settings]\r\nSpeed=");  // a killed save's
    LoadSettings(folder.Path());
    EXPECT_EQ(200, speedPercent);
    ASSERT_TRUE(DeleteFileW(WideFromUtf8(userFile).c_str()));  // the user's reset
    LoadSettings(folder.Path());
    EXPECT_EQ(100, speedPercent);
    WIN32_FIND_DATAW found;
    const HANDLE leftOver = FindFirstFileW(WideFromUtf8(userFolder + "\\*.tmp*").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, leftOver) << Utf8FromWide(found.cFileName);
    (void)FindClose(leftOver);
}

// The saver's exit save coming while the dialog's OK is being written waits
// for it, then changes the file OK wrote: neither undoes the other.
TEST_F(LoadSettingsTest, TwoSavesAtOnceKeepBothChanges)
{
    UseUserDataFolder("");
    Store("[Vitrane settings]\r\nSpeed=150\r\n");
    LoadSettings(folder.Path());
    static HANDLE exitSave;
    settingsFileReplace = [](const std::wstring& file, const std::wstring& replacement, bool exists) {
        if (exitSave == nullptr) {
            exitSave = CreateThread(nullptr, 0, [](LPVOID) -> DWORD {
                std::string failedPath;
                return SaveSettings({{"LastFolderPicture", "D:\\last.jpg"}}, failedPath) ? 0 : 1;
            }, nullptr, 0, nullptr);
            (void)WaitForSingleObject(exitSave, 300);  // time for it to read and write, had it not to wait
        }
        return ReplaceFileOrMove(file, replacement, exists);
    };
    std::string failedPath;
    EXPECT_TRUE(SaveSettings({{"Speed", "200"}}, failedPath));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(exitSave, 10000));
    DWORD exitCode = 1;
    (void)GetExitCodeThread(exitSave, &exitCode);
    (void)CloseHandle(exitSave);
    settingsFileReplace = ReplaceFileOrMove;
    EXPECT_EQ(0u, exitCode);
    LoadSettings(folder.Path());
    EXPECT_EQ(200, speedPercent);
    EXPECT_EQ("D:\\last.jpg", lastFolderPicture);
}

TEST_F(LoadSettingsTest, AReplacedFileKeepsItsAttributes)
{
    const std::string beside = folder.Path() + "Vitrane.ini";
    StoreValues("D:\\lake.jpg", "0");
    ASSERT_TRUE(SetFileAttributesW(WideFromUtf8(beside).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    LoadSettings(folder.Path());
    std::string failedPath;
    ASSERT_TRUE(SaveSettings({{"UseCustomPic", "1"}}, failedPath));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              GetFileAttributesW(WideFromUtf8(beside).c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    LoadSettings(folder.Path());
    EXPECT_EQ(1, useCustomPicture);
}

TEST_F(LoadSettingsTest, APolicyWinsOverTheFilesAndASaveLeavesItsKeysAsTheFileHasThem)
{
    const std::string beside = folder.Path() + "Vitrane.ini";
    Store("[Vitrane settings]\r\nCustomPicture=D:\\lake.jpg\r\nUseCustomPic=0\r\nSpeed=75\r\nWaveStyle=0\r\n"
          "SlideSeconds=10\r\nPictureFolder=D:\\Photos\r\n");
    const NoPoliciesAround noPolicies;
    ASSERT_TRUE(SetEnvironmentVariableW(L"VITRANE_TEST_SHARE", L"\\\\server\\share"));
    const wchar_t picture[] = L"%VITRANE_TEST_SHARE%\\sea.jpg";
    SetPolicy(HKEY_CURRENT_USER, L"CustomPicture", REG_EXPAND_SZ, picture, sizeof picture);
    SetPolicy(HKEY_CURRENT_USER, L"UseCustomPic", 1);
    SetPolicy(HKEY_LOCAL_MACHINE, L"Speed", 150);
    SetPolicy(HKEY_CURRENT_USER, L"Speed", 50);
    SetPolicy(HKEY_CURRENT_USER, L"WaveStyle", REG_SZ, L"1", 4);  // not a REG_DWORD
    SetPolicy(HKEY_LOCAL_MACHINE, L"SlideSeconds", 3);            // out of range
    LoadSettings(folder.Path());
    EXPECT_EQ("\\\\server\\share\\sea.jpg", customPicturePath);
    EXPECT_EQ("", pictureFolder) << "the folder would replace the administrator's picture";
    EXPECT_EQ(1, useCustomPicture);
    EXPECT_EQ(150, speedPercent);
    EXPECT_EQ(0, waveStyle);
    EXPECT_EQ(10, slideSeconds);
    EXPECT_TRUE(SettingHeldByPolicy("speed"));
    EXPECT_FALSE(SettingHeldByPolicy("WaveStyle"));

    std::string failedPath;
    ASSERT_TRUE(SaveSettings({{"CustomPicture", "E:\\x.jpg"}, {"UseCustomPic", "1"}, {"Speed", "200"},
                              {"WaveStyle", "1"}, {"SlideSeconds", "30"}, {"PictureFolder", "E:\\Mine"}},
                             failedPath));
    bool exists = false;
    EXPECT_EQ((Values{{"CustomPicture", "D:\\lake.jpg"}, {"UseCustomPic", "0"}, {"Speed", "75"},
                      {"WaveStyle", "1"}, {"SlideSeconds", "30"}, {"PictureFolder", "D:\\Photos"}}),
              SectionValues(ReadBytes(beside, &exists), "Vitrane settings"));
}

}  // namespace
