#include "settings/settings_leftovers.h"

#include <cctype>

#include "text/ascii_case.h"

static const std::string copySuffix = ".tmp";
static const std::string oldSuffix = ".tmp.old";

static bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

static bool AllDigits(const std::string& text)
{
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

uint32_t LeftoverWriter(const std::string& fileName, const std::string& name)
{
    const std::string start = fileName + ".";
    const std::string& suffix = EndsWith(name, oldSuffix) ? oldSuffix : copySuffix;
    // File names match without regard to case.
    if (AsciiLowerCase(name.substr(0, start.size())) != AsciiLowerCase(start) || !EndsWith(name, suffix) ||
        name.size() <= start.size() + suffix.size()) {
        return 0;
    }
    const std::string middle = name.substr(start.size(), name.size() - start.size() - suffix.size());
    const size_t dash = middle.find('-');
    if (dash == std::string::npos || !AllDigits(middle.substr(0, dash)) || !AllDigits(middle.substr(dash + 1)) ||
        dash > 9) {
        return 0;
    }
    return static_cast<uint32_t>(std::stoul(middle.substr(0, dash)));
}

static bool IsFound(const std::vector<LeftoverFile>& found, const std::string& name)
{
    for (const LeftoverFile& file : found) {
        if (file.name == name) {
            return true;
        }
    }
    return false;
}

LeftoverPlan PlanLeftovers(const std::string& fileName, bool fileExists, const std::vector<LeftoverFile>& found,
                           const std::function<bool(uint32_t writer)>& writerRunning)
{
    LeftoverPlan plan;
    const LeftoverFile* newest = nullptr;
    std::vector<std::string> stale;
    for (const LeftoverFile& file : found) {
        const uint32_t writer = LeftoverWriter(fileName, file.name);
        if (writer == 0 || writerRunning(writer)) {
            continue;
        }
        stale.push_back(file.name);
        const bool complete = EndsWith(file.name, oldSuffix) || IsFound(found, file.name + ".old");
        // On a tie the new copy wins over the old file it was to replace.
        if (!fileExists && complete &&
            (newest == nullptr || file.writeTime > newest->writeTime ||
             (file.writeTime == newest->writeTime && EndsWith(newest->name, oldSuffix)))) {
            newest = &file;
        }
    }
    if (newest != nullptr) {
        plan.adopt = newest->name;
    }
    for (const std::string& name : stale) {
        if (name != plan.adopt) {
            plan.remove.push_back(name);
        }
    }
    return plan;
}
