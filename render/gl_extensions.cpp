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

GLVersion ParseGLVersion(const char* version)
{
    if (version == nullptr) {
        return {0, 0};
    }
    int major = 0;
    const char* at = version;
    for (; *at >= '0' && *at <= '9'; ++at) {
        major = major * 10 + (*at - '0');
        if (major > 1000) {
            return {0, 0};
        }
    }
    if (at == version || *at != '.' || at[1] < '0' || at[1] > '9') {
        return {0, 0};
    }
    int minor = 0;
    for (++at; *at >= '0' && *at <= '9' && minor < 1000; ++at) {
        minor = minor * 10 + (*at - '0');
    }
    return {major, minor};
}

bool RunsRealisticLook(const char* version, const char* extensions)
{
    if (version == nullptr) {
        return false;
    }
    if (ParseGLVersion(version).major >= 2) {
        return true;
    }
    const char* needed[] = {"GL_ARB_shader_objects", "GL_ARB_vertex_shader", "GL_ARB_fragment_shader",
                            "GL_ARB_shading_language_100", "GL_ARB_texture_non_power_of_two"};
    for (const char* name : needed) {
        if (!ExtensionListHolds(extensions, name)) {
            return false;
        }
    }
    return true;
}

bool TakesAnyTextureSize(const char* version, const char* extensions)
{
    return version != nullptr &&
           (ParseGLVersion(version).major >= 2 || ExtensionListHolds(extensions, "GL_ARB_texture_non_power_of_two"));
}
