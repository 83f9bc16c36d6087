// DeclData: per-vertex elements written as 32-bit words; normals and texture coordinates are kept.
#include "platform/xfile/xfile_decl_data.h"

#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

namespace platform::xfile {
namespace {

// Vertex-element layout (D3DDECLTYPE sizes in 32-bit words, D3DDECLUSAGE names) of DeclData.
constexpr std::uint32_t kDeclTypeWords[] = {1, 2, 3, 4, 1, 1, 1, 2, 1, 1, 2, 1, 2, 1, 1, 1, 2, 0};
constexpr const char* kDeclUsageNames[] = {"position",
                                           "blend weight",
                                           "blend indices",
                                           "normal",
                                           "point size",
                                           "texture coordinates",
                                           "tangent",
                                           "binormal",
                                           "tessellation factor",
                                           "transformed position",
                                           "colour",
                                           "fog",
                                           "depth",
                                           "sample"};
constexpr std::uint32_t kDeclFloat2 = 1, kDeclFloat3 = 2, kDeclUsageNormal = 3, kDeclUsageTexCoord = 5;
constexpr std::uint32_t kMaxDeclElements = 64;

struct Element {
    std::uint32_t type, usage, usageIndex, offset; // offset: in words within the vertex
};

// The element list; `stride` becomes the words one vertex takes.
std::vector<Element> ReadElements(Lexer& lex, std::uint32_t* stride) {
    std::uint32_t count = lex.ReadUInt("the DeclData element count");
    if (count > kMaxDeclElements) throw ParseError(lex.Line(), "DeclData declares too many elements");
    std::vector<Element> elements;
    *stride = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        Element e{};
        e.type = lex.ReadUInt("a DeclData element type");
        lex.ReadUInt("a DeclData element method");
        e.usage = lex.ReadUInt("a DeclData element usage");
        e.usageIndex = lex.ReadUInt("a DeclData element usage index");
        if (e.type >= std::size(kDeclTypeWords))
            throw ParseError(lex.Line(), "unknown DeclData element type " + std::to_string(e.type));
        e.offset = *stride;
        *stride += kDeclTypeWords[e.type];
        elements.push_back(e);
    }
    return elements;
}

// The values, float bits written as whole numbers; exactly `stride` of them for every vertex.
std::vector<float> ReadWords(Lexer& lex, std::uint32_t stride, std::size_t vertices) {
    std::uint32_t count = lex.ReadUInt("the DeclData value count");
    const std::uint64_t expected = std::uint64_t(stride) * vertices;
    if (count != expected)
        throw ParseError(lex.Line(), "DeclData has " + std::to_string(count) + " values, its " +
                                         std::to_string(vertices) + " vertices of " + std::to_string(stride) +
                                         " need " + std::to_string(expected));
    // Each value takes at least a digit and a separator: a count the file cannot hold is refused
    // before anything is allocated for it.
    if (std::uint64_t(count) * 2 > lex.Remaining())
        throw ParseError(lex.Line(), "DeclData value count is larger than the data that follows");
    std::vector<float> words(count);
    for (float& w : words) {
        const std::uint32_t bits = lex.ReadUInt("a DeclData value");
        std::memcpy(&w, &bits, sizeof w);
    }
    return words;
}

std::string ElementName(const Element& e) {
    std::string usage =
        e.usage < std::size(kDeclUsageNames) ? kDeclUsageNames[e.usage] : "usage " + std::to_string(e.usage);
    return "DeclData " + usage + " " + std::to_string(e.usageIndex) + " (type " + std::to_string(e.type) + ")";
}

} // namespace

void ReadDeclData(Lexer& lex, MeshData& mesh, int line, const std::function<void(const std::string&)>& noteSkipped) {
    std::uint32_t stride = 0;
    const std::vector<Element> elements = ReadElements(lex, &stride);
    const std::size_t n = mesh.positions.size();
    const std::vector<float> words = ReadWords(lex, stride, n);
    auto value = [&](std::size_t vertex, const Element& e, std::uint32_t k) {
        float v = words[vertex * stride + e.offset + k];
        if (!std::isfinite(v)) throw ParseError(line, "DeclData holds a value that is not a finite number");
        return v;
    };
    for (const Element& e : elements) {
        if (e.usage == kDeclUsageNormal && e.usageIndex == 0 && e.type == kDeclFloat3) {
            if (!mesh.normals.empty()) continue; // MeshNormals, when the mesh has them, win
            mesh.normals.resize(n);
            for (std::size_t v = 0; v < n; ++v) mesh.normals[v] = {value(v, e, 0), value(v, e, 1), value(v, e, 2)};
            mesh.normalCorners = mesh.faceCorners; // one normal per vertex
        } else if (e.usage == kDeclUsageTexCoord && e.usageIndex == 0 && e.type == kDeclFloat2) {
            if (!mesh.texCoords.empty()) continue;
            mesh.texCoords.resize(n);
            for (std::size_t v = 0; v < n; ++v) mesh.texCoords[v] = {value(v, e, 0), value(v, e, 1)};
        } else {
            noteSkipped(ElementName(e));
        }
    }
}

} // namespace platform::xfile
