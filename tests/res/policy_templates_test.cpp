#include <gtest/gtest.h>

#include <fstream>
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

}  // namespace
