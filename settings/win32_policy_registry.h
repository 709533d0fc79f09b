#pragma once

#include <optional>
#include <string>

#include "settings/settings_policy.h"

// The named value under HKLM or HKCU\Software\Policies\Vitrane, with
// REG_EXPAND_SZ's environment variables expanded; nothing where the key or the
// value is missing or cannot be read.
std::optional<PolicyValue> ReadPolicyValue(PolicyScope scope, const std::string& name);
