#include "settings/settings_policy.h"

#include "settings/settings_file.h"

const std::vector<PolicyKey>& PolicyKeys()
{
    static const std::vector<PolicyKey> keys = {
        {useCustomPictureKey, PolicyKind::number, 0, 1},
        {customPictureKey, PolicyKind::path},
        {pictureFolderKey, PolicyKind::path},
        {slideSecondsKey, PolicyKind::number, shortestSlideSeconds, longestSlideSeconds, true},
        {includeSubfoldersKey, PolicyKind::number, 0, 1},
        {monitorPicturesKey, PolicyKind::number, 0, 1},
        {waveStyleKey, PolicyKind::number, 0, highestWaveStyle},
        {lookKey, PolicyKind::number, 0, realisticLook},
        {speedKey, PolicyKind::number, slowestSpeedPercent, fastestSpeedPercent},
        {cacheMegabytesKey, PolicyKind::number, 0, largestCacheMegabytes},
        {clockKey, PolicyKind::number, 0, highestClock},
        {captionsKey, PolicyKind::number, 0, 1},
        {monitorsKey, PolicyKind::number, 0, 1},
    };
    return keys;
}

std::optional<std::string> PolicySettingText(const PolicyKey& key, const PolicyValue& value)
{
    if (key.kind == PolicyKind::path) {
        if (value.type == PolicyValueType::text || value.type == PolicyValueType::expandedText) {
            return value.text;
        }
        return std::nullopt;
    }
    const bool inRange = (value.number >= key.lowest && value.number <= key.highest) ||
                         (key.zeroTurnsOff && value.number == 0);
    if (value.type != PolicyValueType::dword || !inRange) {
        return std::nullopt;
    }
    return std::to_string(value.number);
}

std::vector<IniEntry> PolicyEntries(const PolicyValueLookup& lookup)
{
    std::vector<IniEntry> entries;
    for (const PolicyKey& key : PolicyKeys()) {
        for (const PolicyScope scope : {PolicyScope::computer, PolicyScope::user}) {
            const std::optional<PolicyValue> value = lookup(scope, key.name);
            const std::optional<std::string> text = value ? PolicySettingText(key, *value) : std::nullopt;
            if (text) {
                entries.push_back({key.name, *text});
                break;
            }
        }
    }
    return entries;
}

static bool IsPicturePath(std::string_view key)
{
    return SameIgnoringAsciiCase(key, customPictureKey) || SameIgnoringAsciiCase(key, pictureFolderKey);
}

bool PolicyDecidesSetting(const std::vector<IniEntry>& policy, std::string_view key)
{
    if (FindIniValue(policy, key) != nullptr) {
        return true;
    }
    return IsPicturePath(key) &&
           (FindIniValue(policy, customPictureKey) != nullptr || FindIniValue(policy, pictureFolderKey) != nullptr);
}

const std::string* FindSettingValue(const SettingSources& sources, std::string_view key)
{
    if (PolicyDecidesSetting(sources.policy, key)) {
        static const std::string none;
        const std::string* value = FindIniValue(sources.policy, key);
        return value != nullptr ? value : &none;
    }
    for (const std::vector<IniEntry>* source : {&sources.userFile, &sources.besideFile}) {
        if (const std::string* value = FindIniValue(*source, key)) {
            return value;
        }
    }
    return nullptr;
}
