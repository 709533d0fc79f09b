#include "picture/picture_formats.h"

#include <algorithm>

#include "text/ascii_case.h"

static std::string TrimmedLowerCase(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t");
    return AsciiLowerCase(text.substr(first, last - first + 1));
}

// A pattern holding a wildcard, a separator or a NUL would break the filter.
static bool UsableExtension(const std::string& extension)
{
    return extension.size() > 1 && extension[0] == '.' &&
           extension.find_first_of(std::string("*? \t\0", 5), 1) == std::string::npos;
}

void AddPictureExtensions(std::vector<std::string>& extensions, const std::string& list)
{
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(",;", start);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string extension = TrimmedLowerCase(list.substr(start, end - start));
        if (UsableExtension(extension) &&
            std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) {
            extensions.push_back(extension);
        }
        start = end + 1;
    }
}

std::string PictureFilterText(const std::vector<std::string>& extensions)
{
    std::string patterns;
    for (const std::string& extension : extensions) {
        if (!patterns.empty()) {
            patterns += ';';
        }
        patterns += '*' + extension;
    }
    std::string filter;
    if (!patterns.empty()) {
        filter += "All pictures ";
        filter += '\0';
        filter += patterns;
        filter += '\0';
    }
    filter += "All files";
    filter += '\0';
    filter += "*.*";
    filter += '\0';
    filter += '\0';
    return filter;
}
