// The parsed contents of a DirectX .x text file: frames, meshes, materials, skin weights, animations.
//
// Stands in for: the D3DX .x file reader (the part of D3DXLoadMeshFromX / D3DXLoadMeshHierarchyFromX
// that reads the file). Reads "xof 0302txt" and "xof 0303txt" files with 32- or 64-bit floats.
// Understands the templates Header, Frame, FrameTransformMatrix, Mesh, MeshNormals, MeshTextureCoords,
// MeshMaterialList, Material, TextureFilename/TextureFileName, XSkinMeshHeader, SkinWeights,
// AnimTicksPerSecond, AnimationSet, Animation, AnimationKey and AnimationOptions, plus references
// `{ name }` to named top-level materials. Template declarations and every other template are skipped.
// Separators (',' and ';') are accepted wherever the format puts them; names are raw bytes (UTF-8 here),
// and an object's name may also be written in double quotes (for names such as "//draft").
// Every count is checked against the data that follows and against hard caps, so malformed input is
// an error naming the file, the line and the reason — never a crash and never unbounded memory.
// DeclData (the vertex-element form modelling tools export) gives normals and texture coordinates
// when the mesh has no MeshNormals or MeshTextureCoords of its own.
// Every template it skips (and every DeclData element it does not read) is listed in the document,
// and LoadXFile prints one stderr line per kind.
// Does not: binary or compressed .x files, user templates with data we would keep, MeshVertexColors,
// FVFData, the other DeclData elements, effect instances, progressive meshes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/math/d3dx_math.h"

namespace platform::xfile {

struct Material {
    std::string name;
    D3DXCOLOR faceColor; // diffuse, with alpha
    float power = 0;
    D3DXVECTOR3 specular;
    D3DXVECTOR3 emissive;
    std::string textureFilename; // empty when the material names no texture
};

struct SkinWeights {
    std::string transformNodeName;            // the bone's frame name
    std::vector<std::uint32_t> vertexIndices; // into MeshData::positions
    std::vector<float> weights;
    D3DXMATRIX matrixOffset;
};

// One Mesh object as written in the file: polygon faces (3 or more corners), optional per-corner
// normals indexed by their own face list, per-vertex texture coordinates, per-face materials.
struct MeshData {
    std::string name;
    std::vector<D3DXVECTOR3> positions;
    std::vector<std::uint32_t> faceStarts;  // faceStarts[f] = first corner of face f in faceCorners
    std::vector<std::uint32_t> faceCorners; // position indices; faceStarts.back() == faceCorners.size()
    std::vector<D3DXVECTOR3> normals;
    std::vector<std::uint32_t> normalCorners; // same shape as faceCorners when normals are present
    std::vector<D3DXVECTOR2> texCoords;       // empty or one per position
    std::vector<std::uint32_t> faceMaterials; // empty or one per face (already expanded)
    std::vector<Material> materials;
    bool hasSkinHeader = false;
    std::vector<SkinWeights> skinWeights;

    std::uint32_t FaceCount() const { return faceStarts.empty() ? 0 : std::uint32_t(faceStarts.size() - 1); }
};

struct Frame {
    std::string name;
    D3DXMATRIX transform; // identity when the frame has no FrameTransformMatrix
    std::vector<MeshData> meshes;
    std::vector<std::unique_ptr<Frame>> children;
};

// Rotation keys are the file's quaternions as written (w, x, y, z in the file).
struct RotationKey {
    float time = 0;
    D3DXQUATERNION value;
};
struct VectorKey {
    float time = 0;
    D3DXVECTOR3 value;
};
struct MatrixKey {
    float time = 0;
    D3DXMATRIX value;
};

struct Animation {
    std::string name;
    std::string frameName; // the frame referenced by the animation; empty when none
    std::vector<RotationKey> rotationKeys;
    std::vector<VectorKey> scaleKeys;
    std::vector<VectorKey> translationKeys;
    std::vector<MatrixKey> matrixKeys;
    bool openClosed = true; // AnimationOptions: 0 closed (looping), 1 open
};

struct AnimationSet {
    std::string name;
    std::vector<Animation> animations;
};

// The whole file. Top-level objects keep their order: each entry of `objects` is a frame (possibly
// holding meshes) or a mesh outside any frame, in which case `frame` is a nameless wrapper.
struct Document {
    struct TopLevel {
        std::unique_ptr<Frame> frame;
        bool wrapsLooseMesh = false;
    };
    std::vector<TopLevel> objects;
    std::vector<AnimationSet> animationSets;
    double ticksPerSecond = 4800.0; // the .x default when the file gives no AnimTicksPerSecond
    bool hasTicksPerSecond = false;
    // What was skipped, by template name (or "DeclData <element>"), in order of first appearance.
    struct Skipped {
        std::string name;
        int firstLine = 0;
        int count = 0;
    };
    std::vector<Skipped> skipped;
};

// Hard caps on what one file may declare; anything beyond is an error.
inline constexpr std::uint32_t kMaxVertices = 1u << 22;
inline constexpr std::uint32_t kMaxFaces = 1u << 22;
inline constexpr std::uint32_t kMaxPolygonCorners = 64;
inline constexpr std::uint32_t kMaxKeys = 1u << 20;
inline constexpr std::uint32_t kMaxNesting = 128;
inline constexpr std::size_t kMaxFileBytes = 256u << 20;

// Parses `size` bytes; `fileName` is only used in error texts ("file:line: reason").
bool ParseXFile(const char* data, std::size_t size, const std::string& fileName, Document* out, std::string* error);
// Reads and parses a file from disk.
bool LoadXFile(const std::string& path, Document* out, std::string* error);

} // namespace platform::xfile
