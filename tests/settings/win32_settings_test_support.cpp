#include "win32_settings_test_support.h"

#include <sstream>

#include "settings/ini_text.h"
#include "settings/win32_settings_store.h"
#include "text/win32_wide.h"

std::map<std::string, std::string> SectionValues(const std::string& bytes, const std::string& section)
{
    std::map<std::string, std::string> values;
    std::istringstream lines(DecodeIniBytes(bytes, Utf8FromAnsi).text);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        const std::string::size_type equals = line.find('=');
        if (inSection && equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

static std::string userDataFolderForTests;

void UseUserDataFolder(const std::string& folder)
{
    userDataFolderForTests = folder;
    userDataFolder = [] { return userDataFolderForTests; };
}
