#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

TEST_F(LoadSettingsTest, LongValuesAreReadWhole)
{
    const std::string longPath = "D:\\" + std::string(40000, 'p') + ".jpg";
    StoreValues(longPath, "1");
    LoadSettings(folder.Path());
    EXPECT_EQ(longPath, customPicturePath);
    StoreValues(".\\" + std::string(300, 'p'), "1");
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

}  // namespace
