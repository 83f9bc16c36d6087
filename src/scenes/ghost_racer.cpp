// The ghost: playback of saved updates and a translucent, glowless draw of the racer and broom.
#include "scenes/ghost_racer.h"

#include <vector>

#include "player/player.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "simplelib/animator.h"
#include "simplelib/mesh.h"
#include "simplelib/mesh_object.h"
#include "simplelib/resource_cache.h"

namespace {
constexpr float kOpacity = 0.4f;
const D3DXMATRIX kBroomOffset = MatrixTranslation(0.0f, 1.0f, 0.0f);
} // namespace

GhostFrame GhostRacer::Capture(const Player& racer, float animationTime) {
    GhostFrame frame;
    const D3DXVECTOR3 at = racer.Position();
    frame.position[0] = at.x;
    frame.position[1] = at.y;
    frame.position[2] = at.z;
    D3DXMATRIX turn = racer.racer.drawMatrix;
    turn._41 = turn._42 = turn._43 = 0.0f;
    D3DXQUATERNION q;
    D3DXQuaternionRotationMatrix(&q, &turn);
    frame.rotation[0] = q.x;
    frame.rotation[1] = q.y;
    frame.rotation[2] = q.z;
    frame.rotation[3] = q.w;
    frame.animationTime = animationTime;
    return frame;
}

void GhostRacer::Begin(GhostRun flown) {
    run = std::move(flown);
    visible = false;
    animationShown = 0;
    if (run.frames.empty()) return;
    LoadModel(PlayerManager::kKeyboardModel);
    broom = ResourceCache::Instance().GetMesh(Player::kBroomModel);
}

void GhostRacer::ShowUpdate(std::size_t index) {
    visible = index < run.frames.size();
    if (!visible) return;
    const GhostFrame& frame = run.frames[index];
    position = D3DXVECTOR3{frame.position[0], frame.position[1], frame.position[2]};
    const D3DXQUATERNION q{frame.rotation[0], frame.rotation[1], frame.rotation[2], frame.rotation[3]};
    D3DXMatrixRotationQuaternion(&racer.drawMatrix, &q);
    racer.drawMatrix._41 = position.x;
    racer.drawMatrix._42 = position.y;
    racer.drawMatrix._43 = position.z;
    racer.positionMatrix = MatrixTranslation(position.x, position.y, position.z);
    if (animator && frame.animationTime > animationShown) {
        animator->AdvanceTime(static_cast<double>(frame.animationTime - animationShown));
        animationShown = frame.animationTime;
    }
    if (skeleton && !skeleton->bones.empty()) skeleton->UpdateBoneMatrices(skeleton->bones[0].get(), racer.drawMatrix);
}

void GhostRacer::Draw() {
    if (!visible) return;
    ModelShader& shader = ShaderManager::Instance().mainShader;
    if (skeleton && !skeleton->bones.empty()) {
        const float clear = 1.0f - kOpacity;
        shader.SetMatrix("mW", racer.drawMatrix);
        shader.SetValue("Translucency", &clear, sizeof clear);
        shader.DrawSkinnedModel(*skeleton);
        const float solid = 0.0f;
        shader.SetValue("Translucency", &solid, sizeof solid);
    }
    DrawBroom();
}

// The broom is a fixed-function mesh shared with every racer: its materials are made translucent
// for this one draw only.
void GhostRacer::DrawBroom() {
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    std::shared_ptr<SimpleLib::CMesh> mesh = broom.lock();
    if (!mesh || !device) return;
    const D3DXMATRIX world = kBroomOffset * racer.drawMatrix;
    device->SetTransform(D3DTS_WORLD, &world);
    std::vector<D3DMATERIAL9> kept = mesh->materials;
    for (D3DMATERIAL9& material : mesh->materials) material.Diffuse.a *= kOpacity;
    mesh->Draw();
    mesh->materials = kept;
}

void GhostRacer::Release() {
    run = GhostRun{};
    visible = false;
    broom.reset();
}
