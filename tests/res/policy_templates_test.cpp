#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "settings/settings_policy.h"

namespace {

std::string ReadTemplate(const std::string& relativePath)
{
    std::ifstream file(std::string(VITRANE_SOURCE_DIR) + "/res/policy/" + relativePath, std::ios::binary);
    EXPECT_TRUE(file) << relativePath;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The first group of every match of the pattern.
std::set<std::string> Matches(const std::string& text, const std::string& pattern)
{
    std::set<std::string> found;
    const std::regex expression(pattern);
    for (std::sregex_iterator match(text.begin(), text.end(), expression), end; match != end; ++match) {
        found.insert((*match)[1]);
    }
    return found;
}

// Values the templates write for settings read elsewhere, whose rows join the
// table with them.
const std::set<std::string> rowsToCome = {"CacheMegabytes"};

// The templates are well-formed XML (xmllint checks that); here they must
// agree with each other and with the settings the saver reads.
TEST(PolicyTemplates, EveryPolicyHasItsTextsAndWritesASettingTheSaverReads)
{
    const std::string admx = ReadTemplate("Vitrane.admx");
    const std::string adml = ReadTemplate("en-US/Vitrane.adml");

    const std::set<std::string> strings = Matches(adml, R"re(<string id="([^"]+)")re");
    for (const std::string& id : Matches(admx, R"re(\$\(string\.([^)]+)\))re")) {
        EXPECT_EQ(1u, strings.count(id)) << "no string " << id;
    }
    const std::set<std::string> presentations = Matches(adml, R"re(<presentation id="([^"]+)")re");
    for (const std::string& id : Matches(admx, R"re(\$\(presentation\.([^)]+)\))re")) {
        EXPECT_EQ(1u, presentations.count(id)) << "no presentation " << id;
    }
    const std::set<std::string> shown = Matches(adml, R"re(refId="([^"]+)")re");
    for (const std::string& id : Matches(admx, R"re(<(?:decimal|text|enum|boolean) id="([^"]+)")re")) {
        EXPECT_EQ(1u, shown.count(id)) << "element " << id << " is in no presentation";
    }

    const std::string policyTag = R"(<policy\s[^>]*)";
    const size_t policies = Matches(admx, "(" + policyTag + ">)").size();
    EXPECT_EQ(policies, Matches(admx, "(" + policyTag + R"re(class="Both"))re").size()) << "a policy not for both";
    EXPECT_EQ(std::set<std::string>{policyRegistryKey}, Matches(admx, R"re(key="([^"]+)")re"));

    std::set<std::string> read = rowsToCome;
    for (const PolicyKey& key : PolicyKeys()) {
        EXPECT_EQ(0u, rowsToCome.count(key.name)) << key.name << " has its row now: drop it from rowsToCome";
        read.insert(key.name);
    }
    EXPECT_EQ(read, Matches(admx, R"re(valueName="([^"]+)")re"));
    EXPECT_EQ(read.size(), policies);
}

}  // namespace
