// ConvertToIndexedBlendedMesh: faces grouped into bone combinations that fit one bone palette.
#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_map>

#include "platform/mesh/skin_info.h"

namespace platform::mesh {
namespace {

struct Influence {
    DWORD bone;
    float weight;
};

struct Combination {
    DWORD attribute;
    std::vector<DWORD> faces;
    std::vector<DWORD> palette; // bone ids by slot
};

bool Contains(const std::vector<DWORD>& v, DWORD x) { return std::find(v.begin(), v.end(), x) != v.end(); }

// Greedy packing: faces of each attribute in order, a new combination when the palette would overflow.
// False when one face alone needs more bones than the palette holds.
bool PackFaces(const Mesh& mesh, const std::vector<std::vector<Influence>>& influences, DWORD paletteSize,
               std::vector<Combination>& combinations) {
    std::vector<DWORD> attributeOrder(mesh.Attributes(), mesh.Attributes() + mesh.GetNumFaces());
    std::sort(attributeOrder.begin(), attributeOrder.end());
    attributeOrder.erase(std::unique(attributeOrder.begin(), attributeOrder.end()), attributeOrder.end());
    std::vector<DWORD> faceBones;
    for (DWORD attribute : attributeOrder) {
        std::size_t firstOfAttribute = combinations.size();
        for (DWORD f = 0; f < mesh.GetNumFaces(); ++f) {
            if (mesh.Attributes()[f] != attribute) continue;
            faceBones.clear();
            for (int c = 0; c < 3; ++c)
                for (const Influence& i : influences[mesh.Indices()[f * 3 + c]])
                    if (!Contains(faceBones, i.bone)) faceBones.push_back(i.bone);
            if (faceBones.size() > paletteSize) return false;
            bool fits = combinations.size() > firstOfAttribute;
            if (fits) {
                std::size_t added = 0;
                for (DWORD b : faceBones) added += !Contains(combinations.back().palette, b);
                fits = combinations.back().palette.size() + added <= paletteSize;
            }
            if (!fits) combinations.push_back({attribute, {}, {}});
            Combination& target = combinations.back();
            for (DWORD b : faceBones)
                if (!Contains(target.palette, b)) target.palette.push_back(b);
            target.faces.push_back(f);
        }
    }
    return true;
}

// Sorts each vertex's influences strongest first, keeps the strongest kMaxInfluencesPerVertex and
// renormalises them; returns the most influences any vertex keeps (at least 1).
DWORD KeepStrongestInfluences(std::vector<std::vector<Influence>>& influences) {
    DWORD most = 1;
    for (auto& list : influences) {
        std::stable_sort(list.begin(), list.end(),
                         [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
        if (list.size() > kMaxInfluencesPerVertex) list.resize(kMaxInfluencesPerVertex);
        float sum = 0;
        for (const Influence& i : list) sum += i.weight;
        for (Influence& i : list) i.weight /= sum;
        most = std::max(most, DWORD(list.size()));
    }
    return most;
}

// The blended mesh's faces before it exists: its vertices as (combination, source vertex), its
// indices and attributes, and the bone combination table.
struct BlendedFaces {
    std::vector<std::pair<DWORD, DWORD>> vertices;
    std::vector<std::uint16_t> indices;
    std::vector<DWORD> attributes;
    std::vector<D3DXBONECOMBINATION> table;
};

// Vertices are written per combination, so a vertex shared by two gets a copy in each.
// False when the copies outgrow 16-bit indices.
bool LayOutCombinations(const Mesh& source, const std::vector<Combination>& combinations, DWORD paletteSize,
                        BlendedFaces* out) {
    std::unordered_map<DWORD, DWORD> remap;
    for (DWORD g = 0; g < combinations.size(); ++g) {
        const Combination& c = combinations[g];
        D3DXBONECOMBINATION entry;
        entry.AttribId = c.attribute;
        entry.FaceStart = DWORD(out->attributes.size());
        entry.FaceCount = DWORD(c.faces.size());
        entry.VertexStart = DWORD(out->vertices.size());
        entry.BoneId.assign(paletteSize, 0xFFFFFFFFu);
        std::copy(c.palette.begin(), c.palette.end(), entry.BoneId.begin());
        remap.clear();
        for (DWORD f : c.faces) {
            for (int k = 0; k < 3; ++k) {
                DWORD v = source.Indices()[f * 3 + k];
                auto [it, added] = remap.emplace(v, DWORD(out->vertices.size()));
                if (added) out->vertices.emplace_back(g, v);
                if (out->vertices.size() > 0xFFFF) return false;
                out->indices.push_back(std::uint16_t(it->second));
            }
            out->attributes.push_back(g);
        }
        entry.VertexCount = DWORD(out->vertices.size()) - entry.VertexStart;
        out->table.push_back(std::move(entry));
    }
    return true;
}

// Each copy: the source position and the kept components, its weights, and its bones as slots of
// its combination's palette.
void WriteBlendedVertices(const Mesh& source, const BlendedFaces& faces, const std::vector<Combination>& combinations,
                          const std::vector<std::vector<Influence>>& influences, Mesh& mesh) {
    const Mesh::Layout& s = source.GetLayout();
    const Mesh::Layout& d = mesh.GetLayout();
    std::uint8_t* vb = nullptr;
    mesh.LockVertexBuffer(0, reinterpret_cast<void**>(&vb));
    for (std::size_t n = 0; n < faces.vertices.size(); ++n) {
        auto [g, v] = faces.vertices[n];
        const std::uint8_t* src = source.Vertices() + std::size_t(v) * source.GetNumBytesPerVertex();
        std::uint8_t* dst = vb + n * mesh.GetNumBytesPerVertex();
        std::memcpy(dst, src, 12);
        std::uint8_t slots[4] = {0, 0, 0, 0};
        const auto& list = influences[v];
        for (std::size_t k = 0; k < list.size(); ++k) {
            const auto& palette = combinations[g].palette;
            slots[k] = std::uint8_t(std::find(palette.begin(), palette.end(), list[k].bone) - palette.begin());
            if (int(k) < d.weightCount) std::memcpy(dst + d.weights + 4 * k, &list[k].weight, 4);
        }
        std::memcpy(dst + d.indices, slots, 4);
        if (d.normal >= 0) std::memcpy(dst + d.normal, src + s.normal, 12);
        if (d.diffuse >= 0) std::memcpy(dst + d.diffuse, src + s.diffuse, 4);
        if (d.specular >= 0) std::memcpy(dst + d.specular, src + s.specular, 4);
        if (d.texCoord >= 0) std::memcpy(dst + d.texCoord, src + s.texCoord, 8 * std::size_t(d.texCount));
    }
    mesh.UnlockVertexBuffer();
}

void WriteBlendedFaces(const BlendedFaces& faces, Mesh& mesh) {
    std::uint16_t* ib = nullptr;
    mesh.LockIndexBuffer(0, reinterpret_cast<void**>(&ib));
    std::copy(faces.indices.begin(), faces.indices.end(), ib);
    mesh.UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    mesh.LockAttributeBuffer(0, &attributes);
    std::copy(faces.attributes.begin(), faces.attributes.end(), attributes);
    mesh.UnlockAttributeBuffer();
}

} // namespace

bool SkinInfo::ConvertToIndexedBlendedMesh(const Mesh* source, DWORD options, DWORD paletteSize, const DWORD*,
                                           DWORD* maxVertexInfluences, DWORD* numBoneCombinations,
                                           std::vector<D3DXBONECOMBINATION>* boneCombinations,
                                           std::shared_ptr<Mesh>* blendedMesh, std::string* error) const {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (!source || source->GetNumVertices() != numVertices) return fail("skin does not match the mesh");
    std::vector<std::vector<Influence>> influences(numVertices);
    for (DWORD b = 0; b < bones.size(); ++b)
        for (std::size_t i = 0; i < bones[b].vertices.size(); ++i)
            if (bones[b].weights[i] > 0) influences[bones[b].vertices[i]].push_back({b, bones[b].weights[i]});
    const DWORD most = KeepStrongestInfluences(influences);
    std::vector<Combination> combinations;
    if (!PackFaces(*source, influences, paletteSize, combinations))
        return fail("bone palette is too small for one face");
    BlendedFaces faces;
    if (!LayOutCombinations(*source, combinations, paletteSize, &faces))
        return fail("blended mesh needs more than 65535 vertices");

    DWORD kept = source->GetFVF() & (D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK);
    DWORD blendedFvf = (D3DFVF_XYZB1 + 2 * (most - 1)) | D3DFVF_LASTBETA_UBYTE4 | kept;
    auto mesh = Mesh::Create(DWORD(faces.attributes.size()), DWORD(faces.vertices.size()), options, blendedFvf,
                             source->GetDevice());
    if (!mesh) return fail("cannot create the blended mesh");
    WriteBlendedVertices(*source, faces, combinations, influences, *mesh);
    WriteBlendedFaces(faces, *mesh);

    if (maxVertexInfluences) *maxVertexInfluences = most;
    if (numBoneCombinations) *numBoneCombinations = DWORD(faces.table.size());
    if (boneCombinations) *boneCombinations = std::move(faces.table);
    if (blendedMesh) *blendedMesh = std::move(mesh);
    return true;
}

} // namespace platform::mesh
