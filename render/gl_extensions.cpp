#include "render/gl_extensions.h"

#include <cstring>

bool ExtensionListHolds(const char* list, const char* name)
{
    if (list == nullptr || name == nullptr || name[0] == '\0') {
        return false;
    }
    const size_t length = std::strlen(name);
    for (const char* found = std::strstr(list, name); found != nullptr; found = std::strstr(found + 1, name)) {
        const bool wordStart = found == list || found[-1] == ' ';
        if (wordStart && (found[length] == ' ' || found[length] == '\0')) {
            return true;
        }
    }
    return false;
}
