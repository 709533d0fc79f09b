#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "settings/settings_policy.h"

namespace {

std::string ReadTemplate(const std::string& name)
{
    std::ifstream file(std::string(VITRANE_SOURCE_DIR) + "/res/policy/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The first group of every match.
std::set<std::string> Matches(const std::string& text, const std::string& pattern)
{
    std::set<std::string> found;
    const std::regex expression(pattern);
    for (std::sregex_iterator match(text.begin(), text.end(), expression), end; match != end; ++match) {
        found.insert((*match)[1]);
    }
    return found;
}

// xmllint checks the templates well-formed; here they must agree with each
// other and with the settings the saver reads.
TEST(PolicyTemplates, EveryPolicyHasItsTextsAndWritesASettingTheSaverReads)
{
    const std::string admx = ReadTemplate("Vitrane.admx");
    const std::string adml = ReadTemplate("en-US/Vitrane.adml");
    struct Reference {
        const char* inAdmx;
        const char* inAdml;
    };
    const Reference references[] = {
        {R"re(\$\(string\.([^)]+)\))re", R"re(<string id="([^"]+)")re"},
        {R"re(\$\(presentation\.([^)]+)\))re", R"re(<presentation id="([^"]+)")re"},
        {R"re(<(?:decimal|text|enum|boolean) id="([^"]+)")re", R"re(refId="([^"]+)")re"},
    };
    for (const Reference& reference : references) {
        const std::set<std::string> defined = Matches(adml, reference.inAdml);
        for (const std::string& id : Matches(admx, reference.inAdmx)) {
            EXPECT_EQ(1u, defined.count(id)) << id << " is not in the ADML as " << reference.inAdml;
        }
    }
    const size_t policies = Matches(admx, R"re((<policy\s[^>]*>))re").size();
    EXPECT_EQ(policies, Matches(admx, R"re((<policy\s[^>]*class="Both"))re").size()) << "a policy not for both";
    EXPECT_EQ(std::set<std::string>{policyRegistryKey}, Matches(admx, R"re(key="([^"]+)")re"));

    std::set<std::string> read;
    for (const PolicyKey& key : PolicyKeys()) {
        EXPECT_TRUE(read.insert(key.name).second) << key.name << " has its row now: drop it from `read`";
    }
    EXPECT_EQ(read, Matches(admx, R"re(valueName="([^"]+)")re"));
    EXPECT_EQ(read.size(), policies);
}

std::optional<uint32_t> Attribute(const std::string& element, const char* name)
{
    std::smatch match;
    if (!std::regex_search(element, match, std::regex(std::string(name) + R"re(="(\d+)")re"))) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(match[1]));
}

// What the Group Policy editor lets an administrator write for each value,
// read from the template alone: the ends of a number's range, every item of
// a list, both states of a switch, or a path.
struct Offered {
    bool path = false;
    std::set<uint32_t> numbers;  // a list's items, a switch's 0 and 1, or a range's two ends
};

std::map<std::string, Offered> OfferedValues(const std::string& admx)
{
    std::map<std::string, Offered> offered;
    const std::regex policy(R"re(<policy\s[\s\S]*?</policy>)re");
    for (std::sregex_iterator it(admx.begin(), admx.end(), policy), end; it != end; ++it) {
        const std::string block = it->str();
        std::smatch match;
        if (std::regex_search(block, match, std::regex(R"re(<text [^>]*valueName="([^"]+)")re"))) {
            offered[match[1]].path = true;
        } else if (std::regex_search(block, match, std::regex(R"re(<decimal id="[^"]*" valueName="([^"]+)"[^>]*>)re"))) {
            offered[match[1]].numbers = {*Attribute(match[0], "minValue"), *Attribute(match[0], "maxValue")};
        } else if (std::regex_search(block, match, std::regex(R"re(<enum [^>]*valueName="([^"]+)")re"))) {
            for (const std::string& value : Matches(block, R"re(<value><decimal value="(\d+)")re")) {
                offered[match[1]].numbers.insert(static_cast<uint32_t>(std::stoul(value)));
            }
        } else if (std::regex_search(block, match, std::regex(R"re(<policy [^>]*valueName="([^"]+)")re"))) {
            for (const char* state : {"enabledValue", "disabledValue"}) {
                std::smatch value;
                const std::regex element(std::string("<") + state + R"re(><decimal value="(\d+)")re");
                EXPECT_TRUE(std::regex_search(block, value, element)) << match[1] << " " << state;
                offered[match[1]].numbers.insert(static_cast<uint32_t>(std::stoul(value[1])));
            }
        }
    }
    return offered;
}

// The saver takes every value the templates offer, and none just beyond them:
// what an administrator sets is what the saver does.
TEST(PolicyTemplates, TheSaverTakesExactlyTheValuesTheTemplatesOffer)
{
    const std::map<std::string, Offered> offered = OfferedValues(ReadTemplate("Vitrane.admx"));
    EXPECT_EQ(PolicyKeys().size(), offered.size());
    for (const PolicyKey& key : PolicyKeys()) {
        SCOPED_TRACE(key.name);
        const auto found = offered.find(key.name);
        ASSERT_NE(found, offered.end());
        const Offered& values = found->second;
        EXPECT_EQ(values.path, key.kind == PolicyKind::path);
        const PolicyValue text = {PolicyValueType::text, 0, "D:\\x"};
        EXPECT_EQ(values.path, PolicySettingText(key, text).has_value());
        if (values.path) {
            continue;
        }
        ASSERT_FALSE(values.numbers.empty());
        const uint32_t lowest = *values.numbers.begin(), highest = *values.numbers.rbegin();
        for (uint32_t number : values.numbers) {
            EXPECT_EQ(std::to_string(number), PolicySettingText(key, {PolicyValueType::dword, number, ""}));
        }
        EXPECT_EQ(std::nullopt, PolicySettingText(key, {PolicyValueType::dword, highest + 1, ""}));
        if (lowest > 0) {
            EXPECT_EQ(std::nullopt, PolicySettingText(key, {PolicyValueType::dword, lowest - 1, ""}));
        }
    }
}

}  // namespace
