#pragma once

#include <windows.h>

#include <cstddef>
#include <map>
#include <string>

// The keys and values of one section of a settings file's bytes (in any of
// its encodings), read the way the lines are laid out: "key=value", nothing
// trimmed.
std::map<std::string, std::string> SectionValues(const std::string& bytes, const std::string& section);

// The per-user settings live under this folder (a path without its trailing
// backslash) from now on, instead of the user's real application data.
void UseUserDataFolder(const std::string& folder);

// Values under Software\Policies\Vitrane in the test prefix's registry.
void ClearPolicies();
void SetPolicy(HKEY root, const wchar_t* name, DWORD type, const void* data, size_t size);
void SetPolicy(HKEY root, const wchar_t* name, DWORD number);

// No policy before and after the scope.
struct NoPoliciesAround {
    NoPoliciesAround() { ClearPolicies(); }
    ~NoPoliciesAround() { ClearPolicies(); }
};
