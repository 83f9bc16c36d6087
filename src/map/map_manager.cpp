// The map file loader and the per-frame passes over the placed objects.
#include "map/map_manager.h"

#include <cmath>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include "map/course_list.h"
#include "map/map_object.h"
#include "map/map_object_factory.h"
#include "map/object_mesh.h"
#include "map/parent_map_object.h"
#include "race/course.h"
#include "render/graphics_device.h"
#include "render/graphics_quality.h"
#include "render/shader_manager.h"

namespace {

// Nothing the game places comes near this; a bigger file is not a map.
constexpr std::size_t kMaxMapBytes = 64u << 20;
constexpr std::int32_t kMapVersion = 1;
// A mesh of this many faces or more (the ground) is drawn in kPieceGrid x kPieceGrid pieces.
constexpr DWORD kPieceFaces = 4096;
constexpr int kPieceGrid = 8;
// World units round a piece's sphere, so that rounding never leaves out a piece at the screen's edge.
constexpr float kPieceMargin = 1.0f;
// Beyond this distance from the eye a ground piece may be drawn coarse, its surface within
// kCoarseError of the whole one: about two pixels of the low level's world there, fewer beyond.
constexpr float kCoarseDistance = 250.0f;
constexpr float kCoarseError = 2.0f;

// The longest of the three axes a world matrix scales (rows, as D3DX holds them).
float MatrixLargestScale(const D3DXMATRIX& m) {
    float largest = 0;
    for (int row = 0; row < 3; ++row)
        largest = std::max(largest, std::sqrt(m(row, 0) * m(row, 0) + m(row, 1) * m(row, 1) + m(row, 2) * m(row, 2)));
    return largest;
}

// Little-endian reads over the file's bytes that never run past the end.
class MapReader {
public:
    MapReader(const std::uint8_t* data, std::size_t size) : cursor(data), left(size) {}

    bool ReadInt32(std::int32_t* out) {
        std::uint8_t b[4];
        if (!ReadBytes(b, 4)) return false;
        *out = static_cast<std::int32_t>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                                         std::uint32_t(b[3]) << 24);
        return true;
    }

    bool ReadFloat(float* out) {
        std::int32_t bits;
        if (!ReadInt32(&bits)) return false;
        std::memcpy(out, &bits, 4);
        return true;
    }

    // One length byte (signed: 0..127 are valid), then that many bytes, cut at the first zero.
    MapManager::LoadResult ReadShortString(std::string* out) {
        std::uint8_t length;
        if (!ReadBytes(&length, 1)) return MapManager::LoadResult::Truncated;
        if (length >= 128) return MapManager::LoadResult::BadLength;
        char text[128];
        if (!ReadBytes(text, length)) return MapManager::LoadResult::Truncated;
        out->assign(text, strnlen(text, length));
        return MapManager::LoadResult::Ok;
    }

    bool ReadMatrix(D3DXMATRIX* out) {
        for (int i = 0; i < 16; ++i)
            if (!ReadFloat(out->data() + i)) return false;
        return true;
    }

private:
    bool ReadBytes(void* out, std::size_t count) {
        if (count > left) {
            left = 0;
            return false;
        }
        std::memcpy(out, cursor, count);
        cursor += count;
        left -= count;
        return true;
    }

    const std::uint8_t* cursor;
    std::size_t left;
};

const char* Describe(MapManager::LoadResult result) {
    switch (result) {
    case MapManager::LoadResult::Ok: return "ok";
    case MapManager::LoadResult::Missing: return "cannot be opened";
    case MapManager::LoadResult::WrongVersion: return "has an unknown version";
    case MapManager::LoadResult::TooLarge: return "is too large";
    case MapManager::LoadResult::BadLength: return "has a name longer than 127 bytes";
    case MapManager::LoadResult::Truncated: return "ends early";
    }
    return "is unreadable";
}

bool IsFinite(const D3DXMATRIX& m) {
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite(m.data()[i])) return false;
    return true;
}

// A hostile file can hold a million bad objects; the first few lines say what is wrong.
constexpr int kMaxProblemLines = 20;

} // namespace

void MapManager::ReportDropped(const NEditer::MapObject& object, const std::string& reason) {
    if (++problemLines > kMaxProblemLines) {
        if (problemLines == kMaxProblemLines + 1) std::fprintf(stderr, "map: more objects dropped; not listing them\n");
        return;
    }
    std::fprintf(stderr, "map: object %d (%s, number %d) dropped: %s\n", object.entry, object.name.c_str(),
                 object.number, reason.c_str());
}

void MapManager::ResetInstance() { Holder() = std::make_unique<MapManager>(); }

MapManager::~MapManager() { DeleteObjects(); }

// Kinds keep their models from race to race; another course's map brings its own ground and
// scenery under the same kind names, so switching courses starts the kinds afresh.
void MapManager::LoadMap() {
    const std::string& path = CourseList::Instance().Selected().mapPath;
    if (!definitionsFrom.empty() && definitionsFrom != path) definitions.clear();
    definitionsFrom = path;
    LoadMapFile(path);
}

MapManager::LoadResult MapManager::LoadMapFile(const std::string& path) {
    LoadResult result = LoadResult::Missing;
    std::ifstream file(path, std::ios::binary);
    std::string reason = file ? "" : std::string(": ") + std::strerror(errno);
    std::vector<std::uint8_t> bytes;
    if (file) {
        file.seekg(0, std::ios::end);
        std::streamoff size = file.tellg();
        file.seekg(0, std::ios::beg);
        if (size < 0 || !file) {
            result = LoadResult::Missing;
        } else if (static_cast<std::uint64_t>(size) > kMaxMapBytes) {
            result = LoadResult::TooLarge;
        } else {
            bytes.resize(static_cast<std::size_t>(size));
            file.read(reinterpret_cast<char*>(bytes.data()), size);
            bytes.resize(static_cast<std::size_t>(file.gcount()));
            result = LoadMapFromMemory(bytes.data(), bytes.size());
        }
    }
    if (result != LoadResult::Ok)
        std::fprintf(stderr, "map: %s %s%s\n", path.c_str(), Describe(result), reason.c_str());
    return result;
}

MapManager::LoadResult MapManager::LoadMapFromMemory(const std::uint8_t* data, std::size_t size) {
    MapReader reader(data, size);
    problemLines = 0;
    std::int32_t version = 0;
    if (!reader.ReadInt32(&version)) return LoadResult::Truncated;
    if (version != kMapVersion) return LoadResult::WrongVersion;

    // Definitions: the first definition of a kind wins.
    for (;;) {
        std::string kind, model;
        if (LoadResult r = reader.ReadShortString(&kind); r != LoadResult::Ok) return r;
        if (kind == "enddefine") break;
        if (LoadResult r = reader.ReadShortString(&model); r != LoadResult::Ok) return r;
        if (!definitions.contains(kind))
            definitions.emplace(kind, std::make_shared<NEditer::ParentMapObject>(kind, std::move(model)));
    }

    // Objects, in file order. An entry cut short by the end of the file is dropped whole.
    for (std::int32_t entry = 1;; ++entry) {
        std::string kind;
        if (LoadResult r = reader.ReadShortString(&kind); r != LoadResult::Ok) return r;
        if (kind == "end") break;
        D3DXMATRIX world;
        std::int32_t number = 0;
        if (!reader.ReadMatrix(&world) || !reader.ReadInt32(&number)) return LoadResult::Truncated;
        std::unique_ptr<NEditer::MapObject> object = NEditer::CreateMapObject(kind);
        if (!object) continue; // the empty name places nothing
        object->name = kind;
        object->world = world;
        object->number = number;
        object->entry = entry;
        // NaN or infinity would poison the radius, the culling and every ray test that meets it.
        if (!IsFinite(world)) {
            ReportDropped(*object, "its world matrix holds NaN or infinity");
            continue;
        }
        objects.push_back(object.release());
    }
    return LoadResult::Ok;
}

void MapManager::LoadModels(gpu::Device* device) {
    for (auto& [kind, definition] : definitions) {
        definition->LoadMesh(device, std::string(kModelFolder) + "/" + definition->modelFile);
        definition->BuildFaceNormals();
    }
    std::vector<NEditer::MapObject*> attached = AttachModels();
    DropBrokenCheckPoints(attached);
    // Init after the checks, so a dropped checkpoint never leaves its circle behind.
    for (NEditer::MapObject* object : attached) object->Init();
}

std::vector<NEditer::MapObject*> MapManager::AttachModels() {
    std::vector<NEditer::MapObject*> kept, attached;
    kept.reserve(objects.size());
    // One warning per kind, however many of its objects are dropped: kind -> (count, defined).
    std::map<std::string, std::pair<int, bool>> dropped;
    for (NEditer::MapObject* object : objects) {
        if (object->mesh) { // already set up by an earlier call
            kept.push_back(object);
            continue;
        }
        NEditer::ParentMapObject* definition = FindDefinition(object->name);
        if (!definition || !definition->HasLoadedMesh()) {
            auto& entry = dropped[object->name];
            ++entry.first;
            entry.second = definition != nullptr;
            delete object;
            continue;
        }
        object->mesh = definition->GetMesh();
        object->ComputeRadius();
        kept.push_back(object);
        attached.push_back(object);
    }
    objects.swap(kept);
    for (const auto& [kind, entry] : dropped)
        std::fprintf(stderr, "map: dropping %d object(s) of kind \"%s\": %s\n", entry.first, kind.c_str(),
                     entry.second ? "its model did not load" : "the kind is not defined");
    return attached;
}

void MapManager::DropObjects(std::vector<NEditer::MapObject*>& attached, const std::set<NEditer::MapObject*>& doomed) {
    if (doomed.empty()) return;
    std::erase_if(attached, [&](NEditer::MapObject* o) { return doomed.contains(o); });
    std::erase_if(objects, [&](NEditer::MapObject* o) {
        if (!doomed.contains(o)) return false;
        delete o;
        return true;
    });
}

// The racers address checkpoints by place in the sorted list and the colouring by number; the two
// agree only for numbers 0 .. n-1, each once. A broken chain is no course at all.
void MapManager::DropBrokenCheckPoints(std::vector<NEditer::MapObject*>& attached) {
    std::set<NEditer::MapObject*> doomed;
    std::map<std::int32_t, NEditer::MapObject*> byNumber;
    std::size_t candidates = 0;
    for (NEditer::MapObject* object : attached) {
        if (object->name != "CheckPoint") continue;
        ++candidates;
        if (!(object->radius > 0.0f) || !std::isfinite(object->radius)) {
            ReportDropped(*object, "a checkpoint needs a radius above 0 (its model or scale has no size)");
            doomed.insert(object);
        } else if (auto [it, added] = byNumber.emplace(object->number, object); !added) {
            ReportDropped(*object, "checkpoint number " + std::to_string(object->number) +
                                       " is already taken by object " + std::to_string(it->second->entry));
            doomed.insert(object);
        }
    }
    if (candidates == 0) return;
    const std::int32_t count = static_cast<std::int32_t>(byNumber.size());
    std::int32_t missing = 0;
    while (byNumber.contains(missing)) ++missing;
    if (count > 0 && missing == count) {
        DropObjects(attached, doomed);
        return;
    }
    if (count == 0) std::fprintf(stderr, "map: no usable checkpoints: every checkpoint was dropped\n");
    else
        std::fprintf(stderr,
                     "map: no usable checkpoints: the %d checkpoint(s) must be numbered 0 to %d, but %d is missing\n",
                     count, count - 1, missing);
    for (const auto& [number, object] : byNumber) doomed.insert(object);
    DropObjects(attached, doomed);
}

NEditer::ParentMapObject* MapManager::FindDefinition(const std::string& kindName) const {
    auto it = definitions.find(kindName);
    return it == definitions.end() ? nullptr : it->second.get();
}

void MapManager::ShowRace(const race::Course& course, std::uint32_t update) {
    for (std::size_t i = 0; i < objects.size() && i < course.objects.size(); ++i)
        if (course.objects[i].spins) objects[i]->world = course.WorldAt(i, update);
}

void MapManager::DrawObjects() {
    ModelShader& shader = ShaderManager::Instance().objectShader;
    // Far off, the ground's whole triangles are a few pixels each, and a software rasterizer pays
    // for each one more than for its pixels. The levels below full draw those pieces coarse.
    const bool coarseFar = camera && GraphicsDevice::Instance().quality != GraphicsQuality::Full;
    for (NEditer::MapObject* object : objects) {
        if (!object->visible || !object->HasLoadedMesh()) continue;
        shader.SetMatrix("mW", object->world);
        const StaticMeshParts& parts = object->mesh->Parts();
        if (!parts.mesh || parts.mesh->GetNumFaces() < kPieceFaces) {
            shader.DrawMesh(parts);
            continue;
        }
        // The ground: the pieces beside and behind the camera cost vertex work and binning on a
        // software rasterizer for no pixel.
        const D3DXMATRIX& world = object->world;
        const float scale = MatrixLargestScale(world);
        if (parts.mesh->Pieces().empty()) {
            parts.mesh->SplitIntoPieces(kPieceGrid);
            parts.mesh->SetCoarseError(kCoarseError / std::max(scale, 1e-6f));
        }
        shader.DrawMesh(parts, [this, &world, scale, coarseFar](const D3DXVECTOR3& centre, float radius) {
            D3DXVECTOR3 placed;
            D3DXVec3TransformCoord(&placed, &centre, &world);
            if (OutsideFrustum(placed, radius * scale + kPieceMargin)) return PieceDetail::Hidden;
            const D3DXVECTOR3 away = placed - frustumEye;
            return coarseFar && D3DXVec3Length(&away) - radius * scale > kCoarseDistance ? PieceDetail::Coarse
                                                                                         : PieceDetail::Whole;
        });
    }
}

void MapManager::DeleteObjects() {
    for (NEditer::MapObject* object : objects) delete object;
    objects.clear();
}

void MapManager::ClearMap() {
    definitions.clear();
    DeleteObjects();
}

void MapManager::UpdateVisibility(const D3DXVECTOR3& viewPoint) {
    for (NEditer::MapObject* object : objects)
        object->visible = IsVisible(MatrixPosition(object->world), object->radius, viewPoint);
}

bool MapManager::IsVisible(const D3DXVECTOR3& position, float radius, const D3DXVECTOR3& viewPoint) const {
    D3DXVECTOR3 toObject = position - viewPoint;
    if (D3DXVec3Length(&toObject) > radius + kViewDistance) return false;
    return !OutsideFrustum(position, radius);
}
