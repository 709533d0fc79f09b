#include "settings/win32_policy_registry.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "text/win32_wide.h"

// A registry text need not end in a NUL, and may hold one before its end.
static std::wstring TextOfData(const std::vector<BYTE>& data)
{
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

static std::optional<std::wstring> ExpandedText(const std::wstring& text)
{
    DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    // A variable may change between the two calls; then the size is asked again.
    for (int attempt = 0; attempt < 3 && size != 0; ++attempt) {
        std::wstring expanded(size, L'\0');
        const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
        if (needed != 0 && needed <= size) {
            expanded.resize(needed - 1);
            return expanded;
        }
        size = needed;
    }
    return std::nullopt;
}

// The value's type and bytes; false when it cannot be read.
static bool QueryValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data)
{
    // The value may grow between asking its size and reading it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return false;
        }
        data.assign(size, 0);
        const LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            return true;
        }
        if (status != ERROR_MORE_DATA) {
            return false;
        }
    }
    return false;
}

std::optional<PolicyValue> ReadPolicyValue(PolicyScope scope, const std::string& name)
{
    const HKEY root = scope == PolicyScope::computer ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, WideFromUtf8(policyRegistryKey).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    const bool read = QueryValue(key, WideFromUtf8(name), type, data);
    (void)RegCloseKey(key);
    if (!read) {
        return std::nullopt;
    }
    PolicyValue value;
    if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
        value.type = PolicyValueType::dword;
        std::memcpy(&value.number, data.data(), sizeof(DWORD));
    } else if (type == REG_SZ) {
        value.type = PolicyValueType::text;
        value.text = Utf8FromWide(TextOfData(data));
    } else if (type == REG_EXPAND_SZ) {
        if (const std::optional<std::wstring> expanded = ExpandedText(TextOfData(data))) {
            value.type = PolicyValueType::expandedText;
            value.text = Utf8FromWide(*expanded);
        }
    }
    return value;
}
