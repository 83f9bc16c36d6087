// Reading and writing the course text: statements, placement matrices and the canonical dump form.
#include "course_map.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace mapc {
namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits one line into tokens; a '#' outside quotes ends the line.
std::vector<Token> Tokenize(const std::string& line, const std::string& where) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        Token tok;
        if (c == '"') {
            tok.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\' && i + 2 < line.size() && line[i] == 'x' &&
                    std::isxdigit(static_cast<unsigned char>(line[i + 1])) &&
                    std::isxdigit(static_cast<unsigned char>(line[i + 2]))) {
                    d = static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16)); // \xHH: a control byte
                    i += 3;
                } else if (d == '\\' && i < line.size()) {
                    d = line[i++];
                }
                tok.text += d;
            }
            if (!closed) throw CourseError(where + ": unterminated quoted name");
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#')
                tok.text += line[i++];
        }
        tokens.push_back(tok);
    }
    return tokens;
}

class LineReader {
public:
    LineReader(std::vector<Token> tokens, std::string where) : tokens_(std::move(tokens)), where_(std::move(where)) {}

    bool AtEnd() const { return pos_ >= tokens_.size(); }
    const std::string& Where() const { return where_; }

    std::string Name(const char* what) {
        if (AtEnd()) Fail(std::string("missing ") + what);
        const Token& t = tokens_[pos_++];
        if (t.text.size() > 127) Fail(std::string(what) + " is longer than 127 bytes");
        return t.text;
    }
    std::string Keyword() { return AtEnd() ? std::string() : tokens_[pos_++].text; }
    std::string Peek() const { return AtEnd() ? std::string() : tokens_[pos_].text; }
    bool PeekNumber() const {
        if (AtEnd() || tokens_[pos_].quoted) return false;
        char* end = nullptr;
        std::strtod(tokens_[pos_].text.c_str(), &end);
        return end && *end == '\0' && !tokens_[pos_].text.empty();
    }
    float Number(const char* what) {
        if (!PeekNumber()) Fail(std::string("expected a number for ") + what);
        const std::string& text = tokens_[pos_++].text;
        double v = std::strtod(text.c_str(), nullptr);
        if (!std::isfinite(v)) Fail("'" + text + "' is not a finite number (" + what + ")");
        if (std::fabs(v) > double(FLT_MAX)) Fail(std::string("number out of range for ") + what);
        return static_cast<float>(v);
    }
    int32_t Integer(const char* what) {
        if (AtEnd()) Fail(std::string("missing ") + what);
        const std::string& s = tokens_[pos_++].text;
        char* end = nullptr;
        long long v = std::strtoll(s.c_str(), &end, 10);
        if (s.empty() || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
            Fail(std::string("expected an integer for ") + what);
        return static_cast<int32_t>(v);
    }
    [[noreturn]] void Fail(const std::string& msg) const { throw CourseError(where_ + ": " + msg); }

private:
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    std::string where_;
};

PlacedObject ParseObject(LineReader& in) {
    PlacedObject obj;
    obj.kind = in.Name("kind name");
    if (obj.kind.empty()) in.Fail("empty kind name");
    std::string key = in.Keyword();
    if (key == "matrix") {
        for (float& v : obj.matrix) v = in.Number("matrix");
    } else if (key == "pos") {
        float pos[3], rot[3] = {0, 0, 0}, scale[3] = {1, 1, 1};
        for (float& v : pos) v = in.Number("pos");
        bool seenRot = false, seenScale = false;
        while (!in.AtEnd() && in.Peek() != "number") {
            std::string k = in.Keyword();
            if (k == "rot" && !seenRot) {
                for (float& v : rot) v = in.Number("rot");
                seenRot = true;
            } else if (k == "scale" && !seenScale) {
                scale[0] = scale[1] = scale[2] = in.Number("scale");
                if (in.PeekNumber()) {
                    scale[1] = in.Number("scale");
                    scale[2] = in.Number("scale");
                }
                seenScale = true;
            } else {
                in.Fail("unexpected '" + k + "' (expected rot, scale or number)");
            }
        }
        obj.matrix = PlacementMatrix(pos, rot, scale);
    } else {
        in.Fail("expected 'pos' or 'matrix' after the kind name");
    }
    if (!in.AtEnd()) {
        if (in.Keyword() != "number") in.Fail("expected 'number'");
        obj.number = in.Integer("number");
    }
    if (!in.AtEnd()) in.Fail("unexpected text at the end of the line");
    return obj;
}

std::string FormatFloat(double v) {
    char buf[64];
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, v);
        float back = static_cast<float>(std::strtod(buf, nullptr)), want = static_cast<float>(v);
        if (std::memcmp(&back, &want, sizeof back) == 0) break;
    }
    return buf;
}

std::string QuoteName(const std::string& name) {
    bool plain = !name.empty();
    auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
    for (char c : name)
        if (c == ' ' || c == '#' || c == '"' || c == '\\' || control(c)) plain = false;
    if (name == "pos" || name == "matrix") plain = false;
    if (plain) return name;
    std::string out = "\"";
    for (char c : name) {
        if (control(c)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += hex;
            continue;
        }
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// Tries to write the matrix as pos/rot/scale; succeeds only when that text compiles to the same bits.
bool FormatPlacement(const std::array<float, 16>& m, std::string& out) {
    if (m[3] != 0 || m[7] != 0 || m[11] != 0 || m[15] != 1) return false;
    double s[3];
    for (int r = 0; r < 3; ++r)
        s[r] = std::sqrt(double(m[r * 4]) * m[r * 4] + double(m[r * 4 + 1]) * m[r * 4 + 1] +
                         double(m[r * 4 + 2]) * m[r * 4 + 2]);
    if (s[0] == 0 || s[1] == 0 || s[2] == 0) return false;
    double pitch = std::asin(std::fmax(-1.0, std::fmin(1.0, -m[9] / s[2])));
    double yaw = std::atan2(m[8] / s[2], m[10] / s[2]);
    double roll = std::atan2(m[1] / s[0], m[5] / s[1]);
    std::string posText[3] = {FormatFloat(m[12]), FormatFloat(m[13]), FormatFloat(m[14])};
    std::string scaleText[3] = {FormatFloat(s[0]), FormatFloat(s[1]), FormatFloat(s[2])};
    float pos[3], scale[3];
    for (int i = 0; i < 3; ++i) {
        pos[i] = std::strtof(posText[i].c_str(), nullptr);
        scale[i] = std::strtof(scaleText[i].c_str(), nullptr);
    }
    // The same rotation has several spellings (270 or -90, 0 or -0); take the first whose
    // matrix matches the stored one bit for bit.
    double angles[3] = {yaw / kDegToRad, pitch / kDegToRad, roll / kDegToRad};
    std::vector<std::string> spellings[3];
    for (int i = 0; i < 3; ++i) {
        for (double v : {angles[i], angles[i] + 360, angles[i] - 360})
            if (v > -360 && v < 360) spellings[i].push_back(FormatFloat(v));
        if (spellings[i][0] == "0" || spellings[i][0] == "-0") spellings[i] = {"0", "-0"};
    }
    std::string rotText[3];
    bool found = false;
    for (const std::string& y : spellings[0]) {
        for (const std::string& p : spellings[1]) {
            for (const std::string& r : spellings[2]) {
                float rot[3] = {std::strtof(y.c_str(), nullptr), std::strtof(p.c_str(), nullptr),
                                std::strtof(r.c_str(), nullptr)};
                std::array<float, 16> again = PlacementMatrix(pos, rot, scale);
                if (std::memcmp(again.data(), m.data(), sizeof(float) * 16) == 0) {
                    rotText[0] = y, rotText[1] = p, rotText[2] = r;
                    found = true;
                    break;
                }
            }
            if (found) break;
        }
        if (found) break;
    }
    if (!found) return false;
    out = "pos " + posText[0] + " " + posText[1] + " " + posText[2];
    if (rotText[0] != "0" || rotText[1] != "0" || rotText[2] != "0")
        out += " rot " + rotText[0] + " " + rotText[1] + " " + rotText[2];
    if (scale[0] == scale[1] && scale[1] == scale[2]) {
        if (scale[0] != 1) out += " scale " + scaleText[0];
    } else {
        out += " scale " + scaleText[0] + " " + scaleText[1] + " " + scaleText[2];
    }
    return true;
}

} // namespace

std::array<float, 16> PlacementMatrix(const float pos[3], const float rotDegrees[3], const float scale[3]) {
    double yaw = rotDegrees[0] * kDegToRad, pitch = rotDegrees[1] * kDegToRad, roll = rotDegrees[2] * kDegToRad;
    double cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
    double cr = std::cos(roll), sr = std::sin(roll);
    // Rows of roll(Z) x pitch(X) x yaw(Y) in the row-vector convention.
    double r[3][3] = {{cr * cy + sr * sp * sy, sr * cp, -cr * sy + sr * sp * cy},
                      {-sr * cy + cr * sp * sy, cr * cp, sr * sy + cr * sp * cy},
                      {cp * sy, -sp, cp * cy}};
    std::array<float, 16> m{};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) m[row * 4 + col] = static_cast<float>(r[row][col] * scale[row]);
    m[12] = pos[0];
    m[13] = pos[1];
    m[14] = pos[2];
    m[15] = 1;
    return m;
}

CourseMap ParseCourseText(const std::string& text, const std::string& source) {
    CourseMap map;
    std::istringstream lines(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(lines, line)) {
        ++lineNo;
        LineReader in(Tokenize(line, source + ":" + std::to_string(lineNo)), source + ":" + std::to_string(lineNo));
        if (in.AtEnd()) continue;
        std::string verb = in.Keyword();
        if (verb == "define") {
            Definition def;
            def.line = lineNo;
            def.kind = in.Name("kind name");
            def.modelFile = in.Name("model file");
            if (def.kind.empty()) in.Fail("empty kind name");
            if (def.kind == "enddefine") in.Fail("'enddefine' cannot be a kind name");
            if (!in.AtEnd()) in.Fail("unexpected text after the model file");
            for (const Definition& d : map.definitions)
                if (d.kind == def.kind) in.Fail("kind '" + def.kind + "' is defined twice");
            map.definitions.push_back(def);
        } else if (verb == "object") {
            PlacedObject obj = ParseObject(in);
            obj.line = lineNo;
            bool known = false;
            for (const Definition& d : map.definitions) known = known || d.kind == obj.kind;
            if (!known) in.Fail("kind '" + obj.kind + "' has no definition above");
            if (obj.kind == "end") in.Fail("'end' cannot be a kind name");
            map.objects.push_back(obj);
        } else {
            in.Fail("unknown statement '" + verb + "' (expected define or object)");
        }
    }
    return map;
}

std::string FormatCourseText(const CourseMap& map) {
    std::string out = "# Course map (mapc dump)\n";
    std::vector<std::string> defined;
    auto isDefined = [&](const std::string& kind) {
        return std::find(defined.begin(), defined.end(), kind) != defined.end();
    };
    for (const Definition& d : map.definitions) {
        std::string line = "define " + QuoteName(d.kind) + " " + QuoteName(d.modelFile);
        if (isDefined(d.kind)) {
            out += "# " + line + "   # left out: the game keeps the first definition of a kind\n";
            continue;
        }
        defined.push_back(d.kind);
        out += line + "\n";
    }
    for (const PlacedObject& o : map.objects) {
        std::string placement;
        if (!FormatPlacement(o.matrix, placement)) {
            placement = "matrix";
            for (float v : o.matrix) placement += " " + FormatFloat(v);
        }
        std::string line = "object " + QuoteName(o.kind) + " " + placement;
        if (o.number != 0) line += " number " + std::to_string(o.number);
        const char* dropped = nullptr;
        if (o.kind.empty()) dropped = "an empty kind places nothing";
        else if (!isDefined(o.kind)) dropped = "its kind has no definition";
        else if (!std::all_of(o.matrix.begin(), o.matrix.end(), [](float v) { return std::isfinite(v); }))
            dropped = "its matrix is not finite";
        if (dropped) out += "# " + line + "   # left out: the game drops it, " + dropped;
        else out += line;
        out += "\n";
    }
    return out;
}

} // namespace mapc
