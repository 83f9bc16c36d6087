// Tokens of the .x text format: names, numbers, strings, braces and GUIDs; separators and comments
// are skipped because the counts in the data say where every value belongs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform::xfile {

// Thrown inside the parser and turned into "file:line: reason" at its entry point.
struct ParseError : std::runtime_error {
    ParseError(int line_, const std::string& what) : std::runtime_error(what), line(line_) {}
    int line;
};

enum class TokenType { End, Word, String, OpenBrace, CloseBrace, Guid };

struct Token {
    TokenType type = TokenType::End;
    std::string_view text;
    int line = 1;
};

class Lexer {
public:
    Lexer(const char* data, std::size_t size, int firstLine) : p(data), end(data + size), line(firstLine) {}

    Token Next();
    Token Peek();
    int Line() const { return line; }
    std::size_t Remaining() const { return std::size_t(end - p); }

    // Value readers: each throws ParseError naming `what` when the next token is not such a value.
    float ReadFloat(const char* what);
    std::uint32_t ReadUInt(const char* what);
    std::string ReadString(const char* what);
    void Expect(TokenType type, const char* what);

private:
    void SkipSpaceAndComments();
    Token Scan();

    const char* p;
    const char* end;
    int line;
    bool hasPeek = false;
    Token peeked;
};

} // namespace platform::xfile
