// GLSL compile and link with the compiler's log rewritten to the file's own line numbers.
#include "platform/gpu/gl/gl_program.h"

#include <vector>

#include "platform/gpu/effect_file.h"

namespace gpu {
namespace {

std::string InfoLog(GLuint object, bool program) {
    GLint length = 0;
    program ? glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length) : glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1) return {};
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    program ? glGetProgramInfoLog(object, length, nullptr, text.data())
            : glGetShaderInfoLog(object, length, nullptr, text.data());
    return text.data();
}

} // namespace

GLuint CompileShader(GLenum stage, const std::string& source, const std::string& fileName, std::string* error) {
    GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    std::string log = FormatCompilerLog(InfoLog(shader, false), fileName);
    if (error) *error = log.empty() ? fileName + ": the shader does not compile\n" : log;
    glDeleteShader(shader);
    return 0;
}

GLuint LinkProgram(GLuint vertex, GLuint fragment, const std::string& fileName, std::string* error) {
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDetachShader(program, vertex);
    glDetachShader(program, fragment);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == GL_TRUE) return program;
    std::string log = FormatCompilerLog(InfoLog(program, true), fileName);
    if (error) *error = log.empty() ? fileName + ": the program does not link\n" : log;
    glDeleteProgram(program);
    return 0;
}

GLuint BuildProgram(const std::string& vertexSource, const std::string& fragmentSource, const std::string& name,
                    std::string* error) {
    GLuint vs = CompileShader(GL_VERTEX_SHADER, vertexSource, name, error);
    if (!vs) return 0;
    GLuint fs = CompileShader(GL_FRAGMENT_SHADER, fragmentSource, name, error);
    if (!fs) {
        glDeleteShader(vs);
        return 0;
    }
    return LinkProgram(vs, fs, name, error);
}

} // namespace gpu
