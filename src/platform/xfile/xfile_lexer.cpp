// Tokenizer of .x text files.
#include "platform/xfile/xfile_lexer.h"

#include <charconv>
#include <cmath>

namespace platform::xfile {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0; }
bool IsSeparator(char c) { return c == ',' || c == ';'; }
bool EndsWord(char c) {
    return IsSpace(c) || IsSeparator(c) || c == '{' || c == '}' || c == '"' || c == '<' || c == '>';
}

bool ParseDouble(std::string_view text, double* out) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(*out);
}

std::string Describe(const Token& t) {
    switch (t.type) {
    case TokenType::End: return "end of file";
    case TokenType::OpenBrace: return "'{'";
    case TokenType::CloseBrace: return "'}'";
    case TokenType::String: return "a string";
    case TokenType::Guid: return "a GUID";
    case TokenType::Word: break;
    }
    std::string_view shown = t.text.substr(0, 40);
    return "'" + std::string(shown) + "'";
}

} // namespace

void Lexer::SkipSpaceAndComments() {
    while (p < end) {
        char c = *p;
        if (c == '\n') {
            ++line;
            ++p;
        } else if (IsSpace(c) || IsSeparator(c)) {
            ++p;
        } else if (c == '#' || (c == '/' && p + 1 < end && p[1] == '/')) {
            while (p < end && *p != '\n') ++p;
        } else {
            return;
        }
    }
}

Token Lexer::Scan() {
    SkipSpaceAndComments();
    Token t;
    t.line = line;
    if (p >= end) return t;
    const char* start = p;
    switch (*p) {
    case '{':
        ++p;
        t.type = TokenType::OpenBrace;
        return t;
    case '}':
        ++p;
        t.type = TokenType::CloseBrace;
        return t;
    case '"': {
        ++p;
        while (p < end && *p != '"') {
            if (*p == '\n') ++line;
            ++p;
        }
        if (p >= end) throw ParseError(t.line, "unterminated string");
        t.type = TokenType::String;
        t.text = std::string_view(start + 1, std::size_t(p - start - 1));
        ++p;
        return t;
    }
    case '<': {
        while (p < end && *p != '>' && *p != '\n') ++p;
        if (p >= end || *p != '>') throw ParseError(t.line, "unterminated GUID");
        ++p;
        t.type = TokenType::Guid;
        t.text = std::string_view(start, std::size_t(p - start));
        return t;
    }
    case '>': throw ParseError(t.line, "unexpected '>'");
    default: break;
    }
    while (p < end && !EndsWord(*p)) ++p;
    t.type = TokenType::Word;
    t.text = std::string_view(start, std::size_t(p - start));
    return t;
}

Token Lexer::Next() {
    if (hasPeek) {
        hasPeek = false;
        return peeked;
    }
    return Scan();
}

Token Lexer::Peek() {
    if (!hasPeek) {
        peeked = Scan();
        hasPeek = true;
    }
    return peeked;
}

float Lexer::ReadFloat(const char* what) {
    Token t = Next();
    double value = 0;
    if (t.type != TokenType::Word || !ParseDouble(t.text, &value))
        throw ParseError(t.line, std::string("expected a number for ") + what + ", found " + Describe(t));
    return float(value);
}

std::uint32_t Lexer::ReadUInt(const char* what) {
    Token t = Next();
    std::uint64_t value = 0;
    std::string_view text = t.text;
    if (t.type == TokenType::Word && !text.empty() && text.front() == '+') text.remove_prefix(1);
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (t.type != TokenType::Word || text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        throw ParseError(t.line, std::string("expected a whole number for ") + what + ", found " + Describe(t));
    if (value > 0xFFFFFFFFull) throw ParseError(t.line, std::string(what) + " is out of range");
    return std::uint32_t(value);
}

std::string Lexer::ReadString(const char* what) {
    Token t = Next();
    if (t.type != TokenType::String)
        throw ParseError(t.line, std::string("expected a string for ") + what + ", found " + Describe(t));
    return std::string(t.text);
}

void Lexer::Expect(TokenType type, const char* what) {
    Token t = Next();
    if (t.type != type) throw ParseError(t.line, std::string("expected ") + what + ", found " + Describe(t));
}

} // namespace platform::xfile
