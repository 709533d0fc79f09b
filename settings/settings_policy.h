#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_text.h"

// Settings an administrator sets and locks: values under
// Software\Policies\Vitrane in the registry, the computer's (HKLM) before the
// user's (HKCU). A value a policy gives wins over both settings files, and
// the settings dialog does not let the user change it.
inline constexpr char policyRegistryKey[] = "Software\\Policies\\Vitrane";

enum class PolicyScope { computer, user };

// A registry value as read: REG_DWORD, REG_SZ, REG_EXPAND_SZ (its environment
// variables already expanded), or any other type.
enum class PolicyValueType { dword, text, expandedText, other };

struct PolicyValue {
    PolicyValueType type = PolicyValueType::other;
    uint32_t number = 0;  // a dword's value
    std::string text;     // a text's value, UTF-8
};

// Paths are REG_SZ or REG_EXPAND_SZ; numbers and switches REG_DWORD.
enum class PolicyKind { path, number };

// One row per setting a policy may hold. A number counts from lowest to
// highest, and 0 too where zeroTurnsOff (a gap below lowest).
struct PolicyKey {
    const char* name;
    PolicyKind kind;
    uint32_t lowest = 0;
    uint32_t highest = 0;
    bool zeroTurnsOff = false;
};

const std::vector<PolicyKey>& PolicyKeys();

// The value as the settings file would hold it (a number in decimal, a path
// as it is); nothing when the setting takes no value of this type or size.
std::optional<std::string> PolicySettingText(const PolicyKey& key, const PolicyValue& value);

// One value of the policy key in a scope; nothing where there is none.
using PolicyValueLookup = std::function<std::optional<PolicyValue>(PolicyScope scope, const std::string& name)>;

// Every setting a policy holds, as text: the computer's value where the
// setting accepts it, else the user's. A value it does not accept counts as
// missing, so the next source gives the setting.
std::vector<IniEntry> PolicyEntries(const PolicyValueLookup& lookup);

// Where the settings come from: what policies hold, the user's own file, the
// file beside the program.
struct SettingSources {
    std::vector<IniEntry> policy;
    std::vector<IniEntry> userFile;
    std::vector<IniEntry> besideFile;
};

// Whether the key is the policy's to decide: the policy holds it, or it is a
// picture path (CustomPicture, PictureFolder) and the policy holds the other
// one. A policy on either path decides the picture: the other from the
// settings files no longer counts, or a folder of the user's would replace
// the administrator's file (a folder wins over a file).
bool PolicyDecidesSetting(const std::vector<IniEntry>& policy, std::string_view key);

// The key's value from the first source holding it, in the order above
// (only from the policy where the policy decides it: "" when it holds no
// value there); nullptr when none does.
const std::string* FindSettingValue(const SettingSources& sources, std::string_view key);
