#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/settings_policy.h"

namespace {

const PolicyValueType dword = PolicyValueType::dword;
const PolicyValueType sz = PolicyValueType::text;
const PolicyValueType expandSz = PolicyValueType::expandedText;
const std::nullopt_t none = std::nullopt;

PolicyValue Dword(uint32_t number)
{
    return {dword, number, ""};
}

PolicyValue Text(PolicyValueType type, const std::string& text)
{
    return {type, 0, text};
}

std::optional<std::string> TextFor(const std::string& name, const PolicyValue& value)
{
    for (const PolicyKey& key : PolicyKeys()) {
        if (name == key.name) {
            return PolicySettingText(key, value);
        }
    }
    ADD_FAILURE() << "no policy row " << name;
    return none;
}

// The ranges are compared with the Group Policy templates; here, the types.
TEST(PolicySettingText, EachSettingTakesOnlyItsType)
{
    struct Case {
        const char* key;
        PolicyValue value;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"UseCustomPic", Dword(1), "1"},
        {"UseCustomPic", Text(sz, "1"), none},
        {"Speed", Text(expandSz, "150"), none},
        {"CustomPicture", Text(sz, "D:\\a.jpg"), "D:\\a.jpg"},
        {"CustomPicture", Dword(1), none},
        {"CustomPicture", Text(expandSz, "C:\\b.jpg"), "C:\\b.jpg"},
        {"PictureFolder", Text(sz, ""), ""},
        {"PictureFolder", Text(PolicyValueType::other, "E:\\"), none},
        {"SlideSeconds", Dword(4), none},  // the gap between off and the shortest interval
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.value.number) + " '" + c.value.text + "'");
        EXPECT_EQ(c.expected, TextFor(c.key, c.value));
    }
}

// Speed from every source at once, each source good, bad or missing.
TEST(SettingSources, TheComputerBeatsTheUserWhoseFileBeatsTheFileBesideTheProgram)
{
    struct Case {
        std::optional<PolicyValue> computer;
        std::optional<PolicyValue> user;
        bool userFile;
        bool besideFile;
        const char* expected;  // nullptr: no source holds it
        bool policyHolds;
    };
    const PolicyValue good = Dword(150), alsoGood = Dword(75), outOfRange = Dword(300), text = Text(sz, "150");
    const Case cases[] = {
        {good, alsoGood, true, true, "150", true},       {none, alsoGood, true, true, "75", true},
        {outOfRange, alsoGood, true, true, "75", true},  {text, alsoGood, true, true, "75", true},
        {outOfRange, text, true, true, "120", false},    {none, none, false, true, "180", false},
        {none, none, false, false, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        SettingSources sources;
        sources.policy = PolicyEntries([&](PolicyScope scope, const std::string& name) -> std::optional<PolicyValue> {
            return name != "Speed" ? none : scope == PolicyScope::computer ? c.computer : c.user;
        });
        if (c.userFile) {
            sources.userFile = {{"Speed", "120"}};
        }
        if (c.besideFile) {
            sources.besideFile = {{"speed", "180"}};
        }
        const std::string* value = FindSettingValue(sources, "Speed");
        EXPECT_EQ(c.expected != nullptr ? std::optional<std::string>(c.expected) : none,
                  value != nullptr ? std::optional<std::string>(*value) : none);
        EXPECT_EQ(c.policyHolds, FindIniValue(sources.policy, "Speed") != nullptr);
    }
}

// A policy on either picture path decides the picture: the other path from
// the files no longer counts, and the user cannot change either.
TEST(SettingSources, APolicyOnEitherPicturePathDecidesThePicture)
{
    const std::vector<IniEntry> userFile = {{"CustomPicture", "D:\\mine.jpg"}, {"PictureFolder", "D:\\Mine"}};
    struct Case {
        std::vector<IniEntry> policy;
        const char* file;
        const char* folder;
        bool decided;
    };
    const Case cases[] = {
        {{}, "D:\\mine.jpg", "D:\\Mine", false},
        {{{"UseCustomPic", "1"}}, "D:\\mine.jpg", "D:\\Mine", false},
        {{{"customPicture", "\\\\srv\\a.jpg"}}, "\\\\srv\\a.jpg", "", true},
        {{{"PictureFolder", "\\\\srv\\Pics"}}, "", "\\\\srv\\Pics", true},
        {{{"PictureFolder", ""}}, "", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        const SettingSources sources = {c.policy, userFile, {{"PictureFolder", "E:\\Beside"}}};
        EXPECT_EQ(c.file, *FindSettingValue(sources, "CustomPicture"));
        EXPECT_EQ(c.folder, *FindSettingValue(sources, "PictureFolder"));
        EXPECT_EQ(c.decided, PolicyDecidesSetting(c.policy, "CustomPicture"));
        EXPECT_EQ(c.decided, PolicyDecidesSetting(c.policy, "PictureFolder"));
        EXPECT_FALSE(PolicyDecidesSetting(c.policy, "Speed"));
    }
}

}  // namespace
