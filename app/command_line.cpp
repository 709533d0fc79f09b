#include "app/command_line.h"

#include <algorithm>

#include "settings/settings_text.h"

static int32_t HandleAfterSwitch(const std::string& commandLine)
{
    return TextToInt(commandLine.substr(std::min<size_t>(3, commandLine.size())).c_str());
}

StartRequest ParseCommandLine(const std::string& commandLine)
{
    if (commandLine.find_first_not_of(" \t") == std::string::npos) {
        return {Mode::Settings, 0};
    }
    if (commandLine.size() < 2) {
        return {Mode::Invalid, 0};
    }
    switch (commandLine[1]) {
    case 'P':
    case 'p':
        return {Mode::Preview, HandleAfterSwitch(commandLine)};
    case 'A':
    case 'a':
        return {Mode::Password, 0};
    case 'S':
    case 's':
        return {Mode::FullScreen, 0};
    case 'C':
    case 'c':
        return {Mode::Settings, HandleAfterSwitch(commandLine)};
    default:
        return {Mode::Invalid, 0};
    }
}

std::string ProgramDirectoryOf(const std::string& executablePath)
{
    const size_t lastBackslash = executablePath.rfind('\\');
    if (lastBackslash == std::string::npos || lastBackslash == 0) {
        return executablePath;
    }
    return executablePath.substr(0, lastBackslash + 1);
}

bool StoresCacheCopies(Mode mode)
{
    return mode == Mode::FullScreen;
}
