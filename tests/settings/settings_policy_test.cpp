#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/settings_policy.h"

namespace {

const PolicyKey& Row(const std::string& name)
{
    for (const PolicyKey& key : PolicyKeys()) {
        if (name == key.name) {
            return key;
        }
    }
    ADD_FAILURE() << "no policy row " << name;
    return PolicyKeys().front();
}

PolicyValue Dword(uint32_t number)
{
    return {PolicyValueType::dword, number, ""};
}

PolicyValue Text(PolicyValueType type, const std::string& text)
{
    return {type, 0, text};
}

TEST(PolicySettingText, EachSettingTakesOnlyItsTypeWithinItsRange)
{
    struct Case {
        const char* key;
        PolicyValue value;
        std::optional<std::string> expected;
    };
    const PolicyValueType sz = PolicyValueType::text;
    const PolicyValueType expandSz = PolicyValueType::expandedText;
    const Case cases[] = {
        {"UseCustomPic", Dword(1), "1"},
        {"UseCustomPic", Dword(0), "0"},
        {"UseCustomPic", Dword(2), std::nullopt},
        {"UseCustomPic", Text(sz, "1"), std::nullopt},
        {"IncludeSubfolders", Dword(0), "0"},
        {"MonitorPictures", Dword(0xFFFFFFFF), std::nullopt},
        {"WaveStyle", Dword(1), "1"},
        {"WaveStyle", Dword(2), std::nullopt},
        {"Speed", Dword(49), std::nullopt},
        {"Speed", Dword(50), "50"},
        {"Speed", Dword(200), "200"},
        {"Speed", Dword(201), std::nullopt},
        {"Speed", Dword(0), std::nullopt},
        {"Speed", Text(expandSz, "150"), std::nullopt},
        {"SlideSeconds", Dword(0), "0"},
        {"SlideSeconds", Dword(4), std::nullopt},
        {"SlideSeconds", Dword(5), "5"},
        {"SlideSeconds", Dword(86400), "86400"},
        {"SlideSeconds", Dword(86401), std::nullopt},
        {"CustomPicture", Text(sz, "D:\\lake.jpg"), "D:\\lake.jpg"},
        {"CustomPicture", Text(expandSz, "C:\\Users\\Public\\lake.jpg"), "C:\\Users\\Public\\lake.jpg"},
        {"CustomPicture", Dword(1), std::nullopt},
        {"PictureFolder", Text(sz, ""), ""},
        {"PictureFolder", Text(PolicyValueType::other, "\\\\server\\share"), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.value.number) + " '" + c.value.text + "'");
        EXPECT_EQ(c.expected, PolicySettingText(Row(c.key), c.value));
    }
}

// Speed from every source at once, each source good, bad or missing.
TEST(SettingSources, TheComputerBeatsTheUserWhoseFileBeatsTheFileBesideTheProgram)
{
    struct Case {
        const char* name;
        std::optional<PolicyValue> computer;
        std::optional<PolicyValue> user;
        std::vector<IniEntry> userFile;
        std::vector<IniEntry> besideFile;
        const char* expected;  // nullptr: no source holds it
        bool policyHolds;
    };
    const std::vector<IniEntry> userFile = {{"Speed", "120"}};
    const std::vector<IniEntry> besideFile = {{"speed", "180"}};
    const Case cases[] = {
        {"every source", Dword(150), Dword(75), userFile, besideFile, "150", true},
        {"no computer policy", std::nullopt, Dword(75), userFile, besideFile, "75", true},
        {"computer's out of range", Dword(300), Dword(75), userFile, besideFile, "75", true},
        {"computer's of the wrong type", Text(PolicyValueType::text, "150"), Dword(75), userFile, besideFile, "75", true},
        {"both policies bad", Dword(300), Text(PolicyValueType::text, "75"), userFile, besideFile, "120", false},
        {"no policy, no user's file", std::nullopt, std::nullopt, {}, besideFile, "180", false},
        {"nothing", std::nullopt, std::nullopt, {}, {}, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingSources sources;
        sources.policy = PolicyEntries([&](PolicyScope scope, const std::string& name) -> std::optional<PolicyValue> {
            if (name != "Speed") {
                return std::nullopt;
            }
            return scope == PolicyScope::computer ? c.computer : c.user;
        });
        sources.userFile = c.userFile;
        sources.besideFile = c.besideFile;
        const std::string* value = FindSettingValue(sources, "Speed");
        if (c.expected == nullptr) {
            EXPECT_EQ(nullptr, value);
        } else {
            ASSERT_NE(nullptr, value);
            EXPECT_EQ(c.expected, *value);
        }
        EXPECT_EQ(c.policyHolds, FindIniValue(sources.policy, "Speed") != nullptr);
    }
}

}  // namespace
