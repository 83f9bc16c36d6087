// Animation extraction, track timing, cross-fades, key sampling and the pose written into the bones.
#include <gtest/gtest.h>

#include "simplelib/animator.h"
#include "simplelib/model_fixture.h"
#include "support/x_samples.h"

using SimpleLib::CAnimationSet;
using SimpleLib::CAnimator;

namespace {

std::shared_ptr<CAnimationSet> MakeSet(const std::string& name, double ticksPerSecond, double length) {
    auto set = std::make_shared<CAnimationSet>();
    set->name = name;
    set->ticksPerSecond = ticksPerSecond;
    set->length = length;
    set->boneKeys.push_back(std::make_unique<SimpleLib::BoneKeys>());
    return set;
}

const std::string kExtraSets =
    "AnimationSet \"//note\" { Animation { {Bone0} AnimationKey { 2; 1; 5;3;1,1,1;;; } } }\n"
    "AnimationSet 座り { Animation { {Bone1} AnimationKey { 0; 2; 0;4;1,0,0,0;;, 20;4;0.7071068,0,0.7071068,0;;; }\n"
    "                               AnimationKey { 2; 1; 7;3;1,2,3;;; } } }\n";

} // namespace

using Animation = ModelTest;

TEST_F(Animation, ExtractionDropsCommentSetsAndNegatesW) {
    // A plain //note would start a comment, so the file quotes the name.
    std::string extra = kExtraSets;
    auto model = std::make_shared<SimpleLib::CSkinMesh>();
    ASSERT_TRUE(model->Load(xsamples::WriteFile("anim.x", xsamples::SkinnedModel(2, true, extra))));
    ASSERT_EQ(model->animationSets.size(), 2u);
    EXPECT_EQ(model->animationSets[0]->name, "Walk");
    EXPECT_EQ(model->animationSets[1]->name, "座り"); // the "//" set is gone and this one moved up
    const CAnimationSet& seated = *model->animationSets[1];
    EXPECT_EQ(seated.ticksPerSecond, 60.0);
    EXPECT_EQ(seated.length, 21.0);
    ASSERT_EQ(seated.boneKeys.size(), model->frames.size());
    const auto& keys = *seated.boneKeys[2]; // frames: Root, Bone0, Bone1
    ASSERT_EQ(keys.rotationKeys.size(), 2u);
    EXPECT_EQ(keys.rotationKeys[0].rotation, D3DXQUATERNION(0, 0, 0, -1));
    EXPECT_FLOAT_EQ(keys.rotationKeys[1].rotation.y, 0.7071068f);
    EXPECT_EQ(keys.translationKeys[0].value, D3DXVECTOR3(1, 2, 3));
    EXPECT_TRUE(seated.boneKeys[0]->rotationKeys.empty());

    SimpleLib::CMeshObject object;
    ASSERT_TRUE(object.SetMesh(model));
    CAnimator animator;
    animator.Setup(object);
    EXPECT_EQ(animator.FindAnimation("座り"), 1u);
    EXPECT_EQ(animator.FindAnimation("//note"), 0xFFFFFFFFu);
    EXPECT_EQ(animator.boneOutputs.size(), 3u);
    EXPECT_FALSE(animator.boneOutputs[0].blendRotation);
    EXPECT_TRUE(animator.boneOutputs[1].blendTranslation);
}

TEST_F(Animation, LoopingAndStoppingPositions) {
    CAnimator animator;
    animator.sets = {MakeSet("fly", 60, 41)};
    ASSERT_TRUE(animator.SetTrackAnimation(0, 1.0f, 1.0, 0.0));
    auto& track = *animator.tracks.front();
    for (int i = 1; i <= 40; ++i) {
        animator.AdvanceTime(1.0);
        ASSERT_EQ(track.position, double(i));
    }
    animator.AdvanceTime(1.0);
    EXPECT_EQ(track.position, 0.0);

    animator.SetTrackAnimation(0, 1.0f, 1.5, 0.0);
    for (int i = 1; i <= 27; ++i) {
        animator.AdvanceTime(1.0);
        ASSERT_EQ(track.position, 1.5 * i);
    }
    animator.AdvanceTime(1.0); // 42 is past the end: back to 0, not 1
    EXPECT_EQ(track.position, 0.0);

    animator.SetTrackAnimation(0, 1.0f, 1.0, 39.0);
    track.loop = false;
    for (int i = 0; i < 5; ++i) animator.AdvanceTime(1.0);
    EXPECT_EQ(track.position, 41.0);
}

TEST_F(Animation, TicksPerSecondScaleTheStepAndZeroLengthHoldsAtZero) {
    CAnimator animator;
    animator.sets = {MakeSet("fast", 4800, 100000), MakeSet("empty", 60, 0)};
    animator.SetTrackAnimation(0, 1.0f, 1.0, 0.0);
    animator.AdvanceTime(1.0);
    EXPECT_EQ(animator.tracks.front()->position, 80.0);
    animator.SetTrackAnimation(1, 1.0f, 1.0, 5.0);
    animator.AdvanceTime(1.0);
    EXPECT_EQ(animator.tracks.front()->position, 0.0);
    EXPECT_FALSE(animator.SetTrackAnimation(2, 1.0f, 1.0, 0.0));
}

TEST_F(Animation, CrossFadeOverTwentyFrames) {
    CAnimator animator;
    animator.sets = {MakeSet("sit", 60, 41), MakeSet("fly", 60, 41)};
    animator.SetTrackAnimation(0, 1.0f, 1.0, 0.0);
    ASSERT_TRUE(animator.ChangeAnimation(1, 1.0, 0.0, 0.0, 20.0));
    ASSERT_EQ(animator.tracks.size(), 2u);
    auto fresh = animator.tracks[0], old = animator.tracks[1];
    animator.AdvanceTime(1.0);
    EXPECT_FLOAT_EQ(fresh->weight, 0.05f);
    EXPECT_FLOAT_EQ(old->weight, 0.95f);
    EXPECT_DOUBLE_EQ(old->speed, double(0.95f));
    for (int i = 0; i < 18; ++i) animator.AdvanceTime(1.0);
    EXPECT_EQ(animator.tracks.size(), 2u);
    EXPECT_TRUE(old->enabled);
    animator.AdvanceTime(1.0);
    ASSERT_EQ(animator.tracks.size(), 1u);
    EXPECT_EQ(animator.tracks[0], fresh);
    EXPECT_EQ(fresh->weight, 1.0f);
    EXPECT_TRUE(fresh->events.empty());
}

TEST_F(Animation, ChangeWithoutDurationDropsTheOldTrackAtTheNextStep) {
    CAnimator animator;
    animator.sets = {MakeSet("sit", 60, 41), MakeSet("fly", 60, 41)};
    animator.SetTrackAnimation(0, 1.0f, 1.0, 0.0);
    ASSERT_TRUE(animator.ChangeAnimation(1, 1.0, 0.0, 0.0, 0.0));
    ASSERT_EQ(animator.tracks.size(), 2u);
    EXPECT_FALSE(animator.tracks[1]->enabled);
    EXPECT_EQ(animator.tracks[1]->weight, 0.0f);
    EXPECT_EQ(animator.tracks[0]->weight, 1.0f);
    animator.AdvanceTime(1.0);
    EXPECT_EQ(animator.tracks.size(), 1u);
    // A bad index leaves the pushed idle track in front; it contributes nothing.
    EXPECT_FALSE(animator.ChangeAnimation(5, 1.0, 0.0, 0.0, 20.0));
    EXPECT_EQ(animator.tracks.size(), 2u);
    EXPECT_FALSE(animator.tracks[0]->enabled);
}

TEST_F(Animation, SamplingOnKeysBetweenKeysAndOutsideThem) {
    std::vector<SimpleLib::TranslationKey> keys = {{10, {0, 0, 0}}, {20, {10, 20, 30}}, {30, {0, 0, 0}}};
    std::uint32_t hint = 0;
    D3DXVECTOR3 v;
    ASSERT_TRUE(CAnimator::SampleTranslation(keys, 20.0, hint, &v));
    EXPECT_EQ(v, D3DXVECTOR3(10, 20, 30));
    ASSERT_TRUE(CAnimator::SampleTranslation(keys, 15.0, hint, &v));
    EXPECT_EQ(v, D3DXVECTOR3(5, 10, 15));
    EXPECT_EQ(hint, 0u);
    ASSERT_TRUE(CAnimator::SampleTranslation(keys, 25.0, hint, &v));
    EXPECT_EQ(hint, 1u);
    CAnimator::SampleTranslation(keys, 12.5, hint, &v); // found again after wrapping from the hint
    EXPECT_EQ(hint, 0u);
    EXPECT_EQ(v, D3DXVECTOR3(2.5f, 5, 7.5f));
    CAnimator::SampleTranslation(keys, -4.0, hint, &v);
    EXPECT_EQ(v, D3DXVECTOR3(0, 0, 0));
    CAnimator::SampleTranslation(keys, 99.0, hint, &v);
    EXPECT_EQ(v, D3DXVECTOR3(0, 0, 0));
    std::vector<SimpleLib::TranslationKey> none;
    EXPECT_FALSE(CAnimator::SampleTranslation(none, 1.0, hint, &v));
    std::vector<SimpleLib::RotationKey> turn = {{0, {0, 0, 0, 1}}, {10, {0, 0.7071068f, 0, 0.7071068f}}};
    D3DXQUATERNION q;
    CAnimator::SampleRotation(turn, 5.0, hint, &q);
    EXPECT_NEAR(q.y, std::sin(D3DX_PI / 8), 1e-5f); // halfway to a quarter turn
}

TEST_F(Animation, TranslationOnlyBonesKeepRotationAndScale) {
    auto set = MakeSet("move", 60, 41);
    set->boneKeys.push_back(std::make_unique<SimpleLib::BoneKeys>());
    set->boneKeys[1]->translationKeys = {{0, {1, 2, 3}}};
    CAnimator animator;
    animator.sets = {set};
    D3DXMATRIX root = MatrixIdentity(), local = MatrixScaling(2, 2, 2) * MatrixRotationY(0.5f);
    D3DXMATRIX before = local;
    animator.boneOutputs = {{&root}, {&local}};
    animator.SetTrackAnimation(0, 1.0f, 1.0, 0.0);
    animator.Evaluate();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(local.m[r][c], before.m[r][c]);
    EXPECT_EQ(MatrixPosition(local), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(root, MatrixIdentity()); // no keys: untouched
}

TEST_F(Animation, AFadingOldTrackBlendsOnTopOfTheNewOne) {
    auto a = MakeSet("a", 60, 41), b = MakeSet("b", 60, 41);
    for (auto* set : {&a, &b}) (*set)->boneKeys.push_back(std::make_unique<SimpleLib::BoneKeys>());
    a->boneKeys[1]->translationKeys = {{0, {0, 0, 0}}};
    b->boneKeys[1]->translationKeys = {{0, {10, 0, 0}}};
    a->boneKeys[0]->translationKeys = {{0, {0, 0, 0}}};
    b->boneKeys[0]->translationKeys = {{0, {10, 0, 0}}};
    CAnimator animator;
    animator.sets = {a, b};
    D3DXMATRIX root = MatrixIdentity(), bone = MatrixIdentity();
    animator.boneOutputs = {{&root}, {&bone}};
    animator.boneOutputs[0].blendTranslation = false;
    animator.SetTrackAnimation(0, 1.0f, 1.0, 0.0);
    animator.ChangeAnimation(1, 1.0, 0.0, 0.0, 20.0);
    for (int i = 0; i < 5; ++i) animator.AdvanceTime(1.0);
    // Old track (a, weight 0.75) over the new one (b): 10 + (0 - 10) * 0.75.
    EXPECT_NEAR(bone._41, 2.5f, 1e-5f);
    EXPECT_EQ(root._41, 10.0f); // the root follows the front track only
}
