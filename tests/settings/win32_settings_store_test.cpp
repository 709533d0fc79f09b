#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "settings/win32_settings_store.h"
#include "win32_scratch_folder.h"
#include "win32_settings_test_support.h"

namespace {

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

    // Where the user's own file goes: userData\Roaming\Vitrane\Vitrane.ini.
    std::string UserFile() const { return userData.Path() + "Roaming\\Vitrane\\Vitrane.ini"; }
    void StoreForUser(const std::string& fileText)
    {
        (void)userData.MakeFolder("Roaming");
        (void)userData.MakeFolder("Roaming\\Vitrane");
        WriteBytes(UserFile(), fileText);
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
        {"other section", "[Other]\r\nCustomPicture=D:\\lake.jpg\r\nUseCustomPic=1\r\n"},
        {"no keys", "[Vitrane settings]\r\n"},
        {"other keys", "[Vitrane settings]\r\nPicture=D:\\lake.jpg\r\nUseCustom=1\r\n"},
        {"empty values", "[Vitrane settings]\r\nCustomPicture=\r\nUseCustomPic=\r\n"},
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

TEST_F(LoadSettingsTest, ALeadingDotMakesThePictureRelativeToTheProgramDirectory)
{
    struct Case {
        const char* stored;
        const char* afterDirectory;  // nullptr: the stored text unchanged
    };
    const Case cases[] = {
        {".\\lake.jpg", "lake.jpg"},
        {".", ""},
        {"..\\lake.jpg", "\\lake.jpg"},
        {".lake.jpg", "ake.jpg"},
        {"D:\\Pictures\\lake.jpg", nullptr},
        {"\\\\server\\share\\lake.jpg", nullptr},
        {"C:\\My Pictures\\lake at dawn.jpeg", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ScratchFolder caseFolder;
        WriteBytes(caseFolder.Path() + "Vitrane.ini",
                   std::string("[Vitrane settings]\r\nCustomPicture=") + c.stored + "\r\n");
        LoadSettings(caseFolder.Path());
        EXPECT_EQ(c.stored, storedCustomPicture);
        const std::string expected =
            c.afterDirectory != nullptr ? caseFolder.Path() + c.afterDirectory : c.stored;
        EXPECT_EQ(expected, customPicturePath);
    }
}

TEST_F(LoadSettingsTest, ANonZeroNumberTurnsTheCustomPictureOn)
{
    struct Case {
        const char* value;
        unsigned char expected;
    };
    const Case cases[] = {
        {"1", 1},    {"01", 1},         {"+1", 1},          {" 1", 1},   {"2", 1},
        {"-1", 1},   {"1abc", 1},       {"0", 0},           {"-0", 0},   {"0x1", 0},
        {"", 0},     {" ", 0},          {"true", 0},        {"yes", 0},  {"2147483648", 0},
        {"-2147483649", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.value + "'");
        ScratchFolder caseFolder;
        WriteBytes(caseFolder.Path() + "Vitrane.ini",
                   std::string("[Vitrane settings]\r\nUseCustomPic=") + c.value + "\r\n");
        useCustomPicture = 1 - c.expected;
        LoadSettings(caseFolder.Path());
        EXPECT_EQ(c.expected, useCustomPicture);
    }
}

TEST_F(LoadSettingsTest, BothKeysAreReadFromTheSameFile)
{
    StoreValues("D:\\Pictures\\lake.jpg", "1");
    LoadSettings(folder.Path());
    EXPECT_EQ("D:\\Pictures\\lake.jpg", customPicturePath);
    EXPECT_EQ(1, useCustomPicture);
}

TEST_F(LoadSettingsTest, AValueLongerThan254CharactersIsCutTo254)
{
    const std::string longPath = "D:\\" + std::string(297, 'p') + ".jpg";
    StoreValues(longPath, "1");
    LoadSettings(folder.Path());
    EXPECT_EQ(longPath.substr(0, 254), storedCustomPicture);
    EXPECT_EQ(longPath.substr(0, 254), customPicturePath);
    EXPECT_EQ(1, useCustomPicture);
}

TEST_F(LoadSettingsTest, ACutRelativeValueStillDropsOnlyItsFirstTwoCharacters)
{
    const std::string longPath = ".\\" + std::string(300, 'p');
    StoreValues(longPath, "0");
    LoadSettings(folder.Path());
    EXPECT_EQ(folder.Path() + std::string(252, 'p'), customPicturePath);
}

TEST_F(LoadSettingsTest, EachKeyTheUsersFileHoldsWinsOverTheFileBesideTheProgram)
{
    Store("[Vitrane settings]\r\nCustomPicture=.\\lake.jpg\r\nUseCustomPic=1\r\nWaveStyle=1\r\n"
          "Speed=150\r\nPictureFolder=D:\\Photos\r\nLastFolderPicture=D:\\Photos\\a.jpg\r\n");
    LoadSettings(folder.Path());
    EXPECT_EQ(UserFile(), userIniPath);
    EXPECT_EQ(folder.Path() + "lake.jpg", customPicturePath);
    EXPECT_EQ(1, useCustomPicture);
    EXPECT_EQ(1, waveStyle);
    EXPECT_EQ(150, speedPercent);
    EXPECT_EQ("D:\\Photos", pictureFolder);
    EXPECT_EQ("D:\\Photos\\a.jpg", lastFolderPicture);

    // An empty value held is still the user's word; keys it lacks come from beside.
    StoreForUser("[Vitrane settings]\r\nuseCUSTOMpic=0\r\nSpeed=\r\nLastFolderPicture=D:\\Photos\\b.jpg\r\n"
                 "[Other]\r\nWaveStyle=0\r\n");
    LoadSettings(folder.Path());
    EXPECT_EQ(folder.Path() + "lake.jpg", customPicturePath);
    EXPECT_EQ(0, useCustomPicture);
    EXPECT_EQ(1, waveStyle);
    EXPECT_EQ(100, speedPercent);
    EXPECT_EQ("D:\\Photos", pictureFolder);
    EXPECT_EQ("D:\\Photos\\b.jpg", lastFolderPicture);
}

class SaveSettingsTest : public LoadSettingsTest {
protected:
    bool Save(std::string& failedPath)
    {
        LoadSettings(folder.Path());
        return SaveSettings({{"CustomPicture", "E:\\sea.jpg"}, {"UseCustomPic", "1"}}, failedPath);
    }

    std::map<std::string, std::string> Values(const std::string& file)
    {
        bool exists = false;
        return SectionValues(ReadBytes(file, &exists), "Vitrane settings");
    }

    // Nothing but the settings file: no temporary copy stays behind.
    std::vector<std::string> FilesIn(const std::string& folderPath)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA((folderPath + "*").c_str(), &found);
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                names.push_back(found.cFileName);
            }
        } while (search != INVALID_HANDLE_VALUE && FindNextFileA(search, &found));
        (void)FindClose(search);
        return names;
    }

    const std::map<std::string, std::string> saved = {{"CustomPicture", "E:\\sea.jpg"}, {"UseCustomPic", "1"}};
};

TEST_F(SaveSettingsTest, AWritableProgramFolderKeepsTheFileBesideTheProgram)
{
    StoreValues(".\\lake.jpg", "0");
    std::string failedPath;
    ASSERT_TRUE(Save(failedPath));
    EXPECT_EQ(saved, Values(folder.Path() + "Vitrane.ini"));
    EXPECT_EQ(std::vector<std::string>{"Vitrane.ini"}, FilesIn(folder.Path()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(UserFile().c_str()));
}

TEST_F(SaveSettingsTest, AFileBesideThatCannotBeWrittenSendsTheSaveToTheUsersFile)
{
    StoreValues(".\\lake.jpg", "0");
    const std::string beside = folder.Path() + "Vitrane.ini";
    ASSERT_TRUE(SetFileAttributesA(beside.c_str(), FILE_ATTRIBUTE_READONLY));
    (void)userData.MakeFolder("Roaming");
    std::string failedPath;
    ASSERT_TRUE(Save(failedPath));
    EXPECT_EQ(saved, Values(UserFile()));
    EXPECT_EQ((std::map<std::string, std::string>{{"CustomPicture", ".\\lake.jpg"}, {"UseCustomPic", "0"}}),
              Values(beside));
    EXPECT_EQ(std::vector<std::string>{"Vitrane.ini"}, FilesIn(folder.Path()));

    // From then on the user's file is read first, and written even when the
    // folder beside the program can be written again.
    ASSERT_TRUE(SetFileAttributesA(beside.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(SaveSettings({{"UseCustomPic", "0"}}, failedPath));
    LoadSettings(folder.Path());
    EXPECT_EQ(0, useCustomPicture);
    EXPECT_EQ("E:\\sea.jpg", customPicturePath);
}

TEST_F(SaveSettingsTest, NeitherPlaceWritableIsReportedWithTheFileTriedLast)
{
    (void)CreateDirectoryA((folder.Path() + "Vitrane.ini").c_str(), nullptr);
    for (const bool perUserFolderKnown : {true, false}) {
        SCOPED_TRACE(perUserFolderKnown);
        ScratchFolder caseData;
        // A file where the user's settings folder belongs.
        WriteBytes(caseData.MakeFolder("Roaming") + "\\Vitrane", "");
        UseUserDataFolder(perUserFolderKnown ? caseData.Path() + "Roaming" : "");
        std::string failedPath;
        EXPECT_FALSE(Save(failedPath));
        EXPECT_EQ(perUserFolderKnown ? caseData.Path() + "Roaming\\Vitrane\\Vitrane.ini" : folder.Path() + "Vitrane.ini",
                  failedPath);
        EXPECT_TRUE(FilesIn(folder.Path()).empty());
    }
}

}  // namespace
