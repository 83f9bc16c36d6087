// GLSL compile and link helpers; failures come back as "FILE:LINE: message" text.
#pragma once

#include <epoxy/gl.h>

#include <string>

namespace gpu {

// Returns the shader or 0 with *error filled.
GLuint CompileShader(GLenum stage, const std::string& source, const std::string& fileName, std::string* error);
// Links and deletes the two shaders. Returns the program or 0 with *error filled.
GLuint LinkProgram(GLuint vertex, GLuint fragment, const std::string& fileName, std::string* error);
// Both steps at once, for the device's built-in programs.
GLuint BuildProgram(const std::string& vertexSource, const std::string& fragmentSource, const std::string& name,
                    std::string* error);

} // namespace gpu
