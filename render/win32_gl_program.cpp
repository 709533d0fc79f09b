#include "render/win32_gl_program.h"

#include <vector>

#include "render/gl_extensions.h"
#include "render/win32_gl_window.h"

namespace {

// The core name, else the ARB one (a 1.x driver with the shader extensions).
template <class Function>
void Resolve(Function& target, const char* name, const char* arbName, bool& complete)
{
    target = GLFunction<Function>(name);
    if (target == nullptr) {
        target = GLFunction<Function>(arbName);
    }
    complete = complete && target != nullptr;
}

// A shader's or a program's log, as the driver's functions for either give it.
template <class GetParameter, class GetLog>
std::string InfoLog(GLuint object, GetParameter getParameter, GetLog getLog)
{
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<size_t>(length > 0 ? length : 1), '\0');
    getLog(object, static_cast<GLsizei>(text.size()), nullptr, text.data());
    return text.data();
}

GLuint CompiledShader(const ShaderFunctions& gl, GLenum kind, const char* source, std::string& log)
{
    const GLuint shader = gl.createShader(kind);
    if (shader == 0) {
        log = "no shader object";
        return 0;
    }
    gl.shaderSource(shader, 1, &source, nullptr);
    gl.compileShader(shader);
    GLint compiled = GL_FALSE;
    gl.getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        log = InfoLog(shader, gl.getShaderiv, gl.getShaderInfoLog);
        gl.deleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

ShaderFunctions ResolveShaderFunctions()
{
    ShaderFunctions gl;
    if (!RunsRealisticLook(reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                           reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)))) {
        return gl;
    }
    bool complete = true;
    Resolve(gl.createShader, "glCreateShader", "glCreateShaderObjectARB", complete);
    Resolve(gl.shaderSource, "glShaderSource", "glShaderSourceARB", complete);
    Resolve(gl.compileShader, "glCompileShader", "glCompileShaderARB", complete);
    Resolve(gl.getShaderiv, "glGetShaderiv", "glGetObjectParameterivARB", complete);
    Resolve(gl.getShaderInfoLog, "glGetShaderInfoLog", "glGetInfoLogARB", complete);
    Resolve(gl.deleteShader, "glDeleteShader", "glDeleteObjectARB", complete);
    Resolve(gl.createProgram, "glCreateProgram", "glCreateProgramObjectARB", complete);
    Resolve(gl.attachShader, "glAttachShader", "glAttachObjectARB", complete);
    Resolve(gl.linkProgram, "glLinkProgram", "glLinkProgramARB", complete);
    Resolve(gl.getProgramiv, "glGetProgramiv", "glGetObjectParameterivARB", complete);
    Resolve(gl.getProgramInfoLog, "glGetProgramInfoLog", "glGetInfoLogARB", complete);
    Resolve(gl.useProgram, "glUseProgram", "glUseProgramObjectARB", complete);
    Resolve(gl.deleteProgram, "glDeleteProgram", "glDeleteObjectARB", complete);
    Resolve(gl.getUniformLocation, "glGetUniformLocation", "glGetUniformLocationARB", complete);
    Resolve(gl.uniform1i, "glUniform1i", "glUniform1iARB", complete);
    Resolve(gl.uniform1f, "glUniform1f", "glUniform1fARB", complete);
    Resolve(gl.uniform2f, "glUniform2f", "glUniform2fARB", complete);
    Resolve(gl.uniform3f, "glUniform3f", "glUniform3fARB", complete);
    Resolve(gl.uniform4f, "glUniform4f", "glUniform4fARB", complete);
    Resolve(gl.activeTexture, "glActiveTexture", "glActiveTextureARB", complete);
    if (complete) {
        gl.complete = true;
    } else {
        gl = ShaderFunctions();
    }
    return gl;
}

GLuint BuildShaderProgram(const ShaderFunctions& gl, const char* vertexSource, const char* fragmentSource,
                          std::string& log)
{
    log.clear();
    if (!gl.complete) {
        log = "no GLSL";
        return 0;
    }
    const GLuint vertex = CompiledShader(gl, GL_VERTEX_SHADER, vertexSource, log);
    if (vertex == 0) {
        return 0;
    }
    const GLuint fragment = CompiledShader(gl, GL_FRAGMENT_SHADER, fragmentSource, log);
    if (fragment == 0) {
        gl.deleteShader(vertex);
        return 0;
    }
    GLuint program = gl.createProgram();
    if (program != 0) {
        gl.attachShader(program, vertex);
        gl.attachShader(program, fragment);
        gl.linkProgram(program);
    }
    // Attached shaders are only flagged for deletion; they go with the program.
    gl.deleteShader(vertex);
    gl.deleteShader(fragment);
    if (program == 0) {
        log = "no program object";
        return 0;
    }
    GLint linked = GL_FALSE;
    gl.getProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        log = InfoLog(program, gl.getProgramiv, gl.getProgramInfoLog);
        gl.deleteProgram(program);
        return 0;
    }
    return program;
}
