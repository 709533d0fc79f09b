#pragma once

// Whether an OpenGL or WGL extension string (names separated by blanks)
// lists `name` as a whole word: "GL_ARB_multitexture" must not be found in
// "GL_ARB_multitexture_extra". A null list holds nothing.
bool ExtensionListHolds(const char* list, const char* name);

// Whether a context that reports this GL_VERSION and GL_EXTENSIONS can run
// the realistic look: GLSL programs (OpenGL 2.0, or the ARB shader objects
// with vertex and fragment shaders and GLSL) and textures of any size (the
// desktop's monitor piece at its own size, for a still surface that shows it
// pixel for pixel). Windows' own OpenGL 1.1 cannot. Null strings: no context.
bool RunsRealisticLook(const char* version, const char* extensions);

// Whether such a context takes textures whose sides are not powers of two
// (OpenGL 2.0, or the extension). Null strings: no context.
bool TakesAnyTextureSize(const char* version, const char* extensions);

// The "major.minor" at the start of a GL_VERSION string (OpenGL ES and
// vendor texts follow it); {0, 0} where it does not start so.
struct GLVersion {
    int major;
    int minor;
};
GLVersion ParseGLVersion(const char* version);
