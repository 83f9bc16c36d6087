// Writes DirectX .x text files: static meshes, and skinned meshes with a frame hierarchy,
// skin weights and keyframed animation sets.
#pragma once

#include <string>
#include <vector>

#include "geometry.h"

struct Quat {
    float x = 0, y = 0, z = 0, w = 1; // the D3DX quaternion of the rotation meant
};
Quat QuatAxisAngle(Vec3 axis, float degrees);
Quat QuatMul(const Quat& a, const Quat& b); // a then b, as D3DXQuaternionMultiply

struct SkinBone {
    std::string name;
    int parent = -1; // index into the bone list, -1 for a child of the root frame
    Vec3 pivot;      // joint position in model space in the bind pose
};

struct SkinInfluence {
    int bone[3] = {-1, -1, -1};
    float weight[3] = {0, 0, 0};
};

struct BoneTrack {
    int bone = 0;
    std::vector<std::pair<int, Quat>> rotations; // (tick, rotation relative to the bind pose)
};

struct AnimationClip {
    std::string name;
    std::vector<BoneTrack> tracks;
};

struct SkinnedModel {
    std::vector<SkinBone> bones;
    MeshBuilder mesh;
    std::vector<SkinInfluence> influences; // one per mesh vertex
    std::vector<AnimationClip> clips;
    int ticksPerSecond = 60;
};

bool WriteStaticX(const std::string& path, const MeshBuilder& mesh, const std::string& name);
bool WriteSkinnedX(const std::string& path, const SkinnedModel& model, const std::string& name);
