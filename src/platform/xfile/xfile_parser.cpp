// Reader of .x text files into an xfile::Document, checking every count it is given.
#include <cmath>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <unordered_map>

#include "platform/xfile/xfile.h"
#include "platform/xfile/xfile_decl_data.h"
#include "platform/xfile/xfile_lexer.h"

namespace platform::xfile {
namespace {

constexpr std::size_t kHeaderSize = 16;

class Parser {
public:
    Parser(const char* data, std::size_t size, Document* doc_) : lex(data, size, 1), doc(doc_) {}

    void ParseTopLevel();

private:
    // Reads an object's optional name (and GUID) and its '{'; returns the name.
    std::string OpenObject(const char* type);
    void SkipBody(int openLine);
    void CheckCount(std::uint64_t count, std::uint64_t maxCount, std::uint64_t minBytesEach, const char* what);
    struct Child {
        enum Kind { Close, Object, Reference } kind = Close;
        std::string type; // object's template name, or the referenced name
        int line = 0;
    };
    Child NextChild(const char* inside, int openLine);
    void Enter(int line);

    std::unique_ptr<Frame> ParseFrame(std::string name, int line);
    D3DXMATRIX ParseMatrix(const char* what);
    D3DXVECTOR3 ParseVector3(const char* what);
    void ParseMesh(MeshData& mesh, int line);
    void ParseMeshChildren(MeshData& mesh, int line);
    void ParseFaces(std::uint32_t faceCount, std::uint32_t vertexCount, std::vector<std::uint32_t>& starts,
                    std::vector<std::uint32_t>& corners, const char* what);
    void ParseNormals(MeshData& mesh);
    void ParseTexCoords(MeshData& mesh);
    void ParseDeclData(MeshData& mesh, int line);
    // Skips the body of an object we do not read, and notes it.
    void SkipUnread(const std::string& type, int line);
    void NoteSkipped(const std::string& name, int line);
    void ParseMaterialList(MeshData& mesh, int line);
    Material ParseMaterial(std::string name, int line);
    void ParseSkinWeights(MeshData& mesh);
    void ParseAnimationSet(AnimationSet& set, int line);
    void ParseAnimation(Animation& anim, int line);
    void ParseAnimationKey(Animation& anim);
    void ParseFlatValues(std::vector<float>& out, std::uint32_t count, const char* what);
    void CloseObject(const char* type, int openLine);

    Lexer lex;
    Document* doc;
    std::unordered_map<std::string, Material> namedMaterials;
    int depth = 0;
};

std::string Parser::OpenObject(const char* type) {
    std::string name;
    Token t = lex.Next();
    // A quoted name may hold what a plain one cannot, such as a leading "//" (a comment otherwise).
    if (t.type == TokenType::Word || t.type == TokenType::String) {
        name.assign(t.text);
        t = lex.Next();
    }
    if (t.type == TokenType::Guid) t = lex.Next();
    if (t.type != TokenType::OpenBrace) throw ParseError(t.line, std::string("expected '{' after ") + type);
    return name;
}

void Parser::SkipBody(int openLine) {
    int level = 1;
    while (level > 0) {
        Token t = lex.Next();
        if (t.type == TokenType::End) throw ParseError(openLine, "unbalanced braces: object is never closed");
        if (t.type == TokenType::OpenBrace) ++level;
        if (t.type == TokenType::CloseBrace) --level;
    }
}

void Parser::CheckCount(std::uint64_t count, std::uint64_t maxCount, std::uint64_t minBytesEach, const char* what) {
    if (count > maxCount)
        throw ParseError(lex.Line(), std::string(what) + " count " + std::to_string(count) + " exceeds the limit");
    // Every value takes at least one character and a separator, so a count the rest of the file cannot
    // hold is caught before anything is allocated for it.
    if (count * minBytesEach > lex.Remaining())
        throw ParseError(lex.Line(), std::string(what) + " count " + std::to_string(count) +
                                         " is larger than the data that follows");
}

void Parser::Enter(int line) {
    if (++depth > int(kMaxNesting)) throw ParseError(line, "objects nested too deeply");
}

Parser::Child Parser::NextChild(const char* inside, int openLine) {
    Child c;
    Token t = lex.Next();
    c.line = t.line;
    switch (t.type) {
    case TokenType::CloseBrace: c.kind = Child::Close; return c;
    case TokenType::End:
        throw ParseError(openLine, std::string("unexpected end of file inside ") + inside + " (unbalanced braces)");
    case TokenType::OpenBrace: {
        c.kind = Child::Reference;
        Token name = lex.Next();
        if (name.type == TokenType::Word) {
            c.type.assign(name.text);
            name = lex.Next();
        }
        if (name.type == TokenType::Guid) name = lex.Next();
        if (name.type != TokenType::CloseBrace) throw ParseError(name.line, "malformed reference");
        return c;
    }
    case TokenType::Word: {
        char first = t.text.front();
        if ((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.')
            throw ParseError(t.line, std::string("unexpected value '") + std::string(t.text.substr(0, 40)) + "' in " +
                                         inside + " (a count does not match its data)");
        c.kind = Child::Object;
        c.type.assign(t.text);
        return c;
    }
    default: throw ParseError(t.line, std::string("unexpected token in ") + inside);
    }
}

void Parser::CloseObject(const char* type, int openLine) {
    for (;;) {
        Child c = NextChild(type, openLine);
        if (c.kind == Child::Close) return;
        if (c.kind == Child::Object) {
            OpenObject(c.type.c_str());
            SkipUnread(c.type, c.line);
        }
    }
}

void Parser::NoteSkipped(const std::string& name, int line) {
    for (Document::Skipped& entry : doc->skipped) {
        if (entry.name != name) continue;
        ++entry.count;
        return;
    }
    doc->skipped.push_back({name, line, 1});
}

void Parser::SkipUnread(const std::string& type, int line) {
    NoteSkipped(type, line);
    SkipBody(line);
}

void Parser::ParseTopLevel() {
    std::vector<Animation> looseAnimations;
    for (;;) {
        Token t = lex.Next();
        if (t.type == TokenType::End) break;
        if (t.type == TokenType::OpenBrace) {
            SkipBody(t.line);
            continue;
        }
        if (t.type != TokenType::Word) throw ParseError(t.line, "expected an object at the top level");
        std::string type(t.text);
        if (type == "template") {
            lex.Next();
            lex.Expect(TokenType::OpenBrace, "'{' after the template name");
            SkipBody(t.line);
            continue;
        }
        std::string name = OpenObject(type.c_str());
        if (type == "Frame") {
            doc->objects.push_back({ParseFrame(name, t.line), false});
        } else if (type == "Mesh") {
            auto wrapper = std::make_unique<Frame>();
            wrapper->transform = MatrixIdentity();
            wrapper->meshes.emplace_back();
            wrapper->meshes.back().name = name;
            ParseMesh(wrapper->meshes.back(), t.line);
            doc->objects.push_back({std::move(wrapper), true});
        } else if (type == "Material") {
            Material m = ParseMaterial(name, t.line);
            namedMaterials[name] = m;
        } else if (type == "AnimationSet") {
            doc->animationSets.emplace_back();
            doc->animationSets.back().name = name;
            ParseAnimationSet(doc->animationSets.back(), t.line);
        } else if (type == "Animation") {
            looseAnimations.emplace_back();
            looseAnimations.back().name = name;
            ParseAnimation(looseAnimations.back(), t.line);
        } else if (type == "AnimTicksPerSecond") {
            doc->ticksPerSecond = lex.ReadUInt("AnimTicksPerSecond");
            if (doc->ticksPerSecond <= 0) throw ParseError(t.line, "AnimTicksPerSecond must be positive");
            doc->hasTicksPerSecond = true;
            CloseObject("AnimTicksPerSecond", t.line);
        } else if (type == "Header") {
            SkipBody(t.line); // nothing in it changes how the file reads
        } else {
            SkipUnread(type, t.line);
        }
    }
    if (!looseAnimations.empty()) {
        doc->animationSets.emplace_back();
        doc->animationSets.back().animations = std::move(looseAnimations);
    }
}

std::unique_ptr<Frame> Parser::ParseFrame(std::string name, int line) {
    Enter(line);
    auto frame = std::make_unique<Frame>();
    frame->name = std::move(name);
    frame->transform = MatrixIdentity();
    for (;;) {
        Child c = NextChild("Frame", line);
        if (c.kind == Child::Close) break;
        if (c.kind == Child::Reference) continue;
        std::string childName = OpenObject(c.type.c_str());
        if (c.type == "FrameTransformMatrix") {
            frame->transform = ParseMatrix("FrameTransformMatrix");
            CloseObject("FrameTransformMatrix", c.line);
        } else if (c.type == "Frame") {
            frame->children.push_back(ParseFrame(std::move(childName), c.line));
        } else if (c.type == "Mesh") {
            frame->meshes.emplace_back();
            frame->meshes.back().name = std::move(childName);
            ParseMesh(frame->meshes.back(), c.line);
        } else {
            SkipUnread(c.type, c.line);
        }
    }
    --depth;
    return frame;
}

D3DXMATRIX Parser::ParseMatrix(const char* what) {
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i) m.data()[i] = lex.ReadFloat(what);
    return m;
}

D3DXVECTOR3 Parser::ParseVector3(const char* what) {
    D3DXVECTOR3 v;
    v.x = lex.ReadFloat(what);
    v.y = lex.ReadFloat(what);
    v.z = lex.ReadFloat(what);
    return v;
}

void Parser::ParseFaces(std::uint32_t faceCount, std::uint32_t vertexCount, std::vector<std::uint32_t>& starts,
                        std::vector<std::uint32_t>& corners, const char* what) {
    starts.reserve(faceCount + 1);
    corners.reserve(std::size_t(faceCount) * 3);
    starts.push_back(0);
    for (std::uint32_t f = 0; f < faceCount; ++f) {
        std::uint32_t n = lex.ReadUInt(what);
        if (n < 3 || n > kMaxPolygonCorners)
            throw ParseError(lex.Line(),
                             std::string(what) + " " + std::to_string(f) + " has " + std::to_string(n) + " corners");
        CheckCount(n, kMaxPolygonCorners, 2, what);
        for (std::uint32_t i = 0; i < n; ++i) {
            std::uint32_t index = lex.ReadUInt(what);
            if (index >= vertexCount)
                throw ParseError(lex.Line(), std::string(what) + " " + std::to_string(f) + " uses index " +
                                                 std::to_string(index) + " of " + std::to_string(vertexCount));
            corners.push_back(index);
        }
        starts.push_back(std::uint32_t(corners.size()));
    }
}

void Parser::ParseMesh(MeshData& mesh, int line) {
    Enter(line);
    std::uint32_t vertexCount = lex.ReadUInt("the vertex count");
    CheckCount(vertexCount, kMaxVertices, 6, "vertex");
    mesh.positions.resize(vertexCount);
    for (auto& v : mesh.positions) v = ParseVector3("a vertex");
    std::uint32_t faceCount = lex.ReadUInt("the face count");
    CheckCount(faceCount, kMaxFaces, 8, "face");
    ParseFaces(faceCount, vertexCount, mesh.faceStarts, mesh.faceCorners, "face");
    ParseMeshChildren(mesh, line);
    --depth;
}

void Parser::ParseMeshChildren(MeshData& mesh, int line) {
    for (;;) {
        Child c = NextChild("Mesh", line);
        if (c.kind == Child::Close) break;
        if (c.kind == Child::Reference) continue;
        OpenObject(c.type.c_str());
        if (c.type == "MeshNormals") {
            ParseNormals(mesh);
            CloseObject("MeshNormals", c.line);
        } else if (c.type == "MeshTextureCoords") {
            ParseTexCoords(mesh);
            CloseObject("MeshTextureCoords", c.line);
        } else if (c.type == "MeshMaterialList") {
            ParseMaterialList(mesh, c.line);
        } else if (c.type == "XSkinMeshHeader") {
            for (int i = 0; i < 3; ++i) lex.ReadUInt("XSkinMeshHeader");
            mesh.hasSkinHeader = true;
            CloseObject("XSkinMeshHeader", c.line);
        } else if (c.type == "SkinWeights") {
            ParseSkinWeights(mesh);
            CloseObject("SkinWeights", c.line);
        } else if (c.type == "DeclData") {
            ParseDeclData(mesh, c.line);
            CloseObject("DeclData", c.line);
        } else {
            SkipUnread(c.type, c.line);
        }
    }
}

void Parser::ParseNormals(MeshData& mesh) {
    std::uint32_t count = lex.ReadUInt("the normal count");
    CheckCount(count, kMaxVertices, 6, "normal");
    mesh.normals.resize(count);
    for (auto& n : mesh.normals) n = ParseVector3("a normal");
    std::uint32_t faceCount = lex.ReadUInt("the normal face count");
    if (faceCount != mesh.FaceCount())
        throw ParseError(lex.Line(), "MeshNormals has " + std::to_string(faceCount) + " faces, the mesh has " +
                                         std::to_string(mesh.FaceCount()));
    std::vector<std::uint32_t> starts;
    mesh.normalCorners.clear(); // MeshNormals wins over normals a DeclData gave before it
    ParseFaces(faceCount, count, starts, mesh.normalCorners, "normal face");
    if (starts != mesh.faceStarts) throw ParseError(lex.Line(), "MeshNormals faces do not match the mesh's faces");
}

void Parser::ParseTexCoords(MeshData& mesh) {
    std::uint32_t count = lex.ReadUInt("the texture coordinate count");
    if (count != mesh.positions.size())
        throw ParseError(lex.Line(), "MeshTextureCoords has " + std::to_string(count) + " entries for " +
                                         std::to_string(mesh.positions.size()) + " vertices");
    mesh.texCoords.resize(count);
    for (auto& uv : mesh.texCoords) {
        uv.x = lex.ReadFloat("a texture coordinate");
        uv.y = lex.ReadFloat("a texture coordinate");
    }
}

void Parser::ParseDeclData(MeshData& mesh, int line) {
    ReadDeclData(lex, mesh, line, [&](const std::string& name) { NoteSkipped(name, line); });
}

void Parser::ParseMaterialList(MeshData& mesh, int line) {
    std::uint32_t materialCount = lex.ReadUInt("the material count");
    CheckCount(materialCount, 1u << 16, 4, "material");
    std::uint32_t indexCount = lex.ReadUInt("the face material count");
    if (indexCount > mesh.FaceCount())
        throw ParseError(lex.Line(), "MeshMaterialList has " + std::to_string(indexCount) + " face indices for " +
                                         std::to_string(mesh.FaceCount()) + " faces");
    mesh.faceMaterials.resize(mesh.FaceCount(), 0);
    for (std::uint32_t i = 0; i < indexCount; ++i) {
        std::uint32_t m = lex.ReadUInt("a face material");
        if (m >= materialCount)
            throw ParseError(lex.Line(), "face " + std::to_string(i) + " uses material " + std::to_string(m) + " of " +
                                             std::to_string(materialCount));
        mesh.faceMaterials[i] = m;
    }
    // Fewer indices than faces: the last one stands for the rest.
    for (std::uint32_t i = indexCount; i < mesh.FaceCount() && indexCount > 0; ++i)
        mesh.faceMaterials[i] = mesh.faceMaterials[indexCount - 1];
    for (;;) {
        Child c = NextChild("MeshMaterialList", line);
        if (c.kind == Child::Close) break;
        if (c.kind == Child::Reference) {
            auto it = namedMaterials.find(c.type);
            if (it == namedMaterials.end()) throw ParseError(c.line, "reference to unknown material '" + c.type + "'");
            mesh.materials.push_back(it->second);
            continue;
        }
        std::string name = OpenObject(c.type.c_str());
        if (c.type == "Material") mesh.materials.push_back(ParseMaterial(name, c.line));
        else SkipUnread(c.type, c.line);
    }
    if (mesh.materials.size() != materialCount)
        throw ParseError(line, "MeshMaterialList declares " + std::to_string(materialCount) + " materials but has " +
                                   std::to_string(mesh.materials.size()));
    if (materialCount == 0) mesh.faceMaterials.clear();
}

Material Parser::ParseMaterial(std::string name, int line) {
    Material m;
    m.name = std::move(name);
    m.faceColor.r = lex.ReadFloat("the material colour");
    m.faceColor.g = lex.ReadFloat("the material colour");
    m.faceColor.b = lex.ReadFloat("the material colour");
    m.faceColor.a = lex.ReadFloat("the material colour");
    m.power = lex.ReadFloat("the material power");
    m.specular = {lex.ReadFloat("the specular colour"), lex.ReadFloat("the specular colour"),
                  lex.ReadFloat("the specular colour")};
    m.emissive = {lex.ReadFloat("the emissive colour"), lex.ReadFloat("the emissive colour"),
                  lex.ReadFloat("the emissive colour")};
    for (;;) {
        Child c = NextChild("Material", line);
        if (c.kind == Child::Close) break;
        if (c.kind == Child::Reference) continue;
        OpenObject(c.type.c_str());
        if (c.type == "TextureFilename" || c.type == "TextureFileName") {
            m.textureFilename = lex.ReadString("the texture file name");
            CloseObject("TextureFilename", c.line);
        } else {
            SkipUnread(c.type, c.line);
        }
    }
    return m;
}

void Parser::ParseSkinWeights(MeshData& mesh) {
    SkinWeights w;
    w.transformNodeName = lex.ReadString("the bone name");
    std::uint32_t count = lex.ReadUInt("the weight count");
    CheckCount(count, kMaxVertices, 4, "skin weight");
    w.vertexIndices.resize(count);
    w.weights.resize(count);
    for (auto& index : w.vertexIndices) {
        index = lex.ReadUInt("a skin vertex index");
        if (index >= mesh.positions.size())
            throw ParseError(lex.Line(), "skin weights of '" + w.transformNodeName + "' use vertex " +
                                             std::to_string(index) + " of " + std::to_string(mesh.positions.size()));
    }
    for (auto& weight : w.weights) weight = lex.ReadFloat("a skin weight");
    w.matrixOffset = ParseMatrix("the bone offset matrix");
    mesh.skinWeights.push_back(std::move(w));
}

void Parser::ParseAnimationSet(AnimationSet& set, int line) {
    for (;;) {
        Child c = NextChild("AnimationSet", line);
        if (c.kind == Child::Close) break;
        if (c.kind == Child::Reference) continue;
        std::string name = OpenObject(c.type.c_str());
        if (c.type == "Animation") {
            set.animations.emplace_back();
            set.animations.back().name = std::move(name);
            ParseAnimation(set.animations.back(), c.line);
        } else {
            SkipUnread(c.type, c.line);
        }
    }
}

void Parser::ParseAnimation(Animation& anim, int line) {
    for (;;) {
        Child c = NextChild("Animation", line);
        if (c.kind == Child::Close) break;
        if (c.kind == Child::Reference) {
            anim.frameName = c.type;
            continue;
        }
        std::string name = OpenObject(c.type.c_str());
        if (c.type == "AnimationKey") {
            ParseAnimationKey(anim);
            CloseObject("AnimationKey", c.line);
        } else if (c.type == "AnimationOptions") {
            anim.openClosed = lex.ReadUInt("AnimationOptions") != 0;
            lex.ReadUInt("AnimationOptions");
            CloseObject("AnimationOptions", c.line);
        } else if (c.type == "Frame") {
            // A frame written out in full instead of referenced: only its name matters here.
            if (anim.frameName.empty()) anim.frameName = name;
            SkipBody(c.line);
        } else {
            SkipUnread(c.type, c.line);
        }
    }
}

void Parser::ParseFlatValues(std::vector<float>& out, std::uint32_t count, const char* what) {
    out.resize(count);
    for (auto& v : out) v = lex.ReadFloat(what);
}

void Parser::ParseAnimationKey(Animation& anim) {
    std::uint32_t type = lex.ReadUInt("the key type");
    static constexpr std::uint32_t kValueCounts[5] = {4, 3, 3, 0, 16};
    if (type > 4 || type == 3) throw ParseError(lex.Line(), "unknown animation key type " + std::to_string(type));
    std::uint32_t keyCount = lex.ReadUInt("the key count");
    CheckCount(keyCount, kMaxKeys, 4 + 2 * std::uint64_t(kValueCounts[type]), "animation key");
    std::vector<float> values;
    for (std::uint32_t k = 0; k < keyCount; ++k) {
        float time = lex.ReadFloat("a key time");
        std::uint32_t n = lex.ReadUInt("the key value count");
        if (n != kValueCounts[type])
            throw ParseError(lex.Line(), "animation key of type " + std::to_string(type) + " has " + std::to_string(n) +
                                             " values, expected " + std::to_string(kValueCounts[type]));
        ParseFlatValues(values, n, "a key value");
        switch (type) {
        case 0: anim.rotationKeys.push_back({time, D3DXQUATERNION(values[1], values[2], values[3], values[0])}); break;
        case 1: anim.scaleKeys.push_back({time, D3DXVECTOR3(values[0], values[1], values[2])}); break;
        case 2: anim.translationKeys.push_back({time, D3DXVECTOR3(values[0], values[1], values[2])}); break;
        default: {
            MatrixKey key;
            key.time = time;
            std::memcpy(key.value.data(), values.data(), sizeof(float) * 16);
            anim.matrixKeys.push_back(key);
        }
        }
    }
}

bool CheckHeader(const char* data, std::size_t size, std::string* reason) {
    if (size < kHeaderSize || std::memcmp(data, "xof ", 4) != 0) {
        *reason = "not a .x file (no \"xof\" header)";
        return false;
    }
    std::string_view version(data + 4, 4), format(data + 8, 4), floats(data + 12, 4);
    if (version.substr(0, 2) != "03") {
        *reason = "unsupported .x version " + std::string(version);
        return false;
    }
    if (format == "bin " || format == "tzip" || format == "bzip") {
        *reason = "binary and compressed .x files are not supported";
        return false;
    }
    if (format != "txt ") {
        *reason = "unknown .x format '" + std::string(format) + "'";
        return false;
    }
    if (floats != "0032" && floats != "0064") {
        *reason = "unknown float size " + std::string(floats);
        return false;
    }
    return true;
}

} // namespace

bool ParseXFile(const char* data, std::size_t size, const std::string& fileName, Document* out, std::string* error) {
    *out = Document();
    std::string reason;
    if (!CheckHeader(data, size, &reason)) {
        if (error) *error = fileName + ":1: " + reason;
        return false;
    }
    try {
        Parser parser(data + kHeaderSize, size - kHeaderSize, out);
        parser.ParseTopLevel();
        return true;
    } catch (const ParseError& e) {
        if (error) *error = fileName + ":" + std::to_string(e.line) + ": " + e.what();
    } catch (const std::bad_alloc&) {
        if (error) *error = fileName + ": out of memory";
    }
    *out = Document();
    return false;
}

bool LoadXFile(const std::string& path, Document* out, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error) *error = path + ": cannot open the file: " + std::strerror(errno);
        return false;
    }
    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    file.seekg(0, std::ios::beg);
    if (size < 0 || std::uint64_t(size) > kMaxFileBytes) {
        if (error) *error = path + ": file is too large";
        return false;
    }
    std::string bytes(std::size_t(size), '\0');
    if (!file.read(bytes.data(), size)) {
        if (error) *error = path + ": cannot read the file: " + std::strerror(errno ? errno : EIO);
        return false;
    }
    if (!ParseXFile(bytes.data(), bytes.size(), path, out, error)) return false;
    for (const Document::Skipped& skipped : out->skipped)
        std::fprintf(stderr, "xfile: %s:%d: %s skipped (not read; %d in the file)\n", path.c_str(), skipped.firstLine,
                     skipped.name.c_str(), skipped.count);
    return true;
}

} // namespace platform::xfile
