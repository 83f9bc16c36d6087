// A tiny race world for the racer tests: fresh singletons, hand-placed checkpoints, wall quads with
// real ray-testable meshes, and racers registered with the PlayerManager.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "effects/base_effect.h" // before the manager, whose header needs the complete type
#include "support/singletons.h"
#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "map/map_object.h"
#include "map/object_mesh.h"
#include "map/parent_map_object.h"
#include "platform/mesh/mesh.h"
#include "platform/window/input.h"
#include "player/player_manager.h"

class RaceWorld {
public:
    RaceWorld() { ResetAll(); }
    ~RaceWorld() { ResetAll(); }
    RaceWorld(const RaceWorld&) = delete;
    RaceWorld& operator=(const RaceWorld&) = delete;

    static void ResetAll() {
        testsupport::ResetSingletons();
        std::srand(1);
    }

    // A checkpoint at `position` (it is placed straight into the course list, as after loading).
    CheckPoint* AddCheckPoint(const D3DXVECTOR3& position, float radius) {
        auto* checkPoint = new CheckPoint();
        checkPoint->name = "CheckPoint";
        checkPoint->number = static_cast<std::int32_t>(CourseManager::Instance().checkPoints.size());
        checkPoint->world = MatrixTranslation(position.x, position.y, position.z);
        checkPoint->radius = radius;
        CourseManager::Instance().checkPoints.push_back(checkPoint);
        return checkPoint;
    }

    // An upright quad of the given half extents in the object's local X-Y plane, its face normal
    // pointing to local −Z. Objects of one kind share the kind's model and face normals.
    NEditer::MapObject* AddWall(const std::string& kind, const D3DXMATRIX& world, float halfWidth, float halfHeight,
                                float radius) {
        auto& definition = MapManager::Instance().definitions[kind];
        if (!definition) {
            definition = std::make_shared<NEditer::ParentMapObject>(kind, kind + ".x");
            definition->mesh = std::make_shared<NEditer::ObjectMesh>();
            definition->mesh->mesh = MakeQuad(halfWidth, halfHeight);
            definition->BuildFaceNormals();
        }
        auto* object = new NEditer::MapObject();
        object->name = kind;
        object->world = world;
        object->mesh = definition->mesh.get();
        object->radius = radius;
        MapManager::Instance().objects.push_back(object);
        return object;
    }

    // A racer added to the roster; the first one added is the keyboard racer.
    std::shared_ptr<Player> AddRacer(std::int32_t autoPilot, const D3DXVECTOR3& position, float yaw) {
        auto racer = std::make_shared<Player>();
        racer->autoPilot = autoPilot;
        racer->frozen = false;
        Place(*racer, position, yaw);
        PlayerManager& manager = PlayerManager::Instance();
        manager.players.push_back(racer);
        if (manager.players.size() == 1) manager.user = racer;
        return racer;
    }

    // Stands a racer at `position` with heading `yaw`, level, its matrices consistent.
    static void Place(Player& racer, const D3DXVECTOR3& position, float yaw) {
        racer.yaw = yaw;
        racer.pitch = 0.0f;
        racer.yawMatrix = MatrixRotationY(yaw * kDegToRad);
        racer.pitchMatrix = MatrixIdentity();
        racer.positionMatrix = MatrixTranslation(position.x, position.y, position.z);
        racer.orientation = racer.yawMatrix;
        racer.orientation._41 = position.x;
        racer.orientation._42 = position.y;
        racer.orientation._43 = position.z;
        racer.drawMatrix = racer.orientation;
    }

private:
    static std::shared_ptr<platform::mesh::Mesh> MakeQuad(float w, float h) {
        struct Vertex {
            float x, y, z, nx, ny, nz, u, v;
        };
        static_assert(sizeof(Vertex) == NEditer::ObjectMesh::kVertexSize);
        auto mesh = platform::mesh::Mesh::Create(2, 4, 0, NEditer::ObjectMesh::kVertexFormat, nullptr);
        void* data = nullptr;
        mesh->LockVertexBuffer(0, &data);
        auto* vertices = static_cast<Vertex*>(data);
        vertices[0] = {-w, -h, 0, 0, 0, -1, 0, 1};
        vertices[1] = {-w, h, 0, 0, 0, -1, 0, 0};
        vertices[2] = {w, h, 0, 0, 0, -1, 1, 0};
        vertices[3] = {w, -h, 0, 0, 0, -1, 1, 1};
        mesh->UnlockVertexBuffer();
        mesh->LockIndexBuffer(0, &data);
        auto* indices = static_cast<std::uint16_t*>(data);
        const std::uint16_t corners[6] = {0, 1, 2, 0, 2, 3};
        for (int i = 0; i < 6; ++i) indices[i] = corners[i];
        mesh->UnlockIndexBuffer();
        return mesh;
    }
};
