#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

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

std::string Utf16Le(const std::string& utf8)
{
    const std::wstring wide = WideFromUtf8(utf8);
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

// Each encoding a file may be in is read; a save keeps the other lines and
// whatever the user chose reads back exactly, ANSI files turning into UTF-16
// only when they must.
TEST_F(LoadSettingsTest, EveryEncodingIsReadAndEveryChoiceSavedWithoutLoss)
{
    const std::string lines = "; kept\r\n[Vitrane settings]\r\nPictureFolder=" + kPhotos + "\r\nSpeed=150\r\n";
    const std::string ansiLines = "; kept\r\n[Vitrane settings]\r\nPictureFolder=D:\\caf\xE9\r\nSpeed=150\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::string folder;
        std::string savedStart;  // the first bytes after a save of kPhotos
    };
    const Case cases[] = {
        {"UTF-16 with a mark", "\xFF\xFE" + Utf16Le(lines), kPhotos, "\xFF\xFE"},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + lines, kPhotos, "\xEF\xBB\xBF"},
        {"UTF-8", lines, kPhotos, ";"},
        {"ANSI", ansiLines, "D:\\caf\xC3\xA9", "\xFF\xFE"},
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
        LoadSettings(caseFolder.Path());
        EXPECT_EQ(c.folder, pictureFolder);
        EXPECT_EQ(kPhotos + "\\x.jpg", lastFolderPicture);
        EXPECT_EQ(" lead", storedCustomPicture);
        EXPECT_EQ(150, speedPercent);
        bool exists = false;
        const std::string saved = ReadBytes(file, &exists);
        EXPECT_EQ(c.savedStart, saved.substr(0, c.savedStart.size()));
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

// Values under Software\Policies\Vitrane in the test prefix's registry.
void ClearPolicies()
{
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        (void)RegDeleteTreeW(root, L"Software\\Policies\\Vitrane");
    }
}

void SetPolicy(HKEY root, const wchar_t* name, DWORD type, const void* data, size_t size)
{
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(root, L"Software\\Policies\\Vitrane", name, type, data, static_cast<DWORD>(size)));
}

void SetPolicy(HKEY root, const wchar_t* name, DWORD number)
{
    SetPolicy(root, name, REG_DWORD, &number, sizeof number);
}

TEST_F(LoadSettingsTest, APolicyWinsOverTheFilesAndASaveLeavesItsKeysAsTheFileHasThem)
{
    const std::string beside = folder.Path() + "Vitrane.ini";
    Store("[Vitrane settings]\r\nCustomPicture=D:\\lake.jpg\r\nUseCustomPic=0\r\nSpeed=75\r\nWaveStyle=0\r\n"
          "SlideSeconds=10\r\n");
    ClearPolicies();
    struct Cleanup {
        ~Cleanup() { ClearPolicies(); }
    } cleanup;
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
    EXPECT_EQ(1, useCustomPicture);
    EXPECT_EQ(150, speedPercent);
    EXPECT_EQ(0, waveStyle);
    EXPECT_EQ(10, slideSeconds);
    EXPECT_TRUE(SettingHeldByPolicy("speed"));
    EXPECT_FALSE(SettingHeldByPolicy("WaveStyle"));

    std::string failedPath;
    ASSERT_TRUE(SaveSettings({{"CustomPicture", "E:\\x.jpg"}, {"UseCustomPic", "1"}, {"Speed", "200"},
                              {"WaveStyle", "1"}, {"SlideSeconds", "30"}},
                             failedPath));
    bool exists = false;
    EXPECT_EQ((Values{{"CustomPicture", "D:\\lake.jpg"}, {"UseCustomPic", "0"}, {"Speed", "75"},
                      {"WaveStyle", "1"}, {"SlideSeconds", "30"}}),
              SectionValues(ReadBytes(beside, &exists), "Vitrane settings"));
}

}  // namespace
