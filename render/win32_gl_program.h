#pragma once

#include <windows.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

// The OpenGL 2.0 entry points a GLSL program needs; opengl32.dll exports only
// 1.1. Resolved once per context by ResolveShaderFunctions: all of them, or
// `complete` is false and none may be called.
struct ShaderFunctions {
    bool complete = false;
    PFNGLCREATESHADERPROC createShader = nullptr;
    PFNGLSHADERSOURCEPROC shaderSource = nullptr;
    PFNGLCOMPILESHADERPROC compileShader = nullptr;
    PFNGLGETSHADERIVPROC getShaderiv = nullptr;
    PFNGLGETSHADERINFOLOGPROC getShaderInfoLog = nullptr;
    PFNGLDELETESHADERPROC deleteShader = nullptr;
    PFNGLCREATEPROGRAMPROC createProgram = nullptr;
    PFNGLATTACHSHADERPROC attachShader = nullptr;
    PFNGLLINKPROGRAMPROC linkProgram = nullptr;
    PFNGLGETPROGRAMIVPROC getProgramiv = nullptr;
    PFNGLGETPROGRAMINFOLOGPROC getProgramInfoLog = nullptr;
    PFNGLUSEPROGRAMPROC useProgram = nullptr;
    PFNGLDELETEPROGRAMPROC deleteProgram = nullptr;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation = nullptr;
    PFNGLUNIFORM1IPROC uniform1i = nullptr;
    PFNGLUNIFORM1FPROC uniform1f = nullptr;
    PFNGLUNIFORM2FPROC uniform2f = nullptr;
    PFNGLUNIFORM3FPROC uniform3f = nullptr;
    PFNGLUNIFORM4FPROC uniform4f = nullptr;
    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;
};

// Needs a current context. Where the context lacks what the realistic look
// needs (RunsRealisticLook), or any entry point is missing, nothing resolves.
ShaderFunctions ResolveShaderFunctions();

// A linked program of the two GLSL sources; 0 when either fails to compile or
// the link fails, with the driver's log in `log`. The program is the caller's
// to delete (functions.deleteProgram); the shaders go with it.
GLuint BuildShaderProgram(const ShaderFunctions& functions, const char* vertexSource, const char* fragmentSource,
                          std::string& log);
