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

TEST(PolicySettingText, EachSettingTakesOnlyItsTypeWithinItsRange)
{
    struct Case {
        const char* key;
        PolicyValue value;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"UseCustomPic", Dword(1), "1"},                     {"UseCustomPic", Dword(2), none},
        {"UseCustomPic", Text(sz, "1"), none},               {"MonitorPictures", Dword(0xFFFFFFFF), none},
        {"WaveStyle", Dword(2), "2"},                        {"WaveStyle", Dword(3), none},
        {"Look", Dword(1), "1"},                             {"Clock", Dword(3), none},
        {"Speed", Dword(49), none},                          {"Speed", Dword(50), "50"},
        {"Speed", Dword(200), "200"},                        {"Speed", Dword(201), none},
        {"Speed", Text(expandSz, "150"), none},              {"SlideSeconds", Dword(0), "0"},
        {"SlideSeconds", Dword(4), none},                    {"SlideSeconds", Dword(5), "5"},
        {"SlideSeconds", Dword(86400), "86400"},             {"SlideSeconds", Dword(86401), none},
        {"CustomPicture", Text(sz, "D:\\a.jpg"), "D:\\a.jpg"},       {"CustomPicture", Dword(1), none},
        {"CustomPicture", Text(expandSz, "C:\\b.jpg"), "C:\\b.jpg"}, {"PictureFolder", Text(sz, ""), ""},
        {"PictureFolder", Text(PolicyValueType::other, "E:\\"), none}, {"CacheMegabytes", Dword(0), "0"},
        {"CacheMegabytes", Dword(65536), "65536"},          {"CacheMegabytes", Dword(65537), none},
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

}  // namespace
