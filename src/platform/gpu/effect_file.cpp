// Effect file parsing: technique blocks, uniform declarations and stage entry functions.
#include "platform/gpu/effect_file.h"

#include <cerrno>
#include <cstring>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace gpu {
namespace {

constexpr std::size_t kMaxFileBytes = 4u << 20;
constexpr std::uint32_t kMaxArraySize = 4096;

struct Token {
    enum Kind { Ident, Number, Punct } kind;
    std::string_view text;
    std::size_t begin = 0, end = 0;
    int line = 0;
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Splits GLSL text into tokens, skipping comments and preprocessor lines.
class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    bool Run(std::vector<Token>* out, int* errorLine, std::string* message) {
        bool lineStart = true;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
                lineStart = true;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
                continue;
            }
            if (c == '/' && Peek(1) == '/') {
                SkipToLineEnd(false);
                continue;
            }
            if (c == '/' && Peek(1) == '*') {
                int startLine = line_;
                if (!SkipBlockComment()) {
                    *errorLine = startLine;
                    *message = "unterminated comment";
                    return false;
                }
                continue;
            }
            if (c == '#' && lineStart) {
                SkipToLineEnd(true);
                continue;
            }
            lineStart = false;
            out->push_back(Next());
        }
        return true;
    }

private:
    char Peek(std::size_t ahead) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }

    void SkipToLineEnd(bool continuation) {
        while (pos_ < text_.size() && text_[pos_] != '\n') {
            if (continuation && text_[pos_] == '\\' && Peek(1) == '\n') {
                pos_ += 2;
                ++line_;
                continue;
            }
            ++pos_;
        }
    }

    bool SkipBlockComment() {
        pos_ += 2;
        while (pos_ < text_.size()) {
            if (text_[pos_] == '*' && Peek(1) == '/') {
                pos_ += 2;
                return true;
            }
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
        return false;
    }

    Token Next() {
        Token t{Token::Punct, {}, pos_, pos_, line_};
        char c = text_[pos_];
        if (IsIdentStart(c)) {
            t.kind = Token::Ident;
            while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            t.kind = Token::Number;
            while (pos_ < text_.size() && (IsIdentChar(text_[pos_]) || text_[pos_] == '.')) ++pos_;
        } else {
            ++pos_;
        }
        t.end = pos_;
        t.text = text_.substr(t.begin, t.end - t.begin);
        return t;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

UniformType TypeFromName(std::string_view name) {
    struct Entry {
        std::string_view name;
        UniformType type;
    };
    static constexpr Entry kTypes[] = {
        {"float", UniformType::Float}, {"vec2", UniformType::Vec2},   {"vec3", UniformType::Vec3},
        {"vec4", UniformType::Vec4},   {"int", UniformType::Int},     {"ivec2", UniformType::IVec2},
        {"ivec3", UniformType::IVec3}, {"ivec4", UniformType::IVec4}, {"bool", UniformType::Bool},
        {"mat3", UniformType::Mat3},   {"mat4", UniformType::Mat4},   {"sampler2D", UniformType::Sampler2D},
    };
    for (const auto& e : kTypes)
        if (e.name == name) return e.type;
    return UniformType::Other;
}

// Walks the token list once: braces, technique blocks, uniforms and void functions at file level.
class Parser {
public:
    Parser(const std::vector<Token>& tokens, EffectFile* file) : t_(tokens), file_(file) {}

    bool Run(int* errorLine, std::string* message) {
        std::vector<int> openLines;
        for (i_ = 0; i_ < t_.size();) {
            const Token& tok = t_[i_];
            if (tok.text == "{") {
                openLines.push_back(tok.line);
                ++i_;
                continue;
            }
            if (tok.text == "}") {
                if (openLines.empty()) return Fail(tok.line, "unexpected '}'", errorLine, message);
                openLines.pop_back();
                ++i_;
                continue;
            }
            if (openLines.empty() && tok.kind == Token::Ident) {
                bool ok = true;
                if (tok.text == "technique") ok = ParseTechnique();
                else if (tok.text == "uniform") ok = ParseUniform();
                else if (tok.text == "void") ok = NoteFunction();
                else ++i_;
                if (!ok) return Fail(failLine_, failMessage_, errorLine, message);
                continue;
            }
            ++i_;
        }
        if (!openLines.empty()) return Fail(openLines.back(), "'{' is never closed", errorLine, message);
        return CheckEntries(errorLine, message);
    }

    std::vector<std::pair<std::size_t, std::size_t>> blanks; // technique blocks' byte ranges

private:
    static bool Fail(int line, const std::string& text, int* errorLine, std::string* message) {
        *errorLine = line;
        *message = text;
        return false;
    }
    bool Error(int line, std::string text) {
        failLine_ = line;
        failMessage_ = std::move(text);
        return false;
    }
    const Token* At(std::size_t k) const { return k < t_.size() ? &t_[k] : nullptr; }
    int LineAt(std::size_t k) const { return k < t_.size() ? t_[k].line : (t_.empty() ? 1 : t_.back().line); }
    bool Expect(std::string_view text) {
        const Token* tok = At(i_);
        if (!tok || tok->text != text)
            return Error(LineAt(i_), "expected '" + std::string(text) + "'" +
                                         (tok ? " before '" + std::string(tok->text) + "'" : " at end of file"));
        ++i_;
        return true;
    }
    bool ExpectIdent(std::string* out, const char* what) {
        const Token* tok = At(i_);
        if (!tok || tok->kind != Token::Ident) return Error(LineAt(i_), std::string("expected ") + what);
        *out = std::string(tok->text);
        ++i_;
        return true;
    }

    bool ParseTechnique() {
        std::size_t begin = t_[i_].begin;
        EffectTechnique tech;
        tech.line = t_[i_].line;
        ++i_;
        if (!ExpectIdent(&tech.name, "a technique name") || !Expect("{")) return false;
        while (At(i_) && At(i_)->text == "pass") {
            EffectPass pass;
            pass.line = t_[i_].line;
            ++i_;
            if (!ExpectIdent(&pass.name, "a pass name") || !Expect("{") || !ParsePassBody(&pass)) return false;
            tech.passes.push_back(std::move(pass));
        }
        if (!Expect("}")) return false;
        if (tech.passes.empty()) return Error(tech.line, "technique '" + tech.name + "' has no pass");
        for (const auto& other : file_->techniques)
            if (other.name == tech.name) return Error(tech.line, "technique '" + tech.name + "' defined twice");
        blanks.emplace_back(begin, t_[i_ - 1].end);
        file_->techniques.push_back(std::move(tech));
        return true;
    }

    bool ParsePassBody(EffectPass* pass) {
        while (At(i_) && At(i_)->text != "}") {
            std::string key, value;
            int line = LineAt(i_);
            if (!ExpectIdent(&key, "'vertex' or 'fragment'") || !Expect("=") ||
                !ExpectIdent(&value, "a function name") || !Expect(";"))
                return false;
            if (key == "vertex") pass->vertexFunction = value;
            else if (key == "fragment") pass->fragmentFunction = value;
            else return Error(line, "unknown pass setting '" + key + "'");
        }
        if (!Expect("}")) return false;
        if (pass->vertexFunction.empty() || pass->fragmentFunction.empty())
            return Error(pass->line, "pass '" + pass->name + "' needs both a vertex and a fragment function");
        return true;
    }

    bool ParseUniform() {
        int line = t_[i_].line;
        ++i_;
        while (At(i_) && (At(i_)->text == "lowp" || At(i_)->text == "mediump" || At(i_)->text == "highp")) ++i_;
        std::string typeName;
        if (!ExpectIdent(&typeName, "a uniform type")) return false;
        UniformType type = TypeFromName(typeName);
        for (;;) {
            EffectUniform u;
            u.type = type;
            u.line = line;
            if (!ExpectIdent(&u.name, "a uniform name")) return false;
            if (At(i_) && At(i_)->text == "[" && !ParseArraySize(&u)) return false;
            if (type != UniformType::Other) file_->uniforms.push_back(std::move(u));
            if (At(i_) && At(i_)->text == ",") {
                ++i_;
                continue;
            }
            return Expect(";");
        }
    }

    bool ParseArraySize(EffectUniform* u) {
        ++i_;
        const Token* n = At(i_);
        if (!n || n->kind != Token::Number)
            return Error(LineAt(i_), "array size of '" + u->name + "' must be a number");
        std::string digits(n->text);
        char* end = nullptr;
        unsigned long size = std::strtoul(digits.c_str(), &end, 10);
        if (*end != '\0' || size == 0 || size > kMaxArraySize)
            return Error(n->line, "bad array size for '" + u->name + "'");
        u->arraySize = static_cast<std::uint32_t>(size);
        u->isArray = true;
        ++i_;
        return Expect("]");
    }

    bool NoteFunction() {
        ++i_;
        const Token* name = At(i_);
        const Token* paren = At(i_ + 1);
        if (name && name->kind == Token::Ident && paren && paren->text == "(") functions_.push_back(name->text);
        return true;
    }

    bool HasFunction(const std::string& name) const {
        for (auto f : functions_)
            if (f == name) return true;
        return false;
    }

    bool CheckEntries(int* errorLine, std::string* message) {
        if (file_->techniques.empty()) return Fail(1, "no technique in the file", errorLine, message);
        for (const auto& tech : file_->techniques)
            for (const auto& pass : tech.passes)
                for (const std::string* f : {&pass.vertexFunction, &pass.fragmentFunction})
                    if (!HasFunction(*f))
                        return Fail(pass.line,
                                    "function 'void " + *f + "()' of pass '" + tech.name + "." + pass.name +
                                        "' is not defined",
                                    errorLine, message);
        return true;
    }

    const std::vector<Token>& t_;
    EffectFile* file_;
    std::size_t i_ = 0;
    std::vector<std::string_view> functions_;
    int failLine_ = 0;
    std::string failMessage_;
};

std::string Located(const std::string& fileName, int line, const std::string& message) {
    return fileName + ":" + std::to_string(line) + ": " + message;
}

} // namespace

bool ParseEffectFile(std::string_view text, const std::string& fileName, EffectFile* result, std::string* error) {
    EffectFile file;
    file.fileName = fileName;
    std::string message;
    int line = 1;
    if (text.size() > kMaxFileBytes) {
        *error = Located(fileName, 1, "file is too large");
        return false;
    }
    if (text.find('\0') != std::string_view::npos) {
        *error = Located(fileName, 1, "file contains a NUL byte");
        return false;
    }
    std::vector<Token> tokens;
    Lexer lexer(text);
    if (!lexer.Run(&tokens, &line, &message)) {
        *error = Located(fileName, line, message);
        return false;
    }
    Parser parser(tokens, &file);
    if (!parser.Run(&line, &message)) {
        *error = Located(fileName, line, message);
        return false;
    }
    file.glsl.assign(text);
    for (auto [begin, end] : parser.blanks)
        for (std::size_t k = begin; k < end; ++k)
            if (file.glsl[k] != '\n') file.glsl[k] = ' ';
    *result = std::move(file);
    return true;
}

bool LoadEffectFile(const std::string& path, EffectFile* result, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = path + ":0: cannot open the effect file: " + std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseEffectFile(text.str(), path, result, error);
}

std::string BuildStageSource(const EffectFile& file, const EffectPass& pass, ShaderStage stage) {
    bool vertex = stage == ShaderStage::Vertex;
    std::string s;
    s.reserve(file.glsl.size() + 1024);
    s += "#version 330 core\n";
    s += vertex ? "#define ORL_VERTEX 1\n" : "#define ORL_FRAGMENT 1\n";
    s += "uniform vec2 orl_ViewportSize;\n"
         "vec4 orl_ClipFromD3D(vec4 c) { return vec4(c.x, -c.y, 2.0 * c.z - c.w, c.w); }\n"
         "vec4 orl_ClipFromScreen(vec4 p) {\n"
         "    float w = p.w != 0.0 ? 1.0 / p.w : 1.0;\n"
         "    vec2 ndc = (p.xy + 0.5) / orl_ViewportSize * 2.0 - 1.0;\n"
         "    return vec4(ndc, p.z * 2.0 - 1.0, 1.0) * w;\n"
         "}\n"
         "#line 1\n";
    s += file.glsl;
    s += "\nvoid main() { ";
    s += vertex ? pass.vertexFunction : pass.fragmentFunction;
    s += "(); }\n";
    return s;
}

// Mesa writes "0:12(5): error: ..."; NVIDIA and others "0(12) : error ...".
std::string FormatCompilerLog(std::string_view log, const std::string& fileName) {
    std::string out;
    std::size_t pos = 0;
    while (pos < log.size()) {
        std::size_t end = log.find('\n', pos);
        if (end == std::string_view::npos) end = log.size();
        std::string_view line = log.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty()) continue;
        std::size_t k = 0;
        while (k < line.size() && std::isdigit(static_cast<unsigned char>(line[k]))) ++k;
        std::size_t numStart = 0, numEnd = 0;
        if (k > 0 && k < line.size() && (line[k] == ':' || line[k] == '(')) {
            numStart = k + 1;
            numEnd = numStart;
            while (numEnd < line.size() && std::isdigit(static_cast<unsigned char>(line[numEnd]))) ++numEnd;
        }
        if (numEnd > numStart) {
            std::size_t rest = line.find(':', numEnd);
            std::string_view message = rest == std::string_view::npos ? line.substr(numEnd) : line.substr(rest + 1);
            while (!message.empty() && message.front() == ' ') message.remove_prefix(1);
            out += fileName + ":" + std::string(line.substr(numStart, numEnd - numStart)) + ": " +
                   std::string(message) + "\n";
        } else {
            out += fileName + ": " + std::string(line) + "\n";
        }
    }
    return out;
}

std::uint32_t ComponentsOf(UniformType type) {
    switch (type) {
    case UniformType::Float:
    case UniformType::Int:
    case UniformType::Bool: return 1;
    case UniformType::Vec2:
    case UniformType::IVec2: return 2;
    case UniformType::Vec3:
    case UniformType::IVec3: return 3;
    case UniformType::Vec4:
    case UniformType::IVec4: return 4;
    case UniformType::Mat3: return 9;
    case UniformType::Mat4: return 16;
    case UniformType::Sampler2D:
    case UniformType::Other: return 0;
    }
    return 0;
}

bool IsIntegerType(UniformType type) {
    return type == UniformType::Int || type == UniformType::IVec2 || type == UniformType::IVec3 ||
           type == UniformType::IVec4 || type == UniformType::Bool;
}

} // namespace gpu
